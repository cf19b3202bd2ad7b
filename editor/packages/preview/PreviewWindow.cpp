#include "editor/packages/preview/PreviewWindow.h"

#include "editor/skin/SkinStatic.h"

namespace mrw {

namespace {
unsigned nextZOrder = 1;
}

void PreviewWindow::ShowWindow(bool show) {
    shown_ = show;
    if (show) zOrder_ = nextZOrder++;
}

size_t PreviewWindow::Pump(size_t limit) {
    size_t delivered = 0;
    while (!queue_.empty() && delivered < limit) {
        const Message m = queue_.front();
        queue_.pop_front();
        if (target_) target_->HandleMessage(m.message, m.wParam, m.lParam);
        ++delivered;
    }
    return delivered;
}

void PreviewWindow::Post(unsigned message, uintptr_t wParam, intptr_t lParam) {
    queue_.push_back(Message{message, wParam, lParam});
}

intptr_t PreviewWindow::SendToParent(unsigned message, uintptr_t wParam, intptr_t lParam) {
    return parent_ ? parent_(message, wParam, lParam) : 0;
}

void PreviewWindow::PlaceBrowser(const void* id, const SkinRect& rect, const std::string& url, bool visible) {
    Browser& b = browsers_[id];
    b.rect = rect;
    b.url = url;
    b.visible = visible;
}

}  // namespace mrw
