// DibImage's memory and palette handling, the depth conversion, the writers'
// round trips, and the loaders' refusals of damaged or oversized input.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/ByteOrder.h"
#include "editor/imaging/Codecs.h"
#include "editor/imaging/DibImage.h"
#include "platform/Files.h"
#include "platform/Prompter.h"
#include "testing/TestSupport.h"

namespace mrw {
namespace {

// A 24-bit image with a different colour in every pixel.
void MakeGradient(DibImage& image, int width, int height) {
    ASSERT_EQ(0, image.Create(width, height, 24));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = image.Row(y) + 3 * x;
            p[0] = uint8_t(x * 7);
            p[1] = uint8_t(y * 5);
            p[2] = uint8_t(x + y);
        }
}

// An 8-bit image with a 256-colour table and every index in use.
void MakeIndexed(DibImage& image, int width, int height, int bits) {
    ASSERT_EQ(0, image.Create(width, height, bits));
    for (int i = 0; i < 256; ++i) {
        image.Info().colours[i].red = uint8_t(i);
        image.Info().colours[i].green = uint8_t(255 - i);
        image.Info().colours[i].blue = uint8_t(i * 3);
    }
    const int mask = (1 << bits) - 1;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int v = (x * 3 + y * 11 + (x * y) / 7) & mask;
            uint8_t* row = image.Row(y);
            const int perByte = 8 / bits;
            const int shift = (perByte - 1 - x % perByte) * bits;
            row[x / perByte] = uint8_t((row[x / perByte] & ~(mask << shift)) | (v << shift));
        }
}

bool SamePixels(const DibImage& a, const DibImage& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height() || a.BitsPerPixel() != b.BitsPerPixel()) return false;
    const size_t used = (size_t(a.Width()) * a.BitsPerPixel() + 7) / 8;
    for (int y = 0; y < a.Height(); ++y)
        if (std::memcmp(a.Row(y), b.Row(y), used) != 0) return false;
    return true;
}

TEST(DibImageTest, CreateLaysOutBottomUpRowsPaddedToFourBytes) {
    DibImage image;
    ASSERT_EQ(0, image.Create(5, 3, 24));
    EXPECT_EQ(16u, image.Stride());
    EXPECT_EQ(image.Bits() + 2 * 16, image.Row(0));  // top row is the last in memory
    EXPECT_EQ(image.Bits(), image.Row(2));
    EXPECT_EQ(40u, image.Info().header.size);
    EXPECT_EQ(1, image.Info().header.planes);
    EXPECT_EQ(uint32_t(kBiRgb), image.Info().header.compression);
    EXPECT_EQ(4u, DibImage::StrideFor(5, 4));
    EXPECT_EQ(8u, DibImage::StrideFor(33, 1));
    EXPECT_EQ(12u, DibImage::StrideFor(5, 16));
    EXPECT_EQ(20u, DibImage::StrideFor(5, 32));

    ASSERT_EQ(0, image.Create(2, 2, 32));
    EXPECT_EQ(uint32_t(kBiBitfields), image.Info().header.compression);
    uint32_t masks[3];
    std::memcpy(masks, reinterpret_cast<const uint8_t*>(image.Info().colours), sizeof masks);
    EXPECT_EQ(0x00FF0000u, masks[0]);
    EXPECT_EQ(0x0000FF00u, masks[1]);
    EXPECT_EQ(0x000000FFu, masks[2]);
}

TEST(DibImageTest, CreateFailureShowsTheMessageAndKeepsNothing) {
    ScriptedPrompter prompter;
    ScopedPrompter scoped(prompter);
    DibImage image;
    ASSERT_EQ(0, image.Create(4, 4, 8));
    EXPECT_EQ(-1, image.Create(kMaxImageSide + 1, 10, 24));
    EXPECT_TRUE(image.IsEmpty());
    EXPECT_EQ(-1, image.Create(10, 10, 7));
    EXPECT_EQ(-1, image.Create(0, 10, 24));
    ASSERT_EQ(3u, prompter.Messages().size());
    EXPECT_EQ("Erreur \xE0 la cr\xE9" "ation du DIB\n cx=16385,cy=10,bitCount=24", prompter.Messages()[0].text);
    EXPECT_EQ("Erreur \xE0 la cr\xE9" "ation du DIB\n cx=10,cy=10,bitCount=7", prompter.Messages()[1].text);
    // 16384 x 16384 x 32 bits is 1 GiB: beyond the memory limit.
    EXPECT_EQ(-1, image.Create(kMaxImageSide, kMaxImageSide, 32));
}

