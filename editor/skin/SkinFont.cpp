// Skin fonts and the layout of texts in a box.
#include "editor/skin/SkinFont.h"

#include <algorithm>

#include "editor/skin/SkinFile.h"

namespace mrw {

int FontHeightForTenths(int tenths, int pixelsPerInch) {
    const long long v = (long long)pixelsPerInch * tenths / 720;
    return -int(std::clamp<long long>(v, -100000, 100000));
}

// --- platform fonts ---

SkinPlatformFont::SkinPlatformFont(std::string name, const FontSpec& spec, TextRenderer& renderer)
    : SkinFont(std::move(name)), spec_(spec) {
    font_ = renderer.OpenFont(spec, &error_);
}

int SkinPlatformFont::LineHeight() const { return font_ ? font_->LineHeight() : 0; }
int SkinPlatformFont::Width(const std::string& text) const { return font_ ? font_->Width(text) : 0; }

void SkinPlatformFont::PartialWidths(const std::string& text, std::vector<int>& ends) const {
    ends.assign(text.size(), 0);
    if (font_) font_->PartialWidths(text, ends);
    ends.resize(text.size(), ends.empty() ? 0 : ends.back());
}

void SkinPlatformFont::DrawLine(const std::string& text, int x, int y, CoverageMask& mask) const {
    if (font_) font_->DrawLine(text, x, y, mask);
}

// --- bitmap fonts ---

bool SkinBitmapFont::BuildGlyphTable(const DibImage& picture, std::vector<Glyph>& glyphs) {
    glyphs.clear();
    if (picture.IsEmpty() || picture.BitsPerPixel() != 8 || picture.Height() < 2) return false;
    // The markers are in the bottom row of the picture: memory row 0.
    const uint8_t* markers = picture.Bits();
    const int w = picture.Width();
    std::vector<Glyph> found;
    for (int x = 0; x < w; ++x) {
        if (markers[x] != 255) continue;
        if (int(found.size()) == kMaxGlyphs) return false;  // more markers than glyph codes
        if (!found.empty()) found.back().width = x - found.back().x;
        found.push_back(Glyph{x, w - x});
    }
    glyphs = std::move(found);
    return !glyphs.empty();
}

SkinBitmapFont::SkinBitmapFont(std::string name, const DibImage* picture) : SkinFont(std::move(name)) {
    if (!picture || !BuildGlyphTable(*picture, glyphs_)) return;
    if (picture_.Create(picture->Width(), picture->Height(), 8) != 0 || picture->CopyTo(picture_, 0, 0) != 0) {
        picture_.Release();
        glyphs_.clear();
    }
}

const SkinBitmapFont::Glyph* SkinBitmapFont::GlyphOf(unsigned char c) const {
    if (c < 32) return nullptr;
    const size_t index = size_t(c) - 32;
    return index < glyphs_.size() ? &glyphs_[index] : nullptr;
}

int SkinBitmapFont::LineHeight() const { return glyphs_.empty() ? 0 : picture_.Height() - 1; }

int SkinBitmapFont::Width(const std::string& text) const {
    int w = 0;
    for (unsigned char c : text)
        if (const Glyph* g = GlyphOf(c)) w += g->width;
    return w;
}

void SkinBitmapFont::PartialWidths(const std::string& text, std::vector<int>& ends) const {
    ends.clear();
    int w = 0;
    for (unsigned char c : text) {
        if (const Glyph* g = GlyphOf(c)) w += g->width;
        ends.push_back(w);
    }
}

void SkinBitmapFont::DrawLine(const std::string& text, int x, int y, CoverageMask& mask) const {
    if (glyphs_.empty() || !mask.data) return;
    const int rows = picture_.Height() - 1;  // the marker row is not drawn
    for (unsigned char c : text) {
        const Glyph* g = GlyphOf(c);
        if (!g) continue;
        for (int k = 0; k < rows; ++k) {
            const int ty = y + k;
            if (ty < 0 || ty >= mask.height) continue;
            const uint8_t* src = picture_.Row(k);
            uint8_t* dst = mask.data + mask.stride * size_t(ty);
            for (int i = 0; i < g->width; ++i) {
                const int tx = x + i;
                if (tx < 0 || tx >= mask.width) continue;
                // Picture values are grey levels (255 paper, 0 ink).
                const uint8_t ink = uint8_t(255 - src[g->x + i]);
                dst[tx] = std::max(dst[tx], ink);
            }
        }
        x += g->width;
    }
}

// --- layout ---

namespace {

struct Line {
    std::string text;
    int width = 0;
};

// Without kDtNoPrefix, "&&" is a literal "&" and a single "&" is dropped.
std::string StripPrefixes(const std::string& text, unsigned flags) {
    if (flags & kDtNoPrefix) return text;
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&') {
            if (i + 1 < text.size() && text[i + 1] == '&') {
                out += '&';
                ++i;
            }
            continue;
        }
        out += text[i];
    }
    return out;
}

// Splits at CR LF, CR or LF.
std::vector<std::string> Paragraphs(const std::string& text) {
    std::vector<std::string> out(1);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            out.emplace_back();
        } else {
            out.back() += text[i];
        }
    }
    return out;
}

