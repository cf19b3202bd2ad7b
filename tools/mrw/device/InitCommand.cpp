// mrw device init: makes a new virtual handheld.
#include <cstdint>
#include <cstdio>
#include <memory>

#include "base/AsciiText.h"
#include "base/TextEncoding.h"
#include "handheld/device/Device.h"
#include "handheld/device/DevicePaths.h"
#include "handheld/device/FileSystem.h"
#include "tools/mrw/CliSupport.h"
#include "tools/mrw/Command.h"

namespace mrw::cli {

namespace {

const char kUsage[] =
    "usage: mrw device init DIR [--os 3|4] [--no-today] [--card NAME]... [--rom PATH]...\n"
    "                           [--window CLASS,TITLE]... [--connect-delay MS] [--refuse]\n"
    "                           [--transfer-delay MS] [--capacity BYTES] [--locked PATH]...\n\n"
    "Makes a virtual handheld in DIR (absent or empty): the folders \\Windows,\n"
    "\\My Documents, \\Program Files and \\Temp, the ROM programs \\Windows\\wceload.exe\n"
    "and \\Windows\\unload.exe, and the registry keys HKCU\\Software\\Microsoft\\Today,\n"
    "HKLM\\Software\\Microsoft\\Color and HKLM\\Software\\Microsoft\\Today\\Items.\n\n"
    "  --os 3|4          3 = CE 3.0, Pocket PC 2002 (default); 4 = CE 4.20, Pocket PC 2003\n"
    "  --no-today        the device does not run its Today screen\n"
    "  --card NAME       a storage card: a root folder \\NAME (attributes 0x110)\n"
    "  --rom PATH        a file in ROM (an empty file when none is there)\n"
    "  --window CLASS,TITLE  an outside program's window that closes on WM_CLOSE\n"
    "The desktop link (our RAPI library) over this device:\n"
    "  --connect-delay MS  connections succeed MS after the process's first attempt\n"
    "  --refuse          every connection attempt fails\n"
    "  --transfer-delay MS  each read or write call takes MS longer\n"
    "  --capacity BYTES  the total size of the device's files may not exceed BYTES\n"
    "  --locked PATH     a read-only file whose attributes cannot change (an empty file when none is there)\n";

// The link's options, kept as lines of the device's settings.
bool LinkOption(const std::string& option, const std::string& value, device::Settings& settings, std::string& error) {
    if (option == "--locked") {
        std::vector<std::u16string> parts;
        if (!device::SplitDevicePath(text::Utf8ToUtf16(value), parts) || parts.empty()) {
            error = "--locked takes a handheld path (\\Windows\\x.tsk)";
            return false;
        }
        settings.otherSettings.emplace_back("locked", text::Utf16ToUtf8(device::JoinDevicePath(parts)));
        return true;
    }
    int64_t number = 0;
    if (!ascii::ParseDecimal(value, 0, INT64_C(1) << 53, number) || value[0] == '+') {
        error = option + " takes a number";
        return false;
    }
    settings.otherSettings.emplace_back(option.substr(2), std::to_string(number));
    return true;
}

// Makes each locked file (with its folders) when missing and marks it read-only.
bool MakeLockedFiles(const std::string& dir, std::string& error) {
    std::unique_ptr<device::Device> dev = device::Device::Open(dir, error);
    if (!dev) return false;
    for (const auto& [name, value] : dev->GetSettings().otherSettings) {
        if (name != "locked") continue;
        const std::u16string path = text::Utf8ToUtf16(value);
        std::vector<std::u16string> parts;
        device::SplitDevicePath(path, parts);
        std::u16string folder;
        for (size_t i = 0; i + 1 < parts.size(); ++i) {
            folder += u"\\" + parts[i];
            dev->Files().CreateFolder(folder);
        }
        uint32_t attributes = 0;
        if (dev->Files().GetAttributes(path, attributes) != 0 && dev->Files().WriteAll(path, {}) != 0) {
            error = "cannot create the locked file " + value;
            return false;
        }
        if (dev->Files().SetAttributes(path, 0x1) != 0) {
            error = "cannot make " + value + " read-only";
            return false;
        }
    }
    return true;
}

int RunInit(const std::vector<std::string>& args) {
    const char* const name = "device init";
    std::vector<std::string> positional;
    device::InitOptions options;
    bool onlyPositional = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (onlyPositional || a.size() < 2 || a[0] != '-') {
            positional.push_back(a);
            continue;
        }
        if (a == "--") {
            onlyPositional = true;
            continue;
        }
        if (a == "--no-today") {
            options.settings.todayScreen = false;
            continue;
        }
        if (a == "--refuse") {
            options.settings.otherSettings.emplace_back("refuse", "1");
            continue;
        }
        const bool link =
            a == "--connect-delay" || a == "--transfer-delay" || a == "--capacity" || a == "--locked";
        if (a != "--os" && a != "--card" && a != "--rom" && a != "--window" && !link)
            return UsageError(name, "unknown option " + a);
        if (i + 1 >= args.size()) return UsageError(name, "option " + a + " needs a value");
        const std::string& value = args[++i];
        if (link) {
            std::string error;
            if (!LinkOption(a, value, options.settings, error)) return UsageError(name, error);
        } else if (a == "--os") {
            if (value == "3") {
                options.settings.osMajor = 3;
                options.settings.osMinor = 0;
            } else if (value == "4") {
                options.settings.osMajor = 4;
                options.settings.osMinor = 20;
            } else {
                return UsageError(name, "--os is 3 or 4");
            }
        } else if (a == "--card") {
            std::vector<std::u16string> parts;
            if (!device::SplitDevicePath(text::Utf8ToUtf16(value), parts) || parts.size() != 1)
                return UsageError(name, "--card takes a folder name");
            options.settings.cards.push_back(parts[0]);
        } else if (a == "--rom") {
            std::vector<std::u16string> parts;
            if (!device::SplitDevicePath(text::Utf8ToUtf16(value), parts) || parts.empty())
                return UsageError(name, "--rom takes a handheld path (\\Windows\\x.dll)");
            options.settings.romFiles.push_back(device::JoinDevicePath(parts));
        } else {
            const size_t comma = value.find(',');
            if (comma == std::string::npos || comma == 0) return UsageError(name, "--window is CLASS,TITLE");
            for (char c : value) {
                if (static_cast<unsigned char>(c) < 0x20) return UsageError(name, "--window holds a control character");
            }
            options.settings.outsideWindows.push_back(
                {text::Utf8ToUtf16(value.substr(0, comma)), text::Utf8ToUtf16(value.substr(comma + 1))});
        }
    }
    if (positional.size() != 1) return UsageError(name, "expects DIR");
    std::string error;
    if (!device::Device::Create(positional[0], options, error)) return Fail(name, Printable(error), kExitFailed);
    if (!MakeLockedFiles(positional[0], error)) return Fail(name, Printable(error), kExitFailed);
    return kExitOk;
}

}  // namespace

extern const Command kDeviceInitCommand = {"init", "make a virtual handheld", kUsage, &RunInit};

}  // namespace mrw::cli