TEST(DibImageTest, FillPaletteAndAlphaOperations) {
    DibImage image;
    ASSERT_EQ(0, image.Create(3, 2, 24));
    image.Fill(MakeColour(10, 20, 30));
    EXPECT_EQ(30, image.Row(1)[6]);
    EXPECT_EQ(20, image.Row(1)[7]);
    EXPECT_EQ(10, image.Row(1)[8]);
    EXPECT_EQ(0, image.Row(1)[9]);  // padding untouched

    ASSERT_EQ(0, image.Create(3, 2, 8));
    image.FillWhite();
    image.Fill(MakeColour(1, 2, 3));
    EXPECT_EQ(0, image.Row(0)[2]);
    EXPECT_EQ(1, image.Info().colours[0].red);
    EXPECT_EQ(3, image.Info().colours[0].blue);
    image.SetGreyPalette();
    EXPECT_EQ(77, image.Info().colours[77].green);
    PaletteEntry two[2] = {{1, 2, 3, 0}, {4, 5, 6, 0}};
    image.SetPalette(two, 2);
    EXPECT_EQ(2u, image.Info().header.clrUsed);
    EXPECT_EQ(2, image.PaletteSize());
    PaletteEntry read[256];
    EXPECT_EQ(2, GetColourTable(image, 0, 0, read));
    EXPECT_EQ(6, read[1].red);
    EXPECT_EQ(1, GetColourTable(image, 1, 5, read));

    ASSERT_EQ(0, image.Create(3, 2, 32));
    image.SetAlpha(200);
    EXPECT_EQ(200, image.AlphaAt(2, 1));
    EXPECT_EQ(0, image.AlphaAt(3, 0));
    EXPECT_EQ(0, image.AlphaAt(0, -1));
    image.FillWhite();
    EXPECT_EQ(255, image.AlphaAt(0, 0));

    ASSERT_EQ(0, image.Create(3, 2, 4));
    image.FillWhite();  // not for 4 bits
    EXPECT_EQ(0, image.Bits()[0]);
}

TEST(DibImageTest, ConvertToCopiesColoursAndLeavesAlphaZero) {
    DibImage image;
    MakeIndexed(image, 9, 4, 4);
    DibImage copy;
    MakeIndexed(copy, 9, 4, 4);
    ASSERT_EQ(0, image.ConvertTo(32));
    ASSERT_EQ(32, image.BitsPerPixel());
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 9; ++x) {
            const int index = (copy.Row(y)[x / 2] >> ((x & 1) ? 0 : 4)) & 15;
            const uint8_t* p = image.Row(y) + 4 * x;
            EXPECT_EQ(copy.Info().colours[index].blue, p[0]);
            EXPECT_EQ(copy.Info().colours[index].red, p[2]);
            EXPECT_EQ(0, p[3]);
        }
    ASSERT_EQ(0, image.ConvertTo(24));
    EXPECT_EQ(24, image.BitsPerPixel());
    EXPECT_EQ(3, image.ConvertTo(8));

    // 16 bits without masks is 5-5-5; each channel widened by repeating its top bits.
    DibImage high;
    ASSERT_EQ(0, high.Create(1, 1, 16));
    const uint16_t pixel = (31 << 10) | (16 << 5) | 1;
    std::memcpy(high.Bits(), &pixel, 2);
    ASSERT_EQ(0, high.ConvertTo(24));
    EXPECT_EQ(255, high.Bits()[2]);
    EXPECT_EQ(132, high.Bits()[1]);
    EXPECT_EQ(8, high.Bits()[0]);
}

