// mrw device today-options: the Morwen Today item's options dialog, shown,
// read, filled in and confirmed on a virtual handheld.
#include <cstdio>

#include "base/TextEncoding.h"
#include "handheld/ce/Boot.h"
#include "handheld/shell/DeviceParts.h"
#include "tools/mrw/Args.h"
#include "tools/mrw/CliSupport.h"
#include "tools/mrw/Command.h"
#include "tools/mrw/Json.h"

namespace mrw::cli {

namespace {

const char kName[] = "device today-options";

const char kUsage[] =
    "usage: mrw device today-options DIR [--defaults] [--url TEXT] [--height TEXT] [--auto 0|1]\n\n"
    "Opens the options dialog of the Morwen Today item (its library's dialog\n"
    "500 with procedure 241) on the virtual handheld in DIR, prints what it\n"
    "shows as {\"url\", \"height\", \"auto\"}, then presses \"Default Values\"\n"
    "(--defaults), types the given fields and presses OK.\n\n"
    "  --defaults      press \"Default Values\" first\n"
    "  --url TEXT      type TEXT as the address\n"
    "  --height TEXT   type TEXT as the height\n"
    "  --auto 0|1      clear or check \"Auto-Detection\"\n";

std::u16string Typed(const std::string& text) { return text::Utf8ToUtf16(text::AsUtf8(text)); }

int RunTodayOptions(const std::vector<std::string>& raw) {
    Args args(raw, {"--url", "--height", "--auto"}, {"--defaults"});
    if (args.helpAsked()) {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    if (!args.ok()) return UsageError(kName, args.error());
    if (args.positional().size() != 1) return UsageError(kName, "expects one device folder");
    shell::TodayOptionsInput input;
    input.defaults = args.Has("--defaults");
    if (auto url = args.Value("--url")) {
        input.setUrl = true;
        input.url = Typed(*url);
    }
    if (auto height = args.Value("--height")) {
        input.setHeight = true;
        input.height = Typed(*height);
    }
    if (auto autoHeight = args.Value("--auto")) {
        if (*autoHeight != "0" && *autoHeight != "1") return UsageError(kName, "--auto takes 0 or 1");
        input.setAuto = true;
        input.autoHeight = *autoHeight == "1";
    }

    std::string error;
    std::unique_ptr<ce::Boot> boot = ce::Boot::Start(AbsolutePath(args.positional()[0]), error);
    if (!boot) return Fail(kName, error, kExitFailed);
    shell::TodayOptionsShown shown;
    std::string dialogError;
    const bool shownOk = shell::RunTodayOptions(u"Morwen", input, shown, dialogError);
    if (!boot->Shutdown(error)) return Fail(kName, error, kExitFailed);
    if (!shownOk) return Fail(kName, dialogError, kExitFailed);

    JsonWriter json;
    json.BeginObject();
    json.Field("url", text::Utf16ToUtf8(shown.url));
    json.Field("height", text::Utf16ToUtf8(shown.height));
    json.Field("auto", shown.autoHeight);
    json.EndObject();
    std::printf("%s\n", json.str().c_str());
    return kExitOk;
}

}  // namespace

extern const Command kDeviceTodayOptionsCommand = {
    "today-options", "the Morwen Today item's options dialog: show, fill in, confirm", kUsage, &RunTodayOptions};

}  // namespace mrw::cli
