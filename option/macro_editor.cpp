#include "option/macro_editor.h"

#include <cstdio>
#include <cstring>

#include "option/button_assignment.h"
#include "settings/file_system.h"
#include "settings/ini_file.h"
#include "skin/skin_list.h"

namespace kestra {
namespace {

const char kSection[] = "Macros";

int Clamp(int64_t value, int low, int high) {
    return static_cast<int>(value < low ? low : value > high ? high : value);
}

}  // namespace

std::string MouseStepName(uint8_t mouseKey, uint8_t action) {
    const char* button = "Mouse Button";
    switch (mouseKey) {
        case kMouseLeft:
            button = "Left Button";
            break;
        case kMouseRight:
            button = "Right Button";
            break;
        case kMouseMiddle:
            button = "Middle Button";
            break;
        case kMouseX1:
            button = "Back Button";
            break;
        case kMouseX2:
            button = "Forward Button";
            break;
        default:
            break;
    }
    return std::string(button) + (action == kStepUp ? " Up" : " Down");
}

std::vector<StepLine> StepListLines(const MacroStep* steps, int count,
                                    const KeyboardLayout& layout) {
    std::vector<StepLine> lines;
    const int used = Clamp(count, 0, kMacroStepSlots);
    for (int i = 0; i < used; ++i) {
        const MacroStep& step = steps[i];
        const uint32_t number = static_cast<uint32_t>(i + 1) << 16;
        if (step.key >= kMouseLeft && step.key <= kMouseX1) {
            lines.push_back({MouseStepName(step.key, step.action), number + kLineMouse});
        } else {
            uint32_t virtualKey = 0;
            std::string name;
            if (KeyIndexToVirtualKey(step.key, layout, virtualKey)) name = KeyName(virtualKey);
            if (name.empty()) name = "Key " + std::to_string(step.key);
            lines.push_back({name, number + (step.action == kStepUp ? kLineKeyUp : kLineKeyDown)});
        }
        if (step.delay != 0) {
            lines.push_back({std::to_string(step.delay) + " ms", number + kLineDelay});
        }
    }
    return lines;
}

int StepListLineToShow(int caretLine, int lineCount) {
    if (lineCount <= 0) return -1;
    if (caretLine < 0 || caretLine >= lineCount) caretLine = lineCount - 1;
    if (caretLine > 3 && caretLine < lineCount - 1 - 3) return caretLine + 2;
    return caretLine;
}

int64_t ParseTypedNumber(const std::string& text, int64_t fallback) {
    const std::string t = TrimBlanks(text);
    size_t i = 0;
    const bool negative = !t.empty() && t[0] == '-';
    if (negative) ++i;
    if (i >= t.size() || t[i] < '0' || t[i] > '9') return fallback;
    int64_t value = 0;
    for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i) {
        // Past any range we clamp to, more digits change nothing.
        if (value < 10000000000LL) value = value * 10 + (t[i] - '0');
    }
    return negative ? -value : value;
}

bool MouseCommand(int32_t command, uint8_t& mouseKey, int& kind) {
    if (command < kContextMouseFirst || command > kContextMouseLast) return false;
    static const uint8_t kButtons[5] = {kMouseLeft, kMouseRight, kMouseMiddle, kMouseX1, kMouseX2};
    const int n = command - kContextMouseFirst;
    mouseKey = kButtons[n / 3];
    kind = n % 3;
    return true;
}

std::vector<FunctionMenuItem> StepContextMenu() {
    auto command = [](int32_t id, int text) {
        return FunctionMenuItem{MenuItemKind::kCommand, id, text, std::string(), false, {}};
    };
    FunctionMenuItem mouse{MenuItemKind::kSubmenu, 0, 1058, std::string(), false, {}};
    // Left, right, middle, X button 1, X button 2, as the command ids go.
    for (int button = 0; button < 5; ++button) {
        FunctionMenuItem sub{MenuItemKind::kSubmenu, 0, 1059 + button, std::string(), false, {}};
        for (int kind = 0; kind < 3; ++kind)
            sub.items.push_back(command(kContextMouseFirst + button * 3 + kind, 1064 + kind));
        mouse.items.push_back(sub);
    }
    return {command(kContextRecordBefore, 1053), command(kContextRecordAfter, 1054),
            command(kContextInsertDelay, 1055),  mouse,
            command(kContextEditDelay, 1056),    command(kContextDelete, 1057)};
}

MacroEditor::MacroEditor(MacroLibrary& library, SettingsStore& working)
    : library_(library), working_(working) {}

void MacroEditor::Select(int index) {
    const bool valid = index >= 0 && static_cast<size_t>(index) < library_.macros().size();
    selected_ = valid ? index : -1;
    LoadSelected();
}

