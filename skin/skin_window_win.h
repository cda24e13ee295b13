// The skinned window base: a borderless window whose size, look, outline and
// controls come from one skin file in the skin folder.
#pragma once

#include <windows.h>

#include <string>

#include "settings/ipc_names.h"
#include "skin/gdi_win.h"
#include "skin/skin_file.h"
#include "skin/window_win.h"

namespace kestra {

// The folder of every skin file and image, with a trailing backslash. Unless
// set, it is the running program's folder followed by "skins\".
void SetSkinFolder(const std::string& folder);
const std::string& SkinFolder();

enum class SkinFontKind { kCaption, kMessage, kEdit, kBold };
Font CreateSkinFont(SkinFontKind kind);

// The four full-window state images, alive only while the skin loads.
struct SkinStateImages {
    Bitmap normal;
    Bitmap over;
    Bitmap down;
    Bitmap disable;
};

class SkinButton;

class SkinWindow : public Window {
public:
    explicit SkinWindow(std::string skinFileName) : skinFileName_(std::move(skinFileName)) {}
    ~SkinWindow() override { DestroyOwnWindow(); }

    // A top-level borderless popup, centred over its owner (or the screen).
    bool CreatePopup(HWND owner);
    // A page inside a parent's client area (placed at its origin), hidden
    // unless `visible`.
    bool CreateChild(HWND parent, bool visible = true);

    // Shows the window as a popup over `owner`, which is disabled meanwhile,
    // and pumps messages until EndModal (or the window's destruction); the
    // window is gone when it returns. IDCANCEL when it could not be created
    // or ended without a result.
    int RunModal(HWND owner);
    // Ends RunModal with `result`; later calls change nothing (nor does one
    // after the window is gone).
    void EndModal(int result);
    bool modalEnded() const { return modalEnded_; }

    const SIZE& skinSize() const { return size_; }
    bool hasRegion() const { return hasRegion_; }

protected:
    // Places the window's controls; entries are read from `file`.
    virtual void PlaceControls(const SkinFile& file, const SkinStateImages& images) {
        (void)file;
        (void)images;
    }
    // Creates `button` from the entry and gives it its cut-out images.
    void PlaceButton(SkinButton& button, const SkinControlEntry& entry,
                     const SkinStateImages& images);
    // WM_COMMAND from a control; lParam is the control's window.
    virtual LRESULT OnCommand(WPARAM wParam, LPARAM lParam);
    // Paints the client area; the default copies the background.
    virtual void Paint(HDC dc, const RECT& client);
    // The background with a message over it in white, centred and wrapped in
    // the rectangle 20,50-220,94 (the message dialogs' text), drawn
    // off-screen first so that it does not flicker.
    void PaintMessage(HDC dc, const RECT& client, const std::string& message, HFONT font);
    // RunModal has shown the window and made it the foreground one.
    virtual void OnModalShown() {}
    // A message RunModal's loop took from the queue, before it is dispatched;
    // true when the window has handled it.
    virtual bool PreTranslateModalMessage(const MSG&) { return false; }
    // True for the few windows that let the system erase their background.
    virtual bool ErasesBackground() const { return false; }

    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    HBITMAP background() const { return background_.get(); }

private:
    LRESULT OnCreate(WPARAM wParam, LPARAM lParam);
    LRESULT OnPaint(WPARAM wParam, LPARAM lParam);
    LRESULT OnEraseBackground(WPARAM wParam, LPARAM lParam);
    LRESULT OnLeftButtonDown(WPARAM wParam, LPARAM lParam);
    LRESULT OnCommandMessage(WPARAM wParam, LPARAM lParam);
    LRESULT OnDrawItem(WPARAM wParam, LPARAM lParam);
    LRESULT OnMeasureItem(WPARAM wParam, LPARAM lParam);
    LRESULT OnDestroy(WPARAM wParam, LPARAM lParam);
    void LoadSkin();

    std::string skinFileName_;
    bool modalEnded_ = true;
    int modalResult_ = IDCANCEL;
    Bitmap mask_;
    Bitmap background_;
    SIZE size_ = {0, 0};
    bool hasRegion_ = false;
};

}  // namespace kestra
