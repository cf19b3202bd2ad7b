#include "base/formats/AnimationSettings.h"

#include <gtest/gtest.h>

#include <string>

namespace mrw::formats {
namespace {

using namespace std::string_view_literals;

TEST(AnimationSettings, SizeLineIsSizeThenOptionalBlanksThenEquals) {
    EXPECT_TRUE(IsAnimationSizeLine("size=96"));
    EXPECT_TRUE(IsAnimationSizeLine("  Size = 120\r"));
    EXPECT_TRUE(IsAnimationSizeLine("\tSIZE\t=x"));
    EXPECT_FALSE(IsAnimationSizeLine("fontsize=12"));
    EXPECT_FALSE(IsAnimationSizeLine("sizes=4"));
    EXPECT_FALSE(IsAnimationSizeLine("size"));
    EXPECT_FALSE(IsAnimationSizeLine("size x=1"));
}

TEST(AnimationSettings, FirstSizeLineGivesTheHeight) {
    // A "size=" inside another name before the real line is not taken.
    const std::string_view text = "[Today]\r\nfontsize=12\r\n  size = 96\r\nsize=5\r\n";
    const AnimationSizeLine line = FindAnimationSizeLine(text);
    ASSERT_TRUE(line.found);
    EXPECT_EQ(text.substr(line.begin, line.end - line.begin), "  size = 96\r");
    EXPECT_EQ(AnimationHeight(text), 96);
    EXPECT_EQ(HandheldAnimationHeight(text), 96);
    EXPECT_EQ(AnimationHeight("size=120"), 120);  // last line without LF
}

TEST(AnimationSettings, NumbersAreBounded) {
    EXPECT_EQ(AnimationHeight("s=12\nsizes=4\n"), 0);
    EXPECT_EQ(HandheldAnimationHeight("s=12\nsizes=4\n"), 0);
    EXPECT_EQ(AnimationHeight("SIZE=99999999999999999999\n"), 320);
    EXPECT_EQ(HandheldAnimationHeight("SIZE=99999999999999999999\n"), 320);
    // The import keeps a height of at least 1; the handheld then keeps its
    // registry height instead.
    EXPECT_EQ(AnimationHeight("size=0"), 1);
    EXPECT_EQ(HandheldAnimationHeight("size=0"), 0);
    EXPECT_EQ(AnimationHeight("size=-40"), 1);
    EXPECT_EQ(HandheldAnimationHeight("size=-40"), 0);
    EXPECT_EQ(HandheldAnimationHeight("size=  +72px"), 72);
    EXPECT_EQ(HandheldAnimationHeight("\0\xff\nsize=\0" "50\nsize=60"sv), 0);  // the NUL ends the number
}

}  // namespace
}  // namespace mrw::formats
