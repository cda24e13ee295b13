// Spin fields: a number in a numeric entry field with an up and a down arrow
// (SkinSpinEdit), or shown only (SkinSpinView). Every change of the number,
// typed or made by an arrow, reaches the owner as UM_SPIN_CHANGED (wParam
// the value, lParam the field's id).
#pragma once

#include <windows.h>

#include <string>

#include "skin/bitmap_edit_win.h"
#include "skin/gdi_win.h"
#include "skin/skin_button_win.h"
#include "skin/slider_math.h"
#include "skin/window_win.h"

namespace kestra {

// The control id of the entry field inside a spin field.
constexpr int kSpinEditId = 401;

class SkinSpinEdit : public Window {
public:
    SkinSpinEdit() : SkinSpinEdit(false) {}
    ~SkinSpinEdit() override { DestroyOwnWindow(); }

    // A visible child of `owner` at the rectangle, with its arrows and field.
    bool Create(int left, int top, int right, int bottom, HWND owner, int id);
    // The field's rectangle (in the dialog) cut out of the dialog's four
    // images; the arrows take theirs from these at their own places.
    void SetStateImages(const RECT& rect, HBITMAP normal, HBITMAP over, HBITMAP down,
                        HBITMAP disable);
    // Also limits the field to the digits of the maximum (and a sign).
    void SetRange(int minimum, int maximum);
    void SetStep(int step) { step_ = step > 0 ? step : 1; }
    // Stores the value and shows it when the field shows something else.
    void SetValue(int value);

    int value() const { return value_; }
    int id() const { return id_; }
    SkinButton& upButton() { return up_; }
    SkinButton& downButton() { return down_; }
    BitmapEdit& edit() { return edit_; }

protected:
    explicit SkinSpinEdit(bool viewOnly) : viewOnly_(viewOnly) {}
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    LRESULT OnCreate(WPARAM wParam, LPARAM lParam);
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam);
    LRESULT OnEditEnter(WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseMove(WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseLeave(WPARAM wParam, LPARAM lParam);
    LRESULT OnPaint(WPARAM wParam, LPARAM lParam);
    LRESULT OnEraseBackground(WPARAM wParam, LPARAM lParam);
    LRESULT OnEnable(WPARAM wParam, LPARAM lParam);
    LRESULT OnDrawItem(WPARAM wParam, LPARAM lParam);
    void TextChanged();
    void Arrow(bool up);
    // Puts the text in place of everything in the field, caret in view.
    void ReplaceText(const std::string& text);
    ValueRange range() const { return {minimum_, maximum_}; }

    const bool viewOnly_;
    SkinButton up_;
    SkinButton down_;
    BitmapEdit edit_;
    Bitmap images_[4];  // normal, over, down, disable
    RECT upRect_ = {0, 0, 0, 0};
    RECT downRect_ = {0, 0, 0, 0};
    HWND owner_ = nullptr;
    int id_ = 0;
    int value_ = 0;
    int step_ = 1;
    int minimum_ = 0;
    int maximum_ = 10;
    bool tracking_ = false;
};

class SkinSpinView : public SkinSpinEdit {
public:
    SkinSpinView() : SkinSpinEdit(true) {}
    ~SkinSpinView() override { DestroyOwnWindow(); }
};

}  // namespace kestra
