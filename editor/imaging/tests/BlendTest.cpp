#include <gtest/gtest.h>

#include "editor/imaging/DibImage.h"
#include "editor/imaging/tests/OpsTestImages.h"

namespace mrw {
namespace {

using test::MakeImage;
using test::Pattern;
using test::PixelAt;
using test::Rgba;

int Mix(int src, int dst, int a) { return (src * a + dst * (255 - a)) / 255; }

TEST(Blend, ConstantAlphaEndsAndMiddle) {
    DibImage src, dst;
    MakeImage(src, 5, 3, 24, Pattern);
    for (int alpha : {0, 1, 100, 128, 254, 255}) {
        MakeImage(dst, 5, 3, 24, [](int x, int y) { return Rgba{200 - x, 50 + y, 255, 0}; });
        ASSERT_EQ(dst.BlendFrom(src, alpha), 0);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x) {
                Rgba s = Pattern(x, y), got = PixelAt(dst, x, y);
                EXPECT_EQ(got.r, Mix(s.r, 200 - x, alpha));
                EXPECT_EQ(got.g, Mix(s.g, 50 + y, alpha));
                EXPECT_EQ(got.b, Mix(s.b, 255, alpha));
                if (alpha == 0) { EXPECT_EQ(got, (Rgba{200 - x, 50 + y, 255, 0})); }
                if (alpha == 255) { EXPECT_EQ(got, (Rgba{s.r, s.g, s.b, 0})); }
            }
    }
}

TEST(Blend, SourceDepthsAndRefusals) {
    DibImage dst, src8, src32;
    MakeImage(dst, 2, 2, 24, [](int, int) { return Rgba{0, 0, 0, 0}; });
    src8.Create(2, 2, 8);
    src8.Info().colours[3] = PaletteEntry{30, 20, 10, 0};  // blue, green, red
    src8.Row(1)[1] = 3;
    ASSERT_EQ(dst.BlendFrom(src8, 255), 0);
    EXPECT_EQ(PixelAt(dst, 1, 1), (Rgba{10, 20, 30, 0}));
    // The alpha byte of a 32-bit source is ignored.
    MakeImage(src32, 2, 2, 32, [](int, int) { return Rgba{90, 60, 30, 0}; });
    ASSERT_EQ(dst.BlendFrom(src32, 255), 0);
    EXPECT_EQ(PixelAt(dst, 0, 0), (Rgba{90, 60, 30, 0}));

    DibImage small, four;
    MakeImage(small, 1, 2, 24, Pattern);
    EXPECT_EQ(dst.BlendFrom(small, 10), 4);
    four.Create(2, 2, 4);
    EXPECT_EQ(dst.BlendFrom(four, 10), 3);
    DibImage dst32;
    MakeImage(dst32, 2, 2, 32, Pattern);
    EXPECT_EQ(dst32.BlendFrom(src32, 10), 4);
}

TEST(Composite, ClipsAtRightAndBottomEdges) {
    DibImage dst, src;
    MakeImage(dst, 4, 3, 24, [](int, int) { return Rgba{100, 100, 100, 0}; });
    MakeImage(src, 3, 3, 32, [](int x, int y) { return Rgba{250, 10 * x, 20 * y, 60 * x + 10 * y}; });
    ASSERT_EQ(dst.CompositeOver(2, 1, src), 0);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) {
            Rgba got = PixelAt(dst, x, y);
            if (x < 2 || y < 1) {
                EXPECT_EQ(got, (Rgba{100, 100, 100, 0}));
                continue;
            }
            int i = x - 2, k = y - 1, a = 60 * i + 10 * k;
            EXPECT_EQ(got, (Rgba{Mix(250, 100, a), Mix(10 * i, 100, a), Mix(20 * k, 100, a), 0}));
        }
    EXPECT_EQ(dst.CompositeOver(4, 0, src), 4);
    EXPECT_EQ(dst.CompositeOver(0, 3, src), 4);
    DibImage src24;
    MakeImage(src24, 1, 1, 24, Pattern);
    EXPECT_EQ(dst.CompositeOver(0, 0, src24), 3);
}

TEST(Composite, NegativePositionIsClippedNotWrittenOutside) {
    DibImage dst, src;
    MakeImage(dst, 2, 2, 24, [](int, int) { return Rgba{0, 0, 0, 0}; });
    MakeImage(src, 3, 3, 32, [](int x, int y) { return Rgba{x * 100, y * 100, 7, 255}; });
    ASSERT_EQ(dst.CompositeOver(-1, -1, src), 0);
    EXPECT_EQ(PixelAt(dst, 0, 0), (Rgba{100, 100, 7, 0}));
    EXPECT_EQ(PixelAt(dst, 1, 1), (Rgba{200, 200, 7, 0}));
}

