#include <gtest/gtest.h>

#include "editor/document/ProjectValues.h"

namespace mrw {
namespace {

TEST(ProjectValues, ColourTextSplitsAtCommasAndBlanksAndKeepsLowBits) {
    EXPECT_EQ(ParseColourValue("255,255,255", 0), 0xFFFFFFu);
    EXPECT_EQ(ParseColourValue("12", 0xABCDEF), 12u);                  // missing pieces are 0
    EXPECT_EQ(ParseColourValue("1, 2 ,3", 0), 0x030201u);
    EXPECT_EQ(ParseColourValue("256,x,-1", 0), 0xFF0000u);             // 256 -> 0, x -> 0, -1 -> 255
    EXPECT_EQ(ParseColourValue("", 0x123456), 0x123456u);              // empty leaves the field
    EXPECT_EQ(FormatColourValue(0x00FF8001), "1,128,255");
}

TEST(ProjectValues, DataIsLowerCaseHexJoinedByCommas) {
    EXPECT_EQ(EncodeDataValue({1, 171, 255}), "01,ab,ff");
    EXPECT_EQ(EncodeDataValue({}), "");
    EXPECT_EQ(DecodeDataValue("01,ab,ff"), (std::vector<uint8_t>{1, 171, 255}));
    EXPECT_EQ(DecodeDataValue("1,AB, fff"), (std::vector<uint8_t>{1, 171, 255}));
    EXPECT_EQ(DecodeDataValue("zz,1g"), (std::vector<uint8_t>{0, 1}));  // digits up to the first non-digit
    EXPECT_TRUE(DecodeDataValue("").empty());
}

TEST(ProjectValues, NoteLineBreaksAreEscaped) {
    EXPECT_EQ(EscapeNote("a\r\nb"), "a<crlf>b");
    // Lone line ends would split the stored value; they are kept as line breaks.
    EXPECT_EQ(EscapeNote("a\nb\rc"), "a<crlf>b<crlf>c");
    EXPECT_EQ(UnescapeNote("a<crlf>b<crlf>"), "a\r\nb\r\n");
    EXPECT_EQ(UnescapeNote("<CRLF>"), "<CRLF>");
}

}  // namespace
}  // namespace mrw
