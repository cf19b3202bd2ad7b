#include <gtest/gtest.h>

#include <vector>

#include "editor/imaging/DibImage.h"
#include "editor/imaging/tests/OpsTestImages.h"

namespace mrw {
namespace {

using test::IndexAt;
using test::MakeImage;
using test::Pattern;
using test::PixelAt;
using test::Rgba;

std::vector<uint8_t> Snapshot(const DibImage& image) {
    return std::vector<uint8_t>(image.Bits(), image.Bits() + image.Stride() * size_t(image.Height()));
}

// An indexed image whose pixel (x, y) has index f(x, y).
void MakeIndexed(DibImage& image, int w, int h, int bpp, int (*f)(int, int)) {
    image.Create(w, h, bpp);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* row = image.Row(y);
            int v = f(x, y);
            if (bpp == 8) row[x] = uint8_t(v);
            else if (bpp == 4) row[x / 2] |= uint8_t((v & 15) << ((x & 1) ? 0 : 4));
            else row[x / 8] |= uint8_t((v & 1) << (7 - (x & 7)));
        }
}

// The pattern as a 24-bit image stores it.
Rgba Opaque(int x, int y) {
    Rgba p = Pattern(x, y);
    return {p.r, p.g, p.b, 0};
}

int Index4(int x, int y) { return (x * 3 + y * 5) & 15; }
int Index1(int x, int y) { return ((x * 7 + y * 3) >> 1) & 1; }

TEST(Crop, RegionAndBounds) {
    DibImage image;
    MakeImage(image, 10, 8, 24, Pattern);
    ASSERT_EQ(image.Crop(2, 3, 5, 4), 0);
    EXPECT_EQ(image.Width(), 5);
    EXPECT_EQ(image.Height(), 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(PixelAt(image, x, y), Opaque(x + 2, y + 3));
    EXPECT_EQ(image.Crop(1, 0, 5, 1), 4);
    EXPECT_EQ(image.Crop(0, 1, 1, 4), 4);
    EXPECT_EQ(image.CropToRect(0, 0, 6, 2), 4);
    EXPECT_EQ(image.Crop(-1, 0, 2, 2), 4);
    EXPECT_EQ(image.Width(), 5);
    ASSERT_EQ(image.CropToRect(1, 1, 3, 4), 0);
    EXPECT_EQ(image.Width(), 2);
    EXPECT_EQ(image.Height(), 3);
    EXPECT_EQ(PixelAt(image, 1, 2), Opaque(4, 6));
}

TEST(Crop, PackedDepthKeepsPaletteAndBits) {
    DibImage image;
    MakeIndexed(image, 13, 5, 4, Index4);
    image.Info().colours[5] = PaletteEntry{1, 2, 3, 0};
    ASSERT_EQ(image.Crop(3, 1, 7, 3), 0);
    EXPECT_EQ(image.Info().colours[5].red, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 7; ++x) EXPECT_EQ(IndexAt(image, x, y), Index4(x + 3, y + 1));
}

TEST(Tile, TodaySizeRepeatsFromTopLeft) {
    DibImage image;
    MakeImage(image, 100, 100, 24, Pattern);
    ASSERT_EQ(image.Tile(240, 268), 0);
    EXPECT_EQ(image.Width(), 240);
    EXPECT_EQ(image.Height(), 268);
    EXPECT_EQ(image.BitsPerPixel(), 24);
    for (int y : {0, 99, 100, 199, 267})
        for (int x : {0, 57, 100, 239}) {
            Rgba p = Pattern(x % 100, y % 100);
            EXPECT_EQ(PixelAt(image, x, y), (Rgba{p.r, p.g, p.b, 0}));
        }
}

TEST(Tile, ConvertsOtherDepthsFirst) {
    DibImage image;
    MakeIndexed(image, 3, 2, 8, [](int x, int y) { return x + 3 * y; });
    for (int i = 0; i < 6; ++i) image.Info().colours[i] = PaletteEntry{uint8_t(i), uint8_t(10 * i), 200, 0};
    ASSERT_EQ(image.Tile(7, 5), 0);
    EXPECT_EQ(image.BitsPerPixel(), 24);
    EXPECT_EQ(PixelAt(image, 4, 3), (Rgba{200, 10 * 4, 4, 0}));  // source (1, 1), index 4
}

TEST(Resize, NearestNeighbourSampling) {
    DibImage image;
    MakeImage(image, 7, 5, 24, Pattern);
    ASSERT_EQ(image.Resize(16, 3, false, false), 0);
    ASSERT_EQ(image.Width(), 16);
    ASSERT_EQ(image.Height(), 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 16; ++x) {
            int sx = int(double(x) * (7.0 / 16.0)), sy = int(double(y) * (5.0 / 3.0));
            Rgba p = Pattern(sx, sy);
            EXPECT_EQ(PixelAt(image, x, y), (Rgba{p.r, p.g, p.b, 0})) << x << "," << y;
        }
}

TEST(Resize, KeepAspectAndShrinkOnly) {
    struct Case { int sw, sh, w, h; bool shrinkOnly, keep; int ew, eh; };
    const Case cases[] = {
        {200, 100, 100, 100, false, true, 100, 50},   // wider: width kept
        {100, 200, 100, 100, false, true, 50, 100},   // taller: height kept
        {100, 100, 300, 150, false, true, 150, 150},
        {30, 20, 60, 60, true, true, 60, 60},         // growing with shrinkOnly: no fitting
        {30, 20, 15, 60, true, true, 15, 10},         // narrower target: fitted
        {30, 20, 60, 60, false, false, 60, 60},
        {1000, 1, 10, 10, false, true, 10, 1},        // never below one pixel
    };
    for (const Case& c : cases) {
        DibImage image;
        MakeImage(image, c.sw, c.sh, 24, Pattern);
        ASSERT_EQ(image.Resize(c.w, c.h, c.shrinkOnly, c.keep), 0);
        EXPECT_EQ(image.Width(), c.ew) << c.sw << "x" << c.sh << " -> " << c.w << "x" << c.h;
        EXPECT_EQ(image.Height(), c.eh) << c.sw << "x" << c.sh << " -> " << c.w << "x" << c.h;
    }
    DibImage image;
    MakeImage(image, 4, 4, 24, Pattern);
    EXPECT_EQ(image.Resize(0, 4, false, false), 4);
}

TEST(Resize, PackedDepthsBitByBit) {
    DibImage one, four;
    MakeIndexed(one, 11, 3, 1, Index1);
    MakeIndexed(four, 5, 4, 4, Index4);
    ASSERT_EQ(one.Resize(23, 7, false, false), 0);
    ASSERT_EQ(four.Resize(9, 3, false, false), 0);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 23; ++x)
            EXPECT_EQ(IndexAt(one, x, y), Index1(int(x * (11.0 / 23)), int(y * (3.0 / 7))));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 9; ++x)
            EXPECT_EQ(IndexAt(four, x, y), Index4(int(x * (5.0 / 9)), int(y * (4.0 / 3))));
}

