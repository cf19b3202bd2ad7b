// Helpers shared by the `mrw device` sub-commands.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "handheld/device/Device.h"
#include "handheld/device/Registry.h"

namespace mrw::cli {

class JsonWriter;

// Opens DIR as a device; null after printing why ("mrw device <sub>: ...").
std::unique_ptr<device::Device> OpenDevice(const char* subCommand, const std::string& dir);

// "%02x" bytes joined by ",".
std::string HexList(const std::vector<uint8_t>& bytes);
// UTF-16LE text of a value's bytes, up to the first zero.
std::u16string ValueText(const std::vector<uint8_t>& bytes);
// The strings of a REG_MULTI_SZ value, up to the empty one that ends the list.
std::vector<std::u16string> ValueStrings(const std::vector<uint8_t>& bytes);
std::string Utf8(const std::u16string& text);
// "HKLM\Software\..." (the root alone for an empty path).
std::string KeyName(device::RegRoot root, const std::u16string& path);

}  // namespace mrw::cli
