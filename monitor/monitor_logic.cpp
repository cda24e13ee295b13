#include "monitor/monitor_logic.h"

#include <cstdio>
#include <cstring>

#include "monitor/command_line.h"
#include "settings/ipc_names.h"
#include "settings/osd_text_record.h"

namespace kestra {

MonitorLogic::MonitorLogic(const Parts& parts)
    : effects_(parts.effects),
      flags_(parts.flags),
      keys_(parts.keys),
      layout_(parts.layout),
      player_(parts.player),
      registry_(parts.registry),
      pointer_(parts.pointer),
      prompt_(parts.prompt),
      working_(new SettingsStore()),
      applied_(new SettingsStore()) {
    ClearStore(*working_);
    ClearStore(*applied_);
}

void MonitorLogic::SetAddOns(MonitorAddOns* addOns) {
    addOns_ = addOns ? addOns : &defaultAddOns_;
}

void MonitorLogic::Load(const SettingsStore& loaded) {
    memcpy(working_.get(), &loaded, sizeof(SettingsStore));
    // Nothing outside 0..4 may ever index the profiles.
    NormaliseCurrentProfile(*working_);
    memcpy(applied_.get(), working_.get(), sizeof(SettingsStore));
}

void MonitorLogic::ConnectedStart(int opened, bool openOption) {
    if (opened) {
        // Before the program watch: a profile it selects at once is a job
        // for the device thread, which drops jobs for an absent mouse.
        flags_.connected = kDevicePresent;
        flags_.answer = kMouseNotChecked;
        StartProgramWatch();
        // The firmware is compared once, by the device thread's check; the
        // start goes on meanwhile, and a mismatch it reports ends Monitor
        // after the user was asked.
        effects_.StartTimer(TIMER_FIRMWARE_CHECK, kFirmwareCheckMs);
        effects_.AddTrayIcon();
        UpdateTrayTip();
        if (openOption) effects_.OpenCustomizer();
    } else {
        flags_.connected = kDeviceNeverConnected;
    }
    effects_.SaveDevicePresence(flags_.connected);
}

int MonitorLogic::CurrentProfileIndex() const {
    const int p = working_->CurrentProfile;
    return (p >= 0 && p < kProfileCount) ? p : 0;
}

ButtonAssignment& MonitorLogic::Button(int number) {
    return working_->profiles[CurrentProfileIndex()].buttons[number - 1];
}

void MonitorLogic::ApplySystemSettings(bool readBack) {
    NormaliseCurrentProfile(*working_);
    kestra::ApplySystemSettings(*working_, *applied_, readBack, registry_, pointer_);
    // Remember what the system now has, so that the next apply writes only
    // what changed since.
    const int p = working_->CurrentProfile;
    const ProfileSettings& now = working_->profiles[p];
    ProfileSettings& was = applied_->profiles[p];
    was.DbleClickSpeed = now.DbleClickSpeed;
    was.MouseSpeed = now.MouseSpeed;
    was.AccelerationFlag = now.AccelerationFlag;
    was.ScrollWheelFlag = now.ScrollWheelFlag;
    was.ScrollWheelSpeed = now.ScrollWheelSpeed;
}

void MonitorLogic::OnApplySettings() {
    effects_.ReadBlock(*working_);
    NormaliseCurrentProfile(*working_);
    ForgetWatchSelectionIfLeft();
    if (connected()) ApplySystemSettings(false);
    OsdSettings osd;
    if (effects_.ReadOsdSettings(osd)) osd_ = osd;
    addOns_->OsdSettingsChanged(osd_);
    UpdateTrayTip();
    if (!connected() || !effects_.PostDeviceJob(DEVICE_JOB_APPLY)) {
        effects_.PostToOption(UM_APPLY_DONE);
        effects_.DebugLine("OnApplyAllSetting  Send Enable OK/Apply Button\n");
    }
    // A program just bound may already be in front: foreground events alone
    // would not tell until the focus moved. The watch runs with the mouse.
    if (connected()) OnAppWatch();
}

void MonitorLogic::OnReloadSettings(bool systemToo) {
    effects_.ReadBlock(*working_);
    NormaliseCurrentProfile(*working_);
    ForgetWatchSelectionIfLeft();
    if (systemToo) ApplySystemSettings(false);
    UpdateTrayTip();
}

void MonitorLogic::OnDeviceEvent(uint32_t eventWord, DevicePresence* presence) {
    const EventDecision d = DecideEvent(eventWord);
    switch (d.kind) {
        case EventKind::kPresence:
            if (presence) presence->OnPresenceMessage(d.value);
            break;
        case EventKind::kTiltRight:
            addOns_->OnTilt(true);
            break;
        case EventKind::kTiltLeft:
            addOns_->OnTilt(false);
            break;
        case EventKind::kReportRate:
        case EventKind::kProfile:
        case EventKind::kDpiLevel:
        case EventKind::kSensitivity:
            DeviceChange(d);
            break;
        case EventKind::kButton:
            ButtonAction(d.button, d.pressed);
            if (d.announceMacro) {
                addOns_->ShowMacro(working_->profiles[CurrentProfileIndex()], d.button, osd_);
            }
            break;
        case EventKind::kLaunchProgram:
            LaunchProgram(d.button);
            break;
        case EventKind::kOpenOption:
            effects_.PostOpenOption();
            break;
        case EventKind::kMedia:
            addOns_->OnMediaFunction(d.mediaFunction, d.mediaReleased);
            break;
        case EventKind::kNone:
            break;
    }
}

void MonitorLogic::ButtonAction(int number, bool pressed) {
    const ButtonAssignment& button = Button(number);
    if (button.function == kFunctionKeyCombination) {
        const uint16_t word = CombinationWord(button);
        if (pressed) {
            PressCombination(word, keys_, layout_);
            effects_.StartTimer(TIMER_KEY_REPEAT, static_cast<unsigned>(keyRepeat_.Press(word)));
        } else {
            keyRepeat_.Release();
            effects_.KillTimer(TIMER_KEY_REPEAT);
            ReleaseCombination(word, keys_, layout_);
        }
    } else if (button.function == kFunctionMacro && pressed) {
        // Start decides at once whether this press plays or cancels: a
        // second press before the macro thread took the first one cancels it.
        if (player_.Start(button) && !effects_.PostPlayMacro()) player_.Abandon();
    }
}

void MonitorLogic::OnKeyRepeatTimer() {
    if (!keyRepeat_.held()) {
        // A release raced the timer: nothing is held any more.
        effects_.KillTimer(TIMER_KEY_REPEAT);
        return;
    }
    const KeyRepeat::Expiry e = keyRepeat_.OnTimer(layout_);
    if (e.rearm) {
        effects_.KillTimer(TIMER_KEY_REPEAT);
        effects_.StartTimer(TIMER_KEY_REPEAT, static_cast<unsigned>(e.periodMs));
    }
    if (e.resend) {
        keys_.Key(e.resend, true);
        keys_.PauseMs(1);
        keys_.Key(e.resend, false);
    }
}

std::string MonitorLogic::ProgramPath(const ButtonAssignment& button) {
    const char* path = button.programPath;
    return std::string(path, strnlen(path, sizeof button.programPath));
}

void MonitorLogic::LaunchProgram(int number) {
    const ButtonAssignment& button = Button(number);
    if (button.function != kFunctionLaunchProgram) return;
    const std::string path = ProgramPath(button);
    if (!path.empty()) effects_.ShellOpen(path);
}

void MonitorLogic::DeviceChange(const EventDecision& d) {
    if (!ApplyDeviceChange(*working_, d.kind, d.value)) return;
    effects_.WriteBlock(*working_);
    UpdateTrayTip();
    char line[64];
    snprintf(line, sizeof line, "Show OSD %lu\n", static_cast<unsigned long>(effects_.OsdWindow()));
    effects_.DebugLine(line);
    const int p = CurrentProfileIndex();
    ForgetWatchSelectionIfLeft();
    if (d.kind == EventKind::kProfile) {
        effects_.SaveCurrentProfile(p);
        effects_.PostToOption(UM_PROFILE_CHANGED);
        addOns_->ShowProfile(p, ProfileIndicationReason::kDevice, osd_);
    }
    effects_.PostToOption(UM_DEVICE_VALUES_CHANGED);
    if (d.kind == EventKind::kDpiLevel) addOns_->ShowDpiLevel(working_->profiles[p], d.value);
}

void MonitorLogic::StartProgramWatch() {
    if (!effects_.HookForeground()) effects_.StartTimer(TIMER_APP_WATCH, kAppWatchMs);
    OnAppWatch();
}

void MonitorLogic::StopProgramWatch() {
    effects_.UnhookForeground();
    effects_.KillTimer(TIMER_APP_WATCH);
}

void MonitorLogic::OnAppWatch() {
    const int won = MatchProfileByProgram(*working_, effects_.ForegroundProgram());
    if (won < 0 || won == working_->CurrentProfile) return;
    SwitchProfile(won, ProfileIndicationReason::kProgramWatch);
    watchProfile_ = won;
}

void MonitorLogic::SwitchProfile(int profile, ProfileIndicationReason reason) {
    working_->CurrentProfile = profile;
    effects_.WriteBlock(*working_);
    // The watch runs only with the mouse; a command line may switch without
    // it, and an arriving mouse is sent everything anyway.
    if (connected()) {
        effects_.PostDeviceJob(DEVICE_JOB_SELECT_PROFILE);
        ApplySystemSettings(false);
    }
    effects_.PostToOption(UM_PROFILE_CHANGED);
    // The tray tip, a round trip to the shell, after what the mouse and
    // Option wait for.
    UpdateTrayTip();
    addOns_->ShowProfile(profile, reason, osd_);
}

void MonitorLogic::SelectLevel(int level) {
    const int p = CurrentProfileIndex();
    working_->profiles[p].CpiStep = level;
    effects_.WriteBlock(*working_);
    if (connected()) effects_.PostDeviceJob(DEVICE_JOB_SELECT_LEVEL);
    effects_.SaveActiveLevel(p, working_->profiles[p]);
    effects_.PostToOption(UM_DEVICE_VALUES_CHANGED);
    UpdateTrayTip();
    addOns_->ShowDpiLevel(working_->profiles[p], level + 1);
}

void MonitorLogic::ForgetWatchSelectionIfLeft() {
    if (watchProfile_ != working_->CurrentProfile) watchProfile_ = -1;
}

unsigned long MonitorLogic::OnScriptRequest(uintptr_t request, intptr_t number) {
    const ScriptDecision d = DecideScriptRequest(request, number, *working_);
    switch (d.action) {
        case ScriptAction::kStatus:
            ForgetWatchSelectionIfLeft();
            return d.answer | (watchProfile_ >= 0 ? kScriptSelectedByProgram : 0);
        case ScriptAction::kSelectProfile:
            SwitchProfile(d.index, ProfileIndicationReason::kCommandLine);
            effects_.SaveCurrentProfile(d.index);
            watchProfile_ = -1;
            break;
        case ScriptAction::kSelectLevel:
            SelectLevel(d.index);
            break;
        case ScriptAction::kNone:
            break;
    }
    return d.answer;
}

void MonitorLogic::OnDeviceStateChanged() {
    UpdateTrayTip();
    effects_.PostDeviceStateToOption(DeviceStateWord(flags_));
}

void MonitorLogic::OnWrongFirmware() {
    // Before asking: the question's own message loop may bring the next report.
    if (firmwareAsked_) return;
    firmwareAsked_ = true;
    AskToUpdateFirmware(prompt_, folder_.c_str());
}

void MonitorLogic::UpdateTrayTip() {
    TrayTipInfo now = TrayTipOf(*working_);
    now.notAnswering = connected() && flags_.answer == kMouseNotAnswering;
    if (trayTipShown_ && now == trayTip_) return;
    trayTip_ = now;
    trayTipShown_ = true;
    effects_.ShowTrayTip(now);
}

bool MonitorLogic::OnCopyData(const void* data, size_t size) {
    std::string text;
    if (!ReadOsdTextRecord(data, size, text)) return false;
    addOns_->ShowText(text, connected());
    return true;
}

SettingsHandOver::SettingsHandOver() : copy_(new SettingsStore()) {
    ClearStore(*copy_);
}

void SettingsHandOver::Give(const SettingsStore& store) {
    std::lock_guard<std::mutex> locked(lock_);
    memcpy(copy_.get(), &store, sizeof store);
}

void SettingsHandOver::Take(SettingsStore& store) const {
    std::lock_guard<std::mutex> locked(lock_);
    memcpy(&store, copy_.get(), sizeof store);
}

DeviceJobs::DeviceJobs(DeviceApplier& applier, ReportLink& link, Waiter& waiter, DeviceFlags& flags,
                       FirmwareEffects& firmware, DeviceJobEffects& effects)
    : applier_(applier),
      link_(link),
      waiter_(waiter),
      flags_(flags),
      firmware_(firmware),
      effects_(effects),
      snapshot_(new SettingsStore()) {}

void DeviceJobs::ReportSent(int sent, int total, int remainingPauseMs) {
    effects_.PostApplyProgressToOption(sent, total, remainingPauseMs);
}

void DeviceJobs::Run(unsigned job, int connection) {
    // Busy before the presence test: a removal sets the abort flag only for a
    // busy thread, so a removal between the test and the job could otherwise
    // go unnoticed and the job run on against dead channels.
    flags_.busy = 1;
    flags_.abort = 0;
    if (flags_.connected != kDevicePresent) {
        flags_.busy = 0;
        return;
    }
    switch (job) {
        case DEVICE_JOB_APPLY:
            // A mouse with another firmware is sent nothing; Option is still
            // answered, its Apply being over.
            if (!wrongFirmware_) Apply(ApplyScope::kWhatChanged);
            if (!effects_.PostApplyDoneToOption()) {
                effects_.DebugLine("OnApplyAllSetting Don't find Zeph Option Dialog\n");
            }
            effects_.DebugLine("Thread Send Enable OK/Apply Button\n");
            break;
        case DEVICE_JOB_FIRMWARE_CHECK:
            if (connection != 0 && connection != flags_.connection) break;
            if (Check() && fullApplyPending()) FullApply();
            break;
        case DEVICE_JOB_SELECT_LEVEL:
            // Nobody waits for its end: Option was only told of the change.
            if (!wrongFirmware_) Apply(ApplyScope::kActiveLevel);
            break;
        case DEVICE_JOB_SELECT_PROFILE:
            if (wrongFirmware_) break;
            TakeSnapshot();
            applier_.SelectProfile(*snapshot_);
            // A failed write is not news to the user; a removal in the pause is.
            if (!flags_.abort) effects_.ShowProfileSelected(snapshot_->CurrentProfile);
            break;
        default:
            break;
    }
    flags_.busy = 0;
}

void DeviceJobs::Apply(ApplyScope scope) {
    if (flags_.answer == kMouseNotAnswering && !Check()) {
        // What Option handed over meanwhile is owed to the mouse as a whole,
        // as Option now counts it applied.
        if (!waiter_.AbortRequested()) RequestFullApply();
        return;
    }
    if (fullApplyPending()) {
        FullApply();
        return;
    }
    TakeSnapshot();
    if (scope == ApplyScope::kActiveLevel) {
        // The block's flags are those of Option's last Apply: only the level
        // of the current profile is sent.
        memset(&snapshot_->flags, 0, sizeof snapshot_->flags);
        const int p = snapshot_->CurrentProfile;
        if (p >= 0 && p < kProfileCount) snapshot_->flags.level[p] = 1;
    }
    applier_.ApplyAll(*snapshot_, ApplyMode::kChangedOnly,
                      scope == ApplyScope::kWhatChanged ? this : nullptr);
    TookEveryReport();
}

void DeviceJobs::FullApply() {
    unsigned request = fullApplyRequest_.load();
    TakeSnapshot();
    applier_.ApplyAll(*snapshot_, ApplyMode::kAll, this);
    // Done only when it ran to its end and got through, and only the request
    // it served: an arrival meanwhile has asked again.
    if (TookEveryReport()) fullApplyRequest_.compare_exchange_strong(request, 0);
}

bool DeviceJobs::Check() {
    FirmwareVersion seen;
    const FirmwareCheck result = CheckFirmware(link_, waiter_, firmware_, FirmwareVersion(), &seen);
    if (result != FirmwareCheck::kNoAnswer) wrongFirmware_ = result == FirmwareCheck::kMismatch;
    // A removal in the middle is no news about the mouse.
    if (waiter_.AbortRequested()) return false;
    if (result != FirmwareCheck::kNoAnswer) flags_.firmware = (seen.major << 8) | seen.minor;
    SetAnswer(result == FirmwareCheck::kNoAnswer ? kMouseNotAnswering : kMouseAnswering);
    return result == FirmwareCheck::kMatches;
}

bool DeviceJobs::TookEveryReport() {
    if (waiter_.AbortRequested()) return false;
    if (applier_.refusedReports() == 0) return true;
    effects_.DebugLine("ApplyAll: reports refused\n");
    SetAnswer(kMouseNotAnswering);
    RequestFullApply();
    return false;
}

void DeviceJobs::TakeSnapshot() {
    // The block holds what the window thread last wrote (or Option applied).
    if (!effects_.ReadBlock(*snapshot_)) handOver_.Take(*snapshot_);
}

void DeviceJobs::SetAnswer(int answer) {
    // Firmware and answer are told together: a first answer sets both.
    flags_.answer = answer;
    effects_.DeviceStateChanged();
}

}  // namespace kestra
