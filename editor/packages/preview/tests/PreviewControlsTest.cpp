#include <gtest/gtest.h>

#include "editor/packages/preview/PreviewControls.h"

namespace mrw {
namespace {

TEST(ColourPlaceholder, IndexRunsToThePercentSign) {
    std::string index;
    ASSERT_TRUE(ParseColourPlaceholder("%hklm,Software\\Microsoft\\Color,12%", index));
    EXPECT_EQ(index, "12");
}

}  // namespace
}  // namespace mrw
