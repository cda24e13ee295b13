#include "monitor/media_players.h"

#include <cctype>

namespace kestra {
namespace {

const PlayerInstall kInstalls[kPlayerCount] = {
    {"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\wmplayer.exe", "", nullptr, false,
     true, "Windows Media Player"},
    {"SOFTWARE\\Apple Computer, Inc.\\iPod\\RegisteredApps\\4", "path", "iTunes", false, false,
     nullptr},
    {"SOFTWARE\\Classes\\Applications\\RealPlay.exe\\shell\\open\\command", "", "realplay", true,
     false, nullptr},
    {"SOFTWARE\\Classes\\Winamp.File\\shell\\open\\command", "", "winamp", true, false, nullptr},
};

// Functions 33..36 (next, previous, play/pause, stop), by player.
constexpr int kCommandFunctions = 4;
// Application commands handed to the system for the default player.
const uint32_t kAppCommands[kCommandFunctions] = {11, 12, 14, 13};
const uint32_t kRealPlayerCommands[kCommandFunctions] = {0x100CB, 0x100CC, 0x100C8, 0x100C9};
// Winamp: next, previous, (play/pause by toggle), stop.
const uint32_t kWinampCommands[kCommandFunctions] = {40048, 40044, 0, 40047};
constexpr uint32_t kWinampPlay = 40045;
constexpr uint32_t kWinampPause = 40046;

const char kITunesClass[] = "iTunes";
const char kITunesTitle[] = "iTunes";
const char kRealPlayerClass[] = "GeminiWindowClass";
const char kWinampClass[] = "Winamp v1.x";

constexpr uint8_t kVkControl = 0x11;
constexpr uint8_t kVkSpace = 0x20;
constexpr uint8_t kVkLeft = 0x25;
constexpr uint8_t kVkRight = 0x27;

// Key messages as the player's own keyboard would produce them (scan codes
// and transition bits in lParam).
const PlayerKeyMessage kCtrlRight[] = {{false, kVkControl, 0x001D0001},
                                       {false, kVkRight, 0x014D0001},
                                       {true, kVkRight, 0xC14D0001},
                                       {true, kVkControl, 0xC01D0001}};
const PlayerKeyMessage kCtrlLeft[] = {{false, kVkControl, 0x001D0001},
                                      {false, kVkLeft, 0x014B0001},
                                      {true, kVkLeft, 0xC14B0001},
                                      {true, kVkControl, 0xC01D0001}};
const PlayerKeyMessage kSpace[] = {{false, kVkSpace, 0x00390001}, {true, kVkSpace, 0xC0390001}};
constexpr int kKeyGapMs = 100;

bool ContainsIgnoringCase(const std::string& text, const char* part) {
    const std::string::size_type n = std::char_traits<char>::length(part);
    if (n == 0) return true;
    for (std::string::size_type i = 0; i + n <= text.size(); ++i) {
        std::string::size_type k = 0;
        while (k < n && tolower(static_cast<unsigned char>(text[i + k])) ==
                            tolower(static_cast<unsigned char>(part[k])))
            ++k;
        if (k == n) return true;
    }
    return false;
}

std::string Trimmed(const std::string& text) {
    const std::string::size_type first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    const std::string::size_type last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

template <size_t N>
void SendKeys(MediaEffects& effects, PlayerWindow window, const PlayerKeyMessage (&keys)[N],
              bool post) {
    for (size_t i = 0; i < N; ++i) {
        if (i > 0) effects.PauseMs(kKeyGapMs);
        effects.SendKey(window, keys[i].keyUp, keys[i].virtualKey, keys[i].lParam, post);
    }
}

}  // namespace

const PlayerInstall* PlayerInstallOf(int player) {
    if (player < 0 || player >= kPlayerCount) return nullptr;
    return &kInstalls[player];
}

std::string ProgramFromOpenCommand(const std::string& command) {
    const std::string text = Trimmed(command);
    if (text.empty()) return text;
    if (text[0] == '"') {
        const std::string::size_type close = text.find('"', 1);
        // An unclosed quote: the rest is the path.
        return Trimmed(text.substr(1, close == std::string::npos ? std::string::npos : close - 1));
    }
    // Unquoted, the path may hold blanks: it ends with its ".exe" where the
    // arguments begin ("C:\Program Files\Player\player.exe %1").
    for (std::string::size_type at = 0; at + 4 <= text.size(); ++at) {
        if (!ContainsIgnoringCase(text.substr(at, 4), ".exe")) continue;
        const std::string::size_type end = at + 4;
        if (end == text.size() || text[end] == ' ' || text[end] == '"') return text.substr(0, end);
    }
    // Otherwise before the first quoted argument or argument placeholder.
    std::string::size_type cut = text.find('"');
    const std::string::size_type placeholder = text.find(" %");
    if (placeholder < cut) cut = placeholder;
    return Trimmed(text.substr(0, cut));
}

std::string PlayerCommandLine(int player, const std::string& registered) {
    const PlayerInstall* install = PlayerInstallOf(player);
    if (!install) return std::string();
    std::string program =
        install->openCommand ? ProgramFromOpenCommand(registered) : Trimmed(registered);
    // App Paths values often carry their own quotes.
    if (program.size() >= 2 && program.front() == '"' && program.back() == '"')
        program = Trimmed(program.substr(1, program.size() - 2));
    if (program.empty()) return std::string();
    if (install->mustContain && !ContainsIgnoringCase(program, install->mustContain))
        return std::string();
    return "\"" + program + "\"";
}

void MediaController::OnFunction(int player, int function, bool released) {
    switch (function) {
        case kMediaStartPlayer:
            if (!released) StartOrRaise(player);
            return;
        case kMediaNext:
        case kMediaPrevious:
        case kMediaPlayPause:
        case kMediaStop:
            if (!released) Command(player, function);
            return;
        case kMediaMute:
            if (!released) {
                effects_.KeyEvent(kVkVolumeMute, kKeyExtended);
                effects_.KeyEvent(kVkVolumeMute, kKeyExtendedUp);
            }
            return;
        case kMediaVolumeUp:
        case kMediaVolumeDown:
            if (released) {
                effects_.StopVolumeRepeat();
                heldVolume_ = 0;
                return;
            }
            heldVolume_ = function;
            OnVolumeRepeat();
            effects_.StartVolumeRepeat();
            return;
        default:
            return;
    }
}

void MediaController::OnVolumeRepeat() {
    // An expiry already queued when the button came up sends nothing.
    if (heldVolume_ == 0) {
        effects_.StopVolumeRepeat();
        return;
    }
    const uint8_t key = heldVolume_ == kMediaVolumeUp ? kVkVolumeUp : kVkVolumeDown;
    effects_.KeyEvent(key, kKeyExtended);
    effects_.KeyEvent(key, kKeyExtendedUp);
}

void MediaController::StartOrRaise(int player) {
    const PlayerInstall* install = PlayerInstallOf(player);
    if (!install) return;
    // A running player is raised, never started a second time.
    if (install->runningTitle && effects_.BringToFront(install->runningTitle)) return;
    std::string registered =
        effects_.ReadMachineString(install->registryKey, install->registryValue);
    if (install->expandEnvironment) registered = effects_.ExpandEnvironment(registered);
    const std::string commandLine = PlayerCommandLine(player, registered);
    if (!commandLine.empty()) effects_.Run(commandLine);
}

void MediaController::Command(int player, int function) {
    const int slot = function - kMediaNext;
    if (slot < 0 || slot >= kCommandFunctions) return;
    switch (player) {
        case kPlayerMediaPlayer:
            effects_.PostAppCommand(kAppCommands[slot] << 16);
            return;
        case kPlayerITunes: {
            const PlayerWindow window = effects_.FindPlayer(kITunesClass, kITunesTitle);
            if (!window) return;
            if (function == kMediaNext)
                SendKeys(effects_, window, kCtrlRight, false);
            else if (function == kMediaPrevious)
                SendKeys(effects_, window, kCtrlLeft, false);
            else
                SendKeys(effects_, window, kSpace, true);
            return;
        }
        case kPlayerRealPlayer: {
            const PlayerWindow window = effects_.FindPlayer(kRealPlayerClass, nullptr);
            if (window) effects_.SendCommand(window, kRealPlayerCommands[slot]);
            return;
        }
        case kPlayerWinamp: {
            const PlayerWindow window = effects_.FindPlayer(kWinampClass, nullptr);
            if (!window) return;
            if (function == kMediaPlayPause) {
                effects_.SendCommand(window, winampPlaying_ ? kWinampPause : kWinampPlay);
                winampPlaying_ = !winampPlaying_;
            } else {
                effects_.SendCommand(window, kWinampCommands[slot]);
            }
            return;
        }
        default:
            return;
    }
}

}  // namespace kestra
