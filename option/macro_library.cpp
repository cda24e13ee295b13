#include "option/macro_library.h"

#include <cctype>
#include <cstring>

#include "settings/file_system.h"
#include "settings/ini_file.h"

namespace kestra {
namespace {

const char kSection[] = "Macros";
// A damaged "number" must not make the start read forever.
constexpr int32_t kMaxMacros = 4096;

bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (tolower(static_cast<unsigned char>(a[i])) != tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

std::string LabelOf(const ButtonAssignment& button) {
    return std::string(button.label, strnlen(button.label, sizeof button.label));
}

int UsedSteps(int32_t count) {
    if (count < 0) return 0;
    return count > kMacroStepSlots ? kMacroStepSlots : static_cast<int>(count);
}

bool DiffersFrom(const Macro& macro, const ButtonAssignment& button) {
    if (macro.stepCount != button.stepCount || macro.repeatCount != button.repeatCount) return true;
    const int used = UsedSteps(button.stepCount);
    return memcmp(macro.steps, button.steps, used * sizeof(MacroStep)) != 0;
}

void TakeSteps(Macro& macro, const ButtonAssignment& button) {
    macro.stepCount = UsedSteps(button.stepCount);
    macro.repeatCount = button.repeatCount;
    memcpy(macro.steps, button.steps, sizeof macro.steps);
}

}  // namespace

std::string TrimBlanks(const std::string& text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && text[begin] == ' ') ++begin;
    while (end > begin && text[end - 1] == ' ') --end;
    return text.substr(begin, end - begin);
}

std::string NameOf(const Macro& macro) {
    return std::string(macro.name, strnlen(macro.name, sizeof macro.name));
}

std::string MacroLibraryPath(const std::string& programFolder) {
    return programFolder + "config\\sequence.dat";
}

void MacroLibrary::Load(const std::string& path) {
    macros_.clear();
    IniFile file(path);
    int32_t count = file.GetInt(kSection, "number", -1);
    if (count > kMaxMacros) count = kMaxMacros;
    for (int32_t i = 0; i < count; ++i) {
        Macro macro;
        if (!file.GetStruct(kSection, std::to_string(i), &macro, sizeof macro)) continue;
        macro.name[kMacroNameSize - 1] = 0;
        macro.stepCount = UsedSteps(macro.stepCount);
        macros_.push_back(macro);
    }
}

bool MacroLibrary::Save(const std::string& path) const {
    IniDocument doc;
    doc.Set(kSection, "number", std::to_string(macros_.size()));
    for (size_t i = 0; i < macros_.size(); ++i) {
        doc.Set(kSection, std::to_string(i), EncodeIniStruct(&macros_[i], sizeof(Macro)));
    }
    const size_t slash = path.find_last_of("\\/");
    if (slash != std::string::npos) EnsureDirectory(path.substr(0, slash));
    return WriteFileAtomically(path, doc.Serialize());
}

int MacroLibrary::Find(const std::string& name) const {
    const std::string wanted = TrimBlanks(name);
    for (size_t i = 0; i < macros_.size(); ++i) {
        if (SameNameIgnoringCase(TrimBlanks(NameOf(macros_[i])), wanted))
            return static_cast<int>(i);
    }
    return -1;
}

int MacroLibrary::FindForLabel(const std::string& label) const {
    const int exact = Find(label);
    if (exact >= 0) return exact;
    const std::string wanted = TrimBlanks(label);
    if (wanted.empty()) return -1;
    for (size_t i = 0; i < macros_.size(); ++i) {
        const std::string name = NameOf(macros_[i]);
        for (size_t cut : {size_t(kButtonLabelChars), size_t(kButtonLabelChars + 1)}) {
            if (name.size() > cut && SameNameIgnoringCase(TrimBlanks(name.substr(0, cut)), wanted))
                return static_cast<int>(i);
        }
    }
    return -1;
}

bool MacroLibrary::ReconcileWith(const SettingsStore& store) {
    bool changed = false;
    for (const ProfileSettings& profile : store.profiles) {
        for (const ButtonAssignment& button : profile.buttons) {
            if (button.function != 16) continue;
            const std::string label = TrimBlanks(LabelOf(button));
            if (label.empty()) continue;
            const int found = FindForLabel(label);
            if (found < 0) {
                Macro macro;
                memset(&macro, 0, sizeof macro);
                CopyText(macro.name, sizeof macro.name, label.c_str());
                TakeSteps(macro, button);
                macros_.push_back(macro);
                changed = true;
            } else if (DiffersFrom(macros_[found], button)) {
                TakeSteps(macros_[found], button);
                changed = true;
            }
        }
    }
    return changed;
}

}  // namespace kestra
