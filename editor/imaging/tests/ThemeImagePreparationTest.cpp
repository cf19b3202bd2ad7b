#include <gtest/gtest.h>

#include <functional>

#include "editor/imaging/DibImage.h"
#include "editor/imaging/ThemeImagePreparation.h"
#include "editor/imaging/tests/OpsTestImages.h"
#include "platform/Files.h"
#include "testing/TestSupport.h"

namespace mrw {
namespace {

using test::MakeImage;
using test::PixelAt;
using test::Rgba;

// Colours far apart, each alone in its histogram cell, so that a prepared
// picture made of them comes back exactly.
Rgba Quadrant(int x, int y) {
    static const Rgba colours[] = {{250, 10, 10, 0}, {10, 250, 10, 0}, {10, 10, 250, 0}, {240, 240, 20, 0}};
    return colours[(x >= 50 ? 1 : 0) + (y >= 50 ? 2 : 0)];
}

// One colour per 20 x 20 block: 100 colours in distinct cells.
Rgba Blocks(int x, int y) { return {24 * (x / 20 % 10), 24 * (y / 20 % 10), 128, 0}; }

class PrepareThemeImageTest : public ::testing::Test {
protected:
    void WriteSource(const std::string& name, int w, int h, const std::function<Rgba(int, int)>& f) {
        DibImage image;
        MakeImage(image, w, h, 24, f);
        ASSERT_EQ(image.Save(project_ / name, kImageBmp), 0);
    }

    ThemeImageJob Job(const std::string& name, const std::string& realName) {
        ThemeImageJob job;
        job.projectFolder = project_.path();
        job.name = name;
        job.realName = realName;
        job.todaySourceName = "today.bmp";
        return job;
    }

    // Runs the preparation and loads the written GIF.
    void Prepare(const ThemeImageJob& job, DibImage& out) {
        ASSERT_EQ(PrepareThemeImage(job, output_.path()), 0);
        ASSERT_EQ(out.Load(output_ / job.realName), 0);
        ASSERT_LE(out.BitsPerPixel(), 8);
    }

    static Rgba Rgb(Rgba c) { return {c.r, c.g, c.b, 0}; }

