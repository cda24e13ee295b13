// Monitor's hidden main window: the owner of the shared block, the device
// link, the tray icon and the two worker threads. Its handlers hand every
// decision to MonitorLogic and carry out the effects.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "device/apply_all.h"
#include "device/device_link_win.h"
#include "device/presence.h"
#include "monitor/input_win.h"
#include "monitor/macro_player.h"
#include "monitor/monitor_logic.h"
#include "monitor/worker_thread_win.h"
#include "settings/language_text_win.h"
#include "settings/shared_block_win.h"
#include "settings/system_mouse_win.h"
#include "skin/window_win.h"

namespace kestra {

class CMonitorWnd : public Window,
                    private MonitorEffects,
                    private PresenceEffects,
                    private FirmwareEffects,
                    private FirmwarePrompt,
                    private DeviceJobEffects,
                    private Waiter {
public:
    explicit CMonitorWnd(bool openOption);
    ~CMonitorWnd() override;

    // The hidden window with Monitor's title; false when creation failed.
    bool Create();

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    LRESULT OnCreate(WPARAM, LPARAM);
    LRESULT OnDestroy(WPARAM, LPARAM);
    LRESULT OnTimer(WPARAM, LPARAM);
    LRESULT OnCopyData(WPARAM, LPARAM);
    LRESULT OnApplySettings(WPARAM, LPARAM);
    LRESULT OnReloadSettings(WPARAM, LPARAM);
    LRESULT OnReloadSystemSettings(WPARAM, LPARAM);
    LRESULT OnIgnored(WPARAM, LPARAM);
    LRESULT OnSystrayNotify(WPARAM, LPARAM);
    LRESULT OnDevicePresence(WPARAM, LPARAM);
    LRESULT OnDeviceEvent(WPARAM, LPARAM);
    LRESULT OnCommand(WPARAM, LPARAM);
    LRESULT OnTaskbarCreated(WPARAM, LPARAM);
    LRESULT OnProfileSelected(WPARAM, LPARAM);
    LRESULT OnDeviceStateChanged(WPARAM, LPARAM);
    LRESULT OnQueryDeviceState(WPARAM, LPARAM);
    LRESULT OnScriptRequest(WPARAM, LPARAM);
    LRESULT OnWrongFirmware(WPARAM, LPARAM);

    void OnCustomizer();
    // Opens a program with the shell's "open"; nothing when it is missing.
    void OpenProgram(const std::string& path, int show);
    void ShowTrayMenu();
    void StartCompanionPrograms();
    void EndCompanionPrograms();
    static void OnMacroThreadMessage(void* self, UINT message, WPARAM, LPARAM);
    static void OnDeviceThreadMessage(void* self, UINT message, WPARAM wParam, LPARAM lParam);

    // MonitorEffects and DeviceJobEffects (either thread: under the block's
    // mutex)
    void DebugLine(const std::string& line) override;
    bool ReadBlock(SettingsStore& store) override;
    bool WriteBlock(const SettingsStore& store) override;
    bool PostToOption(unsigned message) override;
    uintptr_t OsdWindow() override;
    void StartTimer(unsigned id, unsigned periodMs) override;
    void KillTimer(unsigned id) override;
    bool PostDeviceJob(unsigned job) override;
    bool PostPlayMacro() override;
    void PostOpenOption() override;
    void ShellOpen(const std::string& path) override;
    void SaveCurrentProfile(int profile) override;
    void SaveActiveLevel(int index, const ProfileSettings& profile) override;
    void SaveDevicePresence(int state) override;
    bool ReadOsdSettings(OsdSettings& osd) override;
    void AddTrayIcon() override;
    void ShowTrayTip(const TrayTipInfo& info) override;
    void RemoveTrayIcon() override;
    void PostDeviceStateToOption(unsigned long word) override;
    void OpenCustomizer() override { OnCustomizer(); }
    std::string ForegroundProgram() override;
    static std::string ProgramOfProcess(DWORD process);
    bool HookForeground() override;
    void UnhookForeground() override;
    static void CALLBACK ForegroundChanged(HWINEVENTHOOK hook, DWORD event, HWND window,
                                           LONG object, LONG child, DWORD thread, DWORD time);

    // PresenceEffects
    void OpenFeatureDevice() override;
    void OpenReportDevice() override;
    void CloseFeatureDevice() override;
    void CloseReportDevice() override;
    void MarkAllChanged() override;
    void StartArrivalTimer() override;
    void KillArrivalTimer() override;
    void PostFirmwareCheck(int connection) override;
    void StartProgramWatch() override;
    void StopProgramWatch() override;
    void WriteDeviceKey(int value) override;
    void CloseOptionWindow() override;
    // PresenceEffects and DeviceJobEffects (either thread)
    void DeviceStateChanged() override;

    // FirmwareEffects (device thread)
    void DebugLine(const char* line) override;
    void ReportWrongFirmware() override;

    // FirmwarePrompt (window thread)
    FirmwareAnswer AskOkCancel(const char* text, const char* caption) override;
    void ShellOpen(const char* path) override;
    void CloseMonitor() override;

    // DeviceJobEffects (device thread)
    bool PostApplyDoneToOption() override;
    void PostApplyProgressToOption(int sent, int total, int remainingPauseMs) override;
    void ShowProfileSelected(int profile) override;

    // Waiter (device thread)
    void Sleep(int ms) override;
    bool AbortRequested() override;

    static const MessageEntry<CMonitorWnd> kMessages[];

    const bool openOption_;
    std::string folder_;
    // The display program and applets this Monitor started, ended with it.
    struct Companion {
        KernelHandle process;
        const char* title;
        bool endIfLate;
    };
    std::vector<Companion> companions_;
    std::string configPath_;
    LanguageLibrary language_;
    CurrentUserRegistry registry_;
    SystemPointerWriter pointer_;
    DeviceLink link_;
    KernelHandle blockMutex_;
    SharedSettingsBlock block_;
    DeviceFlags flags_;
    SystemKeyboardLayout layout_;
    SystemInputInjector injector_;
    PrecisionClock clock_;
    MacroPlayer player_;
    MonitorLogic logic_;
    DevicePresence presence_;
    DeviceApplier applier_;
    DeviceJobs jobs_;
    std::unique_ptr<MonitorAddOns> addOns_;

    // Both exist only while they have work (the jobs of the mouse, a
    // macro); an idle Monitor runs its window thread alone. Neither shows a
    // window, so that shut-down can always wait for them.
    WorkerThread macroThread_;
    WorkerThread deviceThread_;
    bool trayIcon_ = false;
    TrayTipInfo trayTip_;  // what the icon's tip shows below the product
    HICON smallIcon_ = nullptr;
    HWINEVENTHOOK foregroundHook_ = nullptr;
    // The foreground window the program watch last looked at, and its program.
    HWND foregroundWindow_ = nullptr;
    DWORD foregroundProcess_ = 0;
    std::string foregroundProgram_;
    // The hook's callback carries no context; one Monitor runs per session.
    static CMonitorWnd* foregroundWatcher_;
    UINT taskbarCreated_ = 0;
};

}  // namespace kestra
