#include "option/button_menu_win.h"

#include <memory>

#include "option/launch_program_dialog_win.h"
#include "option/player_dialog_win.h"
#include "option/select_macro_dialog_win.h"
#include "option/shortcut_dialog_win.h"
#include "skin/skin_menu_win.h"
#include "skin/skin_window_win.h"

namespace kestra {
namespace {

// The owner-drawn menus of a menu description; submenus live in `owned`
// until the popup has closed.
void FillMenu(SkinMenu& menu, const std::vector<FunctionMenuItem>& items, const LanguageText* texts,
              HFONT font, std::vector<std::unique_ptr<SkinMenu>>& owned) {
    for (const FunctionMenuItem& item : items) {
        if (item.kind == MenuItemKind::kSeparator) {
            menu.AppendItem(kMenuSeparatorId, "");
        } else if (item.kind == MenuItemKind::kCommand) {
            menu.AppendItem(item.command, MenuItemText(item, texts), nullptr,
                            item.checked ? 1 : -1);
        } else {
            auto sub = std::make_unique<SkinMenu>(font);
            if (!sub->Attach()) continue;
            FillMenu(*sub, item.items, texts, font, owned);
            // Any id but 0 and 1, which the menu model keeps for separators
            // and hidden items.
            menu.AppendItem(2, MenuItemText(item, texts), sub->handle());
            owned.push_back(std::move(sub));
        }
    }
}

}  // namespace

int32_t TrackBoxMenu(HWND owner, HWND box, const std::vector<FunctionMenuItem>& items,
                     const LanguageText* texts, bool asWideAsBox) {
    if (box == nullptr) return 0;
    // One guard for every box of the program: the click on a box that closed
    // its menu must not open it (or another box's) again.
    static MenuReopenGuard guard;
    if (guard.IgnoresClickAt(GetTickCount())) return 0;
    RECT r;
    GetWindowRect(box, &r);
    const int32_t command = TrackMenuAt(owner, POINT{r.left, r.bottom}, items, texts,
                                        asWideAsBox ? r.right - r.left : 0);
    // Only a menu dismissed without a choice was closed by a click that may
    // go on to a box; a chosen entry took its click.
    if (command == 0) guard.MenuClosed(GetTickCount());
    return command;
}

int32_t TrackMenuAt(HWND owner, POINT at, const std::vector<FunctionMenuItem>& items,
                    const LanguageText* texts, int minimumWidth) {
    if (items.empty()) return 0;
    Font font = CreateSkinFont(SkinFontKind::kCaption);
    std::vector<std::unique_ptr<SkinMenu>> submenus;
    SkinMenu menu(font.get());
    if (!menu.Attach()) return 0;
    if (minimumWidth > 0) menu.SetWidth(minimumWidth);
    FillMenu(menu, items, texts, font.get(), submenus);
    const int32_t command = menu.Track(
        TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, at.x, at.y, owner);
    PostMessageA(owner, WM_NULL, 0, 0);
    return command;
}

bool EditorDialogs::ChoosePlayer(int32_t& player) {
    CPlayerDialog dialog(owner_, player);
    if (dialog.RunModal() != IDOK) return false;
    player = dialog.player();
    return true;
}

bool EditorDialogs::ChooseProgram(std::string& path) {
    CLaunchProgramDialog dialog(owner_, path);
    if (dialog.RunModal() != IDOK) return false;
    path = dialog.path();
    return true;
}

bool EditorDialogs::ChooseMacro(int32_t& playOption, int& macroIndex) {
    CSelectMacroDialog dialog(owner_, macros_, playOption, macroIndex, texts_);
    if (dialog.RunModal() != IDOK) return false;
    playOption = dialog.playOption();
    macroIndex = dialog.macroIndex();
    return true;
}

bool EditorDialogs::ChooseShortcut(uint8_t& key, uint8_t flags[5]) {
    CShortcutDialog dialog(owner_, key, flags);
    if (dialog.RunModal() != IDOK) return false;
    key = dialog.key();
    for (int j = 0; j < 5; ++j) flags[j] = dialog.flags()[j];
    return true;
}

}  // namespace kestra
