// The macro manager ("skin_macro_manager.ini"): the macro library with its
// editor, recording through a low-level keyboard hook, `.macro` import and
// export. Entries: "1" OK, "2" Cancel, "3" the corner cross (cancels), "10"
// the macro list, "11" New, "12" Delete, "13" Import, "14" Export, "20" the
// step list, "21" Record (its faces "start_record_*.jpg" and
// "stop_record_*.jpg"), "22" the record-delays switch, "23" the repeat
// switch, "24" the repeat count. What an action decides is MacroEditor's.
#pragma once

#include <windows.h>

#include <string>

#include "keys/key_names_win.h"
#include "option/macro_editor.h"
#include "option/option_page_win.h"
#include "settings/language_text.h"
#include "skin/bitmap_edit_win.h"
#include "skin/skin_button_win.h"
#include "skin/skin_list_win.h"
#include "skin/skin_window_win.h"
#include "skin/warning_dialog_win.h"

namespace kestra {

class CMacroManager : public SkinWindow {
public:
    CMacroManager(HWND owner, MacroLibrary& library, SettingsStore& working,
                  const LanguageText* texts, std::string programFolder);
    ~CMacroManager() override;

    // IDOK or IDCANCEL; recording has stopped by then.
    int RunModal() { return SkinWindow::RunModal(owner_); }
    const MacroEditor& editor() const { return editor_; }

protected:
    void PlaceControls(const SkinFile& file, const SkinStateImages& images) override;
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    static LRESULT CALLBACK KeyboardHook(int code, WPARAM wParam, LPARAM lParam);
    void Close(int result);
    void FillMacroList();
    void ShowEditor();
    void RedrawSteps(int caretLine);
    void OnMacroSelected();
    void OnNew();
    void OnDelete();
    void OnRecord();
    void OnImport();
    void OnExport();
    void OnRepeatTyped();
    void OnEditDone(int line, unsigned listId);
    void OnStepListRightClick();
    void OnHookKey(uint32_t virtualKey, bool up);
    void StartRecording();
    void StopRecording();
    void ShowRecordFace(bool recording);
    void Warn(WarningKind kind);

    HWND owner_;
    MacroLibrary& library_;
    const LanguageText* texts_;
    std::string programFolder_;
    SystemKeyboardLayout layout_;
    MacroEditor editor_;
    Hook hook_;
    SkinButton ok_, cancel_, close_;
    SkinButton new_, delete_, import_, export_;
    SkinButton record_, recordDelays_, repeat_;
    SkinListBox macroList_;
    SkinListBox stepList_;
    BitmapEdit repeatField_;
    RECT recordRect_ = {0, 0, 0, 0};
    Bitmap recordFaces_[2][3];  // [start, stop][normal, over, down]
    Bitmap windowFaces_[4];     // the window's own cut-outs when a face is missing
};

// Runs the manager over the main window for the program's library and
// working copy; OK keeps its work, anything else takes it back.
void RunMacroManager(OptionContext& context);

}  // namespace kestra
