// Fuzzes DibImage::LoadFromMemory with arbitrary bytes: format probe, every
// decoder, the transparent-colour step; then, up to kCheckedPixels, the
// writers and the depth conversion on what loaded.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "editor/imaging/Codecs.h"
#include "editor/imaging/DibImage.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    mrw::fuzz::SetUpPictureFuzzing();
    mrw::DibImage image;
    const int result = image.LoadFromMemory(data, size, "fuzz.t4c");
    if (result != 0) {
        if (!image.IsEmpty()) std::abort();
        return 0;
    }
    if (image.IsEmpty()) std::abort();
    (void)image.AlphaAt(image.Width() - 1, 0);
    if (!mrw::fuzz::SmallEnoughToCheck(image)) return 0;
    std::vector<uint8_t> out;
    if (image.BitsPerPixel() <= 8) mrw::imaging::EncodeGif(image, out);
    if (image.BitsPerPixel() == 24) mrw::imaging::EncodeJpeg(image, out);
    if (image.ConvertTo(24) != 0) std::abort();
    return 0;
}
