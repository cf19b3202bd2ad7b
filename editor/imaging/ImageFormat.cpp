// Recognition of image files by their first bytes (and, for fax images, by
// the extension of their name).
#include "editor/imaging/ImageFormat.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "editor/imaging/ImageIo.h"

namespace mrw {

namespace {

constexpr size_t kProbeSize = 96;

uint32_t ReadLe32(const unsigned char* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

char Upper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

// True when the last three characters of `path` are one of the fax extensions.
bool HasFaxExtension(const std::string& path) {
    if (path.size() < 3) return false;
    char tail[4] = {Upper(path[path.size() - 3]), Upper(path[path.size() - 2]), Upper(path[path.size() - 1]), 0};
    static const char* const kFaxTails[] = {"T31", "T42", "T43", "T44", "T2C", "T4C"};
    for (const char* t : kFaxTails)
        if (std::strcmp(tail, t) == 0) return true;
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
    if (ReadLe32(b + 80) == 0x0106A9D6u && ReadLe32(b + 84) == 0x201u) return kImageFaxBySignature;
    if (HasFaxExtension(path)) return kImageFaxByName;
    return kImageNotRecognised;
}

int DetectImageFormat(const std::string& path) {
    imaging::FilePtr f = imaging::OpenForReading(path);
    if (!f) return -1;
    unsigned char head[kProbeSize] = {};
    size_t got = std::fread(head, 1, kProbeSize, f.get());
    // Something that opens but cannot be read (a folder, on POSIX) is no
    // more a readable file than one that does not open.
    if (std::ferror(f.get())) return -1;
    return DetectImageFormatOf(head, got, path);
}

}  // namespace mrw
