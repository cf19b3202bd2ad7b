// Colour reduction of a 24-bit image to an indexed image of at most 256
// colours: the channels are levelled to the chosen depth, the palette comes
// from Xiaolin Wu's variance-minimising box cutting over a 33 x 33 x 33
// histogram, and the pixels are mapped with serpentine Floyd-Steinberg error
// diffusion in sixteenths.
#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "editor/imaging/DibImage.h"
#include "editor/imaging/PixelAccess.h"

namespace mrw {

namespace {

constexpr int kSide = 33;                       // 32 cells per channel plus the zero plane
constexpr int kCells = kSide * kSide * kSide;   // 35,937

constexpr int Cell(int r, int g, int b) { return (r * kSide + g) * kSide + b; }

// Channel levels for 4, 5 and 8 bits per channel.
std::array<uint8_t, 256> LevelTable(int channelBits) {
    std::array<uint8_t, 256> t{};
    for (int v = 0; v < 256; ++v) {
        if (channelBits == 5)
            t[size_t(v)] = uint8_t(int(double(v / 8) * 255.0 / 31.0 + 0.5));
        else if (channelBits == 4)
            t[size_t(v)] = uint8_t((v / 16) * 17);
        else
            t[size_t(v)] = uint8_t(v);
    }
    return t;
}

// A box of histogram cells: lower bounds exclusive, upper bounds inclusive.
struct Box {
    int r0 = 0, r1 = 0, g0 = 0, g1 = 0, b0 = 0, b1 = 0;
    int volume = 0;
};

enum Axis { kRed, kGreen, kBlue };

// Weight, channel sums and sum of squared channels of a set of pixels, all
// exact integers (a 256 MiB picture sums to well below 2^63). Variances and
// cut scores are computed from them in double precision, so that the box of
// largest variance and the best cut are the true ones: single precision loses
// whole units in the sums of squares of a picture of a few thousand pixels and
// then picks boxes by rounding noise.
struct Moments {
    int64_t weight = 0, red = 0, green = 0, blue = 0, squares = 0;
};
using Field = int64_t Moments::*;

class WuQuantiser {
public:
    WuQuantiser() : m_(kCells) {}

    void Add(int r, int g, int b) {
        Moments& cell = m_[size_t(Cell((r >> 3) + 1, (g >> 3) + 1, (b >> 3) + 1))];
        cell.weight += 1;
        cell.red += r;
        cell.green += g;
        cell.blue += b;
        cell.squares += r * r + g * g + b * b;
    }

    // Turns the histogram, in place, into moments summed over every cell at
    // or below each index in all three channels.
    void Accumulate() {
        Moments area[kSide];
        for (int r = 1; r < kSide; ++r) {
            for (Moments& a : area) a = Moments{};
            for (int g = 1; g < kSide; ++g) {
                Moments line;
                for (int b = 1; b < kSide; ++b) {
                    Moments& cell = m_[size_t(Cell(r, g, b))];
                    const Moments& below = m_[size_t(Cell(r - 1, g, b))];
                    line.weight += cell.weight, line.red += cell.red, line.green += cell.green;
                    line.blue += cell.blue, line.squares += cell.squares;
                    Moments& a = area[b];
                    a.weight += line.weight, a.red += line.red, a.green += line.green;
                    a.blue += line.blue, a.squares += line.squares;
                    cell.weight = below.weight + a.weight;
                    cell.red = below.red + a.red;
                    cell.green = below.green + a.green;
                    cell.blue = below.blue + a.blue;
                    cell.squares = below.squares + a.squares;
                }
            }
        }
    }

    // Cuts the colour space into at most `count` boxes; returns how many.
    int Partition(int count, std::vector<Box>& boxes) {
        boxes.assign(size_t(count), Box{});
        std::vector<double> variance(size_t(count), 0.0);
        boxes[0].r1 = boxes[0].g1 = boxes[0].b1 = kSide - 1;
        boxes[0].volume = (kSide - 1) * (kSide - 1) * (kSide - 1);
        int next = 0;
        int made = count;
        for (int i = 1; i < count; ++i) {
            if (Cut(boxes[size_t(next)], boxes[size_t(i)])) {
                variance[size_t(next)] = boxes[size_t(next)].volume > 1 ? Variance(boxes[size_t(next)]) : 0.0;
                variance[size_t(i)] = boxes[size_t(i)].volume > 1 ? Variance(boxes[size_t(i)]) : 0.0;
            } else {
                // This box cannot be split: never try it again.
                variance[size_t(next)] = 0.0;
                --i;
            }
            next = 0;
            double largest = variance[0];
            for (int k = 1; k <= i; ++k) {
                if (variance[size_t(k)] > largest) {
                    largest = variance[size_t(k)];
                    next = k;
                }
            }
            if (largest <= 0.0) {
                made = i + 1;
                break;
            }
        }
        boxes.resize(size_t(made));
        return made;
    }

