// The plain-text device report of `Monitor.exe /devices`: what a user sends
// when the mouse is not found or does not answer. Portable: the facts are
// gathered by device_report_win.cpp.
#pragma once

#include <string>

#include "device/presence.h"

namespace kestra {

struct DeviceReportFacts {
    std::string madeAt;  // "2026-12-09 12:00:01", local time
    std::string programFolder;
    bool libraryBound = false;
    // The library's account of the HID interfaces and its choice; empty
    // when it gives none.
    std::string interfaces;
    // A running Monitor owns the mouse: it is asked, not the mouse.
    bool monitorRunning = false;
    bool monitorAnswered = false;    // it answered the question in time
    unsigned long monitorState = 0;  // its DeviceStateWord
    // Otherwise the mouse itself: its channels, and its version if it gave one.
    bool channelsOpened = false;
    bool firmwareRead = false;
    FirmwareVersion firmware;
    FirmwareVersion expected;
};

// The report, lines ending in CR LF.
std::string DeviceReportText(const DeviceReportFacts& facts);

}  // namespace kestra
