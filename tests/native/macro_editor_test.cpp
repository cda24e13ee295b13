#include "option/macro_editor.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "option/option_logic.h"
#include "settings/settings_files.h"
#include "tests/native/test_folder.h"
#include "tests/native/test_support.h"

namespace kestra {
namespace {

using kestra_test::TestFolder;

Macro Named(const char* name, int steps = 0) {
    Macro m;
    memset(&m, 0, sizeof m);
    CopyText(m.name, sizeof m.name, name);
    m.repeatCount = 1;
    const ButtonAssignment numbered = kestra_test::NumberedMacro(name, steps);
    m.stepCount = steps;
    memcpy(m.steps, numbered.steps, sizeof m.steps);
    return m;
}

// The hex of the bytes and their sum, as a private-profile structure
// stores them.
std::string StructHex(const void* data, size_t size) {
    std::string hex;
    unsigned sum = 0;
    char pair[3];
    for (size_t i = 0; i < size; ++i) {
        const unsigned byte = static_cast<const unsigned char*>(data)[i];
        snprintf(pair, sizeof pair, "%02X", byte);
        hex += pair;
        sum += byte;
    }
    snprintf(pair, sizeof pair, "%02X", sum & 0xFF);
    return hex + pair;
}

struct EditorFixture : ::testing::Test {
    std::unique_ptr<SettingsStore> store = kestra_test::DefaultStore();
    MacroLibrary library;
    MacroEditor editor{library, *store};
    UsKeyboardLayout layout;
};

using MacroRecording = EditorFixture;

TEST_F(MacroRecording, HeldKeysGiveOneStepAndDelaysAreTimedAndCapped) {
    library.macros() = {Named("Combo")};
    editor.Select(0);
    ASSERT_TRUE(editor.StartRecording(-1, 1000));
    EXPECT_EQ(RecordOutcome::kRecorded, editor.RecordKey('A', false, 1100, layout));
    // The auto-repeat of a held key.
    EXPECT_EQ(RecordOutcome::kIgnored, editor.RecordKey('A', false, 1130, layout));
    EXPECT_EQ(RecordOutcome::kIgnored, editor.RecordKey('A', false, 1160, layout));
    EXPECT_EQ(RecordOutcome::kRecorded, editor.RecordKey('A', true, 1180, layout));
    EXPECT_EQ(RecordOutcome::kRecorded, editor.RecordKey('B', false, 1180 + 90000, layout));
    EXPECT_EQ(RecordOutcome::kIgnored, editor.RecordKey(0xFF, false, 1180 + 90010, layout));
    editor.StopRecording();

    ASSERT_EQ(3, editor.stepCount());
    const MacroStep* s = editor.steps();
    EXPECT_EQ(4, s[0].key);
    EXPECT_EQ(kStepDown, s[0].action);
    EXPECT_EQ(80, s[0].delay);  // from the press to the release, not from the repeats
    EXPECT_EQ(kStepUp, s[1].action);
    EXPECT_EQ(kMaxDelay, s[1].delay);
    EXPECT_EQ(5, s[2].key);
    EXPECT_EQ(0, s[2].delay);
    // Stored in the library on stop.
    EXPECT_EQ(3, library.macros()[0].stepCount);
    EXPECT_EQ(0, memcmp(s, library.macros()[0].steps, 3 * sizeof(MacroStep)));

    // Without record delays nothing is timed; a pressed key again after
    // another one counts.
    editor.SetRecordDelays(false);
    ASSERT_TRUE(editor.StartRecording(-1, 0));
    editor.RecordKey('A', false, 10, layout);
    editor.RecordKey('A', false, 500, layout);
    editor.RecordKey('C', false, 900, layout);
    editor.RecordKey('A', false, 1500, layout);
    editor.StopRecording();
    EXPECT_EQ(6, editor.stepCount());
    EXPECT_EQ(0, editor.steps()[3].delay);
    EXPECT_EQ(0, editor.steps()[4].delay);
}

TEST_F(MacroRecording, InsertsBeforeAStepAndStopsAtFortySteps) {
    library.macros() = {Named("Edit", 3)};  // keys 4, 5, 6 with delays 0, 10, 20
    editor.Select(0);
    // "Record before" on the line of step 2.
    ASSERT_EQ(ContextOutcome::kRecordingStarted,
              editor.RunContextCommand(kContextRecordBefore, (2u << 16) + kLineKeyDown, 100));
    EXPECT_TRUE(editor.recording());
    // No editing while recording.
    EXPECT_EQ(ContextOutcome::kNothing,
              editor.RunContextCommand(kContextDelete, (1u << 16) + kLineKeyDown, 100));
    EXPECT_FALSE(editor.DeleteSelected());
    editor.RecordKey('X', false, 150, layout);
    editor.RecordKey('X', true, 175, layout);
    editor.StopRecording();
    ASSERT_EQ(5, editor.stepCount());
    const uint8_t keys[5] = {4, 0x1B, 0x1B, 5, 6};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(keys[i], editor.steps()[i].key) << i;
    EXPECT_EQ(0, editor.steps()[0].delay);   // the first event times nothing
    EXPECT_EQ(25, editor.steps()[1].delay);  // X down until X up
    EXPECT_EQ(10, editor.steps()[3].delay);  // the old step keeps its delay

    // Recording into a full macro: the 40th step ends it.
    ASSERT_TRUE(editor.StartRecording(-1, 0));
    RecordOutcome last = RecordOutcome::kRecorded;
    for (int i = 0; i < 60 && editor.recording(); ++i) {
        last = editor.RecordKey('A', i % 2 == 1, 10 * i, layout);
    }
    EXPECT_EQ(RecordOutcome::kStopped, last);
    EXPECT_FALSE(editor.recording());
    EXPECT_EQ(kMacroStepSlots, editor.stepCount());
    EXPECT_EQ(kMacroStepSlots, library.macros()[0].stepCount);
    // A full macro takes no mouse step either.
    EXPECT_EQ(ContextOutcome::kNothing, editor.RunContextCommand(1020, 0, 0));
    EXPECT_EQ(kMacroStepSlots, editor.stepCount());
}

using MacroEditing = EditorFixture;

TEST_F(MacroEditing, ContextCommandsNeedAMacroAndEditTheSteps) {
    EXPECT_EQ(ContextOutcome::kNeedsMacro, editor.RunContextCommand(1020, 0, 0));
    library.macros() = {Named("Steps", 2)};  // key 4 (delay 0), key 5 (delay 10)
    editor.Select(0);

    // Insert delay: only where the preceding step has none.
    EXPECT_EQ(ContextOutcome::kNothing,
              editor.RunContextCommand(kContextInsertDelay, (1u << 16) + kLineKeyDown, 0));
    EXPECT_EQ(ContextOutcome::kChanged,
              editor.RunContextCommand(kContextInsertDelay, (2u << 16) + kLineKeyDown, 0));
    EXPECT_EQ(kMinEditedDelay, editor.steps()[0].delay);

    // A middle click before step 2: down then up; an X button 1 up appended.
    EXPECT_EQ(ContextOutcome::kChanged,
              editor.RunContextCommand(1028, (2u << 16) + kLineKeyDown, 0));
    EXPECT_EQ(ContextOutcome::kChanged, editor.RunContextCommand(1030, 0, 0));
    ASSERT_EQ(5, editor.stepCount());
    EXPECT_EQ(kMouseMiddle, editor.steps()[1].key);
    EXPECT_EQ(kStepDown, editor.steps()[1].action);
    EXPECT_EQ(kMouseMiddle, editor.steps()[2].key);
    EXPECT_EQ(kStepUp, editor.steps()[2].action);
    EXPECT_EQ(5, editor.steps()[3].key);
    EXPECT_EQ(kMouseX1, editor.steps()[4].key);
    EXPECT_EQ(kStepUp, editor.steps()[4].action);

    // Edit works on delay lines only; delete clears a delay or removes a step.
    EXPECT_EQ(ContextOutcome::kNothing,
              editor.RunContextCommand(kContextEditDelay, (4u << 16) + kLineKeyDown, 0));
    EXPECT_EQ(ContextOutcome::kEditDelay,
              editor.RunContextCommand(kContextEditDelay, (4u << 16) + kLineDelay, 0));
    EXPECT_EQ(ContextOutcome::kChanged,
              editor.RunContextCommand(kContextDelete, (4u << 16) + kLineDelay, 0));
    EXPECT_EQ(0, editor.steps()[3].delay);
    EXPECT_EQ(ContextOutcome::kChanged,
              editor.RunContextCommand(kContextDelete, (2u << 16) + kLineMouse, 0));
    EXPECT_EQ(4, editor.stepCount());
    EXPECT_EQ(kStepUp, editor.steps()[1].action);
    // A line beyond the steps is no line.
    EXPECT_EQ(ContextOutcome::kNothing,
              editor.RunContextCommand(kContextDelete, (9u << 16) + kLineKeyDown, 0));
    EXPECT_EQ(4, library.macros()[0].stepCount);
}

TEST_F(MacroEditing, TypedDelaysAndRepeatCountsAreClamped) {
    library.macros() = {Named("Timed", 2)};
    editor.Select(0);
    EXPECT_EQ(10, editor.SetDelayFromText(1, "5"));
    EXPECT_EQ(65535, editor.SetDelayFromText(1, "70000"));
    EXPECT_EQ(65535, editor.SetDelayFromText(2, "99999999999999999999"));
    EXPECT_EQ(65535, editor.SetDelayFromText(2, "x1"));  // no number: as it was
    EXPECT_EQ(250, editor.SetDelayFromText(2, "250"));
    EXPECT_EQ(-1, editor.SetDelayFromText(3, "250"));
    EXPECT_EQ(65535, library.macros()[0].steps[0].delay);
    EXPECT_EQ(250, library.macros()[0].steps[1].delay);

    EXPECT_FALSE(editor.repeatOn());
    EXPECT_EQ(255, editor.SetRepeatFromText("300"));
    EXPECT_EQ(1, library.macros()[0].repeatCount);  // the switch is off
    editor.SetRepeatOn(true);
    EXPECT_EQ(255, library.macros()[0].repeatCount);
    EXPECT_EQ(1, editor.SetRepeatFromText("-5"));
    EXPECT_EQ(1, editor.SetRepeatFromText("0"));
    EXPECT_EQ(7, editor.SetRepeatFromText("7"));
    EXPECT_EQ(7, library.macros()[0].repeatCount);
    editor.Select(0);
    EXPECT_TRUE(editor.repeatOn());
    EXPECT_EQ(7, editor.repeatCount());
}

// The in-place edit opens with the line's own text: committed as it is, it
// neither changes the delay nor counts as an edit of the buttons playing it.
TEST_F(MacroEditing, ADelayEditLeftAsItOpenedChangesNothing) {
    library.macros() = {Named("Timed", 2)};
    library.macros()[0].steps[0].delay = 120;
    store->profiles[1].buttons[3] = kestra_test::NumberedMacro("Timed", 2);
    store->profiles[1].buttons[3].steps[0].delay = 120;
    editor.Select(0);
    memset(&store->flags, 0, sizeof store->flags);
    EXPECT_EQ(120, editor.SetDelayFromText(1, "120 ms"));
    EXPECT_EQ(120, store->profiles[1].buttons[3].steps[0].delay);
    EXPECT_EQ(0, store->flags.buttons[1][3]);
    EXPECT_EQ(300, editor.SetDelayFromText(1, " 300 ms"));
    EXPECT_EQ(300, store->profiles[1].buttons[3].steps[0].delay);
    EXPECT_EQ(1, store->flags.buttons[1][3]);
}

TEST_F(MacroEditing, EditsReachEveryProfilesButtonsAndDeletedMacrosDisableThem) {
    library.macros() = {Named("Fire", 1), Named("Other", 1), Named("Last", 1)};
    store->profiles[0].buttons[5] = kestra_test::NumberedMacro("fire", 1);
    store->profiles[3].buttons[9] = kestra_test::NumberedMacro("FIRE ", 1);
    store->profiles[2].buttons[4] = kestra_test::NumberedMacro("Other", 1);
    editor.Select(0);
    editor.RunContextCommand(1022, 0, 0);  // a left click appended
    for (int p : {0, 3}) {
        const ButtonAssignment& b = store->profiles[p].buttons[p == 0 ? 5 : 9];
        EXPECT_EQ(3, b.stepCount) << p;
        EXPECT_STREQ("Fire", b.label);
        EXPECT_EQ(kMouseLeft, b.steps[2].key);
    }
    EXPECT_EQ(1, store->flags.buttons[0][5]);
    EXPECT_EQ(1, store->flags.buttons[3][9]);

    memset(&store->flags, 0, sizeof store->flags);
    ASSERT_TRUE(editor.DeleteSelected());
    EXPECT_EQ(6, store->profiles[0].buttons[5].function);
    EXPECT_EQ(6, store->profiles[3].buttons[9].function);
    EXPECT_EQ(1, store->flags.buttons[0][5]);
    EXPECT_EQ(1, store->flags.buttons[3][9]);
    EXPECT_EQ(16, store->profiles[2].buttons[4].function);
    // The selection stays on the line, then on the new last one, then none.
    EXPECT_EQ(0, editor.selected());
    EXPECT_STREQ("Other", library.macros()[editor.selected()].name);
    editor.Select(1);
    editor.DeleteSelected();
    EXPECT_EQ(0, editor.selected());
    editor.DeleteSelected();
    EXPECT_EQ(-1, editor.selected());
    EXPECT_FALSE(editor.DeleteSelected());
    EXPECT_EQ(6, store->profiles[2].buttons[4].function);
}

TEST_F(MacroEditing, NewNamesAreTrimmedCutAndNeverDuplicated) {
    library.macros() = {Named("Jump")};
    EXPECT_EQ(-1, editor.AddMacro("  jump "));
    EXPECT_EQ(-1, editor.AddMacro("   "));
    EXPECT_EQ(1, editor.AddMacro("  Sprint "));
    EXPECT_EQ(1, editor.selected());
    EXPECT_STREQ("Sprint", library.macros()[1].name);
    EXPECT_EQ(0, library.macros()[1].stepCount);
    EXPECT_EQ(2, editor.AddMacro("A name far too long"));
    EXPECT_STREQ("A name far too", library.macros()[2].name);  // 15, then trimmed
    EXPECT_EQ(3u, library.macros().size());
}

TEST(MacroStepList, LinesCarryNamesDelaysAndTheirItemData) {
    MacroStep steps[3] = {{4, 1, 0}, {kMouseX2, 2, 300}, {4, 2, 0}};
    const std::vector<StepLine> lines = StepListLines(steps, 3, UsKeyboardLayout());
    ASSERT_EQ(4u, lines.size());
    EXPECT_EQ("A", lines[0].text);
    EXPECT_EQ((1u << 16) + 138, lines[0].data);
    EXPECT_EQ("Forward Button Up", lines[1].text);
    EXPECT_EQ((2u << 16) + 146, lines[1].data);
    EXPECT_EQ("300 ms", lines[2].text);
    EXPECT_EQ((2u << 16) + 135, lines[2].data);
    EXPECT_EQ((3u << 16) + 137, lines[3].data);
    EXPECT_TRUE(StepListLines(steps, -4, UsKeyboardLayout()).empty());

    EXPECT_EQ(-1, StepListLineToShow(0, 0));
    EXPECT_EQ(9, StepListLineToShow(-1, 10));
    EXPECT_EQ(3, StepListLineToShow(3, 10));
    EXPECT_EQ(6, StepListLineToShow(4, 10));
    EXPECT_EQ(6, StepListLineToShow(6, 10));
}

TEST(MacroFiles, ExactBytesOfTheLibraryAndOfAMacroFile) {
    TestFolder folder;
    Macro macro = Named("Reload", 2);
    macro.repeatCount = 3;
    MacroLibrary library;
    library.macros() = {macro, Named("B")};
    ASSERT_TRUE(library.Save(MacroLibraryPath(folder.path())));
    EXPECT_EQ("[Macros]\r\nnumber=2\r\n0=" + StructHex(&macro, sizeof macro) +
                  "\r\n1=" + StructHex(&library.macros()[1], sizeof(Macro)) + "\r\n",
              folder.Read("config\\sequence.dat"));

    folder.Write("config\\old.macro", "[Macros]\r\n0=00\r\n1=junk\r\n");
    ASSERT_TRUE(ExportMacroFile(folder.path() + "config\\old.macro", macro));
    EXPECT_EQ("[Macros]\r\n0=" + StructHex(&macro, sizeof macro) + "\r\n",
              folder.Read("config\\old.macro"));
    EXPECT_EQ(folder.path() + "config\\.macro", MacroDialogInitialName(folder.path()));
}

TEST(MacroFiles, ImportsRenameAndDamagedFilesAddNothing) {
    TestFolder folder;
    MacroLibrary library;
    library.macros() = {Named("Reload")};
    Macro incoming = Named("reload", 3);
    incoming.stepCount = 3;
    const std::string path = folder.path() + "in.macro";
    ASSERT_TRUE(ExportMacroFile(path, incoming));
    EXPECT_EQ(1, ImportMacroFile(library, path));
    EXPECT_EQ(2, ImportMacroFile(library, path));
    EXPECT_STREQ("reload1", library.macros()[1].name);
    EXPECT_STREQ("reload2", library.macros()[2].name);
    EXPECT_EQ(3, library.macros()[2].stepCount);

    // A long name still has room for its number.
    Macro longName = Named("");
    memset(longName.name, 'L', kMacroNameSize - 1);
    library.macros().push_back(longName);
    const std::string free = FreeMacroName(library, longName.name);
    EXPECT_EQ(kMacroNameSize - 1, static_cast<int>(free.size()));
    EXPECT_EQ('1', free.back());

    // No key, a wrong sum, a truncated record, a nameless record, counts out
    // of range.
    const size_t before = library.macros().size();
    Macro wild = Named("Wild", 1);
    wild.stepCount = 1000;
    wild.repeatCount = -5;
    memset(wild.name + 4, 'w', kMacroNameSize - 4);  // no terminator
    std::string good = StructHex(&wild, sizeof wild);
    std::string badSum = good;
    badSum[badSum.size() - 1] = badSum.back() == '0' ? '1' : '0';
    const Macro nameless = Named("   ");
    for (const std::string& body :
         {std::string("[Other]\r\n0=") + good, "[Macros]\r\n0=" + badSum,
          "[Macros]\r\n0=" + good.substr(0, 100), "[Macros]\r\n0=" + StructHex(&nameless, 220)}) {
        folder.Write("bad.macro", body + "\r\n");
        EXPECT_EQ(-1, ImportMacroFile(library, folder.path() + "bad.macro")) << body.substr(0, 20);
    }
    EXPECT_EQ(-1, ImportMacroFile(library, folder.path() + "missing.macro"));
    EXPECT_EQ(before, library.macros().size());
    folder.Write("wild.macro", "[Macros]\r\n0=" + good + "\r\n");
    const int added = ImportMacroFile(library, folder.path() + "wild.macro");
    ASSERT_GE(added, 0);
    EXPECT_EQ(kMacroStepSlots, library.macros()[added].stepCount);
    EXPECT_EQ(1, library.macros()[added].repeatCount);
    EXPECT_EQ(kMacroNameSize - 1, static_cast<int>(strlen(library.macros()[added].name)));
}

// Option's side of the manager: no block, no Monitor; only what the
// manager's end refreshes is looked at.
class NoEffects : public OptionEffects {
public:
    bool ReadBlock(SettingsStore&) override { return false; }
    bool WriteBlock(const SettingsStore&) override { return false; }
    void ReadSystemSettings(ProfileSettings&) override {}
    bool SendApplyToMonitor(int) override { return false; }
    bool MonitorWindowExists() override { return false; }
    void NotifyApplets() override {}
    void ReplaceWithCopy(const std::string&, const std::string&) override {}
    uint32_t TickCount() override { return 0; }
    uint32_t SecondsSince1970() override { return 0; }
    void ShowApplyPending(bool) override {}
    void ShowProgressArea(const ProgressAreaState&) override {}
    void RefreshPages(unsigned pages) override { refreshed = pages; }
    unsigned refreshed = 0;
};

TEST(MacroManagerSession, OkSavesTheLibraryAndAnyOtherEndTakesTheEditsBack) {
    TestFolder folder;
    auto stored = kestra_test::DefaultStore();
    stored->profiles[1].buttons[7] = kestra_test::NumberedMacro("Fire", 2);
    SaveStore(folder.path(), *stored);
    NoEffects effects;
    OptionLogic logic(folder.path(), effects);
    logic.Start(false);
    const std::string path = MacroLibraryPath(folder.path());
    const std::string saved = folder.Read("config\\sequence.dat");
    ASSERT_EQ(1u, logic.macros().macros().size());

    logic.OpenMacroManager();
    {
        MacroEditor editor(logic.macros(), logic.working());
        editor.Select(0);
        editor.DeleteSelected();
        editor.AddMacro("Other");
    }
    EXPECT_EQ(6, logic.working().profiles[1].buttons[7].function);
    logic.CloseMacroManager(false);
    EXPECT_EQ(saved, folder.Read("config\\sequence.dat"));
    ASSERT_EQ(1u, logic.macros().macros().size());
    EXPECT_STREQ("Fire", logic.macros().macros()[0].name);
    EXPECT_EQ(16, logic.working().profiles[1].buttons[7].function);
    EXPECT_EQ(0, logic.working().flags.buttons[1][7]);
    EXPECT_EQ(unsigned(kButtonPageBit | kMacroPageBit), effects.refreshed);

    logic.OpenMacroManager();
    {
        MacroEditor editor(logic.macros(), logic.working());
        editor.Select(0);
        editor.RunContextCommand(1025, 0, 0);  // a right click appended
    }
    logic.CloseMacroManager(true);
    MacroLibrary reread;
    reread.Load(path);
    ASSERT_EQ(1u, reread.macros().size());
    EXPECT_EQ(4, reread.macros()[0].stepCount);
    EXPECT_EQ(4, logic.working().profiles[1].buttons[7].stepCount);
    EXPECT_EQ(1, logic.working().flags.buttons[1][7]);
}

}  // namespace
}  // namespace kestra
