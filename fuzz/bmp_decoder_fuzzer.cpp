// Fuzzes the BMP decoder; every image it accepts (up to kCheckedPixels) is
// written back as BMP and must decode to the same pixels, and converts to 24
// bits.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/ByteSource.h"
#include "editor/imaging/Codecs.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    mrw::fuzz::SetUpPictureFuzzing();
    mrw::DibImage image;
    mrw::MemoryByteSource source(data, size);
    if (mrw::imaging::DecodeBmp(source, image) != 0) return 0;
    if (image.Width() <= 0 || image.Height() <= 0 || !image.Bits()) std::abort();
    if (!mrw::fuzz::SmallEnoughToCheck(image)) return 0;

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
    // Every depth converts to 24 bits.
    if (image.ConvertTo(24) != 0) std::abort();
    return 0;
}
