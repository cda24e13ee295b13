// The double-click test: an area that shows a picture and, on each
// double-click (and each time it is shown or hidden), plays its clip once
// with a click sound; and the small skinned dialog that holds it.
#pragma once

#include <windows.h>

#include <string>

#include "skin/gdi_win.h"
#include "skin/skin_button_win.h"
#include "skin/skin_window_win.h"
#include "skin/window_win.h"

namespace kestra {

// The media of the program folder, relative to it.
constexpr char kDoubleClickPicture[] = "wave\\double_click.bmp";
constexpr char kDoubleClickClip[] = "avi\\double_click.avi";
constexpr char kDoubleClickSound[] = "wave\\double_click.wav";

class DoubleClickTest : public Window {
public:
    DoubleClickTest() = default;
    ~DoubleClickTest() override { DestroyOwnWindow(); }

    // A hidden child (it plays when it is first shown); the picture comes
    // from `programFolder` (with a trailing backslash).
    bool Create(HWND parent, const RECT& rect, const std::string& programFolder);
    // The clip and the sound (full paths) that each double-click plays.
    void SetMedia(const std::string& clipPath, const std::string& soundPath);
    // What a double-click does: open the clip on first use, play it once
    // from the first to the last frame, and the sound.
    void Play();
    // Lets go of the clip file.
    void CloseClip();

    HWND animation() const { return animation_; }
    bool hasPicture() const { return static_cast<bool>(picture_); }
    bool clipOpen() const { return clipOpen_; }
    // Plays so far, and how many of them the animation control accepted.
    int plays() const { return plays_; }
    int clipsStarted() const { return clipsStarted_; }

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    LRESULT OnDrawItem(WPARAM wParam, LPARAM lParam);
    LRESULT OnDoubleClick(WPARAM wParam, LPARAM lParam);
    LRESULT OnShowWindow(WPARAM wParam, LPARAM lParam);
    LRESULT OnEraseBackground(WPARAM wParam, LPARAM lParam);

    Bitmap picture_;
    HWND animation_ = nullptr;  // a child: destroyed with this window
    std::string clipPath_;
    std::string soundPath_;
    bool clipOpen_ = false;
    int plays_ = 0;
    int clipsStarted_ = 0;
};

// The double-click test dialog ("skin_cartoon.ini"): entry "1" closes it,
// "2" plays the clip again, "3" is the close button of its corner; entry "4"
// is the test area.
class DoubleClickDialog : public SkinWindow {
public:
    static constexpr int kButtonCount = 3;

    // `programFolder` holds the media (with a trailing backslash).
    DoubleClickDialog(HWND owner, std::string programFolder);
    ~DoubleClickDialog() override { DestroyOwnWindow(); }

    // Creates the dialog centred over its owner and shows it; it stays until
    // one of its close buttons (or WM_CLOSE) ends it.
    bool Open();
    void SetMessage(const std::string& text) { message_ = text; }

    SkinButton& button(int index) { return buttons_[index]; }
    DoubleClickTest& area() { return area_; }

protected:
    void PlaceControls(const SkinFile& file, const SkinStateImages& images) override;
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam) override;
    void Paint(HDC dc, const RECT& client) override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    HWND owner_;
    std::string programFolder_;
    std::string message_;
    SkinButton buttons_[kButtonCount];
    DoubleClickTest area_;
    Font font_;
};

}  // namespace kestra
