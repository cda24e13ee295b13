// Keys injected by macro playback and by key combinations reach a low-level
// keyboard hook, in order and on time.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "monitor/input_win.h"

namespace kestra {
namespace {

struct Seen {
    DWORD vk;
    bool up;
    int64_t atMs;
};
std::vector<Seen>* g_seen = nullptr;

LRESULT CALLBACK KeyboardHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code >= 0 && g_seen) {
        const KBDLLHOOKSTRUCT* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        // The event's own time stamp is when it was injected, not when the hook ran.
        g_seen->push_back({key->vkCode, wParam == WM_KEYUP || wParam == WM_SYSKEYUP, static_cast<int64_t>(key->time)});
        return 1;  // swallow: nothing else on the test desktop should see them
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Runs work on another thread while this one pumps the hook's messages.
std::vector<Seen> Observe(void (*work)()) {
    std::vector<Seen> seen;
    g_seen = &seen;
    HHOOK hook = SetWindowsHookExA(WH_KEYBOARD_LL, KeyboardHook, GetModuleHandleA(nullptr), 0);
    EXPECT_NE(nullptr, hook);
    bool done = false;
    std::thread worker([&] {
        work();
        Sleep(200);
        done = true;
    });
    while (!done) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    worker.join();
    UnhookWindowsHookEx(hook);
    g_seen = nullptr;
    return seen;
}

std::string Describe(const std::vector<Seen>& seen) {
    std::string text;
    for (const Seen& s : seen) text += (s.up ? "-" : "+") + std::to_string(s.vk) + " ";
    return text;
}

TEST(InputInjection, MacroStepsArriveInOrderWithTheirDelays) {
    const std::vector<Seen> seen = Observe([] {
        ButtonAssignment b;
        memset(&b, 0, sizeof b);
        b.function = 16;
        b.stepCount = 4;
        b.steps[0] = MacroStep{4, 1, 60};   // A down
        b.steps[1] = MacroStep{4, 2, 120};  // A up
        b.steps[2] = MacroStep{5, 1, 30};   // B down
        b.steps[3] = MacroStep{5, 2, 1};
        SystemInputInjector injector;
        PrecisionClock clock;
        SystemKeyboardLayout layout;
        MacroPlayer player(injector, clock, layout);
        ScopedTimerResolution resolution;
        if (player.Start(b)) player.Play();
    });
    ASSERT_EQ("+65 -65 +66 -66 ", Describe(seen));
    EXPECT_NEAR(60, seen[1].atMs - seen[0].atMs, 25);
    EXPECT_NEAR(120, seen[2].atMs - seen[1].atMs, 25);
}

TEST(InputInjection, CombinationPressesModifiersFirstAndReleasesThemLast) {
    const std::vector<Seen> seen = Observe([] {
        SystemInputInjector injector;
        SystemKeyboardLayout layout;
        const uint16_t ctrlAltF5 = static_cast<uint16_t>(62 | ((0x04 | 0x08) << 8));
        PressCombination(ctrlAltF5, injector, layout);
        ReleaseCombination(ctrlAltF5, injector, layout);
    });
    EXPECT_EQ("+17 +18 +116 -116 -18 -17 ", Describe(seen));
}

}  // namespace
}  // namespace kestra
