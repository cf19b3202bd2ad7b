// Device::Create and Device::Open: the device's folder, its settings,
// registry and event log, and the lock that gives one command the device.
#include "handheld/device/Device.h"

#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>
#include <sstream>

#include "base/TextEncoding.h"
#include "handheld/device/DeviceFiles.h"
#include "handheld/device/DevicePaths.h"
#include "handheld/device/FileSystem.h"
#include "handheld/device/Registry.h"
#include "platform/FileLock.h"
#include "platform/Files.h"

namespace fs = std::filesystem;

namespace mrw::device {

namespace {

constexpr char kFilesFolder[] = "files";
constexpr char kSettingsFile[] = "settings";
constexpr char kRegistryFile[] = "registry";
constexpr char kEventsFile[] = "events";
constexpr char kLockFile[] = "lock";

std::string Join(const std::string& dir, const char* name) {
    if (!dir.empty() && (dir.back() == '/' || dir.back() == '\\')) return dir + name;
    return dir + "/" + name;
}

bool ReadText(const std::string& path, std::string& text) {
    std::vector<uint8_t> bytes;
    if (!files::ReadAll(path, bytes)) return false;
    text.assign(bytes.begin(), bytes.end());
    return true;
}

// Devices this process holds: a second Open of one of them would wait for
// itself forever, so it fails at once instead.
std::mutex heldMutex;
std::set<std::string> held;

std::string HeldKey(const std::string& dir) {
    std::error_code ec;
    const fs::path canonical = fs::weakly_canonical(fs::path(dir), ec);
    return ec ? dir : canonical.string();
}

// The registry is written whole to "registry.new", which then takes the
// place of "registry": a crash leaves one complete file or the other.
// kFlushed replaces the old file in one step with the content on disk first.
// kUnflushed (a save after each change) deletes the old file and renames the
// new one: renaming over an existing file makes some file systems write the
// data out at once, which costs milliseconds per change. Open takes
// "registry.new" when "registry" is missing.
bool WriteRegistry(const std::string& dir, const Registry& registry, files::ReplaceMode mode, std::string& error) {
    const std::vector<uint8_t> bytes = registry.Serialize();
    const std::string path = Join(dir, kRegistryFile);
    const std::string temporary = path + ".new";
    bool ok = files::WriteAll(temporary, bytes.data(), bytes.size());
    if (ok && mode == files::ReplaceMode::kFlushed) {
        ok = files::Replace(temporary, path, mode);
    } else if (ok) {
        ok = (!files::Exists(path) || files::Delete(path)) && files::Move(temporary, path);
    }
    if (!ok) {
        if (files::Exists(path)) files::Delete(temporary);
        error = "cannot write the device's registry " + path;
        return false;
    }
    return true;
}

class DeviceImpl : public Device {
public:
    DeviceImpl(std::string dir, Settings settings, std::unique_ptr<FileLock> lock, std::string heldKey)
        : dir_(std::move(dir)),
          settings_(std::move(settings)),
          lock_(std::move(lock)),
          heldKey_(std::move(heldKey)),
          files_(Join(dir_, kFilesFolder), settings_.romFiles, settings_.cards) {}
    ~DeviceImpl() override {
        std::lock_guard<std::mutex> guard(heldMutex);
        held.erase(heldKey_);
    }

    bool Load(std::string& error) {
        std::vector<uint8_t> bytes;
        const std::string path = Join(dir_, kRegistryFile);
        if (!files::IsFile(path) && files::IsFile(path + ".new")) files::Move(path + ".new", path);
        if (!files::ReadAll(path, bytes)) {
            error = "the device has no registry file";
            return false;
        }
        if (!registry_.Parse(bytes.data(), bytes.size(), error)) return false;
        std::string text;
        const std::string eventsPath = Join(dir_, kEventsFile);
        if (!ReadText(eventsPath, text)) text = std::string(EventLogHeader()) + "\n";
        // A line cut short by a crash while it was appended was never logged:
        // drop it, so that the next event starts a line of its own.
        if (!text.empty() && text.back() != '\n') {
            text.erase(text.rfind('\n') == std::string::npos ? 0 : text.rfind('\n') + 1);
            if (text.empty()) text = std::string(EventLogHeader()) + "\n";
            if (!files::WriteAll(eventsPath, text.data(), text.size())) {
                error = "cannot repair the device's event log " + eventsPath;
                return false;
            }
        }
        return ParseEventLog(text, events_, lastBoot_, error);
    }

