// The skinned list box: an owner-drawn system list with the skin's colours,
// icons chosen by item data, a hover highlight, the wheel, an optional key
// filter, the drop-down focus rule and renaming in place.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>

#include "skin/gdi_win.h"
#include "skin/skin_list.h"
#include "skin/window_win.h"

namespace kestra {

class SkinListBox : public Window {
public:
    static constexpr int kItemHeight = 18;
    static constexpr int kIconWidth = 16;
    static constexpr int kIconHeight = 16;

    SkinListBox() = default;
    ~SkinListBox() override;

    // A visible child of `parent`; `id` is the lParam of its notifications.
    // `extraStyle` adds list styles (WS_VSCROLL, LBS_SORT, ...).
    bool Create(HWND parent, const RECT& rect, int id, DWORD extraStyle = 0);

    // The new item's index, or -1. Data is set only when the item was added.
    int AddItem(const std::string& text, uint32_t data);
    int InsertItem(int index, const std::string& text, uint32_t data);
    int count() const;
    std::string ItemText(int index) const;
    uint32_t ItemData(int index) const;

    void SetColours(COLORREF text, COLORREF selectedText);
    // Also sets the hover colour a quarter of the way to the selection colour
    // unless SetHoverColour chose one.
    void SetBackground(COLORREF background, COLORREF selection);
    void SetHoverColour(COLORREF colour);
    // The skins' own look: light text on the dark panel, the red accent for
    // the selection, the buttons' hover face for the item under the mouse.
    void UseSkinColours();
    void SetKeyFilter(bool on) { keyFilter_ = on; }
    // Off (the default) makes the list a drop-down: losing the focus hides
    // the popup that holds it and asks it to close.
    void SetKeepOnFocusLoss(bool on) { keepOnFocusLoss_ = on; }

    // In-place editing; one edit in the whole process at a time. AddAndEdit
    // appends an empty item and edits it, RenameSelected edits the selected
    // one. False when nothing was started.
    bool AddAndEdit();
    bool RenameSelected();
    // Edits item `index` in place with at most `limit` characters, digits
    // only when asked (a number typed over a line).
    bool EditItem(int index, size_t limit, bool digitsOnly);
    // What Enter and Escape do to the open edit.
    void CommitEdit();
    void AbandonEdit();
    // The list whose in-place edit is open, or null.
    static SkinListBox* OpenEditor();

    int id() const { return id_; }
    int hotItem() const { return hotItem_; }
    int editIndex() const { return editIndex_; }
    HWND editWindow() const { return edit_; }
    HWND notifyWindow() const { return notify_; }

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnReflected(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    LRESULT OnDrawItem(WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseMove(WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseLeave(WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseWheel(WPARAM wParam, LPARAM lParam);
    LRESULT OnRightButtonDown(WPARAM wParam, LPARAM lParam);
    LRESULT OnKillFocus(WPARAM wParam, LPARAM lParam);
    LRESULT OnEraseBackground(WPARAM wParam, LPARAM lParam);
    LRESULT OnEditFocusLost(WPARAM wParam, LPARAM lParam);
    LRESULT OnDestroy(WPARAM wParam, LPARAM lParam);
    LRESULT OnKey(UINT message, WPARAM wParam, LPARAM lParam);

    bool StartEdit(int index, bool added, size_t limit = kInPlaceEditLimit,
                   bool digitsOnly = false);
    void EndEdit(bool byEnter);
    // Closes the edit window without touching the items.
    void CloseEditor();
    void InvalidateItem(int index);
    void UpdateHotItem(LPARAM clientPoint);
    HBITMAP IconBitmap(uint32_t number);
    static LRESULT CALLBACK EditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND notify_ = nullptr;
    int id_ = 0;
    Font font_;
    int hotItem_ = -1;
    int editIndex_ = -1;
    HWND edit_ = nullptr;
    bool editAdded_ = false;
    WPARAM editGeneration_ = 0;
    // The key last pressed while the edit had the focus: a release acts
    // only for its own press, not for the Enter that chose "Edit" in a menu.
    WPARAM keyPressedInEdit_ = 0;
    bool trackingLeave_ = false;
    COLORREF textColour_ = 0;
    COLORREF selectedTextColour_ = 0;
    COLORREF selectionColour_ = 0;
    COLORREF backgroundColour_ = 0;
    COLORREF hoverColour_ = 0;
    bool hoverChosen_ = false;
    Brush background_;
    bool keyFilter_ = false;
    bool keepOnFocusLoss_ = false;
    std::map<uint32_t, Bitmap> icons_;
};

}  // namespace kestra