TEST(ImageCodecTest, BmpRoundTripsEveryDepth) {
    test::TempFolder dir;
    for (int bits : {1, 4, 8}) {
        SCOPED_TRACE(bits);
        DibImage image;
        MakeIndexed(image, 13, 7, bits);
        ASSERT_EQ(0, image.Save(dir / "i.bmp", kImageBmp));
        DibImage back;
        ASSERT_EQ(0, back.Load(dir / "i.bmp"));
        EXPECT_TRUE(SamePixels(image, back));
        EXPECT_EQ(0, std::memcmp(image.Info().colours, back.Info().colours, sizeof(PaletteEntry) << bits));
        // The written file: pixel offset after 256 table entries, 5903 pixels per metre.
        const std::vector<uint8_t> bytes = test::ReadBytes(dir / "i.bmp");
        EXPECT_EQ(54u + 1024u, uint32_t(bytes[10] | bytes[11] << 8));
        EXPECT_EQ(5903, bytes[38] | bytes[39] << 8);
        EXPECT_EQ(bytes.size(), size_t(bytes[2] | bytes[3] << 8 | bytes[4] << 16));
    }
    DibImage colour;
    MakeGradient(colour, 11, 5);
    ASSERT_EQ(0, colour.Save(dir / "c.bmp", kImageBmp));
    DibImage back;
    ASSERT_EQ(0, back.Load(dir / "c.bmp"));
    EXPECT_TRUE(SamePixels(colour, back));

    // 32-bit images are written as plain 32-bit pixels and keep their alpha.
    ASSERT_EQ(0, colour.ConvertTo(32));
    colour.SetAlpha(99);
    ASSERT_EQ(0, colour.Save(dir / "a.bmp", kImageBmp));
    ASSERT_EQ(0, back.Load(dir / "a.bmp"));
    EXPECT_TRUE(SamePixels(colour, back));
    EXPECT_EQ(99, back.AlphaAt(3, 3));
}

TEST(ImageCodecTest, SaveChecksFormatAndDepth) {
    test::TempFolder dir;
    DibImage colour;
    MakeGradient(colour, 4, 4);
    EXPECT_EQ(1, colour.Save(dir / "x", 0));
    EXPECT_EQ(1, colour.Save(dir / "x", 9));
    EXPECT_EQ(1, colour.Save(dir / "x.png", kImagePng));
    EXPECT_EQ(1, colour.Save(dir / "x.tif", kImageTiff));
    EXPECT_EQ(3, colour.Save(dir / "x.gif", kImageGif));
    DibImage indexed;
    MakeIndexed(indexed, 4, 4, 8);
    EXPECT_EQ(3, indexed.Save(dir / "x.jpg", kImageJpeg));  // not a grey ramp
    indexed.SetGreyPalette();
    EXPECT_EQ(0, indexed.Save(dir / "grey.jpg", kImageJpeg));
    DibImage grey;
    ASSERT_EQ(0, grey.Load(dir / "grey.jpg"));
    EXPECT_EQ(8, grey.BitsPerPixel());
    // The subtype in the high byte does not change the format.
    EXPECT_EQ(0, colour.Save(dir / "s.bmp", kImageBmp | 0x300));
    EXPECT_EQ(-1, colour.Save(dir / "missing-folder/x.bmp", kImageBmp));
    DibImage empty;
    EXPECT_NE(0, empty.Save(dir / "e.bmp", kImageBmp));
}

