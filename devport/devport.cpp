// devport.dll: Monitor's only way to the mouse. Feature and output reports go
// to the virtual mouse when one runs, otherwise to the real mouse's vendor
// collection; a monitor thread follows arrival and removal of both and turns
// event reports into window messages.
#include "devport/devport.h"

#include <dbt.h>
// hid.dll's headers declare no C linkage of their own.
extern "C" {
#include <hidsdi.h>
}

#include <string>
#include <vector>

#include "devport/hid_device_win.h"
#include "devport/presence_choice.h"
#include "devport/virtual_device_win.h"
#include "vmouse/vmouse_wire.h"

namespace {

using kestra::devport::FindDevicePath;
using kestra::devport::HidReportLengths;
using kestra::devport::OpenDevicePath;
using kestra::devport::PresenceMessage;
using kestra::devport::VirtualChannel;
using kestra::devport::VirtualOpen;
using kestra::devport::VirtualWatch;

constexpr int kEventReportBytes = 4;  // code and value, 16 bits each, little-endian
constexpr DWORD kWriteTimeoutMs = 1000;
// How often the monitor thread looks again for a virtual mouse that says it
// runs (its event is set) but did not answer; one that does not run is
// waited for on its event, without waking.
constexpr DWORD kVirtualRetryMs = 250;
// The monitor thread's stack: the program's default of 2 MiB is committed
// whole under Wine, and the thread needs a small part of it.
constexpr DWORD kMonitorStackReserve = 256 * 1024;
// Longest wait in Open_DevMonitor for the thread's first look at the mouse.
constexpr DWORD kMonitorStartMs = 5000;

struct Library {
    CRITICAL_SECTION lock;
    USHORT vid = 0;
    USHORT pid = 0;
    HANDLE feature = INVALID_HANDLE_VALUE;
    HANDLE report = INVALID_HANDLE_VALUE;
    HidReportLengths lengths;
    VirtualChannel virtualFeature{kestra::vmouse::kChannelFeature};
    VirtualChannel virtualReport{kestra::vmouse::kChannelReport};

    HWND target = nullptr;
    UINT eventMessage = 0;
    UINT presenceMessage = 0;
    HANDLE monitorThread = nullptr;
    HANDLE stopEvent = nullptr;
    HANDLE readyEvent = nullptr;
};

Library g_lib;

struct Locked {
    Locked() { EnterCriticalSection(&g_lib.lock); }
    ~Locked() { LeaveCriticalSection(&g_lib.lock); }
};

void CloseIfOpen(HANDLE& handle) {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    handle = INVALID_HANDLE_VALUE;
}

// Opens one channel on the mouse; false when it is absent. A running
// virtual mouse is the mouse, plugged or not. An open channel is opened
// afresh: one from before a removal is dead, though its handle is not.
bool OpenChannel(HANDLE& handle, VirtualChannel& virtualChannel, bool overlapped) {
    Locked locked;
    CloseIfOpen(handle);
    const VirtualOpen v = virtualChannel.Open();
    if (v == VirtualOpen::kOpened) return true;
    if (v == VirtualOpen::kUnplugged) return false;
    HidReportLengths lengths;
    const std::string path = FindDevicePath(g_lib.vid, g_lib.pid, &lengths);
    if (path.empty()) return false;
    handle = OpenDevicePath(path, overlapped);
    if (handle == INVALID_HANDLE_VALUE) return false;
    g_lib.lengths = lengths;
    return true;
}

// Report buffer as hid.dll wants it: report id 0 in front, then the bytes,
// zero-padded to the collection's report length.
std::vector<unsigned char> Framed(const unsigned char* bytes, int length, USHORT reportLength) {
    const size_t size = reportLength > length ? reportLength : static_cast<size_t>(length) + 1;
    std::vector<unsigned char> frame(size, 0);
    for (int i = 0; i < length && static_cast<size_t>(i) + 1 < size; ++i) frame[i + 1] = bytes[i];
    return frame;
}

// Monitor thread ---------------------------------------------------------

struct Reader {
    HANDLE handle = INVALID_HANDLE_VALUE;
    HANDLE done = nullptr;
    OVERLAPPED overlapped = {};
    std::vector<unsigned char> buffer;
    bool pending = false;
    USHORT inputLength = 0;

