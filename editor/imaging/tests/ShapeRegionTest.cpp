#include <gtest/gtest.h>

#include "editor/imaging/DibImage.h"
#include "editor/imaging/tests/OpsTestImages.h"

namespace mrw {
namespace {

using test::MakeImage;
using test::Rgba;

TEST(ShapeRegion, RunsOfNonKeyPixelsPerRow) {
    // Row 0: key, A, A, key, B ; row 1: all key ; row 2: A everywhere (alpha ignored).
    const Rgba key{255, 0, 255, 0}, a{1, 2, 3, 0}, b{255, 0, 254, 9};
    DibImage image;
    MakeImage(image, 5, 3, 32, [&](int x, int y) {
        if (y == 1) return Rgba{255, 0, 255, x * 50};
        if (y == 2) return a;
        return x == 0 || x == 3 ? key : x == 4 ? b : a;
    });
    const ShapeRegion& region = image.BuildShapeRegion(MakeColour(255, 0, 255));
    ASSERT_EQ(region.Rects().size(), 3u);
    const RegionRect expected[] = {{1, 0, 3, 1}, {4, 0, 5, 1}, {0, 2, 5, 3}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(region.Rects()[size_t(i)].left, expected[i].left);
        EXPECT_EQ(region.Rects()[size_t(i)].top, expected[i].top);
        EXPECT_EQ(region.Rects()[size_t(i)].right, expected[i].right);
        EXPECT_EQ(region.Rects()[size_t(i)].bottom, expected[i].bottom);
    }
    EXPECT_TRUE(region.Contains(2, 0));
    EXPECT_FALSE(region.Contains(3, 0));
    EXPECT_FALSE(region.Contains(2, 1));
    EXPECT_TRUE(region.Contains(4, 2));
    EXPECT_FALSE(region.Contains(5, 2));
    EXPECT_EQ(&image.Shape(), &region);
}

TEST(ShapeRegion, OtherDepthsGiveEmptyRegion) {
    DibImage image;
    image.Create(4, 4, 8);
    EXPECT_TRUE(image.BuildShapeRegion(0).IsEmpty());
    DibImage rgb;
    MakeImage(rgb, 3, 2, 24, [](int, int) { return Rgba{9, 9, 9, 0}; });
    EXPECT_EQ(rgb.BuildShapeRegion(MakeColour(0, 0, 0)).Rects().size(), 2u);
    EXPECT_TRUE(rgb.BuildShapeRegion(MakeColour(9, 9, 9)).IsEmpty());
}

}  // namespace
}  // namespace mrw
