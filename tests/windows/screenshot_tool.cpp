// Shows windows under Wine and saves what the screen shows of them as BMP
// files, for people to look at; also times a program's start to its first
// painted window.
//
//   screenshot_tool skins SKIN_FOLDER OUT_FOLDER
//       the main window skin with every control, and the five warnings
//   screenshot_tool window TITLE OUT_FILE TIMEOUT_MS
//       waits for another program's window and saves it
//   screenshot_tool start PROGRAM TITLE TIMEOUT_MS
//       starts PROGRAM and prints the milliseconds until its window titled
//       TITLE has painted for the first time, then closes that window
//       (WM_CLOSE) and waits for the program to end, so that runs can follow
//       one another
//   screenshot_tool controls TEST_SKIN_FOLDER PROGRAM_FOLDER OUT_FOLDER
//       the skinned list (hover, selection, an open in-place edit), the
//       pictures in each state, and the double-click test dialog at rest
//       and while its clip plays
//   screenshot_tool values TEST_SKIN_FOLDER OUT_FOLDER
//       the entry field, sliders, spin fields and a list in its scroll frame,
//       at rest and lit, pressed, dragged or disabled
//   screenshot_tool pages PROGRAM_FOLDER OUT_FOLDER
//       Option's main window (in this process, over PROGRAM_FOLDER, a
//       scratch copy) on its performance and DPI levels pages, with the
//       default profile and with a changed one, an apply's progress and a
//       mouse that does not answer, and the level colour dialog
//   screenshot_tool overlay PROGRAM_FOLDER OUT_FOLDER
//       writes sample indication texts into PROGRAM_FOLDER (a scratch copy),
//       starts its Overlay.exe over a light backdrop and saves the profile,
//       message and macro indications
#include <windows.h>
#include <shlobj.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "option/dpi_colour_dialog_win.h"
#include "option/launch_program_dialog_win.h"
#include "option/light_page_win.h"
#include "option/macro_manager_win.h"
#include "option/option_dlg_win.h"
#include "option/player_dialog_win.h"
#include "option/profile_dialog_win.h"
#include "option/select_macro_dialog_win.h"
#include "option/shortcut_dialog_win.h"
#include "settings/ipc_names.h"
#include "settings/language_text_win.h"
#include "skin/bitmap_edit_win.h"
#include "skin/double_click_win.h"
#include "skin/scroll_bar_win.h"
#include "skin/skin_button_win.h"
#include "skin/skin_list_win.h"
#include "skin/skin_picture_win.h"
#include "skin/skin_window_win.h"
#include "skin/slider_win.h"
#include "skin/spin_win.h"
#include "skin/warning_dialog_win.h"
#include "tests/windows/cancelling_shell_win.h"

namespace {

using namespace kestra;

void Pump(DWORD ms) {
    const DWORD end = GetTickCount() + ms;
    MSG msg;
    while (static_cast<int>(end - GetTickCount()) > 0) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(10);
    }
}

bool SaveScreenRect(const RECT& r, const std::string& path) {
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return false;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (dib != nullptr && memory != nullptr) {
        HGDIOBJ old = SelectObject(memory, dib);
        BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
        GdiFlush();
        const DWORD stride = (w * 3 + 3) & ~3;
        BITMAPFILEHEADER file = {};
        file.bfType = 0x4D42;
        file.bfOffBits = sizeof(file) + sizeof(info.bmiHeader);
        file.bfSize = file.bfOffBits + stride * h;
        FILE* out = fopen(path.c_str(), "wb");
        if (out != nullptr) {
            ok = fwrite(&file, sizeof file, 1, out) == 1 &&
                 fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out) == 1 &&
                 fwrite(bits, stride * h, 1, out) == 1;
            ok = (fclose(out) == 0) && ok;
        }
        SelectObject(memory, old);
    }
    if (dib != nullptr) DeleteObject(dib);
    if (memory != nullptr) DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
}

bool SaveWindow(HWND hwnd, const std::string& path) {
    RECT r;
    if (!GetWindowRect(hwnd, &r)) return false;
    const bool ok = SaveScreenRect(r, path);
    printf("%s %s (%ld x %ld)\n", ok ? "saved" : "FAILED", path.c_str(), r.right - r.left,
           r.bottom - r.top);
    return ok;
}

// Every control entry of a skin as a button, so that the skin can be seen
// as the program shows it before any program logic runs.
class SkinShowcase : public SkinWindow {
public:
    explicit SkinShowcase(const char* file) : SkinWindow(file) {}

protected:
    void PlaceControls(const SkinFile& file, const SkinStateImages& images) override {
        for (int key = 1; key <= 60; ++key) {
            const SkinControlEntry entry = file.ReadEntry(key);
            if (key == 42 || entry.rect.right <= entry.rect.left) continue;
            buttons_.emplace_back(new SkinButton);
            PlaceButton(*buttons_.back(), entry, images);
        }
    }

private:
    std::vector<std::unique_ptr<SkinButton>> buttons_;
};

int ShowSkins(const std::string& skinFolder, const std::string& outFolder) {
    SetSkinFolder(skinFolder);
    int failures = 0;
    {
        SkinShowcase main("skin_main.ini");
        if (!main.CreatePopup(nullptr)) return 1;
        ShowWindow(main.hwnd(), SW_SHOW);
        Pump(400);
        failures += SaveWindow(main.hwnd(), outFolder + "skin_main.bmp") ? 0 : 1;
        DestroyWindow(main.hwnd());
    }
    const WarningKind kinds[] = {WarningKind::kClick, WarningKind::kResetCurrent,
                                 WarningKind::kResetAll, WarningKind::kMacroSet,
                                 WarningKind::kDeleteMacro};
    for (WarningKind kind : kinds) {
        WarningDialog dialog(kind, nullptr);
        if (!dialog.CreatePopup(nullptr)) {
            ++failures;
            continue;
        }
        ShowWindow(dialog.hwnd(), SW_SHOW);
        Pump(300);
        std::string name = WarningSkinFile(kind);
        name = name.substr(0, name.find('.')) + ".bmp";
        failures += SaveWindow(dialog.hwnd(), outFolder + name) ? 0 : 1;
        DestroyWindow(dialog.hwnd());
    }
    return failures == 0 ? 0 : 1;
}

// The list and pictures of the test skin, filled as the macro pages fill them.
class TextControlsShowcase : public SkinWindow {
public:
    TextControlsShowcase() : SkinWindow("skin_text_controls.ini") {}
    SkinListBox list;
    SkinPicture picture;
    SkinPicture single{SkinPicture::Kind::kSingleImage};
    SkinButton buttons[3];

protected:
    void PlaceControls(const SkinFile& file, const SkinStateImages& images) override {
        const RECT r1 = RectOf(file.ReadEntry(1));
        list.Create(hwnd(), r1, 4096);
        list.UseSkinColours();
        list.SetKeepOnFocusLoss(true);
        const RECT r2 = RectOf(file.ReadEntry(2));
        picture.Create(hwnd(), r2);
        picture.SetStateImages(r2, images.normal.get(), images.over.get(), images.down.get());
        single.Create(hwnd(), RectOf(file.ReadEntry(3)));
        single.LoadImageFile(0, SkinFolder() + "text_controls_badge.bmp");
        for (int i = 0; i < 3; ++i) PlaceButton(buttons[i], file.ReadEntry(4 + i), images);
    }

private:
    static RECT RectOf(const SkinControlEntry& e) {
        return RECT{e.rect.left, e.rect.top, e.rect.right, e.rect.bottom};
    }
};

