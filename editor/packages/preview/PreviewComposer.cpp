#include "editor/packages/preview/PreviewComposer.h"

#include <algorithm>
#include <vector>

#include "editor/packages/preview/PreviewControls.h"

namespace mrw {

namespace {

// Copies the display copy of a child placed at `placement`, only where its
// window is (inside the placement, and inside the region when it has one).
void CopyWindow(const DibImage& picture, const SkinRect& placement, const ShapeRegion& region, DibImage& out) {
    if (picture.IsEmpty() || (picture.BitsPerPixel() != 24 && picture.BitsPerPixel() != 32)) return;
    const int sb = picture.BitsPerPixel() / 8;
    const int w = std::min(placement.Width(), picture.Width());
    const int h = std::min(placement.Height(), picture.Height());
    for (int y = 0; y < h; ++y) {
        const int oy = placement.top + y;
        if (oy < 0 || oy >= out.Height()) continue;
        const uint8_t* s = picture.Row(y);
        uint8_t* d = out.Row(oy);
        for (int x = 0; x < w; ++x) {
            const int ox = placement.left + x;
            if (ox < 0 || ox >= out.Width()) continue;
            if (!region.IsEmpty() && !region.Contains(x, y)) continue;
            std::copy_n(s + size_t(x) * sb, 3, d + size_t(ox) * 3);
        }
    }
}

// A flat area as the handheld screen shows it.
void FillDithered(DibImage& out, const SkinRect& area, uint32_t colour) {
    const SkinRect r = area.Intersect(SkinRect{0, 0, out.Width(), out.Height()});
    if (r.IsEmpty()) return;
    DibImage flat, shown;
    if (flat.Create(r.Width(), r.Height(), 24) != 0) return;
    flat.Fill(colour);
    if (flat.Dither(shown) != 0) return;
    CopyWindow(shown, r, ShapeRegion(), out);
}

}  // namespace

int ComposePreview(TodayScreenPreview& preview, const PreviewWindow* screenWindow, uint32_t pageBackground,
                   DibImage& out) {
    const int created = out.Create(TodayScreenPreview::kWidth, TodayScreenPreview::kHeight, 24);
    if (created != 0) return created;
    // The preview's window background, seen where no skin draws: a black
    // diagonal cross hatch (8 x 8 pattern) on white.
    out.FillWhite();
    for (int y = 0; y < out.Height(); ++y) {
        uint8_t* row = out.Row(y);
        for (int x = 0; x < out.Width(); ++x)
            if ((x & 7) == (y & 7) || (x & 7) == (7 - (y & 7))) std::fill_n(row + size_t(x) * 3, 3, uint8_t(0));
    }
    if (!preview.Shown()) return 0;
    CopyWindow(preview.GetSkin().Paint(), SkinRect{0, 0, out.Width(), out.Height()}, ShapeRegion(), out);
    if (screenWindow)
        for (const auto& entry : screenWindow->Browsers())
            if (entry.second.visible && !entry.second.rect.IsEmpty()) FillDithered(out, entry.second.rect, pageBackground);

    struct Child {
        SkinStatic* control;
        PreviewWindow* window;
    };
    std::vector<Child> children;
    if (preview.Menu()) children.push_back({preview.Menu(), preview.MenuWindow()});
    if (preview.NormalBubble()) children.push_back({preview.NormalBubble(), preview.NormalWindow()});
    if (preview.CriticalBubble()) children.push_back({preview.CriticalBubble(), preview.CriticalWindow()});
    std::sort(children.begin(), children.end(),
              [](const Child& a, const Child& b) { return a.window->ZOrder() < b.window->ZOrder(); });
    for (const Child& c : children) {
        if (!c.window->IsShown()) continue;
        CopyWindow(c.control->GetSkin().Paint(), c.window->Placement(), c.window->WindowRegion(), out);
    }
    return 0;
}

}  // namespace mrw
