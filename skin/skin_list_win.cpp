#include "skin/skin_list_win.h"

#include <windowsx.h>

#include <vector>

#include "settings/ipc_names.h"
#include "skin/skin_list.h"

namespace kestra {
namespace {

// The in-place edit's focus went elsewhere; wParam is the edit's generation,
// so that a late message never ends a newer edit.
constexpr UINT UM_LIST_EDIT_FOCUS_LOST = WM_APP + 0x5F4;
constexpr char kEditProcProperty[] = "KestraListEditProc";

// The subclassed edit procedure finds its list through this one reference.
SkinListBox* g_editing = nullptr;

}  // namespace

SkinListBox::~SkinListBox() {
    DestroyOwnWindow();
    if (g_editing == this) g_editing = nullptr;
}

SkinListBox* SkinListBox::OpenEditor() {
    return g_editing;
}

bool SkinListBox::Create(HWND parent, const RECT& rect, int id, DWORD extraStyle) {
    const char* listClass = SystemControlClass("LISTBOX");
    if (listClass == nullptr) return false;
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | LBS_OWNERDRAWFIXED |
                        LBS_HASSTRINGS | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | extraStyle;
    id_ = id;
    notify_ = parent;
    // Colours as the system has them until the owner chooses its own.
    textColour_ = GetSysColor(COLOR_WINDOWTEXT);
    selectedTextColour_ = GetSysColor(COLOR_HIGHLIGHTTEXT);
    selectionColour_ = GetSysColor(COLOR_HIGHLIGHT);
    backgroundColour_ = GetSysColor(COLOR_WINDOW);
    if (!hoverChosen_) hoverColour_ = BlendColour(backgroundColour_, selectionColour_, 64);
    background_ = Brush(CreateSolidBrush(backgroundColour_));
    if (!CreateFrameworkWindow(0, listClass, style, rect.left, rect.top, rect.right - rect.left,
                               rect.bottom - rect.top, parent)) {
        return false;
    }
    SendMessageA(hwnd(), LB_SETITEMHEIGHT, 0, kItemHeight);
    font_ = Font(CreateFontA(15, 0, 0, 0, 300, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS, "Arial"));
    SendMessageA(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    return true;
}

int SkinListBox::AddItem(const std::string& text, uint32_t data) {
    const LRESULT index =
        SendMessageA(hwnd(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    if (index < 0) return -1;
    SendMessageA(hwnd(), LB_SETITEMDATA, index, data);
    return static_cast<int>(index);
}

int SkinListBox::InsertItem(int index, const std::string& text, uint32_t data) {
    const LRESULT at =
        SendMessageA(hwnd(), LB_INSERTSTRING, index, reinterpret_cast<LPARAM>(text.c_str()));
    if (at < 0) return -1;
    SendMessageA(hwnd(), LB_SETITEMDATA, at, data);
    return static_cast<int>(at);
}

int SkinListBox::count() const {
    const LRESULT n = SendMessageA(hwnd(), LB_GETCOUNT, 0, 0);
    return n < 0 ? 0 : static_cast<int>(n);
}

std::string SkinListBox::ItemText(int index) const {
    const LRESULT length = SendMessageA(hwnd(), LB_GETTEXTLEN, index, 0);
    if (length <= 0) return std::string();
    std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
    const LRESULT got =
        SendMessageA(hwnd(), LB_GETTEXT, index, reinterpret_cast<LPARAM>(buffer.data()));
    if (got <= 0) return std::string();
    return std::string(buffer.data(), static_cast<size_t>(got < length ? got : length));
}

uint32_t SkinListBox::ItemData(int index) const {
    const LRESULT data = SendMessageA(hwnd(), LB_GETITEMDATA, index, 0);
    return data == LB_ERR ? 0 : static_cast<uint32_t>(data);
}

void SkinListBox::SetColours(COLORREF text, COLORREF selectedText) {
    textColour_ = text;
    selectedTextColour_ = selectedText;
    InvalidateRect(hwnd(), nullptr, TRUE);
}

void SkinListBox::SetBackground(COLORREF background, COLORREF selection) {
    Brush brush(CreateSolidBrush(background));
    if (brush) background_ = std::move(brush);
    backgroundColour_ = background;
    selectionColour_ = selection;
    if (!hoverChosen_) hoverColour_ = BlendColour(background, selection, 64);
    InvalidateRect(hwnd(), nullptr, TRUE);
}

void SkinListBox::SetHoverColour(COLORREF colour) {
    hoverColour_ = colour;
    hoverChosen_ = true;
    InvalidateRect(hwnd(), nullptr, TRUE);
}

void SkinListBox::UseSkinColours() {
    // The panel, text, accent and hover colours of the skin generator.
    SetBackground(RGB(40, 40, 44), RGB(230, 30, 30));
    SetColours(RGB(235, 235, 235), RGB(255, 255, 255));
    SetHoverColour(RGB(62, 62, 68));
}

LRESULT SkinListBox::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    static const MessageEntry<SkinListBox> kTable[] = {
        {UM_REFLECT_DRAWITEM, &SkinListBox::OnDrawItem},
        {WM_MOUSEMOVE, &SkinListBox::OnMouseMove},
        {WM_MOUSELEAVE, &SkinListBox::OnMouseLeave},
        {WM_MOUSEWHEEL, &SkinListBox::OnMouseWheel},
        {WM_RBUTTONDOWN, &SkinListBox::OnRightButtonDown},
        {WM_KILLFOCUS, &SkinListBox::OnKillFocus},
        {WM_ERASEBKGND, &SkinListBox::OnEraseBackground},
        {UM_LIST_EDIT_FOCUS_LOST, &SkinListBox::OnEditFocusLost},
        {WM_DESTROY, &SkinListBox::OnDestroy},
    };
    if (message == WM_KEYDOWN || message == WM_KEYUP || message == WM_CHAR) {
        return OnKey(message, wParam, lParam);
    }
    LRESULT result = 0;
    if (RouteMessage(this, kTable, message, wParam, lParam, &result)) return result;
    return Window::OnMessage(message, wParam, lParam);
}

bool SkinListBox::OnReflected(UINT message, WPARAM wParam, LPARAM, LRESULT* result) {
    if (message != UM_REFLECT_CTLCOLORLISTBOX) return false;
    // The space below the last item in the list's own background.
    SetBkColor(reinterpret_cast<HDC>(wParam), backgroundColour_);
    *result = reinterpret_cast<LRESULT>(background_.get());
    return true;
}

HBITMAP SkinListBox::IconBitmap(uint32_t number) {
    auto found = icons_.find(number);
    if (found != icons_.end()) return found->second.get();
    // Looked up once; a missing resource stays missing.
    Bitmap bitmap(
        static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(number),
                                        IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    HBITMAP handle = bitmap.get();
    icons_[number] = std::move(bitmap);
    return handle;
}

LRESULT SkinListBox::OnDrawItem(WPARAM, LPARAM lParam) {
    const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (draw == nullptr || draw->hDC == nullptr) return FALSE;
    if (draw->itemID == static_cast<UINT>(-1)) return TRUE;
    const int index = static_cast<int>(draw->itemID);
    HDC dc = draw->hDC;
    const RECT& item = draw->rcItem;
    const std::string text = ItemText(index);
    const ListItemLayout layout =
        LayoutListItem(item.left, item.top, static_cast<uint32_t>(draw->itemData), kIconWidth);
    const ListItemLook look = ChooseListItemLook((draw->itemState & ODS_SELECTED) != 0,
                                                 index == hotItem_ && edit_ == nullptr,
                                                 (draw->itemState & ODS_DISABLED) != 0);

    ScopedSelectObject selectFont(dc, font_.get());
    SIZE extent = {0, 0};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    if (look.fill == ListItemFill::kHover) {
        Brush hover(CreateSolidBrush(hoverColour_));
        FillRect(dc, &item, hover.get());
    } else {
        FillRect(dc, &item, background_.get());
    }
    if (look.selectionBehindText) {
        // Two pixels of air on each side of the text.
        const RECT textRect = {layout.textX - 2, item.top, layout.textX + extent.cx + 2,
                               item.bottom};
        Brush selection(CreateSolidBrush(selectionColour_));
        FillRect(dc, &textRect, selection.get());
    }
    if (layout.iconNumber != 0) {
        HBITMAP icon = IconBitmap(layout.iconNumber);
        BITMAP info = {};
        if (icon != nullptr && GetObjectA(icon, sizeof info, &info) == sizeof info) {
            MemoryDC memory(CreateCompatibleDC(dc));
            if (memory) {
                ScopedSelectObject selectIcon(memory.get(), icon);
                // gdi32's own entry, which msimg32's forwards to: one library
                // fewer to load with the program.
                GdiTransparentBlt(dc, layout.iconX, layout.iconY, info.bmWidth, info.bmHeight,
                                  memory.get(), 0, 0, info.bmWidth, info.bmHeight, RGB(0, 0, 0));
            }
        }
    }
    SetBkMode(dc, TRANSPARENT);
    switch (look.text) {
        case ListTextColour::kText:
            SetTextColor(dc, textColour_);
            break;
        case ListTextColour::kSelectedText:
            SetTextColor(dc, selectedTextColour_);
            break;
        case ListTextColour::kDisabled:
            SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
            break;
    }
    TextOutA(dc, layout.textX, item.top, text.c_str(), static_cast<int>(text.size()));
    return TRUE;
}

void SkinListBox::InvalidateItem(int index) {
    if (index < 0) return;
    RECT r;
    if (SendMessageA(hwnd(), LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r)) != LB_ERR) {
        InvalidateRect(hwnd(), &r, FALSE);
    }
}

void SkinListBox::UpdateHotItem(LPARAM clientPoint) {
    if (edit_ != nullptr) return;
    const LRESULT hit = SendMessageA(hwnd(), LB_ITEMFROMPOINT, 0, clientPoint);
    const int hot = HIWORD(hit) != 0 ? -1 : static_cast<int>(LOWORD(hit));
    if (hot == hotItem_) return;
    InvalidateItem(hotItem_);
    hotItem_ = hot;
    InvalidateItem(hotItem_);
}

LRESULT SkinListBox::OnMouseMove(WPARAM wParam, LPARAM lParam) {
    if (notify_ == nullptr) notify_ = GetParent(hwnd());
    UpdateHotItem(lParam);
    if (!trackingLeave_) {
        TRACKMOUSEEVENT track = {};
        track.cbSize = sizeof track;
        track.dwFlags = TME_LEAVE;
        track.hwndTrack = hwnd();
        trackingLeave_ = TrackMouseEvent(&track) != FALSE;
    }
    return DefaultProc(WM_MOUSEMOVE, wParam, lParam);
}

LRESULT SkinListBox::OnMouseLeave(WPARAM wParam, LPARAM lParam) {
    trackingLeave_ = false;
    // The highlight goes with the mouse.
    InvalidateItem(hotItem_);
    hotItem_ = -1;
    return DefaultProc(WM_MOUSELEAVE, wParam, lParam);
}

LRESULT SkinListBox::OnMouseWheel(WPARAM wParam, LPARAM) {
    const int delta = GET_WHEEL_DELTA_WPARAM(wParam);
    SendMessageA(hwnd(), WM_VSCROLL, ListWheelScrollCode(delta), 0);
    // Another item now lies under the pointer.
    if (hotItem_ >= 0) {
        POINT p;
        GetCursorPos(&p);
        ScreenToClient(hwnd(), &p);
        UpdateHotItem(MAKELPARAM(p.x, p.y));
    }
    return 0;
}

LRESULT SkinListBox::OnRightButtonDown(WPARAM wParam, LPARAM lParam) {
    if (notify_ != nullptr) PostMessageA(notify_, UM_LIST_RBUTTON, 0, id_);
    return DefaultProc(WM_RBUTTONDOWN, wParam, lParam);
}

LRESULT SkinListBox::OnKey(UINT message, WPARAM wParam, LPARAM lParam) {
    const ListKeyMessage kind = message == WM_KEYDOWN ? ListKeyMessage::kDown
                                : message == WM_KEYUP ? ListKeyMessage::kUp
                                                      : ListKeyMessage::kChar;
    if (ListKeyFilterSwallows(keyFilter_, kind, static_cast<uint32_t>(wParam))) return 0;
    return DefaultProc(message, wParam, lParam);
}

LRESULT SkinListBox::OnKillFocus(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = DefaultProc(WM_KILLFOCUS, wParam, lParam);
    HWND holder = GetParent(hwnd());
    const bool toOwnEdit = edit_ != nullptr && reinterpret_cast<HWND>(wParam) == edit_;
    const bool holderIsChild =
        holder == nullptr || (GetWindowLongPtrA(holder, GWL_STYLE) & WS_CHILD) != 0;
    if (FocusLossClosesHolder(keepOnFocusLoss_, toOwnEdit, holderIsChild)) {
        ShowWindow(holder, SW_HIDE);
        PostMessageA(holder, WM_CLOSE, 0, 0);
    }
    return result;
}

LRESULT SkinListBox::OnEraseBackground(WPARAM wParam, LPARAM) {
    RECT client;
    GetClientRect(hwnd(), &client);
    FillRect(reinterpret_cast<HDC>(wParam), &client, background_.get());
    return TRUE;
}

LRESULT SkinListBox::OnDestroy(WPARAM wParam, LPARAM lParam) {
    // The edit goes with its parent; no notification for an unfinished edit.
    if (g_editing == this) g_editing = nullptr;
    edit_ = nullptr;
    editIndex_ = -1;
    return DefaultProc(WM_DESTROY, wParam, lParam);
}

bool SkinListBox::AddAndEdit() {
    if (g_editing != nullptr || hwnd() == nullptr) return false;
    const int index = AddItem("", 0);
    if (index < 0) return false;
    return StartEdit(index, true);
}

bool SkinListBox::RenameSelected() {
    if (g_editing != nullptr || hwnd() == nullptr) return false;
    const LRESULT selected = SendMessageA(hwnd(), LB_GETCURSEL, 0, 0);
    if (selected < 0) return false;
    return StartEdit(static_cast<int>(selected), false);
}

bool SkinListBox::EditItem(int index, size_t limit, bool digitsOnly) {
    if (g_editing != nullptr || hwnd() == nullptr || index < 0 || index >= count()) return false;
    return StartEdit(index, false, limit, digitsOnly);
}

bool SkinListBox::StartEdit(int index, bool added, size_t limit, bool digitsOnly) {
    // The item must be in view for the edit to lie over it.
    RECT client;
    GetClientRect(hwnd(), &client);
    const int visible = client.bottom / kItemHeight > 0 ? client.bottom / kItemHeight : 1;
    const int top = static_cast<int>(SendMessageA(hwnd(), LB_GETTOPINDEX, 0, 0));
    if (index < top || index >= top + visible) {
        SendMessageA(hwnd(), LB_SETTOPINDEX, index - visible + 1 > 0 ? index - visible + 1 : 0, 0);
    }
    RECT r;
    if (SendMessageA(hwnd(), LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r)) == LB_ERR) {
        if (added) SendMessageA(hwnd(), LB_DELETESTRING, index, 0);
        return false;
    }
    // No hover highlight while the edit is open.
    InvalidateItem(hotItem_);
    hotItem_ = -1;
    InvalidateItem(index);
    UpdateWindow(hwnd());
    const std::string text = ItemText(index);
    HWND edit = CreateWindowExA(0, "EDIT", text.c_str(),
                                WS_CHILD | WS_VISIBLE | WS_BORDER | ES_WANTRETURN | ES_AUTOHSCROLL |
                                    (digitsOnly ? ES_NUMBER : 0),
                                r.left + 1, r.top, r.right - r.left - 3, r.bottom - r.top, hwnd(),
                                nullptr, GetModuleHandleA(nullptr), nullptr);
    if (edit == nullptr) {
        if (added) SendMessageA(hwnd(), LB_DELETESTRING, index, 0);
        return false;
    }
    SendMessageA(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    SendMessageA(edit, EM_LIMITTEXT, limit, 0);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    const LONG_PTR old =
        SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SkinListBox::EditProc));
    SetPropA(edit, kEditProcProperty, reinterpret_cast<HANDLE>(old));
    g_editing = this;
    edit_ = edit;
    editIndex_ = index;
    editAdded_ = added;
    keyPressedInEdit_ = 0;
    ++editGeneration_;
    SetFocus(edit);
    return true;
}

void SkinListBox::CloseEditor() {
    HWND edit = edit_;
    edit_ = nullptr;
    editIndex_ = -1;
    editAdded_ = false;
    ++editGeneration_;
    if (g_editing == this) g_editing = nullptr;
    if (edit == nullptr) return;
    if (GetFocus() == edit) SetFocus(hwnd());
    DestroyWindow(edit);
}

void SkinListBox::CommitEdit() {
    EndEdit(true);
}

void SkinListBox::EndEdit(bool byEnter) {
    if (edit_ == nullptr || editIndex_ < 0) return;
    char buffer[kInPlaceReadLimit + 1] = {};
    const int length = GetWindowTextA(edit_, buffer, sizeof buffer);
    const std::string text =
        CommitInPlaceText(buffer, length > 0 ? static_cast<size_t>(length) : 0);
    const int index = editIndex_;
    const uint32_t data = ItemData(index);
    const bool wasSelected = SendMessageA(hwnd(), LB_GETCURSEL, 0, 0) == index;
    CloseEditor();
    SendMessageA(hwnd(), LB_DELETESTRING, index, 0);
    int inserted = -1;
    if (!text.empty()) {
        inserted = InsertItem(index, text, data);
        if (inserted >= 0 && (byEnter || wasSelected)) {
            SendMessageA(hwnd(), LB_SETCURSEL, inserted, 0);
        }
    }
    InvalidateRect(hwnd(), nullptr, TRUE);
    if (inserted >= 0 && notify_ != nullptr) {
        PostMessageA(notify_, UM_LIST_EDIT_DONE, inserted, id_);
    }
}

void SkinListBox::AbandonEdit() {
    if (edit_ == nullptr || editIndex_ < 0) return;
    const int index = editIndex_;
    const bool removeItem = AbandonRemovesItem(editAdded_);
    CloseEditor();
    if (removeItem) SendMessageA(hwnd(), LB_DELETESTRING, index, 0);
    InvalidateRect(hwnd(), nullptr, TRUE);
}

LRESULT SkinListBox::OnEditFocusLost(WPARAM wParam, LPARAM) {
    if (edit_ != nullptr && wParam == editGeneration_) EndEdit(false);
    return 0;
}

LRESULT CALLBACK SkinListBox::EditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const WNDPROC base = reinterpret_cast<WNDPROC>(GetPropA(hwnd, kEditProcProperty));
    if (base == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);
    SkinListBox* list = g_editing != nullptr && g_editing->edit_ == hwnd ? g_editing : nullptr;
    switch (message) {
        case WM_GETDLGCODE:
            return CallWindowProcA(base, hwnd, message, wParam, lParam) | DLGC_WANTALLKEYS;
        case WM_CHAR:
            if (list != nullptr && InPlaceEditSwallowsChar(static_cast<uint32_t>(wParam))) return 0;
            break;
        case WM_KEYDOWN:
            if (list != nullptr) list->keyPressedInEdit_ = wParam;
            break;
        case WM_KEYUP:
            if (list != nullptr && list->keyPressedInEdit_ == wParam) {
                switch (InPlaceKeyReleased(static_cast<uint32_t>(wParam))) {
                    case InPlaceKeyAction::kCommit:
                        list->EndEdit(true);  // destroys this window
                        return 0;
                    case InPlaceKeyAction::kAbandon:
                        list->AbandonEdit();
                        return 0;
                    case InPlaceKeyAction::kNone:
                        break;
                }
            }
            break;
        case WM_KILLFOCUS:
            if (list != nullptr) {
                PostMessageA(list->hwnd(), UM_LIST_EDIT_FOCUS_LOST, list->editGeneration_, 0);
            }
            break;
        case WM_NCDESTROY:
            SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(base));
            RemovePropA(hwnd, kEditProcProperty);
            return CallWindowProcA(base, hwnd, message, wParam, lParam);
        default:
            break;
    }
    return CallWindowProcA(base, hwnd, message, wParam, lParam);
}

}  // namespace kestra
