// devport.dll: Monitor's only way to the mouse. Feature and output reports go
// to the collections of the real mouse that carry them (or, where a
// developer asks for it, to the virtual mouse); a monitor thread follows
// arrival and removal and turns event reports into window messages.
#include "devport/devport.h"

#include <dbt.h>
// hid.dll's headers declare no C linkage of their own.
extern "C" {
#include <hidsdi.h>
}

#include <cstring>
#include <string>
#include <vector>

#include "devport/channel_choice.h"
#include "devport/hid_device_win.h"
#include "devport/hid_mouse.h"
#include "devport/presence_choice.h"
#include "devport/virtual_device_win.h"
#include "vmouse/vmouse_wire.h"

namespace {

using kestra::devport::HidCommandChannels;
using kestra::devport::HidEventWatch;
using kestra::devport::PresenceMessage;
using kestra::devport::VirtualChannel;
using kestra::devport::VirtualOpen;
using kestra::devport::VirtualWatch;
using kestra::devport::WindowsHidBackend;

// How often the monitor thread looks again for a virtual mouse that says it
// runs (its event is set) but did not answer; one that does not run is
// waited for on its event, without waking.
constexpr DWORD kVirtualRetryMs = 250;
// The monitor thread's stack: the program's default of 2 MiB is committed
// whole under Wine, and the thread needs a small part of it.
constexpr DWORD kMonitorStackReserve = 256 * 1024;
// Longest wait in Open_DevMonitor for the thread's first look at the mouse.
constexpr DWORD kMonitorStartMs = 5000;

// Posts each event of the real mouse to the window Monitor named.
class PostingSink : public kestra::devport::EventSink {
public:
    void DeviceEvent(uint16_t code, uint16_t value) override;
};

struct Library {
    CRITICAL_SECTION lock;
    // Read once as the library is loaded: only a process started with
    // KESTRA_VIRTUAL_MOUSE=1 ever opens the virtual mouse's pipe.
    bool virtualAllowed = false;
    USHORT vid = 0;
    USHORT pid = 0;
    WindowsHidBackend backend;
    HidCommandChannels commands{backend};
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

bool VirtualMouseAsked() {
    char value[8] = {};
    const DWORD length =
        GetEnvironmentVariableA(kestra::vmouse::kVirtualMouseVariable, value, sizeof value);
    return length == 1 && value[0] == '1';
}

// Opens one channel afresh; false when the mouse is absent. Where the virtual
// mouse is asked for and runs, it is the mouse, plugged or not.
bool OpenChannel(bool feature) {
    Locked locked;
    VirtualChannel& virtualChannel = feature ? g_lib.virtualFeature : g_lib.virtualReport;
    if (feature) {
        g_lib.commands.CloseFeature();
    } else {
        g_lib.commands.CloseOutput();
    }
    if (g_lib.virtualAllowed) {
        const VirtualOpen v = virtualChannel.Open();
        if (v == VirtualOpen::kOpened) return true;
        if (v == VirtualOpen::kUnplugged) return false;
    }
    return feature ? g_lib.commands.OpenFeature(g_lib.vid, g_lib.pid)
                   : g_lib.commands.OpenOutput(g_lib.vid, g_lib.pid);
}

// Monitor thread ---------------------------------------------------------

PostingSink g_sink;
HidEventWatch g_events(g_lib.backend, g_sink);
kestra::devport::MouseSources g_sources;
kestra::devport::PresenceReport g_presence(g_sources);
VirtualWatch g_watch;

void PostingSink::DeviceEvent(uint16_t code, uint16_t value) {
    if (g_lib.target) PostMessageA(g_lib.target, g_lib.eventMessage, code, value);
}

void ReportPresence() {
    const PresenceMessage m = g_presence.Update(g_sources);
    if (m == PresenceMessage::kNone) return;
    PostMessageA(g_lib.target, g_lib.presenceMessage, m == PresenceMessage::kArrival ? 1 : 0, 0);
}

void CheckPresence() {
    g_sources.hidPresent = g_events.Refresh(g_lib.vid, g_lib.pid);
}

// Starting the virtual mouse counts as plugging it in (when it starts
// plugged), stopping or losing it as pulling it out.
void WatchVirtualMouse() {
    if (!g_lib.virtualAllowed || g_watch.Connected()) return;
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
            g_sink.DeviceEvent(code, value);
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

    HANDLE virtualRunning =
        g_lib.virtualAllowed ? CreateEventA(nullptr, TRUE, FALSE, kestra::vmouse::kRunningEventName)
                             : nullptr;
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
        if (HANDLE reading = static_cast<HANDLE>(g_events.Waitable())) {
            readerIndex = count;
            waits[count++] = reading;
        }
        DWORD timeout = INFINITE;
        if (!g_lib.virtualAllowed) {
            // Only the stop, the events and the system's device notices wake it.
        } else if (g_watch.Connected()) {
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
            g_events.OnReadDone();
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
    g_events.Close();
    if (notify) UnregisterDeviceNotification(notify);
    if (window) DestroyWindow(window);
    UnregisterClassA(kClass, wc.hInstance);
    return 0;
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        InitializeCriticalSection(&g_lib.lock);
        g_lib.virtualAllowed = VirtualMouseAsked();
    }
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
    return OpenChannel(true) ? 1 : 0;
}

DEVPORT_API int Close_FeatureDevice() {
    Locked locked;
    g_lib.commands.CloseFeature();
    g_lib.virtualFeature.Close();
    return 1;
}

DEVPORT_API int Open_ReportDevice() {
    return OpenChannel(false) ? 1 : 0;
}

DEVPORT_API int Close_ReportDevice() {
    Locked locked;
    g_lib.commands.CloseOutput();
    g_lib.virtualReport.Close();
    return 1;
}

DEVPORT_API int SetFeature(unsigned char* buffer, int length) {
    if (!buffer || length <= 0) return 0;
    Locked locked;
    if (g_lib.virtualFeature.IsOpen()) {
        return g_lib.virtualFeature.Send(kestra::vmouse::kReqSetFeature, buffer, length);
    }
    return g_lib.commands.SetFeature(buffer, length);
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
    return g_lib.commands.GetFeature(buffer, length);
}

DEVPORT_API int WriteUSB(unsigned char* buffer, int length) {
    if (!buffer || length <= 0) return 0;
    Locked locked;
    if (g_lib.virtualReport.IsOpen()) {
        return g_lib.virtualReport.Send(kestra::vmouse::kReqWriteOutput, buffer, length);
    }
    return g_lib.commands.Write(buffer, length);
}

DEVPORT_API int ReadUSB(unsigned char*, int) {
    // Events reach Monitor as messages; nothing reads reports synchronously.
    return 0;
}

DEVPORT_API int Describe_Devices(char* buffer, int size) {
    USHORT vid, pid;
    {
        Locked locked;
        vid = g_lib.vid;
        pid = g_lib.pid;
    }
    std::string text = kestra::devport::DescribeCollections(g_lib.backend.Enumerate(), vid, pid);
    if (g_lib.virtualAllowed) {
        bool plugged = false;
        VirtualWatch probe;
        const bool running = probe.Connect(&plugged);
        probe.Close();
        text += std::string("Virtual mouse (") + kestra::vmouse::kVirtualMouseVariable + "=1): " +
                (running ? (plugged ? "running, plugged in: it is the mouse\r\n"
                                    : "running, unplugged: the mouse counts as absent\r\n")
                         : "not running\r\n");
    }
    const int needed = static_cast<int>(text.size()) + 1;
    if (buffer && size > 0) {
        const size_t copied =
            text.size() < static_cast<size_t>(size) ? text.size() : static_cast<size_t>(size) - 1;
        memcpy(buffer, text.data(), copied);
        buffer[copied] = '\0';
    }
    return needed;
}