    test::TempFolder project_, output_;
};

TEST_F(PrepareThemeImageTest, SmallTodayPictureIsTiled) {
    WriteSource("today.bmp", 100, 100, Quadrant);
    DibImage out;
    Prepare(Job("today.bmp", "tdywater.gif"), out);
    ASSERT_EQ(out.Width(), 240);
    ASSERT_EQ(out.Height(), 268);
    for (int y : {0, 49, 50, 99, 100, 150, 267})
        for (int x : {0, 49, 50, 120, 199, 239}) EXPECT_EQ(PixelAt(out, x, y), Quadrant(x % 100, y % 100)) << x << "," << y;
}

TEST_F(PrepareThemeImageTest, LargeTodayPictureKeepsItsSize) {
    WriteSource("today.bmp", 300, 280, Blocks);
    DibImage out;
    Prepare(Job("today.bmp", "TDYWATER.GIF"), out);
    EXPECT_EQ(out.Width(), 300);
    EXPECT_EQ(out.Height(), 280);
    EXPECT_EQ(PixelAt(out, 299, 279), Blocks(299, 279));
}

TEST_F(PrepareThemeImageTest, StartPictureWithoutCropIsCutOrKept) {
    WriteSource("small.bmp", 100, 100, Quadrant);
    WriteSource("tall.bmp", 200, 400, Blocks);
    DibImage out;
    Prepare(Job("small.bmp", "stwater.gif"), out);
    EXPECT_EQ(out.Width(), 100);
    EXPECT_EQ(out.Height(), 100);
    EXPECT_EQ(PixelAt(out, 70, 20), Quadrant(70, 20));
    Prepare(Job("tall.bmp", "stwater.gif"), out);
    EXPECT_EQ(out.Width(), 150);
    EXPECT_EQ(out.Height(), 290);
    EXPECT_EQ(PixelAt(out, 149, 289), Blocks(149, 289));
}

TEST_F(PrepareThemeImageTest, CropThenResizeToTodaySize) {
    WriteSource("today.bmp", 200, 200, Blocks);
    ThemeImageJob job = Job("today.bmp", "tdywater.gif");
    job.cropLeft = 20, job.cropTop = 40, job.cropRight = 140, job.cropBottom = 174;  // 120 x 134: doubled
    DibImage out;
    Prepare(job, out);
    ASSERT_EQ(out.Width(), 240);
    ASSERT_EQ(out.Height(), 268);
    for (int y = 0; y < 268; y += 13)
        for (int x = 0; x < 240; x += 11) EXPECT_EQ(PixelAt(out, x, y), Blocks(20 + x / 2, 40 + y / 2)) << x << "," << y;
}

TEST_F(PrepareThemeImageTest, StartCropKeepsAspectAtWidth150) {
    WriteSource("start.bmp", 200, 200, Blocks);
    ThemeImageJob job = Job("start.bmp", "stwater.gif");
    job.cropLeft = 0, job.cropTop = 0, job.cropRight = 100, job.cropBottom = 50;
    DibImage out;
    Prepare(job, out);
    EXPECT_EQ(out.Width(), 150);
    EXPECT_EQ(out.Height(), 75);
    // Target x takes source x * 100 / 150.
    EXPECT_EQ(PixelAt(out, 31, 74), Blocks(int(31 * (100.0 / 150)), int(74 * (50.0 / 75))));
}

TEST_F(PrepareThemeImageTest, RotationAndMirror) {
    WriteSource("today.bmp", 300, 280, Blocks);
    ThemeImageJob job = Job("today.bmp", "tdywater.gif");
    job.rotation = 4;
    DibImage out;
    Prepare(job, out);
    ASSERT_EQ(out.Width(), 280);
    ASSERT_EQ(out.Height(), 300);
    // Clockwise: source (x, y) lands on (h - 1 - y, x).
    for (int y = 0; y < 280; y += 23)
        for (int x = 0; x < 300; x += 29) EXPECT_EQ(PixelAt(out, 279 - y, x), Blocks(x, y));
    job.rotation = 5;
    job.hFlip = 1;  // top to bottom first
    Prepare(job, out);
    ASSERT_EQ(out.Width(), 280);
    for (int y = 0; y < 280; y += 23)
        for (int x = 0; x < 300; x += 29) EXPECT_EQ(PixelAt(out, 279 - y, 299 - x), Blocks(x, y));
    job.rotation = 6;
    EXPECT_EQ(PrepareThemeImage(job, output_.path()), 4);
}

TEST_F(PrepareThemeImageTest, TransparencyBlendsOntoColour) {
    WriteSource("today.bmp", 100, 100, Quadrant);
    ThemeImageJob job = Job("today.bmp", "tdywater.gif");
    job.transparencyColour = MakeColour(0, 0, 0);
    job.transparency = 255;
    DibImage out;
    Prepare(job, out);
    EXPECT_EQ(PixelAt(out, 10, 10), (Rgba{0, 0, 0, 0}));
    EXPECT_EQ(PixelAt(out, 210, 130), (Rgba{0, 0, 0, 0}));
    job.transparency = 100;
    job.transparencyColour = MakeColour(0, 200, 0);
    Prepare(job, out);
    const int a = 155;
    auto mix = [&](int s, int d) { return (s * a + d * (255 - a)) / 255; };
    for (auto [x, y] : {std::pair{10, 10}, {60, 10}, {10, 60}, {60, 60}}) {
        Rgba s = Quadrant(x, y);
        EXPECT_EQ(PixelAt(out, x, y), (Rgba{mix(s.r, 0), mix(s.g, 200), mix(s.b, 0), 0}));
    }
}

TEST_F(PrepareThemeImageTest, IndexedSourcesKeepTheirColours) {
    // An 8-bit GIF as it is, and a 4-bit BMP blended at half weight: both
    // take their pixels through the colour table.
    DibImage gif, bmp;
    gif.Create(240, 268, 8);
    bmp.Create(240, 268, 4);
    gif.Info().colours[1] = PaletteEntry{200, 100, 50, 0};  // blue, green, red
    bmp.Info().colours[1] = PaletteEntry{200, 100, 50, 0};
    for (int y = 0; y < 268; ++y)
        for (int x = 0; x < 120; ++x) {
            gif.Row(y)[x] = 1;
            bmp.Row(y)[x / 2] |= uint8_t(x & 1 ? 0x01 : 0x10);
        }
    ASSERT_EQ(gif.Save(project_ / "today.gif", kImageGif), 0);
    ASSERT_EQ(bmp.Save(project_ / "four.bmp", kImageBmp), 0);
    DibImage out;
    Prepare(Job("today.gif", "tdywater.gif"), out);
    EXPECT_EQ(PixelAt(out, 10, 10), (Rgba{50, 100, 200, 0}));
    EXPECT_EQ(PixelAt(out, 200, 10), (Rgba{0, 0, 0, 0}));
    ThemeImageJob job = Job("four.bmp", "tdywater.gif");
    job.transparency = 128;
    job.transparencyColour = MakeColour(255, 255, 255);
    Prepare(job, out);
    auto mix = [](int s) { return (s * 127 + 255 * 128) / 255; };
    EXPECT_EQ(PixelAt(out, 10, 10), (Rgba{mix(50), mix(100), mix(200), 0}));
    EXPECT_EQ(PixelAt(out, 200, 10), (Rgba{mix(0), mix(0), mix(0), 0}));
}

TEST_F(PrepareThemeImageTest, HandheldColourLevels) {
    WriteSource("today.bmp", 240, 268, [](int x, int) { return x < 120 ? Rgba{100, 150, 200, 0} : Rgba{7, 8, 250, 0}; });
    struct Case { int pdaColours; Rgba left, right; };
    const Case cases[] = {{0, {100, 150, 200, 0}, {7, 8, 250, 0}},
                          {1, {99, 148, 206, 0}, {0, 8, 255, 0}},
                          {2, {102, 153, 204, 0}, {0, 0, 255, 0}},
                          {3, {102, 153, 204, 0}, {0, 0, 255, 0}}};
    for (const Case& c : cases) {
        ThemeImageJob job = Job("today.bmp", "tdywater.gif");
        job.pdaColours = c.pdaColours;
        DibImage out;
        Prepare(job, out);
        EXPECT_EQ(PixelAt(out, 5, 5), c.left) << c.pdaColours;
        EXPECT_EQ(PixelAt(out, 200, 100), c.right) << c.pdaColours;
    }
}

TEST_F(PrepareThemeImageTest, MissingSourcesFallBack) {
    WriteSource("today.bmp", 100, 100, Quadrant);
    DibImage out;
    // A missing Start-menu picture takes the Today picture (cut to at most 150 x 290).
    Prepare(Job("gone.bmp", "stwater.gif"), out);
    EXPECT_EQ(out.Width(), 100);
    EXPECT_EQ(PixelAt(out, 70, 70), Quadrant(70, 70));
    // Otherwise the project's blank picture.
    DibImage blank;
    MakeImage(blank, 240, 268, 24, [](int, int) { return Rgba{255, 255, 255, 0}; });
    ASSERT_EQ(blank.Save(project_ / "Blank.jpg", kImageJpeg), 0);
    Prepare(Job("gone.bmp", "tdywater.gif"), out);
    EXPECT_EQ(out.Width(), 240);
    EXPECT_EQ(out.Height(), 268);
    EXPECT_EQ(PixelAt(out, 3, 3), (Rgba{255, 255, 255, 0}));
}

TEST_F(PrepareThemeImageTest, UnreadableSourceFailsWithoutOutput) {
    test::WriteText(project_ / "today.bmp", "not a picture");
    ThemeImageJob job = Job("today.bmp", "tdywater.gif");
    EXPECT_NE(PrepareThemeImage(job, output_.path()), 0);
    EXPECT_FALSE(files::Exists(output_ / "tdywater.gif"));
}

}  // namespace
}  // namespace mrw