    int64_t Weight(const Box& b) const { return Volume(b, &Moments::weight); }
    int64_t SumRed(const Box& b) const { return Volume(b, &Moments::red); }
    int64_t SumGreen(const Box& b) const { return Volume(b, &Moments::green); }
    int64_t SumBlue(const Box& b) const { return Volume(b, &Moments::blue); }

private:
    int64_t At(int r, int g, int b, Field f) const { return m_[size_t(Cell(r, g, b))].*f; }

    // Sum of a field over the cells of a box, by inclusion and exclusion.
    int64_t Volume(const Box& c, Field f) const {
        return At(c.r1, c.g1, c.b1, f) - At(c.r1, c.g1, c.b0, f) - At(c.r1, c.g0, c.b1, f) +
               At(c.r1, c.g0, c.b0, f) - At(c.r0, c.g1, c.b1, f) + At(c.r0, c.g1, c.b0, f) +
               At(c.r0, c.g0, c.b1, f) - At(c.r0, c.g0, c.b0, f);
    }

    // The part of Volume that does not depend on the box's upper bound on `axis`.
    int64_t Bottom(const Box& c, Axis axis, Field f) const {
        switch (axis) {
        case kRed:
            return -At(c.r0, c.g1, c.b1, f) + At(c.r0, c.g1, c.b0, f) + At(c.r0, c.g0, c.b1, f) -
                   At(c.r0, c.g0, c.b0, f);
        case kGreen:
            return -At(c.r1, c.g0, c.b1, f) + At(c.r1, c.g0, c.b0, f) + At(c.r0, c.g0, c.b1, f) -
                   At(c.r0, c.g0, c.b0, f);
        default:
            return -At(c.r1, c.g1, c.b0, f) + At(c.r1, c.g0, c.b0, f) + At(c.r0, c.g1, c.b0, f) -
                   At(c.r0, c.g0, c.b0, f);
        }
    }

    // The rest of Volume with the upper bound on `axis` moved to `pos`.
    int64_t Top(const Box& c, Axis axis, int pos, Field f) const {
        switch (axis) {
        case kRed:
            return At(pos, c.g1, c.b1, f) - At(pos, c.g1, c.b0, f) - At(pos, c.g0, c.b1, f) +
                   At(pos, c.g0, c.b0, f);
        case kGreen:
            return At(c.r1, pos, c.b1, f) - At(c.r1, pos, c.b0, f) - At(c.r0, pos, c.b1, f) +
                   At(c.r0, pos, c.b0, f);
        default:
            return At(c.r1, c.g1, pos, f) - At(c.r1, c.g0, pos, f) - At(c.r0, c.g1, pos, f) +
                   At(c.r0, c.g0, pos, f);
        }
    }

    // Weighted variance of the box: sum of squares minus squared sum over weight.
    double Variance(const Box& c) const {
        return double(Volume(c, &Moments::squares)) -
               Score(Volume(c, &Moments::red), Volume(c, &Moments::green), Volume(c, &Moments::blue),
                     Volume(c, &Moments::weight));
    }

    // |sum|^2 / weight of a set of pixels.
    static double Score(int64_t r, int64_t g, int64_t b, int64_t w) {
        const double dr = double(r), dg = double(g), db = double(b);
        return (dr * dr + dg * dg + db * db) / double(w);
    }

    // Finds the cut on `axis` between first and last (exclusive) that
    // maximises the sum over both halves of |sum|^2 / weight, which is the
    // cut minimising their summed variance. `cut` is -1 when no cut leaves
    // pixels on both sides.
    double Maximise(const Box& c, Axis axis, int first, int last, int& cut, const Moments& whole) const {
        const int64_t baseR = Bottom(c, axis, &Moments::red), baseG = Bottom(c, axis, &Moments::green);
        const int64_t baseB = Bottom(c, axis, &Moments::blue), baseW = Bottom(c, axis, &Moments::weight);
        double best = 0.0;
        cut = -1;
        for (int i = first; i < last; ++i) {
            int64_t halfR = baseR + Top(c, axis, i, &Moments::red);
            int64_t halfG = baseG + Top(c, axis, i, &Moments::green);
            int64_t halfB = baseB + Top(c, axis, i, &Moments::blue);
            int64_t halfW = baseW + Top(c, axis, i, &Moments::weight);
            if (halfW == 0) continue;
            double score = Score(halfR, halfG, halfB, halfW);
            halfR = whole.red - halfR, halfG = whole.green - halfG, halfB = whole.blue - halfB;
            halfW = whole.weight - halfW;
            if (halfW == 0) continue;
            score += Score(halfR, halfG, halfB, halfW);
            if (score > best) {
                best = score;
                cut = i;
            }
        }
        return best;
    }

