// Settings stores kept in an INI file or in memory, and the installed store.
// The file store reads the file afresh on every call and saves it on every
// write, so that stores opened on the same file see each other's changes, as
// stores on the registry do.
#include <atomic>
#include <mutex>
#include <utility>

#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Settings.h"
#include "platform/profile/ProfileFile.h"

namespace mrw {

namespace {

class IniSettingsStore : public SettingsStore {
public:
    explicit IniSettingsStore(std::string path) : path_(std::move(path)) {}

    std::string GetString(const std::string& section, const std::string& key,
                          const std::string& fallback) override {
        return Read().GetString(section, key, fallback);
    }

    int GetInt(const std::string& section, const std::string& key, int fallback) override {
        return Read().GetInt(section, key, fallback);
    }

    bool WriteString(const std::string& section, const std::string& key, const std::string& value) override {
        ProfileFile profile = Read();
        profile.WriteString(section, key, value);
        return Save(profile);
    }

    bool WriteInt(const std::string& section, const std::string& key, int value) override {
        ProfileFile profile = Read();
        profile.WriteInt(section, key, value);
        return Save(profile);
    }

private:
    ProfileFile Read() const {
        ProfileFile profile;
        profile.Load(path_);
        return profile;
    }

    // Written beside the file and swapped in, so that a failed write never
    // leaves a truncated settings file behind.
    bool Save(const ProfileFile& profile) const {
        const std::string folder = paths::FolderOf(path_);
        if (!folder.empty() && !files::IsDirectory(folder) && !files::CreateFolders(folder)) return false;
        const std::string temporary = path_ + ".new";
        const std::string text = profile.Serialize();
        if (!files::WriteAll(temporary, text.data(), text.size())) {
            files::Delete(temporary);
            return false;
        }
        if (!files::Replace(temporary, path_)) {
            files::Delete(temporary);
            return false;
        }
        return true;
    }

    std::string path_;
};

// A profile held in memory: the INI store's rules without the file.
class MemorySettingsStore : public SettingsStore {
public:
    std::string GetString(const std::string& section, const std::string& key,
                          const std::string& fallback) override {
        std::lock_guard<std::mutex> lock(mutex_);
        return profile_.GetString(section, key, fallback);
    }

    int GetInt(const std::string& section, const std::string& key, int fallback) override {
        std::lock_guard<std::mutex> lock(mutex_);
        return profile_.GetInt(section, key, fallback);
    }

    bool WriteString(const std::string& section, const std::string& key, const std::string& value) override {
        std::lock_guard<std::mutex> lock(mutex_);
        profile_.WriteString(section, key, value);
        return true;
    }

    bool WriteInt(const std::string& section, const std::string& key, int value) override {
        std::lock_guard<std::mutex> lock(mutex_);
        profile_.WriteInt(section, key, value);
        return true;
    }

private:
    std::mutex mutex_;
    ProfileFile profile_;
};

std::atomic<SettingsStore*> gSettings{nullptr};

}  // namespace

std::unique_ptr<SettingsStore> OpenSettingsFile(const std::string& iniPath) {
    return std::make_unique<IniSettingsStore>(iniPath);
}

std::unique_ptr<SettingsStore> NewMemorySettings() { return std::make_unique<MemorySettingsStore>(); }

SettingsStore& CurrentSettings() {
    static MemorySettingsStore unsaved;
    SettingsStore* installed = gSettings.load();
    return installed ? *installed : unsaved;
}

SettingsStore* SetSettings(SettingsStore* store) { return gSettings.exchange(store); }

}  // namespace mrw
