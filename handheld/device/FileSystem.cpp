#include "handheld/device/FileSystem.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "base/TextEncoding.h"
#include "handheld/device/DevicePaths.h"

namespace fs = std::filesystem;

namespace mrw::device {

namespace {

constexpr uint32_t kFileNotFound = 2;
constexpr uint32_t kPathNotFound = 3;
constexpr uint32_t kAccessDenied = 5;
constexpr uint32_t kInvalidHandle = 6;
constexpr uint32_t kFileExists = 80;
constexpr uint32_t kInvalidParameter = 87;
constexpr uint32_t kNegativeSeek = 131;
constexpr uint32_t kDirNotEmpty = 145;
constexpr uint32_t kBadPathname = 161;
constexpr uint32_t kAlreadyExists = 183;
constexpr uint32_t kSharingViolation = 32;
constexpr uint32_t kDirectory = 267;
constexpr uint32_t kDiskFull = 112;

constexpr uint32_t kGenericRead = 0x80000000u;
constexpr uint32_t kGenericWrite = 0x40000000u;
constexpr uint32_t kShareRead = 1;
constexpr uint32_t kShareWrite = 2;
constexpr uint32_t kCreateNew = 1;
constexpr uint32_t kCreateAlways = 2;
constexpr uint32_t kOpenExisting = 3;
constexpr uint32_t kTruncateExisting = 5;

constexpr uint32_t kAttrReadOnly = 0x01;
constexpr uint32_t kAttrDirectory = 0x10;
constexpr uint32_t kAttrInRom = 0x40;
constexpr uint32_t kAttrNormal = 0x80;
constexpr uint32_t kAttrCard = 0x100;

// FILETIME of 1970-01-01.
constexpr uint64_t kUnixEpochFileTime = 116444736000000000ull;

std::u16string Fold(std::u16string_view text) {
    std::u16string out(text);
    for (auto& c : out) c = FoldCase(c);
    return out;
}

fs::path HostName(const std::u16string& component) { return fs::u8path(text::Utf16ToUtf8(component)); }

std::u16string DeviceName(const fs::path& host) { return text::Utf8ToUtf16(host.filename().u8string()); }

bool IsReadOnlyHost(const fs::path& host) {
    std::error_code ec;
    const fs::file_status st = fs::status(host, ec);
    return !ec && (st.permissions() & fs::perms::owner_write) == fs::perms::none;
}

uint64_t ToFileTime(fs::file_time_type t) {
    // The file clock's epoch differs between libraries: go through "now".
    const auto sysNow = std::chrono::system_clock::now();
    const auto fileNow = fs::file_time_type::clock::now();
    const auto sys = sysNow + std::chrono::duration_cast<std::chrono::system_clock::duration>(t - fileNow);
    const auto since = std::chrono::duration_cast<std::chrono::nanoseconds>(sys.time_since_epoch()).count() / 100;
    return static_cast<uint64_t>(static_cast<int64_t>(kUnixEpochFileTime) + since);
}

fs::file_time_type FromFileTime(uint64_t fileTime) {
    const auto sysNow = std::chrono::system_clock::now();
    const auto fileNow = fs::file_time_type::clock::now();
    const int64_t since100ns = static_cast<int64_t>(fileTime) - static_cast<int64_t>(kUnixEpochFileTime);
    const std::chrono::system_clock::time_point sys(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(std::chrono::nanoseconds(since100ns * 100)));
    return fileNow + std::chrono::duration_cast<fs::file_time_type::duration>(sys - sysNow);
}

}  // namespace

struct FileSystem::Resolved {
    fs::path host;                      // existing entry, or the new name in an existing folder
    std::vector<std::u16string> stored;  // components as stored (the last as given when new)
    std::u16string key;                  // folded device path: identity of the entry
    bool exists = false;
    bool isDir = false;
};

struct FileSystem::OpenFile {
    fs::path host;
    std::u16string key;
    uint32_t access = 0;
    uint32_t share = 0;
    uint64_t position = 0;
    std::fstream stream;
};

FileSystem::FileSystem(std::string hostRoot, const std::vector<std::u16string>& romFiles,
                       const std::vector<std::u16string>& cards)
    : root_(std::move(hostRoot)) {
    std::vector<std::u16string> parts;
    for (const auto& rom : romFiles) {
        if (SplitDevicePath(rom, parts) && !parts.empty()) rom_.insert(Fold(JoinDevicePath(parts)));
    }
    for (const auto& card : cards) {
        if (SplitDevicePath(card, parts) && parts.size() == 1) cards_.insert(Fold(parts[0]));
    }
}

FileSystem::~FileSystem() = default;

uint32_t FileSystem::Resolve(const std::u16string& path, Resolved& out, bool allowWildcards) {
    out = Resolved();
    std::vector<std::u16string> parts;
    if (!SplitDevicePath(path, parts, allowWildcards)) return kBadPathname;
    fs::path current(root_);
    std::error_code ec;
    out.isDir = true;
    out.exists = true;
    for (size_t i = 0; i < parts.size(); ++i) {
        const bool last = i + 1 == parts.size();
        if (!out.isDir) return kPathNotFound;
        fs::path found;
        std::u16string storedName;
#if !defined(_WIN32)
        // Fast path: the name as written (a case-sensitive host has at most one such entry).
        {
            const fs::path exact = current / HostName(parts[i]);
            const fs::file_status st = fs::symlink_status(exact, ec);
            if (!ec && fs::exists(st)) {
                found = exact;
                storedName = parts[i];
            }
        }
#endif
        if (found.empty()) {
            for (fs::directory_iterator it(current, ec), end; !ec && it != end; it.increment(ec)) {
                const std::u16string name = DeviceName(it->path());
                if (EqualsNoCase(name, parts[i])) {
                    found = it->path();
                    storedName = name;
                    break;
                }
            }
        }
        if (found.empty()) {
            if (!last) return kPathNotFound;
            out.exists = false;
            out.isDir = false;
            out.host = current / HostName(parts[i]);
            out.stored.push_back(parts[i]);
            break;
        }
        const fs::file_status st = fs::symlink_status(found, ec);
        // A link could lead anywhere on the host: the device never follows one.
        if (ec || fs::is_symlink(st) || (!fs::is_regular_file(st) && !fs::is_directory(st))) return kAccessDenied;
        out.isDir = fs::is_directory(st);
        out.stored.push_back(storedName);
        current = found;
        out.host = found;
    }
    if (parts.empty()) out.host = current;
    out.key = Fold(JoinDevicePath(out.stored));
    return 0;
}

bool FileSystem::IsRom(const Resolved& r) const { return !r.isDir && rom_.count(r.key) != 0; }

bool FileSystem::IsCardRoot(const Resolved& r) const {
    return r.exists && r.isDir && r.stored.size() == 1 && cards_.count(Fold(r.stored[0])) != 0;
}

bool FileSystem::IsInUse(const Resolved& r) const {
    auto it = inUse_.find(r.key);
    return it != inUse_.end() && it->second > 0;
}

bool FileSystem::IsOpen(const Resolved& r) const {
    for (const auto& [id, file] : open_) {
        if (file->key == r.key) return true;
    }
    return false;
}

uint32_t FileSystem::AttributesOf(const Resolved& r) {
    if (r.isDir) return kAttrDirectory | (IsCardRoot(r) ? kAttrCard : 0);
    uint32_t attributes = 0;
    if (IsReadOnlyHost(r.host)) attributes |= kAttrReadOnly;
    if (IsRom(r)) attributes |= kAttrInRom;
    return attributes ? attributes : kAttrNormal;
}

// The checks before an existing file's content or name changes.
uint32_t FileSystem::CheckWritable(const Resolved& r) {
    if (r.isDir) return kAccessDenied;
    if (IsRom(r) || IsReadOnlyHost(r.host)) return kAccessDenied;
    if (IsInUse(r)) return kSharingViolation;
    return 0;
}

uint32_t FileSystem::Open(const std::u16string& path, uint32_t access, uint32_t share, uint32_t disposition,
                          uint32_t attributes, FileId& id, bool& existed) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    id = 0;
    existed = false;
    if (disposition < kCreateNew || disposition > kTruncateExisting) return kInvalidParameter;
    Resolved r;
    if (uint32_t e = Resolve(path, r)) return e;
    if (r.stored.empty()) return kAccessDenied;  // the root folder
    existed = r.exists;
    if (r.exists && r.isDir) return kAccessDenied;
    if (r.exists && disposition == kCreateNew) return kFileExists;
    if (!r.exists && (disposition == kOpenExisting || disposition == kTruncateExisting)) return kFileNotFound;
    const bool truncate = r.exists && (disposition == kCreateAlways || disposition == kTruncateExisting);
    if (r.exists && ((access & kGenericWrite) || truncate)) {
        if (uint32_t e = CheckWritable(r)) return e;
    }
    if (!r.exists && IsRom(Resolved{r.host, r.stored, r.key, true, false})) return kAccessDenied;
    for (const auto& [otherId, other] : open_) {
        if (other->key != r.key) continue;
        const bool clash = ((access & kGenericRead) && !(other->share & kShareRead)) ||
                           ((access & kGenericWrite) && !(other->share & kShareWrite)) ||
                           ((other->access & kGenericRead) && !(share & kShareRead)) ||
                           ((other->access & kGenericWrite) && !(share & kShareWrite)) ||
                           (truncate && !(other->share & kShareWrite));
        if (clash) return kSharingViolation;
    }
    if (!r.exists || truncate) {
        std::ofstream create(r.host, std::ios::binary | std::ios::trunc);
        if (!create.is_open()) return r.exists ? kAccessDenied : kPathNotFound;
        create.close();
        if (!r.exists && (attributes & kAttrReadOnly)) {
            std::error_code ec;
            fs::permissions(r.host, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                            fs::perm_options::remove, ec);
        }
    }
    auto file = std::make_unique<OpenFile>();
    file->host = r.host;
    file->key = r.key;
    file->access = access;
    file->share = share;
    std::ios::openmode mode = std::ios::binary | std::ios::in;
    // A file made read-only at its creation still takes writes through this handle, as on the handheld.
    if (access & kGenericWrite) mode |= std::ios::out;
    file->stream.open(r.host, mode);
    if (!file->stream.is_open() && (access & kGenericWrite) && !r.exists && (attributes & kAttrReadOnly)) {
        std::error_code ec;
        fs::permissions(r.host, fs::perms::owner_write, fs::perm_options::add, ec);
        file->stream.open(r.host, mode);
        fs::permissions(r.host, fs::perms::owner_write, fs::perm_options::remove, ec);
    }
    if (!file->stream.is_open()) return kAccessDenied;
    // Unique across devices: a stale handle of an earlier boot never names a file of this one.
    static std::atomic<FileId> nextId{1};
    id = nextId++;
    open_[id] = std::move(file);
    return 0;
}

