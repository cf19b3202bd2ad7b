// Simulation of a handheld screen of 4,096 colours: Floyd-Steinberg error
// diffusion of each channel onto the sixteen levels 0, 17, ..., 255.
#include <algorithm>
#include <vector>

#include "editor/imaging/DibImage.h"

namespace mrw {

namespace {

// n / 16 rounded to the nearest integer, halves away from zero.
inline int RoundSixteenths(int n) {
    return n >= 0 ? (n + 8) / 16 : -((-n + 8) / 16);
}

}  // namespace

int DibImage::Dither(DibImage& target) const {
    if (BitsPerPixel() != 24 || IsEmpty()) return kImageFailed;
    const int w = Width(), h = Height();
    if (&target == this) return kImageFailed;
    if (target.Create(w, h, 24) != 0) return kImageFailed;

    // Carried errors of the current and the next row, one slot of margin on
    // each side so the neighbours of the edge pixels need no test.
    const size_t span = size_t(w) + 2;
    std::vector<int> cur(span * 3, 0), next(span * 3, 0);
    for (int y = 0; y < h; ++y) {
        std::fill(next.begin(), next.end(), 0);
        const uint8_t* s = Row(y);
        uint8_t* d = target.Row(y);
        for (int x = 0; x < w; ++x) {
            const size_t slot = size_t(x + 1) * 3;
            for (int c = 0; c < 3; ++c) {
                const int value = std::clamp(s[size_t(x) * 3 + size_t(c)] + cur[slot + size_t(c)], 0, 255);
                const int quantised = (value / 16) * 17;
                d[size_t(x) * 3 + size_t(c)] = uint8_t(quantised);
                const int e = value - quantised;
                cur[slot + 3 + size_t(c)] += RoundSixteenths(7 * e);
                next[slot - 3 + size_t(c)] += RoundSixteenths(3 * e);
                next[slot + size_t(c)] += RoundSixteenths(5 * e);
                next[slot + 3 + size_t(c)] += RoundSixteenths(e);
            }
        }
        cur.swap(next);
    }
    return kImageOk;
}

}  // namespace mrw
