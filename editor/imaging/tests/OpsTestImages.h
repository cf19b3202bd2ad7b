// Small pictures and pixel accessors for the pixel-operation tests.
#pragma once
#include <cstdint>
#include <functional>

#include "editor/imaging/DibImage.h"

namespace mrw::test {

struct Rgba {
    int r = 0, g = 0, b = 0, a = 0;
    bool operator==(const Rgba& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
};

inline Rgba PixelAt(const DibImage& image, int x, int y) {
    const uint8_t* row = image.Row(y);
    const int bpp = image.BitsPerPixel();
    if (bpp <= 8) {
        int index = 0;
        if (bpp == 8) index = row[x];
        else if (bpp == 4) index = (row[x / 2] >> ((x & 1) ? 0 : 4)) & 15;
        else if (bpp == 1) index = (row[x / 8] >> (7 - (x & 7))) & 1;
        const PaletteEntry& e = image.Info().colours[index];
        return {e.red, e.green, e.blue, 0};
    }
    const uint8_t* p = row + x * (bpp / 8);
    return {p[2], p[1], p[0], bpp == 32 ? p[3] : 0};
}

inline int IndexAt(const DibImage& image, int x, int y) {
    const uint8_t* row = image.Row(y);
    switch (image.BitsPerPixel()) {
    case 8: return row[x];
    case 4: return (row[x / 2] >> ((x & 1) ? 0 : 4)) & 15;
    case 1: return (row[x / 8] >> (7 - (x & 7))) & 1;
    default: return -1;
    }
}

inline void SetPixel(DibImage& image, int x, int y, Rgba c) {
    uint8_t* p = image.Row(y) + x * (image.BitsPerPixel() / 8);
    p[0] = uint8_t(c.b), p[1] = uint8_t(c.g), p[2] = uint8_t(c.r);
    if (image.BitsPerPixel() == 32) p[3] = uint8_t(c.a);
}

// A width x height image of 24 or 32 bits whose pixels come from `f`.
inline void MakeImage(DibImage& image, int width, int height, int bpp,
                      const std::function<Rgba(int, int)>& f) {
    image.Create(width, height, bpp);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) SetPixel(image, x, y, f(x, y));
}

// A pattern that tells every pixel of a small image apart.
inline Rgba Pattern(int x, int y) { return {x * 7 % 256, y * 11 % 256, (x * 3 + y * 5) % 256, (x + y) % 256}; }

}  // namespace mrw::test
