// The HTML view's registration (the device's shell part provides the view)
// and the automation strings.
#include <cstdlib>
#include <cstring>

#include "handheld/ce/Kernel.h"

#include "handheld/shell/DeviceParts.h"

namespace mrw::ce {

BOOL InitHTMLControl(HINSTANCE instance) {
    return mrw::shell::RegisterHtmlView(instance) ? TRUE : FALSE;
}

// A string is allocated with its byte length in the four bytes before the
// text, as the platform lays it out.
BSTR SysAllocString(LPCWSTR text) {
    if (!text) return nullptr;
    std::size_t length = 0;
    while (text[length]) ++length;
    auto* block = static_cast<std::uint8_t*>(std::malloc(sizeof(std::uint32_t) + (length + 1) * sizeof(WCHAR)));
    if (!block) return nullptr;
    auto bytes = static_cast<std::uint32_t>(length * sizeof(WCHAR));
    std::memcpy(block, &bytes, sizeof bytes);
    auto* out = reinterpret_cast<BSTR>(block + sizeof(std::uint32_t));
    std::memcpy(out, text, (length + 1) * sizeof(WCHAR));
    return out;
}

void SysFreeString(BSTR text) {
    if (text) std::free(reinterpret_cast<std::uint8_t*>(text) - sizeof(std::uint32_t));
}

}  // namespace mrw::ce
