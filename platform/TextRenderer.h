// Text measuring and drawing onto an 8-bit coverage mask. The windows build
// draws with GDI; the native build draws with FreeType and a sans-serif font
// that the system ships (DejaVu Sans), found at run time.
//
// A font is asked for by face name, height in pixels and style, the way a
// LOGFONT asks for it: a negative height is the character (em) height, a
// positive one the cell height (ascent plus descent).
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace mrw {

struct FontSpec {
    std::string faceName = "Tahoma";
    int height = -11;
    bool bold = false;
    bool italic = false;
    bool underline = false;
};

// A top-down 8-bit buffer the renderer draws into: 0 = no ink, 255 = full ink.
// Drawing keeps the larger of the existing and the new coverage of each pixel
// and never writes outside width x height.
struct CoverageMask {
    uint8_t* data = nullptr;
    int width = 0;
    int height = 0;
    size_t stride = 0;
};

class TextFont {
public:
    virtual ~TextFont() = default;
    // Height of one line of text (the cell height, as tmHeight).
    virtual int LineHeight() const = 0;
    // Distance from the top of a line to its baseline.
    virtual int Ascent() const = 0;
    // Width of `text` written on one line (single-byte characters).
    virtual int Width(const std::string& text) const = 0;
    // For each character i of `text`, the width of text[0..i] (the partial
    // extents GetTextExtentExPoint reports).
    virtual void PartialWidths(const std::string& text, std::vector<int>& ends) const = 0;
    // Draws `text` on one line with the top-left corner of the line at (x, y).
    virtual void DrawLine(const std::string& text, int x, int y, CoverageMask& mask) const = 0;
};

class TextRenderer {
public:
    virtual ~TextRenderer() = default;
    // The font, or null with a reason in `error` (for example when no font
    // file can be found).
    virtual std::unique_ptr<TextFont> OpenFont(const FontSpec& spec, std::string* error) = 0;
    // Vertical resolution of the screen (LOGPIXELSY), used to turn point sizes into pixels.
    virtual int PixelsPerInchY() const { return 96; }
};

// The renderer of this platform (GDI or FreeType); lives for the whole program.
TextRenderer& PlatformTextRenderer();

}  // namespace mrw
