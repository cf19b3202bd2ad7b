// Base behaviour of every skin element: common keys, hit test, pressing and
// releasing with the mouse capture, and action firing.
#include "editor/skin/SkinControl.h"

#include <algorithm>

#include "base/AsciiText.h"
#include "editor/skin/Skin.h"
#include "editor/skin/SkinFile.h"

namespace mrw {

SkinControl::SkinControl(SkinKind kind, Skin& skin, std::string name)
    : kind_(kind), skin_(skin), name_(std::move(name)) {}

SkinControl::~SkinControl() = default;

std::string SkinControl::ReadHooked(const SkinFile& file, const std::string& key,
                                    const std::string& defaultValue) const {
    std::string value = file.GetString(name_, key, defaultValue);
    skin_.ResolveText(value);
    return value;
}

void SkinControl::Read(const SkinFile& file) {
    visible_ = file.GetInt(name_, "show", 1) != 0;
    text_ = ReadHooked(file, "text", "");
    param_ = file.GetString(name_, "Param", "");
    action_ = file.GetString(name_, "Action", name_);
    triggerOnUp_ = !ascii::EqualsNoCase(file.GetString(name_, "Trigger", "UP"), "DOWN");
    group_ = file.GetInt(name_, "Group", 0);
}

void SkinControl::Draw(DibImage&, SkinRect) {}
void SkinControl::CompositeOnto(DibImage&) {}

bool SkinControl::HitTest(int x, int y) const { return rect_.Contains(x, y); }

void SkinControl::OnButtonDown(unsigned, int, int) {
    Capture();
    pressed_ = true;
    if (!triggerOnUp_)
        FireAction();
    else
        StartTimer();
}

void SkinControl::OnButtonUp(unsigned, int x, int y) {
    if (!HasCapture()) return;
    Release();
    StopTimer();
    pressed_ = false;
    if (triggerOnUp_ && HitTest(x, y)) FireAction();
}

void SkinControl::OnDoubleClick(unsigned, int, int) {
    StopTimer();
    pressed_ = false;
    FireRepeatAction();
}

void SkinControl::OnMouseMove(unsigned, int, int) {}
// Held long enough: the element's tooltip shows below it until the button comes up.
void SkinControl::OnTimer() {
    if (!pressed_ || toolTip_.empty()) return;
    const SkinControl* shown = skin_.ToolTipElement();
    if (shown && shown->Text() == toolTip_) return;
    skin_.ShowToolTip(toolTip_, rect_.left, rect_.bottom);
}
void SkinControl::SetOwner(SkinOwner*) {}

void SkinControl::SetText(const std::string& text) { text_ = text; }
void SkinControl::SetValue(int) {}

void SkinControl::SetEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    RedrawSelf();
}

void SkinControl::SetVisible(bool show) {
    if (visible_ == show) return;
    visible_ = show;
    RedrawSelf();
}

void SkinControl::FireAction() {
    const std::string& a = action_;
    if (a.size() >= 3 && a[0] == '\'' && a[2] == '\'') {
        Post(kSkinActionMessage, kSkinActionCharacter, intptr_t(static_cast<signed char>(a[1])));
    } else if (a.empty()) {
        PostCommand(0);
    } else if (ascii::IsAllDigits(a)) {
        int command = 0;
        SkinFile::ParseUnsigned(a, command);
        PostCommand(command);
    } else {
        PostNamed(action_, kSkinActionNamed);
    }
}

void SkinControl::FireRepeatAction() { PostNamed(action_, kSkinActionRepeat); }

void SkinControl::Post(unsigned message, uintptr_t wParam, intptr_t lParam) const {
    if (SkinOwner* owner = skin_.Owner()) owner->Post(message, wParam, lParam);
}

void SkinControl::PostNamed(const std::string& text, uintptr_t kind) const {
    Post(kSkinActionMessage, kind, reinterpret_cast<intptr_t>(text.c_str()));
}

void SkinControl::Capture() { skin_.SetCapture(this); }
void SkinControl::Release() { skin_.ReleaseCapture(this); }
bool SkinControl::HasCapture() const { return skin_.CapturedControl() == this; }
void SkinControl::StartTimer() { skin_.StartTimer(this); }
void SkinControl::StopTimer() { skin_.StopTimer(this); }
void SkinControl::RedrawSelf() { skin_.Redraw(&rect_); }

void SkinControl::DrawPicture(DibImage& canvas, const SkinRect& clip, const DibImage& picture, int x, int y) {
    if (picture.IsEmpty() || canvas.IsEmpty()) return;
    SkinRect area{x, y, x + picture.Width(), y + picture.Height()};
    area = area.Intersect(clip).Intersect(SkinRect{0, 0, canvas.Width(), canvas.Height()});
    if (area.IsEmpty()) return;
    canvas.DrawFrom(area.left, area.top, area.Width(), area.Height(), picture, area.left - x, area.top - y);
}

SkinPair SkinControl::ClampPair(SkinPair pair) {
    pair.x = std::clamp(pair.x, -kMaxSkinCoordinate, kMaxSkinCoordinate);
    pair.y = std::clamp(pair.y, -kMaxSkinCoordinate, kMaxSkinCoordinate);
    return pair;
}

SkinRect SkinControl::ClampRect(SkinRect r) {
    for (int* v : {&r.left, &r.top, &r.right, &r.bottom}) *v = std::clamp(*v, -kMaxSkinCoordinate, kMaxSkinCoordinate);
    return r;
}

bool SkinControl::CutOut(const DibImage* picture, int x, int y, int width, int height, DibImage& out) {
    out.Release();
    if (!picture || picture->IsEmpty() || width <= 0 || height <= 0 || x < 0 || y < 0) return false;
    if (int64_t(x) + width > picture->Width() || int64_t(y) + height > picture->Height()) return false;
    const int bpp = picture->BitsPerPixel();
    if (bpp != 8 && bpp != 24 && bpp != 32) return false;
    if (out.Create(width, height, bpp) != 0) return false;
    if (bpp == 8) {
        const DibInfo& info = picture->Info();
        out.SetPalette(info.colours, 256);
        out.Info().header.clrUsed = info.header.clrUsed;
    }
    if (picture->CopyTo(out, x, y) != 0) {
        out.Release();
        return false;
    }
    return true;
}

}  // namespace mrw
