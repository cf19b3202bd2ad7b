// Image file formats recognised by the editor, and the probe that tells them apart.
#pragma once
#include <string>

#include "base/ByteSource.h"

namespace mrw {

enum ImageFormat : int {
    kImageNotRecognised = 0,
    kImageBmp = 1,
    kImageTiff = 2,
    kImagePcx = 3,
    kImageGif = 4,
    kImageJpeg = 5,
    kImagePng = 6,
    kImageFaxByName = 7,
    kImageFaxBySignature = 8,
};

// Result codes of every image operation.
enum ImageResult : int {
    kImageOk = 0,
    kImageFailed = -1,        // file not opened, memory or bitmap not obtained, decoder failure
    kImageUnsupported = 1,    // format not recognised or not supported
    kImageBadHeader = 2,      // GIF without its signature
    kImageBadDepth = 3,       // bit depth not supported by the operation
    kImageBadArgument = 4,    // sizes differ, rectangle outside, rotation code above 5, empty source
};

// Reads the first 96 bytes of the file (missing bytes count as zero) and
// returns an ImageFormat code, or -1 when the file cannot be opened.
int DetectImageFormat(const std::string& path);

// The same test on the first bytes of a source (-1 when they cannot be read);
// `path` supplies the extension test.
int DetectImageFormat(ByteSource& source, const std::string& path);

// The same test on bytes already in memory; `path` supplies the extension test.
int DetectImageFormatOf(const unsigned char* head, size_t size, const std::string& path);

}  // namespace mrw