void MacroEditor::LoadSelected() {
    memset(steps_, 0, sizeof steps_);
    stepCount_ = 0;
    repeatOn_ = false;
    repeatCount_ = 1;
    insertAt_ = -1;
    if (selected_ < 0) return;
    const Macro& macro = library_.macros()[selected_];
    memcpy(steps_, macro.steps, sizeof steps_);
    stepCount_ = Clamp(macro.stepCount, 0, kMacroStepSlots);
    // 1 plays once, as the switch being off does.
    repeatOn_ = macro.repeatCount > 1;
    repeatCount_ = Clamp(macro.repeatCount, 1, kMaxRepeat);
}

int MacroEditor::AddMacro(const std::string& typedName) {
    std::string name = TrimBlanks(typedName);
    if (name.size() > kInPlaceEditLimit) name = TrimBlanks(name.substr(0, kInPlaceEditLimit));
    if (name.empty() || library_.Find(name) >= 0) return -1;
    Macro macro;
    memset(&macro, 0, sizeof macro);
    CopyText(macro.name, sizeof macro.name, name.c_str());
    macro.repeatCount = 1;
    library_.macros().push_back(macro);
    Select(static_cast<int>(library_.macros().size()) - 1);
    return selected_;
}

bool MacroEditor::DeleteSelected() {
    if (selected_ < 0 || recording_) return false;
    std::vector<Macro>& list = library_.macros();
    list.erase(list.begin() + selected_);
    const int next =
        selected_ < static_cast<int>(list.size()) ? selected_ : static_cast<int>(list.size()) - 1;
    Select(next);
    Propagate();
    return true;
}

bool MacroEditor::InsertStep(int at, uint8_t key, uint8_t action) {
    if (stepCount_ >= kMacroStepSlots) return false;
    if (at < 0 || at > stepCount_) at = stepCount_;
    memmove(&steps_[at + 1], &steps_[at], (stepCount_ - at) * sizeof(MacroStep));
    steps_[at].key = key;
    steps_[at].action = action;
    steps_[at].delay = 0;
    ++stepCount_;
    return true;
}

ContextOutcome MacroEditor::RunContextCommand(int32_t command, uint32_t lineData, uint32_t tick) {
    if (selected_ < 0) return ContextOutcome::kNeedsMacro;
    if (recording_) return ContextOutcome::kNothing;
    int step = StepOfLine(lineData);  // from 1; 0: no line
    if (step > stepCount_) step = 0;
    const bool delayLine = step > 0 && IsDelayLine(lineData);
    uint8_t mouseKey = 0;
    int kind = 0;
    if (command == kContextRecordBefore || command == kContextRecordAfter) {
        const int at = step == 0 ? -1 : command == kContextRecordBefore ? step - 1 : step;
        return StartRecording(at, tick) ? ContextOutcome::kRecordingStarted
                                        : ContextOutcome::kNothing;
    }
    if (command == kContextInsertDelay) {
        if (step < 2 || delayLine || steps_[step - 2].delay != 0) return ContextOutcome::kNothing;
        steps_[step - 2].delay = kMinEditedDelay;
    } else if (command == kContextEditDelay) {
        return delayLine ? ContextOutcome::kEditDelay : ContextOutcome::kNothing;
    } else if (command == kContextDelete) {
        if (step == 0) return ContextOutcome::kNothing;
        if (delayLine) {
            steps_[step - 1].delay = 0;
        } else {
            memmove(&steps_[step - 1], &steps_[step], (stepCount_ - step) * sizeof(MacroStep));
            --stepCount_;
            memset(&steps_[stepCount_], 0, sizeof(MacroStep));
        }
    } else if (MouseCommand(command, mouseKey, kind)) {
        const int at = step == 0 ? stepCount_ : step - 1;
        const int needed = kind == 2 ? 2 : 1;
        if (stepCount_ + needed > kMacroStepSlots) return ContextOutcome::kNothing;
        if (kind != 1) InsertStep(at, mouseKey, kStepDown);
        if (kind != 0) InsertStep(kind == 2 ? at + 1 : at, mouseKey, kStepUp);
    } else {
        return ContextOutcome::kNothing;
    }
    StoreAndPropagate();
    return ContextOutcome::kChanged;
}

int MacroEditor::SetDelayFromText(int step, const std::string& text) {
    if (selected_ < 0 || step < 1 || step > stepCount_) return -1;
    const int current = steps_[step - 1].delay;
    constexpr int64_t kNoNumber = INT64_MIN;
    const int64_t typed = ParseTypedNumber(text, kNoNumber);
    // An edit emptied, or left as it opened ("120 ms"), keeps the delay: it
    // must not reach the buttons that play the macro as a change.
    if (typed == kNoNumber) return current;
    const int delay = Clamp(typed, kMinEditedDelay, kMaxDelay);
    if (delay == current) return current;
    steps_[step - 1].delay = static_cast<uint16_t>(delay);
    StoreAndPropagate();
    return delay;
}

