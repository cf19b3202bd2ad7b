// Text drawing with GDI: each line is drawn black on white into a DIB
// section and the grey result becomes the coverage of the ink.
#include <windows.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/TextRenderer.h"

namespace mrw {

namespace {

class ScreenDc {
public:
    ScreenDc() : dc_(CreateCompatibleDC(nullptr)) {}
    ~ScreenDc() {
        if (dc_) DeleteDC(dc_);
    }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    HDC Get() const { return dc_; }

private:
    HDC dc_;
};

class GdiFont : public TextFont {
public:
    GdiFont(HFONT font) : font_(font) {
        old_ = SelectObject(dc_.Get(), font_);
        TEXTMETRICA tm{};
        GetTextMetricsA(dc_.Get(), &tm);
        lineHeight_ = std::max<int>(1, tm.tmHeight);
        ascent_ = tm.tmAscent;
        overhang_ = std::max<int>(2, tm.tmHeight / 2);
    }
    ~GdiFont() override {
        if (dc_.Get()) SelectObject(dc_.Get(), old_);
        DeleteObject(font_);
    }

    int LineHeight() const override { return lineHeight_; }
    int Ascent() const override { return ascent_; }

    int Width(const std::string& text) const override {
        if (text.empty()) return 0;
        SIZE size{};
        GetTextExtentPoint32A(dc_.Get(), text.data(), int(text.size()), &size);
        return size.cx;
    }

    void PartialWidths(const std::string& text, std::vector<int>& ends) const override {
        ends.assign(text.size(), 0);
        if (text.empty()) return;
        SIZE size{};
        int fit = 0;
        GetTextExtentExPointA(dc_.Get(), text.data(), int(text.size()), 0x7FFFFFFF, &fit, ends.data(), &size);
    }

    void DrawLine(const std::string& text, int x, int y, CoverageMask& mask) const override {
        if (!mask.data || text.empty()) return;
        const int w = std::min(Width(text) + overhang_, 32767), h = lineHeight_;
        if (w <= 0 || h <= 0) return;
        BITMAPINFO bmi{};
        bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bmi.bmiHeader.biWidth = w;
        bmi.bmiHeader.biHeight = -h;  // top-down
        bmi.bmiHeader.biPlanes = 1;
        bmi.bmiHeader.biBitCount = 32;
        bmi.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(dc_.Get(), &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (!bitmap || !bits) return;
        HGDIOBJ oldBitmap = SelectObject(dc_.Get(), bitmap);
        std::fill_n(static_cast<uint8_t*>(bits), size_t(w) * size_t(h) * 4, uint8_t(0xFF));
        SetTextColor(dc_.Get(), RGB(0, 0, 0));
        SetBkMode(dc_.Get(), TRANSPARENT);
        GdiFlush();
        TextOutA(dc_.Get(), 0, 0, text.data(), int(text.size()));
        GdiFlush();
        const uint8_t* p = static_cast<const uint8_t*>(bits);
        for (int r = 0; r < h; ++r) {
            const int ty = y + r;
            if (ty < 0 || ty >= mask.height) continue;
            uint8_t* dst = mask.data + mask.stride * size_t(ty);
            const uint8_t* src = p + size_t(r) * size_t(w) * 4;
            for (int i = 0; i < w; ++i) {
                const int tx = x + i;
                if (tx < 0 || tx >= mask.width) continue;
                const int grey = (src[i * 4] + src[i * 4 + 1] + src[i * 4 + 2]) / 3;
                dst[tx] = std::max(dst[tx], uint8_t(255 - grey));
            }
        }
        SelectObject(dc_.Get(), oldBitmap);
        DeleteObject(bitmap);
    }

private:
    ScreenDc dc_;
    HFONT font_;
    HGDIOBJ old_ = nullptr;
    int lineHeight_ = 1, ascent_ = 0, overhang_ = 2;
};

class GdiRenderer : public TextRenderer {
public:
    std::unique_ptr<TextFont> OpenFont(const FontSpec& spec, std::string* error) override {
        HFONT font = CreateFontA(spec.height, 0, 0, 0, spec.bold ? FW_BOLD : FW_NORMAL, spec.italic ? TRUE : FALSE,
                                 spec.underline ? TRUE : FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                                 spec.faceName.c_str());
        if (!font) {
            if (error) *error = "CreateFont failed for " + spec.faceName;
            return nullptr;
        }
        return std::make_unique<GdiFont>(font);
    }

    int PixelsPerInchY() const override {
        HDC screen = GetDC(nullptr);
        if (!screen) return 96;
        const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        return dpi > 0 ? dpi : 96;
    }
};

}  // namespace

TextRenderer& PlatformTextRenderer() {
    static GdiRenderer renderer;
    return renderer;
}

}  // namespace mrw
