#include "monitor/device_report.h"

#include "settings/ipc_names.h"

namespace kestra {

namespace {

std::string Version(unsigned major, unsigned minor) {
    return std::to_string(major) + "." + std::to_string(minor);
}

std::string Expected(const FirmwareVersion& expected) {
    return " (expected " +
           Version(static_cast<unsigned>(expected.major), static_cast<unsigned>(expected.minor)) +
           ")";
}

std::string MonitorLine(const DeviceReportFacts& f) {
    if (!f.monitorAnswered) return "running, but it did not answer within 2 seconds";
    const unsigned long word = f.monitorState;
    std::string text = "running; the mouse as it sees it: ";
    switch (DeviceStateAnswer(word)) {
        case kMouseAbsent:
            return text + "not plugged in";
        case kMouseAnswering:
            text += "answering";
            break;
        case kMouseNotAnswering:
            text += "found but not answering";
            break;
        case kMouseNotChecked:
            text += "plugged in, not checked yet";
            break;
        default:
            return text + "unknown";
    }
    if (DeviceStateVersionKnown(word)) {
        text += ", firmware " + Version(DeviceStateMajor(word), DeviceStateMinor(word)) +
                Expected(f.expected);
    }
    return text;
}

std::string FirmwareLine(const DeviceReportFacts& f) {
    if (!f.channelsOpened) return "not asked: the mouse's channels could not be opened";
    if (!f.firmwareRead) return "no answer to the version request after 3 tries";
    return Version(static_cast<unsigned>(f.firmware.major),
                   static_cast<unsigned>(f.firmware.minor)) +
           Expected(f.expected);
}

}  // namespace

std::string DeviceReportText(const DeviceReportFacts& f) {
    std::string text = "Gaming mouse device report, " + f.madeAt + "\r\n";
    text += "Program folder: " + f.programFolder + "\r\n";
    if (!f.libraryBound) {
        text += "devport.dll: missing or incomplete, so the mouse cannot be reached\r\n";
        return text;
    }
    text += f.interfaces.empty() ? "devport.dll gives no account of the HID interfaces\r\n"
                                 : f.interfaces;
    if (f.monitorRunning) {
        text += "Monitor: " + MonitorLine(f) + "\r\n";
    } else {
        text += "Monitor: not running; the mouse was asked itself\r\n";
        text += "Firmware: " + FirmwareLine(f) + "\r\n";
    }
    return text;
}

}  // namespace kestra
