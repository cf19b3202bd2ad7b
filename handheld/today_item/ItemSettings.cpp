#include "handheld/today_item/ItemSettings.h"

#include <string_view>
#include <vector>

#include "base/AsciiText.h"
#include "base/formats/AnimationSettings.h"
#include "handheld/ce/Ce.h"

namespace mrw::handheld {

using namespace mrw::ce;

namespace {

constexpr WCHAR kSettingsFile[] = u"\\windows\\vx5n.atc";

// A text value copied into `out` (capacity characters, zero included); the
// value's own terminator, or the buffer's end, ends the copy.
bool ReadTextValue(HKEY key, const WCHAR* name, WCHAR* out, DWORD capacity) {
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    std::vector<WCHAR> data(size / sizeof(WCHAR) + 1, 0);
    DWORD read = size;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &read) != ERROR_SUCCESS)
        return false;
    const size_t chars = read / sizeof(WCHAR) < data.size() ? read / sizeof(WCHAR) : data.size() - 1;
    size_t i = 0;
    for (; i + 1 < capacity && i < chars && data[i] != 0; ++i) out[i] = data[i];
    out[i] = 0;
    return true;
}

bool ReadDwordValue(HKEY key, const WCHAR* name, DWORD& out) {
    DWORD type = 0, value = 0, size = sizeof value;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS)
        return false;
    if (type != REG_DWORD || size != sizeof value) return false;
    out = value;
    return true;
}

}  // namespace

void ReadItemSettings(ItemSettings& settings) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kItemKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    ReadTextValue(key, u"URL", settings.url, kUrlChars);
    ReadDwordValue(key, u"Height", settings.height);
    ReadDwordValue(key, u"AutoHeight", settings.autoHeight);
    RegCloseKey(key);
}

DWORD TextLength(const WCHAR* text) {
    DWORD n = 0;
    while (text[n] != 0) ++n;
    return n;
}

bool IsFileUrl(const WCHAR* url) {
    return ascii::StartsWithNoCase(std::u16string_view(url, TextLength(url)), u"file://");
}

const WCHAR* FileUrlPath(const WCHAR* url) { return TextLength(url) >= 7 ? url + 7 : url + TextLength(url); }

DWORD ReadSettingsFileHeight() {
    HANDLE file = CreateFileW(kSettingsFile, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    // A huge file is read only as far as real settings files go.
    DWORD size = GetFileSize(file, nullptr);
    if (size == INVALID_FILE_SIZE || size > formats::kMaxAnimationSettingsRead)
        size = static_cast<DWORD>(formats::kMaxAnimationSettingsRead);
    std::vector<char> text(size + 1, 0);
    DWORD read = 0;
    const BOOL ok = ReadFile(file, text.data(), size, &read, nullptr);
    CloseHandle(file);
    if (!ok) return 0;
    return static_cast<DWORD>(formats::HandheldAnimationHeight(std::string_view(text.data(), read)));
}

}  // namespace mrw::handheld