uint32_t FileSystem::Close(FileId id) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return open_.erase(id) ? 0 : kInvalidHandle;
}

uint32_t FileSystem::Read(FileId id, void* buffer, uint32_t size, uint32_t& done) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    done = 0;
    auto it = open_.find(id);
    if (it == open_.end()) return kInvalidHandle;
    OpenFile& f = *it->second;
    if (!(f.access & kGenericRead)) return kAccessDenied;
    if (size == 0) return 0;
    f.stream.clear();
    f.stream.seekg(static_cast<std::streamoff>(f.position));
    f.stream.read(static_cast<char*>(buffer), size);
    done = static_cast<uint32_t>(f.stream.gcount());
    f.stream.clear();
    f.position += done;
    return 0;
}

uint32_t FileSystem::Write(FileId id, const void* buffer, uint32_t size, uint32_t& done) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    done = 0;
    auto it = open_.find(id);
    if (it == open_.end()) return kInvalidHandle;
    OpenFile& f = *it->second;
    if (!(f.access & kGenericWrite)) return kAccessDenied;
    if (size == 0) return 0;
    f.stream.clear();
    f.stream.seekp(static_cast<std::streamoff>(f.position));
    f.stream.write(static_cast<const char*>(buffer), size);
    f.stream.flush();  // other handles of the file read through their own buffers
    if (!f.stream.good()) {
        f.stream.clear();
        return kDiskFull;
    }
    done = size;
    f.position += size;
    return 0;
}