TEST(Turn, QuarterTurnsMovePixels) {
    DibImage image;
    MakeImage(image, 5, 3, 32, Pattern);
    ASSERT_EQ(image.Turn(TurnCode::kQuarterClockwise), 0);
    ASSERT_EQ(image.Width(), 3);
    ASSERT_EQ(image.Height(), 5);
    // Clockwise: (x, y) -> (h - 1 - y, x).
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(PixelAt(image, 3 - 1 - y, x), Pattern(x, y));
    DibImage other;
    MakeImage(other, 5, 3, 24, Pattern);
    ASSERT_EQ(other.Turn(TurnCode::kQuarterAnticlockwise), 0);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            Rgba p = Pattern(x, y);
            EXPECT_EQ(PixelAt(other, y, 5 - 1 - x), (Rgba{p.r, p.g, p.b, 0}));
        }
}

TEST(Turn, FourThenFiveIsIdentityAtEveryDepth) {
    for (int bpp : {1, 4, 8, 16, 24, 32}) {
        DibImage image;
        image.Create(9, 4, bpp);
        uint8_t* bits = image.Bits();
        for (size_t i = 0; i < image.Stride() * 4; ++i) bits[i] = uint8_t(i * 37 + 11);
        // Padding bits beyond the width are not part of the picture.
        DibImage reference;
        reference.Create(9, 4, bpp);
        std::copy(bits, bits + image.Stride() * 4, reference.Bits());
        reference.Resize(9, 4, false, false);  // copies only the pixels
        ASSERT_EQ(image.Turn(TurnCode::kQuarterClockwise), 0) << bpp;
        EXPECT_EQ(image.Width(), 4);
        ASSERT_EQ(image.Turn(TurnCode::kQuarterAnticlockwise), 0) << bpp;
        EXPECT_EQ(image.Width(), 9);
        EXPECT_EQ(Snapshot(image), Snapshot(reference)) << bpp;
    }
}

TEST(Turn, BadCodeLeavesImage) {
    DibImage image;
    MakeImage(image, 3, 2, 24, Pattern);
    auto before = Snapshot(image);
    EXPECT_EQ(image.Turn(static_cast<TurnCode>(6)), 4);
    EXPECT_EQ(image.Turn(static_cast<TurnCode>(-1)), 4);
    EXPECT_EQ(image.Turn(TurnCode::kNone), 0);
    EXPECT_EQ(Snapshot(image), before);
    EXPECT_EQ(image.Width(), 3);
    DibImage two;
    two.Create(4, 4, 2);
    if (!two.IsEmpty()) {
        EXPECT_EQ(two.Turn(TurnCode::kQuarterClockwise), 3);
    }
}

TEST(Turn, Mirrors) {
    for (int bpp : {1, 4, 8, 24, 32}) {
        DibImage base;
        base.Create(11, 3, bpp);
        for (size_t i = 0; i < base.Stride() * 3; ++i) base.Bits()[i] = uint8_t(i * 53 + 7);
        base.Resize(11, 3, false, false);  // clears the padding
        for (int code = 1; code <= 3; ++code) {
            DibImage image;
            image.Create(11, 3, bpp);
            std::copy(base.Bits(), base.Bits() + base.Stride() * 3, image.Bits());
            ASSERT_EQ(image.Turn(static_cast<TurnCode>(code)), 0);
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < 11; ++x) {
                    int sx = code == 2 ? x : 10 - x;
                    int sy = code == 1 ? y : 2 - y;
                    if (bpp <= 8)
                        EXPECT_EQ(IndexAt(image, x, y), IndexAt(base, sx, sy)) << bpp << " " << code;
                    else
                        EXPECT_EQ(PixelAt(image, x, y), PixelAt(base, sx, sy)) << bpp << " " << code;
                }
        }
    }
    DibImage image;
    MakeImage(image, 2, 2, 24, Pattern);
    ASSERT_EQ(image.FlipVertical(), 0);
    EXPECT_EQ(PixelAt(image, 1, 0), (Rgba{Pattern(1, 1).r, Pattern(1, 1).g, Pattern(1, 1).b, 0}));
}

}  // namespace
}  // namespace mrw
