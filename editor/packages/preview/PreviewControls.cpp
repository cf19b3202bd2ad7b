#include "editor/packages/preview/PreviewControls.h"

#include <cstdio>
#include <cstring>

#include "base/AsciiText.h"
#include "editor/document/ThemeDocument.h"
#include "platform/Files.h"
#include "platform/ResourceText.h"
#include "platform/Settings.h"

namespace mrw {

const char* const kSkinTemplateFiles[15] = {
    "icones.png",          "NormalBubble.png",    "CriticalBubble.png",     "TodayMenu.inf",
    "NormalBubble.inf",    "CriticalBubble.inf",  "TodayMenu2003.inf",      "NormalBubble2003.inf",
    "CriticalBubble2003.inf", "facelift.inf",     "facelift.png",           "SkinAnimated.inf",
    "SkinAnimated2003.inf", "SkinToday.inf",      "SkinToday2003.inf",
};

namespace {

struct Placeholder {
    const char* text;
    int stringId;
};

// Today screen, in the order they are compared.
const Placeholder kScreenPlaceholders[] = {
    {"%START%", 147},        {"%OWNERINFO%", 149}, {"%INBOXINFO%", 170}, {"%CALENDARINFO%", 150},
    {"%TASKINFO%", 174},     {"%ANIMATION%", 152}, {"%NEW%", 159},       {"%DATE%", 153},
    {"%CALENDAR%", 166},     {"%CALENDARMSG%", 228}, {"%SHORTDATE%", 229},
};

const Placeholder kMenuPlaceholders[] = {
    {"%IDS_TODAY%", 164},     {"%IDS_ACTIVESYNC%", 165},        {"%IDS_CALENDAR%", 166},
    {"%IDS_CONTACTS%", 167},  {"%IDS_INBOX%", 181},             {"%IDS_INTERNETEXPLORER%", 172},
    {"%IDS_NOTES%", 173},     {"%IDS_TASKS%", 182},             {"%IDS_GPRSMANAGER%", 201},
    {"%IDS_POCKETPHONETOOLS%", 200}, {"%IDS_PROGRAMS%", 175},   {"%IDS_SETTINGS%", 176},
    {"%IDS_FIND%", 177},      {"%IDS_HELP%", 178},
};

const Placeholder kBubblePlaceholders[] = {
    {"%CRITICALTITLE%", 190}, {"%CRITICALMESSAGE%", 185}, {"%NORMALTITLE%", 183},
};

const char kColourPrefix[] = "%HKLM,SOFTWARE\\MICROSOFT\\COLOR";  // 30 characters
const char kTempPath[] = "%TEMPPATH%";
const char kTodayWater[] = "%TDYWATER%";
const char kBrowserElement[] = "HTML browser";
const char* const kNotificationElements[] = {"Notification bar", "Notification background",
                                             "Notification Hilight", "Battery icon", "Message icon"};
constexpr int kCalendarGroup = 2;

void ReplaceAll(std::string& value, const std::string& what, const std::string& with) {
    if (what.empty()) return;
    for (size_t at = value.find(what); at != std::string::npos; at = value.find(what, at + with.size()))
        value.replace(at, what.size(), with);
}

// The string of the placeholder equal to `upper`, when there is one and the
// resource library holds its text; true when `value` was replaced.
template <size_t N>
bool ResolveFromTable(const Placeholder (&table)[N], const std::string& upper, std::string& value) {
    for (const Placeholder& p : table) {
        if (upper != p.text) continue;
        const std::string text = LoadResourceString(p.stringId);
        if (!text.empty()) value = text;
        return true;
    }
    return false;
}

std::string RgbText(int r, int g, int b) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%i,%i,%i", r, g, b);
    return buffer;
}

// The theme's own colour entry, when it has one with at least three bytes.
void ResolveThemeColour(const ThemeDocument* theme, const std::string& indexText, std::string& value) {
    if (!theme) return;
    const RegistryEntry* entry = theme->FindColour(indexText);
    if (!entry || entry->data.size() < 3) return;
    value = RgbText(entry->data[0], entry->data[1], entry->data[2]);
}

// The decimal number at the start of the text (0 when there is none), as atoi reads it.
int LeadingNumber(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && ascii::IsBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    long long n = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        n = n * 10 + (text[i] - '0');
        if (n > 0x7FFFFFFF) n = 0x7FFFFFFF;
    }
    return int(negative ? -n : n);
}

}  // namespace

void CopySkinTemplates(const std::string& templateFolder, const std::string& workingFolder) {
    for (const char* name : kSkinTemplateFiles) {
        const std::string target = workingFolder + name;
        files::Delete(target);
        files::Copy(templateFolder + name, target, false);
    }
}

bool ParseColourPlaceholder(const std::string& value, std::string& indexText) {
    const size_t prefix = sizeof kColourPrefix - 1;
    if (value.size() < prefix || ascii::ToUpper(value.substr(0, prefix)) != kColourPrefix) return false;
    indexText.clear();
    // The character after the prefix separates; the index follows it.
    if (value.size() <= prefix + 1) return true;
    const size_t start = prefix + 1;
    const size_t end = value.find('%', start);
    if (end != std::string::npos) indexText = value.substr(start, end - start);
    return true;
}

