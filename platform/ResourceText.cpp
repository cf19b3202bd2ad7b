#include "platform/ResourceText.h"

namespace mrw {

std::string FormatResourceText(const std::string& pattern, const std::string& argument) {
    std::string out;
    out.reserve(pattern.size() + argument.size());
    bool used = false;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size()) {
            if (pattern[i + 1] == '%') {
                out += '%';
                ++i;
                continue;
            }
            if (pattern[i + 1] == 's' && !used) {
                out += argument;
                used = true;
                ++i;
                continue;
            }
        }
        out += pattern[i];
    }
    return out;
}

}  // namespace mrw
