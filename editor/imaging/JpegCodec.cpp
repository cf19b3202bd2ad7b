// JPEG reading and writing through libjpeg (6b interface). Library errors
// jump back through setjmp so that a damaged file never ends the process.
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

#include "editor/imaging/Codecs.h"

namespace mrw::imaging {

namespace {

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

void OnError(j_common_ptr cinfo) {
    ErrorManager* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    std::longjmp(err->jump, 1);
}

// Warnings (corrupt data that the library can work round) are not shown.
void OnMessage(j_common_ptr, int) {}

// Damaged progressive files can hold endless scans; beyond this many the
// decode is abandoned.
constexpr int kMaxScans = 1000;

void OnProgress(j_common_ptr cinfo) {
    if (!cinfo->is_decompressor) return;
    j_decompress_ptr d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number > kMaxScans) cinfo->err->error_exit(cinfo);
}

// Source manager reading the source in chunks; past its end the library
// gets an end-of-image marker, as with a truncated file. A source that
// cannot be read ends the decode as a library error does.
constexpr size_t kInputChunk = 4096;

struct StreamSource {
    jpeg_source_mgr pub;
    ByteSource* source;
    uint64_t position;  // the source's next byte to read
    JOCTET eoi[2];
    JOCTET buffer[kInputChunk];
};

void InitSource(j_decompress_ptr) {}

boolean FillInput(j_decompress_ptr cinfo) {
    StreamSource* src = reinterpret_cast<StreamSource*>(cinfo->src);
    const uint64_t size = src->source->Size();
    const size_t n = src->position < size ? size_t(std::min<uint64_t>(kInputChunk, size - src->position)) : 0;
    if (n > 0) {
        if (!src->source->ReadAt(src->position, src->buffer, n))
            cinfo->err->error_exit(reinterpret_cast<j_common_ptr>(cinfo));
        src->position += n;
        src->pub.next_input_byte = src->buffer;
        src->pub.bytes_in_buffer = n;
        return TRUE;
    }
    src->eoi[0] = 0xFF;
    src->eoi[1] = JPEG_EOI;
    src->pub.next_input_byte = src->eoi;
    src->pub.bytes_in_buffer = 2;
    return TRUE;
}

void SkipInput(j_decompress_ptr cinfo, long count) {
    if (count <= 0) return;
    StreamSource* src = reinterpret_cast<StreamSource*>(cinfo->src);
    if (size_t(count) > src->pub.bytes_in_buffer) {
        // Beyond the chunk at hand: reading goes on that far into the source
        // (past its end, the next fill gives the end-of-image marker).
        src->position += uint64_t(count) - src->pub.bytes_in_buffer;
        src->pub.next_input_byte = src->buffer;
        src->pub.bytes_in_buffer = 0;
        return;
    }
    src->pub.next_input_byte += count;
    src->pub.bytes_in_buffer -= size_t(count);
}

void TermSource(j_decompress_ptr) {}

// Destination manager that appends to a vector.
struct MemoryDestination {
    jpeg_destination_mgr pub;
    std::vector<uint8_t>* out;
    JOCTET buffer[16384];
};

void InitDestination(j_compress_ptr cinfo) {
    MemoryDestination* dest = reinterpret_cast<MemoryDestination*>(cinfo->dest);
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = sizeof dest->buffer;
}

boolean EmptyOutput(j_compress_ptr cinfo) {
    MemoryDestination* dest = reinterpret_cast<MemoryDestination*>(cinfo->dest);
    dest->out->insert(dest->out->end(), dest->buffer, dest->buffer + sizeof dest->buffer);
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = sizeof dest->buffer;
    return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
    MemoryDestination* dest = reinterpret_cast<MemoryDestination*>(cinfo->dest);
    const size_t used = sizeof dest->buffer - dest->pub.free_in_buffer;
    dest->out->insert(dest->out->end(), dest->buffer, dest->buffer + used);
}

// Owns a decompressor for the duration of a decode, so that every path,
// including the error jump, destroys it.
struct Decompressor {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    StreamSource src;
    jpeg_progress_mgr progress;
    Decompressor() {
        std::memset(&progress, 0, sizeof progress);
        progress.progress_monitor = OnProgress;
        std::memset(&cinfo, 0, sizeof cinfo);
        cinfo.err = jpeg_std_error(&err.pub);
        err.pub.error_exit = OnError;
        err.pub.emit_message = OnMessage;
    }
    ~Decompressor() { jpeg_destroy_decompress(&cinfo); }
};

struct Compressor {
    jpeg_compress_struct cinfo;
    ErrorManager err;
    MemoryDestination dest;
    Compressor() {
        std::memset(&cinfo, 0, sizeof cinfo);
        cinfo.err = jpeg_std_error(&err.pub);
        err.pub.error_exit = OnError;
        err.pub.emit_message = OnMessage;
    }
    ~Compressor() { jpeg_destroy_compress(&cinfo); }
};

// A JFIF density, taken as dots per inch, in pixels per metre. Computed in 64
// bits: a density above 21473 overflows an int on the way.
int32_t PixelsPerMetre(unsigned density) {
    const int64_t perMetre = int64_t(density) * 100005 / 2541;
    return int32_t(std::min<int64_t>(perMetre, std::numeric_limits<int32_t>::max()));
}

// The decoding steps between the setjmp and the end; no object with a
// destructor lives in this frame, so the jump skips nothing.
int DecodeSteps(Decompressor& d, ByteSource& source, DibImage& image, std::vector<uint8_t>& cmykLine) {
    j_decompress_ptr cinfo = &d.cinfo;
    jpeg_create_decompress(cinfo);
    d.src.pub.init_source = InitSource;
    d.src.pub.fill_input_buffer = FillInput;
    d.src.pub.skip_input_data = SkipInput;
    d.src.pub.resync_to_restart = jpeg_resync_to_restart;
    d.src.pub.term_source = TermSource;
    d.src.pub.next_input_byte = nullptr;
    d.src.pub.bytes_in_buffer = 0;
    d.src.source = &source;
    d.src.position = 0;
    cinfo->src = &d.src.pub;
    cinfo->progress = &d.progress;

    jpeg_read_header(cinfo, TRUE);
    if (!WithinImageLimits(cinfo->image_width, cinfo->image_height, 24)) return kImageFailed;
    // Four-component files (CMYK, YCCK) are converted to colour below.
    const bool cmyk = cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK;
    if (cmyk) cinfo->out_color_space = JCS_CMYK;
    jpeg_start_decompress(cinfo);
    const int components = cinfo->output_components;
    if (cmyk ? components != 4 : (components != 3 && components != 1)) return kImageFailed;
    const int sectionBits = components == 1 ? 8 : 24;
    const int width = int(cinfo->output_width), height = int(cinfo->output_height);
    if (!WithinImageLimits(width, height, sectionBits)) return kImageFailed;
    if (image.Create(width, height, sectionBits) != kImageOk) return kImageFailed;
    if (components == 1) image.SetGreyPalette();
    if (cmyk) cmykLine.resize(size_t(width) * 4);
    // Adobe's CMYK files store the inks inverted.
    const bool inverted = cinfo->saw_Adobe_marker;

    int32_t density = PixelsPerMetre(cinfo->X_density);
    image.Info().header.xPelsPerMeter = density ? density : 5903;
    density = PixelsPerMetre(cinfo->Y_density);
    image.Info().header.yPelsPerMeter = density ? density : 5903;

    while (cinfo->output_scanline < cinfo->output_height) {
        uint8_t* row = image.Row(int(cinfo->output_scanline));
        JSAMPROW rows[1] = {cmyk ? cmykLine.data() : row};
        if (jpeg_read_scanlines(cinfo, rows, 1) != 1) return kImageFailed;
        if (cmyk) {
            for (int x = 0; x < width; ++x) {
                const uint8_t* p = &cmykLine[4 * size_t(x)];
                const unsigned k = inverted ? p[3] : 255u - p[3];
                for (int c = 0; c < 3; ++c) {
                    const unsigned ink = inverted ? p[c] : 255u - p[c];
                    row[3 * x + 2 - c] = uint8_t(ink * k / 255);
                }
            }
        } else if (components == 3) {
            for (int x = 0; x < width; ++x) std::swap(row[3 * x], row[3 * x + 2]);
        }
    }
    jpeg_finish_decompress(cinfo);
    return kImageOk;
}

int EncodeSteps(Compressor& c, const DibImage& image, std::vector<uint8_t>& out, std::vector<uint8_t>& line) {
    j_compress_ptr cinfo = &c.cinfo;
    jpeg_create_compress(cinfo);
    c.dest.out = &out;
    c.dest.pub.init_destination = InitDestination;
    c.dest.pub.empty_output_buffer = EmptyOutput;
    c.dest.pub.term_destination = TermDestination;
    cinfo->dest = &c.dest.pub;

    const bool grey = image.BitsPerPixel() == 8;
    cinfo->image_width = JDIMENSION(image.Width());
    cinfo->image_height = JDIMENSION(image.Height());
    cinfo->input_components = grey ? 1 : 3;
    cinfo->in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(cinfo);
    jpeg_set_quality(cinfo, 75, TRUE);
    jpeg_start_compress(cinfo, TRUE);
    const int width = image.Width();
    while (cinfo->next_scanline < cinfo->image_height) {
        const uint8_t* row = image.Row(int(cinfo->next_scanline));
        if (grey) {
            std::memcpy(line.data(), row, size_t(width));
        } else {
            for (int x = 0; x < width; ++x) {
                line[3 * x] = row[3 * x + 2];
                line[3 * x + 1] = row[3 * x + 1];
                line[3 * x + 2] = row[3 * x];
            }
        }
        JSAMPROW rows[1] = {line.data()};
        jpeg_write_scanlines(cinfo, rows, 1);
    }
    jpeg_finish_compress(cinfo);
    return kImageOk;
}

}  // namespace

int DecodeJpeg(ByteSource& source, DibImage& out) {
    if (source.Size() < 2) return kImageFailed;
    Decompressor d;
    DibImage image;
    std::vector<uint8_t> cmykLine;
    int result;
    if (setjmp(d.err.jump)) {
        result = kImageFailed;
    } else {
        result = DecodeSteps(d, source, image, cmykLine);
    }
    if (result == kImageOk) out = std::move(image);
    return result;
}

int EncodeJpeg(const DibImage& image, std::vector<uint8_t>& out) {
    out.clear();
    if (image.IsEmpty()) return kImageBadArgument;
    if (image.BitsPerPixel() != 24 && image.BitsPerPixel() != 8) return kImageBadDepth;
    std::vector<uint8_t> line(size_t(image.Width()) * 3);
    Compressor c;
    int result;
    if (setjmp(c.err.jump)) {
        result = kImageFailed;
    } else {
        result = EncodeSteps(c, image, out, line);
    }
    if (result != kImageOk) out.clear();
    return result;
}

}  // namespace mrw::imaging
