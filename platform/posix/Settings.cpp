// Per-user settings on POSIX: an INI file in the user's configuration folder
// ($XDG_CONFIG_HOME/morwen/settings.ini, else ~/.config/morwen/settings.ini).
#include "platform/Settings.h"

#include <cstdlib>

#include "platform/Files.h"

namespace mrw {

std::string UserSettingsPath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::string folder;
    if (config && *config == '/') {
        folder = config;
    } else {
        const char* home = std::getenv("HOME");
        folder = std::string(home && *home ? home : "/tmp") + "/.config";
    }
    if (folder.back() != '/') folder += '/';
    return folder + "morwen/settings.ini";
}

std::unique_ptr<SettingsStore> OpenUserSettings() { return OpenSettingsFile(UserSettingsPath()); }

}  // namespace mrw
