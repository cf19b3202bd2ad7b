// Fuzzes the skin engine on arbitrary bytes: loads them as a skin, then
// clicks, redraws and paints the result. A few small pictures are placed in a
// folder of their own so that picture cut-outs, bitmap fonts and sliders get
// exercised. Slower than the parser fuzzers by nature: every input that loads
// draws a whole canvas with its fonts. The reader alone is skin_file_fuzzer.
#include <cstdint>
#include <string>

#include "editor/imaging/DibImage.h"
#include "editor/skin/Skin.h"
#include "platform/Files.h"
#include "fuzz/FuzzSupport.h"

namespace {

class NullOwner : public mrw::SkinOwner {
public:
    void Post(unsigned, uintptr_t, intptr_t) override {}
    void ResolveText(std::string& text) override {
        if (text == "%GROW%") text.assign(3000, 'W');
    }
    void CaptureMouse() override {}
    void ReleaseMouse() override {}
    void StartTimer(int, int) override {}
    void StopTimer(int) override {}
    void Invalidate(const mrw::SkinRect&) override {}
};

const std::string& PictureFolder() {
    static const std::string folder = [] {
        std::string f = mrw::files::TempFolder() + "mrw-skin-fuzzer/";
        mrw::files::CreateFolders(f);
        mrw::DibImage rgb;
        rgb.Create(40, 30, 24);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x) {
                uint8_t* p = rgb.Row(y) + x * 3;
                p[0] = uint8_t(x * 6), p[1] = uint8_t(y * 8), p[2] = uint8_t(x ^ y);
            }
        rgb.Save(f + "a.bmp", 1);
        mrw::DibImage font;
        font.Create(30, 6, 8);
        font.SetGreyPalette();
        for (int x = 0; x < 30; ++x) font.Row(5)[x] = (x % 3 == 0) ? 255 : 0;
        font.Save(f + "f.bmp", 1);
        return f;
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    mrw::fuzz::SetUpFuzzing();

    NullOwner owner;
    mrw::Skin skin;
    skin.AttachOwner(&owner);
    if (skin.LoadFromBytes(PictureFolder(), data, size) != 0) return 0;
    // A few presses, drags and releases over the canvas, from the input's first bytes.
    const mrw::SkinRect bounds = skin.Bounds();
    for (size_t i = 0; i + 1 < size && i < 8; i += 2) {
        const int x = bounds.Width() > 0 ? data[i] % bounds.Width() : data[i];
        const int y = bounds.Height() > 0 ? data[i + 1] % bounds.Height() : data[i + 1];
        skin.OnButtonDown(0, x, y);
        skin.OnMouseMove(0, x + 3, y + 7);
        skin.OnTimer(mrw::kSkinTimerId);
        skin.OnButtonUp(0, x, y + 1);
        skin.OnDoubleClick(0, x, y);
    }
    skin.SetGroupVisible(0, false);
    skin.SetGroupVisible(0, true);
    for (const auto& c : skin.Controls()) {
        if (!c) continue;
        c->SetValue(int(size));
        c->SetEnabled(false);
        c->FireAction();
    }
    skin.ShowToolTip("tip", 5, 5);
    skin.Redraw();
    (void)skin.Paint();
    return 0;
}
