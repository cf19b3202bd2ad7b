// Loading a skin, redrawing and painting it, and routing mouse input.
#include "editor/skin/Skin.h"

#include <algorithm>

#include "base/AsciiText.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/TextRenderer.h"

namespace mrw {

namespace {

// "font size" 9, "pointSize" 85 or 170, regular, face "tahoma".
std::unique_ptr<SkinFont> BuiltInFont(const char* name, int tenths, TextRenderer& renderer) {
    FontSpec spec;
    spec.faceName = "tahoma";
    spec.height = FontHeightForTenths(tenths, renderer.PixelsPerInchY());
    return std::make_unique<SkinPlatformFont>(name, spec, renderer);
}

}  // namespace

Skin::Skin(TextRenderer* renderer) : renderer_(renderer ? renderer : &PlatformTextRenderer()) {
    MakeBuiltInFonts();
}

Skin::~Skin() {
    // The owner window may already be gone: nothing is asked of it any more.
    owner_ = nullptr;
    Clear();
}

void Skin::MakeBuiltInFonts() {
    standardFont_ = BuiltInFont("StandardFont", 85, *renderer_);
    bigFont_ = BuiltInFont("BigFont", 170, *renderer_);
}

void Skin::Clear() {
    if (timerControl_ && owner_) owner_->StopTimer(kSkinTimerId);
    if (capturedControl_ && owner_) owner_->ReleaseMouse();
    timerControl_ = capturedControl_ = pressedControl_ = nullptr;
    toolTip_.reset();
    controls_.clear();
    fonts_.clear();
    imageCache_.clear();
    shapeRegion_.Clear();
}

int Skin::Load(const std::string& folder, const std::string& fileName) {
    SkinFile file;
    file.Open(folder + fileName);
    return LoadFile(folder, fileName, file);
}

int Skin::LoadFromBytes(const std::string& folder, const uint8_t* data, size_t size) {
    SkinFile file;
    file.OpenBytes(data, size);
    return LoadFile(folder, std::string(), file);
}

int Skin::LoadFile(const std::string& folder, const std::string& fileName, SkinFile& file) {
    Clear();
    skinFolder_ = folder;
    skinPath_ = folder + fileName;
    bounds_ = SkinRect{};
    loading_ = true;
    pixelBudget_ = kSkinPixelBudget;

    const SkinPair size = file.GetPair("General", "size");
    if (size.x != 0 && size.y != 0) bounds_ = SkinRect{0, 0, size.x, size.y};

    size_t sections = 0;
    for (const std::string& section : file.SectionNames()) {
        if (++sections > kMaxSkinSections) break;
        const std::string type = file.GetString(section, "type", "");
        if (ascii::EqualsNoCase(type, "FontBitmap")) {
            std::string picture = file.GetString(section, "File", "");
            ResolveText(picture);
            fonts_.push_back(std::make_unique<SkinBitmapFont>(section, Picture(picture)));
            continue;
        }
        if (ascii::EqualsNoCase(type, "FontGDI") || ascii::EqualsNoCase(type, "Font")) {
            int tenths = file.GetInt(section, "pointSize", 0);
            if (tenths == 0) tenths = file.GetInt(section, "font size", 9) * 10;
            FontSpec spec;
            spec.height = FontHeightForTenths(tenths, renderer_->PixelsPerInchY());
            spec.bold = file.GetInt(section, "Bold", 0) != 0;
            spec.italic = file.GetInt(section, "Italic", 0) != 0;
            spec.underline = file.GetInt(section, "Underline", 0) != 0;
            spec.faceName = file.GetString(section, "FaceName", "Tahoma");
            fonts_.push_back(std::make_unique<SkinPlatformFont>(section, spec, *renderer_));
            continue;
        }
        std::unique_ptr<SkinControl> control = CreateSkinControl(type, *this, section);
        if (!control) continue;
        control->Read(file);
        if (owner_) control->SetOwner(owner_);
        controls_.push_back(std::move(control));
    }

    for (const auto& c : controls_)
        if (c) c->OnSkinLoaded();
    imageCache_.clear();
    loading_ = false;
    int w = std::clamp(bounds_.Width(), 0, kMaxSkinSide), h = std::clamp(bounds_.Height(), 0, kMaxSkinSide);
    if (bounds_.Width() > kMaxSkinSide || bounds_.Height() > kMaxSkinSide) {
        // Larger than any screen the skins describe: refused as a canvas that cannot be created.
        canvas_.Release();
        return -1;
    }
    if (w > 0 && h > 0) {
        const int result = canvas_.Create(w, h, 24);
        if (result != 0) return result;
        canvas_.FillWhite();
    } else {
        canvas_.Release();
    }
    Redraw(nullptr);
    return 0;
}

const DibImage* Skin::Picture(const std::string& fileName) {
    if (fileName.empty()) return nullptr;
    auto it = imageCache_.find(fileName);
    if (it != imageCache_.end()) return it->second.get();
    auto image = std::make_unique<DibImage>();
    // Templates name some pictures with a full path (their folder placeholder
    // resolves to the skin folder itself); other names are relative to it.
    const bool absolute = paths::IsSeparator(fileName[0]) || (fileName.size() > 1 && fileName[1] == ':');
    const std::string path = absolute ? fileName : skinFolder_ + fileName;
    if (!files::IsFile(path) || image->Load(path) != 0 || image->IsEmpty()) {
        image.reset();
    } else {
        const int bpp = image->BitsPerPixel();
        // Elements cut 8-, 24- and 32-bit pictures; other depths are widened once here.
        if (bpp != 8 && bpp != 24 && bpp != 32 && image->ConvertTo(24) != 0) image.reset();
    }
    const DibImage* result = image.get();
    imageCache_.emplace(fileName, std::move(image));
    return result;
}

bool Skin::ReservePixels(int width, int height, int bitsPerPixel) {
    if (width <= 0 || height <= 0) return false;
    if (width > kMaxImageSide || height > kMaxImageSide) return false;
    const size_t bytes = DibImage::StrideFor(width, bitsPerPixel) * size_t(height);
    if (bytes > pixelBudget_) return false;
    pixelBudget_ -= bytes;
    return true;
}

std::string Skin::FontError() const {
    if (standardFont_->IsUsable()) return std::string();
    if (auto* f = dynamic_cast<const SkinPlatformFont*>(standardFont_.get())) return f->Error();
    return "the standard font cannot draw";
}

SkinControl* Skin::FindControl(const std::string& name) const {
    for (const auto& c : controls_)
        if (c && ascii::EqualsNoCase(c->Name(), name)) return c.get();
    return nullptr;
}

const SkinFont& Skin::FindFont(const std::string& name) const {
    if (!name.empty())
        for (const auto& f : fonts_)
            if (ascii::EqualsNoCase(f->Name(), name)) return *f;
    return *standardFont_;
}

void Skin::AttachOwner(SkinOwner* owner) {
    owner_ = owner;
    for (const auto& c : controls_)
        if (c) c->SetOwner(owner);
}

void Skin::ResolveText(std::string& text) const {
    if (owner_) owner_->ResolveText(text);
}

void Skin::Redraw(const SkinRect* rect) {
    SkinRect area = rect ? rect->Intersect(bounds_) : bounds_;
    if (area.IsEmpty()) return;
    dirty_ = true;
    if (!canvas_.IsEmpty()) {
        // The area starts white so that a hidden element leaves no trace and
        // partly transparent pictures do not darken with every redraw.
        area = area.Intersect(SkinRect{0, 0, canvas_.Width(), canvas_.Height()});
        if (area.IsEmpty()) return;
        const size_t bytes = size_t(area.Width()) * 3;
        for (int y = area.top; y < area.bottom; ++y)
            std::fill_n(canvas_.Row(y) + size_t(area.left) * 3, bytes, uint8_t(0xFF));
        for (const auto& c : controls_)
            if (c) c->Draw(canvas_, area);
        if (toolTip_) toolTip_->Draw(canvas_, area);
    }
    if (owner_) owner_->Invalidate(area);
}

const DibImage& Skin::Paint() {
    if (dirty_) {
        if (canvas_.IsEmpty() || canvas_.Dither(displayCopy_) != 0) displayCopy_.Release();
        dirty_ = false;
    }
    return displayCopy_;
}

SkinControl* Skin::ElementAt(int x, int y, bool visibleOnly) const {
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        SkinControl* c = it->get();
        if (!c) continue;
        if (visibleOnly && !c->Visible()) continue;
        if (c->HitTest(x, y)) return c;
    }
    return nullptr;
}

