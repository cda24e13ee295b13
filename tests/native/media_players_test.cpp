// The media functions against recording effects: what each player receives
// for each function, how a player is started or brought forward, the volume
// repeat and Winamp's play/pause toggle; and the add-on behind Monitor's seam
// that takes the player and the tilt speed from the current profile.
#include "monitor/media_players.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "monitor/monitor_actions.h"
#include "settings/registry_path.h"
#include "settings/settings_files.h"
#include "tests/native/test_folder.h"
#include "tests/native/test_support.h"

namespace kestra {
namespace {

using kestra_test::Trace;

class FakeMedia : public MediaEffects {
public:
    Trace trace;
    std::map<std::string, std::string> registry;  // "key|value" -> text
    std::map<std::string, PlayerWindow> windows;  // class or title -> window
    std::vector<std::string> titled;              // windows that exist by title

    void Add(const std::string& s) { trace.push_back(s); }
    void KeyEvent(uint8_t vk, uint32_t flags) override {
        Add("key " + std::to_string(vk) + "/" + std::to_string(flags));
    }
    void StartVolumeRepeat() override { Add("timer"); }
    void StopVolumeRepeat() override { Add("kill"); }
    std::string ReadMachineString(const std::string& key, const std::string& value) override {
        Add("read " + key.substr(key.rfind('\\') + 1));
        auto it = registry.find(key + "|" + value);
        return it == registry.end() ? std::string() : it->second;
    }
    std::string ExpandEnvironment(const std::string& text) override {
        std::string out = text;
        const std::string var = "%ProgramFiles%";
        const size_t at = out.find(var);
        if (at != std::string::npos) out.replace(at, var.size(), "C:\\Program Files");
        return out;
    }
    bool BringToFront(const std::string& title) override {
        for (const std::string& t : titled) {
            if (t == title) {
                Add("front " + title);
                return true;
            }
        }
        return false;
    }
    void Run(const std::string& commandLine) override { Add("run " + commandLine); }
    void PostAppCommand(uint32_t lParam) override { Add("appcommand " + Hex(lParam)); }
    PlayerWindow FindPlayer(const char* className, const char* title) override {
        auto it = windows.find(className);
        if (it == windows.end()) return 0;
        if (title && std::string(title) != className) return 0;
        return it->second;
    }
    void SendCommand(PlayerWindow w, uint32_t id) override {
        Add("command " + std::to_string(w) + " " + Hex(id));
    }
    void SendKey(PlayerWindow w, bool up, uint8_t vk, uint32_t lParam, bool post) override {
        Add(std::string(post ? "post " : "send ") + std::to_string(w) + (up ? " up " : " down ") +
            std::to_string(vk) + " " + Hex(lParam));
    }
    void PauseMs(int ms) override { Add("pause " + std::to_string(ms)); }

