// Base of every element of a skin. An element is created from one section
// of the skin file, draws itself onto the skin's canvas, answers hit tests
// and turns mouse input into actions posted to the skin's owner.
#pragma once
#include <cstdint>
#include <string>

#include "editor/imaging/DibImage.h"
#include "editor/skin/SkinOwner.h"

namespace mrw {

class Skin;
class SkinFile;
struct SkinPair;

constexpr int kMaxSkinCoordinate = 1 << 24;

enum class SkinKind {
    Image, Shape, TransparentImage, Button, Switch, MultiState, Text, Edit, Link, MultiLine,
    Chrono, Slider, Line, Rect, GradientRect, DualGradientRect, WebBrowser, ToolTip,
};

class SkinControl {
public:
    SkinControl(SkinKind kind, Skin& skin, std::string name);
    virtual ~SkinControl();
    SkinControl(const SkinControl&) = delete;
    SkinControl& operator=(const SkinControl&) = delete;

    // Reads the keys common to every element ("show", "text", "Param",
    // "Action", "Trigger", "Group") and then the type's own keys.
    virtual void Read(const SkinFile& file);

    SkinKind Kind() const { return kind_; }
    const SkinRect& Rect() const { return rect_; }
    const std::string& Name() const { return name_; }
    const std::string& File() const { return file_; }
    const std::string& Text() const { return text_; }
    const std::string& Param() const { return param_; }
    const std::string& Action() const { return action_; }
    const std::string& ToolTip() const { return toolTip_; }
    bool Visible() const { return visible_; }
    bool TriggerOnUp() const { return triggerOnUp_; }
    int Group() const { return group_; }
    bool Pressed() const { return pressed_; }
    Skin& OwnerSkin() const { return skin_; }

    // --- drawing ---
    // Draws the part of the element inside `clip` (canvas coordinates).
    virtual void Draw(DibImage& canvas, SkinRect clip);
    // Composites the element's picture at the top-left of its rectangle.
    virtual void CompositeOnto(DibImage& canvas);

    // --- input ---
    virtual bool HitTest(int x, int y) const;
    virtual void OnButtonDown(unsigned flags, int x, int y);
    virtual void OnButtonUp(unsigned flags, int x, int y);
    virtual void OnDoubleClick(unsigned flags, int x, int y);
    virtual void OnMouseMove(unsigned flags, int x, int y);
    // Timer 123 fired while this element runs it; the base shows the
    // element's "ToolTip" as the skin's temporary tooltip while it is held.
    virtual void OnTimer();
    virtual void SetOwner(SkinOwner* owner);
    // Every section of the skin has been read (fonts declared after the element now exist).
    virtual void OnSkinLoaded() {}

    // --- state ---
    virtual void SetText(const std::string& text);
    virtual std::string GetText() const { return text_; }
    virtual void SetValue(int value);
    virtual int GetValue() const { return 0; }
    virtual void SetEnabled(bool enabled);
    bool Enabled() const { return enabled_; }
    // Stores the value and redraws the element when it changes.
    virtual void SetVisible(bool show);

    // --- actions ---
    virtual void FireAction();
    // Posts 0x040E with wParam 3 and the address of the action text.
    virtual void FireRepeatAction();

protected:
    // Posts to the skin's owner (nothing when no owner is attached).
    void Post(unsigned message, uintptr_t wParam, intptr_t lParam) const;
    void PostCommand(int command) const { Post(kWmCommand, uintptr_t(command), 0); }
    void PostNamed(const std::string& text, uintptr_t kind) const;
    void Capture();
    void Release();
    bool HasCapture() const;
    void StartTimer();
    void StopTimer();
    // Redraws the element's rectangle on the skin.
    void RedrawSelf();
    // Reads a value that goes through the owner's text hook.
    std::string ReadHooked(const SkinFile& file, const std::string& key, const std::string& defaultValue) const;
    // Composites `picture` (8, 24 or 32 bits) at (x, y) on the canvas, only
    // inside `clip` and the canvas; nothing outside the picture is read.
    static void DrawPicture(DibImage& canvas, const SkinRect& clip, const DibImage& picture, int x, int y);
    // Cuts the part (x, y, width, height) out of `picture` into `out`; `out`
    // stays empty when the part does not lie wholly inside the picture.
    // Coordinates read from a skin file are kept within +-kMaxSkinCoordinate,
    // so that sums of positions and sizes never overflow.
    static SkinPair ClampPair(SkinPair pair);
    static SkinRect ClampRect(SkinRect rect);
    static bool CutOut(const DibImage* picture, int x, int y, int width, int height, DibImage& out);

    SkinKind kind_;
    Skin& skin_;
    SkinRect rect_;
    std::string name_;
    std::string file_;
    std::string text_;
    std::string param_;
    std::string action_;
    std::string toolTip_;
    bool visible_ = true;
    bool triggerOnUp_ = true;
    int group_ = 0;
    bool pressed_ = false;
    bool enabled_ = true;
};

}  // namespace mrw
