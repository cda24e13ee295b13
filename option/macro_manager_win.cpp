#include "option/macro_manager_win.h"

#include <cstdio>
#include <cstring>

#include "option/button_menu_win.h"
#include "option/option_shell_win.h"
#include "settings/ipc_names.h"
#include "skin/skin_image_win.h"
#include "skin/warning_dialog_win.h"

namespace kestra {
namespace {

constexpr int kOkEntry = 1;
constexpr int kCancelEntry = 2;
constexpr int kCloseEntry = 3;
constexpr int kMacroListEntry = 10;
constexpr int kNewEntry = 11;
constexpr int kDeleteEntry = 12;
constexpr int kImportEntry = 13;
constexpr int kExportEntry = 14;
constexpr int kStepListEntry = 20;
constexpr int kRecordEntry = 21;
constexpr int kRecordDelaysEntry = 22;
constexpr int kRepeatEntry = 23;
constexpr int kRepeatFieldEntry = 24;
constexpr int kRepeatFieldId = 324;
constexpr uint32_t kReleaseFlag = 0x80;

const char* const kFaceStates[3] = {"normal", "over", "down"};

// The dialog the hook posts to; one recording at a time.
HWND g_recordTarget = nullptr;

RECT ToRect(const SkinRect& r) {
    return RECT{r.left, r.top, r.right, r.bottom};
}

}  // namespace

CMacroManager::CMacroManager(HWND owner, MacroLibrary& library, SettingsStore& working,
                             const LanguageText* texts, std::string programFolder)
    : SkinWindow("skin_macro_manager.ini"),
      owner_(owner),
      library_(library),
      texts_(texts),
      programFolder_(std::move(programFolder)),
      editor_(library, working) {}

CMacroManager::~CMacroManager() {
    DestroyOwnWindow();
    StopRecording();
}

LRESULT CALLBACK CMacroManager::KeyboardHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code < 0 || g_recordTarget == nullptr) return CallNextHookEx(nullptr, code, wParam, lParam);
    const auto* event = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    char line[16];
    snprintf(line, sizeof line, "%lx\n", static_cast<unsigned long>(event->vkCode));
    OutputDebugStringA(line);
    PostMessageA(g_recordTarget, UM_HOOK_KEY, event->vkCode,
                 (event->flags & LLKHF_UP) != 0 ? kReleaseFlag : 0);
    return 1;  // while recording no program sees a key, this one included
}

void CMacroManager::PlaceControls(const SkinFile& file, const SkinStateImages& images) {
    SetWindowTextA(hwnd(), "Macro Manager");
    PlaceButton(ok_, file.ReadEntry(kOkEntry), images);
    PlaceButton(cancel_, file.ReadEntry(kCancelEntry), images);
    PlaceButton(close_, file.ReadEntry(kCloseEntry), images);
    PlaceButton(new_, file.ReadEntry(kNewEntry), images);
    PlaceButton(delete_, file.ReadEntry(kDeleteEntry), images);
    PlaceButton(import_, file.ReadEntry(kImportEntry), images);
    PlaceButton(export_, file.ReadEntry(kExportEntry), images);
    PlaceButton(recordDelays_, file.ReadEntry(kRecordDelaysEntry), images);
    PlaceButton(repeat_, file.ReadEntry(kRepeatEntry), images);
    recordDelays_.SetToggleMode(true);
    repeat_.SetToggleMode(true);
    recordDelays_.SetCheck(editor_.recordDelays() ? 1 : 0);

    const SkinControlEntry record = file.ReadEntry(kRecordEntry);
    PlaceButton(record_, record, images);
    recordRect_ =
        RECT{0, 0, record.rect.right - record.rect.left, record.rect.bottom - record.rect.top};
    for (int kind = 0; kind < 2; ++kind) {
        for (int state = 0; state < 3; ++state) {
            char name[64];
            snprintf(name, sizeof name, "%s_record_%s.jpg", kind == 0 ? "start" : "stop",
                     kFaceStates[state]);
            SIZE size;
            LoadSkinImage(SkinFolder() + name, recordFaces_[kind][state], size);
        }
    }
    ShowRecordFace(false);

    const SkinRect field = file.ReadEntry(kRepeatFieldEntry).rect;
    if (field.right > field.left &&
        repeatField_.Create(hwnd(),
                            RECT{field.left + 3, field.top + 3, field.right - 3, field.bottom - 3},
                            WS_VISIBLE | ES_AUTOHSCROLL, kRepeatFieldId)) {
        repeatField_.SetNumericOnly(true);
        repeatField_.ApplyFont();
        SendMessageA(repeatField_.hwnd(), EM_LIMITTEXT, 5, 0);
    }

    if (macroList_.Create(hwnd(), ToRect(file.ReadEntry(kMacroListEntry).rect), kMacroNameEditId,
                          WS_VSCROLL)) {
        macroList_.UseSkinColours();
        macroList_.SetKeepOnFocusLoss(true);
    }
    if (stepList_.Create(hwnd(), ToRect(file.ReadEntry(kStepListEntry).rect), kMacroDelayEditId,
                         WS_VSCROLL)) {
        stepList_.UseSkinColours();
        stepList_.SetKeepOnFocusLoss(true);
    }
    FillMacroList();
    ShowEditor();
}

