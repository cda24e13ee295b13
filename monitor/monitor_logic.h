// Monitor's behaviour between its window messages and the world: what a
// message, a timer or a mouse event leads to, and in which order. The window
// thread (monitor_wnd_win.cpp) owns one MonitorLogic and carries out its
// effects; the device thread runs DeviceJobs. Portable, so that every order of
// steps is testable without Windows.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "device/apply_all.h"
#include "device/presence.h"
#include "device/report_link.h"
#include "monitor/add_ons.h"
#include "monitor/dispatch.h"
#include "monitor/macro_player.h"
#include "monitor/tray_tip.h"
#include "settings/system_mouse.h"

namespace kestra {

// What the window thread does on the logic's behalf.
class MonitorEffects {
public:
    virtual ~MonitorEffects() = default;
    virtual void DebugLine(const std::string& line) = 0;
    // Copies under the block mutex; false when nothing was copied.
    virtual bool ReadBlock(SettingsStore& store) = 0;
    virtual bool WriteBlock(const SettingsStore& store) = 0;
    // Posts to Option's main window; false when it does not exist.
    virtual bool PostToOption(unsigned message) = 0;
    // The OSD window's handle as a number, 0 when absent (for the debug line).
    virtual uintptr_t OsdWindow() = 0;
    virtual void StartTimer(unsigned id, unsigned periodMs) = 0;
    virtual void KillTimer(unsigned id) = 0;
    // False when the device thread could not be reached.
    virtual bool PostDeviceJob(unsigned job) = 0;
    // False when the macro thread could not be reached.
    virtual bool PostPlayMacro() = 0;
    // WM_COMMAND ID_TRAY_OPEN to Monitor's own window.
    virtual void PostOpenOption() = 0;
    virtual void ShellOpen(const std::string& path) = 0;
    virtual void SaveCurrentProfile(int profile) = 0;
    // The active level of profile `index` into its profile file.
    virtual void SaveActiveLevel(int index, const ProfileSettings& profile) = 0;
    virtual void SaveDevicePresence(int state) = 0;
    virtual bool ReadOsdSettings(OsdSettings& osd) = 0;
    virtual void AddTrayIcon() = 0;
    // The tray icon's tip shows this profile and level from now on.
    virtual void ShowTrayTip(const TrayTipInfo& info) = 0;
    virtual void RemoveTrayIcon() = 0;
    // UM_DEVICE_STATE to Option's main window, when there is one.
    virtual void PostDeviceStateToOption(unsigned long word) = 0;
    // Brings up Option, or starts it.
    virtual void OpenCustomizer() = 0;
    // Executable file name (no path) of the foreground window's process.
    virtual std::string ForegroundProgram() = 0;
    // Calls MonitorLogic::OnForegroundChange on the window thread whenever
    // another window comes to the foreground; false when that cannot be
    // set up or relied on (a system that raises no foreground events), and
    // the timer looks as well. Unhooking what is not hooked does nothing.
    virtual bool HookForeground() = 0;
    virtual void UnhookForeground() = 0;
};

class MonitorLogic {
public:
    struct Parts {
        MonitorEffects& effects;
        DeviceFlags& flags;
        KeyInjector& keys;
        const KeyboardLayout& layout;
        MacroPlayer& player;
        PointerRegistry& registry;
        PointerWriter& pointer;
        FirmwarePrompt& prompt;
    };
    explicit MonitorLogic(const Parts& parts);
    MonitorLogic(const MonitorLogic&) = delete;
    MonitorLogic& operator=(const MonitorLogic&) = delete;

    // Never null; the default add-ons do nothing.
    void SetAddOns(MonitorAddOns* addOns);
    MonitorAddOns& addOns() { return *addOns_; }

    SettingsStore& working() { return *working_; }
    const SettingsStore& applied() const { return *applied_; }
    const OsdSettings& osd() const { return osd_; }
    void SetOsd(const OsdSettings& osd) { osd_ = osd; }
    bool connected() const { return flags_.connected == kDevicePresent; }

