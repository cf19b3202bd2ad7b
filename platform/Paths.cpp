#include "platform/Paths.h"

namespace mrw::paths {

namespace {

// Index just past the folder part: after the last separator, or after a
// drive ("C:") when the path has no separator.
size_t FileNameStart(const std::string& path) {
    for (size_t i = path.size(); i > 0; --i) {
        if (IsSeparator(path[i - 1])) return i;
    }
    if (path.size() >= 2 && path[1] == ':') return 2;
    return 0;
}

}  // namespace

char Separator() {
#ifdef _WIN32
    return '\\';
#else
    return '/';
#endif
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

std::string FolderOf(const std::string& path) { return path.substr(0, FileNameStart(path)); }

std::string FileNameOf(const std::string& path) { return path.substr(FileNameStart(path)); }

std::string BaseNameOf(const std::string& path) {
    const std::string name = FileNameOf(path);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string ExtensionOf(const std::string& path) {
    const std::string name = FileNameOf(path);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string WithoutExtension(const std::string& path) {
    const size_t start = FileNameStart(path);
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot < start) return path;
    return path.substr(0, dot);
}

std::string Join(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    if (IsSeparator(folder.back())) return folder + name;
    return folder + Separator() + name;
}

std::string WithTrailingSeparator(const std::string& folder) {
    if (folder.empty() || IsSeparator(folder.back())) return folder;
    return folder + Separator();
}

}  // namespace mrw::paths
