// Per-user settings of the editor: the application-profile values of
// HKEY_CURRENT_USER\Software\Morwen 2\Morwen\<section> on Windows, an INI file
// in the user's configuration folder elsewhere.
#pragma once
#include <memory>
#include <string>

namespace mrw {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual std::string GetString(const std::string& section, const std::string& key,
                                  const std::string& fallback) = 0;
    virtual int GetInt(const std::string& section, const std::string& key, int fallback) = 0;
    virtual bool WriteString(const std::string& section, const std::string& key,
                             const std::string& value) = 0;
    virtual bool WriteInt(const std::string& section, const std::string& key, int value) = 0;
};

// The user's store of this platform.
std::unique_ptr<SettingsStore> OpenUserSettings();
// A store kept in the given INI file (tests, and the POSIX backend). Each
// read loads the file afresh; each write saves it at once.
std::unique_ptr<SettingsStore> OpenSettingsFile(const std::string& iniPath);
// The INI file behind OpenUserSettings on POSIX; "" on Windows (the registry).
std::string UserSettingsPath();

}  // namespace mrw
