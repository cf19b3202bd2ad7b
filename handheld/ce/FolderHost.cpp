#include "handheld/ce/FolderHost.h"

#include <algorithm>

#include "base/TextEncoding.h"
#include "handheld/device/Device.h"
#include "platform/Files.h"

namespace mrw::ce::kernel {

namespace {
std::u16string Lower(std::u16string s) {
    for (auto& c : s) {
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    }
    return s;
}
}  // namespace

std::string FolderHost::HostPath(const std::u16string& path) const {
    if (path.empty() || path[0] != u'\\') return std::string();
    std::string out = folder_;
    std::size_t start = 1;
    while (start <= path.size()) {
        std::size_t end = path.find(u'\\', start);
        if (end == std::u16string::npos) end = path.size();
        std::u16string part = path.substr(start, end - start);
        start = end + 1;
        if (part.empty()) continue;
        if (part == u"." || part == u".." || part.find_first_of(u"/:") != std::u16string::npos ||
            std::find(part.begin(), part.end(), u'\0') != part.end()) {
            return std::string();
        }
        out += "/" + mrw::text::Utf16ToUtf8(part);
    }
    return out;
}

bool FolderHost::Resolve(const std::u16string& path, std::u16string& stored, bool& isFolder, DWORD& error) {
    std::string host = HostPath(path);
    if (host.empty()) {
        error = ERROR_BAD_PATHNAME;
        return false;
    }
    std::string resolved = mrw::files::Resolve(host);
    if (!mrw::files::Exists(resolved)) {
        error = ERROR_FILE_NOT_FOUND;
        return false;
    }
    isFolder = mrw::files::IsDirectory(resolved);
    std::string rest = resolved.substr(std::min(resolved.size(), folder_.size()));
    std::replace(rest.begin(), rest.end(), '/', '\\');
    stored = mrw::text::Utf8ToUtf16(rest.empty() ? std::string("\\") : rest);
    return true;
}

bool FolderHost::ReadAll(const std::u16string& path, std::vector<std::uint8_t>& bytes) {
    std::string host = HostPath(path);
    return !host.empty() && mrw::files::ReadAll(mrw::files::Resolve(host), bytes);
}

void FolderHost::SetInUse(const std::u16string& path, bool inUse) {
    if (inUse) {
        inUse_.insert(Lower(path));
    } else {
        auto it = inUse_.find(Lower(path));
        if (it != inUse_.end()) inUse_.erase(it);
    }
}

bool FolderHost::IsInUse(const std::u16string& path) const { return inUse_.count(Lower(path)) > 0; }

void FolderHost::Log(const mrw::device::Event& event) {
    if (log_) log_(event);
}

}  // namespace mrw::ce::kernel
