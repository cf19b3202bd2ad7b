// GIF reading (first image only, into an 8-bit image) and GIF87a writing.
#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>

#include "base/ByteOrder.h"
#include "editor/imaging/Codecs.h"

namespace mrw::imaging {

namespace {

constexpr int kMaxCodes = 4096;
constexpr int kMaxCodeBits = 12;

// Bounded reader over the file bytes.
struct Reader {
    const uint8_t* data;
    size_t size;
    size_t pos = 0;
    bool Has(size_t n) const { return size - pos >= n; }
    int Byte() { return pos < size ? data[pos++] : -1; }
};

// Reads the bytes of consecutive data sub-blocks, one at a time; reports the
// end of the sub-blocks (or of the file) as -1.
class SubBlockReader {
public:
    explicit SubBlockReader(Reader& r) : r_(r) {}
    int Next() {
        if (left_ == 0) {
            if (ended_) return -1;
            const int n = r_.Byte();
            if (n <= 0) { ended_ = true; return -1; }
            left_ = n;
        }
        const int b = r_.Byte();
        if (b < 0) { ended_ = true; left_ = 0; return -1; }
        --left_;
        return b;
    }

private:
    Reader& r_;
    int left_ = 0;
    bool ended_ = false;
};

void SkipSubBlocks(Reader& r) {
    for (;;) {
        const int n = r.Byte();
        if (n <= 0) return;
        r.pos += std::min<size_t>(size_t(n), r.size - r.pos);
    }
}

// Places decoded pixels row by row, in the four interlace passes when asked.
class RowPlacer {
public:
    RowPlacer(DibImage& image, bool interlaced) : image_(image), interlaced_(interlaced) {
        row_ = image.Row(0);
    }
    // False once every pixel has been placed.
    bool Put(uint8_t index) {
        if (!row_) return false;
        row_[x_] = index;
        if (++x_ == image_.Width()) {
            x_ = 0;
            NextRow();
        }
        return true;
    }
    bool Done() const { return row_ == nullptr; }

private:
    void NextRow() {
        const int h = image_.Height();
        if (!interlaced_) {
            ++y_;
        } else {
            static const int kStart[4] = {0, 4, 2, 1};
            static const int kStep[4] = {8, 8, 4, 2};
            y_ += kStep[pass_];
            while (y_ >= h && pass_ < 3) {
                ++pass_;
                y_ = kStart[pass_];
            }
        }
        row_ = y_ < h ? image_.Row(y_) : nullptr;
    }