void MovePointer(POINT p) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = p.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = p.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof input);
}

POINT ItemCentre(HWND list, int index) {
    RECT r = {};
    SendMessageA(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r));
    POINT p = {60, (r.top + r.bottom) / 2};
    ClientToScreen(list, &p);
    return p;
}

bool SaveChild(HWND child, int margin, const std::string& path) {
    RECT r;
    GetWindowRect(child, &r);
    InflateRect(&r, margin, margin);
    const bool ok = SaveScreenRect(r, path);
    printf("%s %s\n", ok ? "saved" : "FAILED", path.c_str());
    return ok;
}

int ShootTextControls(const std::string& testSkins, const std::string& program,
                      const std::string& outFolder) {
    int failures = 0;
    SetSkinFolder(testSkins);
    {
        TextControlsShowcase dialog;
        if (!dialog.CreatePopup(nullptr)) return 1;
        const char* names[] = {"Rapid fire",    "Sniper burst", "Reload",
                               "Grenade throw", "Crouch jump",  "Voice chat",
                               "Build wall",    "Quick scope",  "Macro with a very long name",
                               "Heal"};
        // Steps and macros: a key pressed, released, a mouse step, a delay, no
        // picture, a reserved picture space.
        const uint32_t pictures[] = {138, 137, 146, 135, 0, 1};
        for (int i = 0; i < 10; ++i)
            dialog.list.AddItem(names[i], (i + 1) * 65536 + pictures[i % 6]);
        SetWindowPos(dialog.hwnd(), HWND_TOP, 100, 100, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        SetForegroundWindow(dialog.hwnd());
        SendMessageA(dialog.list.hwnd(), LB_SETCURSEL, 1, 0);
        SetFocus(dialog.list.hwnd());
        MovePointer(ItemCentre(dialog.list.hwnd(), 3));
        Pump(400);
        failures += SaveWindow(dialog.hwnd(), outFolder + "text_controls_list.bmp") ? 0 : 1;
        // The selected item under the pointer.
        MovePointer(ItemCentre(dialog.list.hwnd(), 1));
        Pump(300);
        failures +=
            SaveChild(dialog.list.hwnd(), 2, outFolder + "text_controls_list_hot_selected.bmp") ? 0
                                                                                                : 1;
        MovePointer(POINT{20, 20});
        SendMessageA(dialog.list.hwnd(), LB_SETCURSEL, 2, 0);
        dialog.list.RenameSelected();
        SetWindowTextA(dialog.list.editWindow(), "Reload fast");
        SendMessageA(dialog.list.editWindow(), EM_SETSEL, 0, -1);
        Pump(300);
        failures += SaveWindow(dialog.hwnd(), outFolder + "text_controls_edit.bmp") ? 0 : 1;
        dialog.list.AbandonEdit();
        EnableWindow(dialog.list.hwnd(), FALSE);
        Pump(200);
        failures +=
            SaveChild(dialog.list.hwnd(), 2, outFolder + "text_controls_list_disabled.bmp") ? 0 : 1;
        for (int state = 0; state < 3; ++state) {
            dialog.picture.SetState(state);
            Pump(200);
            char name[64];
            snprintf(name, sizeof name, "text_controls_picture%d.bmp", state);
            failures += SaveChild(dialog.picture.hwnd(), 4, outFolder + name) ? 0 : 1;
        }
        failures +=
            SaveChild(dialog.single.hwnd(), 4, outFolder + "text_controls_single.bmp") ? 0 : 1;
        DestroyWindow(dialog.hwnd());
    }
    SetSkinFolder(program + "skins\\");
    {
        DoubleClickDialog dialog(nullptr, program);
        if (!dialog.Open()) return failures + 1;
        Pump(1500);  // the clip that plays as it opens has ended
        failures += SaveWindow(dialog.hwnd(), outFolder + "skin_cartoon.bmp") ? 0 : 1;
        dialog.area().Play();
        Pump(180);  // the button pressed, the first ripple
        failures += SaveWindow(dialog.hwnd(), outFolder + "skin_cartoon_playing.bmp") ? 0 : 1;
        DestroyWindow(dialog.hwnd());
    }
    return failures == 0 ? 0 : 1;
}

// The value controls of the test skin, filled as the pages fill them.
class ValueControlsShowcase : public SkinWindow {
public:
    ValueControlsShowcase() : SkinWindow("skin_value_controls.ini") {}
    BitmapEdit edit;
    CclickHSlider level;
    CclickVSlider red;
    CclickVSlider green;
    SkinSpinEdit rate;
    SkinSpinView step;
    HWND list = nullptr;
    SkinScrollFrame frame;
    SkinButton buttons[2];

protected:
    void PlaceControls(const SkinFile& file, const SkinStateImages& images) override {
        const SkinRect e = file.ReadEntry(1).rect;
        edit.Create(hwnd(), {e.left, e.top, e.right, e.bottom},
                    WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 0);
        // The field's frame is in the skin; the edit fills its white part.
        MoveWindow(edit.hwnd(), e.left + 2, e.top + 2, e.right - e.left - 4, e.bottom - e.top - 4,
                   FALSE);
        const std::string folder = SkinFolder();
        Track(level, folder + "scroll_arrow_down.bmp", file.ReadEntry(2).rect, 201, images);
        Track(red, folder + "scroll_arrow_up.bmp", file.ReadEntry(3).rect, 301, images);
        Track(green, folder + "scroll_arrow_up.bmp", file.ReadEntry(4).rect, 302, images);
        Spin(rate, file.ReadEntry(6).rect, 501, images);
        Spin(step, file.ReadEntry(7).rect, 502, images);
        const SkinRect l = file.ReadEntry(8).rect;
        list = CreateWindowExA(0, "LISTBOX", "",
                               WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT,
                               l.left + 1, l.top + 1, l.right - l.left - 2, l.bottom - l.top - 2,
                               hwnd(), nullptr, nullptr, nullptr);
        PlaceButton(buttons[0], file.ReadEntry(5), images);
        PlaceButton(buttons[1], file.ReadEntry(9), images);
    }

private:
    void Track(SliderTrack& track, const std::string& thumb, const SkinRect& r, int id,
               const SkinStateImages& images) {
        if (!track.Create(thumb, r.left, r.top, r.right, r.bottom, hwnd(), id)) return;
        track.SetBackground(r.left, r.top, r.right, r.bottom, images.normal.get());
        if (auto* vertical = dynamic_cast<CclickVSlider*>(&track)) {
            vertical->SetDisabledBackground(r.left, r.top, r.right, r.bottom, images.disable.get());
        }
    }
    void Spin(SkinSpinEdit& field, const SkinRect& r, int id, const SkinStateImages& images) {
        if (!field.Create(r.left, r.top, r.right, r.bottom, hwnd(), id)) return;
        field.SetStateImages({r.left, r.top, r.right, r.bottom}, images.normal.get(),
                             images.over.get(), images.down.get(), images.disable.get());
    }
};

void MouseButtonInput(DWORD flags) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

POINT ScreenPoint(HWND window, int x, int y) {
    POINT p = {x, y};
    ClientToScreen(window, &p);
    return p;
}

int ShootValueControls(const std::string& testSkins, const std::string& outFolder) {
    int failures = 0;
    const auto shot = [&](HWND window, int margin, const char* name) {
        failures += SaveChild(window, margin, outFolder + name) ? 0 : 1;
    };
    SetSkinFolder(testSkins);
    ValueControlsShowcase dialog;
    if (!dialog.CreatePopup(nullptr)) return 1;
    dialog.edit.SetText("Sniper 2");
    dialog.level.SetValue(6);
    dialog.red.SetRange(0, 255);
    dialog.red.SetValue(60);
    dialog.green.SetRange(0, 255);
    dialog.green.SetValue(180);
    dialog.rate.SetRange(100, 3200);
    dialog.rate.SetStep(50);
    dialog.rate.SetValue(800);
    dialog.step.SetRange(1, 5);
    dialog.step.SetValue(3);
    for (int i = 0; i < 200; ++i) {
        const std::string item = "Macro " + std::to_string(i + 1);
        SendMessageA(dialog.list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    }
    dialog.frame.Attach(dialog.list);
    SendMessageA(dialog.list, LB_SETTOPINDEX, 40, 0);
    SetWindowPos(dialog.hwnd(), HWND_TOP, 100, 100, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    SetForegroundWindow(dialog.hwnd());
    MovePointer(POINT{20, 20});
    Pump(500);
    failures += SaveWindow(dialog.hwnd(), outFolder + "values_dialog.bmp") ? 0 : 1;

    // The entry field with the focus and its text selected, then disabled.
    SetFocus(dialog.edit.hwnd());
    SendMessageA(dialog.edit.hwnd(), EM_SETSEL, 0, -1);
    Pump(200);
    shot(dialog.edit.hwnd(), 4, "values_edit_focus.bmp");
    EnableWindow(dialog.edit.hwnd(), FALSE);
    Pump(200);
    shot(dialog.edit.hwnd(), 4, "values_edit_disabled.bmp");
    EnableWindow(dialog.edit.hwnd(), TRUE);

    // A slider's thumb held and dragged; a vertical track disabled.
    const SIZE thumb = dialog.level.thumb().imageSize();
    POINT grip = ScreenPoint(dialog.level.thumb().hwnd(), thumb.cx / 2, thumb.cy / 2);
    MovePointer(grip);
    Pump(100);
    MouseButtonInput(MOUSEEVENTF_LEFTDOWN);
    Pump(100);
    for (int i = 1; i <= 5; ++i) {
        MovePointer(POINT{grip.x - 8 * i, grip.y});
        Pump(60);
    }
    shot(dialog.level.hwnd(), 6, "values_slider_dragged.bmp");
    MouseButtonInput(MOUSEEVENTF_LEFTUP);
    Pump(100);
    EnableWindow(dialog.green.hwnd(), FALSE);
    Pump(200);
    RECT pair;
    GetWindowRect(dialog.red.hwnd(), &pair);
    RECT second;
    GetWindowRect(dialog.green.hwnd(), &second);
    UnionRect(&pair, &pair, &second);
    InflateRect(&pair, 6, 6);
    failures += SaveScreenRect(pair, outFolder + "values_vsliders_enabled_disabled.bmp") ? 0 : 1;

    // The spin field: an arrow lit, pressed, and the field disabled.
    RECT client;
    GetClientRect(dialog.rate.hwnd(), &client);
    const POINT up = ScreenPoint(dialog.rate.hwnd(), client.right - 11, 5);
    MovePointer(up);
    Pump(300);
    shot(dialog.rate.hwnd(), 4, "values_spin_hot.bmp");
    MouseButtonInput(MOUSEEVENTF_LEFTDOWN);
    Pump(200);
    shot(dialog.rate.hwnd(), 4, "values_spin_pressed.bmp");
    MouseButtonInput(MOUSEEVENTF_LEFTUP);
    MovePointer(POINT{20, 20});
    Pump(200);
    EnableWindow(dialog.rate.hwnd(), FALSE);
    EnableWindow(dialog.step.hwnd(), FALSE);
    Pump(200);
    shot(dialog.rate.hwnd(), 4, "values_spin_disabled.bmp");
    shot(dialog.step.hwnd(), 4, "values_spinview_disabled.bmp");
    EnableWindow(dialog.rate.hwnd(), TRUE);
    EnableWindow(dialog.step.hwnd(), TRUE);
    Pump(100);
    shot(dialog.step.hwnd(), 4, "values_spinview.bmp");

    // The scroll bar: an arrow lit, the thumb lit, the thumb dragged, an
    // arrow held.
    SkinScrollBar& bar = dialog.frame.verticalBar();
    GetClientRect(bar.hwnd(), &client);
    const HWND frame = dialog.frame.hwnd();
    MovePointer(ScreenPoint(bar.hwnd(), 7, client.bottom - 7));
    Pump(300);
    shot(frame, 3, "values_scroll_hot_arrow.bmp");
    ScrollGeometry g = bar.Geometry();
    grip = ScreenPoint(bar.hwnd(), 7, g.arrow + g.offset + g.thumb / 2);
    MovePointer(grip);
    Pump(300);
    shot(frame, 3, "values_scroll_hot_thumb.bmp");
    MouseButtonInput(MOUSEEVENTF_LEFTDOWN);
    Pump(100);
    for (int i = 1; i <= 5; ++i) {
        MovePointer(POINT{grip.x, grip.y + 10 * i});
        Pump(60);
    }
    shot(frame, 3, "values_scroll_dragged.bmp");
    MouseButtonInput(MOUSEEVENTF_LEFTUP);
    Pump(100);
    MovePointer(ScreenPoint(bar.hwnd(), 7, 7));
    Pump(100);
    MouseButtonInput(MOUSEEVENTF_LEFTDOWN);
    Pump(200);
    shot(frame, 3, "values_scroll_pressed_arrow.bmp");
    MouseButtonInput(MOUSEEVENTF_LEFTUP);
    MovePointer(POINT{20, 20});
    Pump(100);
    DestroyWindow(dialog.hwnd());
    return failures == 0 ? 0 : 1;
}

HWND WaitForWindow(const char* title, DWORD timeoutMs, DWORD start) {
    while (GetTickCount() - start < timeoutMs) {
        HWND hwnd = FindWindowA(nullptr, title);
        if (hwnd != nullptr && IsWindowVisible(hwnd)) return hwnd;
        Sleep(5);
    }
    return nullptr;
}

int CaptureWindow(const char* title, const std::string& out, DWORD timeoutMs) {
    HWND hwnd = WaitForWindow(title, timeoutMs, GetTickCount());
    if (hwnd == nullptr) {
        fprintf(stderr, "no window \"%s\"\n", title);
        return 1;
    }
    Sleep(700);  // let it finish painting
    return SaveWindow(hwnd, out) ? 0 : 1;
}

int TimeStart(const char* program, const char* title, DWORD timeoutMs) {
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::string command = std::string("\"") + program + "\"";
    const DWORD start = GetTickCount();
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi)) {
        fprintf(stderr, "cannot start %s\n", program);
        return 1;
    }
    CloseHandle(pi.hThread);
    HWND hwnd = WaitForWindow(title, timeoutMs, start);
    const DWORD shown = GetTickCount() - start;
    // The window marks its first finished paint with this property.
    while (hwnd != nullptr && GetPropA(hwnd, kFirstPaintProperty) == nullptr &&
           GetTickCount() - start < timeoutMs) {
        Sleep(2);
    }
    const DWORD painted = GetTickCount() - start;
    int result = 0;
    if (hwnd == nullptr || painted >= timeoutMs) {
        fprintf(stderr, "no painted window \"%s\"\n", title);
        result = 1;
    } else {
        printf("shown %lu ms, painted %lu ms\n", static_cast<unsigned long>(shown),
               static_cast<unsigned long>(painted));
    }
    if (hwnd != nullptr) PostMessageA(hwnd, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) {
        TerminateProcess(pi.hProcess, 1);
        result = 1;
    }
    CloseHandle(pi.hProcess);
    return result;
}

// A desktop-like backdrop, so that the overlay's rounded, translucent edges
// show in the pictures.
LRESULT CALLBACK BackdropProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(hwnd, &paint);
        RECT r;
        GetClientRect(hwnd, &r);
        for (int y = 0; y < r.bottom; y += 4) {
            const int shade = 120 + 100 * y / (r.bottom > 0 ? r.bottom : 1);
            HBRUSH brush = CreateSolidBrush(RGB(shade / 2, shade * 3 / 4, shade));
            RECT band = {0, y, r.right, y + 4};
            FillRect(dc, &band, brush);
            DeleteObject(brush);
        }
        EndPaint(hwnd, &paint);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

int ShootOverlay(const std::string& folder, const std::string& outFolder) {
    const std::string config = folder + "config.ini";
    const std::string profile = folder + "config\\Default1.gmp";
    CreateDirectoryA((folder + "config").c_str(), nullptr);
    WritePrivateProfileStringA("Setting", "ProFileName", "Sniper", profile.c_str());
    WritePrivateProfileStringA("OSDData", "Message", "CPI: 1600", config.c_str());
    WritePrivateProfileStringA("MacroOSD", "Number", "3", config.c_str());
    WritePrivateProfileStringA("MacroOSD", "MacroName", "Rapid Fire", config.c_str());

    WNDCLASSA wc = {};
    wc.lpfnWndProc = BackdropProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "KestraBackdrop";
    RegisterClassA(&wc);
    HWND backdrop = CreateWindowExA(0, wc.lpszClassName, "backdrop", WS_POPUP | WS_VISIBLE, 0, 0,
                                    GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                    nullptr, nullptr, wc.hInstance, nullptr);
    Pump(300);

    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::string command = "\"" + folder + "Overlay.exe\"";
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &si, &pi)) {
        fprintf(stderr, "cannot start %s\n", command.c_str());
        return 1;
    }
    CloseHandle(pi.hThread);
    HWND overlay = nullptr;
    for (int i = 0; i < 500 && !overlay; ++i, Sleep(20))
        overlay = FindWindowA(nullptr, kOsdWindowTitle);
    int failures = overlay ? 0 : 1;
    struct Shot {
        WPARAM kind;
        LPARAM lParam;
        const char* file;
    };
    const Shot shots[] = {{OSD_SHOW_PROFILE, 1 << 16, "overlay_profile.bmp"},
                          {OSD_SHOW_MESSAGE, 0, "overlay_message.bmp"},
                          {OSD_SHOW_MACRO, 0, "overlay_macro.bmp"}};
    for (const Shot& shot : shots) {
        if (!overlay) break;
        PostMessageA(overlay, UM_OSD_SHOW, shot.kind, shot.lParam);
        Pump(500);  // past the fade-in, well before the fade-out
        RECT r;
        GetWindowRect(overlay, &r);
        InflateRect(&r, 24, 24);
        const bool ok = IsWindowVisible(overlay) && SaveScreenRect(r, outFolder + shot.file);
        printf("%s %s\n", ok ? "saved" : "FAILED", (outFolder + shot.file).c_str());
        failures += ok ? 0 : 1;
    }
    if (overlay) PostMessageA(overlay, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 5000) != WAIT_OBJECT_0) {
        TerminateProcess(pi.hProcess, 1);
        ++failures;
    }
    CloseHandle(pi.hProcess);
    DestroyWindow(backdrop);
    return failures == 0 ? 0 : 1;
}

