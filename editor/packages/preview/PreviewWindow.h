// A portable window for the preview controls: it keeps what the preview asks
// of a window (shown or hidden, stacking order, window region, placement,
// web browser children, mouse capture, the timer) and queues the messages the
// skin elements post until Pump delivers them to the control it hosts, as a
// message loop would. The windows editor gives the same requests to real
// windows; the command-line tool and the tests use this class as it is.
#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>

#include "editor/imaging/ShapeRegion.h"
#include "editor/skin/SkinOwner.h"

namespace mrw {

class SkinStatic;

class PreviewWindow : public SkinOwner {
public:
    struct Message {
        unsigned message;
        uintptr_t wParam;
        intptr_t lParam;
    };
    struct Browser {
        SkinRect rect;
        std::string url;
        bool visible = false;
    };
    // SendMessage to the parent window; returns its result.
    using ParentHandler = std::function<intptr_t(unsigned, uintptr_t, intptr_t)>;

    PreviewWindow() = default;
    PreviewWindow(SkinStatic* target, const SkinRect& placement) : target_(target), placement_(placement) {}

    void SetTarget(SkinStatic* target) { target_ = target; }
    void SetParentHandler(ParentHandler handler) { parent_ = std::move(handler); }
    const SkinRect& Placement() const { return placement_; }

    // Shows or hides the window; showing also brings it above its siblings.
    virtual void ShowWindow(bool show);
    bool IsShown() const { return shown_; }
    // Stacking order among siblings: higher is nearer the top.
    unsigned ZOrder() const { return zOrder_; }
    // The window takes the region (an empty region means the whole rectangle).
    virtual void SetWindowRegion(const ShapeRegion& region) { region_ = region; }
    const ShapeRegion& WindowRegion() const { return region_; }

    // Delivers the queued posted messages to the hosted control, also those
    // posted while delivering; returns how many were delivered (at most
    // `limit`, so that a control that keeps posting cannot hang the caller).
    size_t Pump(size_t limit = 10000);
    const std::deque<Message>& Queue() const { return queue_; }
    const std::map<const void*, Browser>& Browsers() const { return browsers_; }
    bool HasCapture() const { return captured_; }
    bool TimerRunning() const { return timerRunning_; }

    // SkinOwner
    void Post(unsigned message, uintptr_t wParam, intptr_t lParam) override;
    void CaptureMouse() override { captured_ = true; }
    void ReleaseMouse() override { captured_ = false; }
    void StartTimer(int, int) override { timerRunning_ = true; }
    void StopTimer(int) override { timerRunning_ = false; }
    void Invalidate(const SkinRect&) override {}
    intptr_t SendToParent(unsigned message, uintptr_t wParam, intptr_t lParam) override;
    void PlaceBrowser(const void* id, const SkinRect& rect, const std::string& url, bool visible) override;
    void RemoveBrowser(const void* id) override { browsers_.erase(id); }

private:
    SkinStatic* target_ = nullptr;
    SkinRect placement_;
    ParentHandler parent_;
    bool shown_ = true;
    unsigned zOrder_ = 0;
    ShapeRegion region_;
    std::deque<Message> queue_;
    std::map<const void*, Browser> browsers_;
    bool captured_ = false;
    bool timerRunning_ = false;
};

}  // namespace mrw
