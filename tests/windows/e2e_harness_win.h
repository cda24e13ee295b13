// End-to-end test support: a private copy of the staged program folder, the
// programs of the system started in it as a user would start them, the
// virtual mouse driven through its own command line, and observers for what
// the programs do (windows, files, the shared block, injected keys).
//
// The system's named objects (mutexes, the shared block, window titles, the
// virtual mouse's pipe) are machine-wide, so end-to-end tests run one at a
// time, each from a fresh folder.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "settings/settings_record.h"

namespace kestra {
namespace e2e {

// The program folder staged by the build beside the test program's folder
// ("..\program"), with a trailing backslash.
std::string StagedProgramFolder();

// A fresh copy of the staged program folder (programs, libraries, skins; no
// settings), deleted again when the object ends.
class ProgramFolder {
public:
    ProgramFolder();
    // A folder that exists already (an installed one): used as it is, and
    // left in place when the object ends. With or without trailing backslash.
    explicit ProgramFolder(const std::string& existing);
    ~ProgramFolder();
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    bool ok() const { return ok_; }
    // With a trailing backslash.
    const std::string& path() const { return path_; }
    std::string File(const std::string& relative) const { return path_ + relative; }
    bool Has(const std::string& relative) const;

private:
    std::string path_;
    bool ok_ = false;
    bool owned_ = true;
};

// How many processes of programs in the folder run now.
int ProgramsRunningIn(const ProgramFolder& folder);

// A child process; terminated when the object ends while it still runs.
class Process {
public:
    Process() = default;
    ~Process();
    Process(Process&& other) noexcept;
    Process& operator=(Process&& other) noexcept;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // `program` is a full path; `arguments` are appended after a blank.
    bool Start(const std::string& program, const std::string& arguments = std::string());
    bool running() const;
    // True when the process ended within the time.
    bool Wait(DWORD timeoutMs) const;
    // STILL_ACTIVE while it runs.
    DWORD exitCode() const;
    DWORD id() const { return id_; }
    void Kill();

private:
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
};

struct RunResult {
    int exitCode = -1;   // -1: it could not be started or did not end in time
    std::string output;  // what it wrote to its standard output
    std::string errors;  // and to its standard error
};
// Runs a program to its end, capturing its standard output.
RunResult Run(const std::string& program, const std::string& arguments, DWORD timeoutMs = 20000);

// Asks for the virtual mouse in this process (KESTRA_VIRTUAL_MOUSE=1): the
// programs it starts from now on, and devport.dll loaded into it from now
// on, use it. Without it devport.dll never opens the virtual mouse.
void AskForVirtualMouse();

// Takes a variable out of this process's environment (and so out of what
// programs started meanwhile inherit) while it lives.
class WithoutEnvironmentVariable {
public:
    explicit WithoutEnvironmentVariable(const char* name);
    ~WithoutEnvironmentVariable();
    WithoutEnvironmentVariable(const WithoutEnvironmentVariable&) = delete;
    WithoutEnvironmentVariable& operator=(const WithoutEnvironmentVariable&) = delete;

private:
    std::string name_;
    std::string value_;
    bool had_ = false;
};

// The virtual mouse of a program folder, through `vmouse.exe` as a user calls
// it. Stopped when the object ends. Making one asks for it (AskForVirtualMouse).
class VirtualMouse {
public:
    explicit VirtualMouse(const ProgramFolder& folder) : program_(folder.File("vmouse.exe")) {
        AskForVirtualMouse();
    }
    // Through the `vmouse.exe` at that full path (an installed folder has none).
    explicit VirtualMouse(const std::string& program) : program_(program) { AskForVirtualMouse(); }
    ~VirtualMouse();
    VirtualMouse(const VirtualMouse&) = delete;
    VirtualMouse& operator=(const VirtualMouse&) = delete;

