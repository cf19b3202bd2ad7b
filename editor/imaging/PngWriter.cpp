#include "editor/imaging/PngWriter.h"

#include <png.h>

#include <csetjmp>

#include "editor/imaging/ImageFormat.h"
#include "platform/Files.h"

namespace mrw {

namespace {

void WriteData(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}
void FlushData(png_structp) {}
void OnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void OnWarning(png_structp, png_const_charp) {}

struct PngWriteState {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~PngWriteState() { png_destroy_write_struct(&png, info ? &info : nullptr); }
};

// Top-down red-green-blue(-alpha) rows of the image.
bool MakeRows(const DibImage& image, bool alpha, std::vector<uint8_t>& rows, size_t& rowBytes) {
    const int w = image.Width(), h = image.Height(), bpp = image.BitsPerPixel();
    const int channels = alpha ? 4 : 3;
    rowBytes = size_t(w) * size_t(channels);
    rows.assign(rowBytes * size_t(h), 0);
    const PaletteEntry* table = image.Info().colours;
    for (int y = 0; y < h; ++y) {
        const uint8_t* s = image.Row(y);
        uint8_t* d = rows.data() + rowBytes * size_t(y);
        for (int x = 0; x < w; ++x, d += channels) {
            if (bpp == 24 || bpp == 32) {
                const uint8_t* p = s + size_t(x) * size_t(bpp / 8);
                d[0] = p[2], d[1] = p[1], d[2] = p[0];
                if (alpha) d[3] = p[3];
            } else {
                const int bitOffset = x * bpp;
                const int shift = 8 - bpp - (bitOffset % 8);
                const int index = (s[bitOffset / 8] >> shift) & ((1 << bpp) - 1);
                d[0] = table[index].red, d[1] = table[index].green, d[2] = table[index].blue;
            }
        }
    }
    return true;
}

}  // namespace

int EncodePng(const DibImage& image, std::vector<uint8_t>& out) {
    out.clear();
    if (image.IsEmpty()) return kImageBadArgument;
    const int bpp = image.BitsPerPixel();
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32) return kImageBadDepth;
    const bool alpha = bpp == 32;
    std::vector<uint8_t> rows;
    size_t rowBytes = 0;
    MakeRows(image, alpha, rows, rowBytes);
    std::vector<png_bytep> pointers(size_t(image.Height()));
    for (size_t y = 0; y < pointers.size(); ++y) pointers[y] = rows.data() + rowBytes * y;

    PngWriteState state;
    state.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
    if (!state.png) return kImageFailed;
    state.info = png_create_info_struct(state.png);
    if (!state.info) return kImageFailed;
    if (setjmp(png_jmpbuf(state.png))) {
        out.clear();
        return kImageFailed;
    }
    png_set_write_fn(state.png, &out, WriteData, FlushData);
    png_set_IHDR(state.png, state.info, png_uint_32(image.Width()), png_uint_32(image.Height()), 8,
                 alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(state.png, state.info);
    png_write_image(state.png, pointers.data());
    png_write_end(state.png, nullptr);
    return kImageOk;
}

int SavePng(const DibImage& image, const std::string& path) {
    std::vector<uint8_t> bytes;
    const int result = EncodePng(image, bytes);
    if (result != kImageOk) return result;
    return files::WriteAll(path, bytes.data(), bytes.size()) ? kImageOk : kImageFailed;
}

}  // namespace mrw
