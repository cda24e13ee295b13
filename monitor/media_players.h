// The media functions of the mouse (event 0xF000, numbers 32..39) and how
// each of the four supported players takes them: system key strokes for the
// volume, application commands, key strokes to the player's window or the
// player's own WM_COMMAND identifiers. The decisions are here; the Win32
// half only carries out the effects.
#pragma once

#include <cstdint>
#include <string>

namespace kestra {

enum MediaFunction {
    kMediaStartPlayer = 32,
    kMediaNext = 33,
    kMediaPrevious = 34,
    kMediaPlayPause = 35,
    kMediaStop = 36,
    kMediaMute = 37,
    kMediaVolumeUp = 38,
    kMediaVolumeDown = 39,
};

// MediaOption of a profile.
enum MediaPlayer {
    kPlayerMediaPlayer = 0,
    kPlayerITunes = 1,
    kPlayerRealPlayer = 2,
    kPlayerWinamp = 3,
};
constexpr int kPlayerCount = 4;

// keybd_event flags of the system-wide volume keys.
constexpr uint32_t kKeyExtended = 1;
constexpr uint32_t kKeyExtendedUp = 3;
constexpr uint8_t kVkVolumeMute = 0xAD;
constexpr uint8_t kVkVolumeDown = 0xAE;
constexpr uint8_t kVkVolumeUp = 0xAF;

// Where a player is registered and how its registered text becomes the
// program to start. Keys lie under HKEY_LOCAL_MACHINE.
struct PlayerInstall {
    const char* registryKey;
    const char* registryValue;  // empty: the key's default value
    const char* mustContain;    // accepted only when the program names this (case ignored)
    bool openCommand;           // the value is a shell open command, not a plain path
    bool expandEnvironment;
    const char* runningTitle;  // a window of this title is brought forward instead
};
const PlayerInstall* PlayerInstallOf(int player);

// The program path in a registered open command: the quoted path at its start,
// or what stands before the arguments.
std::string ProgramFromOpenCommand(const std::string& command);

// The command line to start a player from its registered text (already
// environment-expanded where the player needs it), or empty when the text is
// empty or not accepted. The path is quoted, so that blanks in it are safe.
std::string PlayerCommandLine(int player, const std::string& registered);

// Opaque window reference of the Win32 half; 0 = none.
using PlayerWindow = uintptr_t;

// The effects a media function has on the system.
class MediaEffects {
public:
    virtual ~MediaEffects() = default;
    virtual void KeyEvent(uint8_t virtualKey, uint32_t flags) = 0;
    virtual void StartVolumeRepeat() = 0;  // TIMER_VOLUME_REPEAT
    virtual void StopVolumeRepeat() = 0;
    // A string value under HKEY_LOCAL_MACHINE, empty when missing.
    virtual std::string ReadMachineString(const std::string& key, const std::string& value) = 0;
    virtual std::string ExpandEnvironment(const std::string& text) = 0;
    // Makes the window of that title the foreground window; false when none.
    virtual bool BringToFront(const std::string& title) = 0;
    virtual void Run(const std::string& commandLine) = 0;
    // WM_APPCOMMAND to Monitor's own window, for the system to hand on.
    virtual void PostAppCommand(uint32_t lParam) = 0;
    virtual PlayerWindow FindPlayer(const char* className, const char* title) = 0;
    // WM_COMMAND with the identifier, by SendMessage.
    virtual void SendCommand(PlayerWindow window, uint32_t id) = 0;
    // WM_KEYDOWN or WM_KEYUP, sent (waiting) or posted.
    virtual void SendKey(PlayerWindow window, bool keyUp, uint8_t virtualKey, uint32_t lParam,
                         bool post) = 0;
    virtual void PauseMs(int milliseconds) = 0;
};

// One key message to a player's window.
struct PlayerKeyMessage {
    bool keyUp;
    uint8_t virtualKey;
    uint32_t lParam;
};

// The state behind the media functions: the held volume direction and the
// play/pause toggle of the one player that has separate play and pause.
class MediaController {
public:
    explicit MediaController(MediaEffects& effects) : effects_(effects) {}

    void OnFunction(int player, int function, bool released);
    // TIMER_VOLUME_REPEAT expired.
    void OnVolumeRepeat();
    bool winampPlaying() const { return winampPlaying_; }

private:
    void StartOrRaise(int player);
    void Command(int player, int function);

    MediaEffects& effects_;
    int heldVolume_ = 0;
    bool winampPlaying_ = false;
};

}  // namespace kestra
