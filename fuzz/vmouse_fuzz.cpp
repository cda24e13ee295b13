// Any bytes as the reports the virtual mouse receives, and as its command
// line: every report is checked and logged, none changes a setting it must
// not, and the state and log texts stay well formed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "vmouse/virtual_firmware.h"
#include "vmouse/vmouse_command.h"

using namespace kestra;
using namespace kestra::vmouse;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    VirtualFirmware firmware;
    size_t at = 0;
    while (at < size) {
        const uint8_t op = data[at++] % 4;
        const size_t length = at < size ? data[at++] % 80 : 0;
        const size_t take = length < size - at ? length : size - at;
        const uint8_t* bytes = data + at;
        at += take;
        uint8_t answer[kFeatureReportSize] = {};
        switch (op) {
            case 0:
                (void)firmware.SetFeature(bytes, take);
                break;
            case 1:
                (void)firmware.GetFeature(bytes, take, answer);
                break;
            case 2:
                (void)firmware.WriteOutput(bytes, take);
                break;
            default:
                if (take >= 4) {
                    firmware.NoteOwnChange(static_cast<uint16_t>(bytes[0] | (bytes[1] << 8)),
                                           static_cast<uint16_t>(bytes[2] | (bytes[3] << 8)));
                }
                break;
        }
        const int active = firmware.State().activeProfile;
        if (active < 1 || active > kProfileCount) abort();
    }
    const LinkState link;
    (void)DescribeState(firmware, link);
    const std::string log = firmware.Log().Text();
    if (!log.empty() && log.back() != '\n') abort();

    // The same bytes as words of a command line.
    std::vector<std::string> args;
    std::string word;
    for (size_t i = 0; i < size && args.size() < 8; ++i) {
        const char c = static_cast<char>(data[i]);
        if (c == ' ' || c == '\0') {
            if (!word.empty()) args.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty()) args.push_back(word);
    Command command;
    std::string error;
    (void)ParseCommand(args, &command, &error);
    return 0;
}
