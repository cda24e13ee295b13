// The vmouse command line: what each call asks of the running virtual mouse.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kestra {
namespace vmouse {

enum class Verb {
    kStart,
    kStop,
    kPlug,
    kUnplug,
    kBounce,  // unplug and plug again, `count` times, `gapMs` apart
    kUnplugAfter,  // unplug by itself after `count` more reports (0: no more)
    kRefuse,       // found but silent: refuse every report while `on`
    kEvent,
    kLog,
    kClearLog,
    kState,
    kServe,  // the background instance itself, started by kStart
    kHelp,
};

struct Command {
    Verb verb = Verb::kHelp;
    bool firmwareGiven = false;
    uint8_t major = 2;
    uint8_t minor = 3;
    uint16_t code = 0;
    uint16_t value = 0;
    unsigned count = 0;
    unsigned gapMs = 0;
    bool on = false;
};

constexpr unsigned kMaxBounces = 1000;
constexpr unsigned kMaxBounceGapMs = 10000;
constexpr unsigned kMaxUnplugAfter = 1000000;

extern const char kUsage[];

// 0x-prefixed hex or decimal, 0..0xFFFF, nothing else.
bool ParseWord(const std::string& text, uint16_t* value);
// "MAJOR.MINOR", each 0..255 in decimal.
bool ParseFirmware(const std::string& text, uint8_t* major, uint8_t* minor);

// `args` excludes the program name. On failure `error` says why.
bool ParseCommand(const std::vector<std::string>& args, Command* command, std::string* error);

}  // namespace vmouse
}  // namespace kestra