void MacroEditor::SetRepeatOn(bool on) {
    repeatOn_ = on;
    if (selected_ < 0) return;
    library_.macros()[selected_].repeatCount = repeatOn_ ? repeatCount_ : 1;
    Propagate();
}

int MacroEditor::SetRepeatFromText(const std::string& text) {
    repeatCount_ = Clamp(ParseTypedNumber(text, repeatCount_), 1, kMaxRepeat);
    SetRepeatOn(repeatOn_);
    return repeatCount_;
}

bool MacroEditor::StartRecording(int insertBefore, uint32_t tick) {
    if (selected_ < 0 || recording_) return false;
    insertAt_ = insertBefore >= 0 && insertBefore < stepCount_ ? insertBefore : -1;
    recording_ = true;
    firstEvent_ = true;
    hasLastKey_ = false;
    lastTick_ = tick;
    return true;
}

RecordOutcome MacroEditor::RecordKey(uint32_t virtualKey, bool up, uint32_t tick,
                                     const KeyboardLayout& layout) {
    if (!recording_) return RecordOutcome::kIgnored;
    // A held key repeats its press; only the first counts.
    if (hasLastKey_ && virtualKey == lastVirtualKey_ && up == lastUp_)
        return RecordOutcome::kIgnored;
    uint8_t keyIndex = 0;
    if (!VirtualKeyToKeyIndex(virtualKey, layout, keyIndex)) return RecordOutcome::kIgnored;
    if (stepCount_ >= kMacroStepSlots) {
        StopRecording();
        return RecordOutcome::kStopped;
    }
    const int at = insertAt_ < 0 ? stepCount_ : insertAt_;
    if (!firstEvent_ && recordDelays_ && at > 0) {
        const uint32_t elapsed = tick - lastTick_;
        steps_[at - 1].delay = static_cast<uint16_t>(elapsed > kMaxDelay ? kMaxDelay : elapsed);
    }
    InsertStep(at, keyIndex, up ? kStepUp : kStepDown);
    if (insertAt_ >= 0) ++insertAt_;
    firstEvent_ = false;
    lastTick_ = tick;
    hasLastKey_ = true;
    lastVirtualKey_ = virtualKey;
    lastUp_ = up;
    if (stepCount_ >= kMacroStepSlots) {
        StopRecording();
        return RecordOutcome::kStopped;
    }
    return RecordOutcome::kRecorded;
}

void MacroEditor::StopRecording() {
    if (!recording_) return;
    recording_ = false;
    lastTick_ = 0;
    insertAt_ = -1;
    hasLastKey_ = false;
    StoreAndPropagate();
}

void MacroEditor::StoreAndPropagate() {
    if (selected_ >= 0) {
        Macro& macro = library_.macros()[selected_];
        memcpy(macro.steps, steps_, sizeof macro.steps);
        macro.stepCount = stepCount_;
    }
    Propagate();
}

void MacroEditor::Propagate() {
    ReconcileMacroButtons(working_, library_);
}

std::string MacroDialogInitialName(const std::string& programFolder) {
    return programFolder + "config\\.macro";
}

bool ExportMacroFile(const std::string& path, const Macro& macro) {
    if (CanOpenForReading(path)) RemoveFile(path);
    IniDocument doc;
    doc.Set(kSection, "0", EncodeIniStruct(&macro, sizeof macro));
    return WriteFileAtomically(path, doc.Serialize());
}

bool ReadMacroFile(const std::string& path, Macro& macro) {
    memset(&macro, 0, sizeof macro);
    if (!IniFile(path).GetStruct(kSection, "0", &macro, sizeof macro)) return false;
    macro.name[kMacroNameSize - 1] = 0;
    const std::string name = TrimBlanks(NameOf(macro));
    if (name.empty()) return false;
    memset(macro.name, 0, sizeof macro.name);
    CopyText(macro.name, sizeof macro.name, name.c_str());
    macro.stepCount = Clamp(macro.stepCount, 0, kMacroStepSlots);
    macro.repeatCount = Clamp(macro.repeatCount, 1, kMaxRepeat);
    return true;
}

std::string FreeMacroName(const MacroLibrary& library, const std::string& name) {
    if (library.Find(name) < 0) return name;
    for (size_t n = 1;; ++n) {
        const std::string number = std::to_string(n);
        const size_t room = kMacroNameSize - 1 - number.size();
        const std::string candidate = name.substr(0, room) + number;
        if (library.Find(candidate) < 0) return candidate;
    }
}

int ImportMacroFile(MacroLibrary& library, const std::string& path) {
    Macro macro;
    if (!ReadMacroFile(path, macro)) return -1;
    const std::string name = FreeMacroName(library, NameOf(macro));
    memset(macro.name, 0, sizeof macro.name);
    CopyText(macro.name, sizeof macro.name, name.c_str());
    library.macros().push_back(macro);
    return static_cast<int>(library.macros().size()) - 1;
}

}  // namespace kestra