int ReadPreviewSystemStyle() { return CurrentSettings().GetInt("preview", "system", 0); }

// ---------------------------------------------------------------- common

bool PreviewControl::LoadTemplate(const ThemeDocument* theme, const std::string& skinFolder,
                                  const std::string& file) {
    theme_ = theme;
    skinFolder_ = skinFolder;
    // The skin of a missing file is empty but "loads"; a missing template is a failure here.
    const bool present = files::IsFile(skinFolder + file);
    return LoadSkin(skinFolder + file) && present;
}

// ---------------------------------------------------------------- Start menu

void TodayMenuPreview::ResolveText(std::string& text) {
    text = ascii::ToUpper(text);
    const std::string upper = text;
    ReplaceAll(text, kTempPath, skinFolder_);
    std::string index;
    if (ParseColourPlaceholder(upper, index)) {
        ResolveThemeColour(theme_, index, text);
        return;
    }
    ResolveFromTable(kMenuPlaceholders, upper, text);
}

void TodayMenuPreview::OnSkinAction(const std::string& actionText) {
    if (actionState_ == 1)
        SendToParent(kSkinActionMessage, kSkinActionNamed, reinterpret_cast<intptr_t>(actionText.c_str()));
    else if (actionState_ == 2)
        SendToParent(kSkinActionMessage, kSkinActionRepeat, reinterpret_cast<intptr_t>(actionText.c_str()));
    SkinStatic::OnSkinAction(actionText);
}

// ---------------------------------------------------------------- bubbles

