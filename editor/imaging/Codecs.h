// The decoders and encoders behind DibImage::Load and DibImage::Save
// (internal to the module). Every decoder reads its bytes from a ByteSource
// (a file's through the file entry points, memory's for LoadFromMemory and
// the fuzzers), checks every access against the source's size, refuses images
// beyond kMaxImageSide / kMaxImageBytes with -1 before allocating, and leaves
// `out` untouched unless it succeeds.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/ByteSource.h"
#include "editor/imaging/DibImage.h"

namespace mrw::imaging {

// Sources above this size are not read at all: no supported image within the
// pixel limits needs that much.
constexpr uint64_t kMaxImageFileBytes = uint64_t(512) << 20;

// True when an image of that size and depth stays within the loaders' limits.
bool WithinImageLimits(int64_t width, int64_t height, int bitsPerPixel);

// For the fuzzers, for the rest of the process: pictures above `imageBytes`
// of pixel memory are refused as those above kMaxImageBytes are, and libpng
// cannot allocate more than `libraryAllocation` at once (it allocates text and
// Exif chunks at their declared length, up to 2 GiB, before reading them).
// The largest pictures and chunks a few bytes can declare cost much time and
// memory under the sanitizers and reach no other code. 0 lifts a limit.
void LimitImagesForFuzzing(size_t imageBytes, size_t libraryAllocation);
// The largest single allocation libpng may make; 0 when there is no limit.
size_t LibraryAllocationLimit();

// BMP: the pixels and depth the platform's LoadImage (LR_LOADFROMFILE |
// LR_CREATEDIBSECTION) gives.
int DecodeBmp(ByteSource& source, DibImage& out);
int EncodeBmp(const DibImage& image, std::vector<uint8_t>& out);

// GIF: the first image into an 8-bit image; `transparent` receives
// 0xFF000000 | red << 16 | green << 8 | blue when a transparent index is given, else 0.
int DecodeGif(ByteSource& source, DibImage& out, uint32_t& transparent);
// GIF87a from an image of 8 bits or fewer per pixel.
int EncodeGif(const DibImage& image, std::vector<uint8_t>& out);

// JPEG through libjpeg: 24-bit colour or 8-bit grey.
int DecodeJpeg(ByteSource& source, DibImage& out);
// Baseline, quality 75, from a 24-bit image or an 8-bit grey-ramp image.
int EncodeJpeg(const DibImage& image, std::vector<uint8_t>& out);

// PNG through libpng.
int DecodePng(ByteSource& source, DibImage& out);

// The same decoders on bytes in memory.
inline int DecodeBmp(const uint8_t* data, size_t size, DibImage& out) {
    MemoryByteSource source(data, data ? size : 0);
    return DecodeBmp(source, out);
}
inline int DecodeGif(const uint8_t* data, size_t size, DibImage& out, uint32_t& transparent) {
    MemoryByteSource source(data, data ? size : 0);
    return DecodeGif(source, out, transparent);
}
inline int DecodeJpeg(const uint8_t* data, size_t size, DibImage& out) {
    MemoryByteSource source(data, data ? size : 0);
    return DecodeJpeg(source, out);
}
inline int DecodePng(const uint8_t* data, size_t size, DibImage& out) {
    MemoryByteSource source(data, data ? size : 0);
    return DecodePng(source, out);
}

// The whole content of a source as one block of memory, for the decoders that
// move about in their input: a memory source's own bytes, else a copy read
// from the source.
class SourceBytes {
public:
    // False when the source holds more than kMaxImageFileBytes or cannot be read.
    [[nodiscard]] bool Load(ByteSource& source);
    const uint8_t* data() const { return data_; }
    size_t size() const { return size_; }

private:
    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
    std::vector<uint8_t> copy_;
};

}  // namespace mrw::imaging
