// Blending, compositing and region copies between images.
#include <algorithm>

#include "editor/imaging/DibImage.h"
#include "editor/imaging/PixelAccess.h"

namespace mrw {

using pixels::Blend;

int DibImage::BlendFrom(const DibImage& source, int alpha) {
    if (BitsPerPixel() != 24 || IsEmpty() || source.IsEmpty() || source.Width() != Width() ||
        source.Height() != Height())
        return kImageBadArgument;
    int sbpp = source.BitsPerPixel();
    if (sbpp != 8 && sbpp != 24 && sbpp != 32) return kImageBadDepth;
    // Out-of-range weights would make a channel negative or above 255.
    const int a = std::clamp(alpha, 0, 255);
    const int w = Width(), h = Height();
    const size_t stride = Stride(), sstride = source.Stride();
    const PaletteEntry* table = source.Info().colours;
    for (int m = 0; m < h; ++m) {
        uint8_t* d = Bits() + stride * size_t(m);
        const uint8_t* s = source.Bits() + sstride * size_t(m);
        for (int x = 0; x < w; ++x, d += 3) {
            int b, g, r;
            if (sbpp == 8) {
                const PaletteEntry& e = table[s[x]];
                b = e.blue, g = e.green, r = e.red;
            } else {
                const uint8_t* p = s + size_t(x) * size_t(sbpp / 8);
                b = p[0], g = p[1], r = p[2];
            }
            d[0] = Blend(b, d[0], a);
            d[1] = Blend(g, d[1], a);
            d[2] = Blend(r, d[2], a);
        }
    }
    return kImageOk;
}

int DibImage::CompositeOver(int x, int y, const DibImage& source) {
    if (BitsPerPixel() != 24 || source.BitsPerPixel() != 32) return kImageBadDepth;
    if (x >= Width() || y >= Height()) return kImageBadArgument;
    if (IsEmpty() || source.IsEmpty()) return kImageBadArgument;
    // Parts of the source left of or above this image are clipped as well.
    const int sw = source.Width(), sh = source.Height();
    const int k0 = std::max(0, -y), i0 = std::max(0, -x);
    for (int k = k0; k < sh && y + k < Height(); ++k) {
        const uint8_t* s = source.Row(k);
        uint8_t* d = Row(y + k);
        for (int i = i0; i < sw && x + i < Width(); ++i) {
            const uint8_t* p = s + size_t(i) * 4;
            uint8_t* q = d + size_t(x + i) * 3;
            int a = p[3];
            q[0] = Blend(p[0], q[0], a);
            q[1] = Blend(p[1], q[1], a);
            q[2] = Blend(p[2], q[2], a);
        }
    }
    return kImageOk;
}

int DibImage::DrawFrom(int x, int y, int width, int height, const DibImage& source, int sourceX,
                       int sourceY) {
    if (IsEmpty() || source.IsEmpty()) return kImageBadArgument;
    if (x < 0 || y < 0 || width < 0 || height < 0 || sourceX < 0 || sourceY < 0 ||
        int64_t(x) + width > Width() || int64_t(y) + height > Height())
        return kImageBadArgument;
    const int sbpp = source.BitsPerPixel(), dbpp = BitsPerPixel();
    if (sbpp != 8 && sbpp != 24 && sbpp != 32) return kImageBadDepth;
    if (dbpp != 24 && dbpp != 32) return kImageBadDepth;
    // Columns beyond the source's right edge are not drawn; rows stop when
    // the source runs out of rows.
    const int cols = std::min<int64_t>(width, std::max<int64_t>(0, int64_t(source.Width()) - sourceX));
    const int sb = sbpp / 8, db = dbpp / 8;
    const PaletteEntry* table = source.Info().colours;
    for (int k = 0; k < height && sourceY + k < source.Height(); ++k) {
        const uint8_t* s = source.Row(sourceY + k) + size_t(sourceX) * size_t(sb);
        uint8_t* d = Row(y + k) + size_t(x) * size_t(db);
        for (int i = 0; i < cols; ++i, s += sb, d += db) {
            if (sbpp == 8 || sbpp == 24) {
                if (sbpp == 8) {
                    const PaletteEntry& e = table[s[0]];
                    d[0] = e.blue, d[1] = e.green, d[2] = e.red;
                } else {
                    d[0] = s[0], d[1] = s[1], d[2] = s[2];
                }
                if (dbpp == 32) d[3] = 128;
            } else if (dbpp == 24) {
                int a = s[3];
                d[0] = Blend(s[0], d[0], a);
                d[1] = Blend(s[1], d[1], a);
                d[2] = Blend(s[2], d[2], a);
            } else {
                // Straight-alpha "over" of two images with alpha.
                const int a = s[3], da = d[3];
                const int A = a + da - a * da / 255;
                if (A != 0) {
                    const int num = (255 - a) * da;
                    const int den = A * 255;
                    for (int c = 0; c < 3; ++c)
                        d[c] = uint8_t((num * d[c] + s[c] * a * 255) / den);
                }
                d[3] = uint8_t(A);
            }
        }
    }
    return kImageOk;
}

int DibImage::CopyTo(DibImage& target, int x, int y) const {
    const int bpp = target.BitsPerPixel();
    if (bpp != 8 && bpp != 24 && bpp != 32) return kImageBadDepth;
    if (BitsPerPixel() != bpp) return kImageBadDepth;
    if (IsEmpty() || target.IsEmpty()) return kImageBadArgument;
    // The region must lie inside this image; anything else would read outside it.
    if (x < 0 || y < 0 || int64_t(x) + target.Width() > Width() ||
        int64_t(y) + target.Height() > Height())
        return kImageBadArgument;
    const size_t bytes = size_t(target.Width()) * size_t(bpp / 8);
    for (int k = 0; k < target.Height(); ++k)
        std::copy_n(Row(y + k) + size_t(x) * size_t(bpp / 8), bytes, target.Row(k));
    return kImageOk;
}

int DibImage::MakeTintedFromMask(const DibImage& mask, Colour colour) {
    if (BitsPerPixel() != 32 || mask.BitsPerPixel() != 8) return kImageBadDepth;
    if (IsEmpty() || mask.IsEmpty() || mask.Width() != Width() || mask.Height() != Height())
        return kImageBadArgument;
    const uint8_t r = uint8_t(RedOf(colour)), g = uint8_t(GreenOf(colour)), b = uint8_t(BlueOf(colour));
    const size_t stride = Stride(), mstride = mask.Stride();
    for (int m = 0; m < Height(); ++m) {
        uint8_t* d = Bits() + stride * size_t(m);
        const uint8_t* s = mask.Bits() + mstride * size_t(m);
        for (int x = 0; x < Width(); ++x, d += 4) {
            d[0] = b, d[1] = g, d[2] = r;
            d[3] = uint8_t(255 - s[x]);
        }
    }
    return kImageOk;
}

}  // namespace mrw