    bool Cut(Box& a, Box& b) const {
        Moments whole;
        whole.red = Volume(a, &Moments::red), whole.green = Volume(a, &Moments::green);
        whole.blue = Volume(a, &Moments::blue), whole.weight = Volume(a, &Moments::weight);
        int cutR, cutG, cutB;
        const double maxR = Maximise(a, kRed, a.r0 + 1, a.r1, cutR, whole);
        const double maxG = Maximise(a, kGreen, a.g0 + 1, a.g1, cutG, whole);
        const double maxB = Maximise(a, kBlue, a.b0 + 1, a.b1, cutB, whole);
        Axis axis;
        if (maxR >= maxG && maxR >= maxB) {
            axis = kRed;
            if (cutR < 0) return false;  // no cut splits this box
        } else if (maxG >= maxR && maxG >= maxB) {
            axis = kGreen;
        } else {
            axis = kBlue;
        }
        b.r1 = a.r1, b.g1 = a.g1, b.b1 = a.b1;
        switch (axis) {
        case kRed:
            b.r0 = a.r1 = cutR;
            b.g0 = a.g0, b.b0 = a.b0;
            break;
        case kGreen:
            b.g0 = a.g1 = cutG;
            b.r0 = a.r0, b.b0 = a.b0;
            break;
        case kBlue:
            b.b0 = a.b1 = cutB;
            b.r0 = a.r0, b.g0 = a.g0;
            break;
        }
        a.volume = (a.r1 - a.r0) * (a.g1 - a.g0) * (a.b1 - a.b0);
        b.volume = (b.r1 - b.r0) * (b.g1 - b.g0) * (b.b1 - b.b0);
        return true;
    }

