#include <gtest/gtest.h>

#include <memory>

#include "editor/document/ImageFraming.h"
#include "editor/document/ThemeDocument.h"

namespace mrw {
namespace {

void ExpectCrop(const CropRect& c, int left, int top, int right, int bottom) {
    EXPECT_EQ(c.left, left);
    EXPECT_EQ(c.top, top);
    EXPECT_EQ(c.right, right);
    EXPECT_EQ(c.bottom, bottom);
}

TEST(ImageFraming, LargestCropKeepsTheFramesAspect) {
    // Wider than the Today frame: the full height, the width cut.
    ExpectCrop(LargestCrop(640, 480, FrameFor("TDYWATER.GIF")), 0, 0, 429, 480);
    // Taller than the Start-menu frame: the full width, the height cut.
    ExpectCrop(LargestCrop(150, 1000, FrameFor("stwater.gif")), 0, 0, 150, 290);
    // Exactly the frame.
    ExpectCrop(LargestCrop(240, 268, FrameFor("tdywater.gif")), 0, 0, 240, 268);

    DibImage picture;
    ASSERT_EQ(picture.Create(640, 480, 24), 0);
    ExpectCrop(LargestCropOf(picture, TurnCode::kHalfTurn, FrameFor("tdywater.gif")), 0, 0, 429, 480);
    // A quarter turn frames the picture standing up: 480 x 640.
    ExpectCrop(LargestCropOf(picture, TurnCode::kQuarterAnticlockwise, FrameFor("tdywater.gif")), 0, 0, 480, 536);
}

TEST(ImageFraming, FindOrAddImageAddsOnceAndNeverRetypesAFile) {
    ThemeDocument theme;
    ThemeImage* added = FindOrAddImage(theme, "stwater.gif");
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(theme.StartMenuImage(), added);
    EXPECT_EQ(FindOrAddImage(theme, "STWATER.gif"), added);
    EXPECT_EQ(theme.files.size(), 1u);

    auto plain = std::make_unique<ThemeFile>();
    plain->realName = "tdywater.gif";
    theme.files.push_back(std::move(plain));
    EXPECT_EQ(FindOrAddImage(theme, "tdywater.gif"), nullptr);
    EXPECT_EQ(theme.files.size(), 2u);
}

}  // namespace
}  // namespace mrw
