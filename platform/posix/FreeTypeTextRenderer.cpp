// Text drawing with FreeType and DejaVu Sans, the sans-serif font Debian
// ships in fonts-dejavu-core. Every face name maps to it (bold to its bold
// cut); italic is slanted by a shear. The font files are found at run time.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <map>
#include <memory>
#include <vector>

#include "platform/Files.h"
#include "platform/TextRenderer.h"

namespace mrw {

namespace {

// Windows-1252 code points of 0x80..0x9F (0 where the code page has none).
constexpr uint16_t kCp1252High[32] = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,
    0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178,
};

unsigned CodePointOf(unsigned char c) {
    if (c >= 0x80 && c < 0xA0) return kCp1252High[c - 0x80];
    return c;
}

std::vector<std::string> FontFolders() {
    std::vector<std::string> folders;
    if (const char* env = std::getenv("MRW_FONT_DIR")) folders.push_back(std::string(env) + "/");
    folders.push_back("/usr/share/fonts/truetype/dejavu/");
    folders.push_back("/usr/share/fonts/dejavu/");
    folders.push_back("/usr/share/fonts/TTF/");
    folders.push_back("/usr/local/share/fonts/");
    return folders;
}

struct GlyphBitmap {
    bool loaded = false;
    int advance = 0;
    int left = 0, top = 0;
    int width = 0, rows = 0;
    std::vector<uint8_t> pixels;
};

class FreeTypeLibrary {
public:
    FreeTypeLibrary() { ok_ = FT_Init_FreeType(&library_) == 0; }
    ~FreeTypeLibrary() {
        if (ok_) FT_Done_FreeType(library_);
    }
    FreeTypeLibrary(const FreeTypeLibrary&) = delete;
    FreeTypeLibrary& operator=(const FreeTypeLibrary&) = delete;
    bool Ok() const { return ok_; }
    FT_Library Get() const { return library_; }

    // The bytes of a font file, read once.
    const std::vector<uint8_t>* FileBytes(const std::string& path) {
        auto it = files_.find(path);
        if (it != files_.end()) return it->second.get();
        auto bytes = std::make_unique<std::vector<uint8_t>>();
        if (!files::ReadAll(path, *bytes) || bytes->empty()) bytes.reset();
        const std::vector<uint8_t>* result = bytes.get();
        files_.emplace(path, std::move(bytes));
        return result;
    }

private:
    FT_Library library_ = nullptr;
    bool ok_ = false;
    std::map<std::string, std::unique_ptr<std::vector<uint8_t>>> files_;
};

class FreeTypeFont : public TextFont {
public:
    FreeTypeFont(FT_Face face, const FontSpec& spec, bool synthBold) : face_(face), spec_(spec), synthBold_(synthBold) {
        const FT_Size_Metrics& m = face_->size->metrics;
        ascent_ = int((m.ascender + 63) >> 6);
        const int descent = int((-m.descender + 63) >> 6);
        lineHeight_ = std::max(1, ascent_ + descent);
    }
    ~FreeTypeFont() override { FT_Done_Face(face_); }

    int LineHeight() const override { return lineHeight_; }
    int Ascent() const override { return ascent_; }

    int Width(const std::string& text) const override {
        int w = 0;
        for (unsigned char c : text) w += Glyph(c).advance;
        return w;
    }

    void PartialWidths(const std::string& text, std::vector<int>& ends) const override {
        ends.clear();
        int w = 0;
        for (unsigned char c : text) {
            w += Glyph(c).advance;
            ends.push_back(w);
        }
    }

