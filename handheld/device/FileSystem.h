// The handheld's file system over the device's files/ folder, with the
// handheld's rules and error codes (0 = success, else the value
// GetLastError reports): names without regard to case, kept as first
// written; ROM files (attribute 0x40) and storage-card root folders (0x110)
// from the device's settings; read-only = the host file's write bit; files a
// loaded library holds ("in use") and open files shared as their opener
// allowed. No path leaves files/: "." and ".." are refused and symbolic links
// are never followed. Safe to use from several threads.
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace mrw::device {

struct FoundFile {
    std::u16string name;  // as stored
    uint32_t attributes = 0;
    uint64_t size = 0;
    uint64_t lastWrite = 0;  // FILETIME: 100 ns units since 1601 (UTC)
};

struct FileEntry {
    std::u16string path;  // "\Windows\x.dll", as stored
    bool isFolder = false;
    uint64_t size = 0;
    uint32_t attributes = 0;
};

class FileSystem {
public:
    using FileId = uint32_t;

    // hostRoot: the files/ folder (a host path); romFiles and cards as the settings hold them.
    FileSystem(std::string hostRoot, const std::vector<std::u16string>& romFiles,
               const std::vector<std::u16string>& cards);
    ~FileSystem();
    FileSystem(const FileSystem&) = delete;
    FileSystem& operator=(const FileSystem&) = delete;

    // CreateFileW: access GENERIC_READ/GENERIC_WRITE bits, share FILE_SHARE_*
    // bits, disposition CREATE_NEW ... TRUNCATE_EXISTING; `attributes` may ask
    // for a read-only new file. `existed` tells OPEN_ALWAYS/CREATE_ALWAYS
    // callers that the file was there (they report 183).
    uint32_t Open(const std::u16string& path, uint32_t access, uint32_t share, uint32_t disposition,
                  uint32_t attributes, FileId& id, bool& existed);
    uint32_t Close(FileId id);
    uint32_t Read(FileId id, void* buffer, uint32_t size, uint32_t& done);
    uint32_t Write(FileId id, const void* buffer, uint32_t size, uint32_t& done);
    uint32_t GetSize(FileId id, uint64_t& size);
    // method FILE_BEGIN/FILE_CURRENT/FILE_END; a position before the start is refused (131).
    uint32_t Seek(FileId id, int64_t distance, uint32_t method, uint64_t& position);
    uint32_t Truncate(FileId id);  // at the current position
    uint32_t GetTime(FileId id, uint64_t& lastWrite);
    uint32_t SetTime(FileId id, uint64_t lastWrite);

    uint32_t GetAttributes(const std::u16string& path, uint32_t& attributes);
    // Only the read-only bit is kept (files); ROM files refuse any change.
    uint32_t SetAttributes(const std::u16string& path, uint32_t attributes);
    uint32_t Delete(const std::u16string& path);
    uint32_t Move(const std::u16string& from, const std::u16string& to);
    uint32_t Copy(const std::u16string& from, const std::u16string& to, bool failIfExists);
    uint32_t CreateFolder(const std::u16string& path);
    uint32_t RemoveFolder(const std::u16string& path);
    // FindFirstFileW's matches of "\Folder\pattern" (`*`, `?`; "*.*" = "*"),
    // in order without regard to case, never "." or "..": 2 when none, 3
    // when the folder is missing.
    uint32_t Find(const std::u16string& pattern, std::vector<FoundFile>& found);

    // The loaded-library mark: while set (counted), the file cannot be
    // written, moved or deleted (32).
    uint32_t SetInUse(const std::u16string& path, bool inUse);
    // The host path (UTF-8) of an existing file, and its device path as stored.
    uint32_t HostPath(const std::u16string& path, std::string& hostPath, std::u16string* storedPath = nullptr);

    // Whole-file helpers with the same rules (for the device's own parts).
    uint32_t ReadAll(const std::u16string& path, std::vector<uint8_t>& data);
    uint32_t WriteAll(const std::u16string& path, const std::vector<uint8_t>& data);  // CREATE_ALWAYS

    // Every file and folder, in order of their paths without regard to case.
    std::vector<FileEntry> ListAll();

    struct Resolved;
    struct OpenFile;

private:
    uint32_t Resolve(const std::u16string& path, Resolved& out, bool allowWildcards = false);
    uint32_t AttributesOf(const Resolved& r);
    bool IsRom(const Resolved& r) const;
    bool IsCardRoot(const Resolved& r) const;
    bool IsInUse(const Resolved& r) const;
    bool IsOpen(const Resolved& r) const;
    uint32_t CheckWritable(const Resolved& r);

    std::string root_;
    std::set<std::u16string> rom_;    // folded device paths
    std::set<std::u16string> cards_;  // folded root folder names
    std::map<std::u16string, int> inUse_;
    std::map<FileId, std::unique_ptr<OpenFile>> open_;
    std::recursive_mutex mutex_;
};

}  // namespace mrw::device
