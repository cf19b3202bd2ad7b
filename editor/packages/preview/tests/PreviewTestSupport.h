// Shared pieces of the preview tests: a text renderer that draws every
// character as a block (the same pixels on every platform, so that picture
// checksums hold in both builds), a page that records the messages the
// preview sends it, and the folders of the templates.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "editor/packages/preview/PreviewControls.h"
#include "editor/packages/preview/PreviewWindow.h"
#include "platform/TextRenderer.h"

namespace mrw::test {

class BlockFont : public TextFont {
public:
    explicit BlockFont(int pixels) : h_(pixels < 0 ? -pixels + 2 : pixels) {}
    int LineHeight() const override { return h_; }
    int Ascent() const override { return h_ - 2; }
    int Width(const std::string& text) const override { return int(text.size()) * Advance(); }
    void PartialWidths(const std::string& text, std::vector<int>& ends) const override {
        ends.clear();
        for (size_t i = 0; i < text.size(); ++i) ends.push_back(int(i + 1) * Advance());
    }
    void DrawLine(const std::string& text, int x, int y, CoverageMask& mask) const override {
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == ' ') continue;
            const int left = x + int(i) * Advance();
            for (int yy = y + 2; yy < y + h_ - 2; ++yy)
                for (int xx = left; xx < left + Advance() - 1; ++xx)
                    if (xx >= 0 && yy >= 0 && xx < mask.width && yy < mask.height)
                        mask.data[size_t(yy) * mask.stride + size_t(xx)] = 255;
        }
    }

private:
    int Advance() const { return h_ / 2; }
    int h_;
};

class BlockRenderer : public TextRenderer {
public:
    std::unique_ptr<TextFont> OpenFont(const FontSpec& spec, std::string*) override {
        return std::make_unique<BlockFont>(spec.height);
    }
};

// The page that shows the preview: records the selection messages.
struct RecordingPage {
    struct Selection {
        uintptr_t state;
        std::string name;
    };
    std::vector<Selection> selections;

    PreviewWindow::ParentHandler Handler() {
        return [this](unsigned message, uintptr_t wParam, intptr_t lParam) -> intptr_t {
            if (message == kPreviewSelectMessage)
                selections.push_back({wParam, lParam ? reinterpret_cast<const char*>(lParam) : ""});
            return 0;
        };
    }
};

inline std::string TemplateFolder() { return std::string(MRW_SOURCE_DIR) + "/data/program/"; }

}  // namespace mrw::test
