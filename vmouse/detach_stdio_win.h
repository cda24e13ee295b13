// The background instance of the virtual mouse lets go of the standard
// streams of whoever started it.
#pragma once

namespace kestra {
namespace vmouse {

// Under Wine a started program keeps the POSIX standard error of the
// program that started it, whatever the process creation flags say (Wine
// keeps it for its own debug output). A caller that captures `vmouse start`'s
// output through a pipe (a shell's $(...), a script's captured run) would
// then wait for the end of the server instead of the end of `start`. The
// server points its POSIX standard streams at /dev/null once it runs. On
// Windows, where no such stream is inherited, this does nothing.
void ReleaseInheritedPosixStdio();

}  // namespace vmouse
}  // namespace kestra
