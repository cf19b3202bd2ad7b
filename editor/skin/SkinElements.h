// The element types of a skin, one class per "type" value of a section.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "editor/imaging/DibImage.h"
#include "editor/skin/SkinControl.h"
#include "editor/skin/SkinFile.h"
#include "editor/skin/SkinFont.h"

namespace mrw {

// The element for a "type" value (compared without regard to case), or null
// for a type that is not an element (fonts, "General", unknown types).
std::unique_ptr<SkinControl> CreateSkinControl(const std::string& type, Skin& skin, const std::string& name);

// "image": the "Window" part of "File" at "pos" (the whole picture when "Window" is empty).
class SkinImage : public SkinControl {
public:
    SkinImage(Skin& skin, std::string name, SkinKind kind = SkinKind::Image) : SkinControl(kind, skin, std::move(name)) {}
    void Read(const SkinFile& file) override;
    void Draw(DibImage& canvas, SkinRect clip) override;
    void CompositeOnto(DibImage& canvas) override;
    const DibImage& Picture() const { return picture_; }

protected:
    // Reads "File", "Window", "pos" and cuts the shown part out of the picture.
    void ReadPicture(const SkinFile& file);
    DibImage picture_;
    SkinRect window_;
};

// "Shape": an image whose picture without "ExcludeColor" shapes the skin's window.
class SkinShape : public SkinImage {
public:
    SkinShape(Skin& skin, std::string name) : SkinImage(skin, std::move(name), SkinKind::Shape) {}
    void Read(const SkinFile& file) override;
    Colour ExcludeColour() const { return excludeColour_; }

private:
    Colour excludeColour_ = 0;
};

// "TransparentImage": the picture blended at "Transparency" over "backcolor".
class SkinTransparentImage : public SkinImage {
public:
    SkinTransparentImage(Skin& skin, std::string name) : SkinImage(skin, std::move(name), SkinKind::TransparentImage) {}
    void Read(const SkinFile& file) override;
    int Transparency() const { return transparency_; }
    Colour BackColour() const { return backColour_; }

private:
    int transparency_ = 128;
    Colour backColour_ = MakeColour(255, 0, 0);
};

// "button": Up / Down / Disabled state pictures and a list of actions fired in turn.
class SkinButton : public SkinControl {
public:
    enum class EntryKind { None, Character, Named, Command };

    SkinButton(Skin& skin, std::string name, SkinKind kind = SkinKind::Button) : SkinControl(kind, skin, std::move(name)) {}
    void Read(const SkinFile& file) override;
    void Draw(DibImage& canvas, SkinRect clip) override;
    void CompositeOnto(DibImage& canvas) override;
    void OnButtonDown(unsigned flags, int x, int y) override;
    void OnButtonUp(unsigned flags, int x, int y) override;
    void OnDoubleClick(unsigned flags, int x, int y) override;
    void SetEnabled(bool enabled) override;
    // Fires the entry at the current position and moves to the next one.
    void FireAction() override;

    const std::vector<std::string>& Entries() const { return entries_; }
    size_t Position() const { return position_; }
    EntryKind LastFired() const { return lastFired_; }
    // Splits an "Action" value at commas.
    static std::vector<std::string> SplitEntries(const std::string& value);

protected:
    const DibImage& CurrentPicture() const;
    virtual bool ShowsDown() const { return pressed_; }

    std::vector<std::string> entries_;
    size_t position_ = 0;
    EntryKind lastFired_ = EntryKind::None;
    DibImage up_, down_, disabled_;
};

// "switch": a button with a checked flag set by its owner.
class SkinSwitch : public SkinButton {
public:
    SkinSwitch(Skin& skin, std::string name) : SkinButton(skin, std::move(name), SkinKind::Switch) {}
    void SetChecked(bool checked);
    bool Checked() const { return checked_; }

protected:
    bool ShowsDown() const override { return pressed_ || checked_; }

private:
    bool checked_ = false;
};

// "multistate": one picture per "state%i" key, a state index and a percentage.
class SkinMultiState : public SkinControl {
public:
    SkinMultiState(Skin& skin, std::string name) : SkinControl(SkinKind::MultiState, skin, std::move(name)) {}
    void Read(const SkinFile& file) override;
    void Draw(DibImage& canvas, SkinRect clip) override;
    void CompositeOnto(DibImage& canvas) override;
    void OnButtonDown(unsigned flags, int x, int y) override;
    void OnButtonUp(unsigned flags, int x, int y) override;
    void SetEnabled(bool enabled) override;
    void SetValue(int value) override { SetState(value); }
    int GetValue() const override { return state_; }

