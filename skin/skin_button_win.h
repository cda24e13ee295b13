// Owner-drawn push and toggle buttons that show one of four skin images,
// follow the mouse through capture for their hover look, and (the colour
// variant) fill their face with a swatch.
#pragma once

#include <windows.h>

#include <string>

#include "skin/button_image.h"
#include "skin/gdi_win.h"
#include "skin/window_win.h"

namespace kestra {

class SkinButton : public Window {
public:
    ~SkinButton() override { DestroyOwnWindow(); }
    // A visible child with control id 0 and an empty title.
    bool Create(HWND parent, const RECT& rect);

    void SetStateImages(const RECT& rect, HBITMAP normal, HBITMAP over, HBITMAP down,
                        HBITMAP disable);
    void SetCheck(int state);
    void SetToggleMode(bool on) { toggleMode_ = on; }
    void SetHover(bool on) { hover_ = on; }
    void SetCaption(const std::string& text) { caption_ = text; }
    void SetEntryText(const std::string& text) { entryText_ = text; }
    void Enable(bool on) { EnableWindow(hwnd(), on ? TRUE : FALSE); }

    int checked() const { return checked_; }
    bool hover() const { return hover_; }
    bool toggleMode() const { return toggleMode_; }
    const std::string& entryText() const { return entryText_; }
    const std::string& caption() const { return caption_; }
    // The image the button shows in the given owner-draw state.
    ButtonImage ImageFor(UINT itemState) const;

protected:
    virtual void DrawFace(HDC dc, const RECT& rect, HBITMAP image);
    HBITMAP Image(ButtonImage which) const { return images_[static_cast<int>(which)].get(); }
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    LRESULT OnDrawItem(WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseMove(WPARAM wParam, LPARAM lParam);
    LRESULT OnKillFocus(WPARAM wParam, LPARAM lParam);
    LRESULT OnCaptureChanged(WPARAM wParam, LPARAM lParam);
    LRESULT OnLeftButtonDown(WPARAM wParam, LPARAM lParam);
    LRESULT OnLeftButtonUp(WPARAM wParam, LPARAM lParam);
    LRESULT OnEraseBackground(WPARAM wParam, LPARAM lParam);
    LRESULT OnNonClientPaint(WPARAM wParam, LPARAM lParam);
    HWND ParentOrOwner() const;
    // Without a window nothing is drawn (a null window would invalidate
    // every window of the desktop).
    void Repaint() {
        if (hwnd() != nullptr) InvalidateRect(hwnd(), nullptr, FALSE);
    }

    Bitmap images_[4];  // indexed by ButtonImage
    std::string caption_;
    std::string entryText_;
    int checked_ = 0;
    bool toggleMode_ = false;
    bool hover_ = false;
};

class SkinColorButton : public SkinButton {
public:
    ~SkinColorButton() override { DestroyOwnWindow(); }
    void SetColour(COLORREF colour) { colour_ = colour; }
    COLORREF colour() const { return colour_; }

protected:
    void DrawFace(HDC dc, const RECT& rect, HBITMAP image) override;

private:
    COLORREF colour_ = 0;
};

}  // namespace kestra