void CNotificationBubble::ResolveText(std::string& text) {
    const std::string upper = ascii::ToUpper(text);
    if (ResolveFromTable(kBubblePlaceholders, upper, text)) return;
    std::string index;
    if (!ParseColourPlaceholder(upper, index)) return;
    // Colours the theme lacks take the built-in defaults.
    const uint32_t colour = theme_ ? theme_->GetColour(LeadingNumber(index)) : ThemeDocument().GetColour(LeadingNumber(index));
    text = RgbText(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

void CNotificationBubble::OnSkinAction(const std::string& actionText) {
    if (actionState_ == 1)
        SendToParent(kSkinActionMessage, kSkinActionNamed, reinterpret_cast<intptr_t>(actionText.c_str()));
    else if (actionState_ == 2)
        SendToParent(kSkinActionMessage, kSkinActionRepeat, reinterpret_cast<intptr_t>(actionText.c_str()));
    SkinStatic::OnSkinAction(actionText);
}

// ---------------------------------------------------------------- Today screen

TodayScreenPreview::TodayScreenPreview(SkinOwner* host, int systemStyle, TextRenderer* renderer)
    : PreviewControl(host, renderer), systemStyle_(systemStyle), renderer_(renderer) {}

TodayScreenPreview::~TodayScreenPreview() {
    // The children's skins go before the windows they report to.
    menu_.reset();
    normal_.reset();
    critical_.reset();
}

std::unique_ptr<PreviewWindow> TodayScreenPreview::CreateChildWindow(SkinStatic& child, const SkinRect& placement) {
    auto window = std::make_unique<PreviewWindow>(&child, placement);
    window->SetParentHandler([this](unsigned message, uintptr_t wParam, intptr_t lParam) {
        return HandleMessage(message, wParam, lParam);
    });
    window->ShowWindow(false);
    return window;
}

void TodayScreenPreview::CreateChildren() {
    if (menu_) return;
    menu_ = std::make_unique<TodayMenuPreview>(nullptr, renderer_);
    normal_ = std::make_unique<CNotificationBubble>(nullptr, renderer_);
    critical_ = std::make_unique<CNotificationBubble>(nullptr, renderer_);
    menuWindow_ = CreateChildWindow(*menu_, kMenuRect);
    normalWindow_ = CreateChildWindow(*normal_, kNormalRect);
    criticalWindow_ = CreateChildWindow(*critical_, kCriticalRect);
    menu_->SetHost(menuWindow_.get());
    normal_->SetHost(normalWindow_.get());
    critical_->SetHost(criticalWindow_.get());
}

bool TodayScreenPreview::ShowTheme(const ThemeDocument* theme, const std::string& skinFolder) {
    if (!theme) {
        shown_ = false;
        theme_ = nullptr;
        GetSkin().Clear();
        return true;
    }
    shown_ = true;
    const bool style2003 = systemStyle_ != 0;
    const char* file = style2003 ? "SkinToday2003.inf" : "SkinToday.inf";
    if (theme->tskType == 1)
        file = style2003 ? "SkinAnimated2003.inf" : "SkinAnimated.inf";
    else if (theme->tskType == 2)
        file = "facelift.inf";
    const bool loaded = LoadTemplate(theme, skinFolder, file);
    GetSkin().SetValueByName(kBrowserElement, theme->animationHeight);

    CreateChildren();
    if (systemStyle_ == 0 || systemStyle_ == 1) {
        const bool s03 = systemStyle_ == 1;
        menu_->LoadTemplate(theme, skinFolder, s03 ? "TodayMenu2003.inf" : "TodayMenu.inf");
        critical_->LoadTemplate(theme, skinFolder, s03 ? "CriticalBubble2003.inf" : "CriticalBubble.inf");
        normal_->LoadTemplate(theme, skinFolder, s03 ? "NormalBubble2003.inf" : "NormalBubble.inf");
        if (!critical_->GetSkin().Shape().IsEmpty()) criticalWindow_->SetWindowRegion(critical_->GetSkin().Shape());
        if (!normal_->GetSkin().Shape().IsEmpty()) normalWindow_->SetWindowRegion(normal_->GetSkin().Shape());
    }
    return loaded;
}

void TodayScreenPreview::ResolveText(std::string& text) {
    const std::string upper = ascii::ToUpper(text);
    if (ResolveFromTable(kScreenPlaceholders, upper, text)) return;
    if (upper == kTodayWater) {
        text = skinFolder_ + "tdywater.gif";
        return;
    }
    std::string index;
    if (ParseColourPlaceholder(upper, index)) {
        ResolveThemeColour(theme_, index, text);
        return;
    }
    ReplaceAll(text, kTempPath, skinFolder_);
}

void TodayScreenPreview::ShowChild(PreviewWindow* window, bool show) {
    if (window) window->ShowWindow(show);
}

void TodayScreenPreview::SetNotificationElements(bool show) {
    for (const char* name : kNotificationElements) GetSkin().SetVisibleByName(name, show);
}

void TodayScreenPreview::Select(const std::string& name) {
    SendToParent(kPreviewSelectMessage, uintptr_t(actionState_), reinterpret_cast<intptr_t>(name.c_str()));
}

void TodayScreenPreview::OnSkinAction(const std::string& actionText) {
    const std::string name = ascii::ToUpper(actionText);
    Skin& skin = GetSkin();
    if (name == "SWITCH_MENU") {
        menuShown_ = !menuShown_;
        if (menuShown_) {
            ShowChild(normalWindow_.get(), false);
            ShowChild(criticalWindow_.get(), false);
            normalShown_ = criticalShown_ = false;
            SetNotificationElements(false);
        }
        ShowChild(menuWindow_.get(), menuShown_);
    } else if (name == "SWITCH_CRITICAL") {
        criticalShown_ = !criticalShown_;
        if (criticalShown_) {
            ShowChild(normalWindow_.get(), false);
            ShowChild(menuWindow_.get(), false);
            menuShown_ = normalShown_ = false;
            SetNotificationElements(true);
            ShowChild(criticalWindow_.get(), true);
        } else {
            ShowChild(criticalWindow_.get(), false);
            skin.SetVisibleByName("Notification Hilight", false);
            Select("CE_COLOR_12");
        }
    } else if (name == "SWITCH_NORMAL") {
        normalShown_ = !normalShown_;
        if (normalShown_) {
            ShowChild(menuWindow_.get(), false);
            ShowChild(criticalWindow_.get(), false);
            SetNotificationElements(false);
            ShowChild(normalWindow_.get(), true);
            menuShown_ = criticalShown_ = false;
        } else {
            ShowChild(normalWindow_.get(), false);
        }
    } else if (name == "CE_COLOR_10") {
        notificationShown_ = !notificationShown_;
        if (!notificationShown_) {
            SetNotificationElements(false);
            ShowChild(criticalWindow_.get(), false);
            criticalShown_ = false;
        } else {
            ShowChild(menuWindow_.get(), false);
            ShowChild(normalWindow_.get(), false);
            SetNotificationElements(true);
            ShowChild(criticalWindow_.get(), true);
            criticalShown_ = true;
            Select(actionText);
        }
    } else if (name == "SWITCH_CALENDAR") {
        skin.SetGroupVisible(kCalendarGroup, true);
        skin.SetVisibleByName(kBrowserElement, false);
        calendarShown_ = true;
        SetNotificationElements(false);
        ShowChild(normalWindow_.get(), false);
        ShowChild(criticalWindow_.get(), false);
        ShowChild(menuWindow_.get(), false);
        menuShown_ = normalShown_ = criticalShown_ = notificationShown_ = false;
    } else if (name == "SWITCH_TODAY") {
        skin.SetGroupVisible(kCalendarGroup, false);
        skin.SetVisibleByName(kBrowserElement, true);
        calendarShown_ = false;
        ShowChild(menuWindow_.get(), false);
        SetNotificationElements(false);
        ShowChild(normalWindow_.get(), false);
        ShowChild(criticalWindow_.get(), false);
        menuShown_ = normalShown_ = criticalShown_ = notificationShown_ = false;
    } else {
        Select(actionText);
    }
    SkinStatic::OnSkinAction(actionText);
}

size_t TodayScreenPreview::PumpChildren() {
    size_t delivered = 0;
    for (PreviewWindow* w : {menuWindow_.get(), normalWindow_.get(), criticalWindow_.get()})
        if (w) delivered += w->Pump();
    return delivered;
}

}  // namespace mrw