    // Start-up: the loaded settings become both copies.
    void Load(const SettingsStore& loaded);
    // Where the firmware updater is looked for.
    void SetProgramFolder(const std::string& folder) { folder_ = folder; }
    // After the device was opened at start-up (`opened` non-zero when the
    // report channel is open): timers, tray icon, Option when asked, and the
    // presence state recorded in config.ini.
    void ConnectedStart(int opened, bool openOption);

    // Brings the system pointer settings in line with the current profile.
    void ApplySystemSettings(bool readBack);

    // UM_APPLY_SETTINGS, UM_RELOAD_SETTINGS, UM_RELOAD_SYSTEM_SETTINGS.
    void OnApplySettings();
    void OnReloadSettings(bool systemToo);

    // UM_DEVICE_EVENT (already formed into an EventWord); presence events are
    // handed to `presence`, which may be null.
    void OnDeviceEvent(uint32_t eventWord, DevicePresence* presence);
    void OnKeyRepeatTimer();
    // Program watch, while the mouse is present: a profile bound to the
    // foreground program becomes current. Foreground changes are taken as
    // they happen; the 2-second look (TIMER_APP_WATCH) is only the fallback
    // where they cannot be. Starting also looks at once, so that a program
    // already in front gets its profile without waiting for a change.
    void StartProgramWatch();
    void StopProgramWatch();
    void OnForegroundChange() { OnAppWatch(); }
    void OnAppWatch();
    // The device thread or an arrival changed what is known of the mouse:
    // the tray tip and Option show it.
    void OnDeviceStateChanged();
    // UM_WRONG_FIRMWARE: the device thread found another firmware. The user
    // is asked here, on the window thread, once: Monitor ends after the
    // answer, and a check reporting again meanwhile asks no second time.
    void OnWrongFirmware();

    // UM_SCRIPT_REQUEST from a command line: the answer (a ScriptAnswer).
    // A profile is selected as the watch selects one, and saved; a level
    // as an Apply of that one change sends and saves it. A request out of
    // range changes nothing.
    unsigned long OnScriptRequest(uintptr_t request, intptr_t number);

    // WM_COPYDATA; false when it is no OSD text record.
    bool OnCopyData(const void* data, size_t size);

    // The program path of a button: the text up to its first zero, and never
    // past the end of the record.
    static std::string ProgramPath(const ButtonAssignment& button);

private:
    ButtonAssignment& Button(int number);
    int CurrentProfileIndex() const;
    void ButtonAction(int number, bool pressed);
    void LaunchProgram(int number);
    void DeviceChange(const EventDecision& decision);
    // Makes `profile` current everywhere but in the settings files: the
    // block, the mouse, the pointer settings, Option, the tray tip, the
    // indication.
    void SwitchProfile(int profile, ProfileIndicationReason reason);
    void SelectLevel(int level);
    // The watch's selection is over once the current profile is another.
    void ForgetWatchSelectionIfLeft();
    // Tells the tray tip the active profile and level when they changed.
    void UpdateTrayTip();

    MonitorEffects& effects_;
    DeviceFlags& flags_;
    KeyInjector& keys_;
    const KeyboardLayout& layout_;
    MacroPlayer& player_;
    PointerRegistry& registry_;
    PointerWriter& pointer_;
    FirmwarePrompt& prompt_;
    MonitorAddOns defaultAddOns_;
    MonitorAddOns* addOns_ = &defaultAddOns_;

