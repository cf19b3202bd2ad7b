// The picture of the handheld screen preview as the handheld shows it: the
// preview window's cross-hatched background, over it the
// Today screen's 4,096-colour display copy, with the shown children over it
// in their stacking order, each clipped to its window and window region, and
// the animated page areas filled with the page's background colour (the
// page itself is shown by the platform's browser, which has no picture here).
#pragma once
#include <cstdint>

#include "editor/imaging/DibImage.h"

namespace mrw {

class TodayScreenPreview;
class PreviewWindow;

// Writes a 24-bit picture of the preview's size into `out`. `screenWindow` is
// the preview's own window (it holds the browser areas); null draws none.
// Returns 0, or the result of creating the picture.
int ComposePreview(TodayScreenPreview& preview, const PreviewWindow* screenWindow, uint32_t pageBackground,
                   DibImage& out);

}  // namespace mrw
