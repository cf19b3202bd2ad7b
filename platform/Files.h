// Files and folders with the Windows semantics the editor relies on.
//
// On POSIX, an existing file or folder is found without regard to case: a
// path component that does not exist as written is matched against the
// entries of its folder ignoring ASCII case (theme files are addressed as
// "STWater.gif" and stored as "stwater.gif"). New files are created in the
// case-resolved folder with the name as written; writing an existing name in
// other letter case writes that file. '\' separates components too. The
// read-only attribute is the owner's write bit, and it is honoured even for a
// process that runs as root.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace mrw::files {

bool Exists(const std::string& path);          // file or folder
bool IsFile(const std::string& path);
bool IsDirectory(const std::string& path);
// Size in bytes, or -1 when the file does not exist.
int64_t SizeOf(const std::string& path);

// CopyFileA: fails when failIfExists and the target exists, and when an
// existing target is read-only or is the source itself. Copies the read-only
// attribute and the last-write time along with the content, as Windows does.
bool Copy(const std::string& from, const std::string& to, bool failIfExists);
// MoveFileA (files and folders): fails when the target exists, unless it
// names the source itself in other letter case (the spelling is changed).
bool Move(const std::string& from, const std::string& to);
// Replaces `to` by `from` in one step (the target may or may not exist):
// an atomic rename, so a crash leaves either the old or the new file. Fails
// for a read-only target; on failure both files are left as they were.
// kFlushed first puts the new content on disk, so that a power cut cannot
// leave the name pointing at an empty file; kUnflushed skips that for
// intermediate files whose loss costs only a rerun.
enum class ReplaceMode { kFlushed, kUnflushed };
bool Replace(const std::string& from, const std::string& to, ReplaceMode mode = ReplaceMode::kFlushed);
// DeleteFileA: fails for a read-only file, a folder or a missing file.
bool Delete(const std::string& path);

bool IsReadOnly(const std::string& path);
bool SetReadOnly(const std::string& path, bool readOnly);

// Creates one folder (the parent must exist); true when it exists afterwards.
bool CreateFolder(const std::string& path);
// Creates every missing folder of the path.
bool CreateFolders(const std::string& path);
// Creates one new folder (the parent must exist): false when anything exists
// at that path already, so that the caller owns the folder it made.
bool CreateNewFolder(const std::string& path);
// Removes a folder and everything below it; true when it is gone.
bool RemoveTree(const std::string& path);

// The user's temporary folder, ending in a separator.
std::string TempFolder();
std::string CurrentFolder();
bool SetCurrentFolder(const std::string& path);
// Folder of the running program, ending in a separator.
std::string ProgramFolder();

struct FoundEntry {
    std::string name;  // name only, as stored on disk
    bool isDirectory = false;
};
// FindFirstFile/FindNextFile over "folder<sep>pattern": '*' and '?' wildcards
// in the last component, matched without regard to case ("*.*" also lists
// names without a dot). "." and ".." are not listed. Windows lists in its own
// order; POSIX sorts by name without regard to case, as NTFS does.
std::vector<FoundEntry> Find(const std::string& pattern);

// The path as it exists on disk (case-resolved on POSIX); the path unchanged
// when nothing matches.
std::string Resolve(const std::string& path);

// Whole-file helpers; false on any I/O error. WriteAll fails on a read-only file.
bool ReadAll(const std::string& path, std::vector<uint8_t>& out);
bool WriteAll(const std::string& path, const void* data, size_t size);

}  // namespace mrw::files
