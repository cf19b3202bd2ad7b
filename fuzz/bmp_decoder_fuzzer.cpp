// Fuzzes the BMP decoder; every image it accepts is written back as BMP and
// must decode to the same pixels.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "editor/imaging/Codecs.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    mrw::fuzz::SilencePrompts();
    mrw::DibImage image;
    if (mrw::imaging::DecodeBmp(data, size, image) != 0) return 0;
    if (image.Width() <= 0 || image.Height() <= 0 || !image.Bits()) std::abort();

    std::vector<uint8_t> encoded;
    if (mrw::imaging::EncodeBmp(image, encoded) != 0) std::abort();
    mrw::DibImage again;
    if (mrw::imaging::DecodeBmp(encoded.data(), encoded.size(), again) != 0) std::abort();
    if (again.BitsPerPixel() != image.BitsPerPixel() || again.Width() != image.Width() ||
        again.Height() != image.Height())
        std::abort();
    const size_t used = (size_t(image.Width()) * size_t(image.BitsPerPixel()) + 7) / 8;
    for (int y = 0; y < image.Height(); ++y)
        if (std::memcmp(image.Row(y), again.Row(y), used) != 0) std::abort();
    // Every depth converts to 24 bits (large images may exceed the memory limit).
    const bool small = size_t(image.Width()) * size_t(image.Height()) <= (size_t(1) << 22);
    if (image.ConvertTo(24) != 0 && small) std::abort();
    return 0;
}
