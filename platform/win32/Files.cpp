// Files and folders on Windows: thin wrappers over the ANSI file functions.
#include <windows.h>

#include <algorithm>
#include <string>

#include "platform/Files.h"
#include "platform/Paths.h"

namespace mrw::files {

namespace {

class Handle {
public:
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle() {
        if (ok()) CloseHandle(h_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return h_; }
    bool ok() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }

private:
    HANDLE h_;
};

class FindHandle {
public:
    explicit FindHandle(HANDLE h) : h_(h) {}
    ~FindHandle() {
        if (h_ != INVALID_HANDLE_VALUE) FindClose(h_);
    }
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    HANDLE get() const { return h_; }
    bool ok() const { return h_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE h_;
};

DWORD Attributes(const std::string& path) {
    return path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(path.c_str());
}

std::string FullPath(const std::string& path) {
    char buffer[MAX_PATH * 4];
    const DWORD n = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
    return (n == 0 || n >= sizeof buffer) ? path : std::string(buffer, n);
}

bool IsDots(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

std::string WithoutTrailingSeparator(std::string p) {
    while (p.size() > 1 && paths::IsSeparator(p.back()) && p[p.size() - 2] != ':') p.pop_back();
    return p;
}

bool RemoveTreeAt(const std::string& path) {
    const DWORD attributes = Attributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;
    if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return DeleteFileA(path.c_str()) != 0;
    bool ok = true;
    // Reparse points (junctions, links) are removed, never followed.
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        std::vector<std::string> children;
        WIN32_FIND_DATAA data;
        FindHandle find(FindFirstFileA((path + "\\*").c_str(), &data));
        if (find.ok()) {
            do {
                if (!IsDots(data.cFileName)) children.push_back(path + "\\" + data.cFileName);
            } while (FindNextFileA(find.get(), &data));
        }
        for (const std::string& child : children) ok = RemoveTreeAt(child) && ok;
    }
    return RemoveDirectoryA(path.c_str()) != 0 && ok;
}

}  // namespace

std::string Resolve(const std::string& path) { return path; }

bool Exists(const std::string& path) { return Attributes(path) != INVALID_FILE_ATTRIBUTES; }

bool IsFile(const std::string& path) {
    const DWORD a = Attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsDirectory(const std::string& path) {
    const DWORD a = Attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

int64_t SizeOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (path.empty() || !GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return -1;
    return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool Copy(const std::string& from, const std::string& to, bool failIfExists) {
    if (from.empty() || to.empty()) return false;
    // CopyFileA refuses to overwrite a read-only file; checked here too so
    // that every Windows-like system behaves the same.
    if (!failIfExists && IsReadOnly(to)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    return CopyFileA(from.c_str(), to.c_str(), failIfExists ? TRUE : FALSE) != 0;
}

bool Move(const std::string& from, const std::string& to) {
    if (from.empty() || to.empty()) return false;
    if (from != to && Exists(to) && FullPath(from).size() == FullPath(to).size() &&
        lstrcmpiA(FullPath(from).c_str(), FullPath(to).c_str()) == 0) {
        // A change of letter case only: go through a free name in the same
        // folder, so that every file system takes the new spelling.
        for (int i = 0; i < 1000; ++i) {
            const std::string step = paths::FolderOf(to) + "~mrw" + std::to_string(GetCurrentProcessId()) + "_" +
                                     std::to_string(i) + ".tmp";
            if (Exists(step)) continue;
            if (!MoveFileA(from.c_str(), step.c_str())) return false;
            if (MoveFileA(step.c_str(), to.c_str())) return true;
            MoveFileA(step.c_str(), from.c_str());
            return false;
        }
        return false;
    }
    return MoveFileA(from.c_str(), to.c_str()) != 0;
}

bool Replace(const std::string& from, const std::string& to, ReplaceMode mode) {
    if (from.empty() || to.empty() || !IsFile(from)) return false;
    const DWORD target = Attributes(to);
    if (target != INVALID_FILE_ATTRIBUTES && (target & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY))) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    // While another program replaces or reads the same target, the rename is
    // refused for a moment (access denied, sharing violation): try again
    // briefly before giving up.
    const DWORD flags =
        MOVEFILE_REPLACE_EXISTING | (mode == ReplaceMode::kFlushed ? DWORD(MOVEFILE_WRITE_THROUGH) : DWORD(0));
    for (int attempt = 0;; ++attempt) {
        if (MoveFileExA(from.c_str(), to.c_str(), flags)) return true;
        const DWORD error = GetLastError();
        const bool transient =
            error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
        if (!transient || attempt >= 50 || !IsFile(from)) return false;
        const DWORD now = Attributes(to);
        if (now != INVALID_FILE_ATTRIBUTES && (now & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY))) return false;
        Sleep(10);
    }
}

bool Delete(const std::string& path) {
    const DWORD a = Attributes(path);
    if (a == INVALID_FILE_ATTRIBUTES) return false;
    // DeleteFileA refuses read-only files; checked here too so that every
    // Windows-like system behaves the same.
    if (a & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    return DeleteFileA(path.c_str()) != 0;
}

bool IsReadOnly(const std::string& path) {
    const DWORD a = Attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY);
}

bool SetReadOnly(const std::string& path, bool readOnly) {
    DWORD a = Attributes(path);
    if (a == INVALID_FILE_ATTRIBUTES) return false;
    a = readOnly ? (a | FILE_ATTRIBUTE_READONLY) : (a & ~FILE_ATTRIBUTE_READONLY);
    if (a == 0) a = FILE_ATTRIBUTE_NORMAL;
    return SetFileAttributesA(path.c_str(), a) != 0;
}

bool CreateFolder(const std::string& path) {
    if (path.empty()) return false;
    const std::string p = WithoutTrailingSeparator(path);
    return CreateDirectoryA(p.c_str(), nullptr) != 0 || IsDirectory(p);
}

bool CreateNewFolder(const std::string& path) {
    if (path.empty()) return false;
    return CreateDirectoryA(WithoutTrailingSeparator(path).c_str(), nullptr) != 0;
}

bool CreateFolders(const std::string& path) {
    if (path.empty()) return false;
    // Skip the root of the path: a drive ("C:\") or a share ("\\server\share\").
    size_t start = 0;
    if (path.size() >= 2 && paths::IsSeparator(path[0]) && paths::IsSeparator(path[1])) {
        size_t n = 0;
        for (start = 2; start < path.size() && n < 2; ++start) {
            if (paths::IsSeparator(path[start])) ++n;
        }
    } else if (path.size() >= 2 && path[1] == ':') {
        start = 3;
    } else {
        start = 1;
    }
    for (size_t i = start; i < path.size(); ++i) {
        if (!paths::IsSeparator(path[i])) continue;
        const std::string prefix = path.substr(0, i);
        if (!IsDirectory(prefix) && !CreateFolder(prefix)) return false;
    }
    return IsDirectory(path) || CreateFolder(path);
}

bool RemoveTree(const std::string& path) {
    if (path.empty()) return false;
    return RemoveTreeAt(WithoutTrailingSeparator(path));
}

std::string TempFolder() {
    char buffer[MAX_PATH + 2];
    const DWORD n = GetTempPathA(sizeof buffer, buffer);
    if (n == 0 || n >= sizeof buffer) return std::string();
    return paths::WithTrailingSeparator(std::string(buffer, n));
}

std::string CurrentFolder() {
    const DWORD n = GetCurrentDirectoryA(0, nullptr);
    if (n == 0) return std::string();
    std::vector<char> buffer(n + 1);
    const DWORD got = GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
    if (got == 0 || got >= buffer.size()) return std::string();
    return std::string(buffer.data(), got);
}

bool SetCurrentFolder(const std::string& path) { return !path.empty() && SetCurrentDirectoryA(path.c_str()) != 0; }

std::string ProgramFolder() {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD n = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return std::string();
        if (n < buffer.size()) return paths::FolderOf(std::string(buffer.data(), n));
        if (buffer.size() >= 32768) return std::string();
        buffer.resize(buffer.size() * 2);
    }
}

std::vector<FoundEntry> Find(const std::string& pattern) {
    std::vector<FoundEntry> found;
    if (pattern.empty()) return found;
    WIN32_FIND_DATAA data;
    FindHandle find(FindFirstFileA(pattern.c_str(), &data));
    if (!find.ok()) return found;
    do {
        if (IsDots(data.cFileName)) continue;
        FoundEntry entry;
        entry.name = data.cFileName;
        entry.isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        found.push_back(std::move(entry));
    } while (FindNextFileA(find.get(), &data));
    return found;
}

bool ReadAll(const std::string& path, std::vector<uint8_t>& out) {
    out.clear();
    if (path.empty()) return false;
    Handle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.ok()) return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
        static_cast<uint64_t>(size.QuadPart) > static_cast<uint64_t>(SIZE_MAX / 2))
        return false;
    out.resize(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (done < out.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(out.size() - done, 1u << 30));
        DWORD got = 0;
        if (!ReadFile(file.get(), out.data() + done, chunk, &got, nullptr)) {
            out.clear();
            return false;
        }
        if (got == 0) break;
        done += got;
    }
    out.resize(done);
    return true;
}

bool WriteAll(const std::string& path, const void* data, size_t size) {
    if (path.empty()) return false;
    if (IsReadOnly(path)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    Handle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.ok()) return false;
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file.get(), p, chunk, &written, nullptr) || written == 0) return false;
        p += written;
        size -= written;
    }
    return true;
}

}  // namespace mrw::files
