#include "tests/windows/e2e_option_fixture_win.h"

#include <cstdio>
#include <cstring>

#include "settings/ipc_names.h"
#include "settings/settings_files.h"
#include "skin/skin_file.h"

namespace kestra {
namespace e2e {
namespace {

struct PopupSearch {
    DWORD process;
    HWND main;
    HWND found;
};
BOOL CALLBACK FindPopup(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<PopupSearch*>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == search->process && window != search->main && IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}
HWND FindPopupOf(DWORD process, HWND main) {
    PopupSearch search = {process, main, nullptr};
    EnumWindows(&FindPopup, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

struct ChildSearch {
    HWND parent;
    HWND child;
    LONG area;
};
BOOL CALLBACK TakeLargerChild(HWND child, LPARAM data) {
    auto& search = *reinterpret_cast<ChildSearch*>(data);
    RECT r;
    if (GetParent(child) != search.parent || !IsWindowVisible(child) || !GetWindowRect(child, &r)) {
        return TRUE;
    }
    const LONG area = (r.right - r.left) * (r.bottom - r.top);
    if (area > search.area) {
        search.area = area;
        search.child = child;
    }
    return TRUE;
}

}  // namespace

std::string ProfileDifferences(const ProfileSettings& a, const ProfileSettings& b) {
    std::string text;
    const auto* x = reinterpret_cast<const uint8_t*>(&a);
    const auto* y = reinterpret_cast<const uint8_t*>(&b);
    for (size_t i = 0; i < sizeof a; ++i) {
        if (x[i] != y[i]) text += " " + std::to_string(i);
    }
    return "differing bytes at" + text;
}

HWND ControlAt(const ProgramFolder& folder, const char* skinFile, HWND window, int entry) {
    const SkinControlEntry control = SkinFile(folder.File("skins\\") + skinFile).ReadEntry(entry);
    POINT centre = {(control.rect.left + control.rect.right) / 2,
                    (control.rect.top + control.rect.bottom) / 2};
    HWND child = ChildWindowFromPointEx(window, centre, CWP_SKIPINVISIBLE);
    return child != window ? child : nullptr;
}

void OptionSystemTest::SetUp() {
    ASSERT_TRUE(folder.ok()) << folder.path();
    ASSERT_TRUE(folder.Has("Option.exe"));
}

void OptionSystemTest::TearDown() {
    MovePointerTo({0, 0});
}

void OptionSystemTest::StartSystem() {
    ASSERT_TRUE(mouse.Start());
    ASSERT_TRUE(monitor.Start());
    ASSERT_TRUE(WaitUntil([&] { return LogHas(mouse, "get 80"); }, kSettle))
        << Observed(folder, mouse);
    ASSERT_TRUE(option.Start(folder.File("Option.exe")));
    window = WaitForWindow(kOptionWindowTitle, 15000);
    ASSERT_NE(nullptr, window);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(window) != 0; }, kSettle))
        << Observed(folder, mouse);
    SetForegroundWindow(window);
    ASSERT_TRUE(mouse.ClearLog());
}

HWND OptionSystemTest::ShownPage() const {
    ChildSearch search{window, nullptr, 0};
    EnumChildWindows(window, &TakeLargerChild, reinterpret_cast<LPARAM>(&search));
    return search.child;
}

HWND OptionSystemTest::WaitForPopup() {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindPopupOf(option.id(), window)) != nullptr; }, kSettle);
    return found;
}

bool OptionSystemTest::PopupGone() {
    return WaitUntil([&] { return FindPopupOf(option.id(), window) == nullptr; }, kSettle);
}

HWND OptionSystemTest::WaitForDialog() {
    return WaitForForegroundDialog(option.id(), window, kSettle);
}

bool OptionSystemTest::WaitForMain() {
    return WaitUntil([&] { return GetForegroundWindow() == window; }, kSettle);
}

bool OptionSystemTest::ClickApplyAndWait() {
    HWND apply = MainControl(14);
    if (apply == nullptr) return false;
    ClickSkinEntry(folder, "skin_main.ini", 14, Main());
    return WaitUntil([&] { return LogHas(mouse, "set 02"); }, 20000) &&
           WaitUntil([&] { return IsWindowEnabled(apply) != 0; }, kSettle);
}

bool OptionSystemTest::ApplyProgressBarShown() const {
    const RECT area = SkinEntryRect(folder, "skin_main.ini", 48);
    POINT at = {area.left, area.bottom - 2};
    if (area.right <= area.left || !ClientToScreen(window, &at)) return false;
    HDC screen = GetDC(nullptr);
    bool shown = false;
    for (int x = 1; x < 24 && !shown; ++x) {
        const COLORREF c = GetPixel(screen, at.x + x, at.y);
        shown = c != CLR_INVALID && GetRValue(c) > 180 && GetGValue(c) < 80 && GetBValue(c) < 80;
    }
    ReleaseDC(nullptr, screen);
    return shown;
}

::testing::AssertionResult OptionSystemTest::ProfileFileHolds(
    int index, const ProfileSettings& before, const ProfileSettings& expected) const {
    ProfileSettings saved = before;
    if (!LoadProfile(ProfileFilePath(folder.path(), index), saved)) {
        return ::testing::AssertionFailure() << "profile file " << index << " cannot be read";
    }
    ProfileSettings inFile = before;
    const std::string scratch = folder.File("expected.gmp");
    if (!SaveProfile(scratch, expected) || !LoadProfile(scratch, inFile)) {
        return ::testing::AssertionFailure() << "cannot write " << scratch;
    }
    if (memcmp(&inFile, &saved, sizeof saved) != 0) {
        return ::testing::AssertionFailure() << ProfileDifferences(inFile, saved);
    }
    return ::testing::AssertionSuccess();
}

}  // namespace e2e
}  // namespace kestra