void CMacroManager::ShowRecordFace(bool recording) {
    const int kind = recording ? 1 : 0;
    if (recordFaces_[kind][0] && recordFaces_[kind][1] && recordFaces_[kind][2]) {
        record_.SetStateImages(recordRect_, recordFaces_[kind][0].get(),
                               recordFaces_[kind][1].get(), recordFaces_[kind][2].get(),
                               recordFaces_[kind][0].get());
    } else {
        // Without the faces the skin's own button shows, and says what a
        // click does.
        record_.SetCaption(recording ? "Stop" : "");
    }
    if (record_.hwnd()) InvalidateRect(record_.hwnd(), nullptr, FALSE);
}

void CMacroManager::FillMacroList() {
    if (macroList_.hwnd() == nullptr) return;
    SendMessageA(macroList_.hwnd(), LB_RESETCONTENT, 0, 0);
    for (const Macro& macro : library_.macros()) macroList_.AddItem(NameOf(macro), 0);
    SendMessageA(macroList_.hwnd(), LB_SETCURSEL, editor_.selected(), 0);
}

void CMacroManager::ShowEditor() {
    repeat_.SetCheck(editor_.repeatOn() ? 1 : 0);
    repeatField_.SetText(std::to_string(editor_.repeatCount()));
    RedrawSteps(-1);
}

void CMacroManager::RedrawSteps(int caretLine) {
    HWND list = stepList_.hwnd();
    if (list == nullptr) return;
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const StepLine& line : StepListLines(editor_.steps(), editor_.stepCount(), layout_))
        stepList_.AddItem(line.text, line.data);
    const int count = stepList_.count();
    const int shown = StepListLineToShow(caretLine, count);
    if (shown >= 0) {
        // Bring the lines after the caret into view, then put the caret back.
        SendMessageA(list, LB_SETCURSEL, shown, 0);
        SendMessageA(list, LB_SETCURSEL,
                     caretLine >= 0 && caretLine < count ? caretLine : count - 1, 0);
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

void CMacroManager::Warn(WarningKind kind) {
    WarningDialog dialog(kind, hwnd());
    dialog.RunModal();
}

void CMacroManager::Close(int result) {
    // No way out leaves the hook behind.
    StopRecording();
    if (SkinListBox::OpenEditor() == &macroList_ || SkinListBox::OpenEditor() == &stepList_)
        SkinListBox::OpenEditor()->AbandonEdit();
    EndModal(result);
}

LRESULT CMacroManager::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == UM_HOOK_KEY) {
        OnHookKey(static_cast<uint32_t>(wParam), (lParam & kReleaseFlag) != 0);
        return 0;
    }
    if (message == UM_LIST_EDIT_DONE) {
        OnEditDone(static_cast<int>(wParam), static_cast<unsigned>(lParam));
        return 0;
    }
    if (message == UM_LIST_RBUTTON && static_cast<unsigned>(lParam) == kMacroDelayEditId) {
        OnStepListRightClick();
        return 0;
    }
    if (message == UM_EDIT_ENTER || (message == BitmapEditKillFocusMessage() && wParam == 1)) {
        OnRepeatTyped();
        return 0;
    }
    if (message == WM_CLOSE) {
        Close(IDCANCEL);
        return 0;
    }
    if (message == WM_DESTROY) StopRecording();
    return SkinWindow::OnMessage(message, wParam, lParam);
}

