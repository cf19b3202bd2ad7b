// mrw device today: the Today screen of a virtual handheld, its items as
// loaded, and on request a picture of the installed theme.
#include <cstdio>

#include "base/AsciiText.h"
#include "base/TextEncoding.h"
#include "editor/document/ColourTable.h"
#include "editor/document/ThemeDocument.h"
#include "editor/imaging/PngWriter.h"
#include "editor/packages/preview/PreviewComposer.h"
#include "editor/packages/preview/PreviewControls.h"
#include "handheld/ce/Boot.h"
#include "handheld/device/Device.h"
#include "handheld/shell/DeviceParts.h"
#include "platform/Files.h"
#include "platform/ScratchFolder.h"
#include "tools/mrw/Args.h"
#include "tools/mrw/CliSupport.h"
#include "tools/mrw/Command.h"
#include "tools/mrw/Json.h"

namespace mrw::cli {

namespace {

const char kName[] = "device today";

const char kUsage[] =
    "usage: mrw device today DIR [--json] [-o OUT.png]\n\n"
    "Boots the virtual handheld in DIR with its Today screen (whether or not the\n"
    "device runs it), lists the Today items as loaded, in display order, and\n"
    "shuts the device down.\n\n"
    "  --json       the items as JSON: {\"system\", \"items\": [{\"name\", \"dll\",\n"
    "               \"enabled\", \"window\", \"height\", \"html\"}]}\n"
    "  -o OUT.png   a 240 x 320 picture of the installed theme (the Today and\n"
    "               Start-menu images and the colours of the device) as the\n"
    "               preview draws it, in the 2003 style on OS 4, with the\n"
    "               animated band when the Morwen item shows a page\n";

// What the picture needs from the device, read while it is booted.
struct InstalledTheme {
    std::vector<uint8_t> todayImage;
    std::vector<uint8_t> menuImage;
    std::vector<std::pair<std::string, std::vector<uint8_t>>> colours;  // value name, data
};

bool ReadDeviceFile(const char16_t* path, std::vector<uint8_t>& data) {
    using namespace mrw::ce;
    data.clear();
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE || !file) return false;
    bool ok = true;
    for (;;) {
        uint8_t buffer[65536];
        DWORD read = 0;
        if (!ReadFile(file, buffer, sizeof buffer, &read, nullptr)) {
            ok = false;
            break;
        }
        if (read == 0) break;
        data.insert(data.end(), buffer, buffer + read);
    }
    CloseHandle(file);
    return ok;
}

void ReadInstalledTheme(InstalledTheme& theme) {
    using namespace mrw::ce;
    ReadDeviceFile(u"\\Windows\\tdywater.gif", theme.todayImage);
    ReadDeviceFile(u"\\Windows\\stwater.gif", theme.menuImage);
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Software\\Microsoft\\Color", 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    for (DWORD index = 0;; ++index) {
        WCHAR name[256] = {};
        DWORD nameSize = 256, type = 0;
        BYTE data[16] = {};
        DWORD dataSize = sizeof data;
        const LONG result = RegEnumValueW(key, index, name, &nameSize, nullptr, &type, data, &dataSize);
        if (result == ERROR_MORE_DATA) continue;  // no colour is that long
        if (result != ERROR_SUCCESS) break;
        // A colour is red, green, blue, 0, as a DWORD or as bytes.
        if (dataSize != 4 || (type != REG_DWORD && type != REG_BINARY)) continue;
        theme.colours.emplace_back(text::Utf16ToUtf8(std::u16string(name, nameSize)),
                                   std::vector<uint8_t>(data, data + dataSize));
    }
    RegCloseKey(key);
}

int DrawPicture(const InstalledTheme& installed, const shell::TodayReport& report, bool style2003,
                const std::string& templates, const std::string& output) {
    ScratchFolder scratch("device-today-");
    if (scratch.path().empty()) return Fail(kName, "no scratch folder could be made", kExitFailed);
    CopySkinTemplates(templates, scratch.path());
    if (!installed.todayImage.empty())
        files::WriteAll(scratch.path() + "tdywater.gif", installed.todayImage.data(), installed.todayImage.size());
    if (!installed.menuImage.empty())
        files::WriteAll(scratch.path() + "stwater.gif", installed.menuImage.data(), installed.menuImage.size());

    ThemeDocument theme;
    for (const auto& [name, data] : installed.colours) {
        if (RegistryEntry* entry = theme.FindColour(name))
            entry->data = data;
        else
            theme.AddRegistryEntry(kColourSubKey, name, 1, data.data(), data.size());
    }
    for (const shell::TodayItemReport& item : report.items) {
        if (!ascii::EqualsNoCase(text::Utf16ToUtf8(item.name), "Morwen")) continue;
        if (item.hasHtml && !item.html.navigations.empty()) {
            theme.tskType = 1;
            theme.animationHeight = item.height;
        }
    }

    PreviewWindow window;
    TodayScreenPreview preview(&window, style2003 ? 1 : 0);
    window.SetTarget(&preview);
    if (!preview.ShowTheme(&theme, scratch.path()))
        return Fail(kName, "the Today screen template could not be loaded", kExitFailed);
    DibImage picture;
    if (ComposePreview(preview, &window, theme.animationBkColour, picture) != 0)
        return Fail(kName, "the picture could not be made", kExitFailed);
    if (SavePng(picture, output) != 0) return Fail(kName, "cannot write " + output, kExitFailed);
    return kExitOk;
}

