// The media functions through their real Win32 effects, received by stand-in
// player windows registered with the players' class names and titles.
#include "monitor/media_players_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace kestra {
namespace {

struct Received {
    HWND window;
    UINT message;
    WPARAM wParam;
    DWORD lParam;
};
std::vector<Received>* g_received = nullptr;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const bool wanted = message == WM_COMMAND || message == WM_KEYDOWN || message == WM_KEYUP ||
                        message == WM_APPCOMMAND;
    if (wanted && g_received) {
        g_received->push_back({window, message, wParam, static_cast<DWORD>(lParam)});
        if (message == WM_APPCOMMAND) return TRUE;  // handled: not handed on to the shell
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND MakeWindow(const char* className, const char* title) {
    WNDCLASSA cls = {};
    cls.lpfnWndProc = RecordingProc;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.lpszClassName = className;
    RegisterClassA(&cls);
    HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, className, title, WS_POPUP, 50, 50, 300, 200,
                                  nullptr, nullptr, cls.hInstance, nullptr);
    return window;
}

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

// The real effects, except that starting a program is only recorded.
class ObservedEffects : public SystemMediaEffects {
public:
    using SystemMediaEffects::SystemMediaEffects;
    std::vector<std::string> runs;
    void Run(const std::string& commandLine) override { runs.push_back(commandLine); }
};

class MediaPlayersWin : public ::testing::Test {
protected:
    void SetUp() override {
        g_received = &received;
        owner = MakeWindow("KestraMediaOwner", "media owner");
        ASSERT_NE(nullptr, owner);
        effects.reset(new ObservedEffects(owner));
        media.reset(new MediaController(*effects));
    }
    void TearDown() override {
        for (HWND w : players) DestroyWindow(w);
        DestroyWindow(owner);
        g_received = nullptr;
    }
    HWND Player(const char* className, const char* title) {
        HWND w = MakeWindow(className, title);
        players.push_back(w);
        return w;
    }
    void Press(int player, int function) {
        media->OnFunction(player, function, false);
        media->OnFunction(player, function, true);
        Pump();
    }

    std::vector<Received> received;
    std::vector<HWND> players;
    HWND owner = nullptr;
    std::unique_ptr<ObservedEffects> effects;
    std::unique_ptr<MediaController> media;
};

// Which command each function sends is checked natively (MediaTest.*); here
// the messages reach the windows found by class and title.
TEST_F(MediaPlayersWin, PlayerWindowsFoundByClassGetTheirCommands) {
    HWND winamp = Player("Winamp v1.x", "Winamp");
    HWND real = Player("GeminiWindowClass", "RealPlayer");
    Press(kPlayerWinamp, kMediaPlayPause);
    Press(kPlayerRealPlayer, kMediaNext);
    ASSERT_EQ(2u, received.size());
    EXPECT_EQ(winamp, received[0].window);
    EXPECT_EQ(static_cast<UINT>(WM_COMMAND), received[0].message);
    EXPECT_EQ(static_cast<WPARAM>(40045), received[0].wParam);
    EXPECT_EQ(real, received[1].window);
    EXPECT_EQ(static_cast<WPARAM>(0x100CB), received[1].wParam);
}

TEST_F(MediaPlayersWin, AKeyDrivenPlayerIsFoundOnlyUnderItsOwnTitle) {
    // A window of that class with another title is not iTunes.
    Player("iTunes", "iTunes Store");
    Press(kPlayerITunes, kMediaPlayPause);
    EXPECT_TRUE(received.empty());

    HWND itunes = Player("iTunes", "iTunes");
    const DWORD start = GetTickCount();
    Press(kPlayerITunes, kMediaPlayPause);
    EXPECT_GE(GetTickCount() - start, 90u);  // 100 ms between the two messages
    ASSERT_EQ(2u, received.size());
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(itunes, received[i].window);
        EXPECT_EQ(static_cast<WPARAM>(VK_SPACE), received[i].wParam);
        EXPECT_EQ(static_cast<UINT>(i ? WM_KEYUP : WM_KEYDOWN), received[i].message);
        EXPECT_EQ(i ? 0xC0390001u : 0x00390001u, received[i].lParam);
    }
    received.clear();
    Press(kPlayerITunes, kMediaPrevious);  // Ctrl + Left, sent rather than posted
    ASSERT_EQ(4u, received.size());
    EXPECT_EQ(static_cast<WPARAM>(VK_LEFT), received[1].wParam);
    EXPECT_EQ(0xC14B0001u, received[2].lParam);
}

TEST_F(MediaPlayersWin, TheDefaultPlayersCommandsGoThroughMonitorsWindow) {
    Press(kPlayerMediaPlayer, kMediaPlayPause);
    ASSERT_EQ(1u, received.size());
    EXPECT_EQ(owner, received[0].window);
    EXPECT_EQ(static_cast<UINT>(WM_APPCOMMAND), received[0].message);
    EXPECT_EQ(reinterpret_cast<WPARAM>(owner), received[0].wParam);
    EXPECT_EQ(0xE0000u, received[0].lParam);
}

TEST_F(MediaPlayersWin, ARunningPlayerIsBroughtForwardNotStartedAgain) {
    HWND game = Player("KestraGame", "game");
    ShowWindow(game, SW_SHOW);
    SetForegroundWindow(game);
    Pump();
    ASSERT_EQ(game, GetForegroundWindow());
    HWND player = Player("KestraWmp", "Windows Media Player");
    ShowWindow(player, SW_SHOWNOACTIVATE);
    Pump();
    Press(kPlayerMediaPlayer, kMediaStartPlayer);
    EXPECT_EQ(player, GetForegroundWindow());
    EXPECT_TRUE(effects->runs.empty());
}

TEST_F(MediaPlayersWin, APlayerIsStartedFromItsRegisteredOpenCommand) {
    const char kKey[] = "SOFTWARE\\Classes\\Winamp.File\\shell\\open\\command";
    HKEY probe = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\Winamp.File", 0, KEY_READ, &probe) ==
        ERROR_SUCCESS) {
        RegCloseKey(probe);
        GTEST_SKIP() << "a Winamp registration exists here already";
    }
    // Unregistered: nothing starts, and asking leaves no key behind.
    Press(kPlayerWinamp, kMediaStartPlayer);
    EXPECT_TRUE(effects->runs.empty());
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\Winamp.File", 0,
                                           KEY_READ, &probe));

    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_WRITE,
                                             nullptr, &key, nullptr));
    const char command[] = "\"C:\\Program Files\\Winamp\\winamp.exe\" \"%1\"";
    RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command), sizeof command);
    RegCloseKey(key);
    Press(kPlayerWinamp, kMediaStartPlayer);
    for (const char* sub :
         {"SOFTWARE\\Classes\\Winamp.File\\shell\\open\\command",
          "SOFTWARE\\Classes\\Winamp.File\\shell\\open", "SOFTWARE\\Classes\\Winamp.File\\shell",
          "SOFTWARE\\Classes\\Winamp.File"}) {
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, sub);
    }
    ASSERT_EQ(1u, effects->runs.size());
    EXPECT_EQ("\"C:\\Program Files\\Winamp\\winamp.exe\"", effects->runs[0]);
}

}  // namespace
}  // namespace kestra
