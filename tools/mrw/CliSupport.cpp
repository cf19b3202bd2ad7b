#include "tools/mrw/CliSupport.h"

#include <cstdio>
#include <cstdlib>

#include "platform/Files.h"
#include "platform/Paths.h"
#include "tools/mrw/Command.h"

namespace mrw::cli {

namespace {
bool IsAbsolute(const std::string& path) {
    if (!path.empty() && paths::IsSeparator(path[0])) return true;
    return path.size() >= 2 && path[1] == ':';  // drive letter
}
}  // namespace

std::string AbsolutePath(const std::string& path) {
    if (path.empty() || IsAbsolute(path)) return path;
    return paths::Join(files::CurrentFolder(), path);
}

int UsageError(const char* command, const std::string& message) {
    std::fprintf(stderr, "mrw %s: %s (see mrw %s --help)\n", command, message.c_str(), command);
    return kExitUsage;
}

int Fail(const char* command, const std::string& message, int status) {
    std::fprintf(stderr, "mrw %s: %s\n", command, message.c_str());
    return status;
}

bool ParseRgb(const std::string& text, unsigned& colour) {
    int channels[3];
    size_t pos = 0;
    for (int i = 0; i < 3; ++i) {
        if (pos >= text.size() || text[pos] < '0' || text[pos] > '9') return false;
        char* end = nullptr;
        long v = std::strtol(text.c_str() + pos, &end, 10);
        if (v < 0 || v > 255) return false;
        channels[i] = int(v);
        pos = size_t(end - text.c_str());
        if (i < 2) {
            if (pos >= text.size() || text[pos] != ',') return false;
            ++pos;
        }
    }
    if (pos != text.size()) return false;
    colour = unsigned(channels[0]) | (unsigned(channels[1]) << 8) | (unsigned(channels[2]) << 16);
    return true;
}

std::string Printable(const std::string& text) {
    std::string out = text;
    for (char& c : out) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) c = '?';
    }
    return out;
}

}  // namespace mrw::cli