TEST(ImageCodecTest, GifRoundTripsAndWritesGif87a) {
    test::TempFolder dir;
    for (int bits : {1, 4, 8}) {
        SCOPED_TRACE(bits);
        DibImage image;
        // Large enough to fill the code table several times.
        MakeIndexed(image, 301, 157, bits);
        ASSERT_EQ(0, image.Save(dir / "i.gif", kImageGif));
        const std::vector<uint8_t> bytes = test::ReadBytes(dir / "i.gif");
        ASSERT_GT(bytes.size(), 13u);
        EXPECT_EQ(0, std::memcmp(bytes.data(), "GIF87a", 6));
        EXPECT_EQ(0x80 | (bits - 1) << 4 | (bits - 1), bytes[10]);
        EXPECT_EQ(0x3B, bytes.back());
        const size_t descriptor = 13 + 3 * (size_t(1) << bits);
        EXPECT_EQ(0x2C, bytes[descriptor]);
        EXPECT_EQ(bits == 1 ? 2 : bits, bytes[descriptor + 10]);  // minimum code size
        DibImage back;
        ASSERT_EQ(0, back.Load(dir / "i.gif"));
        ASSERT_EQ(8, back.BitsPerPixel());
        for (int y = 0; y < image.Height(); ++y)
            for (int x = 0; x < image.Width(); ++x) {
                const int perByte = 8 / bits;
                const int v = (image.Row(y)[x / perByte] >> ((perByte - 1 - x % perByte) * bits)) & ((1 << bits) - 1);
                ASSERT_EQ(v, back.Row(y)[x]) << x << "," << y;
            }
        EXPECT_EQ(image.Info().colours[(1 << bits) - 1].red, back.Info().colours[(1 << bits) - 1].red);
    }
}

TEST(ImageCodecTest, GifEncoderHandlesUniformAndTinyImages) {
    test::TempFolder dir;
    for (int size : {1, 2, 3, 64, 700}) {
        SCOPED_TRACE(size);
        DibImage image;
        ASSERT_EQ(0, image.Create(size, size, 8));
        image.Fill(MakeColour(9, 8, 7));  // one long run: the longest strings
        ASSERT_EQ(0, image.Save(dir / "u.gif", kImageGif));
        DibImage back;
        ASSERT_EQ(0, back.Load(dir / "u.gif"));
        EXPECT_TRUE(SamePixels(image, back));
    }
}

TEST(ImageCodecTest, JpegWritesQuality75BaselineThatReadsBack) {
    test::TempFolder dir;
    DibImage image;
    ASSERT_EQ(0, image.Create(64, 48, 24));
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) {
            uint8_t* p = image.Row(y) + 3 * x;
            p[0] = uint8_t(40 + x);      // blue rises to the right
            p[1] = uint8_t(100 + y);
            p[2] = uint8_t(220 - x);     // red falls
        }
    SaveOptions options;
    options.quality = 10;  // not used: quality is always 75
    ASSERT_EQ(0, image.Save(dir / "a.jpg", kImageJpeg, &options));
    options.quality = 100;
    ASSERT_EQ(0, image.Save(dir / "b.jpg", kImageJpeg, &options));
    const std::vector<uint8_t> a = test::ReadBytes(dir / "a.jpg");
    EXPECT_TRUE(a == test::ReadBytes(dir / "b.jpg"));
    // Baseline: a start-of-frame 0 marker, no progressive one.
    bool sof0 = false, sof2 = false;
    for (size_t i = 0; i + 1 < a.size(); ++i) {
        sof0 |= a[i] == 0xFF && a[i + 1] == 0xC0;
        sof2 |= a[i] == 0xFF && a[i + 1] == 0xC2;
    }
    EXPECT_TRUE(sof0);
    EXPECT_FALSE(sof2);
    DibImage back;
    ASSERT_EQ(0, back.Load(dir / "a.jpg"));
    ASSERT_EQ(24, back.BitsPerPixel());
    ASSERT_EQ(64, back.Width());
    // Lossy, but channel order kept: compare a smooth area.
    int worst = 0;
    for (int x = 8; x < 56; ++x)
        for (int c = 0; c < 3; ++c) worst = std::max(worst, std::abs(back.Row(24)[3 * x + c] - image.Row(24)[3 * x + c]));
    EXPECT_LT(worst, 8);
}

TEST(ImageCodecTest, JpegDensityBecomesPixelsPerMetre) {
    DibImage image;
    MakeGradient(image, 8, 8);
    std::vector<uint8_t> jpeg;
    ASSERT_EQ(0, imaging::EncodeJpeg(image, jpeg));
    // JFIF header: "JFIF\0", version (2 bytes), unit, X and Y density (big-endian).
    const char kJfif[] = "JFIF";
    const auto jfif = std::search(jpeg.begin(), jpeg.end(), kJfif, kJfif + 5);
    ASSERT_NE(jfif, jpeg.end());
    const size_t density = size_t(jfif - jpeg.begin()) + 8;
    // 47545 overflowed an int on the way to pixels per metre.
    jpeg[density] = 0xB9, jpeg[density + 1] = 0xB9;
    jpeg[density + 2] = 0, jpeg[density + 3] = 72;
    DibImage back;
    ASSERT_EQ(0, imaging::DecodeJpeg(jpeg.data(), jpeg.size(), back));
    EXPECT_EQ(1871207, back.Info().header.xPelsPerMeter);  // 47545 * 100005 / 2541
    EXPECT_EQ(2833, back.Info().header.yPelsPerMeter);
}