std::string TodayJson(const shell::TodayReport& report, int system) {
    JsonWriter json;
    json.BeginObject();
    json.Field("system", system);
    json.Key("items");
    json.BeginArray();
    for (const shell::TodayItemReport& item : report.items) {
        json.BeginObject();
        json.Field("name", text::Utf16ToUtf8(item.name));
        json.Field("dll", text::Utf16ToUtf8(item.dll));
        json.Field("enabled", item.enabled);
        json.Field("window", item.window);
        json.Field("height", item.height);
        json.Key("html");
        if (!item.hasHtml) {
            json.Null();
        } else {
            json.BeginObject();
            json.Field("width", item.html.width);
            json.Field("height", item.html.height);
            json.Key("navigations");
            json.BeginArray();
            for (const shell::HtmlNavigation& navigation : item.html.navigations) {
                json.BeginObject();
                json.Field("url", text::Utf16ToUtf8(navigation.url));
                json.Field("flags", int64_t(navigation.flags));
                json.EndObject();
            }
            json.EndArray();
            json.EndObject();
        }
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
    return json.str();
}

void PrintText(const shell::TodayReport& report, int system) {
    std::printf("Pocket PC %d, %zu Today item%s\n", system, report.items.size(), report.items.size() == 1 ? "" : "s");
    for (const shell::TodayItemReport& item : report.items) {
        std::printf("%s  %s  %s, %s, height %d\n", Printable(text::Utf16ToUtf8(item.name)).c_str(),
                    Printable(text::Utf16ToUtf8(item.dll)).c_str(), item.enabled ? "enabled" : "disabled",
                    item.window ? "window" : "no window", item.height);
        if (!item.hasHtml) continue;
        std::printf("  HTML view %d x %d\n", item.html.width, item.html.height);
        for (const shell::HtmlNavigation& navigation : item.html.navigations)
            std::printf("    %s (flags 0x%04X)\n", Printable(text::Utf16ToUtf8(navigation.url)).c_str(),
                        unsigned(navigation.flags));
    }
}

int RunToday(const std::vector<std::string>& raw) {
    Args args(raw, {"-o"}, {"--json"});
    if (args.helpAsked()) {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    if (!args.ok()) return UsageError(kName, args.error());
    if (args.positional().size() != 1) return UsageError(kName, "expects one device folder");
    const auto output = args.Value("-o");
    if (output && output->empty()) return UsageError(kName, "-o needs a file name");
    const std::string templates = files::ProgramFolder();
    if (output && !files::IsFile(templates + "SkinToday.inf"))
        return Fail(kName, "no preview templates in " + templates, kExitFailed);

    std::string error;
    std::unique_ptr<ce::Boot> boot = ce::Boot::Start(AbsolutePath(args.positional()[0]), error);
    if (!boot) return Fail(kName, error, kExitFailed);
    const device::Settings& settings = boot->GetDevice().GetSettings();
    const bool style2003 = settings.osMajor >= 4;
    const int system = style2003 ? 2003 : 2002;
    const bool started = shell::StartTodayScreen();
    const shell::TodayReport report = shell::ReportToday();
    InstalledTheme installed;
    if (output) ReadInstalledTheme(installed);
    if (!boot->Shutdown(error)) return Fail(kName, error, kExitFailed);
    if (!started) return Fail(kName, "the Today screen could not be started", kExitFailed);

    if (args.Has("--json"))
        std::printf("%s\n", TodayJson(report, system).c_str());
    else
        PrintText(report, system);
    if (output) return DrawPicture(installed, report, style2003, templates, AbsolutePath(*output));
    return kExitOk;
}

}  // namespace

extern const Command kDeviceTodayCommand = {"today", "the Today screen's items, and a picture of the installed theme",
                                            kUsage, &RunToday};

}  // namespace mrw::cli
