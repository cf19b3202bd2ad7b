// mrw add-registry: a registry value the theme's package writes on the handheld.
#include <cerrno>
#include <cstdlib>

#include "base/AsciiText.h"
#include "editor/document/ProjectValues.h"
#include "tools/mrw/Args.h"
#include "tools/mrw/CliSupport.h"
#include "tools/mrw/Command.h"
#include "tools/mrw/ProjectEditing.h"

namespace mrw::cli {

namespace {

const char kUsage[] =
    "usage: mrw add-registry PROJECT \"ROOT,Key\\Path\" NAME FLAGS HEXBYTES\n\n"
    "Adds a registry value to the theme: ROOT is HKLM, HKCU or HKCR; FLAGS the\n"
    "package's registry flags (decimal or 0x hexadecimal: 0x00000000 string,\n"
    "0x00000001 binary, 0x00010000 multi-string, 0x00010001 DWORD); HEXBYTES the\n"
    "data as the handheld stores it, two hexadecimal digits a byte separated by\n"
    "commas (01,ab,ff), or \"\" for none. A value under HKLM,Software\\Microsoft\\Color\n"
    "becomes a colour entry. Saves the project.\n";

bool ParseFlags(const std::string& text, int& flags) {
    if (text.empty() || text[0] == '-' || text[0] == ' ') return false;
    errno = 0;
    char* end = nullptr;
    const unsigned long long v = std::strtoull(text.c_str(), &end, 0);
    if (errno != 0 || *end != '\0' || v > 0xFFFFFFFFull) return false;
    flags = static_cast<int>(static_cast<uint32_t>(v));
    return true;
}

bool IsHex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// Pieces of one or two hexadecimal digits separated by commas.
bool ValidHexBytes(const std::string& text) {
    if (text.empty()) return true;
    size_t digits = 0;
    for (char c : text) {
        if (c == ',') {
            if (digits == 0) return false;
            digits = 0;
        } else if (IsHex(c) && digits < 2) {
            ++digits;
        } else {
            return false;
        }
    }
    return digits > 0;
}

bool ValidKey(const std::string& key) {
    const size_t comma = key.find(',');
    if (comma == std::string::npos || comma + 1 >= key.size()) return false;
    const std::string root = key.substr(0, comma);
    return ascii::EqualsNoCase(root, "HKLM") || ascii::EqualsNoCase(root, "HKCU") || ascii::EqualsNoCase(root, "HKCR");
}

int RunAddRegistry(const std::vector<std::string>& raw) {
    Args args(raw, {}, {});
    if (!args.ok()) return UsageError("add-registry", args.error());
    if (args.positional().size() != 5)
        return UsageError("add-registry", "expects PROJECT, ROOT,KEY, NAME, FLAGS and HEXBYTES");
    const std::string& key = args.positional()[1];
    const std::string& name = args.positional()[2];
    int flags = 0;
    if (!ValidKey(key)) return UsageError("add-registry", "the key is ROOT,Path with ROOT HKLM, HKCU or HKCR");
    if (!ParseFlags(args.positional()[3], flags)) return UsageError("add-registry", "FLAGS is a 32-bit number");
    if (!ValidHexBytes(args.positional()[4]))
        return UsageError("add-registry", "HEXBYTES is hexadecimal bytes separated by commas");
    const std::vector<uint8_t> data = DecodeDataValue(args.positional()[4]);
    std::unique_ptr<ThemeDocument> theme = OpenProject("add-registry", args.positional()[0]);
    if (!theme) return kExitFailed;
    theme->AddRegistryEntry(key, name, flags, data.data(), data.size());
    return SaveProject("add-registry", *theme);
}

}  // namespace

extern const Command kAddRegistryCommand = {"add-registry", "add a registry value to a theme's package", kUsage,
                                            &RunAddRegistry};

}  // namespace mrw::cli
