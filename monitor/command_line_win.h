// Monitor's command line for scripts, run beside the tray agent: it never
// takes the single-instance lock, reaches the running Monitor by its
// window, and prints to its caller (console_output_win.h).
#pragma once

#include "monitor/command_line.h"

namespace kestra {

// The process's exit code.
int RunCommandLine(const CommandLine& command);

}  // namespace kestra
