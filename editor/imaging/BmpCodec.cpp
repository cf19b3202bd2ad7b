// BMP reading and writing.
//
// The reader gives what the platform's LoadImage (LR_LOADFROMFILE |
// LR_CREATEDIBSECTION) gives: a section of the file's own bit depth
// (1, 4, 8, 16, 24 or 32 bits) created from the file's header with the
// compression cleared, into which the file's pixels are copied:
//  - palette images keep their indexes and take the file's colour table
//    (at most 1 << depth entries; 3-byte entries for the 12-byte core header);
//  - RLE4 / RLE8 files are expanded; pixels the stream skips stay index 0;
//  - 16-bit files become 5-5-5 sections: 5-5-5 pixels are copied as they are,
//    other BITFIELDS masks are converted channel by channel;
//  - 32-bit files become 8-8-8 sections: pixels with the standard masks are
//    copied with their fourth byte, other masks are converted (fourth byte 0);
//  - top-down files are stored bottom-up like every image here.
// The core (12-byte), info (40), v4 (108) and v5 (124) headers are read, with
// one plane; other headers (OS/2 v2, 52 and 56 bytes), other depths and
// compressions (2 or 64 bits, embedded JPEG/PNG, RLE24, Huffman, alpha
// bitfields) are refused, as are files too short for the pixels they declare.
#include <algorithm>
#include <cstring>

#include "base/ByteOrder.h"
#include "editor/imaging/Codecs.h"