    static std::string Hex(uint32_t v) {
        char text[16];
        snprintf(text, sizeof text, "%X", v);
        return text;
    }
};

class MediaTest : public ::testing::Test {
protected:
    Trace Take() { return kestra_test::Take(fx.trace); }
    void Press(int player, int function) {
        media.OnFunction(player, function, false);
        media.OnFunction(player, function, true);
    }
    FakeMedia fx;
    MediaController media{fx};
};

const char kWinampKey[] = "SOFTWARE\\Classes\\Winamp.File\\shell\\open\\command|";
const char kRealKey[] = "SOFTWARE\\Classes\\Applications\\RealPlay.exe\\shell\\open\\command|";
const char kITunesKey[] = "SOFTWARE\\Apple Computer, Inc.\\iPod\\RegisteredApps\\4|path";
const char kWmpKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\wmplayer.exe|";

TEST_F(MediaTest, EachPlayerGetsItsOwnCommands) {
    // The default player: application commands handed to the system.
    for (int f = kMediaNext; f <= kMediaStop; ++f) Press(kPlayerMediaPlayer, f);
    EXPECT_EQ(
        (Trace{"appcommand B0000", "appcommand C0000", "appcommand E0000", "appcommand D0000"}),
        Take());

    // Missing windows: nothing at all.
    for (int player = kPlayerITunes; player <= kPlayerWinamp; ++player) {
        for (int f = kMediaNext; f <= kMediaStop; ++f) Press(player, f);
    }
    EXPECT_TRUE(Take().empty());

    fx.windows = {{"GeminiWindowClass", 7}, {"Winamp v1.x", 8}, {"iTunes", 9}};
    for (int f = kMediaNext; f <= kMediaStop; ++f) Press(kPlayerRealPlayer, f);
    EXPECT_EQ((Trace{"command 7 100CB", "command 7 100CC", "command 7 100C8", "command 7 100C9"}),
              Take());
    Press(kPlayerWinamp, kMediaNext);
    Press(kPlayerWinamp, kMediaPrevious);
    Press(kPlayerWinamp, kMediaStop);
    EXPECT_EQ((Trace{"command 8 9C70", "command 8 9C6C", "command 8 9C6F"}), Take());

    // iTunes: Ctrl + arrow sent with 100 ms between the messages.
    Press(kPlayerITunes, kMediaNext);
    EXPECT_EQ((Trace{"send 9 down 17 1D0001", "pause 100", "send 9 down 39 14D0001", "pause 100",
                     "send 9 up 39 C14D0001", "pause 100", "send 9 up 17 C01D0001"}),
              Take());
    Press(kPlayerITunes, kMediaPrevious);
    EXPECT_EQ((Trace{"send 9 down 17 1D0001", "pause 100", "send 9 down 37 14B0001", "pause 100",
                     "send 9 up 37 C14B0001", "pause 100", "send 9 up 17 C01D0001"}),
              Take());
    // Play/pause and stop are both the space bar, posted.
    const Trace space = {"post 9 down 32 390001", "pause 100", "post 9 up 32 C0390001"};
    Press(kPlayerITunes, kMediaPlayPause);
    EXPECT_EQ(space, Take());
    Press(kPlayerITunes, kMediaStop);
    EXPECT_EQ(space, Take());

    // A damaged player choice drives nothing; mute still works.
    Press(7, kMediaNext);
    Press(-1, kMediaStartPlayer);
    EXPECT_TRUE(Take().empty());
    Press(7, kMediaMute);
    EXPECT_EQ((Trace{"key 173/1", "key 173/3"}), Take());
}

TEST_F(MediaTest, WinampPlayPauseTogglesOnlyWhenItsWindowIsThere) {
    Press(kPlayerWinamp, kMediaPlayPause);  // no window: the toggle stays off
    EXPECT_FALSE(media.winampPlaying());
    fx.windows = {{"Winamp v1.x", 8}};
    Press(kPlayerWinamp, kMediaPlayPause);
    Press(kPlayerWinamp, kMediaPlayPause);
    Press(kPlayerWinamp, kMediaPlayPause);
    // Play 40045, pause 40046, play again.
    EXPECT_EQ((Trace{"command 8 9C6D", "command 8 9C6E", "command 8 9C6D"}), Take());
    EXPECT_TRUE(media.winampPlaying());
}

TEST_F(MediaTest, VolumeRepeatsUntilReleasedAndMuteDoesNot) {
    media.OnFunction(kPlayerWinamp, kMediaVolumeUp, false);
    EXPECT_EQ((Trace{"key 175/1", "key 175/3", "timer"}), Take());
    // About one second held: three more strokes from the 300 ms timer.
    for (int i = 0; i < 3; ++i) media.OnVolumeRepeat();
    EXPECT_EQ(6u, Take().size());
    media.OnFunction(kPlayerWinamp, kMediaVolumeUp, true);
    EXPECT_EQ((Trace{"kill"}), Take());
    // An expiry already queued at the release sends nothing more.
    media.OnVolumeRepeat();
    EXPECT_EQ((Trace{"kill"}), Take());

    media.OnFunction(kPlayerMediaPlayer, kMediaVolumeDown, false);
    media.OnVolumeRepeat();
    media.OnFunction(kPlayerMediaPlayer, kMediaVolumeDown, true);
    EXPECT_EQ((Trace{"key 174/1", "key 174/3", "timer", "key 174/1", "key 174/3", "kill"}), Take());

    Press(kPlayerMediaPlayer, kMediaMute);
    EXPECT_EQ((Trace{"key 173/1", "key 173/3"}), Take());
    // Releases of the other functions do nothing.
    for (int f = kMediaStartPlayer; f <= kMediaMute; ++f) media.OnFunction(0, f, true);
    EXPECT_TRUE(Take().empty());
}

TEST_F(MediaTest, StartingAPlayerFollowsItsRegistration) {
    // Already running: brought forward, never started twice.
    fx.titled = {"Windows Media Player"};
    Press(kPlayerMediaPlayer, kMediaStartPlayer);
    EXPECT_EQ((Trace{"front Windows Media Player"}), Take());
    fx.titled.clear();
    fx.registry[kWmpKey] = "\"%ProgramFiles%\\Windows Media Player\\wmplayer.exe\"";
    Press(kPlayerMediaPlayer, kMediaStartPlayer);
    EXPECT_EQ((Trace{"read wmplayer.exe",
                     "run \"C:\\Program Files\\Windows Media Player\\wmplayer.exe\""}),
              Take());

    // Registered paths that do not name the player start nothing.
    fx.registry[kITunesKey] = "C:\\Program Files\\Music\\other.exe";
    fx.registry[kRealKey] = "\"C:\\Real\\player.exe\" \"%1\"";
    fx.registry[kWinampKey] = "";
    for (int player = kPlayerITunes; player <= kPlayerWinamp; ++player) {
        Press(player, kMediaStartPlayer);
    }
    EXPECT_EQ((Trace{"read 4", "read command", "read command"}), Take());

    fx.registry[kITunesKey] = "C:\\Program Files\\iTunes\\iTunes.exe";
    fx.registry[kRealKey] = "\"C:\\Program Files\\Real\\RealPlay.exe\" \"%1\"";
    fx.registry[kWinampKey] = "C:\\Program Files\\Winamp\\winamp.exe %1";
    for (int player = kPlayerITunes; player <= kPlayerWinamp; ++player) {
        Press(player, kMediaStartPlayer);
    }
    EXPECT_EQ((Trace{"read 4", "run \"C:\\Program Files\\iTunes\\iTunes.exe\"", "read command",
                     "run \"C:\\Program Files\\Real\\RealPlay.exe\"", "read command",
                     "run \"C:\\Program Files\\Winamp\\winamp.exe\""}),
              Take());
}

TEST(MediaPlayers, ProgramOfAnOpenCommand) {
    EXPECT_EQ("C:\\A B\\winamp.exe", ProgramFromOpenCommand("\"C:\\A B\\winamp.exe\" \"%1\""));
    EXPECT_EQ("C:\\A B\\winamp.exe", ProgramFromOpenCommand("  C:\\A B\\winamp.exe \"%1\""));
    EXPECT_EQ("C:\\A B\\Winamp.EXE", ProgramFromOpenCommand("C:\\A B\\Winamp.EXE /ADD %1"));
    EXPECT_EQ("C:\\tools\\winamp.exe", ProgramFromOpenCommand("C:\\tools\\winamp.exe"));
    EXPECT_EQ("C:\\x.exe.d\\winamp.exe", ProgramFromOpenCommand("C:\\x.exe.d\\winamp.exe %1"));
    EXPECT_EQ("C:\\tools\\winamp", ProgramFromOpenCommand("C:\\tools\\winamp %1"));
    EXPECT_EQ("C:\\unclosed\\winamp.exe", ProgramFromOpenCommand("\"C:\\unclosed\\winamp.exe"));
    EXPECT_EQ("", ProgramFromOpenCommand("   "));
    EXPECT_EQ("", ProgramFromOpenCommand("\"\" %1"));
}

TEST(RegistryPath, RootNamesAndPlainPaths) {
    RegistryRoot root = RegistryRoot::kClassesRoot;
    std::string subkey;
    ASSERT_TRUE(SplitRegistryPath("hkey_current_user\\Control Panel\\Mouse", root, subkey));
    EXPECT_EQ(RegistryRoot::kCurrentUser, root);
    EXPECT_EQ("Control Panel\\Mouse", subkey);
    ASSERT_TRUE(SplitRegistryPath("HKEY_CLASSES_ROOT\\Winamp.File", root, subkey));
    EXPECT_EQ(RegistryRoot::kClassesRoot, root);
    ASSERT_TRUE(SplitRegistryPath("HKEY_CURRENT_CONFIG\\Software", root, subkey));
    EXPECT_EQ(RegistryRoot::kCurrentConfig, root);
    // No root named: the whole path lies under HKEY_LOCAL_MACHINE.
    ASSERT_TRUE(SplitRegistryPath("SOFTWARE\\Classes\\Winamp.File", root, subkey));
    EXPECT_EQ(RegistryRoot::kLocalMachine, root);
    EXPECT_EQ("SOFTWARE\\Classes\\Winamp.File", subkey);
    ASSERT_TRUE(SplitRegistryPath("HKEY_CURRENT_USERS\\x", root, subkey));
    EXPECT_EQ(RegistryRoot::kLocalMachine, root);
    EXPECT_EQ("HKEY_CURRENT_USERS\\x", subkey);
    EXPECT_FALSE(SplitRegistryPath("HKEY_LOCAL_MACHINE", root, subkey));
}

// Owned by the add-on; they write into the test's trace.
class SharedMedia : public FakeMedia {
public:
    explicit SharedMedia(Trace* out) : out_(out) {}
    ~SharedMedia() override { *out_ = trace; }

private:
    Trace* out_;
};

class RecordingParts : public OsdWindows, public TiltScroller {
public:
    explicit RecordingParts(Trace* out) : out_(out) {}
    bool Post(const char*, uint32_t message, uintptr_t wParam, intptr_t lParam) override {
        out_->push_back("post " + std::to_string(message) + " " + std::to_string(wParam) + " " +
                        std::to_string(lParam));
        return true;
    }
    void Scroll(TiltDirection d, int speed) override {
        out_->push_back((d == TiltDirection::kLeft ? "left " : "right ") + std::to_string(speed));
    }

private:
    Trace* out_;
};

TEST(MonitorActions, PlayerAndTiltSpeedComeFromTheCurrentProfile) {
    kestra_test::TestFolder folder;
    auto store = kestra_test::DefaultStore();
    store->profiles[0].TiltSpeed = 3;
    store->profiles[2].TiltSpeed = 7;
    store->profiles[2].MediaOption = kPlayerWinamp;
    Trace others, media;
    {
        MonitorActions::Parts parts;
        parts.osdWindows.reset(new RecordingParts(&others));
        parts.tilt.reset(new RecordingParts(&others));
        SharedMedia* fake = new SharedMedia(&media);
        fake->windows = {{"Winamp v1.x", 8}};
        parts.media.reset(fake);
        parts.configIniPath = ConfigIniPath(folder.path());
        parts.working = store.get();
        MonitorActions actions(std::move(parts));
        MonitorAddOns& addOns = actions;

        addOns.OnTilt(true);
        addOns.OnMediaFunction(kMediaPlayPause, false);
        store->CurrentProfile = 2;
        addOns.OnTilt(false);
        addOns.OnMediaFunction(kMediaPlayPause, false);
        // A damaged current profile reads as the first.
        store->CurrentProfile = 9;
        addOns.OnMediaFunction(kMediaVolumeUp, false);
        addOns.OnVolumeRepeatTimer();
        addOns.OnMediaFunction(kMediaVolumeUp, true);
        OsdSettings osd;
        MakeDefaultOsdSettings(osd);
        addOns.ShowProfile(1, ProfileIndicationReason::kDevice, osd);
        addOns.OsdSettingsChanged(osd);
    }
    EXPECT_EQ((Trace{"appcommand E0000", "command 8 9C6D", "key 175/1", "key 175/3", "timer",
                     "key 175/1", "key 175/3", "kill"}),
              media);
    EXPECT_EQ((Trace{"right 3", "left 7", "post 1324 40 65536", "post 1326 0 0"}), others);
}

}  // namespace
}  // namespace kestra
