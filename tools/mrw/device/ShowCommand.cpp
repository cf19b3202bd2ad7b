// mrw device show: the whole virtual handheld, as text or one JSON object.
#include <algorithm>
#include <cstdio>

#include "base/AsciiText.h"
#include "base/TextEncoding.h"
#include "handheld/device/DevicePaths.h"
#include "handheld/device/FileSystem.h"
#include "handheld/device/Registry.h"
#include "tools/mrw/Args.h"
#include "tools/mrw/CliSupport.h"
#include "tools/mrw/Command.h"
#include "tools/mrw/Json.h"
#include "tools/mrw/device/DeviceSupport.h"

namespace mrw::cli {

namespace {

const char kUsage[] =
    "usage: mrw device show DIR [--json]\n\n"
    "Prints the virtual handheld: its OS version, whether it runs the Today screen,\n"
    "every file and folder, every registry key with its values, and the event log\n"
    "boot by boot. Entries and keys are in order without regard to case.\n\n"
    "  --json   one object: {\"os\": {\"major\", \"minor\"}, \"todayScreen\", \"files\": [{\"path\",\n"
    "           \"kind\", \"size\", \"attributes\"}], \"registry\": [{\"key\", \"values\": [{\"name\",\n"
    "           \"type\", \"data\", \"text\", \"value\"}]}], \"events\": [{\"boot\", \"kind\", ...}]}\n"
    "           attributes: 0x01 read-only, 0x10 folder, 0x40 ROM, 0x100 storage card (0 for none)\n";

constexpr uint32_t kRegSz = 1;
constexpr uint32_t kRegExpandSz = 2;
constexpr uint32_t kRegDword = 4;

struct KeyEntry {
    std::string name;
    std::u16string sortName;
    std::vector<device::RegValue> values;
};

std::vector<KeyEntry> AllKeys(device::Registry& reg) {
    std::vector<KeyEntry> keys;
    reg.Walk([&](device::RegRoot root, const std::u16string& path, const std::vector<device::RegValue>& values) {
        KeyEntry k;
        k.name = KeyName(root, path);
        k.sortName = text::Utf8ToUtf16(k.name);
        k.values = values;
        std::sort(k.values.begin(), k.values.end(), [](const device::RegValue& a, const device::RegValue& b) {
            return device::LessNoCase(a.name, b.name);
        });
        keys.push_back(std::move(k));
    });
    std::stable_sort(keys.begin(), keys.end(),
                     [](const KeyEntry& a, const KeyEntry& b) { return device::LessNoCase(a.sortName, b.sortName); });
    return keys;
}

// The attribute bits an entry has: FILE_ATTRIBUTE_NORMAL, which only says
// "none", is shown as 0.
uint32_t ShownAttributes(uint32_t attributes) { return attributes == 0x80 ? 0 : attributes; }

bool IsText(const device::RegValue& v) { return v.type == kRegSz || v.type == kRegExpandSz; }
bool IsDword(const device::RegValue& v) { return v.type == kRegDword && v.data.size() == 4; }
int64_t Dword(const device::RegValue& v) {
    return static_cast<int64_t>(v.data[0] | (v.data[1] << 8) | (v.data[2] << 16) |
                                (static_cast<uint32_t>(v.data[3]) << 24));
}

void PrintJson(device::Device& dev) {
    const device::Settings& s = dev.GetSettings();
    JsonWriter w;
    w.BeginObject();
    w.Key("os");
    w.BeginObject();
    w.Field("major", static_cast<int64_t>(s.osMajor));
    w.Field("minor", static_cast<int64_t>(s.osMinor));
    w.EndObject();
    w.Field("todayScreen", s.todayScreen);
    w.Key("files");
    w.BeginArray();
    for (const auto& f : dev.Files().ListAll()) {
        w.BeginObject();
        w.Field("path", Utf8(f.path));
        w.Field("kind", f.isFolder ? "folder" : "file");
        w.Field("size", static_cast<int64_t>(f.size));
        w.Field("attributes", static_cast<int64_t>(ShownAttributes(f.attributes)));
        w.EndObject();
    }
    w.EndArray();
    w.Key("registry");
    w.BeginArray();
    for (const auto& k : AllKeys(dev.Reg())) {
        w.BeginObject();
        w.Field("key", k.name);
        w.Key("values");
        w.BeginArray();
        for (const auto& v : k.values) {
            w.BeginObject();
            w.Field("name", Utf8(v.name));
            w.Field("type", static_cast<int64_t>(v.type));
            w.Field("data", HexList(v.data));
            if (IsText(v)) w.Field("text", Utf8(ValueText(v.data)));
            if (IsDword(v)) w.Field("value", Dword(v));
            w.EndObject();
        }
        w.EndArray();
        w.EndObject();
    }
    w.EndArray();
    w.Key("events");
    w.BeginArray();
    for (const auto& e : dev.Events()) {
        w.BeginObject();
        w.Field("boot", e.boot);
        w.Field("kind", e.event.kind);
        for (const auto& f : e.event.fields) {
            w.Key(f.name);
            int64_t number = 0;
            if (f.isNumber && ascii::ParseDecimal(f.text, INT64_MIN, INT64_MAX, number)) {
                w.Int(number);
            } else if (f.isBoolean) {
                w.Bool(f.text == "true");
            } else {
                w.String(f.text);
            }
        }
        w.EndObject();
    }
    w.EndArray();
    w.EndObject();
    std::printf("%s\n", w.str().c_str());
}

void PrintText(device::Device& dev) {
    const device::Settings& s = dev.GetSettings();
    std::printf("OS %u.%u (%s), Today screen %s\n", s.osMajor, s.osMinor,
                s.osMajor >= 4 ? "Pocket PC 2003" : "Pocket PC 2002", s.todayScreen ? "running" : "not running");
    std::printf("\nfiles:\n");
    for (const auto& f : dev.Files().ListAll()) {
        if (f.isFolder) {
            std::printf("  %-48s  folder           0x%04x\n", Printable(Utf8(f.path)).c_str(),
                        ShownAttributes(f.attributes));
        } else {
            std::printf("  %-48s  %10llu bytes  0x%04x\n", Printable(Utf8(f.path)).c_str(),
                        static_cast<unsigned long long>(f.size), ShownAttributes(f.attributes));
        }
    }
    std::printf("\nregistry:\n");
    for (const auto& k : AllKeys(dev.Reg())) {
        std::printf("  %s\n", Printable(k.name).c_str());
        for (const auto& v : k.values) {
            const std::string name = v.name.empty() ? "(default)" : "\"" + Printable(Utf8(v.name)) + "\"";
            if (IsText(v)) {
                std::printf("    %s  type %u  \"%s\"\n", name.c_str(), v.type,
                            Printable(Utf8(ValueText(v.data))).c_str());
            } else if (IsDword(v)) {
                std::printf("    %s  type %u  %lld\n", name.c_str(), v.type, static_cast<long long>(Dword(v)));
            } else {
                std::printf("    %s  type %u  %s\n", name.c_str(), v.type, HexList(v.data).c_str());
            }
        }
    }
    std::printf("\nevents:\n");
    for (const auto& e : dev.Events()) {
        std::string line = "  boot " + std::to_string(e.boot) + "  " + e.event.kind;
        for (const auto& f : e.event.fields)
            line += "  " + f.name + "=" + (f.isNumber || f.isBoolean ? f.text : "\"" + f.text + "\"");
        std::printf("%s\n", Printable(line).c_str());
    }
}

int RunShow(const std::vector<std::string>& raw) {
    Args args(raw, {}, {"--json"});
    if (!args.ok()) return UsageError("device show", args.error());
    if (args.positional().size() != 1) return UsageError("device show", "expects DIR");
    std::unique_ptr<device::Device> dev = OpenDevice("show", args.positional()[0]);
    if (!dev) return kExitFailed;
    if (args.Has("--json")) {
        PrintJson(*dev);
    } else {
        PrintText(*dev);
    }
    return kExitOk;
}

}  // namespace

extern const Command kDeviceShowCommand = {"show", "print a virtual handheld", kUsage, &RunShow};

}  // namespace mrw::cli