TEST(ImageCodecTest, LoadRefusesUnsupportedAndMissingFiles) {
    test::TempFolder dir;
    test::WriteBytes(dir / "a.pcx", {10, 5, 1, 8, 0, 0, 0, 0});
    test::WriteBytes(dir / "a.tif", {'I', 'I', 42, 0, 8, 0, 0, 0});
    test::WriteBytes(dir / "a.T4C", {'x', 'y'});
    test::WriteText(dir / "a.txt", "plain text");
    DibImage image;
    ASSERT_EQ(0, image.Create(2, 2, 24));
    EXPECT_EQ(-1, image.Load(dir / "a.pcx"));
    EXPECT_EQ(-1, image.Load(dir / "a.tif"));
    EXPECT_EQ(-1, image.Load(dir / "a.T4C"));
    EXPECT_EQ(1, image.Load(dir / "a.txt"));
    EXPECT_EQ(-1, image.Load(dir / "none.bmp"));
    EXPECT_EQ(2, image.Width());  // a failed load leaves the image as it was
}

TEST(ImageCodecTest, GifHeaderResults) {
    // Not "GIF" at all: 2; "GIF" without either version, also when the file
    // ends inside the version: 1; a good header over a file that ends: -1.
    const std::vector<std::vector<uint8_t>> cases[] = {
        {{'G', 'I', 'X', '8', '9', 'a'}, {'G', 'I'}},
        {{'G', 'I', 'F', '8', '8', 'a', 1, 0, 1, 0, 0, 0, 0}, {'G', 'I', 'F'}, {'G', 'I', 'F', '8', '9'}},
        {{'G', 'I', 'F', '8', '7', 'a'}, {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, 0x3B}},
    };
    const int expected[] = {2, 1, -1};
    for (int k = 0; k < 3; ++k)
        for (const std::vector<uint8_t>& bytes : cases[k]) {
            DibImage image;
            uint32_t transparent = 0;
            EXPECT_EQ(expected[k], imaging::DecodeGif(bytes.data(), bytes.size(), image, transparent))
                << std::string(bytes.begin(), bytes.end());
            EXPECT_TRUE(image.IsEmpty());
        }
    // Through Load, a folder is a file that cannot be opened.
    test::TempFolder dir;
    ASSERT_TRUE(files::CreateFolder(dir / "pictures.gif"));
    DibImage image;
    EXPECT_EQ(-1, image.Load(dir / "pictures.gif"));
}

TEST(ImageCodecTest, FileNamesAreFoundWithoutRegardToCase) {
    test::TempFolder dir;
    DibImage image;
    MakeGradient(image, 3, 3);
    ASSERT_EQ(0, image.Save(dir / "StWater.bmp", kImageBmp));
    DibImage back;
    EXPECT_EQ(0, back.Load(dir / "STWATER.BMP"));
    EXPECT_EQ(kImageBmp, DetectImageFormat(dir / "stwater.bmp"));
    // Windows-style separators in a theme's output path.
    std::string backslashed = dir / "stwater.BMP";
    std::replace(backslashed.begin(), backslashed.end(), '/', '\\');
    EXPECT_EQ(0, back.Load(backslashed));
}

