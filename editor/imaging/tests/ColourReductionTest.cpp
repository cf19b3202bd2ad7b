#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "editor/imaging/DibImage.h"
#include "editor/imaging/tests/OpsTestImages.h"

namespace mrw {
namespace {

using test::IndexAt;
using test::MakeImage;
using test::PixelAt;
using test::Rgba;

bool IsWhite(const PaletteEntry& e) { return e.red == 255 && e.green == 255 && e.blue == 255; }

TEST(ReduceColours, TwoColoursGiveOneBit) {
    DibImage image;
    MakeImage(image, 9, 4, 24, [](int x, int y) { return (x + y) % 3 ? Rgba{200, 10, 10, 0} : Rgba{0, 0, 90, 0}; });
    ASSERT_EQ(image.ReduceColours(2, 8), 0);
    EXPECT_EQ(image.BitsPerPixel(), 1);
    EXPECT_EQ(image.Info().header.clrUsed, 0u);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 9; ++x)
            EXPECT_EQ(PixelAt(image, x, y), ((x + y) % 3 ? Rgba{200, 10, 10, 0} : Rgba{0, 0, 90, 0}));
}

TEST(ReduceColours, FewColoursExactInFourBitsWithWhiteUnusedEntries) {
    const Rgba colours[] = {{255, 0, 0, 0}, {0, 255, 0, 0}, {0, 0, 255, 0}, {40, 40, 40, 0}, {250, 250, 0, 0}};
    DibImage image;
    MakeImage(image, 10, 6, 24, [&](int x, int y) { return colours[(x * 2 + y) % 5]; });
    ASSERT_EQ(image.ReduceColours(16, 8), 0);
    ASSERT_EQ(image.BitsPerPixel(), 4);
    std::set<int> used;
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 10; ++x) {
            EXPECT_EQ(PixelAt(image, x, y), colours[(x * 2 + y) % 5]);
            used.insert(IndexAt(image, x, y));
        }
    EXPECT_EQ(used.size(), 5u);
    // Five boxes, numbered from 0; every other entry is white.
    EXPECT_EQ(*used.rbegin(), 4);
    for (int k = 5; k < 256; ++k) EXPECT_TRUE(IsWhite(image.Info().colours[k])) << k;
}

TEST(ReduceColours, PaletteEntryIsTruncatedMeanOfItsBox) {
    // Three values that share one histogram cell: one box, mean (0+0+7)/3 = 2.
    DibImage image;
    MakeImage(image, 3, 1, 24, [](int x, int) { return x == 2 ? Rgba{7, 7, 7, 0} : Rgba{0, 0, 0, 0}; });
    ASSERT_EQ(image.ReduceColours(256, 8), 0);
    EXPECT_EQ(image.BitsPerPixel(), 8);
    const PaletteEntry& e = image.Info().colours[0];
    EXPECT_EQ(e.red, 2);
    EXPECT_EQ(e.green, 2);
    EXPECT_EQ(e.blue, 2);
    EXPECT_TRUE(IsWhite(image.Info().colours[1]));
}

TEST(ReduceColours, LevelTables) {
    struct Case { int bits, in, out; };
    const Case cases[] = {{5, 255, 255}, {5, 8, 8}, {5, 100, 99}, {5, 7, 0}, {5, 130, 132},
                          {4, 100, 102}, {4, 255, 255}, {4, 15, 0}, {8, 123, 123}};
    for (const Case& c : cases) {
        DibImage image;
        MakeImage(image, 2, 2, 24, [&](int, int) { return Rgba{c.in, c.in, c.in, 0}; });
        ASSERT_EQ(image.ReduceColours(2, c.bits), 0);
        EXPECT_EQ(PixelAt(image, 1, 1), (Rgba{c.out, c.out, c.out, 0})) << c.bits << " " << c.in;
    }
}

