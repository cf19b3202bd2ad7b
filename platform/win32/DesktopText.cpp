#include "platform/DesktopText.h"

#include <windows.h>

namespace mrw::desktoptext {

std::u16string ToUtf16(const std::string& text) {
    if (text.empty()) return std::u16string();
    int size = static_cast<int>(text.size());
    int units = MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, text.data(), size, nullptr, 0);
    if (units <= 0) return std::u16string();
    std::u16string wide(static_cast<size_t>(units), u'\0');
    MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, text.data(), size, reinterpret_cast<LPWSTR>(&wide[0]), units);
    return wide;
}

std::string FromUtf16(const char16_t* text, size_t maxUnits) {
    if (!text) return std::string();
    size_t length = 0;
    while (length < maxUnits && text[length] != 0) ++length;
    if (length == 0) return std::string();
    const auto* wide = reinterpret_cast<LPCWSTR>(text);
    int units = static_cast<int>(length);
    int bytes = WideCharToMultiByte(CP_ACP, 0, wide, units, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return std::string();
    std::string narrow(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, units, &narrow[0], bytes, nullptr, nullptr);
    return narrow;
}

std::string FromUtf16(const std::u16string& text) { return FromUtf16(text.data(), text.size()); }

}  // namespace mrw::desktoptext
