#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "editor/imaging/DibImage.h"
#include "editor/imaging/tests/OpsTestImages.h"

namespace mrw {
namespace {

using test::MakeImage;
using test::PixelAt;
using test::Rgba;

TEST(Dither, HalvesRoundAwayFromZero) {
    // 8 leaves +8: 7 x 8 / 16 = 3.5 -> 4, which lifts 12 to 16 (level 17).
    // 128 leaves -8: -3.5 -> -4, which drops 147 to 143 (level 136).
    struct Case { int first, second, expected; };
    for (Case c : {Case{8, 12, 17}, Case{128, 147, 136}}) {
        DibImage image, out;
        MakeImage(image, 2, 1, 24, [&](int x, int) { int v = x ? c.second : c.first; return Rgba{v, v, v, 0}; });
        ASSERT_EQ(image.Dither(out), 0);
        EXPECT_EQ(PixelAt(out, 0, 0).r, c.first / 16 * 17);
        EXPECT_EQ(PixelAt(out, 1, 0), (Rgba{c.expected, c.expected, c.expected, 0})) << c.first;
    }
}

TEST(Dither, MatchesPlainFloydSteinberg) {
    const int w = 23, h = 17;
    auto colour = [](int x, int y) { return Rgba{(x * 13 + y * 7) % 256, (x * x + y * 3) % 256, (y * 29 + 5) % 256, 0}; };
    DibImage image, out;
    MakeImage(image, w, h, 24, colour);
    ASSERT_EQ(image.Dither(out), 0);
    ASSERT_EQ(out.Width(), w);
    ASSERT_EQ(out.BitsPerPixel(), 24);
    for (int c = 0; c < 3; ++c) {
        std::vector<double> err(size_t((w + 2) * (h + 1)), 0.0);
        auto at = [&](int x, int y) -> double& { return err[size_t(y * (w + 2) + x + 1)]; };
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                Rgba s = colour(x, y);
                int src = c == 0 ? s.r : c == 1 ? s.g : s.b;
                int v = std::clamp(src + int(at(x, y)), 0, 255);
                int q = v / 16 * 17;
                Rgba got = PixelAt(out, x, y);
                ASSERT_EQ(c == 0 ? got.r : c == 1 ? got.g : got.b, q) << x << "," << y;
                double e = v - q;
                at(x + 1, y) += std::round(7 * e / 16);
                at(x - 1, y + 1) += std::round(3 * e / 16);
                at(x, y + 1) += std::round(5 * e / 16);
                at(x + 1, y + 1) += std::round(e / 16);
            }
    }
}

TEST(Dither, OnlyFromTwentyFourBits) {
    DibImage image, out;
    image.Create(2, 2, 32);
    EXPECT_EQ(image.Dither(out), -1);
}

}  // namespace
}  // namespace mrw
