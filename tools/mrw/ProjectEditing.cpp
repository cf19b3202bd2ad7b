#include "tools/mrw/ProjectEditing.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "platform/Files.h"
#include "tools/mrw/CliSupport.h"
#include "tools/mrw/Command.h"

namespace mrw::cli {

std::unique_ptr<ThemeDocument> OpenProject(const char* command, const std::string& path) {
    const std::string full = AbsolutePath(path);
    if (!files::IsFile(full)) {
        Fail(command, "no project file " + full, kExitFailed);
        return nullptr;
    }
    std::unique_ptr<ThemeDocument> theme = ThemeDocument::OpenHeader(full);
    if (theme) theme->LoadProject();
    return theme;
}

int SaveProject(const char* command, ThemeDocument& theme) {
    theme.modified = true;
    if (theme.SaveProject() != 1) return Fail(command, "the project " + theme.projectPath + " could not be written", kExitFailed);
    return kExitOk;
}

bool ParseInt(const std::string& text, int& value) {
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || end == text.c_str() || *end != '\0' || v < INT_MIN || v > INT_MAX) return false;
    if (text[0] == ' ' || text[0] == '\t') return false;
    value = static_cast<int>(v);
    return true;
}

}  // namespace mrw::cli