    int StateCount() const { return int(states_.size()); }
    int State() const { return state_; }
    // Ignored unless below StateCount() and different from the current state.
    void SetState(int state);
    void SetPercentage(int percent);
    int Percentage() const { return percent_; }
    int Command() const { return command_; }

private:
    const DibImage* CurrentPicture() const;
    std::vector<DibImage> states_;
    DibImage disabled_;
    int state_ = 0;
    int percent_ = 0;
    int command_ = 0;
};

// "text" and its relatives: a text rendered with a skin font into a picture
// of the "Window" size. Clicks hit only the drawn text.
class SkinText : public SkinControl {
public:
    SkinText(Skin& skin, std::string name, SkinKind kind = SkinKind::Text) : SkinControl(kind, skin, std::move(name)) {}
    void Read(const SkinFile& file) override;
    void Draw(DibImage& canvas, SkinRect clip) override;
    void CompositeOnto(DibImage& canvas) override;
    bool HitTest(int x, int y) const override;
    void SetText(const std::string& text) override;
    void SetEnabled(bool enabled) override;
    // Lays the text out again when it named a font that the skin declares further down.
    void OnSkinLoaded() override;

    // Size of the drawn text (the hit extent from the rectangle's top-left).
    TextExtent Extent() const { return extent_; }
    unsigned Format() const { return format_; }
    Colour TextColour() const { return textColour_; }
    Colour DisabledColour() const { return disabledColour_; }
    const std::string& FontName() const { return fontName_; }
    const std::string& BigFontName() const { return bigFontName_; }
    const std::string& DisabledFontName() const { return disabledFontName_; }
    const DibImage& Picture() const { return picture_; }
    // Sets up a text element without a skin file (the skin's tooltip).
    void Configure(const SkinRect& rect, const std::string& text, Colour colour, unsigned format);

protected:
    // Renders the shown text; `newLayout` picks between "BigFont" and "font" by measuring first.
    void Render(bool newLayout);
    // The text drawn (the edit line of a "MultiLine" differs from `text`).
    virtual const std::string& ShownText() const { return text_; }
    virtual Colour CurrentColour() const;
    const SkinFont& ResolveFont(const std::string& name) const;

    unsigned format_ = 0;
    Colour textColour_ = 0;
    Colour disabledColour_ = MakeColour(128, 128, 128);
    std::string fontName_ = "StandardFont";
    std::string bigFontName_;
    std::string disabledFontName_ = "DisabledFont";
    DibImage picture_;
    TextExtent extent_;
    size_t fontsAtRender_ = 0;  // fonts the skin had when the text was last laid out
};

// "edit": a text that the owner edits one character at a time.
class SkinEdit : public SkinText {
public:
    SkinEdit(Skin& skin, std::string name, SkinKind kind = SkinKind::Edit) : SkinText(skin, std::move(name), kind) {}
    void Read(const SkinFile& file) override;
    void SetText(const std::string& text) override;
    // Adds a character when the new text still fits the window; true when accepted.
    bool InsertCharacter(char c);
    // Removes the selected tail, or the last character.
    void DeleteCharacter();
    size_t InsertionPoint() const { return insertion_; }
    size_t SelectionEnd() const { return selectionEnd_; }
    int Style() const { return style_; }

protected:
    // The text edited (the "text" value for "edit").
    virtual std::string& EditedText() { return text_; }
    bool Fits(const std::string& candidate) const;