    // `firmware` is "MAJOR.MINOR" or empty for the default.
    bool Start(const std::string& firmware = std::string());
    bool Stop();
    bool Plug();
    bool Unplug();
    // `count` unplug/plug pairs, `gapMs` between each step; ends plugged.
    bool Bounce(unsigned count, unsigned gapMs);
    // Unplugs by itself right after `count` more reports reached it.
    bool UnplugAfter(unsigned count);
    // While on, the plugged-in mouse refuses every report: found, but silent.
    bool Refuse(bool on);
    bool Event(uint16_t code, uint16_t value);
    // Every report since start or the last clear, oldest first.
    std::vector<std::string> Log();
    bool ClearLog();
    std::string State();
    // How many times a library subscribed to it since it started: none
    // means no program ever opened it as its mouse. -1 when not running.
    int LibrarySubscriptions();

private:
    RunResult Call(const std::string& arguments);
    std::string program_;
    bool started_ = false;
};

// The lines of a log that start with `prefix`, and whether the mouse's log has one.
size_t CountPrefix(const std::vector<std::string>& log, const std::string& prefix);
bool LogHas(VirtualMouse& mouse, const std::string& prefix);

// Polls `condition` every 20 ms (pumping this thread's messages) until it
// holds or the time is up; true when it held.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);
// Pumps this thread's messages for at least `minimumMs`, then until no input
// and no posted or sent message waits in its queue (at most `limitMs`): what
// was just injected with SendInput has been handled, and what it posted too,
// however loaded the machine is. For tests whose windows live on this thread.
void SettleInput(DWORD minimumMs = 30, DWORD limitMs = 3000);
// The top-level window of that title, or null when none came in time.
HWND WaitForWindow(const char* title, DWORD timeoutMs);
bool WaitForNoWindow(const char* title, DWORD timeoutMs);

// A window of the test process that stands in for another program's window
// (Option's, the display program's) or receives a library's messages, and
// records what arrives: every private message (WM_USER and above) and
// WM_CLOSE, which it does not act on. Messages arrive while the test waits
// (WaitUntil pumps them).
struct RecordedMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    double atMs;  // on the PreciseNowMs clock
};
class MessageRecorder {
public:
    // A hidden top-level window with that title; a message-only window
    // without one.
    explicit MessageRecorder(const char* title = nullptr);
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    HWND window() const { return window_; }
    const std::vector<RecordedMessage>& messages() const { return messages_; }
    int Count(UINT message) const;
    int Count(UINT message, WPARAM wParam) const;
    // Index of the first such message at or after `from`, or -1.
    int Find(UINT message, WPARAM wParam, size_t from = 0) const;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND window_ = nullptr;
    std::vector<RecordedMessage> messages_;
};

// The shared block as the programs see it, read under its mutex.
bool ReadSharedBlock(SettingsStore& store);

// Gives the notification area an icon of this process for the rest of its
// life. Under Xvfb, Wine's stand-alone tray hides its window when the last
// icon goes and then waits two seconds for a window manager that is not
// there; Monitor removes its icon when the mouse is removed, so without
// another icon the shell, not Monitor, would set the pace. True when the
// icon is there.
bool KeepNotificationAreaIcon();
// Whether the notification area has the icon `id` of `owner` (another
// process's window will do).
bool HasNotificationIcon(HWND owner, UINT id);
// The tips of the notification area's icons as the shell shows them: the
// texts of the tools of the shell's tooltip windows, read from its process.
std::vector<std::wstring> NotificationAreaTips();

// Monitor.exe of a folder. The destructor ends it as the tray menu would and
// waits for it; a Monitor that does not end is terminated.
class MonitorProgram {
public:
    explicit MonitorProgram(const ProgramFolder& folder) : folder_(folder) {}
    ~MonitorProgram() { Close(); }
    MonitorProgram(const MonitorProgram&) = delete;
    MonitorProgram& operator=(const MonitorProgram&) = delete;

    // Starts it and waits until its window exists.
    bool Start(const std::string& arguments = std::string());
    HWND window() const;
    // Ends it through its tray menu's exit command; true when it ended in time.
    bool Close(DWORD timeoutMs = 10000);
    Process& process() { return process_; }

private:
    const ProgramFolder& folder_;
    Process process_;
};

// The keys that reach a low-level keyboard hook while the observer lives. The
// keys are swallowed, so nothing else on the test desktop reacts to them.
struct ObservedKey {
    DWORD virtualKey;
    bool up;
    DWORD time;   // the event's own time stamp, in ms
    double atMs;  // when the hook saw it, on the PreciseNowMs clock
};

// Milliseconds on the performance counter, for measuring short intervals.
double PreciseNowMs();
class KeyObserver {
public:
    KeyObserver();
    ~KeyObserver();
    KeyObserver(const KeyObserver&) = delete;
    KeyObserver& operator=(const KeyObserver&) = delete;

