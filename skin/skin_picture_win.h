// Image-only controls: a picture that shows one of up to three state images,
// and a variant with one image that never erases behind it.
#pragma once

#include <windows.h>

#include <string>

#include "skin/gdi_win.h"
#include "skin/window_win.h"

namespace kestra {

class SkinPicture : public Window {
public:
    static constexpr int kStateCount = 3;
    enum class Kind { kThreeState, kSingleImage };

    explicit SkinPicture(Kind kind = Kind::kThreeState) : kind_(kind) {}
    ~SkinPicture() override { DestroyOwnWindow(); }

    // A visible child with the rectangle, control id 0.
    bool Create(HWND parent, const RECT& rect);

    // The three states cut at `rect` from full-window images (normal, over
    // and down of a skin); a null source leaves that state without image.
    void SetStateImages(const RECT& rect, HBITMAP state0, HBITMAP state1, HBITMAP state2);
    // Takes the bitmap; the single-image variant uses state 0 only.
    void SetImage(int state, Bitmap image);
    // A picture file (BMP or JPEG) as the image of `state`; false when it
    // cannot be read, and the state keeps no image.
    bool LoadImageFile(int state, const std::string& path);
    // States outside 0..2 (or any but 0 for one image) are ignored.
    void SetState(int state);

    int state() const { return state_; }
    Kind kind() const { return kind_; }
    HBITMAP image(int state) const;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    LRESULT OnPaint(WPARAM wParam, LPARAM lParam);
    LRESULT OnEraseBackground(WPARAM wParam, LPARAM lParam);
    bool ValidState(int state) const {
        return state >= 0 && state < (kind_ == Kind::kSingleImage ? 1 : kStateCount);
    }

    Kind kind_;
    Bitmap images_[kStateCount];
    int state_ = 0;
};

}  // namespace kestra