void Skin::OnButtonDown(unsigned flags, int x, int y) {
    if (capturedControl_) {
        capturedControl_->OnButtonDown(flags, x, y);
        return;
    }
    if (SkinControl* c = ElementAt(x, y, true)) {
        pressedControl_ = c;
        c->OnButtonDown(flags, x, y);
    }
}

// Hidden elements take no input at all: a release or double click over a
// hidden element (a page of another group, say) belongs to what is shown there.
void Skin::OnButtonUp(unsigned flags, int x, int y) {
    HideToolTip();
    if (capturedControl_) {
        capturedControl_->OnButtonUp(flags, x, y);
        return;
    }
    if (SkinControl* c = ElementAt(x, y, true)) {
        pressedControl_ = c;
        c->OnButtonUp(flags, x, y);
    }
}

void Skin::OnDoubleClick(unsigned flags, int x, int y) {
    HideToolTip();
    if (capturedControl_) {
        capturedControl_->OnDoubleClick(flags, x, y);
        return;
    }
    if (SkinControl* c = ElementAt(x, y, true)) {
        pressedControl_ = c;
        c->OnDoubleClick(flags, x, y);
    }
}

void Skin::OnMouseMove(unsigned flags, int x, int y) {
    if (capturedControl_) capturedControl_->OnMouseMove(flags, x, y);
}

