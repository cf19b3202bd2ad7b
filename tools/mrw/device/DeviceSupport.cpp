#include "tools/mrw/device/DeviceSupport.h"

#include <cstdio>

#include "base/TextEncoding.h"
#include "tools/mrw/CliSupport.h"
#include "tools/mrw/Command.h"

namespace mrw::cli {

std::unique_ptr<device::Device> OpenDevice(const char* subCommand, const std::string& dir) {
    std::string error;
    std::unique_ptr<device::Device> device = device::Device::Open(dir, error);
    if (!device) Fail((std::string("device ") + subCommand).c_str(), Printable(error), kExitFailed);
    return device;
}

std::string HexList(const std::vector<uint8_t>& bytes) {
    std::string out;
    char piece[4];
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(piece, sizeof piece, "%02x", bytes[i]);
        if (i > 0) out += ',';
        out += piece;
    }
    return out;
}

std::u16string ValueText(const std::vector<uint8_t>& bytes) {
    std::u16string text;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const char16_t c = static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
        if (c == 0) break;
        text.push_back(c);
    }
    return text;
}

std::vector<std::u16string> ValueStrings(const std::vector<uint8_t>& bytes) {
    std::vector<std::u16string> strings;
    std::u16string current;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const char16_t c = static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
        if (c != 0) {
            current.push_back(c);
            continue;
        }
        if (current.empty()) return strings;
        strings.push_back(std::move(current));
        current.clear();
    }
    if (!current.empty()) strings.push_back(std::move(current));
    return strings;
}

std::string Utf8(const std::u16string& text) { return text::Utf16ToUtf8(text); }

std::string KeyName(device::RegRoot root, const std::u16string& path) {
    std::string name = device::RegRootName(root);
    if (!path.empty()) name += "\\" + Utf8(path);
    return name;
}

}  // namespace mrw::cli
