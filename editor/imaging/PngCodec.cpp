// PNG reading through libpng: 16-bit samples stripped to 8, a transparency
// chunk expanded to alpha, grey with alpha expanded to colour, blue-green-red
// order. Palette and grey images of 1, 4 and 8 bits stay indexed (2-bit ones
// are widened to 4 bits); colour results are 24 or 32 bits. Library errors
// jump back through setjmp.
#include <png.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "editor/imaging/Codecs.h"

namespace mrw::imaging {

namespace {

// Reads the source front to back; running out of bytes (or a read that
// fails) is a library error.
struct SourceReader {
    ByteSource& source;
    uint64_t pos;
};

void ReadData(png_structp png, png_bytep out, png_size_t length) {
    SourceReader* r = static_cast<SourceReader*>(png_get_io_ptr(png));
    if (!r->source.ReadAt(r->pos, out, length)) png_error(png, "truncated");
    r->pos += length;
}

void OnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void OnWarning(png_structp, png_const_charp) {}

// libpng's memory, within the fuzzers' limit (LimitImagesForFuzzing).
png_voidp Allocate(png_structp, png_alloc_size_t size) {
    const size_t limit = LibraryAllocationLimit();
    return limit == 0 || size <= limit ? std::malloc(size) : nullptr;
}
void Release(png_structp, png_voidp memory) { std::free(memory); }

// Owns the read structures for the duration of a decode.
struct PngReader {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~PngReader() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
};

struct Buffers {
    std::vector<png_bytep> rows;
    std::vector<uint8_t> packed;  // 2-bit rows before widening
};

int DecodeSteps(PngReader& r, SourceReader& input, DibImage& image, Buffers& buffers) {
    png_structp png = r.png;
    png_infop info = r.info;
    png_set_read_fn(png, &input, ReadData);
    png_set_user_limits(png, kMaxImageSide, kMaxImageSide);
    png_set_chunk_malloc_max(png, 64u << 20);
    // The picture needs none of the text and Exif chunks, and libpng would
    // allocate each at the length it declares (a 73-byte file can ask for
    // 600 MB) before reading it: they are passed over unread.
    static const png_byte kUnread[] = "tEXt\0zTXt\0iTXt\0eXIf";
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, kUnread, 4);
    png_read_info(png, info);

    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colourType = 0, interlace = 0;
    png_get_IHDR(png, info, &width, &height, &bitDepth, &colourType, &interlace, nullptr, nullptr);
    if (!WithinImageLimits(width, height, 32)) return kImageFailed;

    const bool hasTrns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    if (bitDepth == 16) png_set_strip_16(png);
    if (hasTrns) png_set_tRNS_to_alpha(png);
    if (colourType == PNG_COLOR_TYPE_GRAY_ALPHA || (colourType == PNG_COLOR_TYPE_GRAY && hasTrns))
        png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);

    const int channels = png_get_channels(png, info);
    const int depth = png_get_bit_depth(png, info);
    const int pixelBits = channels * depth;
    if (pixelBits != 1 && pixelBits != 2 && pixelBits != 4 && pixelBits != 8 && pixelBits != 24 && pixelBits != 32)
        return kImageFailed;
    const int sectionBits = pixelBits == 2 ? 4 : pixelBits;
    if (image.Create(int(width), int(height), sectionBits) != kImageOk) return kImageFailed;
    DibInfo& dib = image.Info();

    if (sectionBits <= 8) {
        if (colourType == PNG_COLOR_TYPE_PALETTE) {
            png_colorp palette = nullptr;
            int count = 0;
            if (png_get_PLTE(png, info, &palette, &count) && palette) {
                if (count > 256) count = 256;
                for (int i = 0; i < count; ++i) {
                    dib.colours[i].red = palette[i].red;
                    dib.colours[i].green = palette[i].green;
                    dib.colours[i].blue = palette[i].blue;
                }
                if (count < (1 << sectionBits)) dib.header.clrUsed = uint32_t(count);
            }
        } else if (pixelBits == 1) {
            dib.colours[1].red = dib.colours[1].green = dib.colours[1].blue = 255;
        } else if (pixelBits == 2) {
            // Four greys; the indexes stay 0-3 in the widened 4-bit section.
            for (int i = 0; i < 4; ++i)
                dib.colours[i].red = dib.colours[i].green = dib.colours[i].blue = uint8_t(85 * i);
            dib.header.clrUsed = 4;
        } else if (pixelBits == 4) {
            for (int i = 0; i < 16; ++i)
                dib.colours[i].red = dib.colours[i].green = dib.colours[i].blue = uint8_t(17 * i);
        } else {
            image.SetGreyPalette();
        }
    }

    png_uint_32 xppm = 0, yppm = 0;
    int unit = 0;
    if (png_get_pHYs(png, info, &xppm, &yppm, &unit) && unit == PNG_RESOLUTION_METER) {
        dib.header.xPelsPerMeter = int32_t(xppm);
        dib.header.yPelsPerMeter = int32_t(yppm);
    } else {
        dib.header.xPelsPerMeter = dib.header.yPelsPerMeter = 5903;
    }

    buffers.rows.resize(height);
    size_t packedStride = 0;
    if (pixelBits == 2) {
        packedStride = png_get_rowbytes(png, info);
        buffers.packed.assign(packedStride * height, 0);
        for (png_uint_32 y = 0; y < height; ++y) buffers.rows[y] = buffers.packed.data() + y * packedStride;
    } else {
        for (png_uint_32 y = 0; y < height; ++y) buffers.rows[y] = image.Row(int(y));
    }
    png_read_image(png, buffers.rows.data());

    if (pixelBits == 2) {
        for (png_uint_32 y = 0; y < height; ++y) {
            const uint8_t* in = buffers.packed.data() + y * packedStride;
            uint8_t* out = image.Row(int(y));
            for (png_uint_32 x = 0; x < width; ++x) {
                const int v = (in[x >> 2] >> ((3 - (x & 3)) * 2)) & 3;
                if (x & 1) out[x >> 1] = uint8_t(out[x >> 1] | v);
                else out[x >> 1] = uint8_t(v << 4);
            }
        }
    }
    return kImageOk;
}

}  // namespace

int DecodePng(ByteSource& source, DibImage& out) {
    png_byte signature[8];
    if (!source.ReadAt(0, signature, sizeof signature) || png_sig_cmp(signature, 0, sizeof signature) != 0)
        return kImageFailed;
    PngReader r;
    r.png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning, nullptr, Allocate, Release);
    if (!r.png) return kImageFailed;
    r.info = png_create_info_struct(r.png);
    if (!r.info) return kImageFailed;
    SourceReader input{source, 0};
    DibImage image;
    Buffers buffers;
    int result;
    if (setjmp(png_jmpbuf(r.png))) {
        result = kImageFailed;
    } else {
        result = DecodeSteps(r, input, image, buffers);
    }
    if (result == kImageOk) out = std::move(image);
    return result;
}

}  // namespace mrw::imaging
