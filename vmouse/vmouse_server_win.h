// The background instance of the virtual mouse: owns the firmware and
// answers every connection on the pipe until asked to stop.
#pragma once

#include <cstdint>

namespace kestra {
namespace vmouse {

// Serves until a stop request. Returns 0 then, 2 when another virtual mouse
// already owns the pipe, 1 on any other failure to start.
int Serve(uint8_t major, uint8_t minor);

}  // namespace vmouse
}  // namespace kestra
