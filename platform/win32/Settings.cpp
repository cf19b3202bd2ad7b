// Per-user settings on Windows: the application-profile values under
// HKEY_CURRENT_USER\Software\Morwen 2\Morwen\<section>, strings as REG_SZ and
// numbers as REG_DWORD.
#include <windows.h>

#include <vector>

#include "platform/Settings.h"

namespace mrw {

namespace {

const char kApplicationKey[] = "Software\\Morwen 2\\Morwen";

class RegKey {
public:
    RegKey() = default;
    ~RegKey() {
        if (key_) RegCloseKey(key_);
    }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    HKEY* out() { return &key_; }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

std::string SectionKey(const std::string& section) { return std::string(kApplicationKey) + "\\" + section; }

class RegistrySettingsStore : public SettingsStore {
public:
    std::string GetString(const std::string& section, const std::string& key,
                          const std::string& fallback) override {
        RegKey k;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, SectionKey(section).c_str(), 0, KEY_READ, k.out()) != ERROR_SUCCESS)
            return fallback;
        DWORD type = 0, size = 0;
        if (RegQueryValueExA(k.get(), key.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
            (type != REG_SZ && type != REG_EXPAND_SZ))
            return fallback;
        std::vector<char> buffer(size + 1, '\0');
        if (RegQueryValueExA(k.get(), key.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
            ERROR_SUCCESS)
            return fallback;
        buffer[size] = '\0';
        return std::string(buffer.data());
    }

    int GetInt(const std::string& section, const std::string& key, int fallback) override {
        RegKey k;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, SectionKey(section).c_str(), 0, KEY_READ, k.out()) != ERROR_SUCCESS)
            return fallback;
        DWORD type = 0, value = 0, size = sizeof value;
        if (RegQueryValueExA(k.get(), key.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
                ERROR_SUCCESS ||
            type != REG_DWORD || size != sizeof value)
            return fallback;
        return static_cast<int>(value);
    }

    bool WriteString(const std::string& section, const std::string& key, const std::string& value) override {
        RegKey k;
        if (!Create(section, k)) return false;
        return RegSetValueExA(k.get(), key.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                              static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
    }

    bool WriteInt(const std::string& section, const std::string& key, int value) override {
        RegKey k;
        if (!Create(section, k)) return false;
        const DWORD v = static_cast<DWORD>(value);
        return RegSetValueExA(k.get(), key.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v) ==
               ERROR_SUCCESS;
    }

private:
    static bool Create(const std::string& section, RegKey& k) {
        return RegCreateKeyExA(HKEY_CURRENT_USER, SectionKey(section).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                               KEY_WRITE, nullptr, k.out(), nullptr) == ERROR_SUCCESS;
    }
};

}  // namespace

std::unique_ptr<SettingsStore> OpenUserSettings() { return std::make_unique<RegistrySettingsStore>(); }

std::string UserSettingsPath() { return std::string(); }

}  // namespace mrw
