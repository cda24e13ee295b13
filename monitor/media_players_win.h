// The Win32 effects of the media functions: volume keys by keybd_event, the
// repeat timer on Monitor's window, registry look-ups, player windows found
// by class, and their commands and key messages.
#pragma once

#include <windows.h>

#include "monitor/media_players.h"

namespace kestra {

class SystemMediaEffects : public MediaEffects {
public:
    // `owner` is Monitor's window: it holds the volume repeat timer and
    // receives the application commands that the system hands on.
    explicit SystemMediaEffects(HWND owner) : owner_(owner) {}

    void KeyEvent(uint8_t virtualKey, uint32_t flags) override;
    void StartVolumeRepeat() override;
    void StopVolumeRepeat() override;
    std::string ReadMachineString(const std::string& key, const std::string& value) override;
    std::string ExpandEnvironment(const std::string& text) override;
    bool BringToFront(const std::string& title) override;
    void Run(const std::string& commandLine) override;
    void PostAppCommand(uint32_t lParam) override;
    PlayerWindow FindPlayer(const char* className, const char* title) override;
    void SendCommand(PlayerWindow window, uint32_t id) override;
    void SendKey(PlayerWindow window, bool keyUp, uint8_t virtualKey, uint32_t lParam,
                 bool post) override;
    void PauseMs(int milliseconds) override;

private:
    HWND owner_;
};

// Makes a window the foreground window from a background program: the
// foreground thread's input is attached to ours for the switch.
void ForceForeground(HWND window);

}  // namespace kestra