uint32_t FileSystem::GetSize(FileId id, uint64_t& size) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    auto it = open_.find(id);
    if (it == open_.end()) return kInvalidHandle;
    std::error_code ec;
    size = fs::file_size(it->second->host, ec);
    return ec ? kAccessDenied : 0;
}

uint32_t FileSystem::Seek(FileId id, int64_t distance, uint32_t method, uint64_t& position) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    auto it = open_.find(id);
    if (it == open_.end()) return kInvalidHandle;
    OpenFile& f = *it->second;
    int64_t base = 0;
    if (method == 1) {
        base = static_cast<int64_t>(f.position);
    } else if (method == 2) {
        std::error_code ec;
        base = static_cast<int64_t>(fs::file_size(f.host, ec));
        if (ec) return kAccessDenied;
    } else if (method != 0) {
        return kInvalidParameter;
    }
    if ((distance < 0 && -distance > base) || (distance > 0 && distance > INT64_MAX - base)) return kNegativeSeek;
    f.position = static_cast<uint64_t>(base + distance);
    position = f.position;
    return 0;
}

uint32_t FileSystem::Truncate(FileId id) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    auto it = open_.find(id);
    if (it == open_.end()) return kInvalidHandle;
    OpenFile& f = *it->second;
    if (!(f.access & kGenericWrite)) return kAccessDenied;
    f.stream.flush();
    std::error_code ec;
    fs::resize_file(f.host, f.position, ec);
    return ec ? kAccessDenied : 0;
}