    DibImage& image_;
    bool interlaced_;
    uint8_t* row_ = nullptr;
    int x_ = 0, y_ = 0, pass_ = 0;
};

// Complete: every pixel placed. Corrupt: a code the table cannot hold.
// Truncated: the data or an end code came before the last pixel.
enum class LzwEnd { Complete, Corrupt, Truncated };

// GIF LZW: codes of growing width up to 12 bits, clear and end codes.
LzwEnd DecodeLzw(Reader& r, int minCodeSize, RowPlacer& placer) {
    const int clear = 1 << minCodeSize, endCode = clear + 1;
    uint16_t prefix[kMaxCodes];
    uint8_t suffix[kMaxCodes];
    uint8_t first[kMaxCodes];
    uint8_t stack[kMaxCodes + 1];
    for (int i = 0; i < clear; ++i) { prefix[i] = 0; suffix[i] = uint8_t(i); first[i] = uint8_t(i); }

    SubBlockReader in(r);
    uint32_t bitBuffer = 0;
    int bitCount = 0;
    int width = minCodeSize + 1;
    int next = endCode + 1;
    int previous = -1;

    for (;;) {
        while (bitCount < width) {
            const int b = in.Next();
            if (b < 0) return placer.Done() ? LzwEnd::Complete : LzwEnd::Truncated;
            bitBuffer |= uint32_t(b) << bitCount;
            bitCount += 8;
        }
        const int code = int(bitBuffer & ((1u << width) - 1));
        bitBuffer >>= width;
        bitCount -= width;

        if (code == clear) {
            width = minCodeSize + 1;
            next = endCode + 1;
            previous = -1;
            continue;
        }
        if (code == endCode) return placer.Done() ? LzwEnd::Complete : LzwEnd::Truncated;

        int depth = 0;
        if (previous < 0) {
            if (code >= clear || code > 255) return LzwEnd::Corrupt;  // first code after a clear must be a pixel
            stack[depth++] = uint8_t(code);
        } else {
            if (code > next || (code == next && next >= kMaxCodes)) return LzwEnd::Corrupt;
            int c = code;
            if (code == next) {  // the string being defined: previous + its first byte
                stack[depth++] = first[previous];
                c = previous;
            }
            while (c >= clear) {
                if (depth >= kMaxCodes) return LzwEnd::Corrupt;
                stack[depth++] = suffix[c];
                c = prefix[c];
            }
            if (c > 255) return LzwEnd::Corrupt;  // no such index in an 8-bit image
            stack[depth++] = uint8_t(c);
            if (next < kMaxCodes) {
                prefix[next] = uint16_t(previous);
                suffix[next] = uint8_t(c);
                first[next] = first[previous];
                ++next;
                if (next == (1 << width) && width < kMaxCodeBits) ++width;
            }
        }
        previous = code;
        while (depth > 0)
            if (!placer.Put(stack[--depth])) return LzwEnd::Complete;
        if (placer.Done()) return LzwEnd::Complete;
    }
}

int DecodeGifBytes(const uint8_t* data, size_t size, DibImage& out, uint32_t& transparent) {
    transparent = 0;
    Reader r{data, size};
    if (!r.Has(3) || std::memcmp(data, "GIF", 3) != 0) return kImageBadHeader;
    // A file that ends before its version has none of the two it could have.
    if (!r.Has(6) || (std::memcmp(data + 3, "87a", 3) != 0 && std::memcmp(data + 3, "89a", 3) != 0))
        return kImageUnsupported;
    r.pos = 6;
    if (!r.Has(7)) return kImageFailed;
    const uint8_t screenFlags = data[r.pos + 4];
    r.pos += 7;

    PaletteEntry table[256] = {};
    int tableSize = 0;
    auto readTable = [&](int entries) {
        if (!r.Has(size_t(entries) * 3)) return false;
        for (int i = 0; i < entries; ++i) {
            table[i].red = data[r.pos];
            table[i].green = data[r.pos + 1];
            table[i].blue = data[r.pos + 2];
            table[i].reserved = 0;
            r.pos += 3;
        }
        for (int i = entries; i < 256; ++i) table[i] = PaletteEntry{};
        tableSize = entries;
        return true;
    };
    if ((screenFlags & 0x80) && !readTable(2 << (screenFlags & 7))) return kImageFailed;

    int transparentIndex = -1;
    for (;;) {
        const int introducer = r.Byte();
        if (introducer < 0 || introducer == 0x3B) return kImageFailed;  // no image in the file
        if (introducer == 0x21) {
            const int label = r.Byte();
            if (label < 0) return kImageFailed;
            if (label == 0xF9 && r.Has(5) && data[r.pos] >= 4) {
                if (data[r.pos + 1] & 1) transparentIndex = data[r.pos + 4];
            }
            SkipSubBlocks(r);
            continue;
        }
        if (introducer == 0x2C) break;
        // any other byte is skipped
    }

    if (!r.Has(9)) return kImageFailed;
    const int width = le::U16(data + r.pos + 4);
    const int height = le::U16(data + r.pos + 6);
    const uint8_t imageFlags = data[r.pos + 8];
    r.pos += 9;
    if ((imageFlags & 0x80) && !readTable(2 << (imageFlags & 7))) return kImageFailed;
    if (!WithinImageLimits(width, height, 8)) return kImageFailed;

    const int minCodeSize = r.Byte();
    if (minCodeSize < 1 || minCodeSize > kMaxCodeBits - 1) return kImageFailed;

    // Each code yields at most a table's length of pixels: data too short for
    // the declared size is truncated whatever it holds (and is refused before
    // the image is allocated).
    {
        uint64_t dataBytes = 0;
        for (size_t p = r.pos; p < size && data[p] != 0; p += size_t(data[p]) + 1)
            dataBytes += std::min<size_t>(data[p], size - p - 1);
        const uint64_t mostPixels = dataBytes * 8 / uint64_t(minCodeSize + 1) * kMaxCodes;
        if (mostPixels < uint64_t(width) * uint64_t(height)) return kImageFailed;
    }

    DibImage image;
    if (image.Create(width, height, 8) != kImageOk) return kImageFailed;
    std::memcpy(image.Info().colours, table, sizeof table);
    image.Info().header.clrUsed = uint32_t(tableSize);
    RowPlacer placer(image, (imageFlags & 0x40) != 0);
    const LzwEnd end = DecodeLzw(r, minCodeSize, placer);
    if (end != LzwEnd::Complete) return kImageFailed;
    // Indexes beyond the colour table name no colour: the file is damaged.
    if (tableSize > 0) {
        for (int y = 0; y < height; ++y) {
            const uint8_t* row = image.Row(y);
            for (int x = 0; x < width; ++x)
                if (row[x] >= tableSize) return kImageFailed;
        }
    }

    if (transparentIndex >= 0) {
        const PaletteEntry& e = table[transparentIndex];
        transparent = 0xFF000000u | (uint32_t(e.red) << 16) | (uint32_t(e.green) << 8) | e.blue;
    }
    out = std::move(image);
    return kImageOk;
}

}  // namespace

int DecodeGif(ByteSource& source, DibImage& out, uint32_t& transparent) {
    transparent = 0;
    SourceBytes bytes;
    if (!bytes.Load(source)) return kImageFailed;
    return DecodeGifBytes(bytes.data(), bytes.size(), out, transparent);
}

namespace {

// LSB-first packing of codes into 255-byte sub-blocks.
class CodeWriter {
public:
    explicit CodeWriter(std::vector<uint8_t>& out) : out_(out) {}
    void Put(int code, int width) {
        buffer_ |= uint32_t(code) << bits_;
        bits_ += width;
        while (bits_ >= 8) {
            Byte(uint8_t(buffer_));
            buffer_ >>= 8;
            bits_ -= 8;
        }
    }
    void Finish() {
        if (bits_ > 0) Byte(uint8_t(buffer_));
        buffer_ = 0;
        bits_ = 0;
        FlushBlock();
        out_.push_back(0);  // block terminator
    }

private:
    void Byte(uint8_t b) {
        block_[blockSize_++] = b;
        if (blockSize_ == 255) FlushBlock();
    }
    void FlushBlock() {
        if (!blockSize_) return;
        out_.push_back(uint8_t(blockSize_));
        out_.insert(out_.end(), block_, block_ + blockSize_);
        blockSize_ = 0;
    }

