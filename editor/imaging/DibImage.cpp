// Memory, header and palette handling of DibImage, and the depth conversion
// that a StretchDIBits copy into a new 24- or 32-bit section performs.
#include "editor/imaging/DibImage.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "platform/Prompter.h"

namespace mrw {

namespace {

bool IsSupportedDepth(int bitsPerPixel) {
    switch (bitsPerPixel) {
    case 1: case 4: case 8: case 16: case 24: case 32:
        return true;
    default:
        return false;
    }
}

uint32_t MaskAt(const DibInfo& info, int i) {
    uint32_t v;
    std::memcpy(&v, reinterpret_cast<const uint8_t*>(&info.colours[i]), 4);
    return v;
}

void SetMaskAt(DibInfo& info, int i, uint32_t v) { std::memcpy(reinterpret_cast<uint8_t*>(&info.colours[i]), &v, 4); }

// Position and width of the lowest run of set bits of a channel mask.
void ShiftAndLength(uint32_t mask, int& shift, int& length) {
    shift = length = 0;
    if (!mask) return;
    while (!(mask & 1)) { mask >>= 1; ++shift; }
    while (mask & 1) { mask >>= 1; ++length; }
}

// Widens a channel field to 8 bits the way GDI does: fields wider than 8 bits
// keep their top 8 bits, narrower ones repeat their top bits once below.
struct ChannelField {
    int shift = 0, length = 0;
    explicit ChannelField(uint32_t mask) {
        ShiftAndLength(mask, shift, length);
        if (length > 8) { shift += length - 8; length = 8; }
    }
    uint8_t Extract(uint32_t pixel) const {
        if (!length) return 0;
        int s = shift - (8 - length);
        uint32_t v = s < 0 ? pixel << -s : pixel >> s;
        v &= (0xFF00u >> length) & 0xFF;
        v |= v >> length;
        return uint8_t(v);
    }
};

}  // namespace

size_t DibImage::StrideFor(int width, int bitsPerPixel) {
    if (width <= 0 || bitsPerPixel <= 0) return 0;
    return (size_t(width) * size_t(bitsPerPixel) + 31) / 32 * 4;
}

size_t DibImage::Stride() const { return StrideFor(Width(), BitsPerPixel()); }

uint8_t* DibImage::Row(int y) {
    if (pixels_.empty() || y < 0 || y >= Height()) return nullptr;
    return pixels_.data() + size_t(Height() - 1 - y) * Stride();
}

const uint8_t* DibImage::Row(int y) const {
    if (pixels_.empty() || y < 0 || y >= Height()) return nullptr;
    return pixels_.data() + size_t(Height() - 1 - y) * Stride();
}

int DibImage::PaletteSize() const {
    int bpp = BitsPerPixel();
    if (bpp <= 0 || bpp > 8) return 0;
    int full = 1 << bpp;
    uint32_t used = info_.header.clrUsed;
    return used ? int(std::min<uint32_t>(used, uint32_t(full))) : full;
}

int DibImage::Create(int width, int height, int bitsPerPixel) {
    Release();
    bool ok = width > 0 && height > 0 && IsSupportedDepth(bitsPerPixel) && width <= kMaxImageSide &&
              height <= kMaxImageSide;
    size_t bytes = ok ? StrideFor(width, bitsPerPixel) * size_t(height) : 0;
    if (ok && bytes > kMaxImageBytes) ok = false;
    if (ok) {
        try {
            pixels_.assign(bytes, 0);
        } catch (const std::bad_alloc&) {
            pixels_.clear();
            ok = false;
        }
    }
    if (!ok) {
        char text[128];
        std::snprintf(text, sizeof text, "Erreur \xE0 la cr\xE9" "ation du DIB\n cx=%i,cy=%i,bitCount=%i", width,
                      height, bitsPerPixel);
        ShowText(text, kMbOk | kMbIconError);
        return kImageFailed;
    }
    info_ = DibInfo{};
    info_.header.width = width;
    info_.header.height = height;
    info_.header.bitCount = uint16_t(bitsPerPixel);
    info_.header.sizeImage = uint32_t(bytes);
    if (bitsPerPixel == 32) {
        info_.header.compression = kBiBitfields;
        SetMaskAt(info_, 0, 0x00FF0000u);
        SetMaskAt(info_, 1, 0x0000FF00u);
        SetMaskAt(info_, 2, 0x000000FFu);
    }
    return kImageOk;
}

void DibImage::Release() {
    std::vector<uint8_t>().swap(pixels_);
    info_ = DibInfo{};
    shape_.Clear();
}

void DibImage::FillWhite() {
    int bpp = BitsPerPixel();
    if (pixels_.empty() || (bpp != 8 && bpp != 24 && bpp != 32)) return;
    std::memset(pixels_.data(), 0xFF, pixels_.size());
}

void DibImage::Fill(Colour colour) {
    if (pixels_.empty()) return;
    if (BitsPerPixel() == 8) {
        info_.colours[0].red = uint8_t(RedOf(colour));
        info_.colours[0].green = uint8_t(GreenOf(colour));
        info_.colours[0].blue = uint8_t(BlueOf(colour));
        std::memset(pixels_.data(), 0, pixels_.size());
    } else if (BitsPerPixel() == 24) {
        const uint8_t b = uint8_t(BlueOf(colour)), g = uint8_t(GreenOf(colour)), r = uint8_t(RedOf(colour));
        const size_t stride = Stride();
        const int w = Width();
        for (int row = 0; row < Height(); ++row) {
            uint8_t* p = pixels_.data() + size_t(row) * stride;
            for (int x = 0; x < w; ++x, p += 3) { p[0] = b; p[1] = g; p[2] = r; }
        }
    }
}

void DibImage::SetGreyPalette() {
    for (int i = 0; i < 256; ++i) {
        info_.colours[i].blue = info_.colours[i].green = info_.colours[i].red = uint8_t(i);
        info_.colours[i].reserved = 0;
    }
}

void DibImage::SetPalette(const PaletteEntry* entries, int count) {
    count = std::max(0, std::min(count, 256));
    if (entries && count) std::memcpy(info_.colours, entries, sizeof(PaletteEntry) * size_t(count));
    info_.header.clrUsed = uint32_t(count);
}

void DibImage::SetAlpha(uint8_t alpha) {
    if (pixels_.empty() || BitsPerPixel() != 32) return;
    for (size_t i = 3; i < pixels_.size(); i += 4) pixels_[i] = alpha;
}

uint8_t DibImage::AlphaAt(int x, int y) const {
    if (pixels_.empty() || BitsPerPixel() != 32 || x < 0 || y < 0 || x >= Width() || y >= Height()) return 0;
    return Row(y)[size_t(x) * 4 + 3];
}

int DibImage::ConvertTo(int bitsPerPixel) {
    if (pixels_.empty()) return kImageBadArgument;
    if (bitsPerPixel != 24 && bitsPerPixel != 32) return kImageBadDepth;
    const int from = BitsPerPixel();
    if (from == bitsPerPixel) return kImageOk;
    if (!IsSupportedDepth(from) && from != 2) return kImageBadDepth;

    DibImage out;
    if (out.Create(Width(), Height(), bitsPerPixel) != kImageOk) return kImageFailed;
    out.info_.header.xPelsPerMeter = info_.header.xPelsPerMeter;
    out.info_.header.yPelsPerMeter = info_.header.yPelsPerMeter;

    const int w = Width(), h = Height();
    const size_t inStride = Stride(), outStride = out.Stride();
    const int outBytes = bitsPerPixel / 8;

    // 16-bit pixels: the section's masks, or 5-5-5 when it has none.
    uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
    if (from == 16 && info_.header.compression == kBiBitfields)
        for (int i = 0; i < 3; ++i) masks[i] = MaskAt(info_, i);
    if (from == 32 && info_.header.compression == kBiBitfields) {
        masks[0] = MaskAt(info_, 0); masks[1] = MaskAt(info_, 1); masks[2] = MaskAt(info_, 2);
    } else if (from == 32) {
        masks[0] = 0x00FF0000; masks[1] = 0x0000FF00; masks[2] = 0x000000FF;
    }
    const ChannelField red(masks[0]), green(masks[1]), blue(masks[2]);

    for (int row = 0; row < h; ++row) {
        const uint8_t* in = pixels_.data() + size_t(row) * inStride;
        uint8_t* o = out.pixels_.data() + size_t(row) * outStride;
        for (int x = 0; x < w; ++x, o += outBytes) {
            uint8_t b, g, r;
            switch (from) {
            case 1: case 2: case 4: case 8: {
                const int perByte = 8 / from;
                const int index = (in[x / perByte] >> ((perByte - 1 - x % perByte) * from)) & ((1 << from) - 1);
                const PaletteEntry& e = info_.colours[index];
                b = e.blue; g = e.green; r = e.red;
                break;
            }
            case 16: {
                const uint32_t v = uint32_t(in[2 * x]) | (uint32_t(in[2 * x + 1]) << 8);
                r = red.Extract(v); g = green.Extract(v); b = blue.Extract(v);
                break;
            }
            case 24:
                b = in[3 * x]; g = in[3 * x + 1]; r = in[3 * x + 2];
                break;
            default: {  // 32
                const uint8_t* p = in + 4 * size_t(x);
                const uint32_t v = uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) |
                                   (uint32_t(p[3]) << 24);
                r = red.Extract(v); g = green.Extract(v); b = blue.Extract(v);
                break;
            }
            }
            o[0] = b; o[1] = g; o[2] = r;  // a 32-bit target keeps alpha 0
        }
    }
    ShapeRegion keep = std::move(shape_);
    *this = std::move(out);
    shape_ = std::move(keep);
    return kImageOk;
}

int GetColourTable(const DibImage& image, int first, int count, PaletteEntry* entries) {
    if (image.IsEmpty() || image.BitsPerPixel() > 8 || !entries || first < 0) return 0;
    if (count == 0) count = 256;
    const int size = image.PaletteSize();
    if (first >= size) return 0;
    const int n = std::min(count, size - first);
    std::memcpy(entries, image.Info().colours + first, sizeof(PaletteEntry) * size_t(n));
    return n;
}

}  // namespace mrw