    std::vector<Moments> m_;  // the histogram, then its cumulative moments
};

bool IsGreyRamp(const DibInfo& info, int bpp) {
    const int n = 1 << bpp;
    const int step = 255 / (n - 1);
    for (int i = 0; i < n; ++i) {
        const PaletteEntry& e = info.colours[i];
        if (e.red != i * step || e.green != i * step || e.blue != i * step) return false;
    }
    return true;
}

// Replaces a 1- or 4-bit image with a grey ramp by the same picture as an
// 8-bit greyscale image.
int WidenGrey(const DibImage& image, DibImage& out) {
    const int bpp = image.BitsPerPixel();
    int rc = pixels::CreateLike(image, image.Width(), image.Height(), 8, out);
    if (rc != 0) return rc;
    out.SetGreyPalette();
    out.Info().header.clrUsed = 0;
    const int step = 255 / ((1 << bpp) - 1);
    for (int y = 0; y < image.Height(); ++y) {
        const uint8_t* s = image.Row(y);
        uint8_t* d = out.Row(y);
        for (int x = 0; x < image.Width(); ++x) d[x] = uint8_t(pixels::IndexAt(s, x, bpp) * step);
    }
    return 0;
}

// Maps the pixels of a 24-bit image to palette indices with serpentine
// Floyd-Steinberg error diffusion in sixteenths: memory rows in order (the
// bottom row of the picture first), the first left to right and each next
// one the other way. A pixel's index is the box tag of the cell of its
// levelled value plus the carried error; the error passed on is taken from
// the levelled value itself, not the adjusted one.
template <int Bits>
void MapPixels(const DibImage& image, const std::array<uint8_t, 256>& level, const std::vector<uint8_t>& tag,
               const PaletteEntry* palette, DibImage& result) {
    const int w = image.Width(), h = image.Height();
    const size_t stride = image.Stride(), rstride = result.Stride();
    // For every cell (five bits of each channel) its box and that box's
    // palette colour, so that one look-up answers both.
    struct Choice {
        uint8_t index, red, green, blue;
    };
    std::vector<Choice> choice(size_t(32 * 32 * 32));
    for (int r = 0; r < 32; ++r)
        for (int g = 0; g < 32; ++g)
            for (int b = 0; b < 32; ++b) {
                const int k = tag[size_t(Cell(r + 1, g + 1, b + 1))];
                choice[size_t((r << 10) | (g << 5) | b)] =
                    Choice{uint8_t(k), palette[k].red, palette[k].green, palette[k].blue};
            }

    // Errors carried into the current and the next row, in sixteenths, one
    // slot of margin on each side so that x - 1 and x + 1 are always inside.
    const size_t span = size_t(w) + 2;
    std::vector<int> errCur(span * 3, 0), errNext(span * 3, 0);
    for (int m = 0; m < h; ++m) {
        const int dir = (m & 1) ? -1 : 1;
        std::fill(errNext.begin(), errNext.end(), 0);
        const uint8_t* src = image.Bits() + stride * size_t(m);
        uint8_t* row = result.Bits() + rstride * size_t(m);
        int x = dir > 0 ? 0 : w - 1;
        int ahead[3] = {0, 0, 0};  // 7e of the previous pixel of this row
        for (int step = 0; step < w; ++step, x += dir) {
            const uint8_t* s = src + size_t(x) * 3;
            const int value[3] = {level[s[2]], level[s[1]], level[s[0]]};
            const int* carried = &errCur[size_t(x + 1) * 3];
            int adjusted[3];
            for (int c = 0; c < 3; ++c)
                adjusted[c] = std::clamp((16 * value[c] + carried[c] + ahead[c]) / 16, 0, 255);
            const Choice pick =
                choice[size_t(((adjusted[0] & 0xF8) << 7) | ((adjusted[1] & 0xF8) << 2) | (adjusted[2] >> 3))];
            if (Bits == 8)
                row[x] = pick.index;
            else
                pixels::SetIndexAt(row, x, Bits, pick.index);
            const int chosen[3] = {pick.red, pick.green, pick.blue};
            int* below = &errNext[size_t(x + 1) * 3];
            for (int c = 0; c < 3; ++c) {
                const int e = value[c] - chosen[c];
                ahead[c] = 7 * e;
                below[c - 3 * dir] += 3 * e;
                below[c] += 5 * e;
                below[c + 3 * dir] += e;
            }
        }
        errCur.swap(errNext);
    }
}

}  // namespace

int DibImage::ReduceColours(int count, int channelBits) {
    if (IsEmpty()) return kImageBadArgument;
    int bpp = BitsPerPixel();
    if (bpp == 8) return kImageOk;
    if (bpp == 32 || (bpp >= 9 && bpp <= 23)) {
        int rc = ConvertTo(24);
        if (rc != 0) return rc;
    } else if ((bpp == 1 || bpp == 4) && IsGreyRamp(info_, bpp)) {
        DibImage grey;
        int rc = WidenGrey(*this, grey);
        if (rc != 0) return rc;
        info_ = grey.info_;
        pixels_ = std::move(grey.pixels_);
    }
    if (BitsPerPixel() != 24) return kImageBadDepth;
    if (count < 2 || count > 256) return kImageBadArgument;

    const int w = Width(), h = Height();
    const size_t stride = Stride();
    const std::array<uint8_t, 256> level = LevelTable(channelBits);

    auto wu = std::make_unique<WuQuantiser>();
    for (int m = 0; m < h; ++m) {
        const uint8_t* s = Bits() + stride * size_t(m);
        for (int x = 0; x < w; ++x, s += 3) wu->Add(level[s[2]], level[s[1]], level[s[0]]);
    }
    wu->Accumulate();
    std::vector<Box> boxes;
    const int made = wu->Partition(count, boxes);

    // Palette: the mean colour of each box; entries without pixels are white.
    const int outBits = count == 2 ? 1 : count <= 16 ? 4 : 8;
    PaletteEntry palette[256];
    for (auto& e : palette) e.red = e.green = e.blue = 255, e.reserved = 0;
    std::vector<uint8_t> tag(size_t(kCells), 0);
    for (int k = 0; k < made; ++k) {
        const Box& b = boxes[size_t(k)];
        const int64_t weight = wu->Weight(b);
        if (weight > 0) {
            palette[k].red = uint8_t(wu->SumRed(b) / weight);
            palette[k].green = uint8_t(wu->SumGreen(b) / weight);
            palette[k].blue = uint8_t(wu->SumBlue(b) / weight);
        }
        for (int r = b.r0 + 1; r <= b.r1; ++r)
            for (int g = b.g0 + 1; g <= b.g1; ++g)
                for (int c = b.b0 + 1; c <= b.b1; ++c) tag[size_t(Cell(r, g, c))] = uint8_t(k);
    }
    wu.reset();

    DibImage result;
    int rc = result.Create(w, h, outBits);
    if (rc != 0) return rc;
    result.info_.header.xPelsPerMeter = info_.header.xPelsPerMeter;
    result.info_.header.yPelsPerMeter = info_.header.yPelsPerMeter;
    result.info_.header.clrUsed = 0;
    result.info_.header.clrImportant = 0;
    std::copy(std::begin(palette), std::end(palette), result.info_.colours);

    switch (outBits) {
    case 1: MapPixels<1>(*this, level, tag, palette, result); break;
    case 4: MapPixels<4>(*this, level, tag, palette, result); break;
    default: MapPixels<8>(*this, level, tag, palette, result); break;
    }
    info_ = result.info_;
    pixels_ = std::move(result.pixels_);
    return kImageOk;
}

}  // namespace mrw