LRESULT CMacroManager::OnCommand(WPARAM wParam, LPARAM lParam) {
    const HWND from = reinterpret_cast<HWND>(lParam);
    if (from != nullptr && from == macroList_.hwnd() && HIWORD(wParam) == LBN_SELCHANGE) {
        OnMacroSelected();
        return 0;
    }
    if (from != nullptr && HIWORD(wParam) == BN_CLICKED) {
        if (from == ok_.hwnd()) {
            Close(IDOK);
        } else if (from == cancel_.hwnd() || from == close_.hwnd()) {
            Close(IDCANCEL);
        } else if (from == new_.hwnd()) {
            OnNew();
        } else if (from == delete_.hwnd()) {
            OnDelete();
        } else if (from == record_.hwnd()) {
            OnRecord();
        } else if (from == import_.hwnd()) {
            OnImport();
        } else if (from == export_.hwnd()) {
            OnExport();
        } else if (from == recordDelays_.hwnd()) {
            editor_.SetRecordDelays(recordDelays_.checked() != 0);
        } else if (from == repeat_.hwnd()) {
            editor_.SetRepeatOn(repeat_.checked() != 0);
        } else {
            return SkinWindow::OnCommand(wParam, lParam);
        }
        return 0;
    }
    return SkinWindow::OnCommand(wParam, lParam);
}

void CMacroManager::OnMacroSelected() {
    if (editor_.recording()) return;
    const LRESULT line = SendMessageA(macroList_.hwnd(), LB_GETCURSEL, 0, 0);
    // A line being named is not a macro yet.
    if (line >= static_cast<LRESULT>(library_.macros().size())) return;
    editor_.Select(static_cast<int>(line));
    ShowEditor();
}

void CMacroManager::OnNew() {
    if (editor_.recording()) return;
    macroList_.AddAndEdit();
}

void CMacroManager::OnEditDone(int line, unsigned listId) {
    if (listId == kMacroNameEditId) {
        // A refused name leaves the list as the library has it: the new line
        // goes.
        editor_.AddMacro(macroList_.ItemText(line));
        FillMacroList();
        ShowEditor();
    } else if (listId == kMacroDelayEditId) {
        const uint32_t data = stepList_.ItemData(line);
        if (IsDelayLine(data)) editor_.SetDelayFromText(StepOfLine(data), stepList_.ItemText(line));
        RedrawSteps(line);
    }
}

void CMacroManager::OnDelete() {
    if (editor_.recording()) return;
    if (editor_.selected() < 0) {
        Warn(WarningKind::kMacroSet);
        return;
    }
    WarningDialog confirm(WarningKind::kDeleteMacro, hwnd());
    if (confirm.RunModal() != IDOK) return;
    editor_.DeleteSelected();
    FillMacroList();
    ShowEditor();
}

void CMacroManager::OnStepListRightClick() {
    if (editor_.recording()) return;
    if (editor_.selected() < 0) {
        Warn(WarningKind::kMacroSet);
        return;
    }
    POINT at;
    GetCursorPos(&at);
    POINT inList = at;
    ScreenToClient(stepList_.hwnd(), &inList);
    const LRESULT hit =
        SendMessageA(stepList_.hwnd(), LB_ITEMFROMPOINT, 0, MAKELPARAM(inList.x, inList.y));
    int line = HIWORD(hit) != 0 ? -1 : static_cast<int>(LOWORD(hit));
    if (line >= 0) SendMessageA(stepList_.hwnd(), LB_SETCURSEL, line, 0);
    if (line < 0) line = static_cast<int>(SendMessageA(stepList_.hwnd(), LB_GETCURSEL, 0, 0));
    const uint32_t data = line >= 0 ? stepList_.ItemData(line) : 0;
    const int32_t command = TrackMenuAt(hwnd(), at, StepContextMenu(), texts_);
    switch (editor_.RunContextCommand(command, data, GetTickCount())) {
        case ContextOutcome::kChanged:
            RedrawSteps(line);
            break;
        case ContextOutcome::kRecordingStarted:
            StartRecording();
            break;
        case ContextOutcome::kEditDelay:
            stepList_.EditItem(line, kDelayEditLimit, true);
            break;
        case ContextOutcome::kNeedsMacro:
            Warn(WarningKind::kMacroSet);
            break;
        case ContextOutcome::kNothing:
            break;
    }
}

