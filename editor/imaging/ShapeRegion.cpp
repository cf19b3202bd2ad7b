// Shape regions: the parts of a picture that are not of a key colour, as
// rectangles one row high.
#include "editor/imaging/ShapeRegion.h"

#include "editor/imaging/DibImage.h"

namespace mrw {

bool ShapeRegion::Contains(int x, int y) const {
    for (const RegionRect& r : rects_)
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
    return false;
}

const ShapeRegion& DibImage::BuildShapeRegion(Colour keyColour) {
    shape_.Clear();
    const int bpp = BitsPerPixel();
    if (IsEmpty() || (bpp != 24 && bpp != 32)) return shape_;
    const int bytes = bpp / 8;
    const uint8_t kr = uint8_t(RedOf(keyColour)), kg = uint8_t(GreenOf(keyColour));
    const uint8_t kb = uint8_t(BlueOf(keyColour));
    const int w = Width();
    for (int y = 0; y < Height(); ++y) {
        const uint8_t* p = Row(y);
        int x = 0;
        while (x < w) {
            // Skip the key colour, then take the run of other colours.
            while (x < w) {
                const uint8_t* q = p + size_t(x) * size_t(bytes);
                if (q[0] != kb || q[1] != kg || q[2] != kr) break;
                ++x;
            }
            if (x >= w) break;
            const int start = x;
            while (x < w) {
                const uint8_t* q = p + size_t(x) * size_t(bytes);
                if (q[0] == kb && q[1] == kg && q[2] == kr) break;
                ++x;
            }
            shape_.Add(RegionRect{start, y, x, y + 1});
        }
    }
    return shape_;
}

}  // namespace mrw
