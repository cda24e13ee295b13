#include "option/profile_dialog_win.h"

#include "option/light_page.h"

namespace kestra {
namespace {

constexpr int kNameEntry = 1;
constexpr int kGameEntry = 2;
constexpr int kBrowseEntry = 3;
constexpr int kOkEntry = 4;
constexpr int kCancelEntry = 5;
constexpr int kCloseEntry = 6;
constexpr int kNameEditId = 300;
constexpr int kGameEditId = 301;

// An edit inside the entry's box, its text clear of the edges: black on the
// light grey of the dialogs' text fields.
bool PlaceEdit(BitmapEdit& edit, HWND dialog, const SkinRect& r, int id) {
    if (r.right <= r.left ||
        !edit.Create(dialog, RECT{r.left + 4, r.top + 4, r.right - 4, r.bottom - 2},
                     WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, id)) {
        return false;
    }
    edit.SetColours(0x000000, 0xE5E5E5);
    edit.ApplyFont();
    return true;
}

}  // namespace

CProfileDialog::CProfileDialog(HWND owner, ProfileSettings& profile, Mode mode, Browser browse)
    : SkinWindow("skin_profile.ini"),
      owner_(owner),
      profile_(profile),
      mode_(mode),
      browse_(browse ? std::move(browse) : Browser(&BrowseForProgram)) {}

void CProfileDialog::PlaceControls(const SkinFile& file, const SkinStateImages& images) {
    PlaceButton(browseButton_, file.ReadEntry(kBrowseEntry), images);
    PlaceButton(ok_, file.ReadEntry(kOkEntry), images);
    PlaceButton(cancel_, file.ReadEntry(kCancelEntry), images);
    PlaceButton(close_, file.ReadEntry(kCloseEntry), images);
    const ProfileTexts texts = ProfileDialogTexts(profile_, mode_ == kEmpty);
    if (PlaceEdit(name_, hwnd(), file.ReadEntry(kNameEntry).rect, kNameEditId)) {
        SendMessageA(name_.hwnd(), EM_LIMITTEXT, kProfileNameTypedLimit, 0);
        name_.SetText(texts.name);
    }
    if (PlaceEdit(game_, hwnd(), file.ReadEntry(kGameEntry).rect, kGameEditId)) {
        SendMessageA(game_.hwnd(), EM_LIMITTEXT, kGameFileSize - 1, 0);
        game_.SetText(texts.gameFile);
    }
}

LRESULT CProfileDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        EndModal(IDCANCEL);
        return 0;
    }
    return SkinWindow::OnMessage(message, wParam, lParam);
}

LRESULT CProfileDialog::OnCommand(WPARAM wParam, LPARAM lParam) {
    const HWND from = reinterpret_cast<HWND>(lParam);
    if (from != nullptr && HIWORD(wParam) == BN_CLICKED) {
        if (from == browseButton_.hwnd()) {
            std::string chosen = game_.Text();
            if (browse_(hwnd(), chosen)) game_.SetText(chosen);
            return 0;
        }
        if (from == ok_.hwnd()) {
            // A skin without one of the edits keeps that text as it opened.
            const ProfileTexts opened = ProfileDialogTexts(profile_, mode_ == kEmpty);
            StoreProfileTexts(profile_, name_.hwnd() ? name_.Text() : opened.name,
                              game_.hwnd() ? game_.Text() : opened.gameFile);
            EndModal(IDOK);
            return 0;
        }
        if (from == cancel_.hwnd() || from == close_.hwnd()) {
            EndModal(IDCANCEL);
            return 0;
        }
    }
    return SkinWindow::OnCommand(wParam, lParam);
}

void CProfileDialog::OnModalShown() {
    if (name_.hwnd() != nullptr) SetFocus(name_.hwnd());
}

}  // namespace kestra
