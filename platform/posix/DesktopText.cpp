#include "platform/DesktopText.h"

#include "base/TextEncoding.h"

namespace mrw::desktoptext {

std::u16string ToUtf16(const std::string& text) { return text::Utf8ToUtf16(text); }

std::string FromUtf16(const std::u16string& text) { return text::Utf16ToUtf8(text); }

std::string FromUtf16(const char16_t* text, size_t maxUnits) {
    if (!text) return std::string();
    size_t length = 0;
    while (length < maxUnits && text[length] != 0) ++length;
    return text::Utf16ToUtf8(std::u16string_view(text, length));
}

}  // namespace mrw::desktoptext