    void DrawLine(const std::string& text, int x, int y, CoverageMask& mask) const override {
        if (!mask.data) return;
        const int startX = x;
        const int baseline = y + ascent_;
        for (unsigned char c : text) {
            const GlyphBitmap& g = Glyph(c);
            const int gx = x + g.left, gy = baseline - g.top;
            for (int r = 0; r < g.rows; ++r) {
                const int ty = gy + r;
                if (ty < 0 || ty >= mask.height) continue;
                uint8_t* dst = mask.data + mask.stride * size_t(ty);
                const uint8_t* src = g.pixels.data() + size_t(r) * size_t(g.width);
                for (int i = 0; i < g.width; ++i) {
                    const int tx = gx + i;
                    if (tx >= 0 && tx < mask.width) dst[tx] = std::max(dst[tx], src[i]);
                }
            }
            x += g.advance;
        }
        if (spec_.underline && x > startX) {
            const int ty = std::min(baseline + 1, y + lineHeight_ - 1);
            if (ty >= 0 && ty < mask.height) {
                uint8_t* dst = mask.data + mask.stride * size_t(ty);
                for (int tx = std::max(0, startX); tx < std::min(x, mask.width); ++tx) dst[tx] = 255;
            }
        }
    }

private:
    const GlyphBitmap& Glyph(unsigned char c) const {
        GlyphBitmap& g = glyphs_[c];
        if (g.loaded) return g;
        g.loaded = true;
        const unsigned cp = CodePointOf(c);
        if (cp < 32) return g;  // control characters draw nothing and take no room
        const FT_UInt index = FT_Get_Char_Index(face_, cp);
        if (FT_Load_Glyph(face_, index, FT_LOAD_DEFAULT) != 0) return g;
        if (synthBold_) FT_GlyphSlot_Embolden(face_->glyph);
        if (FT_Render_Glyph(face_->glyph, FT_RENDER_MODE_NORMAL) != 0) return g;
        const FT_GlyphSlot slot = face_->glyph;
        g.advance = int((slot->advance.x + 32) >> 6);
        g.left = slot->bitmap_left;
        g.top = slot->bitmap_top;
        const FT_Bitmap& bm = slot->bitmap;
        if (bm.pixel_mode != FT_PIXEL_MODE_GRAY || bm.width == 0 || bm.rows == 0) return g;
        g.width = int(bm.width);
        g.rows = int(bm.rows);
        g.pixels.resize(size_t(g.width) * size_t(g.rows));
        for (int r = 0; r < g.rows; ++r) {
            const uint8_t* src = bm.buffer + std::ptrdiff_t(r) * bm.pitch;
            std::copy_n(src, g.width, g.pixels.data() + size_t(r) * size_t(g.width));
        }
        return g;
    }

    FT_Face face_;
    FontSpec spec_;
    bool synthBold_;
    int ascent_ = 0, lineHeight_ = 1;
    mutable std::array<GlyphBitmap, 256> glyphs_;
};

class FreeTypeRenderer : public TextRenderer {
public:
    std::unique_ptr<TextFont> OpenFont(const FontSpec& spec, std::string* error) override {
        if (!library_.Ok()) {
            if (error) *error = "FreeType could not be initialised";
            return nullptr;
        }
        bool synthBold = false;
        std::string path = Find(spec.bold ? "DejaVuSans-Bold.ttf" : "DejaVuSans.ttf");
        if (path.empty() && spec.bold) {
            path = Find("DejaVuSans.ttf");
            synthBold = true;
        }
        if (path.empty()) {
            if (error)
                *error = "font DejaVuSans.ttf not found (install the fonts-dejavu-core package, or set MRW_FONT_DIR)";
            return nullptr;
        }
        const std::vector<uint8_t>* bytes = library_.FileBytes(path);
        FT_Face face = nullptr;
        if (!bytes || FT_New_Memory_Face(library_.Get(), bytes->data(), FT_Long(bytes->size()), 0, &face) != 0) {
            if (error) *error = "cannot read font file " + path;
            return nullptr;
        }
        // A negative height is the em height; a positive one the cell height.
        int pixels = std::abs(spec.height);
        if (spec.height > 0 && face->ascender - face->descender > 0)
            pixels = std::max(1, int(std::lround(double(spec.height) * face->units_per_EM /
                                                 double(face->ascender - face->descender))));
        pixels = std::clamp(pixels, 1, 1000);
        if (FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixels)) != 0) {
            FT_Done_Face(face);
            if (error) *error = "cannot size font " + path;
            return nullptr;
        }
        if (spec.italic) {
            FT_Matrix shear{0x10000, 0x3800, 0, 0x10000};
            FT_Set_Transform(face, &shear, nullptr);
        }
        return std::make_unique<FreeTypeFont>(face, spec, synthBold);
    }

private:
    static std::string Find(const std::string& name) {
        for (const std::string& folder : FontFolders())
            if (files::IsFile(folder + name)) return folder + name;
        return std::string();
    }
    FreeTypeLibrary library_;
};

}  // namespace

TextRenderer& PlatformTextRenderer() {
    static FreeTypeRenderer renderer;
    return renderer;
}

}  // namespace mrw