    std::unique_ptr<SettingsStore> working_;
    std::unique_ptr<SettingsStore> applied_;
    OsdSettings osd_{};
    KeyRepeat keyRepeat_;
    TrayTipInfo trayTip_;
    bool trayTipShown_ = false;
    std::string folder_;
    bool firmwareAsked_ = false;
    // The profile the bound-program watch selected last, while it is current.
    int watchProfile_ = -1;
};

// A copy of the settings handed from one thread to another, given and taken
// whole under a lock, so that a copy taken is never part one state and part
// the next.
class SettingsHandOver {
public:
    SettingsHandOver();
    void Give(const SettingsStore& store);
    void Take(SettingsStore& store) const;

private:
    mutable std::mutex lock_;
    std::unique_ptr<SettingsStore> copy_;
};

// What the device thread needs besides the mouse.
class DeviceJobEffects {
public:
    virtual ~DeviceJobEffects() = default;
    virtual void DebugLine(const std::string& line) = 0;
    // The shared block, copied whole under its mutex; false when there is
    // no block.
    virtual bool ReadBlock(SettingsStore& store) = 0;
    virtual bool PostApplyDoneToOption() = 0;
    // After each report of an apply (UM_APPLY_PROGRESS), to Option's window
    // if there is one.
    virtual void PostApplyProgressToOption(int sent, int total, int remainingPauseMs) = 0;
    virtual void ShowProfileSelected(int profile) = 0;
    // DeviceFlags::answer or firmware changed (UM_DEVICE_STATE_CHANGED to
    // the window thread).
    virtual void DeviceStateChanged() = 0;
};

// The device thread's jobs. Every job is dropped unless the mouse is present.
class DeviceJobs : private ApplyProgress {
public:
    DeviceJobs(DeviceApplier& applier, ReportLink& link, Waiter& waiter, DeviceFlags& flags,
               FirmwareEffects& firmware, DeviceJobEffects& effects);

    // Window thread, with every job it posts: the settings the job works on
    // when there is no shared block. The working copy itself is never read
    // here, as the window thread changes it at any time.
    void HandOver(const SettingsStore& working) { handOver_.Give(working); }
    // `connection` tags a firmware check with the arrival it was posted for
    // (0: whatever connection is current, as at start-up); a check for an
    // earlier arrival is stale and dropped, since the latest one has its own.
    void Run(unsigned job, int connection = 0);
    // A newly arrived mouse may hold anything: after its firmware check passes,
    // every setting is sent once. The request stays until a full send gets
    // through without a removal, so a bounce in the middle cannot lose it.
    void RequestFullApply() { fullApplyRequest_.store(++fullApplyRequests_); }
    bool fullApplyPending() const { return fullApplyRequest_.load() != 0; }

private:
    void ReportSent(int sent, int total, int remainingPauseMs) override;
    // An Apply from Option, or of the active level alone (progress is then
    // not told): a mouse that said nothing last time is asked again first,
    // and is sent nothing while it stays silent.
    enum class ApplyScope { kWhatChanged, kActiveLevel };
    void Apply(ApplyScope scope);
    // Every setting, for a newly arrived mouse or one that missed some.
    void FullApply();
    // The firmware check; true when the mouse answered with the expected
    // version. Tells the tray and Option whether it answered.
    bool Check();
    // After an apply that ran to its end: false when the mouse refused a
    // report, which is shown and owes it a full send.
    bool TookEveryReport();
    void SetAnswer(int answer);
    // The settings this job sends, into snapshot_.
    void TakeSnapshot();

    DeviceApplier& applier_;
    ReportLink& link_;
    Waiter& waiter_;
    DeviceFlags& flags_;
    FirmwareEffects& firmware_;
    DeviceJobEffects& effects_;
    SettingsHandOver handOver_;
    // The last check found another firmware: nothing more is sent to that
    // mouse while the user is asked (and Monitor ends).
    bool wrongFirmware_ = false;
    // 0 when nothing is asked, else the number of the request.
    std::atomic<unsigned> fullApplyRequest_{0};
    std::atomic<unsigned> fullApplyRequests_{0};
    std::unique_ptr<SettingsStore> snapshot_;
};

}  // namespace kestra