TEST(ImageCodecTest, HugeDeclaredSizesAreRefusedBeforeAllocating) {
    // BMP: 40000 x 40000 at 24 bits with no pixels behind the header.
    std::vector<uint8_t> bmp = {'B', 'M'};
    le::PutU32(bmp, 54);
    le::PutU32(bmp, 0);
    le::PutU32(bmp, 54);
    le::PutU32(bmp, 40);
    le::PutU32(bmp, 40000);
    le::PutU32(bmp, 40000);
    le::PutU16(bmp, 1);
    le::PutU16(bmp, 24);
    for (int i = 0; i < 6; ++i) le::PutU32(bmp, 0);
    DibImage image;
    EXPECT_EQ(-1, image.LoadFromMemory(bmp.data(), bmp.size()));
    // 16000 x 16000 x 32 bits is within the side limit but beyond 256 MiB.
    std::memcpy(&bmp[18], "\x80\x3E\x00\x00\x80\x3E\x00\x00", 8);
    bmp[28] = 32;
    EXPECT_EQ(-1, image.LoadFromMemory(bmp.data(), bmp.size()));

    // GIF: a 65535 x 65535 image.
    std::vector<uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0,
                                0x2C, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 2, 2, 0x4C, 0x01, 0, 0x3B};
    EXPECT_EQ(-1, image.LoadFromMemory(gif.data(), gif.size()));

    // JPEG: a start-of-frame declaring 60000 x 60000.
    std::vector<uint8_t> jpeg = {0xFF, 0xD8, 0xFF, 0xC0, 0, 11, 8, 0xEA, 0x60, 0xEA, 0x60, 1, 1, 0x11, 0,
                                 0xFF, 0xD9};
    EXPECT_EQ(-1, image.LoadFromMemory(jpeg.data(), jpeg.size()));
    EXPECT_TRUE(image.IsEmpty());
}

TEST(ImageCodecTest, PngHugeDeclaredSizeIsRefused) {
    if (!test::FixturesAvailable()) GTEST_SKIP() << "fixtures absent";
    std::vector<uint8_t> png = test::ReadBytes(test::Fixture("images/pngsuite/basn2c08.png"));
    ASSERT_GT(png.size(), 33u);
    // IHDR width and height at 16 and 20; the CRC no longer matches either.
    const uint8_t big[8] = {0, 0, 0x9C, 0x40, 0, 0, 0x9C, 0x40};
    std::memcpy(&png[16], big, 8);
    DibImage image;
    EXPECT_EQ(-1, image.LoadFromMemory(png.data(), png.size()));
}

TEST(ImageCodecTest, TruncatedFilesFailCleanly) {
    if (!test::FixturesAvailable()) GTEST_SKIP() << "fixtures absent";
    for (const char* file : {"images/bmpsuite/g/rgb24.bmp", "images/gif/giflib/porsche.gif",
                             "images/pngsuite/basn2c08.png", "images/jpeg/libjpeg-turbo/testorig.jpg"}) {
        SCOPED_TRACE(file);
        const std::vector<uint8_t> whole = test::ReadBytes(test::Fixture(file));
        // Cut in the header, in the tables and in the middle of the pixels.
        for (size_t cut : {size_t(3), size_t(20), size_t(60), whole.size() / 2}) {
            DibImage image;
            const int result = image.LoadFromMemory(whole.data(), cut);
            // A JPEG cut in its pixels still decodes (the rest grey), every other cut fails.
            const bool jpegPixels = std::string(file).find(".jpg") != std::string::npos && cut > 1000;
            EXPECT_EQ(jpegPixels, result == 0) << cut;
            EXPECT_EQ(result == 0, !image.IsEmpty());
        }
    }
}

TEST(ImageCodecTest, LoadFlattenedPutsAlphaOntoWhite) {
    test::TempFolder dir;
    DibImage image;
    ASSERT_EQ(0, image.Create(2, 1, 32));
    uint8_t* p = image.Row(0);
    p[0] = 0; p[1] = 100; p[2] = 200; p[3] = 128;    // half transparent
    p[4] = 10; p[5] = 20; p[6] = 30; p[7] = 255;     // opaque
    ASSERT_EQ(0, image.Save(dir / "a.bmp", kImageBmp));
    DibImage flat;
    ASSERT_EQ(0, flat.LoadFlattened(dir / "a.bmp"));
    ASSERT_EQ(24, flat.BitsPerPixel());
    EXPECT_EQ((0 * 128 + 127 * 255) / 255, flat.Row(0)[0]);
    EXPECT_EQ((100 * 128 + 127 * 255) / 255, flat.Row(0)[1]);
    EXPECT_EQ((200 * 128 + 127 * 255) / 255, flat.Row(0)[2]);
    EXPECT_EQ(30, flat.Row(0)[5]);

    // A 32-bit BMP whose fourth bytes are all zero has no alpha: kept as it is.
    image.SetAlpha(0);
    ASSERT_EQ(0, image.Save(dir / "b.bmp", kImageBmp));
    ASSERT_EQ(0, flat.LoadFlattened(dir / "b.bmp"));
    EXPECT_EQ(200, flat.Row(0)[2]);
    // Load keeps the bytes as they are.
    DibImage kept;
    ASSERT_EQ(0, kept.Load(dir / "b.bmp"));
    EXPECT_EQ(32, kept.BitsPerPixel());
}