TEST(ReduceColours, DepthAndCountChecks) {
    DibImage image;
    MakeImage(image, 2, 2, 24, [](int x, int) { return Rgba{x * 255, 0, 0, 0}; });
    EXPECT_EQ(image.ReduceColours(1, 8), 4);
    EXPECT_EQ(image.ReduceColours(257, 8), 4);
    EXPECT_EQ(image.BitsPerPixel(), 24);
    DibImage indexed;
    indexed.Create(2, 2, 8);
    EXPECT_EQ(indexed.ReduceColours(16, 8), 0);
    EXPECT_EQ(indexed.BitsPerPixel(), 8);
    // A 32-bit picture is converted to 24 bits first.
    DibImage deep;
    MakeImage(deep, 3, 3, 32, [](int x, int) { return Rgba{x * 100, 5, 5, 0}; });
    ASSERT_EQ(deep.ReduceColours(4, 8), 0);
    EXPECT_EQ(deep.BitsPerPixel(), 4);
    EXPECT_EQ(PixelAt(deep, 2, 1), (Rgba{200, 5, 5, 0}));
}

// An independent, plain version of the mapping for a grey picture reduced to
// two colours: the single cut lies on the red axis, so a pixel takes entry 0
// exactly when the red cell of its adjusted value is at most `cut`.
std::vector<int> ExpectedIndices(const std::vector<std::vector<int>>& memoryRows, int cut, int low, int high) {
    const int h = int(memoryRows.size()), w = int(memoryRows[0].size());
    std::vector<std::vector<int>> err(size_t(h + 1), std::vector<int>(size_t(w), 0));
    std::vector<int> out(size_t(w * h));
    for (int m = 0; m < h; ++m) {
        const bool leftToRight = m % 2 == 0;
        for (int s = 0; s < w; ++s) {
            const int x = leftToRight ? s : w - 1 - s, d = leftToRight ? 1 : -1;
            const int v = memoryRows[size_t(m)][size_t(x)];
            int adjusted = (16 * v + err[size_t(m)][size_t(x)]) / 16;
            adjusted = std::min(255, std::max(0, adjusted));
            const int index = (adjusted >> 3) + 1 <= cut ? 0 : 1;
            out[size_t(m * w + x)] = index;
            const int e = v - (index ? high : low);
            auto add = [&](int row, int col, int amount) {
                if (col >= 0 && col < w) err[size_t(row)][size_t(col)] += amount;
            };
            add(m, x + d, 7 * e);
            add(m + 1, x - d, 3 * e);
            add(m + 1, x, 5 * e);
            add(m + 1, x + d, e);
        }
    }
    return out;
}

TEST(ReduceColours, SerpentineErrorDiffusionInMemoryOrder) {
    const int w = 16, h = 9;
    auto grey = [](int x, int y) { return (x * 255 / 15 + y * 23) % 256; };
    DibImage image;
    MakeImage(image, w, h, 24, [&](int x, int y) { int v = grey(x, y); return Rgba{v, v, v, 0}; });
    ASSERT_EQ(image.ReduceColours(2, 8), 0);
    ASSERT_EQ(image.BitsPerPixel(), 1);
    const PaletteEntry low = image.Info().colours[0], high = image.Info().colours[1];
    ASSERT_LT(low.red, high.red);
    std::vector<std::vector<int>> rows;  // memory order: bottom row first
    for (int m = 0; m < h; ++m) {
        std::vector<int> row;
        for (int x = 0; x < w; ++x) row.push_back(grey(x, h - 1 - m));
        rows.push_back(row);
    }
    // The cut is the lowest red cell that splits the values into two sets
    // with these means (a tie between cuts goes to the first).
    int cut = -1;
    for (int c = 1; c < 32 && cut < 0; ++c) {
        long sum[2] = {0, 0}, n[2] = {0, 0};
        for (const auto& row : rows)
            for (int v : row) {
                int side = (v >> 3) + 1 <= c ? 0 : 1;
                sum[side] += v, ++n[side];
            }
        if (n[0] && n[1] && sum[0] / n[0] == low.red && sum[1] / n[1] == high.red) cut = c;
    }
    ASSERT_GT(cut, 0);
    const std::vector<int> expected = ExpectedIndices(rows, cut, low.red, high.red);
    int moved = 0;
    for (int m = 0; m < h; ++m)
        for (int x = 0; x < w; ++x) {
            EXPECT_EQ(IndexAt(image, x, h - 1 - m), expected[size_t(m * w + x)]) << x << "," << m;
            moved += expected[size_t(m * w + x)] != ((rows[size_t(m)][size_t(x)] >> 3) + 1 > cut);
        }
    // The case must exercise the diffusion, not just the threshold.
    EXPECT_GT(moved, 5);
}