void CMacroManager::OnRecord() {
    if (editor_.recording()) {
        StopRecording();
        return;
    }
    if (editor_.selected() < 0) {
        Warn(WarningKind::kMacroSet);
        return;
    }
    if (editor_.StartRecording(-1, GetTickCount())) StartRecording();
}

void CMacroManager::StartRecording() {
    ShowRecordFace(true);
    g_recordTarget = hwnd();
    hook_.reset(SetWindowsHookExA(WH_KEYBOARD_LL, &KeyboardHook, GetModuleHandleA(nullptr), 0));
    char line[48];
    snprintf(line, sizeof line, "Hhook: %lx\r\n",
             static_cast<unsigned long>(reinterpret_cast<uintptr_t>(hook_.get())));
    OutputDebugStringA(line);
    for (SkinButton* button : {&new_, &delete_, &import_, &export_, &repeat_})
        button->Enable(false);
    EnableWindow(macroList_.hwnd(), FALSE);
    EnableWindow(stepList_.hwnd(), FALSE);
    SetFocus(hwnd());
}

void CMacroManager::StopRecording() {
    if (hook_) {
        const bool removed = UnhookWindowsHookEx(hook_.release()) != 0;
        OutputDebugStringA(removed ? "UnHhook: Success \r\n" : "UnHhook: Fail \r\n");
    }
    if (g_recordTarget == hwnd()) g_recordTarget = nullptr;
    editor_.StopRecording();
    if (hwnd() == nullptr) return;
    ShowRecordFace(false);
    for (SkinButton* button : {&new_, &delete_, &import_, &export_, &repeat_}) button->Enable(true);
    EnableWindow(macroList_.hwnd(), TRUE);
    EnableWindow(stepList_.hwnd(), TRUE);
    RedrawSteps(-1);
}

void CMacroManager::OnHookKey(uint32_t virtualKey, bool up) {
    // The time the hook posted the event, not when it is handled.
    const uint32_t tick = static_cast<uint32_t>(GetMessageTime());
    switch (editor_.RecordKey(virtualKey, up, tick, layout_)) {
        case RecordOutcome::kIgnored:
            return;
        case RecordOutcome::kRecorded:
            RedrawSteps(-1);
            return;
        case RecordOutcome::kStopped:
            StopRecording();
            return;
    }
}

void CMacroManager::OnRepeatTyped() {
    const int count = editor_.SetRepeatFromText(repeatField_.Text());
    if (repeatField_.Text() != std::to_string(count)) repeatField_.SetText(std::to_string(count));
}

void CMacroManager::OnExport() {
    if (editor_.recording()) return;
    if (editor_.selected() < 0) {
        Warn(WarningKind::kMacroSet);
        return;
    }
    std::string path;
    if (!ChooseFileName(hwnd(), MacroDialogInitialName(programFolder_), kMacroFileFilter, "macro",
                        true, path))
        return;
    ExportMacroFile(path, library_.macros()[editor_.selected()]);
}

void CMacroManager::OnImport() {
    if (editor_.recording()) return;
    std::string path;
    if (!ChooseFileName(hwnd(), MacroDialogInitialName(programFolder_), kMacroImportFilter, "macro",
                        false, path))
        return;
    const int added = ImportMacroFile(library_, path);
    if (added < 0) return;
    editor_.Select(added);
    editor_.Propagate();
    FillMacroList();
    ShowEditor();
}

void RunMacroManager(OptionContext& context) {
    if (context.logic == nullptr) return;
    OptionLogic& logic = *context.logic;
    logic.OpenMacroManager();
    bool keep = false;
    {
        CMacroManager dialog(context.mainWindow, logic.macros(), logic.working(), context.texts,
                             context.programFolder);
        keep = dialog.RunModal() == IDOK;
    }
    logic.CloseMacroManager(keep);
}

}  // namespace kestra
