#include "skin/skin_list.h"

namespace kestra {
namespace {

constexpr uint32_t kReturn = 0x0D;
constexpr uint32_t kEscape = 0x1B;
constexpr uint32_t kUpArrow = 0x26;
constexpr uint32_t kDownArrow = 0x28;

bool IsBlank(unsigned char c) {
    return c == ' ' || c < 0x20 || c == 0x7F;
}

}  // namespace

std::string CommitInPlaceText(const char* text, size_t length) {
    if (text == nullptr) return std::string();
    if (length > kInPlaceReadLimit) length = kInPlaceReadLimit;
    size_t begin = 0;
    size_t end = length;
    // A NUL ends the text, whatever length the caller gave.
    for (size_t i = 0; i < length; ++i) {
        if (text[i] == '\0') {
            end = i;
            break;
        }
    }
    while (begin < end && IsBlank(static_cast<unsigned char>(text[begin]))) ++begin;
    while (end > begin && IsBlank(static_cast<unsigned char>(text[end - 1]))) --end;
    std::string result;
    for (size_t i = begin; i < end && result.size() < kInPlaceEditLimit; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        result += IsBlank(c) ? ' ' : static_cast<char>(c);
    }
    // Cutting may leave a blank at the end.
    while (!result.empty() && result.back() == ' ') result.pop_back();
    return result;
}

InPlaceKeyAction InPlaceKeyReleased(uint32_t virtualKey) {
    if (virtualKey == kReturn) return InPlaceKeyAction::kCommit;
    if (virtualKey == kEscape) return InPlaceKeyAction::kAbandon;
    return InPlaceKeyAction::kNone;
}

bool InPlaceEditSwallowsChar(uint32_t character) {
    return character == '\r' || character == '\n' || character == kEscape;
}

bool ListKeyFilterSwallows(bool filterOn, ListKeyMessage kind, uint32_t virtualKey) {
    if (!filterOn) return false;
    if (kind == ListKeyMessage::kChar) return true;
    return virtualKey != kUpArrow && virtualKey != kDownArrow;
}

ListItemLayout LayoutListItem(int left, int top, uint32_t itemData, int iconWidth) {
    const uint32_t number = itemData & 0xFFFF;
    ListItemLayout layout;
    layout.iconNumber = number > 1 ? number : 0;
    layout.iconX = left + 5;
    layout.iconY = top + 2;
    // Three pixels between the icon and the text, so that they do not touch.
    layout.textX = left + 5 + (number != 0 ? iconWidth + 3 : 0);
    return layout;
}

ListItemLook ChooseListItemLook(bool selected, bool hot, bool disabled) {
    ListItemLook look;
    look.fill = hot && !disabled ? ListItemFill::kHover : ListItemFill::kBackground;
    look.selectionBehindText = selected;
    if (disabled) {
        look.text = ListTextColour::kDisabled;
    } else {
        look.text = selected ? ListTextColour::kSelectedText : ListTextColour::kText;
    }
    return look;
}

bool FocusLossClosesHolder(bool keepOnFocusLoss, bool focusToOwnEdit, bool holderIsChild) {
    return !keepOnFocusLoss && !focusToOwnEdit && !holderIsChild;
}

uint32_t BlendColour(uint32_t from, uint32_t to, int weight) {
    if (weight < 0) weight = 0;
    if (weight > 256) weight = 256;
    uint32_t result = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int a = static_cast<int>((from >> shift) & 0xFF);
        const int b = static_cast<int>((to >> shift) & 0xFF);
        result |= static_cast<uint32_t>(a + (b - a) * weight / 256) << shift;
    }
    return result;
}

}  // namespace kestra
