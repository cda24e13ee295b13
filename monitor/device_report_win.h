// `Monitor.exe /devices`: the device report, printed to the caller and saved
// in the user's temporary folder. Runs beside a running Monitor (it takes
// no single-instance lock and asks that Monitor rather than its mouse) and
// needs no administrator rights.
#pragma once

namespace kestra {

// The process's exit code.
int RunDeviceReport();

}  // namespace kestra