void Skin::OnTimer(int id) {
    if (id == kSkinTimerId && timerControl_) timerControl_->OnTimer();
}

void Skin::SetVisibleByName(const std::string& name, bool show) {
    if (SkinControl* c = FindControl(name)) c->SetVisible(show);
}

void Skin::SetGroupVisible(int group, bool show) {
    for (const auto& c : controls_)
        if (c && c->Group() == group) c->SetVisible(show);
}

void Skin::SetValueByName(const std::string& name, int value) {
    if (SkinControl* c = FindControl(name)) c->SetValue(value);
}

void Skin::ShowToolTip(const std::string& text, int x, int y) {
    HideToolTip();
    std::string shown = text;
    if (owner_ && !owner_->OfferToolTip(shown)) return;
    if (shown.empty()) return;
    const SkinFont& font = *standardFont_;
    const int w = std::min(font.Width(shown) + 4, std::max(1, bounds_.Width()));
    const int h = font.LineHeight() + 2;
    // Kept inside the canvas where it fits.
    int left = std::max(0, std::min(x, bounds_.right - w));
    int top = std::max(0, std::min(y, bounds_.bottom - h));
    auto tip = std::make_unique<SkinText>(*this, "ToolTip", SkinKind::ToolTip);
    tip->Configure(SkinRect{left, top, left + w, top + h}, shown, 0, kDtSingleLine | kDtCenter | kDtVCenter | kDtWordBreak);
    toolTip_ = std::move(tip);
    Redraw(&toolTip_->Rect());
}

void Skin::HideToolTip() {
    if (!toolTip_) return;
    const SkinRect area = toolTip_->Rect();
    toolTip_.reset();
    Redraw(&area);
}

void Skin::SetCapture(SkinControl* control) {
    capturedControl_ = control;
    if (owner_) owner_->CaptureMouse();
}

void Skin::ReleaseCapture(SkinControl* control) {
    if (capturedControl_ != control) return;
    capturedControl_ = nullptr;
    if (owner_) owner_->ReleaseMouse();
}

void Skin::StartTimer(SkinControl* control) {
    timerControl_ = control;
    if (owner_) owner_->StartTimer(kSkinTimerId, kSkinTimerPeriodMs);
}

void Skin::StopTimer(SkinControl* control) {
    if (timerControl_ != control) return;
    timerControl_ = nullptr;
    if (owner_) owner_->StopTimer(kSkinTimerId);
}

}  // namespace mrw
