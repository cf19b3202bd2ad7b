// Helpers of the skin tests: an owner that records what the skin asks of
// its window, a text renderer with fixed-size glyphs, and picture files.
#pragma once
#include <string>
#include <vector>

#include "editor/imaging/DibImage.h"
#include "editor/skin/Skin.h"
#include "editor/skin/SkinOwner.h"
#include "platform/TextRenderer.h"
#include "testing/TestSupport.h"

namespace mrw::test {

struct PostedMessage {
    unsigned message = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
    std::string text;  // the action text for named and repeated actions
};

class RecordingOwner : public SkinOwner {
public:
    std::vector<PostedMessage> posted;
    std::vector<std::string> events;  // capture, release, timer start/stop
    std::vector<SkinRect> invalidated;
    // Replacements for the text hook: exact value -> new value.
    std::vector<std::pair<std::string, std::string>> replacements;
    std::vector<std::string> hooked;

    void Post(unsigned message, uintptr_t wParam, intptr_t lParam) override {
        PostedMessage m{message, wParam, lParam, {}};
        if (message == kSkinActionMessage && wParam != kSkinActionCharacter && lParam)
            m.text = reinterpret_cast<const char*>(lParam);
        posted.push_back(m);
    }
    void ResolveText(std::string& text) override {
        hooked.push_back(text);
        for (const auto& r : replacements)
            if (text == r.first) text = r.second;
    }
    void CaptureMouse() override { events.push_back("capture"); }
    void ReleaseMouse() override { events.push_back("release"); }
    void StartTimer(int id, int periodMs) override {
        events.push_back("start " + std::to_string(id) + " " + std::to_string(periodMs));
    }
    void StopTimer(int id) override { events.push_back("stop " + std::to_string(id)); }
    void Invalidate(const SkinRect& rect) override { invalidated.push_back(rect); }

    void Clear() {
        posted.clear();
        events.clear();
        invalidated.clear();
    }
    // Commands posted with WM_COMMAND, in order.
    std::vector<int> Commands() const {
        std::vector<int> out;
        for (const auto& m : posted)
            if (m.message == kWmCommand) out.push_back(int(m.wParam));
        return out;
    }
};

// Glyphs of 6 x 10 pixels, all ink; every font the same.
class FixedTextRenderer : public TextRenderer {
public:
    static constexpr int kGlyphWidth = 6;
    static constexpr int kLineHeight = 10;
    class Font : public TextFont {
    public:
        int LineHeight() const override { return kLineHeight; }
        int Ascent() const override { return 8; }
        int Width(const std::string& text) const override { return int(text.size()) * kGlyphWidth; }
        void PartialWidths(const std::string& text, std::vector<int>& ends) const override {
            ends.clear();
            for (size_t i = 0; i < text.size(); ++i) ends.push_back(int(i + 1) * kGlyphWidth);
        }
        void DrawLine(const std::string& text, int x, int y, CoverageMask& mask) const override {
            for (int r = 0; r < kLineHeight; ++r)
                for (int i = 0; i < Width(text); ++i) {
                    const int tx = x + i, ty = y + r;
                    if (tx >= 0 && ty >= 0 && tx < mask.width && ty < mask.height)
                        mask.data[size_t(ty) * mask.stride + size_t(tx)] = 255;
                }
        }
    };
    std::unique_ptr<TextFont> OpenFont(const FontSpec&, std::string*) override { return std::make_unique<Font>(); }
};

// A 24-bit picture filled with `colour`, saved as BMP.
inline void WriteSolidBmp(const std::string& path, int width, int height, Colour colour) {
    DibImage image;
    image.Create(width, height, 24);
    image.Fill(colour);
    image.Save(path, 1);
}

// The colour of canvas pixel (x, y) of a 24-bit image.
inline Colour PixelAt(const DibImage& image, int x, int y) {
    const uint8_t* p = image.Row(y) + size_t(x) * size_t(image.BitsPerPixel() / 8);
    if (image.BitsPerPixel() == 8) {
        const PaletteEntry& e = image.Info().colours[p[0]];
        return MakeColour(e.red, e.green, e.blue);
    }
    return MakeColour(p[2], p[1], p[0]);
}

// Loads `text` as a skin file in `folder` through a fresh skin with the fixed renderer.
inline int LoadSkinText(Skin& skin, const TempFolder& folder, const std::string& text,
                        const std::string& name = "skin.inf") {
    WriteText(folder / name, text);
    return skin.Load(folder.path(), name);
}

}  // namespace mrw::test
