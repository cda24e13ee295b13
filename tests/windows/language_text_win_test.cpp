#include "settings/language_text_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace kestra {
namespace {

// The build copies uitext.dll beside the test program.
std::string TestFolder() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

TEST(LanguageText, EveryNumberTheProgramsUseHasAText) {
    LanguageLibrary library;
    ASSERT_TRUE(library.Load(TestFolder()));
    for (int number = 1000; number <= 1093; ++number)
        EXPECT_FALSE(library.Text(number).empty()) << number;
    EXPECT_EQ("Exit", library.Text(1003));
    EXPECT_EQ("", library.Text(999));
    EXPECT_EQ("", library.Text(1094));
    EXPECT_EQ("", library.Text(-1));

    char small[6];
    CopyLanguageText(&library, 1005, small, sizeof small);  // "Left Click"
    EXPECT_STREQ("Left ", small);
}

TEST(LanguageText, WithoutTheLibraryEveryTextIsEmpty) {
    LanguageLibrary library;
    EXPECT_FALSE(library.Load("C:\\no such folder\\"));
    EXPECT_EQ("", library.Text(1002));
    char buffer[260] = "stale";
    CopyLanguageText(&library, 1004, buffer, sizeof buffer);
    EXPECT_STREQ("", buffer);
    CopyLanguageText(nullptr, 1004, buffer, sizeof buffer);
    EXPECT_STREQ("", buffer);
}

}  // namespace
}  // namespace kestra
