// Fonts of a skin: platform fonts ("FontGDI"/"Font" sections and the two
// built-in fonts) drawn through the platform text renderer, and bitmap fonts
// ("FontBitmap": glyph masks side by side in an 8-bit picture).
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "editor/imaging/DibImage.h"
#include "platform/TextRenderer.h"

namespace mrw {

class SkinFont {
public:
    explicit SkinFont(std::string name) : name_(std::move(name)) {}
    virtual ~SkinFont() = default;
    SkinFont(const SkinFont&) = delete;
    SkinFont& operator=(const SkinFont&) = delete;

    const std::string& Name() const { return name_; }
    // False when the font cannot draw (no font file, a refused glyph picture).
    virtual bool IsUsable() const = 0;
    virtual int LineHeight() const = 0;
    virtual int Width(const std::string& text) const = 0;
    // Width of text[0..i] for every i.
    virtual void PartialWidths(const std::string& text, std::vector<int>& ends) const = 0;
    // Draws one line with its top-left corner at (x, y) into a coverage mask.
    virtual void DrawLine(const std::string& text, int x, int y, CoverageMask& mask) const = 0;

private:
    std::string name_;
};

// Pixel height of a font of `tenths` tenths of a point on a screen of
// `pixelsPerInch`: -(pixelsPerInch * tenths / 720), truncated toward zero.
int FontHeightForTenths(int tenths, int pixelsPerInch);

class SkinPlatformFont : public SkinFont {
public:
    // Opens the font through `renderer` (not kept); a failure leaves the
    // font unusable with the reason in Error().
    SkinPlatformFont(std::string name, const FontSpec& spec, TextRenderer& renderer);
    const FontSpec& Spec() const { return spec_; }
    const std::string& Error() const { return error_; }

    bool IsUsable() const override { return font_ != nullptr; }
    int LineHeight() const override;
    int Width(const std::string& text) const override;
    void PartialWidths(const std::string& text, std::vector<int>& ends) const override;
    void DrawLine(const std::string& text, int x, int y, CoverageMask& mask) const override;

private:
    FontSpec spec_;
    std::unique_ptr<TextFont> font_;
    std::string error_;
};

class SkinBitmapFont : public SkinFont {
public:
    struct Glyph {
        int x = 0;      // first column in the picture
        int width = 0;  // columns up to the next marker or the right edge
    };
    // Codes 32..256: at most this many glyphs.
    static constexpr int kMaxGlyphs = 225;

    // Takes a copy of the picture; an unusable picture (not 8-bit, too many
    // markers, fewer than two rows) leaves the font without glyphs.
    SkinBitmapFont(std::string name, const DibImage* picture);

    // The glyph table of an 8-bit picture: a glyph starts at every pixel of
    // value 255 in the bottom row. False (empty table) for other depths or
    // more than kMaxGlyphs markers.
    static bool BuildGlyphTable(const DibImage& picture, std::vector<Glyph>& glyphs);
    const std::vector<Glyph>& Glyphs() const { return glyphs_; }

    bool IsUsable() const override { return !glyphs_.empty(); }
    int LineHeight() const override;
    int Width(const std::string& text) const override;
    void PartialWidths(const std::string& text, std::vector<int>& ends) const override;
    void DrawLine(const std::string& text, int x, int y, CoverageMask& mask) const override;

private:
    const Glyph* GlyphOf(unsigned char c) const;
    DibImage picture_;
    std::vector<Glyph> glyphs_;
};

// The extent of a laid-out text.
struct TextExtent {
    int width = 0;
    int height = 0;
};

// Lays out `text` in a box of width x height the way the text elements do:
// with kDtWordBreak as DrawText would (word wrap, alignment, single line,
// ellipsis, prefix characters), otherwise broken by characters at the left
// edge, one line height per line. With `coverage` (a top-down buffer of the
// box size) the text is drawn into it; kDtCalcRect only measures. Returns
// the width of the widest line and the height of all lines.
TextExtent LayOutSkinText(const SkinFont& font, const std::string& text, int width, int height,
                          unsigned flags, CoverageMask* coverage);

}  // namespace mrw
