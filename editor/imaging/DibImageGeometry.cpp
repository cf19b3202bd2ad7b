// Crop, tile, resize, mirror and quarter turns. All of them build a new
// section (or rewrite the pixel memory) and adopt it; nothing is changed when
// an operation fails before that.
#include <algorithm>
#include <cstring>
#include <vector>

#include "editor/imaging/DibImage.h"
#include "editor/imaging/PixelAccess.h"

namespace mrw {

using pixels::CopyPixel;

namespace {

// Number of pixels of a row that can be addressed safely in a row of that
// stride (the whole width for every depth the stride formula covers).
int SafeWidth(const DibImage& image) {
    return std::min(image.Width(), pixels::PixelsInStride(image.Stride(), image.BitsPerPixel()));
}

}  // namespace

int DibImage::Crop(int x, int y, int width, int height) {
    if (IsEmpty()) return kImageBadArgument;
    if (x < 0 || y < 0 || width <= 0 || height <= 0 || int64_t(x) + width > Width() ||
        int64_t(y) + height > Height())
        return kImageBadArgument;
    const int bpp = BitsPerPixel();
    DibImage out;
    int rc = pixels::CreateLike(*this, width, height, bpp, out);
    if (rc != 0) return rc;
    const int limit = std::min(SafeWidth(*this) - x, SafeWidth(out));
    for (int k = 0; k < height; ++k) {
        const uint8_t* s = Row(y + k);
        uint8_t* d = out.Row(k);
        if ((bpp & 7) == 0) {
            size_t n = size_t(bpp / 8);
            std::memcpy(d, s + size_t(x) * n, size_t(std::max(limit, 0)) * n);
        } else {
            for (int i = 0; i < limit; ++i) CopyPixel(s, x + i, d, i, bpp);
        }
    }
    info_ = out.info_;
    pixels_ = std::move(out.pixels_);
    return kImageOk;
}

int DibImage::CropToRect(int left, int top, int right, int bottom) {
    return Crop(left, top, right - left, bottom - top);
}

int DibImage::Tile(int width, int height) {
    if (IsEmpty()) return kImageBadArgument;
    if (width <= 0 || height <= 0) return kImageBadArgument;
    if (BitsPerPixel() != 24) {
        int rc = ConvertTo(24);
        if (rc != 0) return rc;
    }
    DibImage out;
    int rc = pixels::CreateLike(*this, width, height, 24, out);
    if (rc != 0) return rc;
    const int sw = Width(), sh = Height();
    for (int y = 0; y < height; ++y) {
        const uint8_t* s = Row(y % sh);
        uint8_t* d = out.Row(y);
        // Whole copies of the source row, then the remainder.
        int x = 0;
        while (x < width) {
            int n = std::min(sw, width - x);
            std::memcpy(d + size_t(x) * 3, s, size_t(n) * 3);
            x += n;
        }
    }
    info_ = out.info_;
    pixels_ = std::move(out.pixels_);
    return kImageOk;
}

int DibImage::Resize(int width, int height, bool shrinkOnly, bool keepAspect) {
    if (IsEmpty()) return kImageBadArgument;
    if (width <= 0 || height <= 0) return kImageBadArgument;
    const int sw = Width(), sh = Height();
    int w = width, h = height;
    if (keepAspect && (!shrinkOnly || w < sw || h < sh)) {
        if (double(sw) / double(w) <= double(sh) / double(h))
            w = int(int64_t(sw) * h / sh);
        else
            h = int(int64_t(sh) * w / sw);
        // A very long and thin picture must keep at least one pixel across.
        w = std::max(w, 1);
        h = std::max(h, 1);
    }
    const int bpp = BitsPerPixel();
    if (bpp < 1 || bpp > 32) return kImageBadDepth;
    DibImage out;
    int rc = pixels::CreateLike(*this, w, h, bpp, out);
    if (rc != 0) return rc;
    const double fx = double(sw) / double(w);
    const double fy = double(sh) / double(h);
    std::vector<int> columns(static_cast<size_t>(w), 0);
    const int srcLimit = SafeWidth(*this);
    for (int x = 0; x < w; ++x) columns[size_t(x)] = std::min(int(double(x) * fx), sw - 1);
    const int dstLimit = SafeWidth(out);
    for (int y = 0; y < h; ++y) {
        const int sy = std::min(int(double(y) * fy), sh - 1);
        const uint8_t* s = Row(sy);
        uint8_t* d = out.Row(y);
        switch (bpp) {
        case 8:
            for (int x = 0; x < w; ++x) d[x] = s[columns[size_t(x)]];
            break;
        case 24:
            for (int x = 0; x < w; ++x) {
                const uint8_t* p = s + size_t(columns[size_t(x)]) * 3;
                d[0] = p[0], d[1] = p[1], d[2] = p[2];
                d += 3;
            }
            break;
        case 32:
            for (int x = 0; x < w; ++x)
                std::memcpy(d + size_t(x) * 4, s + size_t(columns[size_t(x)]) * 4, 4);
            break;
        default:
            for (int x = 0; x < std::min(w, dstLimit); ++x)
                if (columns[size_t(x)] < srcLimit) CopyPixel(s, columns[size_t(x)], d, x, bpp);
            break;
        }
    }
    info_ = out.info_;
    pixels_ = std::move(out.pixels_);
    return kImageOk;
}

int DibImage::Turn(TurnCode turn) {
    const int code = static_cast<int>(turn);
    if (code < 0 || code > 5) return kImageBadArgument;
    if (code == 0) return kImageOk;
    if (IsEmpty()) return kImageBadArgument;
    const int w = Width(), h = Height(), bpp = BitsPerPixel();
    const size_t stride = Stride();

    if (code >= 1 && code <= 3) {
        // Mirrors: the picture drawn into a section of the same size with a
        // negative width (1), height (2) or both (3).
        std::vector<uint8_t> out(pixels_.size(), 0);
        const int limit = SafeWidth(*this);
        const bool mirrorX = code != 2, mirrorY = code != 1;
        for (int m = 0; m < h; ++m) {
            const uint8_t* s = Bits() + stride * size_t(m);
            uint8_t* d = out.data() + stride * size_t(mirrorY ? h - 1 - m : m);
            if (!mirrorX) {
                std::memcpy(d, s, stride);
            } else if (bpp == 24) {
                for (int x = 0; x < w; ++x) {
                    const uint8_t* p = s + size_t(w - 1 - x) * 3;
                    uint8_t* q = d + size_t(x) * 3;
                    q[0] = p[0], q[1] = p[1], q[2] = p[2];
                }
            } else {
                for (int x = 0; x < limit; ++x) CopyPixel(s, limit - 1 - x, d, x, bpp);
            }
        }
        pixels_ = std::move(out);
        return kImageOk;
    }

    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 15 && bpp != 16 && bpp != 24 && bpp != 32)
        return kImageBadDepth;
    // Quarter turns: width and height swap.
    DibImage out;
    int rc = pixels::CreateLike(*this, h, w, bpp, out);
    if (rc != 0) return rc;
    std::swap(out.info_.header.xPelsPerMeter, out.info_.header.yPelsPerMeter);
    const int bytes = bpp == 15 ? 2 : bpp / 8;
    if (bpp >= 8 && (size_t(bytes) * size_t(w) > stride || size_t(bytes) * size_t(h) > out.Stride()))
        return kImageBadDepth;
    for (int y = 0; y < h; ++y) {
        const uint8_t* s = Row(y);
        for (int x = 0; x < w; ++x) {
            // 4: (x, y) -> (h - 1 - y, x); 5: (x, y) -> (y, w - 1 - x).
            const int nx = code == 4 ? h - 1 - y : y;
            const int ny = code == 4 ? x : w - 1 - x;
            uint8_t* d = out.Row(ny);
            if (bpp < 8)
                CopyPixel(s, x, d, nx, bpp);
            else
                std::memcpy(d + size_t(nx) * size_t(bytes), s + size_t(x) * size_t(bytes), size_t(bytes));
        }
    }
    info_ = out.info_;
    pixels_ = std::move(out.pixels_);
    return kImageOk;
}

}  // namespace mrw