    bool ok() const { return hooked_; }
    std::vector<ObservedKey> Keys() const;
    // "+65 -65 ": '+' pressed, '-' released, then the virtual key.
    std::string Describe() const;
    void Clear();

private:
    static DWORD WINAPI Thread(LPVOID self);
    HANDLE thread_ = nullptr;
    DWORD threadId_ = 0;
    HANDLE ready_ = nullptr;
    bool hooked_ = false;
};

// Settings files written before a program starts: the default store with
// whatever `edit` changes, saved into the folder as Option would save it.
void WriteSettings(const ProgramFolder& folder, const std::function<void(SettingsStore&)>& edit);

// The bytes of a 24-bit bottom-up BMP file whose pixels `pixel` gives: the
// images of test skins.
using PixelFn = std::function<COLORREF(int x, int y)>;
std::string BmpBytes(int w, int h, const PixelFn& pixel);

// Integer value of config.ini's section "Setting" (or another), `fallback`
// when missing.
int ReadConfigInt(const ProgramFolder& folder, const char* key, int fallback,
                  const char* section = "Setting");

// What a person would look at when a wait ran out: config.ini's "Setting"
// section, the virtual mouse's state and the end of its log. For the
// message of a failed assertion.
std::string Observed(const ProgramFolder& folder, VirtualMouse& mouse);

// Real pointer input, as a user gives it (SendInput at screen positions,
// pumping this thread's messages between the steps). A rectangle of a skin
// entry is in the client coordinates of the window the skin belongs to;
// `origin` shifts it when that window is a child placed inside another
// (a page inside the main window, a row inside a page).
struct SkinPlace {
    HWND window;   // whose client area the coordinates are in
    POINT origin;  // added to the entry's coordinates
};
// The entry's rectangle in a skin file of the folder: a control entry, or
// a placement "left,top,right,bottom"; empty when missing.
RECT SkinEntryRect(const ProgramFolder& folder, const char* skinFile, int entry);
POINT ScreenPoint(const SkinPlace& place, int x, int y);
void MovePointerTo(POINT screen);
void ClickOnScreen(POINT screen);
// Presses at `from`, moves to `to` in small steps and lets go.
void DragOnScreen(POINT from, POINT to);
// Clicks the centre of the entry.
void ClickSkinEntry(const ProgramFolder& folder, const char* skinFile, int entry,
                    const SkinPlace& place);

// Keys as a user types them (SendInput): one press or release, and a key
// pressed and released with the input settled after it.
void SendKey(WORD virtualKey, bool up);
void PressKey(WORD virtualKey);
// Whether a popup menu (of any process) is on the screen.
bool MenuOpen();
// A line of `vmouse log`: its kind ("set", "out", ...) and the bytes in hex.
std::string LogLine(const char* kind, const uint8_t* bytes, size_t count);

// The window of process `processId` in front, other than `main` (a dialog
// the program opened), once there is one; null after the time.
HWND WaitForForegroundDialog(DWORD processId, HWND main, DWORD timeoutMs);
// Each character of a text typed (as Unicode characters, whatever the
// keyboard layout).
void TypeText(const std::string& text);
// Picks the entry at `position` of the popup menu that is open or about to
// open, with the keyboard as a user may (a menu without separators).
bool PickMenuEntry(int position, DWORD timeoutMs = 8000);

// What a user does while the test's own thread is held by a menu or a modal
// dialog of the window under test, on a thread of its own. A script that
// fails presses Escape (three times, for nested menus) and then runs
// `giveUp`, so that nothing is left holding the test.
class UserThread {
public:
    explicit UserThread(std::function<bool()> script, std::function<void()> giveUp = {});
    ~UserThread() { thread_.join(); }
    UserThread(const UserThread&) = delete;
    UserThread& operator=(const UserThread&) = delete;
    bool done() const { return done_; }

private:
    std::atomic<bool> done_{false};
    std::thread thread_;
};

}  // namespace e2e
}  // namespace kestra
