// Per-user settings of the editor: the application-profile values of
// HKEY_CURRENT_USER\Software\Morwen 2\Morwen\<section> on Windows, an INI file
// in the user's configuration folder elsewhere.
// A program installs the store it works with at start (the user's store, from
// OpenUserSettings); the code reads and writes CurrentSettings(). Tests
// install a store in memory or on a temporary INI file, so that they never
// touch the user's settings.
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
// A store kept in memory, empty at first, with the reading rules of the INI
// store (names without regard to case). Safe to use from several threads.
std::unique_ptr<SettingsStore> NewMemorySettings();
// The INI file behind OpenUserSettings on POSIX; "" on Windows (the registry).
std::string UserSettingsPath();

// The installed store; without one, an empty store in memory (reads give
// their fallbacks, writes are kept until the process ends), so that nothing
// reaches the user's settings by accident. Never null.
SettingsStore& CurrentSettings();
// Installs a store (not owned) and returns the previous one; nullptr restores
// the one in memory.
SettingsStore* SetSettings(SettingsStore* store);

// Installs a store for the lifetime of the guard.
class ScopedSettings {
public:
    explicit ScopedSettings(SettingsStore& store) : previous_(SetSettings(&store)) {}
    ~ScopedSettings() { SetSettings(previous_); }
    ScopedSettings(const ScopedSettings&) = delete;
    ScopedSettings& operator=(const ScopedSettings&) = delete;

private:
    SettingsStore* previous_;
};

}  // namespace mrw
