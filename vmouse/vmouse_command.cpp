#include "vmouse/vmouse_command.h"

namespace kestra {
namespace vmouse {

const char kUsage[] =
    "usage: vmouse start [--firmware MAJOR.MINOR]\n"
    "       vmouse stop | plug | unplug | state\n"
    "       vmouse bounce COUNT [GAP_MS]  (unplug and plug COUNT times, GAP_MS apart)\n"
    "       vmouse unplug-after COUNT   (unplug by itself once COUNT more reports arrived;\n"
    "                                    0 takes it back)\n"
    "       vmouse refuse on|off         (found but silent: refuse every report while on)\n"
    "       vmouse event CODE VALUE      (hex with 0x, or decimal)\n"
    "       vmouse log [--clear]\n";

namespace {

bool ParseDigits(const std::string& text, size_t from, unsigned base, unsigned long limit,
                 unsigned long* out) {
    if (from >= text.size()) return false;
    unsigned long v = 0;
    for (size_t i = from; i < text.size(); ++i) {
        const char c = text[i];
        unsigned d;
        if (c >= '0' && c <= '9') {
            d = static_cast<unsigned>(c - '0');
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            d = static_cast<unsigned>(c - 'a' + 10);
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            d = static_cast<unsigned>(c - 'A' + 10);
        } else {
            return false;
        }
        v = v * base + d;
        // Checked every digit, so long inputs cannot wrap around.
        if (v > limit) return false;
    }
    *out = v;
    return true;
}

bool Fail(std::string* error, const std::string& why) {
    if (error) *error = why;
    return false;
}

}  // namespace

bool ParseWord(const std::string& text, uint16_t* value) {
    unsigned long v = 0;
    const bool hex = text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    if (!ParseDigits(text, hex ? 2 : 0, hex ? 16 : 10, 0xFFFF, &v)) return false;
    *value = static_cast<uint16_t>(v);
    return true;
}

bool ParseFirmware(const std::string& text, uint8_t* major, uint8_t* minor) {
    const size_t dot = text.find('.');
    if (dot == std::string::npos) return false;
    unsigned long hi = 0, lo = 0;
    if (!ParseDigits(text.substr(0, dot), 0, 10, 255, &hi)) return false;
    if (!ParseDigits(text.substr(dot + 1), 0, 10, 255, &lo)) return false;
    *major = static_cast<uint8_t>(hi);
    *minor = static_cast<uint8_t>(lo);
    return true;
}

bool ParseCommand(const std::vector<std::string>& args, Command* command, std::string* error) {
    Command c;
    if (args.empty()) return Fail(error, "no command given");
    const std::string& verb = args[0];
    const size_t extra = args.size() - 1;
    if (verb == "start" || verb == "serve") {
        c.verb = verb == "start" ? Verb::kStart : Verb::kServe;
        for (size_t i = 1; i < args.size(); ++i) {
            if (args[i] != "--firmware") return Fail(error, "unknown option " + args[i]);
            if (i + 1 >= args.size()) return Fail(error, "--firmware needs MAJOR.MINOR");
            if (!ParseFirmware(args[i + 1], &c.major, &c.minor)) {
                return Fail(error, "bad firmware version " + args[i + 1]);
            }
            c.firmwareGiven = true;
            ++i;
        }
    } else if (verb == "event") {
        if (extra != 2) return Fail(error, "event needs CODE and VALUE");
        if (!ParseWord(args[1], &c.code)) return Fail(error, "bad event code " + args[1]);
        if (!ParseWord(args[2], &c.value)) return Fail(error, "bad event value " + args[2]);
        c.verb = Verb::kEvent;
    } else if (verb == "bounce") {
        if (extra < 1 || extra > 2) return Fail(error, "bounce needs COUNT and maybe GAP_MS");
        unsigned long count = 0, gap = 0;
        if (!ParseDigits(args[1], 0, 10, kMaxBounces, &count) || count == 0) {
            return Fail(error, "bad bounce count " + args[1]);
        }
        if (extra == 2 && !ParseDigits(args[2], 0, 10, kMaxBounceGapMs, &gap)) {
            return Fail(error, "bad bounce gap " + args[2]);
        }
        c.verb = Verb::kBounce;
        c.count = static_cast<unsigned>(count);
        c.gapMs = static_cast<unsigned>(gap);
    } else if (verb == "unplug-after") {
        if (extra != 1) return Fail(error, "unplug-after needs COUNT");
        unsigned long count = 0;
        if (!ParseDigits(args[1], 0, 10, kMaxUnplugAfter, &count)) {
            return Fail(error, "bad report count " + args[1]);
        }
        c.verb = Verb::kUnplugAfter;
        c.count = static_cast<unsigned>(count);
    } else if (verb == "refuse") {
        if (extra != 1 || (args[1] != "on" && args[1] != "off")) {
            return Fail(error, "refuse needs on or off");
        }
        c.verb = Verb::kRefuse;
        c.on = args[1] == "on";
    } else if (verb == "log") {
        if (extra > 1 || (extra == 1 && args[1] != "--clear")) {
            return Fail(error, "log takes only --clear");
        }
        c.verb = extra == 1 ? Verb::kClearLog : Verb::kLog;
    } else if (verb == "help" || verb == "--help" || verb == "-h") {
        c.verb = Verb::kHelp;
    } else {
        const struct {
            const char* name;
            Verb verb;
        } plain[] = {{"stop", Verb::kStop},
                     {"plug", Verb::kPlug},
                     {"unplug", Verb::kUnplug},
                     {"state", Verb::kState}};
        bool found = false;
        for (const auto& p : plain) {
            if (verb != p.name) continue;
            if (extra != 0) return Fail(error, verb + " takes no arguments");
            c.verb = p.verb;
            found = true;
        }
        if (!found) return Fail(error, "unknown command " + verb);
    }
    *command = c;
    return true;
}

}  // namespace vmouse
}  // namespace kestra
