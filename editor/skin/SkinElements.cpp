// Reading, drawing and input of each element type.
#include "editor/skin/SkinElements.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/AsciiText.h"
#include "editor/skin/Skin.h"
#include "editor/skin/SkinFont.h"
#include "platform/Prompter.h"

namespace mrw {

namespace {

SkinRect RectAt(const SkinPair& pos, int width, int height) {
    return SkinRect{pos.x, pos.y, pos.x + width, pos.y + height};
}

// Floor division for a possibly negative numerator (the divisor is not 0).
long long FloorDiv(long long a, long long b) {
    long long q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

void FillRect(DibImage& canvas, const SkinRect& area, Colour colour) {
    if (canvas.BitsPerPixel() != 24) return;
    const SkinRect r = area.Intersect(SkinRect{0, 0, canvas.Width(), canvas.Height()});
    if (r.IsEmpty()) return;
    const uint8_t b = uint8_t(BlueOf(colour)), g = uint8_t(GreenOf(colour)), red = uint8_t(RedOf(colour));
    for (int y = r.top; y < r.bottom; ++y) {
        uint8_t* p = canvas.Row(y) + size_t(r.left) * 3;
        for (int x = r.left; x < r.right; ++x, p += 3) p[0] = b, p[1] = g, p[2] = red;
    }
}

}  // namespace

std::unique_ptr<SkinControl> CreateSkinControl(const std::string& type, Skin& skin, const std::string& name) {
    const std::string t = type;
    if (ascii::EqualsNoCase(t, "image")) return std::make_unique<SkinImage>(skin, name);
    if (ascii::EqualsNoCase(t, "Shape")) return std::make_unique<SkinShape>(skin, name);
    if (ascii::EqualsNoCase(t, "TransparentImage")) return std::make_unique<SkinTransparentImage>(skin, name);
    if (ascii::EqualsNoCase(t, "button")) return std::make_unique<SkinButton>(skin, name);
    if (ascii::EqualsNoCase(t, "switch")) return std::make_unique<SkinSwitch>(skin, name);
    if (ascii::EqualsNoCase(t, "multistate")) return std::make_unique<SkinMultiState>(skin, name);
    if (ascii::EqualsNoCase(t, "text")) return std::make_unique<SkinText>(skin, name);
    if (ascii::EqualsNoCase(t, "edit")) return std::make_unique<SkinEdit>(skin, name);
    if (ascii::EqualsNoCase(t, "link")) return std::make_unique<SkinLink>(skin, name);
    if (ascii::EqualsNoCase(t, "MultiLine")) return std::make_unique<SkinMultiLine>(skin, name);
    if (ascii::EqualsNoCase(t, "chrono")) return std::make_unique<SkinChrono>(skin, name);
    if (ascii::EqualsNoCase(t, "slider")) return std::make_unique<SkinSlider>(skin, name);
    if (ascii::EqualsNoCase(t, "Line")) return std::make_unique<SkinLine>(skin, name);
    if (ascii::EqualsNoCase(t, "Rect")) return std::make_unique<SkinFilledRect>(skin, name);
    if (ascii::EqualsNoCase(t, "GradientRect")) return std::make_unique<SkinGradientRect>(skin, name);
    if (ascii::EqualsNoCase(t, "DualGradientRect")) return std::make_unique<SkinDualGradientRect>(skin, name);
    if (ascii::EqualsNoCase(t, "WebBrowser")) return std::make_unique<SkinWebBrowser>(skin, name);
    return nullptr;
}

// ---------------------------------------------------------------- image

void SkinImage::ReadPicture(const SkinFile& file) {
    file_ = ReadHooked(file, "File", "");
    bool hasWindow = false;
    window_ = ClampRect(file.GetRect(name_, "Window", &hasWindow));
    const SkinPair pos = ClampPair(file.GetPair(name_, "pos"));
    const DibImage* picture = skin_.Picture(file_);
    // Without a "Window" (or with an all-zero one) the whole picture shows.
    SkinRect part = window_;
    if (picture && part == SkinRect{}) part = SkinRect{0, 0, picture->Width(), picture->Height()};
    rect_ = RectAt(pos, std::max(0, part.Width()), std::max(0, part.Height()));
    if (picture && !part.IsEmpty() && skin_.ReservePixels(part.Width(), part.Height(), picture->BitsPerPixel()))
        CutOut(picture, part.left, part.top, part.Width(), part.Height(), picture_);
}

void SkinImage::Read(const SkinFile& file) {
    SkinControl::Read(file);
    ReadPicture(file);
}

void SkinImage::Draw(DibImage& canvas, SkinRect clip) {
    if (!visible_) return;
    DrawPicture(canvas, clip, picture_, rect_.left, rect_.top);
}

void SkinImage::CompositeOnto(DibImage& canvas) {
    DrawPicture(canvas, SkinRect{0, 0, canvas.Width(), canvas.Height()}, picture_, rect_.left, rect_.top);
}

void SkinShape::Read(const SkinFile& file) {
    SkinImage::Read(file);
    excludeColour_ = file.GetColour(name_, "ExcludeColor", excludeColour_);
    if (picture_.IsEmpty() || (picture_.BitsPerPixel() != 24 && picture_.BitsPerPixel() != 32)) return;
    const ShapeRegion& local = picture_.BuildShapeRegion(excludeColour_);
    ShapeRegion placed;
    for (const RegionRect& r : local.Rects())
        placed.Add(RegionRect{r.left + rect_.left, r.top + rect_.top, r.right + rect_.left, r.bottom + rect_.top});
    skin_.SetShape(placed);
}

void SkinTransparentImage::Read(const SkinFile& file) {
    SkinImage::Read(file);
    transparency_ = file.GetInt(name_, "Transparency", 128);
    backColour_ = file.GetColour(name_, "backcolor", MakeColour(255, 0, 0));
    if (picture_.IsEmpty()) return;
    DibImage blended;
    if (blended.Create(picture_.Width(), picture_.Height(), 24) != 0) return;
    blended.Fill(backColour_);
    if (blended.BlendFrom(picture_, transparency_) == 0) picture_ = std::move(blended);
}

// ---------------------------------------------------------------- button

std::vector<std::string> SkinButton::SplitEntries(const std::string& value) {
    std::vector<std::string> out;
    if (value.empty()) return out;
    size_t start = 0;
    for (;;) {
        size_t comma = value.find(',', start);
        out.push_back(value.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return out;
}

void SkinButton::Read(const SkinFile& file) {
    SkinControl::Read(file);
    // A list of 100 characters or more counts as missing: the section name.
    if (action_.size() >= 100) action_ = name_;
    entries_ = SplitEntries(action_);
    file_ = ReadHooked(file, "File", "");
    toolTip_ = file.GetString(name_, "ToolTip", "");
    const SkinPair size = ClampPair(file.GetPair(name_, "Size"));
    const SkinPair pos = ClampPair(file.GetPair(name_, "Pos"));
    rect_ = RectAt(pos, std::max(0, size.x), std::max(0, size.y));
    const DibImage* picture = skin_.Picture(file_);
    if (!picture) return;
    const int bpp = picture->BitsPerPixel();
    struct State { const char* key; DibImage* image; } states[] = {
        {"Up", &up_}, {"Down", &down_}, {"Disabled", &disabled_}};
    for (const State& s : states) {
        const SkinPair at = ClampPair(file.GetPair(name_, s.key));
        if (!at.present || !skin_.ReservePixels(size.x, size.y, bpp)) continue;
        CutOut(picture, at.x, at.y, size.x, size.y, *s.image);
    }
}

const DibImage& SkinButton::CurrentPicture() const {
    if (!enabled_) return disabled_;
    if (ShowsDown() && !down_.IsEmpty()) return down_;
    return up_;
}

void SkinButton::Draw(DibImage& canvas, SkinRect clip) {
    if (!visible_) return;
    DrawPicture(canvas, clip, CurrentPicture(), rect_.left, rect_.top);
}

void SkinButton::CompositeOnto(DibImage& canvas) {
    DrawPicture(canvas, SkinRect{0, 0, canvas.Width(), canvas.Height()}, CurrentPicture(), rect_.left, rect_.top);
}

void SkinButton::OnButtonDown(unsigned flags, int x, int y) {
    SkinControl::OnButtonDown(flags, x, y);
    RedrawSelf();
}

void SkinButton::OnButtonUp(unsigned flags, int x, int y) {
    const bool wasPressed = pressed_;
    SkinControl::OnButtonUp(flags, x, y);
    if (wasPressed != pressed_) RedrawSelf();
}

void SkinButton::OnDoubleClick(unsigned flags, int x, int y) {
    const bool wasPressed = pressed_;
    SkinControl::OnDoubleClick(flags, x, y);
    if (wasPressed) RedrawSelf();
}

void SkinButton::SetEnabled(bool enabled) { SkinControl::SetEnabled(enabled); }

void SkinButton::FireAction() {
    if (entries_.empty()) return;
    if (lastFired_ == EntryKind::Character) PostCommand(kSkinCharacterDoneCommand);
    if (position_ >= entries_.size()) position_ = 0;
    const std::string& entry = entries_[position_];
    if (entry.size() > 2 && entry[0] == '(' && entry[2] == ')') {
        Post(kSkinActionMessage, kSkinActionCharacter, intptr_t(static_cast<signed char>(entry[1])));
        lastFired_ = EntryKind::Character;
        StartTimer();
    } else if (!ascii::IsAllDigits(entry)) {
        PostNamed(entry, kSkinActionNamed);
        lastFired_ = EntryKind::Named;
    } else {
        int command = 0;
        if (!entry.empty()) SkinFile::ParseUnsigned(entry, command);
        PostCommand(command);
        lastFired_ = EntryKind::Command;
        StartTimer();
    }
    position_ = (position_ + 1) % entries_.size();
}

void SkinSwitch::SetChecked(bool checked) {
    if (checked_ == checked) return;
    checked_ = checked;
    RedrawSelf();
}

// ---------------------------------------------------------------- multistate

void SkinMultiState::Read(const SkinFile& file) {
    SkinControl::Read(file);
    file_ = ReadHooked(file, "File", "");
    command_ = file.GetInt(name_, "Action", 0);
    toolTip_ = file.GetString(name_, "ToolTip", "");
    const SkinPair size = ClampPair(file.GetPair(name_, "Size"));
    const SkinPair pos = ClampPair(file.GetPair(name_, "Pos"));
    rect_ = RectAt(pos, std::max(0, size.x), std::max(0, size.y));
    const DibImage* picture = skin_.Picture(file_);
    // States are read until the first missing number; at most 101 give a
    // defined percentage mapping, more are not kept.
    for (int i = 0; i <= 100; ++i) {
        char key[24];
        std::snprintf(key, sizeof key, "state%i", i);
        const SkinPair at = ClampPair(file.GetPair(name_, key));
        if (!at.present) break;
        states_.emplace_back();
        if (picture && skin_.ReservePixels(size.x, size.y, picture->BitsPerPixel()))
            CutOut(picture, at.x, at.y, size.x, size.y, states_.back());
    }
    const SkinPair disabled = ClampPair(file.GetPair(name_, "Disabled"));
    if (disabled.present && picture && skin_.ReservePixels(size.x, size.y, picture->BitsPerPixel()))
        CutOut(picture, disabled.x, disabled.y, size.x, size.y, disabled_);
}

const DibImage* SkinMultiState::CurrentPicture() const {
    if (!enabled_ && !disabled_.IsEmpty()) return &disabled_;
    if (states_.empty()) return nullptr;
    const DibImage& current = states_[size_t(state_)];
    return current.IsEmpty() ? &states_[0] : &current;
}

void SkinMultiState::Draw(DibImage& canvas, SkinRect clip) {
    if (!visible_) return;
    if (const DibImage* p = CurrentPicture()) DrawPicture(canvas, clip, *p, rect_.left, rect_.top);
}

void SkinMultiState::CompositeOnto(DibImage& canvas) {
    if (const DibImage* p = CurrentPicture())
        DrawPicture(canvas, SkinRect{0, 0, canvas.Width(), canvas.Height()}, *p, rect_.left, rect_.top);
}

void SkinMultiState::SetState(int state) {
    if (state < 0 || state >= StateCount() || state == state_) return;
    state_ = state;
    RedrawSelf();
}

void SkinMultiState::SetPercentage(int percent) {
    percent_ = percent;
    const int n = StateCount();
    if (n < 2) return;
    const int step = 100 / (n - 1);
    if (step <= 0) return;
    SetState(int(FloorDiv((long long)percent + step / 2, step)));
}

void SkinMultiState::SetEnabled(bool enabled) { SkinControl::SetEnabled(enabled); }

void SkinMultiState::OnButtonDown(unsigned, int, int) {
    Capture();
    pressed_ = true;
    StartTimer();
}

void SkinMultiState::OnButtonUp(unsigned, int, int) {
    if (enabled_) PostCommand(command_);
    Release();
    StopTimer();
    pressed_ = false;
}

// ---------------------------------------------------------------- text

void SkinText::Read(const SkinFile& file) {
    SkinControl::Read(file);
    toolTip_ = file.GetString(name_, "ToolTip", "");
    {
        std::string v = file.GetString(name_, "TextColor", "");
        if (!v.empty()) { skin_.ResolveText(v); textColour_ = SkinFile::ParseColour(v, textColour_); }
        std::string d = file.GetString(name_, "TextColorDisabled", "");
        if (!d.empty()) { skin_.ResolveText(d); disabledColour_ = SkinFile::ParseColour(d, disabledColour_); }
    }
    rect_ = ClampRect(file.GetRect(name_, "Window"));
    format_ = file.GetDrawFlags(name_, "Format", format_);
    fontName_ = file.GetString(name_, "font", "StandardFont");
    bigFontName_ = file.GetString(name_, "BigFont", fontName_);
    disabledFontName_ = file.GetString(name_, "DisabledFont", "DisabledFont");
    Render(true);
}

void SkinText::Configure(const SkinRect& rect, const std::string& text, Colour colour, unsigned format) {
    rect_ = rect;
    text_ = text;
    textColour_ = colour;
    format_ = format;
    Render(true);
}

const SkinFont& SkinText::ResolveFont(const std::string& name) const { return skin_.FindFont(name); }

Colour SkinText::CurrentColour() const { return enabled_ ? textColour_ : disabledColour_; }

void SkinText::Render(bool newLayout) {
    const int w = rect_.Width(), h = rect_.Height();
    if (w <= 0 || h <= 0) {
        picture_.Release();
        extent_ = TextExtent{};
        return;
    }
    // Only the part that can show on the canvas gets pixels.
    const int pw = std::min(w, std::max(1, skin_.Bounds().Width() > 0 ? skin_.Bounds().Width() : w));
    const int ph = std::min(h, std::max(1, skin_.Bounds().Height() > 0 ? skin_.Bounds().Height() : h));
    if (picture_.IsEmpty() || picture_.Width() != pw || picture_.Height() != ph) {
        picture_.Release();
        if (!skin_.ReservePixels(pw, ph, 32) || picture_.Create(pw, ph, 32) != 0) {
            picture_.Release();
            return;
        }
    }
    const std::string& shown = ShownText();
    fontsAtRender_ = skin_.Fonts().size();
    const SkinFont* font;
    if (!enabled_) {
        font = &ResolveFont(disabledFontName_);
    } else if (newLayout) {
        const SkinFont& big = ResolveFont(bigFontName_);
        const TextExtent measured = LayOutSkinText(big, shown, w, h, format_ | kDtCalcRect, nullptr);
        font = (big.IsUsable() && measured.height < h) ? &big : &ResolveFont(fontName_);
    } else {
        font = &ResolveFont(fontName_);
    }
    // Coverage of the ink, then the picture in the text colour with alpha = coverage.
    std::vector<uint8_t> ink(size_t(pw) * size_t(ph), 0);
    CoverageMask mask{ink.data(), pw, ph, size_t(pw)};
    extent_ = LayOutSkinText(*font, shown, w, h, format_ | kDtCalcRect, nullptr);
    LayOutSkinText(*font, shown, w, h, format_ & ~unsigned(kDtCalcRect), &mask);
    DibImage grey;
    if (grey.Create(pw, ph, 8) != 0) return;
    grey.SetGreyPalette();
    for (int y = 0; y < ph; ++y) {
        uint8_t* row = grey.Row(y);
        const uint8_t* src = ink.data() + size_t(y) * size_t(pw);
        for (int x = 0; x < pw; ++x) row[x] = uint8_t(255 - src[x]);
    }
    picture_.MakeTintedFromMask(grey, CurrentColour());
}

void SkinText::OnSkinLoaded() {
    const auto& fonts = skin_.Fonts();
    for (size_t i = fontsAtRender_; i < fonts.size(); ++i)
        for (const std::string* name : {&fontName_, &bigFontName_, &disabledFontName_})
            if (&ResolveFont(*name) == fonts[i].get()) {
                Render(enabled_);
                return;
            }
}

void SkinText::Draw(DibImage& canvas, SkinRect clip) {
    if (!visible_) return;
    if (kind_ == SkinKind::ToolTip) FillRect(canvas, rect_.Intersect(clip), MakeColour(255, 255, 225));
    DrawPicture(canvas, clip, picture_, rect_.left, rect_.top);
}

void SkinText::CompositeOnto(DibImage& canvas) {
    DrawPicture(canvas, SkinRect{0, 0, canvas.Width(), canvas.Height()}, picture_, rect_.left, rect_.top);
}

bool SkinText::HitTest(int x, int y) const {
    return x >= rect_.left && y >= rect_.top && x < rect_.left + extent_.width && y < rect_.top + extent_.height;
}

void SkinText::SetText(const std::string& text) {
    text_ = text;
    Render(true);
    RedrawSelf();
}

void SkinText::SetEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    Render(false);
    RedrawSelf();
}

// ---------------------------------------------------------------- edit

void SkinEdit::Read(const SkinFile& file) {
    SkinText::Read(file);
    rect_ = ClampRect(file.GetRect(name_, "Window"));
    style_ = file.GetInt(name_, "style", 0);
    insertion_ = selectionEnd_ = EditedText().size();
}

void SkinEdit::SetText(const std::string& text) {
    SkinText::SetText(text);
    insertion_ = selectionEnd_ = EditedText().size();
}

bool SkinEdit::Fits(const std::string& candidate) const {
    const int w = rect_.Width(), h = rect_.Height();
    const SkinFont& big = ResolveFont(bigFontName_);
    const SkinFont& font = (big.IsUsable() && big.Width(candidate) <= w) ? big : ResolveFont(fontName_);
    return LayOutSkinText(font, candidate, w, h, format_ | kDtCalcRect, nullptr).height <= h;
}

bool SkinEdit::InsertCharacter(char c) {
    std::string& text = EditedText();
    const bool selected = insertion_ != selectionEnd_;
    std::string candidate = selected ? text.substr(0, std::min(insertion_, text.size())) : text;
    candidate += c;
    if (!Fits(candidate)) return false;
    text = candidate;
    ++insertion_;
    ++selectionEnd_;
    Render(true);
    RedrawSelf();
    return true;
}

void SkinEdit::DeleteCharacter() {
    std::string& text = EditedText();
    if (insertion_ != selectionEnd_) {
        text.erase(std::min(insertion_, text.size()));
        selectionEnd_ = insertion_;
    } else {
        if (text.empty() || insertion_ == 0) return;
        text.pop_back();
        --insertion_;
        --selectionEnd_;
    }
    Render(true);
    RedrawSelf();
}

void SkinMultiLine::SetText(const std::string& text) {
    // The "text" value changes; what was typed is kept.
    text_ = text;
    Render(true);
    RedrawSelf();
}

// ---------------------------------------------------------------- link

void SkinLink::Read(const SkinFile& file) {
    SkinText::Read(file);
    downColour_ = file.GetColour(name_, "TextColorDown", textColour_);
}

Colour SkinLink::CurrentColour() const {
    if (enabled_ && pressed_) return downColour_;
    return SkinText::CurrentColour();
}

void SkinLink::OnButtonDown(unsigned flags, int x, int y) {
    SkinText::OnButtonDown(flags, x, y);
    Render(false);
    RedrawSelf();
}

void SkinLink::OnButtonUp(unsigned flags, int x, int y) {
    const bool was = pressed_;
    SkinText::OnButtonUp(flags, x, y);
    if (was != pressed_) {
        Render(false);
        RedrawSelf();
    }
}

void SkinLink::OnDoubleClick(unsigned flags, int x, int y) {
    const bool was = pressed_;
    SkinText::OnDoubleClick(flags, x, y);
    if (was) {
        Render(false);
        RedrawSelf();
    }
}

// ---------------------------------------------------------------- chrono

std::string FormatElapsed(const std::string& pattern, int64_t seconds) {
    if (seconds < 0) seconds = 0;
    std::string out;
    char buf[32];
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c != '%' || i + 1 >= pattern.size()) {
            out += c;
            continue;
        }
        const char f = pattern[i + 1];
        long long v;
        switch (f) {
            case 'D': std::snprintf(buf, sizeof buf, "%lld", (long long)(seconds / 86400)); break;
            case 'H': v = (seconds / 3600) % 24; std::snprintf(buf, sizeof buf, "%02lld", v); break;
            case 'M': v = (seconds / 60) % 60; std::snprintf(buf, sizeof buf, "%02lld", v); break;
            case 'S': v = seconds % 60; std::snprintf(buf, sizeof buf, "%02lld", v); break;
            case '%': buf[0] = '%', buf[1] = 0; break;
            default: out += c; continue;
        }
        out += buf;
        ++i;
    }
    return out;
}

void SkinChrono::Start(int64_t nowSeconds) {
    running_ = true;
    start_ = nowSeconds;
    SetText(FormatElapsed("%H:%M:%S", 0));
}

void SkinChrono::Tick(int64_t nowSeconds) {
    if (!running_) return;
    SetText(FormatElapsed("%H:%M:%S", nowSeconds - start_));
}

// ---------------------------------------------------------------- slider

void SkinSlider::Read(const SkinFile& file) {
    SkinControl::Read(file);
    file_ = ReadHooked(file, "File", "");
    toolTip_ = file.GetString(name_, "ToolTip", "");
    command_ = file.GetInt(name_, "Action", 0);
    cursorSize_ = ClampPair(file.GetPair(name_, "Size"));
    const SkinRect background = ClampRect(file.GetRect(name_, "background"));
    const SkinPair cursor = ClampPair(file.GetPair(name_, "Cursor"));
    const SkinPair cursorDisabled = ClampPair(file.GetPair(name_, "CursorDisabled"));
    const SkinPair pos = ClampPair(file.GetPair(name_, "pos"));
    start_ = ClampPair(file.GetPair(name_, "start"));
    end_ = ClampPair(file.GetPair(name_, "End"));
    rect_ = RectAt(pos, std::max(0, background.Width()), std::max(0, background.Height()));
    const DibImage* picture = skin_.Picture(file_);
    if (!picture) return;
    // The track and cursors are kept as 32-bit pictures: opaque where the
    // picture has no alpha of its own.
    auto cut = [&](int x, int y, int w, int h, DibImage& out) {
        if (!skin_.ReservePixels(w, h, 32) || !CutOut(picture, x, y, w, h, out)) return;
        if (out.BitsPerPixel() != 32) {
            if (out.ConvertTo(32) != 0) {
                out.Release();
                return;
            }
            out.SetAlpha(255);
        }
    };
    cut(background.left, background.top, background.Width(), background.Height(), track_);
    cut(cursor.x, cursor.y, cursorSize_.x, cursorSize_.y, cursor_);
    if (cursorDisabled.present) cut(cursorDisabled.x, cursorDisabled.y, cursorSize_.x, cursorSize_.y, cursorDisabled_);
}

SkinPair SkinSlider::CursorPosition() const {
    SkinPair p{start_.x, start_.y, true};
    // An empty range cannot place the cursor along the travel: it stays at the start.
    if (max_ == min_) return p;
    const long long range = (long long)max_ - min_, offset = (long long)value_ - min_;
    p.x = int(start_.x + ((long long)end_.x - start_.x) * offset / range);
    p.y = int(start_.y + ((long long)end_.y - start_.y) * offset / range);
    return p;
}

void SkinSlider::Draw(DibImage& canvas, SkinRect clip) {
    if (!visible_ || track_.IsEmpty()) return;
    DibImage composition;
    if (composition.Create(track_.Width(), track_.Height(), 32) != 0) return;
    track_.CopyTo(composition, 0, 0);
    const DibImage& cursor = (!enabled_ && !cursorDisabled_.IsEmpty()) ? cursorDisabled_ : cursor_;
    if (!cursor.IsEmpty()) {
        const SkinPair at = CursorPosition();
        const SkinRect area = SkinRect{at.x, at.y, at.x + cursor.Width(), at.y + cursor.Height()}.Intersect(
            SkinRect{0, 0, composition.Width(), composition.Height()});
        if (!area.IsEmpty()) {
            const int result = composition.DrawFrom(area.left, area.top, area.Width(), area.Height(), cursor,
                                                    area.left - at.x, area.top - at.y);
            if (result != 0) {
                char message[48];
                std::snprintf(message, sizeof message, "Erreur AlphaBlend %i", result);
                ShowText(message, kMbOk);
            }
        }
    }
    DrawPicture(canvas, clip, composition, rect_.left, rect_.top);
}

void SkinSlider::CompositeOnto(DibImage& canvas) { Draw(canvas, SkinRect{0, 0, canvas.Width(), canvas.Height()}); }

void SkinSlider::SetRange(int minimum, int maximum) {
    min_ = minimum;
    max_ = maximum;
    value_ = lastReported_ = min_;
    RedrawSelf();
}

void SkinSlider::SetValue(int value) {
    const int lo = std::min(min_, max_), hi = std::max(min_, max_);
    value_ = std::clamp(value, lo, hi);
    lastReported_ = value_;
    RedrawSelf();
}

void SkinSlider::SetPercentage(int percent) {
    // Kept within the range: a percentage outside 0-100 cannot move the value beyond it.
    const long long v = min_ + ((long long)max_ - min_) * percent / 100;
    value_ = int(std::clamp<long long>(v, std::min(min_, max_), std::max(min_, max_)));
    RedrawSelf();
}

int SkinSlider::Percentage() const {
    if (max_ == min_) return 0;
    return int(((long long)value_ - min_) * 100 / ((long long)max_ - min_));
}

void SkinSlider::SetEnabled(bool enabled) { SkinControl::SetEnabled(enabled); }

void SkinSlider::Notify() {
    if (value_ == lastReported_) return;
    PostCommand(command_);
    lastReported_ = value_;
}

int SkinSlider::ValueForPointer(int pointerY) const {
    const long long range = (long long)max_ - min_;
    const long long travel = (long long)end_.y - start_.y;
    if (range == 0 || travel == 0) return min_;
    long long y = (long long)pointerY - rect_.top - grabY_;
    y += travel / range / 2;
    long long v = min_ + FloorDiv((y - start_.y) * range, travel);
    const long long lo = std::min(min_, max_), hi = std::max(min_, max_);
    return int(std::clamp(v, lo, hi));
}

void SkinSlider::TrackPointer(int y) {
    const int v = ValueForPointer(y);
    if (v == value_) return;
    value_ = v;
    RedrawSelf();
}

void SkinSlider::OnButtonDown(unsigned, int x, int y) {
    if (!enabled_) return;
    Capture();
    pressed_ = true;
    StartTimer();
    grabY_ = 0;
    const SkinPair at = CursorPosition();
    const int cx = rect_.left + at.x, cy = rect_.top + at.y;
    if (x >= cx && x < cx + cursorSize_.x && y >= cy && y < cy + cursorSize_.y) grabY_ = y - cy;
}

void SkinSlider::OnMouseMove(unsigned, int, int y) {
    if (HasCapture()) TrackPointer(y);
}

void SkinSlider::OnButtonUp(unsigned, int, int y) {
    if (!HasCapture()) return;
    TrackPointer(y);
    Release();
    StopTimer();
    pressed_ = false;
    PostCommand(command_);
    lastReported_ = value_;
}

// ---------------------------------------------------------------- line

void SkinLine::Read(const SkinFile& file) {
    SkinControl::Read(file);
    from_ = ClampPair(file.GetPair(name_, "Start"));
    to_ = ClampPair(file.GetPair(name_, "End"));
    std::string colour = file.GetString(name_, "Color", "");
    skin_.ResolveText(colour);
    colour_ = SkinFile::ParseColour(colour, colour_);
    width_ = file.GetInt(name_, "Width", 1);
    const int pad = std::clamp(width_, 1, 64);
    rect_ = SkinRect{std::min(from_.x, to_.x) - pad, std::min(from_.y, to_.y) - pad,
                     std::max(from_.x, to_.x) + pad, std::max(from_.y, to_.y) + pad};
}

void SkinLine::Draw(DibImage& canvas, SkinRect clip) {
    if (!visible_ || canvas.BitsPerPixel() != 24) return;
    const SkinRect area = clip.Intersect(SkinRect{0, 0, canvas.Width(), canvas.Height()});
    if (area.IsEmpty()) return;
    const int w = std::clamp(width_, 1, 64);
    const int before = (w - 1) / 2;
    auto plot = [&](int px, int py) {
        FillRect(canvas, SkinRect{px - before, py - before, px - before + w, py - before + w}.Intersect(area), colour_);
    };
    // Bresenham from Start towards End; the end point itself is not drawn, as a pen's LineTo leaves it.
    long long x0 = from_.x, y0 = from_.y;
    const long long x1 = to_.x, y1 = to_.y;
    const long long dx = x1 > x0 ? x1 - x0 : x0 - x1, dy = y1 > y0 ? y0 - y1 : y1 - y0;
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    long long err = dx + dy;
    // Never more steps than the canvas can show.
    long long steps = std::max(dx, -dy);
    if (steps > 4 * 16384) steps = 4 * 16384;
    for (long long i = 0; i < steps; ++i) {
        if (x0 >= area.left - w && x0 < area.right + w && y0 >= area.top - w && y0 < area.bottom + w)
            plot(int(x0), int(y0));
        const long long e2 = 2 * err;
        if (e2 >= dy) { err += dy; x0 += sx; }
        if (e2 <= dx) { err += dx; y0 += sy; }
    }
}

// ---------------------------------------------------------------- rect

void SkinFilledRect::Read(const SkinFile& file) {
    SkinControl::Read(file);
    std::string colour = file.GetString(name_, "Color", "");
    skin_.ResolveText(colour);
    colour_ = SkinFile::ParseColour(colour, colour_);
    rect_ = ClampRect(file.GetRect(name_, "Rect"));
}

void SkinFilledRect::Draw(DibImage& canvas, SkinRect clip) {
    if (!visible_) return;
    FillRect(canvas, rect_.Intersect(clip), colour_);
}

// ---------------------------------------------------------------- gradients

std::vector<GradientBand> GradientBands(Colour from, Colour to, int left, int width) {
    std::vector<GradientBand> bands;
    if (width <= 0) return bands;
    const int dr = RedOf(to) - RedOf(from), dg = GreenOf(to) - GreenOf(from), db = BlueOf(to) - BlueOf(from);
    int n = std::max({std::abs(dr), std::abs(dg), std::abs(db)});
    n = std::max(1, std::min(n, width));
    // Single-precision steps, as the bands have always been computed; each
    // band's offset from the start colour is rounded down, also on falling
    // channels.
    const float sr = float(dr) / float(n), sg = float(dg) / float(n), sb = float(db) / float(n);
    bands.reserve(size_t(n));
    for (int i = 0; i < n; ++i) {
        GradientBand b;
        b.left = left + int((long long)i * width / n);
        b.right = (i == n - 1) ? left + width : left + int((long long)(i + 1) * width / n);
        const int r = RedOf(from) + int(std::floor(float(i) * sr));
        const int g = GreenOf(from) + int(std::floor(float(i) * sg));
        const int bl = BlueOf(from) + int(std::floor(float(i) * sb));
        b.colour = MakeColour(std::clamp(r, 0, 255), std::clamp(g, 0, 255), std::clamp(bl, 0, 255));
        bands.push_back(b);
    }
    return bands;
}

namespace {

void PaintBands(DibImage& picture, int top, int bottom, Colour from, Colour to) {
    for (const GradientBand& b : GradientBands(from, to, 0, picture.Width()))
        FillRect(picture, SkinRect{b.left, top, b.right, bottom}, b.colour);
}

std::string HookedColourText(const SkinFile& file, const Skin& skin, const std::string& section, const char* key) {
    std::string v = file.GetString(section, key, "");
    skin.ResolveText(v);
    return v;
}

}  // namespace

void SkinGradientRect::Read(const SkinFile& file) {
    SkinControl::Read(file);
    left_ = SkinFile::ParseColour(HookedColourText(file, skin_, name_, "LeftColor"), left_);
    right_ = SkinFile::ParseColour(HookedColourText(file, skin_, name_, "RightColor"), right_);
    rect_ = ClampRect(file.GetRect(name_, "Rect"));
    leftAction_ = file.GetString(name_, "LeftAction", action_);
    rightAction_ = file.GetString(name_, "RightAction", action_);
    if (kind_ == SkinKind::GradientRect) BuildPicture();
}

void SkinGradientRect::BuildPicture() {
    picture_.Release();
    const int w = rect_.Width(), h = rect_.Height();
    if (w <= 0 || h <= 0) return;
    // Only the part that can show on the canvas gets pixels.
    const int ph = std::min(h, std::max(1, skin_.Bounds().Height() > 0 ? skin_.Bounds().Height() : h));
    if (!skin_.ReservePixels(w, ph, 24) || picture_.Create(w, ph, 24) != 0) {
        picture_.Release();
        return;
    }
    PaintBands(picture_, 0, ph, left_, right_);
}

void SkinGradientRect::Draw(DibImage& canvas, SkinRect clip) {
    if (!visible_) return;
    DrawPicture(canvas, clip, picture_, rect_.left, rect_.top);
}

void SkinGradientRect::CompositeOnto(DibImage& canvas) {
    DrawPicture(canvas, SkinRect{0, 0, canvas.Width(), canvas.Height()}, picture_, rect_.left, rect_.top);
}

const std::string& SkinGradientRect::ActionAt(int x) const {
    return x < rect_.left + rect_.Width() / 2 ? leftAction_ : rightAction_;
}

void SkinGradientRect::OnButtonDown(unsigned flags, int x, int y) {
    lastX_ = x;
    SkinControl::OnButtonDown(flags, x, y);
}

void SkinGradientRect::OnButtonUp(unsigned flags, int x, int y) {
    lastX_ = x;
    SkinControl::OnButtonUp(flags, x, y);
}

void SkinGradientRect::OnDoubleClick(unsigned flags, int x, int y) {
    lastX_ = x;
    SkinControl::OnDoubleClick(flags, x, y);
}

void SkinGradientRect::FireAction() { PostNamed(ActionAt(lastX_), kSkinActionNamed); }
void SkinGradientRect::FireRepeatAction() { PostNamed(ActionAt(lastX_), kSkinActionRepeat); }

void SkinDualGradientRect::Read(const SkinFile& file) {
    SkinGradientRect::Read(file);
    innerLeft_ = SkinFile::ParseColour(HookedColourText(file, skin_, name_, "IntLeftColor"), innerLeft_);
    innerRight_ = SkinFile::ParseColour(HookedColourText(file, skin_, name_, "IntRightColor"), innerRight_);
    innerLeftAction_ = file.GetString(name_, "IntLeftAction", action_);
    innerRightAction_ = file.GetString(name_, "IntRightAction", action_);
    BuildPicture();
}

void SkinDualGradientRect::BuildPicture() {
    SkinGradientRect::BuildPicture();
    if (picture_.IsEmpty()) return;
    const int half = rect_.Height() / 2;
    PaintBands(picture_, half, picture_.Height(), innerLeft_, innerRight_);
}

const std::string& SkinDualGradientRect::ActionAt(int x) const {
    return x < rect_.left + rect_.Width() / 2 ? innerLeftAction_ : innerRightAction_;
}

// ---------------------------------------------------------------- web browser

SkinWebBrowser::~SkinWebBrowser() {
    // Only while the skin still has its owner (not when the skin itself goes away).
    if (placedOn_ && skin_.Owner() == placedOn_) placedOn_->RemoveBrowser(this);
}

void SkinWebBrowser::Read(const SkinFile& file) {
    SkinControl::Read(file);
    url_ = ReadHooked(file, "Url", "");
    rect_ = ClampRect(file.GetRect(name_, "Rect"));
    browserWidth_ = rect_.Width();
}

void SkinWebBrowser::Place() {
    if (placedOn_) placedOn_->PlaceBrowser(this, SkinRect{rect_.left, rect_.top, rect_.left + browserWidth_, rect_.bottom}, url_, visible_);
}

void SkinWebBrowser::SetOwner(SkinOwner* owner) {
    if (placedOn_ && placedOn_ != owner) placedOn_->RemoveBrowser(this);
    placedOn_ = owner;
    Place();
}

void SkinWebBrowser::SetVisible(bool show) {
    if (visible_ == show) return;
    visible_ = show;
    Place();
}

void SkinWebBrowser::SetValue(int value) {
    const int h = std::max(0, std::min(value, 294 - rect_.top));
    browserWidth_ = 240;
    rect_.bottom = rect_.top + h;
    Place();
}

}  // namespace mrw
