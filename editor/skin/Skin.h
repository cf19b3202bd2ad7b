// A loaded skin: its elements in file order, its fonts, the canvas they draw
// onto, the window shape, the 4,096-colour copy of the canvas the screen
// shows, and the routing of mouse input to the element under the pointer.
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "editor/imaging/DibImage.h"
#include "editor/imaging/ShapeRegion.h"
#include "editor/skin/SkinControl.h"
#include "editor/skin/SkinElements.h"
#include "editor/skin/SkinFile.h"
#include "editor/skin/SkinFont.h"
#include "editor/skin/SkinOwner.h"

namespace mrw {

class TextRenderer;

// Limits of what a skin may ask for: the canvas side, the number of element
// sections, and the bytes of all element pictures of one load.
constexpr int kMaxSkinSide = 4096;
constexpr size_t kMaxSkinSections = 4096;
constexpr size_t kSkinPixelBudget = size_t(256) << 20;

class Skin {
public:
    // `renderer` draws the platform fonts (not owned); null uses the platform's.
    explicit Skin(TextRenderer* renderer = nullptr);
    ~Skin();
    Skin(const Skin&) = delete;
    Skin& operator=(const Skin&) = delete;

    // --- loading ---
    // Builds the skin from folder + fileName (the folder ends in a separator).
    // Returns 0, or the result of creating the canvas when that fails.
    int Load(const std::string& folder, const std::string& fileName);
    // Loads from a skin held in memory; pictures are looked up in `folder`.
    int LoadFromBytes(const std::string& folder, const uint8_t* data, size_t size);
    // Stops the timer and drops every element, font and cached picture.
    void Clear();

    const std::string& SkinPath() const { return skinPath_; }
    const std::string& SkinFolder() const { return skinFolder_; }
    const SkinRect& Bounds() const { return bounds_; }
    const std::vector<std::unique_ptr<SkinControl>>& Controls() const { return controls_; }
    const std::vector<std::unique_ptr<SkinFont>>& Fonts() const { return fonts_; }
    // The first element of that name (any case), or null.
    SkinControl* FindControl(const std::string& name) const;
    // The font of that name (any case); the standard font for an empty or unknown name.
    const SkinFont& FindFont(const std::string& name) const;
    const SkinFont& StandardFont() const { return *standardFont_; }
    const SkinFont& BigFont() const { return *bigFont_; }
    TextRenderer& Renderer() const { return *renderer_; }
    // Why the built-in fonts cannot draw (for example no font file on this
    // machine); empty when they can. Texts then draw nothing.
    std::string FontError() const;

    DibImage& Canvas() { return canvas_; }
    const DibImage& Canvas() const { return canvas_; }
    // The window shape; empty when no "Shape" element gave one.
    const ShapeRegion& Shape() const { return shapeRegion_; }
    void SetShape(const ShapeRegion& region) { shapeRegion_ = region; }

    // A picture of the skin folder (or at a full path), decoded once per load (null when it
    // cannot be loaded). Valid only while the skin loads.
    const DibImage* Picture(const std::string& fileName);
    // Every element picture is counted against a budget per load, so that a
    // hostile skin cannot make thousands of huge pictures; false when the
    // picture must not be made.
    bool ReservePixels(int width, int height, int bitsPerPixel);

    // --- owner ---
    // Tells the skin and every element which window shows them (null
    // detaches). The owner must outlive the skin or be detached first; the
    // skin's destructor asks nothing of it.
    void AttachOwner(SkinOwner* owner);
    SkinOwner* Owner() const { return owner_; }
    // Passes a value through the owner's text hook.
    void ResolveText(std::string& text) const;

    // --- drawing ---
    // Redraws every element over `rect` (all of the bounds when null) and
    // asks the owner to repaint it.
    void Redraw(const SkinRect* rect = nullptr);
    void Redraw(const SkinRect& rect) { Redraw(&rect); }
    // The canvas as a 4,096-colour screen shows it, rebuilt when something was redrawn.
    const DibImage& Paint();
    bool Dirty() const { return dirty_; }

    // --- input (window coordinates are canvas coordinates) ---
    void OnButtonDown(unsigned flags, int x, int y);
    void OnButtonUp(unsigned flags, int x, int y);
    void OnDoubleClick(unsigned flags, int x, int y);
    void OnMouseMove(unsigned flags, int x, int y);
    // Timer 123 of the owner window fired.
    void OnTimer(int id);
    // The topmost element hit at (x, y) (with `visibleOnly`, among shown elements), or null.
    SkinControl* ElementAt(int x, int y, bool visibleOnly) const;

    // --- addressing elements ---
    void SetVisibleByName(const std::string& name, bool show);
    void SetGroupVisible(int group, bool show);
    void SetValueByName(const std::string& name, int value);

    // --- temporary tooltip ---
    // Shows `text` as a temporary element on top of the others at (x, y),
    // after offering it to the owner; removed by the next button-up or double click.
    void ShowToolTip(const std::string& text, int x, int y);
    void HideToolTip();
    const SkinControl* ToolTipElement() const { return toolTip_.get(); }

    // --- bookkeeping used by the elements ---
    SkinControl* PressedControl() const { return pressedControl_; }
    SkinControl* CapturedControl() const { return capturedControl_; }
    SkinControl* TimerControl() const { return timerControl_; }
    void SetCapture(SkinControl* control);
    void ReleaseCapture(SkinControl* control);
    void StartTimer(SkinControl* control);
    void StopTimer(SkinControl* control);

private:
    int LoadFile(const std::string& folder, const std::string& fileName, SkinFile& file);
    void MakeBuiltInFonts();

    TextRenderer* renderer_;
    SkinOwner* owner_ = nullptr;
    std::string skinPath_;
    std::string skinFolder_;
    SkinRect bounds_;
    std::vector<std::unique_ptr<SkinControl>> controls_;
    std::vector<std::unique_ptr<SkinFont>> fonts_;
    std::unique_ptr<SkinFont> standardFont_, bigFont_;
    DibImage canvas_;
    DibImage displayCopy_;
    ShapeRegion shapeRegion_;
    std::map<std::string, std::unique_ptr<DibImage>> imageCache_;
    bool loading_ = false;
    size_t pixelBudget_ = 0;
    bool dirty_ = false;
    SkinControl* pressedControl_ = nullptr;
    SkinControl* capturedControl_ = nullptr;
    SkinControl* timerControl_ = nullptr;
    std::unique_ptr<SkinControl> toolTip_;
};

}  // namespace mrw
