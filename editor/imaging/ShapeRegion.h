// A platform-neutral region: the union of rectangles, kept as the list of
// rectangles it was built from. The windows build turns it into an HRGN.
#pragma once
#include <vector>

namespace mrw {

struct RegionRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

class ShapeRegion {
public:
    void Clear() { rects_.clear(); }
    bool IsEmpty() const { return rects_.empty(); }
    void Add(const RegionRect& r) { rects_.push_back(r); }
    const std::vector<RegionRect>& Rects() const { return rects_; }
    bool Contains(int x, int y) const;

private:
    std::vector<RegionRect> rects_;
};

}  // namespace mrw
