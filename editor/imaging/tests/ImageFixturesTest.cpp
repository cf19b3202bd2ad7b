// The decoders against third-party image collections: sizes and refusals
// against ImageMagick's report (EXPECTED.tsv), pixels against reference
// decodings (giflib's and the GIF suite's raw files, ImageMagick's decoding
// of the BMP files when `convert` is installed).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "editor/imaging/DibImage.h"
#include "testing/TestSupport.h"

namespace mrw {
namespace {

struct Expected {
    std::string file;
    int width = -1, height = -1;
    bool decodes = false;
};

std::vector<Expected> ReadExpected(const std::string& folder) {
    std::vector<Expected> rows;
    std::ifstream in(test::Fixture("images/" + folder + "/EXPECTED.tsv"));
    std::string line;
    std::getline(in, line);  // column names
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string file, format, width, height, decodes;
        std::getline(fields, file, '\t');
        std::getline(fields, format, '\t');
        std::getline(fields, width, '\t');
        std::getline(fields, height, '\t');
        std::getline(fields, decodes, '\t');
        Expected e;
        e.file = file;
        e.width = width == "-" ? -1 : std::atoi(width.c_str());
        e.height = height == "-" ? -1 : std::atoi(height.c_str());
        e.decodes = decodes == "yes";
        rows.push_back(e);
    }
    return rows;
}

// Picture rows top first, 3 bytes red, green, blue per pixel.
std::vector<uint8_t> TopDownRgb(DibImage& image) {
    EXPECT_EQ(0, image.ConvertTo(24));
    std::vector<uint8_t> rgb;
    for (int y = 0; y < image.Height(); ++y) {
        const uint8_t* row = image.Row(y);
        for (int x = 0; x < image.Width(); ++x) {
            rgb.push_back(row[3 * x + 2]);
            rgb.push_back(row[3 * x + 1]);
            rgb.push_back(row[3 * x]);
        }
    }
    return rgb;
}

// Where our choice differs from ImageMagick's report: true = we decode it.
using Choices = std::map<std::string, bool>;

void CheckFolderAgainstExpected(const std::string& folder, const Choices& choices,
                                const std::string& onlyCrashFreePrefix = std::string()) {
    if (!test::FixturesAvailable()) GTEST_SKIP() << "fixtures absent";
    const std::vector<Expected> rows = ReadExpected(folder);
    ASSERT_FALSE(rows.empty());
    int checked = 0;
    for (const Expected& e : rows) {
        SCOPED_TRACE(folder + "/" + e.file);
        DibImage image;
        const int result = image.Load(test::Fixture("images/" + folder + "/" + e.file));
        if (result == 0) {
            EXPECT_GT(image.Width(), 0);
            EXPECT_GT(image.Height(), 0);
            EXPECT_NE(nullptr, image.Bits());
        } else {
            EXPECT_TRUE(image.IsEmpty());
        }
        if (!onlyCrashFreePrefix.empty() && e.file.compare(0, onlyCrashFreePrefix.size(), onlyCrashFreePrefix) == 0)
            continue;
        auto choice = choices.find(e.file);
        const bool shouldDecode = choice != choices.end() ? choice->second : e.decodes;
        if (shouldDecode) {
            ASSERT_EQ(0, result);
            if (e.width > 0) {
                EXPECT_EQ(e.width, image.Width());
                EXPECT_EQ(e.height, image.Height());
            }
        } else {
            EXPECT_NE(0, result);
        }
        ++checked;
    }
    EXPECT_GT(checked, 0);
}

TEST(ImageFixturesTest, BmpSuiteSizesAndRefusals) {
    // Read as the platform's bitmap loader reads them: file size field
    // ignored, palette indexes kept, RLE cut short leaves index 0, header size
    // fields of OS/2 files not checked. Refused like the platform: header
    // sizes other than 12, 40, 108 and 124 bytes; RLE marked top-down.
    const Choices choices = {
        {"b/badfilesize.bmp", true},      {"b/badpalettesize.bmp", true},  {"b/badheadersize.bmp", false},
        {"b/pal8badindex.bmp", true},     {"b/rletopdown.bmp", false},     {"q/pal4rlecut.bmp", true},
        {"q/pal8os2-hs.bmp", true},       {"q/pal8os2-sz.bmp", true},      {"q/pal8os2v2-16.bmp", false},
        {"q/pal8os2v2-40sz.bmp", true},   {"q/pal8os2v2.bmp", false},      {"q/pal8oversizepal.bmp", true},
        {"q/pal8rlecut.bmp", true},       {"q/rgb32h52.bmp", false},       {"q/rgba32h56.bmp", false},
    };
    CheckFolderAgainstExpected("bmpsuite", choices);
}

TEST(ImageFixturesTest, GifCollectionsSizesAndRefusals) {
    // An end code before the last pixel is a damaged file for us.
    // The fuzzer inputs are checked only for clean failure or success: many
    // have a sound first image and damaged later frames.
    const Choices choices = {};
    CheckFolderAgainstExpected("gif", choices, "libnsgif/afl/");
}

TEST(ImageFixturesTest, JpegCollectionsSizesAndRefusals) {
    CheckFolderAgainstExpected("jpeg", Choices{});
}

TEST(ImageFixturesTest, PngSuiteSizesAndRefusals) {
    CheckFolderAgainstExpected("pngsuite", Choices{});
}

TEST(ImageFixturesTest, GifPixelsMatchGiflibReferences) {
    if (!test::FixturesAvailable()) GTEST_SKIP() << "fixtures absent";
    // Single-image files that cover the whole screen.
    for (const char* name : {"gifgrid", "porsche", "treescap", "treescap-interlaced"}) {
        SCOPED_TRACE(name);
        DibImage image;
        ASSERT_EQ(0, image.Load(test::Fixture(std::string("images/gif/giflib/") + name + ".gif")));
        EXPECT_EQ(8, image.BitsPerPixel());
        const std::vector<uint8_t> reference =
            test::ReadBytes(test::Fixture(std::string("images/gif/giflib/reference/") + name + ".rgb"));
        EXPECT_TRUE(TopDownRgb(image) == reference);
    }
}

TEST(ImageFixturesTest, GifPixelsMatchSuiteReferences) {
    if (!test::FixturesAvailable()) GTEST_SKIP() << "fixtures absent";
    // name, reference frame; one opaque frame filling the screen each.
    const std::pair<const char*, const char*> cases[] = {
        {"four-colors", "four-colors"},   {"all-reds", "all-reds"},         {"interlace", "all-reds"},
        {"depth1", "white-dot"},          {"depth8", "white-dot"},
        {"many-clears", "checkerboard"},  {"double-clears", "checkerboard"}, {"no-clear", "white-dot"},
        {"no-eoi", "white-dot"},          {"4095-codes", "random-image"},   {"4095-codes-clear", "random-image"},
        {"large-codes", "random-image"},  {"max-codes", "random-image"},    {"255-codes", "random-image"},
        {"extra-pixels", "white-dot"},    {"local-color-table", "white-dot"}, {"gif87a", "white-dot"},
        {"invalid-transparent", "four-colors"}, {"disabled-transparent", "four-colors"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        DibImage image;
        ASSERT_EQ(0, image.Load(test::Fixture(std::string("images/gif/pygif-suite/") + c.first + ".gif")));
        const std::vector<uint8_t> rgba =
            test::ReadBytes(test::Fixture(std::string("images/gif/pygif-suite/reference/") + c.second + ".rgba"));
        std::vector<uint8_t> rgb;
        for (size_t i = 0; i + 3 < rgba.size(); i += 4) rgb.insert(rgb.end(), &rgba[i], &rgba[i] + 3);
        EXPECT_TRUE(TopDownRgb(image) == rgb);
    }
}

TEST(ImageFixturesTest, GifTransparentIndexBecomesAlpha) {
    if (!test::FixturesAvailable()) GTEST_SKIP() << "fixtures absent";
    DibImage image;
    SaveOptions reported;
    ASSERT_EQ(0, image.Load(test::Fixture("images/gif/pygif-suite/transparent.gif"), &reported));
    ASSERT_EQ(32, image.BitsPerPixel());
    EXPECT_EQ(0xFFu, reported.transparent >> 24);
    const std::vector<uint8_t> rgba =
        test::ReadBytes(test::Fixture("images/gif/pygif-suite/reference/four-colors-transparent.rgba"));
    ASSERT_EQ(size_t(image.Width() * image.Height() * 4), rgba.size());
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) {
            const uint8_t* ref = &rgba[(size_t(y) * image.Width() + x) * 4];
            EXPECT_EQ(ref[3] ? 255 : 0, image.AlphaAt(x, y)) << x << "," << y;
            if (ref[3]) {
                EXPECT_EQ(ref[0], image.Row(y)[4 * x + 2]);
            }
        }
}

// ImageMagick's decoding of a file's first image as top-down RGB, or empty
// when `convert` is not installed.
std::vector<uint8_t> ImageMagickRgb(const std::string& path, const std::string& scratch) {
    const std::string command =
        "convert \"" + path + "[0]\" -depth 8 \"rgb:" + scratch + "\" > /dev/null 2>&1";
    if (std::system(command.c_str()) != 0) return {};
    return test::ReadBytes(scratch);
}

TEST(ImageFixturesTest, BmpPixelsMatchImageMagick) {
    if (!test::FixturesAvailable()) GTEST_SKIP() << "fixtures absent";
    test::TempFolder scratch;
    const char* files[] = {
        "g/pal1.bmp",   "g/pal1bg.bmp",      "g/pal1wb.bmp",       "g/pal4.bmp",      "g/pal4gs.bmp",
        "g/pal4rle.bmp", "g/pal8-0.bmp",     "g/pal8.bmp",         "g/pal8gs.bmp",    "g/pal8nonsquare.bmp",
        "g/pal8os2.bmp", "g/pal8rle.bmp",    "g/pal8topdown.bmp",  "g/pal8v4.bmp",    "g/pal8v5.bmp",
        "g/pal8w124.bmp", "g/pal8w125.bmp",  "g/pal8w126.bmp",     "g/rgb16.bmp",     "g/rgb16bfdef.bmp",
        "g/rgb24.bmp",  "g/rgb24pal.bmp",    "g/rgb32.bmp",        "g/rgb32bf.bmp",   "g/rgb32bfdef.bmp",
        "q/pal1p1.bmp", "q/pal4rletrns.bmp", "q/pal8rletrns.bmp",  "q/pal8offs.bmp",  "q/rgb32-xbgr.bmp",
        "q/rgba16-5551.bmp", "q/rgb24largepal.bmp",
    };
    int compared = 0;
    for (const char* file : files) {
        SCOPED_TRACE(file);
        const std::string path = test::Fixture(std::string("images/bmpsuite/") + file);
        const std::vector<uint8_t> reference = ImageMagickRgb(path, scratch / "ref.rgb");
        if (reference.empty()) GTEST_SKIP() << "ImageMagick's convert is not installed";
        DibImage image;
        ASSERT_EQ(0, image.Load(path));
        EXPECT_TRUE(TopDownRgb(image) == reference);
        ++compared;
    }
    // 5-6-5 files become 5-5-5 images, as with the platform's loader: each
    // channel keeps its top five bits.
    for (const char* file : {"g/rgb16-565.bmp", "g/rgb16-565pal.bmp"}) {
        SCOPED_TRACE(file);
        const std::string path = test::Fixture(std::string("images/bmpsuite/") + file);
        const std::vector<uint8_t> reference = ImageMagickRgb(path, scratch / "ref.rgb");
        if (reference.empty()) GTEST_SKIP() << "ImageMagick's convert is not installed";
        DibImage image;
        ASSERT_EQ(0, image.Load(path));
        EXPECT_EQ(16, image.BitsPerPixel());
        const std::vector<uint8_t> ours = TopDownRgb(image);
        ASSERT_EQ(reference.size(), ours.size());
        size_t differing = 0;
        for (size_t i = 0; i < ours.size(); ++i) differing += (ours[i] >> 3) != (reference[i] >> 3);
        EXPECT_EQ(0u, differing);
    }
    EXPECT_GT(compared, 0);
}

TEST(ImageFixturesTest, BmpDepthsAreTheFilesOwn) {
    if (!test::FixturesAvailable()) GTEST_SKIP() << "fixtures absent";
    const std::pair<const char*, int> cases[] = {
        {"g/pal1.bmp", 1},    {"g/pal4rle.bmp", 4},    {"g/pal8os2.bmp", 8}, {"g/rgb16-565.bmp", 16},
        {"g/rgb24.bmp", 24},  {"g/rgb32bf.bmp", 32},   {"g/pal8v5.bmp", 8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        DibImage image;
        ASSERT_EQ(0, image.Load(test::Fixture(std::string("images/bmpsuite/") + c.first)));
        EXPECT_EQ(c.second, image.BitsPerPixel());
        EXPECT_GT(image.Height(), 0);  // stored bottom-up
    }
    DibImage pal4;
    ASSERT_EQ(0, pal4.Load(test::Fixture("images/bmpsuite/g/pal4gs.bmp")));
    EXPECT_EQ(12, pal4.PaletteSize());  // the file's 12 colours
}

TEST(ImageFixturesTest, PngResultsDepthsAndTables) {
    if (!test::FixturesAvailable()) GTEST_SKIP() << "fixtures absent";
    struct Case {
        const char* file;
        int bits;
    } cases[] = {
        {"basn0g01.png", 1}, {"basn0g02.png", 4}, {"basn0g04.png", 4}, {"basn0g08.png", 8}, {"basn0g16.png", 8},
        {"basn2c08.png", 24}, {"basn2c16.png", 24}, {"basn3p02.png", 4}, {"basn3p08.png", 8}, {"basn4a08.png", 32},
        {"basn6a08.png", 32}, {"tbrn2c08.png", 32}, {"tbbn3p08.png", 32}, {"basi0g04.png", 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        DibImage image;
        ASSERT_EQ(0, image.Load(test::Fixture(std::string("images/pngsuite/") + c.file)));
        EXPECT_EQ(c.bits, image.BitsPerPixel());
        if (c.bits == 32) {
            EXPECT_EQ(uint32_t(kBiBitfields), image.Info().header.compression);
        }
    }
    // Grey tables: 2-bit greys reach white, 4-bit greys step by 17.
    DibImage grey2, grey4;
    ASSERT_EQ(0, grey2.Load(test::Fixture("images/pngsuite/basn0g02.png")));
    EXPECT_EQ(255, grey2.Info().colours[3].red);
    ASSERT_EQ(0, grey4.Load(test::Fixture("images/pngsuite/basn0g04.png")));
    EXPECT_EQ(17 * 9, grey4.Info().colours[9].green);
    // A 2-bit image widened to 4 bits keeps its values 0-3: ImageMagick shows
    // them gamma-corrected as 0, 156, 213 and 255.
    test::TempFolder scratch;
    const std::string path = test::Fixture("images/pngsuite/basn0g02.png");
    const std::vector<uint8_t> reference = ImageMagickRgb(path, scratch / "ref.rgb");
    if (!reference.empty()) {
        ASSERT_EQ(size_t(32 * 32 * 3), reference.size());
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                const int level = reference[(size_t(y) * 32 + x) * 3];
                const int expected = level == 0 ? 0 : level == 156 ? 1 : level == 213 ? 2 : 3;
                ASSERT_EQ(expected, (grey2.Row(y)[x / 2] >> ((x & 1) ? 0 : 4)) & 15) << x << "," << y;
            }
    }
}

TEST(ImageFixturesTest, JpegGreyAndDensity) {
    if (!test::FixturesAvailable()) GTEST_SKIP() << "fixtures absent";
    DibImage grey;
    ASSERT_EQ(0, grey.Load(test::Fixture("images/jpeg/pillow/hopper_gray.jpg")));
    EXPECT_EQ(8, grey.BitsPerPixel());
    EXPECT_EQ(200, grey.Info().colours[200].blue);
    DibImage colour;
    ASSERT_EQ(0, colour.Load(test::Fixture("images/jpeg/libjpeg-turbo/testorig.jpg")));
    EXPECT_EQ(24, colour.BitsPerPixel());
    EXPECT_GT(colour.Info().header.xPelsPerMeter, 0);
}

}  // namespace
}  // namespace mrw
