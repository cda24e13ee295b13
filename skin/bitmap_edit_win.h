// The skinned entry field: a system edit control with the skin's colours and
// font, an optional numeric-only mode (keys and text filtered, paste
// included) and its notifications to the parent.
#pragma once

#include <windows.h>

#include <string>

#include "skin/gdi_win.h"
#include "skin/window_win.h"

namespace kestra {

// The registered message numbers of "BitmapEdit_KillFocus" (posted: wParam 1
// focus lost, 0 text changed) and "BitmapEdit_Change" (registered, never sent).
UINT BitmapEditKillFocusMessage();
UINT BitmapEditChangeMessage();

class BitmapEdit : public Window {
public:
    static constexpr COLORREF kTextColour = 0x242424;
    static constexpr COLORREF kBackgroundColour = 0xFFFFFF;

    BitmapEdit();
    ~BitmapEdit() override { DestroyOwnWindow(); }

    // A child edit window with `style` (WS_CHILD is added) and control id `id`.
    bool Create(HWND parent, const RECT& rect, DWORD style, int id);

    void SetNumericOnly(bool on) { numericOnly_ = on; }
    bool numericOnly() const { return numericOnly_; }
    void SetColours(COLORREF text, COLORREF background);
    // Sends WM_SETFONT with the field's font.
    void ApplyFont();

    std::string Text() const;
    void SetText(const std::string& text);

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnReflected(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    LRESULT OnKeyDown(WPARAM wParam, LPARAM lParam);
    LRESULT OnChar(WPARAM wParam, LPARAM lParam);
    LRESULT OnKeyUp(WPARAM wParam, LPARAM lParam);
    LRESULT OnKillFocus(WPARAM wParam, LPARAM lParam);
    LRESULT OnEraseBackground(WPARAM wParam, LPARAM lParam);
    LRESULT OnVScroll(WPARAM wParam, LPARAM lParam);
    LRESULT OnPaint(WPARAM wParam, LPARAM lParam);
    LRESULT ColourRequest(HDC dc);
    void TextChanged();
    void Notify(UINT message, WPARAM wParam);

    COLORREF textColour_ = kTextColour;
    COLORREF backgroundColour_ = kBackgroundColour;
    Brush brush_;
    Font font_;
    bool numericOnly_ = false;
    bool dropNextChar_ = false;  // the key-down that caused it was swallowed
    bool filtering_ = false;     // our own corrected text is being set back
};

}  // namespace kestra