    const Settings& GetSettings() const override { return settings_; }
    FileSystem& Files() override { return files_; }
    Registry& Reg() override { return registry_; }

    int BeginBoot() override {
        std::lock_guard<std::mutex> guard(logMutex_);
        ++lastBoot_;
        Append(FormatBootLine(lastBoot_));
        return lastBoot_;
    }

    void Log(const Event& event) override {
        std::lock_guard<std::mutex> guard(logMutex_);
        if (lastBoot_ == 0) {
            lastBoot_ = 1;
            Append(FormatBootLine(lastBoot_));
        }
        Append(FormatEventLine(event));
        events_.push_back({lastBoot_, event});
    }

    std::vector<LoggedEvent> Events() const override {
        std::lock_guard<std::mutex> guard(logMutex_);
        return events_;
    }

    bool Save(std::string& error) override {
        // Changes the CE calls wrote through are already in the file.
        std::lock_guard<std::mutex> guard(saveMutex_);
        if (!registry_.Changed()) return true;
        registry_.ClearChanged();
        return WriteRegistry(dir_, registry_, files::ReplaceMode::kFlushed, error);
    }

    bool SaveIfChanged(std::string& error) override {
        std::lock_guard<std::mutex> guard(saveMutex_);
        if (!registry_.Changed()) return true;
        registry_.ClearChanged();
        return WriteRegistry(dir_, registry_, files::ReplaceMode::kUnflushed, error);
    }

private:
    void Append(const std::string& line) {
        std::ofstream out(Join(dir_, kEventsFile), std::ios::binary | std::ios::app);
        out << line;
    }