std::string WithSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
    return folder;
}

}  // namespace

// An open box menu with its media submenu: the menu's own loop runs the
// steps (keys that open the submenu, the shot, the end of the menu).
std::string g_popupPath;
int g_popupStep = 0;
bool g_popupSaved = false;

void PressKey(BYTE key) {
    keybd_event(key, 0, 0, 0);
    keybd_event(key, 0, KEYEVENTF_KEYUP, 0);
}

void CALLBACK PopupStep(HWND, UINT, UINT_PTR id, DWORD) {
    ++g_popupStep;
    if (g_popupStep == 1) {
        PressKey(VK_DOWN);
        PressKey(VK_DOWN);
        PressKey(VK_RIGHT);
    } else if (g_popupStep == 3) {
        g_popupSaved = SaveScreenRect(RECT{0, 0, 1280, 720}, g_popupPath);
        printf("%s %s\n", g_popupSaved ? "saved" : "FAILED", g_popupPath.c_str());
    } else if (g_popupStep >= 4) {
        KillTimer(nullptr, id);
        EndMenu();
    }
}

// Answers every question of Option's main window as a user who cancels.
// Option's main window at a fixed place in front, the pointer out of its way.
bool ShowMainWindow(COptionDlg& dialog) {
    if (!dialog.Create()) return false;
    SetWindowPos(dialog.hwnd(), HWND_TOP, 20, 20, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    SetForegroundWindow(dialog.hwnd());
    MovePointer(POINT{1200, 1000});
    Pump(500);
    return true;
}

int ShootPages(const std::string& programFolder, const std::string& outFolder) {
    int failures = 0;
    CancellingShell shell;
    COptionDlg dialog(programFolder, shell);
    if (!ShowMainWindow(dialog)) return 1;
    const auto shoot = [&](COptionDlg::Page page, const char* name) {
        SendMessageA(dialog.tab(page).hwnd(), BM_CLICK, 0, 0);
        Pump(400);
        failures += SaveWindow(dialog.hwnd(), outFolder + name) ? 0 : 1;
    };
    shoot(COptionDlg::kPerformancePage, "option_performance_default.bmp");
    shoot(COptionDlg::kDpiPage, "option_dpi_default.bmp");
    shoot(COptionDlg::kButtonPage, "option_buttons_default.bmp");
    g_popupPath = outFolder + "option_box_menu.bmp";
    SetTimer(nullptr, 0, 300, &PopupStep);
    SendMessageA(dialog.box(3).hwnd(), BM_CLICK, 0, 0);
    Pump(2500);
    failures += g_popupSaved ? 0 : 1;

    // A changed profile: every control away from its default.
    ProfileSettings& p = dialog.logic().currentSettings();
    p.CpiLevel_X[1] = 3;
    p.CpiLevel_X[3] = 144;
    p.CpiLevel_X[4] = 3;
    p.dpiStepFlag[4] = 0;
    p.CpiStep = 2;
    p.DPIColor[2] = 0x00FF00;
    p.XYSynchronous = 1;
    p.Sensitivity_X = 7;
    p.Sensitivity_Y = 15;
    p.PollingRate = 2;
    p.DbleClickSpeed = 200;
    p.MouseSpeed = 14;
    p.AccelerationFlag = 1;
    p.Acceleration = 8;
    p.ScrollWheelFlag = 1;
    p.ScrollWheelSpeed = 1;
    p.TiltSpeed = 7;
    dialog.page(COptionDlg::kPerformancePage).Refresh();
    dialog.page(COptionDlg::kDpiPage).Refresh();
    shoot(COptionDlg::kPerformancePage, "option_performance_changed.bmp");
    shoot(COptionDlg::kDpiPage, "option_dpi_changed.bmp");

    // An apply under way: a stand-in for Monitor takes it, then reports how
    // far its device thread is.
    {
        HWND monitor = CreateWindowExA(0, "STATIC", kMonitorWindowTitle, WS_POPUP, 0, 0, 1, 1,
                                       nullptr, nullptr, nullptr, nullptr);
        SendMessageA(dialog.applyButton().hwnd(), BM_CLICK, 0, 0);
        PostMessageA(dialog.hwnd(), UM_APPLY_PROGRESS, PackApplyProgress(97, 282), 21400);
        Pump(400);
        failures += SaveWindow(dialog.hwnd(), outFolder + "option_apply_progress.bmp") ? 0 : 1;
        SendMessageA(dialog.hwnd(), UM_APPLY_DONE, 0, 0);
        DestroyWindow(monitor);
        Pump(200);
    }

    // Monitor says the mouse is plugged in but does not answer.
    SendMessageA(dialog.tab(COptionDlg::kButtonPage).hwnd(), BM_CLICK, 0, 0);
    PostMessageA(dialog.hwnd(), UM_DEVICE_STATE, PackDeviceState(kMouseNotAnswering, false, 0, 0),
                 0);
    Pump(400);
    failures += SaveWindow(dialog.hwnd(), outFolder + "option_main_not_answering.bmp") ? 0 : 1;
    PostMessageA(dialog.hwnd(), UM_DEVICE_STATE, PackDeviceState(kMouseAnswering, true, 2, 3), 0);
    Pump(200);

    // The colour dialog over the main window, with level 1's colour and
    // with another.
    const uint32_t colours[] = {static_cast<uint32_t>(p.DPIColor[0]) & 0xFFFFFF, 0x3080F0};
    const char* const names[] = {"option_dpi_colour_default.bmp", "option_dpi_colour_changed.bmp"};
    for (int i = 0; i < 2; ++i) {
        CDpiColourDialog colour(dialog.hwnd(), colours[i], i * 2);
        if (!colour.CreatePopup(dialog.hwnd())) {
            ++failures;
            continue;
        }
        ShowWindow(colour.hwnd(), SW_SHOW);
        Pump(400);
        failures += SaveWindow(colour.hwnd(), outFolder + names[i]) ? 0 : 1;
        DestroyWindow(colour.hwnd());
    }
    // The player dialog with a player that its menu does not offer.
    CPlayerDialog player(dialog.hwnd(), 2);
    if (player.CreatePopup(dialog.hwnd())) {
        ShowWindow(player.hwnd(), SW_SHOW);
        Pump(400);
        failures += SaveWindow(player.hwnd(), outFolder + "option_player_dialog.bmp") ? 0 : 1;
        DestroyWindow(player.hwnd());
    } else {
        ++failures;
    }
    // The macro chooser with one macro chosen and the second play option.
    MacroLibrary macros;
    macros.macros().resize(1);
    memset(&macros.macros()[0], 0, sizeof(Macro));
    CopyText(macros.macros()[0].name, kMacroNameSize, "Reload");
    CSelectMacroDialog chooser(dialog.hwnd(), macros, 1, 0);
    if (chooser.CreatePopup(dialog.hwnd())) {
        ShowWindow(chooser.hwnd(), SW_SHOW);
        Pump(400);
        failures += SaveWindow(chooser.hwnd(), outFolder + "option_select_macro.bmp") ? 0 : 1;
        DestroyWindow(chooser.hwnd());
    } else {
        ++failures;
    }
    // The shortcut dialog of Ctrl with A.
    const uint8_t ctrl[5] = {0, 0, 1, 0, 0};
    CShortcutDialog shortcut(dialog.hwnd(), 4, ctrl);
    if (shortcut.CreatePopup(dialog.hwnd())) {
        ShowWindow(shortcut.hwnd(), SW_SHOW);
        Pump(400);
        failures += SaveWindow(shortcut.hwnd(), outFolder + "option_shortcut_dialog.bmp") ? 0 : 1;
        DestroyWindow(shortcut.hwnd());
    } else {
        ++failures;
    }
    // The launch-program dialog of a button that starts a program.
    CLaunchProgramDialog launch(dialog.hwnd(), "C:\\Program Files\\Tools\\calc.exe");
    if (launch.CreatePopup(dialog.hwnd())) {
        ShowWindow(launch.hwnd(), SW_SHOW);
        Pump(400);
        failures += SaveWindow(launch.hwnd(), outFolder + "option_launch_dialog.bmp") ? 0 : 1;
        DestroyWindow(launch.hwnd());
    } else {
        ++failures;
    }
    DestroyWindow(dialog.hwnd());
    return failures == 0 ? 0 : 1;
}

// The macro manager with a macro selected, with the step list's context menu
// (its mouse-step submenu open), while recording; then the MACROS tab with
// the same library.
std::string g_stepMenuPath;
int g_stepMenuStep = 0;
bool g_stepMenuSaved = false;

void CALLBACK StepMenuStep(HWND, UINT, UINT_PTR id, DWORD) {
    ++g_stepMenuStep;
    if (g_stepMenuStep == 1) {
        for (int i = 0; i < 4; ++i) PressKey(VK_DOWN);
        PressKey(VK_RIGHT);
    } else if (g_stepMenuStep == 3) {
        g_stepMenuSaved = SaveScreenRect(RECT{0, 0, 1280, 720}, g_stepMenuPath);
        printf("%s %s\n", g_stepMenuSaved ? "saved" : "FAILED", g_stepMenuPath.c_str());
    } else if (g_stepMenuStep >= 4) {
        KillTimer(nullptr, id);
        EndMenu();
    }
}

void ClickAt(POINT p, DWORD down, DWORD up) {
    MovePointer(p);
    Pump(150);
    MouseButtonInput(down);
    MouseButtonInput(up);
    Pump(300);
}

int ShootMacroManager(const std::string& programFolder, const std::string& outFolder) {
    SetSkinFolder(programFolder + "skins\\");
    int failures = 0;
    MacroLibrary library;
    const char* const names[] = {"Reload", "Sprint jump", "Build order"};
    for (const char* name : names) {
        Macro m = {};
        CopyText(m.name, sizeof m.name, name);
        m.repeatCount = 1;
        library.macros().push_back(m);
    }
    const MacroStep reload[] = {{0x15, 1, 35}, {0x15, 2, 120}, {240, 1, 0},  {240, 2, 60},
                                {0xE1, 1, 0},  {0x1A, 1, 45},  {0x1A, 2, 0}, {0xE1, 2, 250},
                                {0x2C, 1, 0},  {0x2C, 2, 0}};
    memcpy(library.macros()[0].steps, reload, sizeof reload);
    library.macros()[0].stepCount = sizeof reload / sizeof reload[0];
    library.macros()[0].repeatCount = 3;
    library.Save(MacroLibraryPath(programFolder));

    LanguageLibrary texts;
    texts.Load(programFolder);
    std::unique_ptr<SettingsStore> store(new SettingsStore);
    ClearStore(*store);
    ResetAllProfiles(*store);
    CMacroManager manager(nullptr, library, *store, &texts, programFolder);
    if (!manager.CreatePopup(nullptr)) return 1;
    SetWindowPos(manager.hwnd(), HWND_TOP, 100, 100, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    SetForegroundWindow(manager.hwnd());
    Pump(400);
    // Entries "10" (macro list) and "20" (step list) of the skin.
    ClickAt(ScreenPoint(manager.hwnd(), 60, 66 + 9), MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    MovePointer(POINT{1200, 1000});
    Pump(300);
    failures += SaveWindow(manager.hwnd(), outFolder + "option_macro_manager.bmp") ? 0 : 1;

    g_stepMenuPath = outFolder + "option_macro_manager_menu.bmp";
    SetTimer(nullptr, 0, 300, &StepMenuStep);
    ClickAt(ScreenPoint(manager.hwnd(), 280, 66 + 18 * 2 + 9), MOUSEEVENTF_RIGHTDOWN,
            MOUSEEVENTF_RIGHTUP);
    Pump(2500);
    failures += g_stepMenuSaved ? 0 : 1;

    // Entry "21": Record, then Stop.
    const POINT record = ScreenPoint(manager.hwnd(), 500, 82);
    ClickAt(record, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    MovePointer(POINT{1200, 1000});
    Pump(300);
    failures +=
        SaveWindow(manager.hwnd(), outFolder + "option_macro_manager_recording.bmp") ? 0 : 1;
    ClickAt(record, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    DestroyWindow(manager.hwnd());

    CancellingShell shell;
    COptionDlg dialog(programFolder, shell);
    if (!ShowMainWindow(dialog)) return 1;
    SendMessageA(dialog.tab(COptionDlg::kMacroPage).hwnd(), BM_CLICK, 0, 0);
    Pump(400);
    failures += SaveWindow(dialog.hwnd(), outFolder + "option_macros_page.bmp") ? 0 : 1;
    DestroyWindow(dialog.hwnd());
    return failures == 0 ? 0 : 1;
}

// ---- the lighting page, its menus, dialogs and swatches; the profile dialog

std::string g_lightMenuPath;
bool g_lightMenuSaved = false;

// Inside a menu's own loop: the shot, then the end of the menu.
void CALLBACK LightMenuStep(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    g_lightMenuSaved = SaveScreenRect(RECT{0, 0, 1280, 720}, g_lightMenuPath);
    printf("%s %s\n", g_lightMenuSaved ? "saved" : "FAILED", g_lightMenuPath.c_str());
    EndMenu();
}

template <class Dialog>
int ShootPopup(Dialog& window, HWND owner, const std::string& path) {
    if (!window.CreatePopup(owner)) return 1;
    ShowWindow(window.hwnd(), SW_SHOW);
    Pump(400);
    const int failures = SaveWindow(window.hwnd(), path) ? 0 : 1;
    DestroyWindow(window.hwnd());
    return failures;
}

int ShootLighting(const std::string& programFolder, const std::string& outFolder) {
    int failures = 0;
    CancellingShell shell;
    COptionDlg dialog(programFolder, shell);
    if (!ShowMainWindow(dialog)) return 1;
    auto& page = static_cast<CLightPage&>(dialog.page(COptionDlg::kLightPage));
    SendMessageA(dialog.tab(COptionDlg::kLightPage).hwnd(), BM_CLICK, 0, 0);
    Pump(400);
    failures += SaveWindow(dialog.hwnd(), outFolder + "option_light_default.bmp") ? 0 : 1;

    ProfileSettings& p = dialog.logic().currentSettings();
    p.LightSwitch = 4;
    p.BreathSpeed = 3;
    p.Direction = 2;
    p.CpiStep = 1;
    p.DPIColor[1] = 0xF08030;
    page.Refresh();
    Pump(300);
    failures += SaveWindow(dialog.hwnd(), outFolder + "option_light_breathing.bmp") ? 0 : 1;
    const struct {
        SkinButton& button;
        const char* name;
    } menus[] = {{page.effectButton(), "option_light_effect_menu.bmp"},
                 {page.levelButton(), "option_light_speed_menu.bmp"},
                 {page.directionButton(), "option_light_direction_menu.bmp"}};
    for (const auto& menu : menus) {
        g_lightMenuPath = outFolder + menu.name;
        g_lightMenuSaved = false;
        SetTimer(nullptr, 0, 400, &LightMenuStep);
        SendMessageA(menu.button.hwnd(), BM_CLICK, 0, 0);
        Pump(400);  // past the menus' reopen guard
        failures += g_lightMenuSaved ? 0 : 1;
    }
    // The swatches under the preview, the pointer on the third.
    SendMessageA(page.preview().hwnd(), BM_CLICK, 0, 0);
    Pump(300);
    if (page.swatches().shown()) {
        const RECT& third = page.swatches().swatch(2);
        POINT at = {(third.left + third.right) / 2, (third.top + third.bottom) / 2};
        ClientToScreen(page.swatches().hwnd(), &at);
        MovePointer(at);
        Pump(400);
        RECT shot;
        GetWindowRect(dialog.hwnd(), &shot);
        failures += SaveScreenRect(shot, outFolder + "option_light_swatches.bmp") ? 0 : 1;
        page.swatches().Hide();
        MovePointer(POINT{1200, 1000});
        Pump(200);
    } else {
        ++failures;
    }

    p.NeonSpeed = 4;
    p.NeonSpecielSpeed = 12;
    p.DanSeSpeed = 2;
    p.DanSeIntensity = 3;
    p.DanSeType = 4;
    p.QiSeSpeed = 1;
    p.XuanCaiSpeed = 3;
    const struct {
        LightEffectDialog kind;
        const char* name;
    } dialogs[] = {{LightEffectDialog::kNeon, "option_light_neon.bmp"},
                   {LightEffectDialog::kSingleColour, "option_light_single_colour.bmp"},
                   {LightEffectDialog::kSevenColour, "option_light_seven_colours.bmp"},
                   {LightEffectDialog::kDazzle, "option_light_dazzle.bmp"}};
    for (const auto& d : dialogs) {
        CLightEffectDialog effect(dialog.hwnd(), p, d.kind);
        failures += ShootPopup(effect, dialog.hwnd(), outFolder + d.name);
    }
    StoreProfileTexts(p, "Racing", "C:\\Games\\Racing\\racing.exe");
    CProfileDialog profile(dialog.hwnd(), p, CProfileDialog::kFilled);
    failures += ShootPopup(profile, dialog.hwnd(), outFolder + "option_profile_dialog.bmp");
    DestroyWindow(dialog.hwnd());
    return failures == 0 ? 0 : 1;
}

// ---- Monitor's tray menu -----------------------------------------------------

// Opens the menu of the running Monitor's tray icon as a right click on the
// icon does, saves it, closes it and ends Monitor through its exit command.
int ShootTrayMenu(const std::string& outFolder) {
    HWND monitor = nullptr;
    const DWORD start = GetTickCount();
    while (monitor == nullptr && GetTickCount() - start < 20000) {
        monitor = FindWindowA(nullptr, kMonitorWindowTitle);
        Sleep(50);
    }
    if (monitor == nullptr) {
        fprintf(stderr, "no window \"%s\"\n", kMonitorWindowTitle);
        return 1;
    }
    SetCursorPos(400, 300);
    PostMessageA(monitor, UM_TRAY_NOTIFY, kTrayIconId, WM_RBUTTONDOWN);
    HWND menu = nullptr;
    const DWORD opened = GetTickCount();
    while (GetTickCount() - opened < 5000) {
        menu = FindWindowA("#32768", nullptr);
        if (menu != nullptr && IsWindowVisible(menu)) break;
        menu = nullptr;
        Sleep(20);
    }
    Sleep(500);  // let it finish painting
    const bool saved = menu != nullptr && SaveWindow(menu, outFolder + "monitor_tray_menu.bmp");
    // Exit, the last item, chosen by keys as a user may.
    PressKey(VK_UP);
    PressKey(VK_RETURN);
    Sleep(300);
    if (IsWindow(monitor)) PostMessageA(monitor, WM_COMMAND, ID_TRAY_EXIT, 0);
    return saved ? 0 : 1;
}

// The tip of the running Monitor's tray icon as a user sees it: the pointer
// rests on the icon until the shell shows the tip, which is saved with the
// tray under it.
int ShootTrayTip(const std::string& outPath) {
    // Wine without a desktop's tray shows the icons in a window of its own.
    const char* const kTrays[] = {"__winex11_standalone_tray", "Shell_TrayWnd"};
    HWND tray = nullptr;
    const DWORD start = GetTickCount();
    while (tray == nullptr && GetTickCount() - start < 20000) {
        for (const char* name : kTrays) {
            HWND w = FindWindowA(name, nullptr);
            if (tray == nullptr && w != nullptr && IsWindowVisible(w)) tray = w;
        }
        if (FindWindowA(nullptr, kMonitorWindowTitle) == nullptr) tray = nullptr;
        Sleep(50);
    }
    RECT icons;
    if (tray == nullptr || !GetWindowRect(tray, &icons)) {
        fprintf(stderr, "no notification area\n");
        return 1;
    }
    DWORD shell = 0;
    GetWindowThreadProcessId(tray, &shell);
    // Monitor's is the only icon here: the first square of the tray's client area.
    RECT client;
    GetClientRect(tray, &client);
    POINT icon = {client.bottom / 2, client.bottom / 2};
    ClientToScreen(tray, &icon);
    SetCursorPos(icon.x + 40, icon.y + 200);
    Sleep(300);
    SetCursorPos(icon.x, icon.y);
    HWND tip = nullptr;
    const DWORD hovered = GetTickCount();
    while (tip == nullptr && GetTickCount() - hovered < 8000) {
        for (HWND w = FindWindowExA(nullptr, nullptr, TOOLTIPS_CLASSA, nullptr); w != nullptr;
             w = FindWindowExA(nullptr, w, TOOLTIPS_CLASSA, nullptr)) {
            DWORD process = 0;
            GetWindowThreadProcessId(w, &process);
            if (process == shell && IsWindowVisible(w)) tip = w;
        }
        Sleep(50);
    }
    if (tip == nullptr) {
        fprintf(stderr, "the tray tip did not show\n");
        return 1;
    }
    Sleep(300);  // let it finish painting
    RECT shown;
    GetWindowRect(tip, &shown);
    UnionRect(&shown, &shown, &icons);
    const bool saved = SaveScreenRect(shown, outPath);
    printf("%s %s\n", saved ? "saved" : "FAILED", outPath.c_str());
    return saved ? 0 : 1;
}

// ---- A command's output --------------------------------------------------------

// Text as a command prompt shows it: light grey on black in a fixed font,
// for the manual's pictures of what a command prints.
class ConsoleText {
public:
    explicit ConsoleText(std::string text) : text_(std::move(text)) {}

    int Save(const std::string& outPath) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = &ConsoleText::Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "KestraConsoleText";
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        RegisterClassA(&wc);
        font_ = CreateFontA(-14, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0,
                            NONANTIALIASED_QUALITY, FIXED_PITCH | FF_MODERN, "Courier New");
        SIZE size = Measure();
        HWND window = CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, 20,
                                      20, size.cx, size.cy, nullptr, nullptr, wc.hInstance, this);
        Pump(800);
        const bool saved = window != nullptr && SaveWindow(window, outPath);
        if (window != nullptr) DestroyWindow(window);
        DeleteObject(font_);
        return saved ? 0 : 1;
    }

private:
    static constexpr int kMargin = 10;

    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        std::string line;
        for (char c : text_) {
            if (c == '\r') continue;
            if (c == '\n') {
                lines.push_back(line);
                line.clear();
            } else {
                line += c;
            }
        }
        if (!line.empty()) lines.push_back(line);
        return lines;
    }
    SIZE Measure() {
        HDC dc = GetDC(nullptr);
        HGDIOBJ old = SelectObject(dc, font_);
        TEXTMETRICA metrics = {};
        GetTextMetricsA(dc, &metrics);
        lineHeight_ = metrics.tmHeight;
        SIZE size = {0, 0};
        for (const std::string& line : Lines()) {
            SIZE extent = {};
            GetTextExtentPoint32A(dc, line.c_str(), static_cast<int>(line.size()), &extent);
            size.cx = std::max(size.cx, extent.cx);
        }
        SelectObject(dc, old);
        ReleaseDC(nullptr, dc);
        size.cx += 2 * kMargin;
        size.cy = static_cast<LONG>(Lines().size()) * lineHeight_ + 2 * kMargin;
        return size;
    }
    void Paint(HWND window) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        RECT all;
        GetClientRect(window, &all);
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        HGDIOBJ old = SelectObject(dc, font_);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(204, 204, 204));
        int y = kMargin;
        for (const std::string& line : Lines()) {
            TextOutA(dc, kMargin, y, line.c_str(), static_cast<int>(line.size()));
            y += lineHeight_;
        }
        SelectObject(dc, old);
        EndPaint(window, &ps);
    }
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            SetWindowLongPtrA(window, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(
                                  reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
        }
        auto* self = reinterpret_cast<ConsoleText*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (message == WM_PAINT && self != nullptr) {
            self->Paint(window);
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }

    std::string text_;
    HFONT font_ = nullptr;
    int lineHeight_ = 16;
};

// A text file (a command's output, with the command line it came from in
// front) as a console shows it.
int ShootConsoleText(const std::string& command, const std::string& textPath,
                     const std::string& outPath) {
    FILE* in = fopen(textPath.c_str(), "rb");
    if (in == nullptr) {
        fprintf(stderr, "cannot read %s\n", textPath.c_str());
        return 1;
    }
    std::string text = "C:\\>" + command + "\r\n";
    char buffer[4096];
    size_t got = 0;
    while ((got = fread(buffer, 1, sizeof buffer, in)) > 0) text.append(buffer, got);
    fclose(in);
    ConsoleText console(text);
    return console.Save(outPath);
}

// ---- The uninstaller's pages -----------------------------------------------

// Starts a program by its command line; the process handle, or null.
HANDLE StartCommand(std::string command) {
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi)) {
        fprintf(stderr, "cannot start %s\n", command.c_str());
        return nullptr;
    }
    CloseHandle(pi.hThread);
    return pi.hProcess;
}

