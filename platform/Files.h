// Files and folders with the Windows semantics the editor relies on.
//
// On POSIX, an existing file or folder is found without regard to case: a
// path component that does not exist as written is matched against the
// entries of its folder ignoring ASCII case (theme files are addressed as
// "STWater.gif" and stored as "stwater.gif"). New files are created with the
// name as written.
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

// CopyFileA: fails when failIfExists and the target exists. Copies the
// read-only attribute along with the content, as Windows does.
bool Copy(const std::string& from, const std::string& to, bool failIfExists);
// MoveFileA: fails when the target exists.
bool Move(const std::string& from, const std::string& to);
// Replaces `to` by `from` in one step (the target may or may not exist);
// on failure both files are left as they were.
bool Replace(const std::string& from, const std::string& to);
// DeleteFileA: fails for a read-only file, a folder or a missing file.
bool Delete(const std::string& path);

bool IsReadOnly(const std::string& path);
bool SetReadOnly(const std::string& path, bool readOnly);

// Creates one folder (the parent must exist); true when it exists afterwards.
bool CreateFolder(const std::string& path);
// Creates every missing folder of the path.
bool CreateFolders(const std::string& path);
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
// in the last component, matched without regard to case. "." and ".." are not listed.
std::vector<FoundEntry> Find(const std::string& pattern);

// The path as it exists on disk (case-resolved on POSIX); the path unchanged
// when nothing matches.
std::string Resolve(const std::string& path);

// Whole-file helpers; false on any I/O error.
bool ReadAll(const std::string& path, std::vector<uint8_t>& out);
bool WriteAll(const std::string& path, const void* data, size_t size);

}  // namespace mrw::files
