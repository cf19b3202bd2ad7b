#include "editor/imaging/ImageFormat.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Files.h"
#include "testing/TestSupport.h"

namespace mrw {
namespace {

int Probe(const std::vector<uint8_t>& bytes, const std::string& name = "x.bin") {
    return DetectImageFormatOf(bytes.data(), bytes.size(), name);
}

TEST(ImageFormatTest, RecognisesSignaturesInOrder) {
    EXPECT_EQ(kImageBmp, Probe({'B', 'M', 0, 0}));
    EXPECT_EQ(kImageTiff, Probe({'I', 'I', 42, 0}));
    EXPECT_EQ(kImagePcx, Probe({10, 5, 1, 8}));
    EXPECT_EQ(kImageGif, Probe({'G', 'I', 'F', '8', '9', 'a'}));
    EXPECT_EQ(kImagePng, Probe({0x89, 'P', 'N', 'G', 13, 10}));
    EXPECT_EQ(kImageJpeg, Probe({0xFF, 0xD8, 0xFF, 0xE0}));
    EXPECT_EQ(kImageNotRecognised, Probe({0xFF, 0xD9}));
    EXPECT_EQ(kImageNotRecognised, Probe({}));
    // "BM" wins over a fax extension; a fax extension wins over nothing.
    EXPECT_EQ(kImageBmp, Probe({'B', 'M'}, "a.t4c"));
    EXPECT_EQ(kImageFaxByName, Probe({'x'}, "picture.t4C"));
    EXPECT_EQ(kImageFaxByName, Probe({}, "C:\\A.T31"));
    EXPECT_EQ(kImageNotRecognised, Probe({}, "a.t45"));
}

TEST(ImageFormatTest, FaxSignatureAtOffset80) {
    std::vector<uint8_t> head(96, 0);
    head[80] = 0xD6; head[81] = 0xA9; head[82] = 0x06; head[83] = 0x01;
    head[84] = 0x01; head[85] = 0x02;
    EXPECT_EQ(kImageFaxBySignature, Probe(head));
    head.resize(86);  // bytes beyond the file count as zero
    EXPECT_EQ(kImageFaxBySignature, Probe(head));
    head.resize(84);
    EXPECT_EQ(kImageNotRecognised, Probe(head));
}

TEST(ImageFormatTest, ProbesFilesAndReportsMissingOnes) {
    test::TempFolder dir;
    test::WriteBytes(dir / "pic.pcx", {10, 5, 1, 8, 0, 0});
    test::WriteBytes(dir / "any.T43", {'G', 'I', 'F'});
    test::WriteBytes(dir / "empty.t44", {});
    EXPECT_EQ(kImagePcx, DetectImageFormat(dir / "pic.pcx"));
    EXPECT_EQ(kImageGif, DetectImageFormat(dir / "any.T43"));
    EXPECT_EQ(kImageFaxByName, DetectImageFormat(dir / "empty.t44"));
    EXPECT_EQ(-1, DetectImageFormat(dir / "missing.gif"));
    // A folder is not a picture file on any platform, even one named like a fax.
    ASSERT_TRUE(files::CreateFolder(dir / "folder.t4c"));
    EXPECT_EQ(-1, DetectImageFormat(dir / "folder.t4c"));
}

}  // namespace
}  // namespace mrw