// The client area of a page once painted: without a window manager the
// frame is not drawn.
bool SaveClientArea(HWND window, const std::string& path) {
    Sleep(800);
    RECT r;
    GetClientRect(window, &r);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    const bool saved = SaveScreenRect(r, path);
    printf("%s %s\n", saved ? "saved" : "FAILED", path.c_str());
    return saved;
}

struct OwnedSearch {
    HWND owner;
    HWND found;
};

BOOL CALLBACK TakeOwnedMessageBox(HWND candidate, LPARAM p) {
    OwnedSearch* search = reinterpret_cast<OwnedSearch*>(p);
    char name[16] = {};
    GetClassNameA(candidate, name, sizeof name);
    if (strcmp(name, "#32770") == 0 && GetWindow(candidate, GW_OWNER) == search->owner &&
        IsWindowVisible(candidate)) {
        search->found = candidate;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK TakeUninstallerWindow(HWND candidate, LPARAM p) {
    // The uninstaller adds the page's subcaption to its title.
    char title[128] = {};
    GetWindowTextA(candidate, title, sizeof title);
    if (strncmp(title, "Kestra Gaming Mouse Uninstall", 29) != 0 || !IsWindowVisible(candidate))
        return TRUE;
    *reinterpret_cast<HWND*>(p) = candidate;
    return FALSE;
}

// The message box that a window owns, or null.
HWND OwnedMessageBox(HWND owner) {
    OwnedSearch search{owner, nullptr};
    EnumWindows(&TakeOwnedMessageBox, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The uninstaller of what the installer's walk installed, with a settings
// file there so that it asks whether to keep the settings: its first page
// and that question, answered with keeping them.
int ShootUninstaller(const std::string& outFolder) {
    char local[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, local);
    const std::string folder = std::string(local) + "\\Programs\\Kestra Gaming Mouse\\";
    FILE* settings = fopen((folder + "config.ini").c_str(), "wb");
    if (settings != nullptr) {
        fputs("[Setting]\r\n", settings);
        fclose(settings);
    }
    HANDLE uninstaller = StartCommand("\"" + folder + "Uninstall.exe\"");
    if (uninstaller == nullptr) return 1;
    CloseHandle(uninstaller);
    // It goes on as a copy of itself in the temporary folder.
    HWND window = nullptr;
    const DWORD shown = GetTickCount();
    while (window == nullptr && GetTickCount() - shown < 20000) {
        EnumWindows(&TakeUninstallerWindow, reinterpret_cast<LPARAM>(&window));
        Sleep(50);
    }
    if (window == nullptr) {
        fprintf(stderr, "no uninstaller window\n");
        return 1;
    }
    int failures = 0;
    auto shot = [&](HWND w, const char* name) {
        if (!SaveClientArea(w, outFolder + name)) ++failures;
    };
    shot(window, "uninstaller_confirm.bmp");
    PostMessageA(window, WM_COMMAND, IDOK, 0);
    HWND question = nullptr;
    const DWORD start = GetTickCount();
    while (question == nullptr && GetTickCount() - start < 20000) {
        question = OwnedMessageBox(window);
        Sleep(50);
    }
    if (question == nullptr) {
        fprintf(stderr, "no question whether to keep the settings\n");
        ++failures;
    } else {
        shot(question, "uninstaller_keep_settings.bmp");
        PostMessageA(question, WM_COMMAND, IDYES, 0);
    }
    // Finish once it is done.
    const DWORD done = GetTickCount();
    while (IsWindow(window) && GetTickCount() - done < 20000) {
        HWND finish = GetDlgItem(window, IDOK);
        if (finish != nullptr && IsWindowEnabled(finish)) PostMessageA(window, WM_COMMAND, IDOK, 0);
        Sleep(200);
    }
    return failures;
}

// ---- The installer's pages -------------------------------------------------

// Walks the installer through its pages by its own buttons and saves each:
// the welcome page, the folder page, the finished copying and the last page.
// It installs into the screenshot prefix and starts nothing (/NOLAUNCH); the
// last page is left by ending the process.
int ShootInstaller(const std::string& installer, const std::string& outFolder) {
    HANDLE process = StartCommand("\"" + installer + "\" /NOLAUNCH");
    if (process == nullptr) return 1;
    int failures = 0;
    const char* title = "Kestra Gaming Mouse Setup";
    HWND window = WaitForWindow(title, 20000, GetTickCount());
    auto nextEnabled = [&] {
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < 30000) {
            HWND next = GetDlgItem(window, IDOK);
            if (next != nullptr && IsWindowEnabled(next)) return true;
            Sleep(50);
        }
        return false;
    };
    auto shot = [&](const char* name) {
        if (!SaveClientArea(window, outFolder + name)) ++failures;
    };
    auto next = [&] { PostMessageA(window, WM_COMMAND, IDOK, 0); };
    if (window == nullptr) {
        fprintf(stderr, "no window \"%s\"\n", title);
        ++failures;
    } else {
        shot("installer_welcome.bmp");
        next();
        shot("installer_folder.bmp");
        next();
        Sleep(300);
        if (!nextEnabled()) ++failures;
        shot("installer_progress.bmp");
        next();
        shot("installer_finish.bmp");
    }
    TerminateProcess(process, 0);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
    if (window != nullptr) failures += ShootUninstaller(outFolder);
    return failures == 0 ? 0 : 1;
}

int main(int argc, char** argv) {
    if (argc == 4 && strcmp(argv[1], "skins") == 0) {
        return ShowSkins(WithSlash(argv[2]), WithSlash(argv[3]));
    }
    if (argc == 5 && strcmp(argv[1], "window") == 0) {
        return CaptureWindow(argv[2], argv[3], static_cast<DWORD>(atoi(argv[4])));
    }
    if (argc == 5 && strcmp(argv[1], "controls") == 0) {
        return ShootTextControls(WithSlash(argv[2]), WithSlash(argv[3]), WithSlash(argv[4]));
    }
    if (argc == 4 && strcmp(argv[1], "values") == 0) {
        return ShootValueControls(WithSlash(argv[2]), WithSlash(argv[3]));
    }
    if (argc == 4 && strcmp(argv[1], "pages") == 0) {
        return ShootPages(WithSlash(argv[2]), WithSlash(argv[3]));
    }
    if (argc == 4 && strcmp(argv[1], "lighting") == 0) {
        return ShootLighting(WithSlash(argv[2]), WithSlash(argv[3]));
    }
    if (argc == 4 && strcmp(argv[1], "macros") == 0) {
        return ShootMacroManager(WithSlash(argv[2]), WithSlash(argv[3]));
    }
    if (argc == 4 && strcmp(argv[1], "overlay") == 0) {
        return ShootOverlay(WithSlash(argv[2]), WithSlash(argv[3]));
    }
    if (argc == 5 && strcmp(argv[1], "start") == 0) {
        return TimeStart(argv[2], argv[3], static_cast<DWORD>(atoi(argv[4])));
    }
    if (argc == 3 && strcmp(argv[1], "traytip") == 0) {
        return ShootTrayTip(argv[2]);
    }
    if (argc == 5 && strcmp(argv[1], "console") == 0) {
        return ShootConsoleText(argv[2], argv[3], argv[4]);
    }
    if (argc == 3 && strcmp(argv[1], "traymenu") == 0) {
        return ShootTrayMenu(WithSlash(argv[2]));
    }
    if (argc == 4 && strcmp(argv[1], "installer") == 0) {
        return ShootInstaller(argv[2], WithSlash(argv[3]));
    }
    fprintf(stderr, "usage: screenshot_tool skins|window|start|controls|overlay ...\n");
    return 2;
}