    std::string dir_;
    Settings settings_;
    std::unique_ptr<FileLock> lock_;
    std::string heldKey_;
    FileSystem files_;
    Registry registry_;
    mutable std::mutex logMutex_;
    std::mutex saveMutex_;
    std::vector<LoggedEvent> events_;
    int lastBoot_ = 0;
};

bool CheckSettings(const Settings& s, std::string& error) {
    std::vector<std::u16string> parts;
    for (const auto& card : s.cards) {
        if (!SplitDevicePath(card, parts) || parts.size() != 1) {
            error = "\"" + text::Utf16ToUtf8(card) + "\" is no storage card name";
            return false;
        }
    }
    for (const auto& rom : s.romFiles) {
        if (!SplitDevicePath(rom, parts) || parts.empty()) {
            error = "\"" + text::Utf16ToUtf8(rom) + "\" is no device path";
            return false;
        }
    }
    for (const auto& w : s.outsideWindows) {
        if (w.className.empty() || w.className.find(u',') != std::u16string::npos) {
            error = "an outside window needs a class name without a comma";
            return false;
        }
    }
    return true;
}

}  // namespace

bool Device::Create(const std::string& dir, const InitOptions& options, std::string& error) {
    Settings settings = options.settings;
    if (!CheckSettings(settings, error)) return false;
    std::error_code ec;
    const fs::path root(dir);
    if (fs::exists(fs::symlink_status(root, ec))) {
        if (!fs::is_directory(root, ec) || !fs::is_empty(root, ec) || ec) {
            error = dir + " is not an empty folder";
            return false;
        }
    } else if (!fs::create_directories(root, ec) || ec) {
        error = "cannot create " + dir;
        return false;
    }
    // The standard ROM programs come first, then those asked for.
    std::vector<std::u16string> roms = {u"\\Windows\\wceload.exe", u"\\Windows\\unload.exe"};
    for (const auto& rom : settings.romFiles) {
        bool known = false;
        for (const auto& r : roms) known = known || EqualsNoCase(r, rom);
        if (!known) roms.push_back(rom);
    }
    settings.romFiles = roms;

    if (!files::CreateFolder(Join(dir, kFilesFolder))) {
        error = "cannot create " + Join(dir, kFilesFolder);
        return false;
    }
    // Folders and ROM files straight on the host: the device's own rules
    // (ROM files refuse writing) do not apply to making it.
    const fs::path filesRoot(Join(dir, kFilesFolder));
    std::vector<std::u16string> folders = {u"Windows", u"My Documents", u"Program Files", u"Temp"};
    for (const auto& card : settings.cards) folders.push_back(card);
    for (const auto& folder : folders) {
        fs::create_directories(filesRoot / fs::u8path(text::Utf16ToUtf8(folder)), ec);
    }
    {
        FileSystem files(filesRoot.string(), {}, settings.cards);
        for (const auto& rom : settings.romFiles) {
            std::vector<std::u16string> parts;
            SplitDevicePath(rom, parts);
            std::u16string folder;
            for (size_t i = 0; i + 1 < parts.size(); ++i) {
                folder += u"\\" + parts[i];
                files.CreateFolder(folder);
            }
            uint32_t attributes = 0;
            if (files.GetAttributes(rom, attributes) == 0) continue;
            FileSystem::FileId id = 0;
            bool existed = false;
            if (files.Open(rom, 0x40000000u, 0, 1, 0, id, existed) != 0) {
                error = "cannot create the ROM file " + text::Utf16ToUtf8(rom);
                return false;
            }
            files.Close(id);
        }
    }
    Registry registry;
    registry.CreateKey(RegRoot::kCurrentUser, u"Software\\Microsoft\\Today");
    registry.CreateKey(RegRoot::kLocalMachine, u"Software\\Microsoft\\Color");
    registry.CreateKey(RegRoot::kLocalMachine, u"Software\\Microsoft\\Today\\Items");
    const std::string settingsText = FormatSettings(settings);
    const std::string eventsText = std::string(EventLogHeader()) + "\n";
    if (!WriteRegistry(dir, registry, files::ReplaceMode::kFlushed, error) ||
        !files::WriteAll(Join(dir, kEventsFile), eventsText.data(), eventsText.size()) ||
        !files::WriteAll(Join(dir, kSettingsFile), settingsText.data(), settingsText.size())) {
        if (error.empty()) error = "cannot write the device's files in " + dir;
        return false;
    }
    return true;
}

std::unique_ptr<Device> Device::Open(const std::string& dir, std::string& error) {
    std::error_code ec;
    if (!fs::is_directory(fs::path(Join(dir, kFilesFolder)), ec) || !files::IsFile(Join(dir, kSettingsFile))) {
        error = dir + " is no virtual handheld";
        return nullptr;
    }
    const std::string key = HeldKey(dir);
    {
        std::lock_guard<std::mutex> guard(heldMutex);
        if (!held.insert(key).second) {
            error = "the device " + dir + " is already open in this process";
            return nullptr;
        }
    }
    auto releaseHeld = [&key]() {
        std::lock_guard<std::mutex> guard(heldMutex);
        held.erase(key);
    };
    auto lock = std::make_unique<FileLock>();
    if (!lock->Acquire(Join(dir, kLockFile), error)) {
        releaseHeld();
        return nullptr;
    }
    std::string text;
    Settings settings;
    if (!ReadText(Join(dir, kSettingsFile), text) || !ParseSettings(text, settings, error)) {
        if (error.empty()) error = "cannot read the device's settings";
        releaseHeld();
        return nullptr;
    }
    auto device = std::make_unique<DeviceImpl>(dir, std::move(settings), std::move(lock), key);
    if (!device->Load(error)) return nullptr;  // the device's destructor releases it
    return device;
}

}  // namespace mrw::device