    size_t insertion_ = 0;
    size_t selectionEnd_ = 0;
    int style_ = 0;
};

// "link": a text shown in "TextColorDown" while pressed.
class SkinLink : public SkinText {
public:
    SkinLink(Skin& skin, std::string name) : SkinText(skin, std::move(name), SkinKind::Link) {}
    void Read(const SkinFile& file) override;
    void OnButtonDown(unsigned flags, int x, int y) override;
    void OnButtonUp(unsigned flags, int x, int y) override;
    void OnDoubleClick(unsigned flags, int x, int y) override;
    Colour DownColour() const { return downColour_; }

protected:
    Colour CurrentColour() const override;

private:
    Colour downColour_ = 0;
};

// "MultiLine": an edit whose typed text is kept apart from its "text" value;
// it shows the typed text, or the "text" value while nothing is typed.
class SkinMultiLine : public SkinEdit {
public:
    SkinMultiLine(Skin& skin, std::string name) : SkinEdit(skin, std::move(name), SkinKind::MultiLine) {}
    void SetText(const std::string& text) override;
    std::string GetText() const override { return typed_; }
    const std::string& Typed() const { return typed_; }

protected:
    std::string& EditedText() override { return typed_; }
    const std::string& ShownText() const override { return typed_.empty() ? text_ : typed_; }

private:
    std::string typed_;
};

// Elapsed seconds formatted with %D (days), %H, %M, %S (two digits within
// the day, hour, minute) and %% (a percent sign); other characters are copied.
std::string FormatElapsed(const std::string& pattern, int64_t seconds);

// "chrono": shows the time elapsed since Start as "%H:%M:%S".
class SkinChrono : public SkinText {
public:
    SkinChrono(Skin& skin, std::string name) : SkinText(skin, std::move(name), SkinKind::Chrono) {}
    void Start(int64_t nowSeconds);
    void Stop() { running_ = false; }
    bool Running() const { return running_; }
    // Sets the text to the elapsed time at `nowSeconds`.
    void Tick(int64_t nowSeconds);

private:
    bool running_ = false;
    int64_t start_ = 0;
};

// "slider": a cursor travelling from "start" to "End" over a track picture.
class SkinSlider : public SkinControl {
public:
    SkinSlider(Skin& skin, std::string name) : SkinControl(SkinKind::Slider, skin, std::move(name)) {}
    void Read(const SkinFile& file) override;
    void Draw(DibImage& canvas, SkinRect clip) override;
    void CompositeOnto(DibImage& canvas) override;
    void OnButtonDown(unsigned flags, int x, int y) override;
    void OnButtonUp(unsigned flags, int x, int y) override;
    void OnMouseMove(unsigned flags, int x, int y) override;
    void SetEnabled(bool enabled) override;
    void SetValue(int value) override;
    int GetValue() const override { return value_; }

