// The portable half of a skin-drawn window.
#include "editor/skin/SkinStatic.h"

#include "platform/Paths.h"

namespace mrw {

namespace {

int LowWordSigned(intptr_t v) { return int(int16_t(uint16_t(uintptr_t(v) & 0xFFFF))); }
int HighWordSigned(intptr_t v) { return int(int16_t(uint16_t((uintptr_t(v) >> 16) & 0xFFFF))); }

}  // namespace

SkinStatic::SkinStatic(SkinOwner* host, TextRenderer* renderer) : host_(host), skin_(renderer) {}

SkinStatic::~SkinStatic() {
    // Elements may talk to the owner while they go away (browser windows).
    skin_.Clear();
    skin_.AttachOwner(nullptr);
}

bool SkinStatic::LoadSkin(const std::string& path) {
    skinPath_ = path;
    skin_.Clear();
    skin_.AttachOwner(this);
    size_t cut = std::string::npos;
    for (size_t i = path.size(); i-- > 0;)
        if (paths::IsSeparator(path[i])) {
            cut = i;
            break;
        }
    if (cut == std::string::npos || cut + 1 >= path.size()) return false;
    const int result = skin_.Load(path.substr(0, cut + 1), path.substr(cut + 1));
    skin_.AttachOwner(this);
    return result == 0;
}

void SkinStatic::OnSkinAction(const std::string&) { actionState_ = 1; }

void SkinStatic::OnSkinRepeatAction(const std::string& actionText) {
    actionState_ = 2;
    OnSkinAction(actionText);
}

void SkinStatic::ResolveText(std::string&) {}

intptr_t SkinStatic::HandleMessage(unsigned message, uintptr_t wParam, intptr_t lParam, bool* handled) {
    if (handled) *handled = true;
    const int x = LowWordSigned(lParam), y = HighWordSigned(lParam);
    const unsigned flags = unsigned(wParam);
    switch (message) {
        case kWmLButtonDown: skin_.OnButtonDown(flags, x, y); return 0;
        case kWmLButtonUp: skin_.OnButtonUp(flags, x, y); return 0;
        case kWmLButtonDblClk: skin_.OnDoubleClick(flags, x, y); return 0;
        case kWmMouseMove: skin_.OnMouseMove(flags, x, y); return 0;
        case kWmTimer: skin_.OnTimer(int(wParam)); return 0;
        case kSkinActionMessage: {
            const char* text = reinterpret_cast<const char*>(lParam);
            if (wParam == kSkinActionNamed && text)
                OnSkinAction(text);
            else if (wParam == kSkinActionRepeat && text)
                OnSkinRepeatAction(text);
            return 1;
        }
        case kSkinToolTipMessage: return 1;
        case kSkinTextMessage:
            if (std::string* text = reinterpret_cast<std::string*>(lParam)) ResolveText(*text);
            return 1;
        default:
            if (handled) *handled = false;
            return 0;
    }
}

void SkinStatic::Post(unsigned message, uintptr_t wParam, intptr_t lParam) {
    if (host_) host_->Post(message, wParam, lParam);
}
bool SkinStatic::OfferToolTip(std::string& text) { return host_ ? host_->OfferToolTip(text) : true; }
void SkinStatic::CaptureMouse() { if (host_) host_->CaptureMouse(); }
void SkinStatic::ReleaseMouse() { if (host_) host_->ReleaseMouse(); }
void SkinStatic::StartTimer(int id, int periodMs) { if (host_) host_->StartTimer(id, periodMs); }
void SkinStatic::StopTimer(int id) { if (host_) host_->StopTimer(id); }
void SkinStatic::Invalidate(const SkinRect& rect) { if (host_) host_->Invalidate(rect); }
intptr_t SkinStatic::SendToParent(unsigned message, uintptr_t wParam, intptr_t lParam) {
    return host_ ? host_->SendToParent(message, wParam, lParam) : 0;
}
void SkinStatic::PlaceBrowser(const void* id, const SkinRect& rect, const std::string& url, bool visible) {
    if (host_) host_->PlaceBrowser(id, rect, url, visible);
}
void SkinStatic::RemoveBrowser(const void* id) { if (host_) host_->RemoveBrowser(id); }

}  // namespace mrw