TEST(DrawFrom, EachDepthPair) {
    DibImage src8, src24, src32;
    src8.Create(3, 3, 8);
    src8.Info().colours[9] = PaletteEntry{3, 2, 1, 0};
    for (int y = 0; y < 3; ++y) src8.Row(y)[2] = 9;
    MakeImage(src24, 3, 3, 24, Pattern);
    MakeImage(src32, 3, 3, 32, [](int x, int y) { return Rgba{200, 100, 50, 40 * x + 30 * y}; });

    DibImage d24, d32;
    MakeImage(d24, 4, 4, 24, [](int, int) { return Rgba{10, 20, 30, 0}; });
    ASSERT_EQ(d24.DrawFrom(1, 1, 2, 2, src8, 1, 1), 0);
    EXPECT_EQ(PixelAt(d24, 2, 1), (Rgba{1, 2, 3, 0}));
    EXPECT_EQ(PixelAt(d24, 1, 1), (Rgba{0, 0, 0, 0}));  // index 0 of an empty table
    EXPECT_EQ(PixelAt(d24, 0, 0), (Rgba{10, 20, 30, 0}));
    ASSERT_EQ(d24.DrawFrom(0, 0, 2, 2, src24, 1, 0), 0);
    EXPECT_EQ(PixelAt(d24, 1, 1), (Rgba{Pattern(2, 1).r, Pattern(2, 1).g, Pattern(2, 1).b, 0}));
    ASSERT_EQ(d24.DrawFrom(2, 2, 2, 2, src32, 1, 1), 0);
    int a = 40 + 30;
    // (2, 2) holds entry 9 of the 8-bit source drawn before.
    EXPECT_EQ(PixelAt(d24, 2, 2), (Rgba{Mix(200, 1, a), Mix(100, 2, a), Mix(50, 3, a), 0}));

    MakeImage(d32, 3, 3, 32, [](int, int) { return Rgba{1, 1, 1, 1}; });
    ASSERT_EQ(d32.DrawFrom(0, 0, 3, 1, src8, 0, 0), 0);
    EXPECT_EQ(PixelAt(d32, 2, 0), (Rgba{1, 2, 3, 128}));
    ASSERT_EQ(d32.DrawFrom(0, 1, 3, 1, src24, 0, 2), 0);
    EXPECT_EQ(PixelAt(d32, 1, 1), (Rgba{Pattern(1, 2).r, Pattern(1, 2).g, Pattern(1, 2).b, 128}));

    EXPECT_EQ(d24.DrawFrom(3, 0, 2, 1, src24, 0, 0), 4);
    EXPECT_EQ(d24.DrawFrom(0, 3, 1, 2, src24, 0, 0), 4);
    DibImage src4;
    src4.Create(2, 2, 4);
    EXPECT_EQ(d24.DrawFrom(0, 0, 1, 1, src4, 0, 0), 3);
}

TEST(DrawFrom, StopsWhenSourceRowsRunOut) {
    DibImage dst, src;
    MakeImage(dst, 2, 4, 24, [](int, int) { return Rgba{9, 9, 9, 0}; });
    MakeImage(src, 2, 2, 24, [](int, int) { return Rgba{1, 1, 1, 0}; });
    ASSERT_EQ(dst.DrawFrom(0, 0, 2, 4, src, 0, 1), 0);
    EXPECT_EQ(PixelAt(dst, 0, 0), (Rgba{1, 1, 1, 0}));
    EXPECT_EQ(PixelAt(dst, 0, 1), (Rgba{9, 9, 9, 0}));
}

TEST(DrawFrom, OverOfTwoImagesWithAlpha) {
    // Every combination of a few alphas against the straight-alpha formula.
    const int alphas[] = {0, 1, 77, 128, 200, 255};
    for (int a : alphas)
        for (int d : alphas) {
            DibImage src, dst;
            MakeImage(src, 1, 1, 32, [&](int, int) { return Rgba{240, 130, 7, a}; });
            MakeImage(dst, 1, 1, 32, [&](int, int) { return Rgba{20, 90, 255, d}; });
            ASSERT_EQ(dst.DrawFrom(0, 0, 1, 1, src, 0, 0), 0);
            int A = a + d - a * d / 255;
            Rgba got = PixelAt(dst, 0, 0);
            EXPECT_EQ(got.a, A);
            if (A == 0) {
                EXPECT_EQ(got, (Rgba{20, 90, 255, 0}));
                continue;
            }
            auto over = [&](int s, int t) { return ((255 - a) * t * d + s * a * 255) / (A * 255); };
            EXPECT_EQ(got.r, over(240, 20)) << a << " " << d;
            EXPECT_EQ(got.g, over(130, 90));
            EXPECT_EQ(got.b, over(7, 255));
            if (a == 255) { EXPECT_EQ(got, (Rgba{240, 130, 7, 255})); }
        }
}

TEST(CopyTo, FillsTargetFromRegion) {
    DibImage src, target;
    MakeImage(src, 5, 4, 32, Pattern);
    MakeImage(target, 2, 3, 32, [](int, int) { return Rgba{}; });
    ASSERT_EQ(src.CopyTo(target, 3, 1), 0);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 2; ++x) EXPECT_EQ(PixelAt(target, x, y), Pattern(3 + x, 1 + y));
    EXPECT_EQ(src.CopyTo(target, 4, 1), 4);  // would read past the right edge
    DibImage t24;
    t24.Create(1, 1, 24);
    EXPECT_EQ(src.CopyTo(t24, 0, 0), 3);
}

TEST(MakeTintedFromMask, ColourEverywhereAlphaFromMask) {
    DibImage image, mask;
    image.Create(3, 2, 32);
    mask.Create(3, 2, 8);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) mask.Row(y)[x] = uint8_t(x * 100 + y);
    ASSERT_EQ(image.MakeTintedFromMask(mask, MakeColour(10, 20, 30)), 0);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(PixelAt(image, x, y), (Rgba{10, 20, 30, 255 - (x * 100 + y)}));
    DibImage wrong;
    wrong.Create(2, 2, 8);
    EXPECT_EQ(image.MakeTintedFromMask(wrong, 0), 4);
}

}  // namespace
}  // namespace mrw
