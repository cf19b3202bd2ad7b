// Fuzzes the GIF decoder; every image it accepts (up to kCheckedPixels) is
// written back as GIF87a and must decode to the same indexes and colours.
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
    uint32_t transparent = 0;
    mrw::MemoryByteSource source(data, size);
    if (mrw::imaging::DecodeGif(source, image, transparent) != 0) return 0;
    if (image.BitsPerPixel() != 8 || image.Width() <= 0 || image.Height() <= 0) std::abort();
    if (transparent != 0 && (transparent >> 24) != 0xFF) std::abort();
    if (!mrw::fuzz::SmallEnoughToCheck(image)) return 0;

    std::vector<uint8_t> encoded;
    if (mrw::imaging::EncodeGif(image, encoded) != 0) std::abort();
    mrw::DibImage again;
    if (mrw::imaging::DecodeGif(encoded.data(), encoded.size(), again, transparent) != 0) std::abort();
    if (again.Width() != image.Width() || again.Height() != image.Height()) std::abort();
    for (int y = 0; y < image.Height(); ++y)
        if (std::memcmp(image.Row(y), again.Row(y), size_t(image.Width())) != 0) std::abort();
    if (std::memcmp(image.Info().colours, again.Info().colours, sizeof image.Info().colours) != 0) std::abort();
    return 0;
}