namespace mrw::imaging {

namespace {

enum : uint32_t { kRle8 = 1, kRle4 = 2 };

struct ChannelField {
    int shift = 0, length = 0;
    explicit ChannelField(uint32_t mask) {
        if (!mask) return;
        while (!(mask & 1)) { mask >>= 1; ++shift; }
        while (mask & 1) { mask >>= 1; ++length; }
        if (length > 8) { shift += length - 8; length = 8; }
    }
    uint32_t Extract(uint32_t pixel) const {
        if (!length) return 0;
        int s = shift - (8 - length);
        uint32_t v = s < 0 ? pixel << -s : pixel >> s;
        v &= (0xFF00u >> length) & 0xFF;
        v |= v >> length;
        return v;
    }
};

// Expands an RLE4 or RLE8 stream into the bottom-up rows of `image`.
void ExpandRle(const uint8_t* in, const uint8_t* end, bool four, DibImage& image) {
    const int width = image.Width(), height = image.Height();
    const size_t stride = image.Stride();
    uint8_t* bits = image.Bits();
    int x = 0, row = 0;  // memory row: 0 is the bottom of the picture
    auto put = [&](int value) {
        if (x < width && row < height) {
            uint8_t* line = bits + size_t(row) * stride;
            if (four) {
                uint8_t& b = line[x / 2];
                b = (x & 1) ? uint8_t((b & 0xF0) | (value & 0x0F)) : uint8_t((b & 0x0F) | (value << 4));
            } else {
                line[x] = uint8_t(value);
            }
        }
        ++x;
    };
    while (end - in >= 2 && row < height) {
        const int count = in[0], value = in[1];
        in += 2;
        if (count) {  // a run
            for (int i = 0; i < count && x < width; ++i) put(four ? ((i & 1) ? value & 0x0F : value >> 4) : value);
            continue;
        }
        switch (value) {
        case 0:  // end of line
            x = 0;
            ++row;
            break;
        case 1:  // end of bitmap
            return;
        case 2:  // delta
            if (end - in < 2) return;
            x += in[0];
            row += in[1];
            in += 2;
            break;
        default: {  // absolute run of `value` pixels, padded to 16 bits
            const size_t bytes = four ? (size_t(value) + 1) / 2 : size_t(value);
            const size_t padded = (bytes + 1) & ~size_t(1);
            if (size_t(end - in) < bytes) return;
            for (int i = 0; i < value; ++i) {
                if (four) put((i & 1) ? in[i / 2] & 0x0F : in[i / 2] >> 4);
                else put(in[i]);
            }
            in += std::min(padded, size_t(end - in));
            break;
        }
        }
    }
}

int DecodeBmpBytes(const uint8_t* data, size_t size, DibImage& out) {
    if (size < 14 + 12 || data[0] != 'B' || data[1] != 'M') return kImageFailed;
    const uint32_t offBits = le::U32(data + 10);
    const uint8_t* h = data + 14;
    const uint32_t headerSize = le::U32(h);

    int64_t width, height;
    int bpp;
    uint32_t compression = 0, clrUsed = 0;
    int32_t xppm = 0, yppm = 0;
    size_t entrySize = 4;
    if (headerSize == 12) {
        width = le::U16(h + 4);
        height = le::U16(h + 6);
        if (le::U16(h + 8) != 1) return kImageFailed;  // planes
        bpp = le::U16(h + 10);
        entrySize = 3;
    } else if (headerSize == 40 || headerSize == 108 || headerSize == 124) {
        if (headerSize > size - 14) return kImageFailed;
        width = int32_t(le::U32(h + 4));
        height = int32_t(le::U32(h + 8));
        if (le::U16(h + 12) != 1) return kImageFailed;  // planes
        bpp = le::U16(h + 14);
        compression = le::U32(h + 16);
        xppm = int32_t(le::U32(h + 24));
        yppm = int32_t(le::U32(h + 28));
        clrUsed = le::U32(h + 32);
    } else {
        return kImageFailed;
    }

    const bool topDown = height < 0;
    if (topDown) height = -height;
    switch (bpp) {
    case 1: case 24:
        if (compression != 0) return kImageFailed;
        break;
    case 4:
        if (compression != 0 && compression != kRle4) return kImageFailed;
        break;
    case 8:
        if (compression != 0 && compression != kRle8) return kImageFailed;
        break;
    case 16: case 32:
        if (compression != 0 && compression != kBiBitfields) return kImageFailed;
        break;
    default:
        return kImageFailed;
    }
    const bool rle = compression == kRle4 || compression == kRle8;
    if (rle && topDown) return kImageFailed;
    if (!WithinImageLimits(width, height, bpp)) return kImageFailed;

    // Colour table (or channel masks) after the header.
    const size_t tableAt = 14 + size_t(headerSize);
    int colours = 0;
    if (bpp <= 8) {
        colours = 1 << bpp;
        if (headerSize != 12 && clrUsed) colours = int(std::min<uint32_t>(clrUsed, uint32_t(colours)));
    }
    uint32_t masks[3] = {0, 0, 0};
    size_t tableBytes = size_t(colours) * entrySize;
    if (compression == kBiBitfields) {
        // The masks follow the 40-byte part of the header (inside v4/v5 headers).
        const size_t masksAt = 14 + 40;
        if (size < masksAt + 12) return kImageFailed;
        for (int i = 0; i < 3; ++i) masks[i] = le::U32(data + masksAt + 4 * size_t(i));
        if (headerSize == 40) tableBytes = 12;
    }
    if (tableAt + tableBytes > size) return kImageFailed;

    DibImage image;
    if (image.Create(int(width), int(height), bpp) != kImageOk) return kImageFailed;
    DibInfo& info = image.Info();
    info.header.xPelsPerMeter = xppm;
    info.header.yPelsPerMeter = yppm;
    for (int i = 0; i < colours; ++i) {
        const uint8_t* e = data + tableAt + size_t(i) * entrySize;
        info.colours[i].blue = e[0];
        info.colours[i].green = e[1];
        info.colours[i].red = e[2];
        info.colours[i].reserved = 0;
    }
    if (bpp <= 8 && colours < (1 << bpp)) info.header.clrUsed = uint32_t(colours);

    const size_t pixelsAt = offBits ? size_t(offBits) : tableAt + tableBytes;
    if (pixelsAt > size) return kImageFailed;
    const uint8_t* pixels = data + pixelsAt;
    const size_t available = size - pixelsAt;
    const size_t stride = image.Stride();
    uint8_t* bits = image.Bits();
    const int w = int(width), rows = int(height);

    if (rle) {
        ExpandRle(pixels, pixels + available, compression == kRle4, image);
    } else {
        if (available / stride < size_t(rows)) return kImageFailed;  // file shorter than its pixels
        auto sourceRow = [&](int memoryRow) {
            return pixels + size_t(topDown ? rows - 1 - memoryRow : memoryRow) * stride;
        };
        const bool plainCopy =
            bpp <= 8 || bpp == 24 || compression == 0 ||
            (bpp == 16 && masks[0] == 0x7C00 && masks[1] == 0x03E0 && masks[2] == 0x001F) ||
            (bpp == 32 && masks[0] == 0x00FF0000 && masks[1] == 0x0000FF00 && masks[2] == 0x000000FF);
        if (plainCopy) {
            for (int r = 0; r < rows; ++r) std::memcpy(bits + size_t(r) * stride, sourceRow(r), stride);
        } else {
            const ChannelField red(masks[0]), green(masks[1]), blue(masks[2]);
            for (int r = 0; r < rows; ++r) {
                const uint8_t* in = sourceRow(r);
                uint8_t* o = bits + size_t(r) * stride;
                for (int x = 0; x < w; ++x) {
                    if (bpp == 16) {
                        const uint32_t v = le::U16(in + 2 * size_t(x));
                        const uint32_t p = ((red.Extract(v) >> 3) << 10) | ((green.Extract(v) >> 3) << 5) |
                                           (blue.Extract(v) >> 3);
                        o[2 * size_t(x)] = uint8_t(p);
                        o[2 * size_t(x) + 1] = uint8_t(p >> 8);
                    } else {
                        const uint32_t v = le::U32(in + 4 * size_t(x));
                        uint8_t* q = o + 4 * size_t(x);
                        q[0] = uint8_t(blue.Extract(v));
                        q[1] = uint8_t(green.Extract(v));
                        q[2] = uint8_t(red.Extract(v));
                        q[3] = 0;
                    }
                }
            }
        }
    }
    // A 16-bit section is 5-5-5; its masks follow the header in `info`.
    if (bpp == 16) {
        const uint32_t fiveFiveFive[3] = {0x7C00, 0x03E0, 0x001F};
        std::memcpy(reinterpret_cast<uint8_t*>(info.colours), fiveFiveFive, sizeof fiveFiveFive);
    }
    out = std::move(image);
    return kImageOk;
}

}  // namespace

int DecodeBmp(ByteSource& source, DibImage& out) {
    SourceBytes bytes;
    if (!bytes.Load(source)) return kImageFailed;
    return DecodeBmpBytes(bytes.data(), bytes.size(), out);
}

int EncodeBmp(const DibImage& image, std::vector<uint8_t>& out) {
    out.clear();
    if (image.IsEmpty()) return kImageBadArgument;
    DibHeader header = image.Info().header;
    const int bpp = header.bitCount;
    uint32_t colours = 0;
    if (bpp <= 8) colours = header.clrUsed ? std::min<uint32_t>(header.clrUsed, 256) : 256;

    // 32-bit images carry the standard masks: written as plain 32-bit pixels,
    // which needs no mask block. Other masks are written after the header.
    uint32_t masks[3] = {0, 0, 0};
    size_t maskBytes = 0;
    if (header.compression == kBiBitfields) {
        std::memcpy(masks, reinterpret_cast<const uint8_t*>(image.Info().colours), sizeof masks);
        if (bpp == 32 && masks[0] == 0x00FF0000 && masks[1] == 0x0000FF00 && masks[2] == 0x000000FF) {
            header.compression = kBiRgb;
        } else {
            maskBytes = 12;
        }
    }
    const size_t stride = image.Stride();
    const size_t pixelBytes = stride * size_t(image.Height());
    const size_t offset = 54 + maskBytes + 4 * size_t(colours);
    const size_t total = offset + pixelBytes;
    if (header.xPelsPerMeter == 0) header.xPelsPerMeter = 5903;
    if (header.yPelsPerMeter == 0) header.yPelsPerMeter = 5903;
    header.size = 40;

    out.reserve(total);
    out.push_back('B');
    out.push_back('M');
    le::PutU32(out, uint32_t(total));
    le::PutU32(out, 0);
    le::PutU32(out, uint32_t(offset));
    le::PutU32(out, header.size);
    le::PutU32(out, uint32_t(header.width));
    le::PutU32(out, uint32_t(header.height));
    le::PutU16(out, uint16_t(header.planes ? header.planes : 1));
    le::PutU16(out, header.bitCount);
    le::PutU32(out, header.compression);
    le::PutU32(out, header.sizeImage);
    le::PutU32(out, uint32_t(header.xPelsPerMeter));
    le::PutU32(out, uint32_t(header.yPelsPerMeter));
    le::PutU32(out, header.clrUsed);
    le::PutU32(out, header.clrImportant);
    if (maskBytes)
        for (uint32_t m : masks) le::PutU32(out, m);
    const uint8_t* table = reinterpret_cast<const uint8_t*>(image.Info().colours);
    out.insert(out.end(), table, table + 4 * size_t(colours));
    out.insert(out.end(), image.Bits(), image.Bits() + pixelBytes);
    return kImageOk;
}

}  // namespace mrw::imaging