TEST(ImageCodecTest, GifTransparencyThroughLoadOnly) {
    // 2 x 1: index 0 red, index 1 green; index 1 transparent; a third pixel... two pixels: 1, 0.
    std::vector<uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a', 2, 0, 1, 0, 0x80, 0, 0,
                                255, 0, 0, 0, 255, 0,
                                0x21, 0xF9, 4, 1, 0, 0, 1, 0,
                                0x2C, 0, 0, 0, 0, 2, 0, 1, 0, 0,
                                2, 2, 0x4C, 0x01, 0, 0x3B};
    // Codes (3 bits): clear 4, 1, 0, end 5 -> 100 001 000 101 -> bytes 0x0C 0x0A
    gif[gif.size() - 4] = 0x0C;
    gif[gif.size() - 3] = 0x0A;
    test::TempFolder dir;
    test::WriteBytes(dir / "t.gif", gif);
    DibImage image;
    SaveOptions reported;
    ASSERT_EQ(0, image.Load(dir / "t.gif", &reported));
    EXPECT_EQ(0xFF00FF00u, reported.transparent);
    ASSERT_EQ(32, image.BitsPerPixel());
    EXPECT_EQ(0, image.AlphaAt(0, 0));
    EXPECT_EQ(255, image.AlphaAt(1, 0));
    EXPECT_EQ(255, image.Row(0)[4 + 2]);  // red pixel
    DibImage flat;
    ASSERT_EQ(0, flat.LoadFlattened(dir / "t.gif"));
    EXPECT_EQ(8, flat.BitsPerPixel());
}

TEST(ImageCodecTest, GifTransparentColourCoversEveryIndexOfThatColour) {
    // Index 5 is marked transparent; index 9 has the same colour.
    DibImage image;
    ASSERT_EQ(0, image.Create(3, 1, 8));
    image.Info().colours[0] = PaletteEntry{0, 0, 200, 0};
    image.Info().colours[5] = PaletteEntry{10, 20, 30, 0};
    image.Info().colours[9] = PaletteEntry{10, 20, 30, 0};
    image.Row(0)[0] = 5;
    image.Row(0)[1] = 0;
    image.Row(0)[2] = 9;
    test::TempFolder dir;
    ASSERT_EQ(0, image.Save(dir / "plain.gif", kImageGif));
    std::vector<uint8_t> gif = test::ReadBytes(dir / "plain.gif");
    const uint8_t control[] = {0x21, 0xF9, 4, 1, 0, 0, 5, 0};
    gif.insert(gif.begin() + 13 + 768, control, control + sizeof control);
    test::WriteBytes(dir / "t.gif", gif);

    DibImage loaded;
    SaveOptions reported;
    ASSERT_EQ(0, loaded.Load(dir / "t.gif", &reported));
    EXPECT_EQ(0xFF000000u | (30u << 16) | (20u << 8) | 10u, reported.transparent);
    ASSERT_EQ(32, loaded.BitsPerPixel());
    EXPECT_EQ(0, loaded.AlphaAt(0, 0));
    EXPECT_EQ(255, loaded.AlphaAt(1, 0));
    EXPECT_EQ(0, loaded.AlphaAt(2, 0));
    EXPECT_EQ(200, loaded.Row(0)[4 + 2]);
}

}  // namespace
}  // namespace mrw