    std::vector<uint8_t>& out_;
    uint32_t buffer_ = 0;
    int bits_ = 0;
    uint8_t block_[255];
    int blockSize_ = 0;
};

// Open-addressed table of (prefix code, pixel) -> code.
class StringTable {
public:
    StringTable() { Clear(); }
    void Clear() { std::fill(std::begin(keys_), std::end(keys_), kEmpty); }
    int Find(int prefix, int pixel, size_t& slot) const {
        const uint32_t key = (uint32_t(prefix) << 8) | uint32_t(pixel);
        slot = (key * 2654435761u) >> (32 - kBits);
        while (keys_[slot] != kEmpty) {
            if (keys_[slot] == key) return codes_[slot];
            slot = (slot + 1) & (kSize - 1);
        }
        return -1;
    }
    void Insert(size_t slot, int prefix, int pixel, int code) {
        keys_[slot] = (uint32_t(prefix) << 8) | uint32_t(pixel);
        codes_[slot] = uint16_t(code);
    }

private:
    static constexpr int kBits = 13;
    static constexpr size_t kSize = size_t(1) << kBits;
    static constexpr uint32_t kEmpty = 0xFFFFFFFFu;
    uint32_t keys_[kSize];
    uint16_t codes_[kSize];
};

int PixelAt(const uint8_t* row, int x, int bpp) {
    switch (bpp) {
    case 8: return row[x];
    case 4: return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F;
    case 2: return (row[x >> 2] >> ((3 - (x & 3)) * 2)) & 0x03;
    default: return (row[x >> 3] >> (7 - (x & 7))) & 0x01;
    }
}

}  // namespace

int EncodeGif(const DibImage& image, std::vector<uint8_t>& out) {
    out.clear();
    if (image.IsEmpty()) return kImageBadArgument;
    const int bits = image.BitsPerPixel();
    if (bits != 1 && bits != 2 && bits != 4 && bits != 8) return kImageBadDepth;
    const int width = image.Width(), height = image.Height();

    static const char kSignature[] = "GIF87a";
    out.insert(out.end(), kSignature, kSignature + 6);
    le::PutU16(out, uint16_t(width));
    le::PutU16(out, uint16_t(height));
    out.push_back(uint8_t(0x80 | ((bits - 1) << 4) | (bits - 1)));
    out.push_back(0);  // background
    out.push_back(0);  // aspect
    for (int i = 0; i < (1 << bits); ++i) {
        const PaletteEntry& e = image.Info().colours[i];
        out.push_back(e.red);
        out.push_back(e.green);
        out.push_back(e.blue);
    }
    out.push_back(0x2C);
    le::PutU16(out, 0);
    le::PutU16(out, 0);
    le::PutU16(out, uint16_t(width));
    le::PutU16(out, uint16_t(height));
    out.push_back(0);  // no local table, not interlaced

    const int minCodeSize = bits == 1 ? 2 : bits;
    out.push_back(uint8_t(minCodeSize));
    const int clear = 1 << minCodeSize, endCode = clear + 1;

    std::unique_ptr<StringTable> table(new StringTable);
    CodeWriter writer(out);
    int codeWidth = minCodeSize + 1;
    int next = endCode + 1;
    writer.Put(clear, codeWidth);

    int current = -1;
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = image.Row(y);
        for (int x = 0; x < width; ++x) {
            const int pixel = PixelAt(row, x, bits);
            if (current < 0) {
                current = pixel;
                continue;
            }
            size_t slot;
            const int found = table->Find(current, pixel, slot);
            if (found >= 0) {
                current = found;
                continue;
            }
            writer.Put(current, codeWidth);
            if (next < kMaxCodes) {
                table->Insert(slot, current, pixel, next);
                ++next;
                if (next > (1 << codeWidth) && codeWidth < kMaxCodeBits) ++codeWidth;
            } else {
                // Table full: start again with a clear code.
                writer.Put(clear, codeWidth);
                table->Clear();
                codeWidth = minCodeSize + 1;
                next = endCode + 1;
            }
            current = pixel;
        }
    }
    if (current >= 0) {
        writer.Put(current, codeWidth);
        // The reader adds an entry on this last code too: the end code follows
        // at the width that entry gives.
        if (next < kMaxCodes && ++next > (1 << codeWidth) && codeWidth < kMaxCodeBits) ++codeWidth;
    }
    writer.Put(endCode, codeWidth);
    writer.Finish();
    out.push_back(0x3B);
    return kImageOk;
}

}  // namespace mrw::imaging
