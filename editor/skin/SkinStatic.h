// The portable half of a skin-drawn window: it owns a Skin, loads it, turns
// the window's mouse messages and the elements' posted messages into calls,
// and offers the overridable operations (action handling, text hook) that
// the preview controls give their meaning. The window itself (a real window,
// or a recorder in tests) is the host: every SkinOwner request the skin
// makes is passed on to it, except the text hook, which lands here.
#pragma once
#include <cstdint>
#include <string>

#include "editor/skin/Skin.h"
#include "editor/skin/SkinOwner.h"

namespace mrw {

// Window messages the skin window handles, with the platform's values.
enum : unsigned {
    kWmMouseMove = 0x0200, kWmLButtonDown = 0x0201, kWmLButtonUp = 0x0202,
    kWmLButtonDblClk = 0x0203, kWmTimer = 0x0113,
};

class SkinStatic : public SkinOwner {
public:
    // `host` is the window (not owned); it may be set later. The host must
    // outlive this object or be replaced by SetHost(nullptr) first: going
    // away stops the timer and removes browser children through it.
    explicit SkinStatic(SkinOwner* host = nullptr, TextRenderer* renderer = nullptr);
    ~SkinStatic() override;

    void SetHost(SkinOwner* host) { host_ = host; }
    SkinOwner* Host() const { return host_; }
    Skin& GetSkin() { return skin_; }
    const Skin& GetSkin() const { return skin_; }
    const std::string& SkinPath() const { return skinPath_; }
    // 1 after construction and a plain action, 2 while a repeated action is handled.
    int ActionState() const { return actionState_; }

    // Stores the path, empties the skin, splits the path at its last
    // separator and loads folder + file name. False for a path without a
    // file name after its last separator (or without a separator) and when
    // the load fails.
    virtual bool LoadSkin(const std::string& path);
    virtual void OnSkinAction(const std::string& actionText);
    // Sets the action state to 2 and calls OnSkinAction.
    virtual void OnSkinRepeatAction(const std::string& actionText);
    // The text hook; the base leaves the text unchanged.
    void ResolveText(std::string& text) override;

    // Handles a message of the window: the mouse messages (lParam holds x in
    // its low and y in its high 16 bits, both signed), WM_TIMER, and the
    // skin messages 0x040E, 0x040F and 0x0410 (lParam of 0x0410 is a
    // std::string*). Sets `handled` and returns the message's result.
    intptr_t HandleMessage(unsigned message, uintptr_t wParam, intptr_t lParam, bool* handled = nullptr);

    // SkinOwner, passed on to the host.
    void Post(unsigned message, uintptr_t wParam, intptr_t lParam) override;
    bool OfferToolTip(std::string& text) override;
    void CaptureMouse() override;
    void ReleaseMouse() override;
    void StartTimer(int id, int periodMs) override;
    void StopTimer(int id) override;
    void Invalidate(const SkinRect& rect) override;
    intptr_t SendToParent(unsigned message, uintptr_t wParam, intptr_t lParam) override;
    void PlaceBrowser(const void* id, const SkinRect& rect, const std::string& url, bool visible) override;
    void RemoveBrowser(const void* id) override;

protected:
    int actionState_ = 1;

private:
    SkinOwner* host_;
    Skin skin_;
    std::string skinPath_;
};

}  // namespace mrw