uint32_t FileSystem::GetTime(FileId id, uint64_t& lastWrite) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    auto it = open_.find(id);
    if (it == open_.end()) return kInvalidHandle;
    it->second->stream.flush();
    std::error_code ec;
    const auto t = fs::last_write_time(it->second->host, ec);
    if (ec) return kAccessDenied;
    lastWrite = ToFileTime(t);
    return 0;
}

uint32_t FileSystem::SetTime(FileId id, uint64_t lastWrite) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    auto it = open_.find(id);
    if (it == open_.end()) return kInvalidHandle;
    if (!(it->second->access & kGenericWrite)) return kAccessDenied;
    it->second->stream.flush();
    std::error_code ec;
    fs::last_write_time(it->second->host, FromFileTime(lastWrite), ec);
    return ec ? kAccessDenied : 0;
}

uint32_t FileSystem::GetAttributes(const std::u16string& path, uint32_t& attributes) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    Resolved r;
    if (uint32_t e = Resolve(path, r)) return e;
    if (!r.exists) return kFileNotFound;
    attributes = AttributesOf(r);
    return 0;
}

uint32_t FileSystem::SetAttributes(const std::u16string& path, uint32_t attributes) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    Resolved r;
    if (uint32_t e = Resolve(path, r)) return e;
    if (!r.exists) return kFileNotFound;
    if (IsRom(r) || r.stored.empty() || IsCardRoot(r)) return kAccessDenied;
    if (r.isDir) return 0;
    std::error_code ec;
    fs::permissions(r.host, fs::perms::owner_write | fs::perms::group_write, 
                    (attributes & kAttrReadOnly) ? fs::perm_options::remove : fs::perm_options::add, ec);
    return ec ? kAccessDenied : 0;
}

uint32_t FileSystem::Delete(const std::u16string& path) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    Resolved r;
    if (uint32_t e = Resolve(path, r)) return e;
    if (!r.exists) return kFileNotFound;
    if (uint32_t e = CheckWritable(r)) return e;
    if (IsOpen(r)) return kSharingViolation;
    std::error_code ec;
    fs::remove(r.host, ec);
    return ec ? kAccessDenied : 0;
}

