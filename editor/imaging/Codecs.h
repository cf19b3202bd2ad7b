// The decoders and encoders behind DibImage::Load and DibImage::Save
// (internal to the module). Every decoder reads from a buffer in memory,
// checks every access against its size, refuses images beyond
// kMaxImageSide / kMaxImageBytes with -1 before allocating, and leaves `out`
// untouched unless it succeeds.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "editor/imaging/DibImage.h"

namespace mrw::imaging {

// True when an image of that size and depth stays within the loaders' limits.
bool WithinImageLimits(int64_t width, int64_t height, int bitsPerPixel);

// BMP: the pixels and depth the platform's LoadImage (LR_LOADFROMFILE |
// LR_CREATEDIBSECTION) gives.
int DecodeBmp(const uint8_t* data, size_t size, DibImage& out);
int EncodeBmp(const DibImage& image, std::vector<uint8_t>& out);

// GIF: the first image into an 8-bit image; `transparent` receives
// 0xFF000000 | red << 16 | green << 8 | blue when a transparent index is given, else 0.
int DecodeGif(const uint8_t* data, size_t size, DibImage& out, uint32_t& transparent);
// GIF87a from an image of 8 bits or fewer per pixel.
int EncodeGif(const DibImage& image, std::vector<uint8_t>& out);

// JPEG through libjpeg: 24-bit colour or 8-bit grey.
int DecodeJpeg(const uint8_t* data, size_t size, DibImage& out);
// Baseline, quality 75, from a 24-bit image or an 8-bit grey-ramp image.
int EncodeJpeg(const DibImage& image, std::vector<uint8_t>& out);

// PNG through libpng.
int DecodePng(const uint8_t* data, size_t size, DibImage& out);

// Little-endian readers over a bounded buffer.
inline uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t Le32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline void PutLe16(std::vector<uint8_t>& v, uint32_t x) {
    v.push_back(uint8_t(x)); v.push_back(uint8_t(x >> 8));
}
inline void PutLe32(std::vector<uint8_t>& v, uint32_t x) {
    PutLe16(v, x & 0xFFFF); PutLe16(v, x >> 16);
}

}  // namespace mrw::imaging
