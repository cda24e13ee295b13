// Output of Monitor's command-line calls. Monitor is a window program with no
// console of its own: what it prints goes to the standard output it was
// given (a pipe or a file its caller redirected), or else to the console of
// the program that started it. Nothing pops up.
#pragma once

#include <string>

namespace kestra {

// False when there is nowhere to write.
bool WriteToCaller(const std::string& text);
// The same for error messages: the standard error, or else the console.
bool WriteErrorToCaller(const std::string& text);

}  // namespace kestra