// The longest prefix of `text` whose width fits `width`, at least one character.
size_t FitCharacters(const SkinFont& font, const std::string& text, int width) {
    std::vector<int> ends;
    font.PartialWidths(text, ends);
    size_t n = 0;
    while (n < ends.size() && ends[n] <= width) ++n;
    return std::max<size_t>(n, text.empty() ? 0 : 1);
}

// Word wrap of one paragraph: lines break after blanks; a word wider than the
// box is broken where it no longer fits.
void WrapParagraph(const SkinFont& font, const std::string& para, int width, std::vector<Line>& lines) {
    size_t pos = 0;
    if (para.empty()) {
        lines.push_back(Line{});
        return;
    }
    while (pos < para.size()) {
        std::string rest = para.substr(pos);
        if (font.Width(rest) <= width) {
            lines.push_back(Line{rest, font.Width(rest)});
            return;
        }
        // Last blank at which the line still fits.
        std::vector<int> ends;
        font.PartialWidths(rest, ends);
        size_t breakAt = std::string::npos;
        for (size_t i = 0; i < rest.size(); ++i) {
            if (ends[i] > width && i > 0) break;
            if (rest[i] == ' ') breakAt = i;
        }
        std::string piece;
        size_t consumed;
        if (breakAt != std::string::npos && breakAt > 0) {
            piece = rest.substr(0, breakAt);
            consumed = breakAt + 1;
        } else {
            const size_t n = FitCharacters(font, rest, width);
            piece = rest.substr(0, n);
            consumed = n;
        }
        while (!piece.empty() && piece.back() == ' ') piece.pop_back();
        lines.push_back(Line{piece, font.Width(piece)});
        pos += consumed;
        while (pos < para.size() && para[pos] == ' ') ++pos;
    }
}

// The line cut so that it fits with "..." after it.
std::string WithEllipsis(const SkinFont& font, const std::string& text, int width) {
    if (font.Width(text) <= width) return text;
    std::string cut = text;
    while (!cut.empty() && font.Width(cut + "...") > width) cut.pop_back();
    return cut + "...";
}

}  // namespace

TextExtent LayOutSkinText(const SkinFont& font, const std::string& rawText, int width, int height,
                          unsigned flags, CoverageMask* coverage) {
    TextExtent extent;
    if (!font.IsUsable() || rawText.empty()) return extent;
    const int lineHeight = std::max(1, font.LineHeight());
    const bool measureOnly = (flags & kDtCalcRect) != 0 || !coverage;
    std::vector<Line> lines;

    if (flags & kDtWordBreak) {
        // As DrawText lays it out.
        const std::string text = StripPrefixes(rawText, flags);
        const bool ellipsis = (flags & (kDtEndEllipsis | kDtPathEllipsis | kDtWordEllipsis)) != 0;
        if (flags & kDtSingleLine) {
            std::string line;
            for (char c : text) line += (c == '\r' || c == '\n') ? ' ' : c;
            if (ellipsis) line = WithEllipsis(font, line, width);
            lines.push_back(Line{line, font.Width(line)});
        } else {
            for (const std::string& para : Paragraphs(text)) {
                if (ellipsis) {
                    std::string line = WithEllipsis(font, para, width);
                    lines.push_back(Line{line, font.Width(line)});
                } else {
                    WrapParagraph(font, para, std::max(1, width), lines);
                }
            }
        }
        for (const Line& l : lines) extent.width = std::max(extent.width, l.width);
        extent.height = int(lines.size()) * lineHeight;
        if (measureOnly) return extent;
        int y = 0;
        if (flags & kDtSingleLine) {
            if (flags & kDtBottom)
                y = height - lineHeight;
            else if (flags & kDtVCenter)
                y = (height - lineHeight) / 2;
        }
        for (const Line& l : lines) {
            int x = 0;
            if (flags & kDtRight)
                x = width - l.width;
            else if (flags & kDtCenter)
                x = (width - l.width) / 2;
            font.DrawLine(l.text, x, y, *coverage);
            y += lineHeight;
            if (y >= height && !(flags & kDtSingleLine)) break;
        }
        return extent;
    }

    // Broken by characters: as many characters as fit, written at the left
    // edge, the next line one line height lower.
    for (const std::string& para : Paragraphs(rawText)) {
        if (para.empty()) {
            lines.push_back(Line{});
            continue;
        }
        size_t pos = 0;
        while (pos < para.size()) {
            const std::string rest = para.substr(pos);
            const size_t n = FitCharacters(font, rest, width);
            std::string piece = rest.substr(0, n);
            lines.push_back(Line{piece, font.Width(piece)});
            pos += n;
        }
    }
    for (const Line& l : lines) extent.width = std::max(extent.width, l.width);
    extent.height = int(lines.size()) * lineHeight;
    if (measureOnly) return extent;
    int y = 0;
    for (const Line& l : lines) {
        if (y >= height) break;
        font.DrawLine(l.text, 0, y, *coverage);
        y += lineHeight;
    }
    return extent;
}

}  // namespace mrw
