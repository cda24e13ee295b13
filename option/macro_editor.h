// What the macro manager decides, apart from its window: the editor of the
// selected macro (steps, delays, mouse steps, repeat), recording from key
// events, new and deleted macros, the step list's lines and the `.macro`
// files. Every change is stored into the library and copied to the macro
// buttons of every profile of the working copy, which are flagged for the
// next apply. The dialog (macro_manager_win.cpp) shows and carries it out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "option/button_assignment.h"
#include "keys/key_names.h"
#include "option/macro_library.h"
#include "settings/settings_record.h"

namespace kestra {

// Mouse steps carry these key numbers instead of a KeyIndex.
constexpr uint8_t kMouseLeft = 240;
constexpr uint8_t kMouseRight = 241;
constexpr uint8_t kMouseMiddle = 242;
constexpr uint8_t kMouseX2 = 243;
constexpr uint8_t kMouseX1 = 244;
constexpr uint8_t kStepDown = 1;
constexpr uint8_t kStepUp = 2;

// Edited values are kept within these.
constexpr int kMinEditedDelay = 10;
constexpr int kMaxDelay = 65535;
constexpr int kMaxRepeat = 255;
// The delay edit's length in characters.
constexpr size_t kDelayEditLimit = 20;

// A line of the step list: its text and its item data, step number (from
// 1) x 65536 + the picture of the line's kind.
enum StepLineKind : uint32_t {
    kLineDelay = 135,
    kLineKeyUp = 137,
    kLineKeyDown = 138,
    kLineMouse = 146,
};
struct StepLine {
    std::string text;
    uint32_t data;
};
std::vector<StepLine> StepListLines(const MacroStep* steps, int count,
                                    const KeyboardLayout& layout);
inline int StepOfLine(uint32_t data) {
    return static_cast<int>(data >> 16);
}
inline bool IsDelayLine(uint32_t data) {
    return (data & 0xFFFF) == kLineDelay;
}
// The line to bring into view after a redraw: the caret line, or two lines
// further when it lies more than three lines from both ends, so that what
// follows it shows too.
int StepListLineToShow(int caretLine, int lineCount);

// "Left Button Down" and the like for a mouse step.
std::string MouseStepName(uint8_t mouseKey, uint8_t action);

// The number at the start of text typed into a numeric field (an optional
// leading minus allowed; what follows, as the " ms" of a delay line, is
// ignored); text that starts with no digit gives `fallback`. Huge values
// stop growing far beyond any range the fields clamp to.
int64_t ParseTypedNumber(const std::string& text, int64_t fallback);

// The context menu of the step list, as ids.
enum ContextCommand : int32_t {
    kContextRecordBefore = 1001,
    kContextRecordAfter = 1002,
    kContextInsertDelay = 1003,
    kContextEditDelay = 1004,
    kContextDelete = 1005,
    kContextMouseFirst = 1020,  // 1020..1034: (button, down/up/click)
    kContextMouseLast = 1034,
};
// The key of a mouse command's button (left, right, middle, X1, X2 in that
// order) and what it inserts: 0 down, 1 up, 2 click. False outside the range.
bool MouseCommand(int32_t command, uint8_t& mouseKey, int& kind);

// The step list's context menu: record before and after, insert delay, the
// mouse-step submenus (down, up, click for each button), edit, delete; the
// texts are the language library's.
std::vector<FunctionMenuItem> StepContextMenu();

// What a context command asks of the window afterwards.
enum class ContextOutcome {
    kNothing,     // not applicable here
    kNeedsMacro,  // the macro-set warning: no macro is selected
    kChanged,     // steps changed; redraw
    kRecordingStarted,
    kEditDelay,  // open the in-place edit on the line
};

// Outcome of a recorded key event.
enum class RecordOutcome { kIgnored, kRecorded, kStopped };

class MacroEditor {
public:
    MacroEditor(MacroLibrary& library, SettingsStore& working);

    int selected() const { return selected_; }
    // -1 (or any number outside the list) selects nothing.
    void Select(int index);
    const MacroStep* steps() const { return steps_; }
    int stepCount() const { return stepCount_; }
    bool repeatOn() const { return repeatOn_; }
    int repeatCount() const { return repeatCount_; }
    bool recordDelays() const { return recordDelays_; }
    void SetRecordDelays(bool on) { recordDelays_ = on; }
    bool recording() const { return recording_; }

    // New: the typed name, trimmed and cut to the in-place limit. Refused
    // (-1) when empty or when another macro has it, case ignored; otherwise
    // the new macro's index, selected.
    int AddMacro(const std::string& typedName);
    // Removes the selected macro; the selection stays on the same line or
    // the new last one. Buttons that played it fall back to function 6.
    bool DeleteSelected();

    // Context menu command on the step list line `lineData` (0: none); the
    // record commands start recording at `tick`.
    ContextOutcome RunContextCommand(int32_t command, uint32_t lineData, uint32_t tick);
    // The delay edit of step `step` (from 1) committed with `text`; returns
    // the stored delay (10..65535), -1 when there is no such step. Text with
    // no number, or the delay it already has, changes nothing.
    int SetDelayFromText(int step, const std::string& text);
    // The repeat switch and field. The field's value is clamped to 1..255
    // and returned (the field shows it again).
    void SetRepeatOn(bool on);
    int SetRepeatFromText(const std::string& text);

    // Recording: `insertBefore` is a step index from 0 (-1: append).
    bool StartRecording(int insertBefore, uint32_t tick);
    RecordOutcome RecordKey(uint32_t virtualKey, bool up, uint32_t tick,
                            const KeyboardLayout& layout);
    void StopRecording();

    // The library's copy of the selected macro takes the editor's steps, and
    // every macro button of every profile follows the library.
    void StoreAndPropagate();
    // Only the buttons follow the library (after a list change).
    void Propagate();

private:
    bool InsertStep(int at, uint8_t key, uint8_t action);
    void LoadSelected();

    MacroLibrary& library_;
    SettingsStore& working_;
    int selected_ = -1;
    MacroStep steps_[kMacroStepSlots] = {};
    int stepCount_ = 0;
    bool repeatOn_ = false;
    int repeatCount_ = 1;
    bool recordDelays_ = true;
    bool recording_ = false;
    int insertAt_ = -1;  // -1: append
    bool firstEvent_ = true;
    uint32_t lastTick_ = 0;
    bool hasLastKey_ = false;
    uint32_t lastVirtualKey_ = 0;
    bool lastUp_ = false;
};

// `.macro` files: section "Macros", key "0", the 220-byte record.
constexpr char kMacroFileFilter[] = "Macro(*.macro)|*.macro|";
constexpr char kMacroImportFilter[] = "Macro(*.macro)|*.MACRO|";
// "<ProgramFolder>config\.macro": the export dialog opens there.
std::string MacroDialogInitialName(const std::string& programFolder);
// Replaces any earlier file. False when it could not be written.
bool ExportMacroFile(const std::string& path, const Macro& macro);
// False when the file has no readable record or the record has no name;
// the name is terminated and the counts kept within their ranges.
bool ReadMacroFile(const std::string& path, Macro& macro);
// The name an imported macro gets: its own, or the first free "name1",
// "name2", ... (the name shortened so that the number still fits).
std::string FreeMacroName(const MacroLibrary& library, const std::string& name);
// Appends the file's macro under a free name; its index, or -1.
int ImportMacroFile(MacroLibrary& library, const std::string& path);

}  // namespace kestra
