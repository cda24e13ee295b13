#include "settings/osd_text_record.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace kestra {
namespace {

TEST(OsdTextRecord, OnlyTheExactSizeIsAcceptedAndTheTextEndsInside) {
    char record[160];
    memset(record, 'x', sizeof record);
    std::string text = "old";
    EXPECT_FALSE(ReadOsdTextRecord(record, 150, text));
    EXPECT_FALSE(ReadOsdTextRecord(record, 152, text));
    EXPECT_FALSE(ReadOsdTextRecord(nullptr, 151, text));
    EXPECT_EQ("old", text);

    // No terminator anywhere: the text stops at 149 characters.
    ASSERT_TRUE(ReadOsdTextRecord(record, 151, text));
    EXPECT_EQ(std::string(149, 'x'), text);

    record[0] = 'A';  // ignored
    memcpy(record + 1, "DPI 1600\0tail", 13);
    ASSERT_TRUE(ReadOsdTextRecord(record, 151, text));
    EXPECT_EQ("DPI 1600", text);
}

}  // namespace
}  // namespace kestra
