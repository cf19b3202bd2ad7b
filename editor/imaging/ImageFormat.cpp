// Recognition of image files by their first bytes (and, for fax images, by
// the extension of their name).
#include "editor/imaging/ImageFormat.h"

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "base/AsciiText.h"
#include "base/ByteOrder.h"
#include "platform/FileByteSource.h"

namespace mrw {

namespace {

constexpr size_t kProbeSize = 96;

// True when the last three characters of `path` are one of the fax extensions.
bool HasFaxExtension(const std::string& path) {
    if (path.size() < 3) return false;
    const std::string_view tail = std::string_view(path).substr(path.size() - 3);
    static const char* const kFaxTails[] = {"T31", "T42", "T43", "T44", "T2C", "T4C"};
    for (const char* t : kFaxTails)
        if (ascii::EqualsNoCase(tail, t)) return true;
    return false;
}

}  // namespace

int DetectImageFormatOf(const unsigned char* head, size_t size, const std::string& path) {
    // Missing bytes count as zero.
    unsigned char b[kProbeSize] = {};
    if (head && size) std::memcpy(b, head, size < kProbeSize ? size : kProbeSize);

    if (b[0] == 'B' && b[1] == 'M') return kImageBmp;
    if (b[0] == 'I' && b[1] == 'I') return kImageTiff;
    if (b[0] == 10 && b[2] == 1) return kImagePcx;
    if (b[0] == 'G' && b[1] == 'I' && b[2] == 'F') return kImageGif;
    if (b[0] < 0xFF) {
        if (b[0] == 0x89 && b[1] == 'P' && b[2] == 'N' && b[3] == 'G') return kImagePng;
    } else if (b[1] == 0xD8) {
        return kImageJpeg;
    }
    if (le::U32(b + 80) == 0x0106A9D6u && le::U32(b + 84) == 0x201u) return kImageFaxBySignature;
    if (HasFaxExtension(path)) return kImageFaxByName;
    return kImageNotRecognised;
}

int DetectImageFormat(ByteSource& source, const std::string& path) {
    std::vector<uint8_t> head;
    if (!source.ReadUpTo(0, kProbeSize, head)) return -1;
    return DetectImageFormatOf(head.data(), head.size(), path);
}

int DetectImageFormat(const std::string& path) {
    // Something that opens but cannot be read (a folder, on POSIX) is no
    // more a readable file than one that does not open.
    FileByteSource file;
    if (!file.Open(path)) return -1;
    return DetectImageFormat(file, path);
}

}  // namespace mrw
