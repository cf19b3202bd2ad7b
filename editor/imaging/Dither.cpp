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

    // Each clamped value has one level and one error; the four shares of
    // that error are looked up instead of rounded per pixel.
    struct Step { uint8_t level; int right, belowLeft, below, belowRight; };
    Step steps[256];
    for (int v = 0; v < 256; ++v) {
        const int quantised = (v / 16) * 17;
        const int e = v - quantised;
        steps[v] = Step{uint8_t(quantised), RoundSixteenths(7 * e), RoundSixteenths(3 * e),
                        RoundSixteenths(5 * e), RoundSixteenths(e)};
    }

    // Carried errors of the current and the next row, one slot of margin on
    // each side so the neighbours of the edge pixels need no test.
    const size_t span = size_t(w) + 2;
    std::vector<int> cur(span * 3, 0), next(span * 3, 0);
    for (int y = 0; y < h; ++y) {
        std::fill(next.begin(), next.end(), 0);
        const uint8_t* s = Row(y);
        uint8_t* d = target.Row(y);
        int* here = cur.data() + 3;
        int* below = next.data() + 3;
        for (int i = 0; i < w * 3; ++i) {
            const int value = std::clamp(s[i] + here[i], 0, 255);
            const Step& step = steps[value];
            d[i] = step.level;
            here[i + 3] += step.right;
            below[i - 3] += step.belowLeft;
            below[i] += step.below;
            below[i + 3] += step.belowRight;
        }
        cur.swap(next);
    }
    return kImageOk;
}

}  // namespace mrw