// Two clusters of 16,384 pixels, each split evenly between two colours 200
// apart on one channel: green on the left, blue on the right. One right-hand
// pixel lies one step further out, so the right cluster's variance is larger
// by about 200 out of 3.3e8 and its sums of squares run near 3e9. With three
// colours the first cut parts the clusters and the second must split the
// right one; variances rounded to single precision cannot tell them apart.
TEST(ReduceColours, SplitsTheBoxOfLargestVarianceEvenByAHair) {
    const int w = 256, h = 128;
    auto colour = [&](int x, int y) {
        const bool on = (x + y) % 2 == 0;
        if (x == w - 1 && y == 1) return Rgba{255, 0, 201, 0};
        return x < w / 2 ? Rgba{0, on ? 200 : 0, 0, 0} : Rgba{255, 0, on ? 200 : 0, 0};
    };
    DibImage image;
    MakeImage(image, w, h, 24, colour);
    ASSERT_EQ(image.ReduceColours(3, 8), 0);
    ASSERT_EQ(image.BitsPerPixel(), 4);
    int keptRight = 0, keptLeft = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool kept = PixelAt(image, x, y) == colour(x, y);
            (x < w / 2 ? keptLeft : keptRight) += kept;
        }
    // The right cluster keeps its two colours (the outlying pixel takes 200);
    // the left one is drawn with its mean, (0, 100, 0).
    EXPECT_EQ(keptRight, w / 2 * h - 1);
    EXPECT_EQ(keptLeft, 0);
    const PaletteEntry& left = image.Info().colours[IndexAt(image, 0, 0)];
    EXPECT_EQ(left.red, 0);
    EXPECT_EQ(left.green, 100);
    EXPECT_EQ(left.blue, 0);
}

TEST(ReduceColours, PhotographLikeImageUsesManyEntries) {
    DibImage image;
    MakeImage(image, 64, 48, 24, [](int x, int y) { return Rgba{x * 4, y * 5, (x * y) % 256, 0}; });
    ASSERT_EQ(image.ReduceColours(256, 5), 0);
    ASSERT_EQ(image.BitsPerPixel(), 8);
    std::set<int> used;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) used.insert(IndexAt(image, x, y));
    EXPECT_GT(used.size(), 200u);
    // Dithering spreads the error, so compare averages over small blocks.
    for (int by = 0; by < 48; by += 8)
        for (int bx = 0; bx < 64; bx += 8) {
            double got[3] = {0, 0, 0}, want[3] = {0, 0, 0};
            for (int y = by; y < by + 8; ++y)
                for (int x = bx; x < bx + 8; ++x) {
                    Rgba p = PixelAt(image, x, y);
                    got[0] += p.r, got[1] += p.g, got[2] += p.b;
                    want[0] += x * 4, want[1] += y * 5, want[2] += (x * y) % 256;
                }
            for (int c = 0; c < 2; ++c) EXPECT_NEAR(got[c] / 64, want[c] / 64, 10) << bx << "," << by;
        }
}

}  // namespace
}  // namespace mrw
