// The handheld screen preview: the Today screen with the Start menu that
// drops over it and the two notification bubbles, each a skin-drawn control
// loaded from a template of the program folder. The controls resolve the
// templates' placeholders against the theme they show and the resource
// texts, and turn clicks on named elements into what the editor page does
// with them (select a theme element, open its editor, show or hide a child).
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "editor/packages/preview/PreviewWindow.h"
#include "editor/skin/SkinStatic.h"

namespace mrw {

class ThemeDocument;
class TextRenderer;

// Sent to the page that shows the preview: wParam 1 selects the theme element
// named by lParam (a NUL-terminated text), wParam 2 opens its editor.
constexpr unsigned kPreviewSelectMessage = 0x0421;  // WM_USER + 33
// Control id of the preview's children.
constexpr int kPreviewChildId = 65535;

// The template files, in the order they are staged.
extern const char* const kSkinTemplateFiles[15];

// Stages the template set: for every template, working folder + name is
// deleted and template folder + name copied over it. Results are not examined.
void CopySkinTemplates(const std::string& templateFolder, const std::string& workingFolder);

// The colour placeholder: a value whose first 30 characters, upper-cased,
// are "%HKLM,SOFTWARE\MICROSOFT\COLOR"; the index text runs from the 32nd
// character (after a separator of any kind) to the next "%", and is empty
// when there is none. False when `value` is no colour placeholder.
bool ParseColourPlaceholder(const std::string& value, std::string& indexText);

// The preview system of the user's settings ("preview"/"system", default 0):
// 0 shows the Pocket PC 2002 templates, other values the 2003 ones.
int ReadPreviewSystemStyle();

// Common part of the three controls: the theme shown (not owned) and the
// folder its skin comes from.
class PreviewControl : public SkinStatic {
public:
    PreviewControl(SkinOwner* host, TextRenderer* renderer) : SkinStatic(host, renderer) {}
    const ThemeDocument* Theme() const { return theme_; }
    const std::string& SkinFolder() const { return skinFolder_; }
    // Keeps the theme and folder, then loads folder + file; false when the
    // file is missing or its skin cannot be made.
    bool LoadTemplate(const ThemeDocument* theme, const std::string& skinFolder, const std::string& file);

protected:
    const ThemeDocument* theme_ = nullptr;
    std::string skinFolder_;
};

// The Start menu that drops over the Today screen.
class TodayMenuPreview : public PreviewControl {
public:
    explicit TodayMenuPreview(SkinOwner* host = nullptr, TextRenderer* renderer = nullptr)
        : PreviewControl(host, renderer) {}
    // Upper-cases the value itself, then replaces the folder placeholder,
    // then resolves a colour or a menu label.
    void ResolveText(std::string& text) override;
    // Passes the action to the Today screen (0x040E, wParam 1 or 3).
    void OnSkinAction(const std::string& actionText) override;
};

// A notification bubble (normal or critical).
class CNotificationBubble : public PreviewControl {
public:
    explicit CNotificationBubble(SkinOwner* host = nullptr, TextRenderer* renderer = nullptr)
        : PreviewControl(host, renderer) {}
    // Titles, message and colours (with the built-in defaults); other values stay.
    void ResolveText(std::string& text) override;
    void OnSkinAction(const std::string& actionText) override;
};

class TodayScreenPreview : public PreviewControl {
public:
    static constexpr int kWidth = 240, kHeight = 320;
    // The placements of the children within the preview.
    static constexpr SkinRect kMenuRect{0, 26, 140, 314};
    static constexpr SkinRect kNormalRect{105, 28, 195, 212};
    static constexpr SkinRect kCriticalRect{10, 48, 232, 169};

    // `host` is the preview's own window (posts, the selection message to
    // its parent); `systemStyle` as ReadPreviewSystemStyle gives it.
    TodayScreenPreview(SkinOwner* host, int systemStyle, TextRenderer* renderer = nullptr);
    // The same with the preview system of the user's settings.
    explicit TodayScreenPreview(SkinOwner* host) : TodayScreenPreview(host, ReadPreviewSystemStyle()) {}
    ~TodayScreenPreview() override;

    // Loads the templates for the theme from the skin folder (ending in a
    // separator); null hides the preview. Returns the result of loading the
    // Today screen's template.
    bool ShowTheme(const ThemeDocument* theme, const std::string& skinFolder);

    void ResolveText(std::string& text) override;
    void OnSkinAction(const std::string& actionText) override;

    // Delivers the messages the children's elements have posted; returns how many.
    size_t PumpChildren();

    int SystemStyle() const { return systemStyle_; }
    bool Shown() const { return shown_; }
    bool MenuShown() const { return menuShown_; }
    bool NormalShown() const { return normalShown_; }
    bool CriticalShown() const { return criticalShown_; }
    bool NotificationShown() const { return notificationShown_; }
    bool CalendarShown() const { return calendarShown_; }

    // The children (null before the first ShowTheme with a theme) and their windows.
    TodayMenuPreview* Menu() const { return menu_.get(); }
    CNotificationBubble* NormalBubble() const { return normal_.get(); }
    CNotificationBubble* CriticalBubble() const { return critical_.get(); }
    PreviewWindow* MenuWindow() const { return menuWindow_.get(); }
    PreviewWindow* NormalWindow() const { return normalWindow_.get(); }
    PreviewWindow* CriticalWindow() const { return criticalWindow_.get(); }

protected:
    // Makes the window of a child; the windows editor gives real windows.
    virtual std::unique_ptr<PreviewWindow> CreateChildWindow(SkinStatic& child, const SkinRect& placement);

private:
    void CreateChildren();
    void ShowChild(PreviewWindow* window, bool show);
    void SetNotificationElements(bool show);
    void Select(const std::string& name);

    int systemStyle_;
    TextRenderer* renderer_;
    bool shown_ = false;
    bool menuShown_ = false, normalShown_ = false, criticalShown_ = false;
    bool notificationShown_ = false, calendarShown_ = false;
    std::unique_ptr<TodayMenuPreview> menu_;
    std::unique_ptr<CNotificationBubble> normal_, critical_;
    std::unique_ptr<PreviewWindow> menuWindow_, normalWindow_, criticalWindow_;
};

}  // namespace mrw
