// Small helpers shared by the pixel operations: pixel access at any depth
// from 1 to 32 bits (packed depths most significant bit first, as bitmap rows
// store them) and creation of a section that inherits another's header.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "editor/imaging/DibImage.h"

namespace mrw::pixels {

inline bool BitAt(const uint8_t* row, size_t bit) {
    return (row[bit >> 3] >> (7 - (bit & 7))) & 1;
}

inline void SetBitAt(uint8_t* row, size_t bit, bool on) {
    uint8_t mask = uint8_t(0x80u >> (bit & 7));
    if (on)
        row[bit >> 3] |= mask;
    else
        row[bit >> 3] &= uint8_t(~mask);
}

// Copies pixel `sx` of `src` to pixel `dx` of `dst`, both rows of depth `bpp`.
inline void CopyPixel(const uint8_t* src, int sx, uint8_t* dst, int dx, int bpp) {
    if ((bpp & 7) == 0) {
        size_t n = size_t(bpp) >> 3;
        std::memcpy(dst + size_t(dx) * n, src + size_t(sx) * n, n);
        return;
    }
    size_t s = size_t(sx) * size_t(bpp);
    size_t d = size_t(dx) * size_t(bpp);
    for (int i = 0; i < bpp; ++i)
        SetBitAt(dst, d + size_t(i), BitAt(src, s + size_t(i)));
}

// Index of pixel x in a row of 1, 2, 4 or 8 bits.
inline int IndexAt(const uint8_t* row, int x, int bpp) {
    switch (bpp) {
    case 8: return row[x];
    case 4: return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F;
    case 2: return (row[x >> 2] >> (6 - 2 * (x & 3))) & 0x03;
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 0x01;
    default: return 0;
    }
}

inline void SetIndexAt(uint8_t* row, int x, int bpp, int index) {
    switch (bpp) {
    case 8: row[x] = uint8_t(index); break;
    case 4: {
        uint8_t& b = row[x >> 1];
        if (x & 1)
            b = uint8_t((b & 0xF0) | (index & 0x0F));
        else
            b = uint8_t((b & 0x0F) | ((index & 0x0F) << 4));
        break;
    }
    case 2: {
        int shift = 6 - 2 * (x & 3);
        uint8_t& b = row[x >> 2];
        b = uint8_t((b & ~(0x03 << shift)) | ((index & 0x03) << shift));
        break;
    }
    case 1: SetBitAt(row, size_t(x), index & 1); break;
    default: break;
    }
}

// How many whole pixels of depth `bpp` fit in a row of `stride` bytes.
inline int PixelsInStride(size_t stride, int bpp) {
    if (bpp <= 0) return 0;
    size_t n = stride * 8 / size_t(bpp);
    return n > size_t(kMaxImageSide) * 2 ? kMaxImageSide * 2 : int(n);
}

// Makes `out` a blank width x height section of depth `bpp` that carries
// `model`'s header fields (resolution, compression, used colours) and colour
// table. Returns Create's result.
inline int CreateLike(const DibImage& model, int width, int height, int bpp, DibImage& out) {
    int rc = out.Create(width, height, bpp);
    if (rc != 0) return rc;
    DibHeader created = out.Info().header;
    out.Info() = model.Info();
    DibHeader& h = out.Info().header;
    h.width = created.width;
    h.height = created.height;
    h.bitCount = created.bitCount;
    h.sizeImage = created.sizeImage;
    if (bpp != model.BitsPerPixel()) {
        h.compression = created.compression;
        h.clrUsed = created.clrUsed;
        h.clrImportant = created.clrImportant;
    }
    return 0;
}

// Exact integer blend of one channel: floor((src * a + dst * (255 - a)) / 255).
inline uint8_t Blend(int src, int dst, int a) {
    return uint8_t((src * a + dst * (255 - a)) / 255);
}

}  // namespace mrw::pixels