    void SetRange(int minimum, int maximum);
    int Minimum() const { return min_; }
    int Maximum() const { return max_; }
    void SetPercentage(int percent);
    int Percentage() const;
    int LastReported() const { return lastReported_; }
    int Command() const { return command_; }
    // Posts the command when the value differs from the last one reported.
    void Notify();
    // Cursor position inside the slider's picture; "start" when the range is empty.
    SkinPair CursorPosition() const;
    // The value for a pointer at canvas row `y` (with the grab offset taken off).
    int ValueForPointer(int y) const;

private:
    void TrackPointer(int y);
    DibImage track_, cursor_, cursorDisabled_;
    SkinPair cursorSize_, start_, end_;
    int min_ = 0, max_ = 0, value_ = 0, lastReported_ = 0;
    int command_ = 0;
    int grabY_ = 0;
};

// "Line": a solid line of "Width" pixels in "Color" from "Start" to "End".
class SkinLine : public SkinControl {
public:
    SkinLine(Skin& skin, std::string name) : SkinControl(SkinKind::Line, skin, std::move(name)) {}
    void Read(const SkinFile& file) override;
    void Draw(DibImage& canvas, SkinRect clip) override;
    bool HitTest(int, int) const override { return false; }

private:
    SkinPair from_, to_;
    Colour colour_ = 0;
    int width_ = 1;
};

// "Rect": a rectangle filled with "Color".
class SkinFilledRect : public SkinControl {
public:
    SkinFilledRect(Skin& skin, std::string name) : SkinControl(SkinKind::Rect, skin, std::move(name)) {}
    void Read(const SkinFile& file) override;
    void Draw(DibImage& canvas, SkinRect clip) override;
    bool HitTest(int, int) const override { return false; }
    Colour FillColour() const { return colour_; }

private:
    Colour colour_ = 0;
};

// One band of a gradient: columns [left, right) in one colour.
struct GradientBand {
    int left = 0, right = 0;
    Colour colour = 0;
};
// The bands of a left-to-right gradient from `from` to `to` over `width` columns starting at `left`.
std::vector<GradientBand> GradientBands(Colour from, Colour to, int left, int width);

// "GradientRect": a left-to-right gradient; the left and right halves fire their own named actions.
class SkinGradientRect : public SkinControl {
public:
    SkinGradientRect(Skin& skin, std::string name, SkinKind kind = SkinKind::GradientRect)
        : SkinControl(kind, skin, std::move(name)) {}
    void Read(const SkinFile& file) override;
    void Draw(DibImage& canvas, SkinRect clip) override;
    void CompositeOnto(DibImage& canvas) override;
    void OnButtonDown(unsigned flags, int x, int y) override;
    void OnButtonUp(unsigned flags, int x, int y) override;
    void OnDoubleClick(unsigned flags, int x, int y) override;
    void FireAction() override;
    void FireRepeatAction() override;

    const std::string& LeftAction() const { return leftAction_; }
    const std::string& RightAction() const { return rightAction_; }
    const DibImage& Picture() const { return picture_; }

protected:
    // The action for a click at canvas column x.
    virtual const std::string& ActionAt(int x) const;
    virtual void BuildPicture();

    Colour left_ = 0, right_ = 0;
    std::string leftAction_, rightAction_;
    DibImage picture_;
    int lastX_ = 0;
};

// "DualGradientRect": the outer gradient on the upper half of "Rect", the
// inner one ("IntLeftColor" to "IntRightColor") on the lower half; clicks
// fire the inner actions.
class SkinDualGradientRect : public SkinGradientRect {
public:
    SkinDualGradientRect(Skin& skin, std::string name) : SkinGradientRect(skin, std::move(name), SkinKind::DualGradientRect) {}
    void Read(const SkinFile& file) override;
    const std::string& InnerLeftAction() const { return innerLeftAction_; }
    const std::string& InnerRightAction() const { return innerRightAction_; }

protected:
    const std::string& ActionAt(int x) const override;
    void BuildPicture() override;

private:
    Colour innerLeft_ = 0, innerRight_ = 0;
    std::string innerLeftAction_, innerRightAction_;
};

// "WebBrowser": the page area of an animated Today screen. The platform's
// browser is a child window of the owner (SkinOwner::PlaceBrowser); the
// element itself draws nothing on the canvas.
class SkinWebBrowser : public SkinControl {
public:
    SkinWebBrowser(Skin& skin, std::string name) : SkinControl(SkinKind::WebBrowser, skin, std::move(name)) {}
    ~SkinWebBrowser() override;
    void Read(const SkinFile& file) override;
    void SetOwner(SkinOwner* owner) override;
    void SetVisible(bool show) override;
    // The page height: min(value, 294 - top), the bottom of the rectangle follows.
    void SetValue(int value) override;
    const std::string& Url() const { return url_; }
    // Width and height of the browser window.
    int BrowserWidth() const { return browserWidth_; }

private:
    void Place();
    std::string url_;
    SkinOwner* placedOn_ = nullptr;
    int browserWidth_ = 0;
};

}  // namespace mrw
