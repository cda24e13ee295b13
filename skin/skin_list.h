// The decisions of the skinned list box: what an in-place edit's text turns
// into when it is committed, which keys reach the list, how an item is laid
// out and coloured, and when losing the focus closes a drop-down.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kestra {

// Names typed in place are at most this long.
constexpr size_t kInPlaceEditLimit = 15;
// What is read back from the edit window; the edit holds no more than the
// limit, but a text set from outside may be longer.
constexpr size_t kInPlaceReadLimit = 4095;

// The text an item gets when its in-place edit is committed: control
// characters become blanks, blanks at both ends go, and the rest is cut to
// the limit. An empty result removes the item.
std::string CommitInPlaceText(const char* text, size_t length);

// What a key released in the in-place edit does.
enum class InPlaceKeyAction { kNone, kCommit, kAbandon };
InPlaceKeyAction InPlaceKeyReleased(uint32_t virtualKey);
// The character messages of Enter and Escape (which only beep in a
// single-line edit) are not passed on.
bool InPlaceEditSwallowsChar(uint32_t character);

// Escape abandons the edit: an item added for it goes, a renamed one keeps
// its text.
inline bool AbandonRemovesItem(bool addedForEdit) {
    return addedForEdit;
}

// The list's key filter: while on, only the up and down arrows reach the
// list; their characters (type-ahead search) are swallowed too.
enum class ListKeyMessage { kDown, kUp, kChar };
bool ListKeyFilterSwallows(bool filterOn, ListKeyMessage kind, uint32_t virtualKey);

// The list's own scroll command for a wheel delta: SB_LINEDOWN (1) for a
// delta of zero or less, SB_LINEUP (0) for a positive one.
inline int ListWheelScrollCode(int delta) {
    return delta <= 0 ? 1 : 0;
}

// Where an item's icon and text go. The low 16 bits of the item data are a
// bitmap resource number: 0 no icon, 1 the icon's space without a picture.
// The icon sits 5 pixels in, the text 3 pixels after the icon's space.
struct ListItemLayout {
    uint32_t iconNumber;  // the bitmap to draw, 0 for none
    int iconX;
    int iconY;
    int textX;
};
ListItemLayout LayoutListItem(int left, int top, uint32_t itemData, int iconWidth);

// How an item is painted from its owner-draw state.
enum class ListTextColour { kText, kSelectedText, kDisabled };
enum class ListItemFill { kBackground, kHover };
struct ListItemLook {
    ListItemFill fill;         // the whole item
    bool selectionBehindText;  // the text's rectangle in the selection colour
    ListTextColour text;
};
ListItemLook ChooseListItemLook(bool selected, bool hot, bool disabled);

// Whether losing the focus closes the popup that holds a drop-down list.
// The list's own in-place edit taking the focus does not count, and a holder
// that is itself a child window (a page) is never hidden.
bool FocusLossClosesHolder(bool keepOnFocusLoss, bool focusToOwnEdit, bool holderIsChild);

// A colour between two (0x00BBGGRR), `weight` of 256 towards `to`.
uint32_t BlendColour(uint32_t from, uint32_t to, int weight);

}  // namespace kestra