    void Start() {
        if (handle == INVALID_HANDLE_VALUE) return;
        buffer.assign(inputLength > kEventReportBytes ? inputLength : 1 + kEventReportBytes, 0);
        overlapped = {};
        overlapped.hEvent = done;
        ResetEvent(done);
        const BOOL ok = ReadFile(handle, buffer.data(), static_cast<DWORD>(buffer.size()), nullptr,
                                 &overlapped);
        pending = ok || GetLastError() == ERROR_IO_PENDING;
        if (!pending) Stop();
    }
    void Stop() {
        if (handle != INVALID_HANDLE_VALUE) {
            CancelIo(handle);
            if (pending) WaitForSingleObject(done, 100);
        }
        pending = false;
        CloseIfOpen(handle);
    }
    void Finish() {
        DWORD got = 0;
        const BOOL ok = GetOverlappedResult(handle, &overlapped, &got, FALSE);
        pending = false;
        if (!ok) {
            Stop();  // the mouse went away; presence follows from the notification
            return;
        }
        if (got >= 1 + kEventReportBytes && g_lib.target) {
            const unsigned code = buffer[1] | (buffer[2] << 8);
            const unsigned value = buffer[3] | (buffer[4] << 8);
            PostMessageA(g_lib.target, g_lib.eventMessage, code, value);
        }
        Start();
    }
};

kestra::devport::MouseSources g_sources;
kestra::devport::PresenceReport g_presence(g_sources);
Reader g_reader;
VirtualWatch g_watch;

void ReportPresence() {
    const PresenceMessage m = g_presence.Update(g_sources);
    if (m == PresenceMessage::kNone) return;
    PostMessageA(g_lib.target, g_lib.presenceMessage, m == PresenceMessage::kArrival ? 1 : 0, 0);
}

void CheckPresence() {
    HidReportLengths lengths;
    const std::string path = FindDevicePath(g_lib.vid, g_lib.pid, &lengths);
    const bool present = !path.empty();
    if (present && g_reader.handle == INVALID_HANDLE_VALUE) {
        g_reader.inputLength = lengths.input;
        g_reader.handle = OpenDevicePath(path, true);
        g_reader.Start();
    }
    if (!present) g_reader.Stop();
    g_sources.hidPresent = present;
}

// Starting the virtual mouse counts as plugging it in (when it starts
// plugged), stopping or losing it as pulling it out.
void WatchVirtualMouse() {
    if (g_watch.Connected()) return;
    bool plugged = false;
    g_sources.virtualRunning = g_watch.Connect(&plugged);
    g_sources.virtualPlugged = g_sources.virtualRunning && plugged;
}

void TakeVirtualPush() {
    std::vector<uint8_t> push;
    if (g_watch.Take(&push)) {
        uint16_t code = 0, value = 0;
        if (push.size() == 5 && push[0] == kestra::vmouse::kPushEvent &&
            kestra::vmouse::GetU16(push, 1, &code) && kestra::vmouse::GetU16(push, 3, &value)) {
            if (g_lib.target) PostMessageA(g_lib.target, g_lib.eventMessage, code, value);
        } else if (push.size() == 2 && push[0] == kestra::vmouse::kPushPresence) {
            g_sources.virtualPlugged = push[1] != 0;
        }
    }
    if (!g_watch.Connected()) {
        g_sources.virtualRunning = false;
        g_sources.virtualPlugged = false;
    }
}

LRESULT CALLBACK NotifyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DEVICECHANGE &&
        (wParam == DBT_DEVICEARRIVAL || wParam == DBT_DEVICEREMOVECOMPLETE)) {
        CheckPresence();
        ReportPresence();
        return TRUE;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

DWORD WINAPI MonitorThread(void*) {
    const char kClass[] = "KestraDevportNotify";
    WNDCLASSA wc = {};
    wc.lpfnWndProc = NotifyProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kClass;
    RegisterClassA(&wc);
    HWND window =
        CreateWindowExA(0, kClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    DEV_BROADCAST_DEVICEINTERFACE_A filter = {};
    filter.dbcc_size = sizeof filter;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    HidD_GetHidGuid(&filter.dbcc_classguid);
    HDEVNOTIFY notify =
        window ? RegisterDeviceNotificationA(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE)
               : nullptr;

    g_reader.done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE virtualRunning = CreateEventA(nullptr, TRUE, FALSE, kestra::vmouse::kRunningEventName);
    // Only changes are reported; the state at opening is what
    // Open_ReportDevice tells. This first look is taken before
    // Open_DevMonitor returns, so that no change after it goes unreported.
    g_sources = kestra::devport::MouseSources();
    CheckPresence();
    WatchVirtualMouse();
    g_presence = kestra::devport::PresenceReport(g_sources);
    SetEvent(g_lib.readyEvent);

    for (;;) {
        HANDLE waits[3] = {g_lib.stopEvent};
        DWORD count = 1;
        // Indexes past any wait result when the handle is not waited on.
        DWORD readerIndex = 100, watchIndex = 100;
        if (g_reader.pending) {
            readerIndex = count;
            waits[count++] = g_reader.done;
        }
        DWORD timeout = INFINITE;
        if (g_watch.Connected()) {
            watchIndex = count;
            waits[count++] = g_watch.Event();
        } else if (!virtualRunning || WaitForSingleObject(virtualRunning, 0) == WAIT_OBJECT_0) {
            timeout = kVirtualRetryMs;  // it runs, or may: it did not answer yet
        } else {
            waits[count++] = virtualRunning;  // wakes the loop, which connects
        }
        const DWORD r = MsgWaitForMultipleObjects(count, waits, FALSE, timeout, QS_ALLINPUT);
        if (r == WAIT_OBJECT_0) break;
        if (r == WAIT_OBJECT_0 + readerIndex) {
            g_reader.Finish();
        } else if (r == WAIT_OBJECT_0 + watchIndex) {
            TakeVirtualPush();
        } else if (r == WAIT_OBJECT_0 + count) {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        }
        WatchVirtualMouse();
        ReportPresence();
    }

    g_watch.Close();
    if (virtualRunning) CloseHandle(virtualRunning);
    g_reader.Stop();
    CloseHandle(g_reader.done);
    g_reader.done = nullptr;
    if (notify) UnregisterDeviceNotification(notify);
    if (window) DestroyWindow(window);
    UnregisterClassA(kClass, wc.hInstance);
    return 0;
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) InitializeCriticalSection(&g_lib.lock);
    if (reason == DLL_PROCESS_DETACH) DeleteCriticalSection(&g_lib.lock);
    return TRUE;
}

DEVPORT_API int Set_VIDPID(int vid, int pid) {
    Locked locked;
    g_lib.vid = static_cast<USHORT>(vid);
    g_lib.pid = static_cast<USHORT>(pid);
    return 1;
}

DEVPORT_API int Open_DevMonitor(HWND window, UINT eventMessage, UINT presenceMessage) {
    if (g_lib.monitorThread) return 1;
    g_lib.target = window;
    g_lib.eventMessage = eventMessage;
    g_lib.presenceMessage = presenceMessage;
    g_lib.stopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    g_lib.readyEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    g_lib.monitorThread = CreateThread(nullptr, kMonitorStackReserve, MonitorThread, nullptr,
                                       STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (!g_lib.monitorThread) {
        CloseHandle(g_lib.stopEvent);
        CloseHandle(g_lib.readyEvent);
        g_lib.stopEvent = g_lib.readyEvent = nullptr;
        return 0;
    }
    HANDLE waits[2] = {g_lib.readyEvent, g_lib.monitorThread};
    WaitForMultipleObjects(2, waits, FALSE, kMonitorStartMs);
    return 1;
}

DEVPORT_API int Close_DevMonitor() {
    if (!g_lib.monitorThread) return 0;
    SetEvent(g_lib.stopEvent);
    WaitForSingleObject(g_lib.monitorThread, INFINITE);
    CloseHandle(g_lib.monitorThread);
    CloseHandle(g_lib.stopEvent);
    CloseHandle(g_lib.readyEvent);
    g_lib.monitorThread = nullptr;
    g_lib.stopEvent = nullptr;
    g_lib.readyEvent = nullptr;
    g_lib.target = nullptr;
    return 1;
}

DEVPORT_API int Open_FeatureDevice() {
    return OpenChannel(g_lib.feature, g_lib.virtualFeature, false) ? 1 : 0;
}

DEVPORT_API int Close_FeatureDevice() {
    Locked locked;
    CloseIfOpen(g_lib.feature);
    g_lib.virtualFeature.Close();
    return 1;
}

DEVPORT_API int Open_ReportDevice() {
    return OpenChannel(g_lib.report, g_lib.virtualReport, true) ? 1 : 0;
}

DEVPORT_API int Close_ReportDevice() {
    Locked locked;
    CloseIfOpen(g_lib.report);
    g_lib.virtualReport.Close();
    return 1;
}

DEVPORT_API int SetFeature(unsigned char* buffer, int length) {
    if (!buffer || length <= 0) return 0;
    Locked locked;
    if (g_lib.virtualFeature.IsOpen()) {
        return g_lib.virtualFeature.Send(kestra::vmouse::kReqSetFeature, buffer, length);
    }
    if (g_lib.feature == INVALID_HANDLE_VALUE) return 0;
    std::vector<unsigned char> frame = Framed(buffer, length, g_lib.lengths.feature);
    return HidD_SetFeature(g_lib.feature, frame.data(), static_cast<ULONG>(frame.size())) ? 1 : 0;
}

DEVPORT_API int GetFeature(unsigned char* buffer, int length) {
    if (!buffer || length <= 0) return 0;
    Locked locked;
    if (g_lib.virtualFeature.IsOpen()) {
        uint8_t answer[8] = {};
        if (!g_lib.virtualFeature.Send(kestra::vmouse::kReqGetFeature, buffer, length, answer)) {
            return 0;
        }
        for (int i = 0; i < length && i < 8; ++i) buffer[i] = answer[i];
        return 1;
    }
    if (g_lib.feature == INVALID_HANDLE_VALUE) return 0;
    std::vector<unsigned char> frame = Framed(buffer, length, g_lib.lengths.feature);
    if (!HidD_GetFeature(g_lib.feature, frame.data(), static_cast<ULONG>(frame.size()))) return 0;
    for (int i = 0; i < length && static_cast<size_t>(i) + 1 < frame.size(); ++i) {
        buffer[i] = frame[i + 1];
    }
    return 1;
}

DEVPORT_API int WriteUSB(unsigned char* buffer, int length) {
    if (!buffer || length <= 0) return 0;
    Locked locked;
    if (g_lib.virtualReport.IsOpen()) {
        return g_lib.virtualReport.Send(kestra::vmouse::kReqWriteOutput, buffer, length);
    }
    if (g_lib.report == INVALID_HANDLE_VALUE) return 0;
    std::vector<unsigned char> frame = Framed(buffer, length, g_lib.lengths.output);
    OVERLAPPED overlapped = {};
    overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD written = 0;
    BOOL ok = WriteFile(g_lib.report, frame.data(), static_cast<DWORD>(frame.size()), nullptr,
                        &overlapped);
    if (!ok && GetLastError() == ERROR_IO_PENDING) {
        // A mouse that stops reading must not hang the device thread.
        if (WaitForSingleObject(overlapped.hEvent, kWriteTimeoutMs) != WAIT_OBJECT_0) {
            CancelIo(g_lib.report);
            WaitForSingleObject(overlapped.hEvent, 100);
        }
        ok = GetOverlappedResult(g_lib.report, &overlapped, &written, FALSE);
    } else if (ok) {
        ok = GetOverlappedResult(g_lib.report, &overlapped, &written, FALSE);
    }
    CloseHandle(overlapped.hEvent);
    return ok && written == frame.size() ? 1 : 0;
}

DEVPORT_API int ReadUSB(unsigned char*, int) {
    // Events reach Monitor as messages; nothing reads reports synchronously.
    return 0;
}
