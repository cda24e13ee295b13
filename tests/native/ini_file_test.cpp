#include <gtest/gtest.h>

#include <cstring>

#include "settings/ini_file.h"
#include "tests/native/test_folder.h"

namespace kestra {
namespace {

// The expected bytes below are what the system's private-profile functions
// produce for the same operations.
TEST(IniDocument, WritesReplaceInPlaceAndAppendToTheirSection) {
    IniDocument doc = IniDocument::Parse("");
    doc.Set("Setting", "A", "1");
    doc.Set("Setting", "B", "  two ");
    doc.Set("Other", "C", "3");
    doc.Set("setting", "a", "11");
    doc.Set("Setting", "D", "4");
    EXPECT_EQ("[Setting]\r\nA=11\r\nB=two\r\nD=4\r\n[Other]\r\nC=3\r\n", doc.Serialize());
}

TEST(IniDocument, RewritingNormalisesTheWholeFile) {
    const std::string original =
        "; comment\r\n\r\n[S]\r\n  k1 = v1  \r\nnoval\r\n\r\n=x\r\n=y\r\n[T]\nk=\"q\"\n[S]\nk2=dup\n";
    IniDocument doc = IniDocument::Parse(original);
    EXPECT_FALSE(doc.Set("S", "k1", "v1"));  // same value: the file is left alone
    EXPECT_TRUE(doc.Set("S", "new", "n"));
    EXPECT_EQ(
        "; comment\r\n[S]\r\nk1=v1\r\nnoval\r\n=x\r\nnew=n\r\n[T]\r\nk=\"q\"\r\n[S]\r\nk2=dup\r\n",
        doc.Serialize());
    std::string value;
    EXPECT_FALSE(doc.Find("S", "k2", value));  // only the first [S] is searched
    EXPECT_FALSE(doc.Find("S", "noval", value));
    ASSERT_TRUE(doc.Find("t", "K", value));
    EXPECT_EQ("\"q\"", value);
}

TEST(IniDocument, HeadersAndOddLines) {
    IniDocument doc = IniDocument::Parse("top=1\n [A] trailing\n[B\nx=1\n[]\ny=2\n");
    std::string value;
    ASSERT_TRUE(doc.Find("", "top", value));
    EXPECT_EQ("1", value);
    ASSERT_TRUE(doc.Find("A", "x", value));  // "[B" is a line of section A, not a header
    EXPECT_EQ("1", value);
    EXPECT_EQ("top=1\r\n[A]\r\n[B\r\nx=1\r\ny=2\r\n", doc.Serialize());
}

TEST(IniValues, IntegersReadTheLeadingDecimalNumber) {
    EXPECT_EQ(42, IniIntFromValue("42abc"));
    EXPECT_EQ(-7, IniIntFromValue("-7"));
    EXPECT_EQ(0, IniIntFromValue("abc"));
    EXPECT_EQ(16, IniIntFromValue("0x10"));
    EXPECT_EQ(5, IniIntFromValue("0b101"));
    EXPECT_EQ(10, IniIntFromValue("010"));
    EXPECT_EQ(0, IniIntFromValue("0X10"));
    EXPECT_EQ(5, IniIntFromValue("+5"));
    EXPECT_EQ(-1, IniIntFromValue("4294967295"));  // wraps as the system does
    EXPECT_EQ(0, IniIntFromValue(std::string(29, ' ') + "5"));  // beyond the 29 characters read
}

TEST(IniValues, QuotesAndLengthLimits) {
    EXPECT_EQ("q", IniStringFromValue("\"q\"", 2047));
    EXPECT_EQ("'a\"", IniStringFromValue("'a\"", 2047));
    EXPECT_EQ("\"", IniStringFromValue("\"", 2047));
    EXPECT_EQ("abc", IniStringFromValue("abcdef", 3));
    EXPECT_EQ(std::string(2047, 'x'), IniStringFromValue(std::string(3000, 'x'), 2047));
}

TEST(IniValues, StructuresCarryASumByte) {
    const unsigned char bytes[3] = {0x01, 0xAB, 0x10};
    EXPECT_EQ("01AB10BC", EncodeIniStruct(bytes, 3));

    unsigned char out[3] = {9, 9, 9};
    EXPECT_TRUE(DecodeIniStruct("01ab10bc", out, 3));
    EXPECT_EQ(0, memcmp(bytes, out, 3));

    unsigned char untouched[3] = {9, 9, 9};
    EXPECT_FALSE(DecodeIniStruct("01AB11BC", untouched, 3));  // one digit changed
    EXPECT_FALSE(DecodeIniStruct("01AB10BC0", untouched, 3));  // one digit too many
    EXPECT_FALSE(DecodeIniStruct("01AB10B", untouched, 3));
    EXPECT_FALSE(DecodeIniStruct("01AG10BC", untouched, 3));  // not hexadecimal
    EXPECT_FALSE(DecodeIniStruct("", untouched, 3));
    EXPECT_EQ(9, untouched[0]);
    EXPECT_EQ(9, untouched[2]);
}

TEST(IniFile, SavesOnlyWhenChangedAndLeavesNoTemporaryFile) {
    kestra_test::TestFolder folder;
    const std::string path = folder.path() + "a.ini";
    {
        IniFile file(path);
        EXPECT_FALSE(file.existed());
        EXPECT_EQ(-1, file.GetInt("S", "n", -1));
        EXPECT_EQ("dflt", file.GetString("S", "s", "dflt  "));
        file.SetInt("S", "n", -12);
        file.SetString("S", "s", "text");
        EXPECT_TRUE(file.Save());
    }
    EXPECT_EQ("[S]\r\nn=-12\r\ns=text\r\n", folder.Read("a.ini"));
    EXPECT_FALSE(folder.Exists("a.ini.tmp~"));

    folder.Write("a.ini", "[S]\nn = -12\n");
    IniFile same(path);
    EXPECT_TRUE(same.existed());
    same.SetInt("S", "n", -12);
    EXPECT_TRUE(same.Save());
    EXPECT_EQ("[S]\nn = -12\n", folder.Read("a.ini"));  // untouched
    EXPECT_EQ("", same.GetString("S", "empty"));
}

}  // namespace
}  // namespace kestra