uint32_t FileSystem::Move(const std::u16string& from, const std::u16string& to) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    Resolved source, target;
    if (uint32_t e = Resolve(from, source)) return e;
    if (!source.exists) return kFileNotFound;
    if (uint32_t e = Resolve(to, target)) return e;
    if (source.stored.empty() || IsCardRoot(source) || IsRom(source)) return kAccessDenied;
    if (IsInUse(source)) return kSharingViolation;
    if (IsOpen(source)) return kSharingViolation;
    // The same entry in other letter case only changes the spelling.
    if (target.exists && target.key != source.key) return kAlreadyExists;
    if (!target.exists && IsRom(Resolved{target.host, target.stored, target.key, true, false})) return kAccessDenied;
    // A folder cannot move into itself.
    if (source.isDir && target.key.size() > source.key.size() &&
        target.key.compare(0, source.key.size(), source.key) == 0 && target.key[source.key.size()] == u'\\')
        return kAccessDenied;
    fs::path dest = target.host;
    if (target.exists) {
        std::vector<std::u16string> parts;
        SplitDevicePath(to, parts);
        dest = target.host.parent_path() / HostName(parts.back());
    }
    std::error_code ec;
    fs::rename(source.host, dest, ec);
    return ec ? kAccessDenied : 0;
}

uint32_t FileSystem::Copy(const std::u16string& from, const std::u16string& to, bool failIfExists) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    Resolved source, target;
    if (uint32_t e = Resolve(from, source)) return e;
    if (!source.exists) return kFileNotFound;
    if (source.isDir) return kAccessDenied;
    if (uint32_t e = Resolve(to, target)) return e;
    if (target.exists) {
        if (failIfExists) return kFileExists;
        if (target.key == source.key) return kSharingViolation;
        if (uint32_t e = CheckWritable(target)) return e;
        if (IsOpen(target)) return kSharingViolation;
    } else if (IsRom(Resolved{target.host, target.stored, target.key, true, false})) {
        return kAccessDenied;
    }
    std::error_code ec;
    fs::copy_file(source.host, target.host, fs::copy_options::overwrite_existing, ec);
    if (ec) return target.exists ? kAccessDenied : kPathNotFound;
    return 0;
}

uint32_t FileSystem::CreateFolder(const std::u16string& path) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    Resolved r;
    if (uint32_t e = Resolve(path, r)) return e;
    if (r.exists) return kAlreadyExists;
    std::error_code ec;
    return fs::create_directory(r.host, ec) ? 0 : kPathNotFound;
}

uint32_t FileSystem::RemoveFolder(const std::u16string& path) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    Resolved r;
    if (uint32_t e = Resolve(path, r)) return e;
    if (!r.exists) return kFileNotFound;
    if (!r.isDir) return kDirectory;
    if (r.stored.empty() || IsCardRoot(r)) return kAccessDenied;
    std::error_code ec;
    if (!fs::is_empty(r.host, ec) || ec) return kDirNotEmpty;
    fs::remove(r.host, ec);
    return ec ? kAccessDenied : 0;
}

uint32_t FileSystem::Find(const std::u16string& pattern, std::vector<FoundFile>& found) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    found.clear();
    std::vector<std::u16string> parts;
    if (!SplitDevicePath(pattern, parts, true)) return kBadPathname;
    if (parts.empty()) return kFileNotFound;
    const std::u16string mask = parts.back();
    parts.pop_back();
    Resolved folder;
    if (uint32_t e = Resolve(JoinDevicePath(parts), folder)) return e == kFileNotFound ? kPathNotFound : e;
    if (!folder.exists || !folder.isDir) return kPathNotFound;
    std::error_code ec;
    for (fs::directory_iterator it(folder.host, ec), end; !ec && it != end; it.increment(ec)) {
        const std::u16string name = DeviceName(it->path());
        if (!MatchesPattern(name, mask)) continue;
        std::error_code stEc;
        const fs::file_status st = fs::symlink_status(it->path(), stEc);
        if (stEc || (!fs::is_regular_file(st) && !fs::is_directory(st))) continue;
        // Names the device could not address are not listed either.
        std::vector<std::u16string> check;
        if (!SplitDevicePath(name, check) || check.size() != 1) continue;
        Resolved entry;
        entry.host = it->path();
        entry.stored = folder.stored;
        entry.stored.push_back(name);
        entry.key = Fold(JoinDevicePath(entry.stored));
        entry.exists = true;
        entry.isDir = fs::is_directory(st);
        FoundFile f;
        f.name = name;
        f.attributes = AttributesOf(entry);
        if (!entry.isDir) f.size = fs::file_size(entry.host, stEc);
        if (stEc) f.size = 0;
        const auto t = fs::last_write_time(entry.host, stEc);
        if (!stEc) f.lastWrite = ToFileTime(t);
        found.push_back(std::move(f));
    }
    std::sort(found.begin(), found.end(),
              [](const FoundFile& a, const FoundFile& b) { return LessNoCase(a.name, b.name); });
    return found.empty() ? kFileNotFound : 0;
}

