// Loading and saving of DibImage: format detection, dispatch to the codecs,
// the transparent-colour and flattening steps, and writing files.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "editor/imaging/Codecs.h"
#include "editor/imaging/DibImage.h"
#include "editor/imaging/ImageFormat.h"
#include "platform/FileByteSource.h"
#include "platform/Files.h"

namespace mrw {

namespace {

// Decodes a source of a detected format into `out`; `transparent` receives
// the colour a GIF marks as transparent.
int DecodeDetected(int format, ByteSource& source, DibImage& out, uint32_t& transparent) {
    transparent = 0;
    switch (format) {
    case kImageBmp: return imaging::DecodeBmp(source, out);
    case kImageGif: return imaging::DecodeGif(source, out, transparent);
    case kImageJpeg: return imaging::DecodeJpeg(source, out);
    case kImagePng: return imaging::DecodePng(source, out);
    case kImageNotRecognised: return kImageUnsupported;
    default: return kImageFailed;  // TIFF, PCX and fax images are recognised but not read
    }
}

// Pixels of the transparent colour keep alpha 0, all others become opaque.
int ApplyTransparentColour(DibImage& image, uint32_t transparent) {
    if (image.ConvertTo(32) != kImageOk) return kImageFailed;
    const uint8_t r = uint8_t(transparent >> 16), g = uint8_t(transparent >> 8), b = uint8_t(transparent);
    const size_t stride = image.Stride();
    uint8_t* bits = image.Bits();
    for (int row = 0; row < image.Height(); ++row) {
        uint8_t* p = bits + size_t(row) * stride;
        for (int x = 0; x < image.Width(); ++x, p += 4)
            if (p[0] != b || p[1] != g || p[2] != r) p[3] = 255;
    }
    return kImageOk;
}

bool AllAlphaZero(const DibImage& image) {
    const size_t stride = image.Stride();
    const uint8_t* bits = image.Bits();
    for (int row = 0; row < image.Height(); ++row) {
        const uint8_t* p = bits + size_t(row) * stride;
        for (int x = 0; x < image.Width(); ++x)
            if (p[4 * size_t(x) + 3]) return false;
    }
    return true;
}

// Flattens a 32-bit image onto white into 24 bits. A BMP whose alpha bytes
// are all zero carries no alpha at all (the usual 32-bit BMP): it is taken as opaque.
int FlattenOntoWhite(DibImage& image, bool zeroAlphaMeansOpaque) {
    if (image.BitsPerPixel() <= 24) return kImageOk;
    const bool opaque = zeroAlphaMeansOpaque && AllAlphaZero(image);
    DibImage out;
    if (out.Create(image.Width(), image.Height(), 24) != kImageOk) return kImageFailed;
    out.Info().header.xPelsPerMeter = image.Info().header.xPelsPerMeter;
    out.Info().header.yPelsPerMeter = image.Info().header.yPelsPerMeter;
    const size_t inStride = image.Stride(), outStride = out.Stride();
    for (int row = 0; row < image.Height(); ++row) {
        const uint8_t* in = image.Bits() + size_t(row) * inStride;
        uint8_t* o = out.Bits() + size_t(row) * outStride;
        for (int x = 0; x < image.Width(); ++x, in += 4, o += 3) {
            const unsigned a = opaque ? 255u : in[3];
            for (int c = 0; c < 3; ++c) o[c] = uint8_t((in[c] * a + (255 - a) * 255) / 255);
        }
    }
    image = std::move(out);
    return kImageOk;
}

enum class LoadMode { KeepAlpha, Flatten };

int LoadSource(DibImage& target, int format, ByteSource& source, LoadMode mode, SaveOptions* reported) {
    if (reported) reported->transparent = 0;
    DibImage image;
    uint32_t transparent = 0;
    int result = DecodeDetected(format, source, image, transparent);
    if (result != kImageOk) return result;
    if (mode == LoadMode::KeepAlpha) {
        if ((transparent >> 24) == 0xFF && ApplyTransparentColour(image, transparent) != kImageOk)
            return kImageFailed;
        if (reported) reported->transparent = transparent;
    } else if (FlattenOntoWhite(image, format == kImageBmp) != kImageOk) {
        return kImageFailed;
    }
    target = std::move(image);
    return kImageOk;
}

int LoadPath(DibImage& target, const std::string& path, LoadMode mode, SaveOptions* reported) {
    FileByteSource file;
    if (!file.Open(path)) return kImageFailed;
    const int format = DetectImageFormat(file, path);
    if (format == -1) return kImageFailed;
    if (format == kImageNotRecognised) return kImageUnsupported;
    if (format != kImageBmp && format != kImageGif && format != kImageJpeg && format != kImagePng)
        return kImageFailed;
    if (file.Size() > imaging::kMaxImageFileBytes) {
        if (format == kImageJpeg) std::fprintf(stderr, "can't open %s\n", path.c_str());
        return kImageFailed;
    }
    return LoadSource(target, format, file, mode, reported);
}

bool IsGreyRamp(const DibImage& image) {
    for (int i = 0; i < 256; ++i) {
        const PaletteEntry& e = image.Info().colours[i];
        if (e.red != i || e.green != i || e.blue != i) return false;
    }
    return true;
}

// Writes a whole encoded file; a file written only in part is deleted.
int WriteFile(const std::string& path, const std::vector<uint8_t>& bytes, bool reportFailure) {
    if (files::WriteAll(path, bytes.data(), bytes.size())) return kImageOk;
    if (files::IsFile(path)) files::Delete(path);
    if (reportFailure) std::fprintf(stderr, "can't open %s\n", path.c_str());
    return kImageFailed;
}

}  // namespace

namespace imaging {

namespace {

size_t& ImageByteLimit() {
    static size_t limit = kMaxImageBytes;
    return limit;
}

size_t& LibraryLimit() {
    static size_t limit = 0;
    return limit;
}

}  // namespace

bool WithinImageLimits(int64_t width, int64_t height, int bitsPerPixel) {
    if (width <= 0 || height <= 0 || bitsPerPixel <= 0) return false;
    if (width > kMaxImageSide || height > kMaxImageSide) return false;
    return DibImage::StrideFor(int(width), bitsPerPixel) * size_t(height) <= ImageByteLimit();
}

void LimitImagesForFuzzing(size_t imageBytes, size_t libraryAllocation) {
    ImageByteLimit() = imageBytes == 0 ? kMaxImageBytes : std::min(imageBytes, kMaxImageBytes);
    LibraryLimit() = libraryAllocation;
}

size_t LibraryAllocationLimit() { return LibraryLimit(); }

bool SourceBytes::Load(ByteSource& source) {
    copy_.clear();
    data_ = nullptr;
    size_ = 0;
    if (const auto* memory = dynamic_cast<const MemoryByteSource*>(&source)) {
        data_ = memory->data();
        size_ = static_cast<size_t>(memory->Size());
        return true;
    }
    const uint64_t size = source.Size();
    if (size > kMaxImageFileBytes) return false;
    copy_.resize(static_cast<size_t>(size));
    if (!copy_.empty() && !source.ReadAt(0, copy_.data(), copy_.size())) {
        copy_.clear();
        return false;
    }
    data_ = copy_.data();
    size_ = copy_.size();
    return true;
}

}  // namespace imaging

int DibImage::Load(const std::string& path, SaveOptions* reported) {
    return LoadPath(*this, path, LoadMode::KeepAlpha, reported);
}

int DibImage::LoadFlattened(const std::string& path) {
    return LoadPath(*this, path, LoadMode::Flatten, nullptr);
}

int DibImage::LoadFromMemory(const uint8_t* data, size_t size, const std::string& nameForProbe) {
    if (!data) size = 0;
    MemoryByteSource source(data, size);
    const int format = DetectImageFormat(source, nameForProbe);
    if (format == kImageNotRecognised) return kImageUnsupported;
    if (format != kImageBmp && format != kImageGif && format != kImageJpeg && format != kImagePng)
        return kImageFailed;
    return LoadSource(*this, format, source, LoadMode::KeepAlpha, nullptr);
}

int DibImage::Save(const std::string& path, int format, const SaveOptions* options) const {
    // The options are normalised as the writers expect them; no writer reads them.
    SaveOptions normalised = options ? *options : SaveOptions{};
    if (normalised.quality < 0 || normalised.quality > 100) normalised.quality = 75;
    if (normalised.mode < 0 || normalised.mode > 4) normalised.mode = 0;
    std::memset(normalised.reserved, 0, sizeof normalised.reserved);
    normalised.subtype = (format >> 8) & 0xFF;

    const int code = format & 0xFF;
    if (code < 1 || code > 8) return kImageUnsupported;
    if (code == kImageJpeg) {
        const bool greyRamp = BitsPerPixel() == 8 && IsGreyRamp(*this);
        if (!IsEmpty() && BitsPerPixel() != 24 && !greyRamp) return kImageBadDepth;
    } else if (code == kImageGif) {
        if (!IsEmpty() && BitsPerPixel() > 8) return kImageBadDepth;
    } else if (code != kImageBmp) {
        return kImageUnsupported;
    }
    if (IsEmpty()) return kImageBadArgument;

    std::vector<uint8_t> bytes;
    int result = kImageFailed;
    switch (code) {
    case kImageBmp: result = imaging::EncodeBmp(*this, bytes); break;
    case kImageGif: result = imaging::EncodeGif(*this, bytes); break;
    case kImageJpeg: result = imaging::EncodeJpeg(*this, bytes); break;
    }
    if (result != kImageOk) return result;
    return WriteFile(path, bytes, code == kImageJpeg);
}

}  // namespace mrw
