// Any bytes as what reaches the programs from other processes: the text
// record of WM_COPYDATA, the mouse's event reports, a command line and a
// script's requests, and the shared block as Option and Monitor read it
// after another program wrote it. Every decision
// and every text and report built from them stays inside its tables.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "device/apply_all.h"
#include "device/device_commands.h"
#include "monitor/command_line.h"
#include "monitor/dispatch.h"
#include "monitor/osd_indications.h"
#include "monitor/tray_tip.h"
#include "option/button_assignment.h"
#include "option/dpi_page.h"
#include "keys/key_names.h"
#include "option/macro_library.h"
#include "option/option_rules.h"
#include "option/performance_page.h"
#include "settings/osd_text_record.h"

using namespace kestra;

namespace {

class NoLink : public ReportLink {
public:
    int SetFeature(const uint8_t*, int) override { return 1; }
    int GetFeature(uint8_t*, int) override { return 1; }
    int WriteReport(const uint8_t*, int) override { return 1; }
};
class NoWait : public Waiter {
public:
    void Sleep(int) override {}
    bool AbortRequested() override { return false; }
};

void ReadBlockAsOptionAndMonitor(const SettingsStore& block) {
    std::unique_ptr<SettingsStore> applied(new SettingsStore);
    std::unique_ptr<SettingsStore> working(new SettingsStore);
    TakeBlock(block, *applied, *working, true);
    NormaliseCurrentProfile(*working);
    const UsKeyboardLayout layout;
    MacroLibrary macros;
    (void)macros.ReconcileWith(*working);
    (void)ReconcileMacroButtons(*working, macros);
    for (int p = 0; p < kProfileCount; ++p) {
        const ProfileSettings& profile = working->profiles[p];
        (void)ViewDpi(profile);
        (void)ViewPerformance(profile);
        for (int b = 0; b < kButtonCount; ++b) {
            (void)BoxText(profile.buttons[b], BoxEditor::kMainWindow, nullptr, layout);
            (void)BoxText(profile.buttons[b], BoxEditor::kButtonPage, nullptr, layout);
            (void)BoxMenu(BoxEditor::kButtonPage, b, profile.buttons[b], macros);
            bool needsMacro = false;
            (void)EncodeButton(profile, p, b, &needsMacro);
            (void)BuildDeviceMacro(profile.buttons[b]);
            (void)CombinationWord(profile.buttons[b]);
        }
        (void)BuildConfigBlock(profile);
        for (int level = 0; level <= 9; ++level) (void)DpiLevelText(profile, level);
    }
    NoLink link;
    NoWait wait;
    DeviceApplier applier(link, wait);
    if (applier.Plan(*working, ApplyMode::kAll).empty()) abort();
    const TrayTipInfo tip = TrayTipOf(*working);
    if (TrayTipText(u"Mouse", std::u16string(tip.name.begin(), tip.name.end()), tip).size() >
        kTrayTipLength) {
        abort();
    }
    (void)MatchProfileByProgram(*working, "game.exe");

    // A script's requests against this block, and /status of it.
    for (uintptr_t request = 0; request <= 4; ++request) {
        for (intptr_t number : {intptr_t(-1), intptr_t(0), intptr_t(1), intptr_t(5), intptr_t(6)}) {
            const ScriptDecision d = DecideScriptRequest(request, number, block);
            if (d.action != ScriptAction::kNone && d.action != ScriptAction::kStatus &&
                (d.index < 0 || d.index >= kProfileCount)) {
                abort();
            }
        }
    }
    StatusFacts facts;
    facts.monitorRunning = facts.monitorAnswered = true;
    TakeStatusSettings(block, facts);
    facts.profileNameWide.assign(facts.profileName.begin(), facts.profileName.end());
    for (bool json : {false, true}) {
        for (char c : StatusText(facts, json)) {
            // One line per fact, and JSON of printable ASCII only.
            if (static_cast<unsigned char>(c) < 0x20 && c != '\r' && c != '\n') abort();
            if (json && (static_cast<unsigned char>(c) >= 0x7F)) abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The WM_COPYDATA text record, at the size it came with.
    std::string text;
    if (ReadOsdTextRecord(data, size, text)) (void)OsdLineText(text);

    (void)ParseCommandLine(std::string(reinterpret_cast<const char*>(data), size));

    // Event reports, four bytes each, against a store.
    std::unique_ptr<SettingsStore> store(new SettingsStore);
    ClearStore(*store);
    ResetAllProfiles(*store);
    for (size_t i = 0; i + 4 <= size && i < 4 * 64; i += 4) {
        const uint16_t code = static_cast<uint16_t>(data[i] | (data[i + 1] << 8));
        const uint16_t value = static_cast<uint16_t>(data[i + 2] | (data[i + 3] << 8));
        const EventDecision d = DecideEvent(MakeEventWord(code, value));
        (void)ApplyDeviceChange(*store, d.kind, d.value);
        NormaliseCurrentProfile(*store);
        if (d.kind == EventKind::kButton) (void)MacroIndicationNumber(d.button);
    }

    // The shared block: the bytes over a zeroed store.
    std::unique_ptr<SettingsStore> block(new SettingsStore);
    memset(block.get(), 0, sizeof(SettingsStore));
    memcpy(block.get(), data, size < sizeof(SettingsStore) ? size : sizeof(SettingsStore));
    ReadBlockAsOptionAndMonitor(*block);
    return 0;
}