uint32_t FileSystem::SetInUse(const std::u16string& path, bool inUse) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    Resolved r;
    if (uint32_t e = Resolve(path, r)) return e;
    if (inUse) {
        if (!r.exists || r.isDir) return kFileNotFound;
        ++inUse_[r.key];
    } else {
        auto it = inUse_.find(r.key);
        if (it == inUse_.end()) return kFileNotFound;
        if (--it->second <= 0) inUse_.erase(it);
    }
    return 0;
}

uint32_t FileSystem::HostPath(const std::u16string& path, std::string& hostPath, std::u16string* storedPath) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    Resolved r;
    if (uint32_t e = Resolve(path, r)) return e;
    if (!r.exists) return kFileNotFound;
    hostPath = r.host.u8string();
    if (storedPath) *storedPath = JoinDevicePath(r.stored);
    return 0;
}

uint32_t FileSystem::ReadAll(const std::u16string& path, std::vector<uint8_t>& data) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    FileId id = 0;
    bool existed = false;
    if (uint32_t e = Open(path, kGenericRead, kShareRead, kOpenExisting, 0, id, existed)) return e;
    uint64_t size = 0;
    uint32_t e = GetSize(id, size);
    if (!e && size > 0xFFFFFFFFu) e = kAccessDenied;
    uint32_t done = 0;
    if (!e) {
        data.resize(static_cast<size_t>(size));
        e = Read(id, data.data(), static_cast<uint32_t>(size), done);
        data.resize(done);
    }
    Close(id);
    return e;
}

uint32_t FileSystem::WriteAll(const std::u16string& path, const std::vector<uint8_t>& data) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    FileId id = 0;
    bool existed = false;
    if (uint32_t e = Open(path, kGenericWrite, 0, kCreateAlways, 0, id, existed)) return e;
    uint32_t done = 0;
    const uint32_t e = Write(id, data.data(), static_cast<uint32_t>(data.size()), done);
    Close(id);
    return e;
}

std::vector<FileEntry> FileSystem::ListAll() {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    std::vector<FileEntry> out;
    std::vector<std::pair<fs::path, std::vector<std::u16string>>> folders{{fs::path(root_), {}}};
    while (!folders.empty()) {
        auto [host, stored] = std::move(folders.back());
        folders.pop_back();
        std::error_code ec;
        for (fs::directory_iterator it(host, ec), end; !ec && it != end; it.increment(ec)) {
            std::error_code stEc;
            const fs::file_status st = fs::symlink_status(it->path(), stEc);
            if (stEc || (!fs::is_regular_file(st) && !fs::is_directory(st))) continue;
            Resolved entry;
            entry.host = it->path();
            entry.stored = stored;
            entry.stored.push_back(DeviceName(it->path()));
            entry.key = Fold(JoinDevicePath(entry.stored));
            entry.exists = true;
            entry.isDir = fs::is_directory(st);
            FileEntry e;
            e.path = JoinDevicePath(entry.stored);
            e.isFolder = entry.isDir;
            e.attributes = AttributesOf(entry);
            if (!entry.isDir) {
                e.size = fs::file_size(entry.host, stEc);
                if (stEc) e.size = 0;
            } else {
                folders.emplace_back(entry.host, entry.stored);
            }
            out.push_back(std::move(e));
        }
    }
    std::sort(out.begin(), out.end(), [](const FileEntry& a, const FileEntry& b) { return LessNoCase(a.path, b.path); });
    return out;
}

}  // namespace mrw::device
