#include "option/macro_library.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "settings/ini_file.h"
#include "tests/native/test_folder.h"
#include "tests/native/test_support.h"

namespace kestra {
namespace {

using kestra_test::TestFolder;

using kestra_test::NumberedMacro;

// The macro of NumberedMacro's button under that name.
Macro MakeMacro(const char* name, int steps, int32_t repeat = 1) {
    const ButtonAssignment b = NumberedMacro(name, steps, repeat);
    Macro m;
    memset(&m, 0, sizeof m);
    CopyText(m.name, sizeof m.name, name);
    m.repeatCount = repeat;
    m.stepCount = steps;
    memcpy(m.steps, b.steps, sizeof m.steps);
    return m;
}

TEST(MacroLibraryFile, SavesInOrderAndReadsBackAndAMissingFileIsEmpty) {
    TestFolder folder;
    const std::string path = MacroLibraryPath(folder.path());
    MacroLibrary library;
    library.Load(path);
    EXPECT_TRUE(library.macros().empty());

    library.macros() = {MakeMacro("Reload", 3), MakeMacro("Jump", 0, 5), MakeMacro("Build", 40)};
    ASSERT_TRUE(library.Save(path));
    const std::string text = folder.Read("config\\sequence.dat");
    EXPECT_NE(std::string::npos, text.find("[Macros]\r\nnumber=3\r\n0="));

    MacroLibrary again;
    again.Load(path);
    ASSERT_EQ(3u, again.macros().size());
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(0, memcmp(&library.macros()[i], &again.macros()[i], sizeof(Macro))) << i;
    }

    // A shorter list leaves no trace of the longer one.
    again.macros().resize(1);
    ASSERT_TRUE(again.Save(path));
    MacroLibrary third;
    third.Load(path);
    EXPECT_EQ(1u, third.macros().size());
    EXPECT_EQ(std::string::npos, folder.Read("config\\sequence.dat").find("\r\n2="));
}

TEST(MacroLibraryFile, DamagedRecordsAreSkippedAndCleanedUp) {
    TestFolder folder;
    Macro wild = MakeMacro("Wild", 2);
    memset(wild.name, 'n', sizeof wild.name);  // no terminator
    wild.stepCount = 1000;
    MacroLibrary().Save(MacroLibraryPath(folder.path()));  // makes the folder
    folder.Write("config\\sequence.dat",
                 "[Macros]\r\nnumber=999999999\r\n0=" + EncodeIniStruct(&wild, sizeof wild) +
                     "\r\n1=00FF\r\n2=" + EncodeIniStruct(&wild, sizeof wild) + "\r\n");
    MacroLibrary library;
    library.Load(MacroLibraryPath(folder.path()));
    ASSERT_EQ(2u, library.macros().size());
    EXPECT_EQ(sizeof wild.name - 1, strlen(library.macros()[0].name));
    EXPECT_EQ(kMacroStepSlots, library.macros()[0].stepCount);
}

TEST(MacroLibraryReconcile, AddsMissingMacrosAndTakesTheButtonsVersion) {
    auto store = kestra_test::DefaultStore();
    store->profiles[0].buttons[5] = NumberedMacro("Reload", 4, 2);
    store->profiles[3].buttons[9] = NumberedMacro("  NEW one ", 2, 3);
    store->profiles[4].buttons[9] = NumberedMacro("new ONE", 2, 3);  // the same macro again
    store->profiles[1].buttons[2].function = 16;                     // no label: not a macro
    store->profiles[1].buttons[3].function = 5;
    CopyText(store->profiles[1].buttons[3].label, kButtonLabelSize, "Other");  // not a macro button

    MacroLibrary library;
    library.macros() = {MakeMacro("reload ", 3, 1), MakeMacro("Keep", 1)};
    const Macro keep = library.macros()[1];
    EXPECT_TRUE(library.ReconcileWith(*store));
    ASSERT_EQ(3u, library.macros().size());

    const Macro& reload = library.macros()[0];
    EXPECT_STREQ("reload ", reload.name);  // the list keeps its own name
    EXPECT_EQ(4, reload.stepCount);
    EXPECT_EQ(2, reload.repeatCount);
    EXPECT_EQ(0, memcmp(reload.steps, store->profiles[0].buttons[5].steps, 4 * sizeof(MacroStep)));
    EXPECT_EQ(0, memcmp(&keep, &library.macros()[1], sizeof keep));
    EXPECT_STREQ("NEW one", library.macros()[2].name);
    EXPECT_EQ(3, library.macros()[2].repeatCount);  // a playable count, never 0
    EXPECT_EQ(2, library.macros()[2].stepCount);

    // Nothing differs any more.
    EXPECT_FALSE(library.ReconcileWith(*store));
}

// An imported macro's long name is cut on the button; the button must keep
// finding it, not add a second macro under the cut name.
TEST(MacroLibraryReconcile, ALongNameCutOnItsButtonIsStillItsMacro) {
    auto store = kestra_test::DefaultStore();
    store->profiles[0].buttons[4] = NumberedMacro("Rotation for the second boss", 3, 1);
    store->profiles[2].buttons[7] = NumberedMacro("Rotation for the second boss", 3, 1);
    store->profiles[2].buttons[7].label[kButtonLabelChars + 1] = 0;  // as earlier versions cut
    store->profiles[0].buttons[4].label[kButtonLabelChars] = 0;
    MacroLibrary library;
    library.macros() = {MakeMacro("Rotation for the second boss", 2, 1)};
    EXPECT_TRUE(library.ReconcileWith(*store));
    ASSERT_EQ(1u, library.macros().size());
    EXPECT_EQ(3, library.macros()[0].stepCount);
    EXPECT_STREQ("Rotation for the second boss", library.macros()[0].name);
}

TEST(MacroLibraryReconcile, OnlyUsedStepsAreCompared) {
    auto store = kestra_test::DefaultStore();
    store->profiles[2].buttons[1] = NumberedMacro("Two", 2, 1);
    store->profiles[2].buttons[1].steps[7].key = 99;  // beyond the step count
    MacroLibrary library;
    library.macros() = {MakeMacro("Two", 2, 1)};
    EXPECT_FALSE(library.ReconcileWith(*store));
    store->profiles[2].buttons[1].steps[1].delay = 11;
    EXPECT_TRUE(library.ReconcileWith(*store));
    EXPECT_EQ(11, library.macros()[0].steps[1].delay);
    EXPECT_EQ(1u, library.macros().size());
    EXPECT_EQ(-1, library.Find("Three"));
    EXPECT_EQ(0, library.Find(" two"));
}

}  // namespace
}  // namespace kestra
