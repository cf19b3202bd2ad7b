// Files and folders on POSIX with the Windows behaviour the editor expects.
//
// Windows semantics that POSIX does not give by itself are enforced here:
// the read-only attribute is the owner's write bit and is honoured even when
// the process runs as root; names of existing files are matched without
// regard to ASCII case; '\' is accepted as a separator.
#include "platform/Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "base/AsciiText.h"
#include "platform/Paths.h"

namespace mrw::files {

namespace {

// Closes a file descriptor on every path.
class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    bool ok() const { return fd_ >= 0; }
    // Closes now and reports a failed close (lost write-back).
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int fd_;
};

class Dir {
public:
    explicit Dir(const std::string& path) : dir_(::opendir(path.empty() ? "." : path.c_str())) {}
    ~Dir() {
        if (dir_) ::closedir(dir_);
    }
    Dir(const Dir&) = delete;
    Dir& operator=(const Dir&) = delete;
    DIR* get() const { return dir_; }

private:
    DIR* dir_;
};

std::string Normalise(const std::string& path) {
    std::string p = path;
    std::replace(p.begin(), p.end(), '\\', '/');
    return p;
}

bool LStat(const std::string& path, struct stat& st) { return ::lstat(path.c_str(), &st) == 0; }
bool Stat(const std::string& path, struct stat& st) { return ::stat(path.c_str(), &st) == 0; }

// Find's order: by name without regard to case as NTFS orders (letters
// compare as upper case, so "_" comes after the letters), names that differ
// only in case in byte order, so that the order is the same on every run.
bool FindOrderLess(const std::string& a, const std::string& b) {
    const int byCase = ascii::CompareNoCase(a, b);
    return byCase != 0 ? byCase < 0 : a < b;
}

// The entry of `folder` ("" = current folder) whose name equals `name`
// ignoring ASCII case; the first in case-insensitive order when several do.
bool FindEntryNoCase(const std::string& folder, const std::string& name, std::string& found) {
    Dir dir(folder);
    if (!dir.get()) return false;
    bool any = false;
    while (struct dirent* e = ::readdir(dir.get())) {
        if (!ascii::EqualsNoCase(e->d_name, name)) continue;
        if (!any || e->d_name < found) found = e->d_name;
        any = true;
    }
    return any;
}

// Resolves a normalised path component by component; false when some
// component has no match at all.
bool ResolveParts(const std::string& path, std::string& out) {
    struct stat st;
    if (path.empty() || LStat(path, st)) {
        out = path;
        return !path.empty();
    }
    std::string current;
    size_t pos = 0;
    if (path[0] == '/') {
        current = "/";
        pos = 1;
    }
    while (pos <= path.size()) {
        size_t end = path.find('/', pos);
        if (end == std::string::npos) end = path.size();
        const std::string part = path.substr(pos, end - pos);
        const bool last = end == path.size();
        if (!part.empty()) {
            std::string candidate = current + part;
            if (part != "." && part != ".." && !LStat(candidate, st)) {
                std::string match;
                if (!FindEntryNoCase(current, part, match)) return false;
                candidate = current + match;
            }
            current = candidate;
            if (!last) current += '/';
        }
        pos = end + 1;
    }
    out = current;
    return true;
}

// The path under which a file that may not exist yet is created: the
// existing file when one matches, else the resolved parent folder plus the
// last component as written.
std::string ResolveForCreate(const std::string& path) {
    const std::string p = Normalise(path);
    std::string resolved;
    if (ResolveParts(p, resolved)) return resolved;
    const size_t slash = p.rfind('/');
    if (slash == std::string::npos) return p;
    std::string parent = p.substr(0, slash);
    if (parent.empty()) return p;  // "/name"
    std::string resolvedParent;
    if (!ResolveParts(parent, resolvedParent)) return p;
    return resolvedParent + p.substr(slash);
}

bool ModeReadOnly(mode_t mode) { return (mode & S_IWUSR) == 0; }

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

bool WriteFully(int fd, const void* data, size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Copies a regular file's content and attributes onto `to`, which must not be
// the source. A partly written target is removed on failure.
bool CopyContent(const std::string& from, const struct stat& srcStat, const std::string& to, bool exclusive) {
    Fd in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (!in.ok()) return false;
    Fd out(::open(to.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | (exclusive ? O_EXCL : O_TRUNC), 0666));
    if (!out.ok()) return false;
    bool ok = true;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(in.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            ok = false;
            break;
        }
        if (n == 0) break;
        if (!WriteFully(out.get(), buffer, static_cast<size_t>(n))) {
            ok = false;
            break;
        }
    }
    if (ok) {
        // The last-write time travels with the copy, as on Windows.
        struct timespec times[2] = {srcStat.st_atim, srcStat.st_mtim};
        ::futimens(out.get(), times);
        struct stat outStat;
        if (::fstat(out.get(), &outStat) == 0) {
            mode_t mode = outStat.st_mode & 07777;
            if (ModeReadOnly(srcStat.st_mode)) mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
            else mode |= S_IWUSR;
            ::fchmod(out.get(), mode);
        }
    }
    if (!out.Close()) ok = false;
    if (!ok) ::unlink(to.c_str());
    return ok;
}

bool RemoveTreeAt(const std::string& path) {
    struct stat st;
    if (!LStat(path, st)) return errno == ENOENT;
    if (!S_ISDIR(st.st_mode)) return ::unlink(path.c_str()) == 0 || errno == ENOENT;
    if ((st.st_mode & S_IRWXU) != S_IRWXU) ::chmod(path.c_str(), (st.st_mode & 07777) | S_IRWXU);
    std::vector<std::string> children;
    {
        Dir dir(path);
        if (!dir.get()) return false;
        while (struct dirent* e = ::readdir(dir.get())) {
            if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
            children.push_back(path + "/" + e->d_name);
        }
    }
    bool ok = true;
    for (const std::string& child : children) ok = RemoveTreeAt(child) && ok;
    return ::rmdir(path.c_str()) == 0 && ok;
}

// FindFirstFile's wildcard match: '*' any run, '?' one character, ASCII case ignored.
bool WildcardMatch(const char* pattern, const char* name) {
    const char* starPattern = nullptr;
    const char* starName = nullptr;
    while (*name) {
        if (*pattern == '*') {
            starPattern = ++pattern;
            starName = name;
        } else if (*pattern == '?' || (*pattern && ascii::ToLower(*pattern) == ascii::ToLower(*name))) {
            ++pattern;
            ++name;
        } else if (starPattern) {
            pattern = starPattern;
            name = ++starName;
        } else {
            return false;
        }
    }
    while (*pattern == '*') ++pattern;
    return *pattern == '\0';
}

}  // namespace

std::string Resolve(const std::string& path) {
    const std::string p = Normalise(path);
    std::string resolved;
    return ResolveParts(p, resolved) ? resolved : p;
}

bool Exists(const std::string& path) {
    struct stat st;
    return !path.empty() && Stat(Resolve(path), st);
}

bool IsFile(const std::string& path) {
    struct stat st;
    return !path.empty() && Stat(Resolve(path), st) && S_ISREG(st.st_mode);
}

bool IsDirectory(const std::string& path) {
    struct stat st;
    return !path.empty() && Stat(Resolve(path), st) && S_ISDIR(st.st_mode);
}

int64_t SizeOf(const std::string& path) {
    struct stat st;
    if (path.empty() || !Stat(Resolve(path), st) || S_ISDIR(st.st_mode)) return -1;
    return static_cast<int64_t>(st.st_size);
}

bool Copy(const std::string& from, const std::string& to, bool failIfExists) {
    if (from.empty() || to.empty()) return false;
    const std::string src = Resolve(from);
    struct stat srcStat;
    if (!Stat(src, srcStat) || !S_ISREG(srcStat.st_mode)) return false;
    const std::string dst = ResolveForCreate(to);
    struct stat dstStat;
    if (Stat(dst, dstStat)) {
        // An existing target must be an ordinary writable file other than the source.
        if (failIfExists || !S_ISREG(dstStat.st_mode) || ModeReadOnly(dstStat.st_mode)) return false;
        if (SameFile(srcStat, dstStat)) return false;
        return CopyContent(src, srcStat, dst, false);
    }
    return CopyContent(src, srcStat, dst, true);
}

bool Move(const std::string& from, const std::string& to) {
    if (from.empty() || to.empty()) return false;
    const std::string src = Resolve(from);
    struct stat srcStat;
    if (!LStat(src, srcStat)) return false;
    std::string dst = ResolveForCreate(to);
    struct stat dstStat;
    if (LStat(dst, dstStat)) {
        // Only a change of letter case of the same file is allowed onto an existing name.
        if (!SameFile(srcStat, dstStat)) return false;
        const std::string written = Normalise(to);
        const size_t slash = dst.rfind('/');
        const size_t writtenSlash = written.rfind('/');
        dst = dst.substr(0, slash == std::string::npos ? 0 : slash + 1) +
              written.substr(writtenSlash == std::string::npos ? 0 : writtenSlash + 1);
        if (dst == src) return true;
        return ::rename(src.c_str(), dst.c_str()) == 0;
    }
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, src.c_str(), AT_FDCWD, dst.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS && errno != EXDEV) return false;
    if (errno != EXDEV && ::rename(src.c_str(), dst.c_str()) == 0) return true;
#else
    if (::rename(src.c_str(), dst.c_str()) == 0) return true;
#endif
    if (errno != EXDEV || !S_ISREG(srcStat.st_mode)) return false;
    // Another file system: copy, then remove the source.
    if (!CopyContent(src, srcStat, dst, true)) return false;
    if (::unlink(src.c_str()) != 0) {
        ::unlink(dst.c_str());
        return false;
    }
    return true;
}

bool Replace(const std::string& from, const std::string& to, ReplaceMode mode) {
    if (from.empty() || to.empty()) return false;
    const std::string src = Resolve(from);
    struct stat srcStat;
    if (!Stat(src, srcStat) || !S_ISREG(srcStat.st_mode)) return false;
    const std::string dst = ResolveForCreate(to);
    struct stat dstStat;
    if (Stat(dst, dstStat)) {
        if (!S_ISREG(dstStat.st_mode) || ModeReadOnly(dstStat.st_mode)) return false;
        if (SameFile(srcStat, dstStat)) return true;
    }
    const bool flushed = mode == ReplaceMode::kFlushed;
    // The new content must be on disk before the name points at it.
    if (flushed) {
        Fd fd(::open(src.c_str(), O_RDONLY | O_CLOEXEC));
        if (fd.ok()) ::fsync(fd.get());
    }
    if (::rename(src.c_str(), dst.c_str()) != 0) return false;
    if (!flushed) return true;
    const size_t slash = dst.rfind('/');
    Fd folder(::open(slash == std::string::npos ? "." : (slash == 0 ? "/" : dst.substr(0, slash).c_str()),
                     O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.ok()) ::fsync(folder.get());
    return true;
}

bool Delete(const std::string& path) {
    if (path.empty()) return false;
    const std::string p = Resolve(path);
    struct stat st;
    if (!LStat(p, st) || S_ISDIR(st.st_mode)) return false;
    if (!S_ISLNK(st.st_mode) && ModeReadOnly(st.st_mode)) return false;
    return ::unlink(p.c_str()) == 0;
}

bool IsReadOnly(const std::string& path) {
    struct stat st;
    return !path.empty() && Stat(Resolve(path), st) && ModeReadOnly(st.st_mode);
}

bool SetReadOnly(const std::string& path, bool readOnly) {
    if (path.empty()) return false;
    const std::string p = Resolve(path);
    struct stat st;
    if (!Stat(p, st)) return false;
    mode_t mode = st.st_mode & 07777;
    if (readOnly) mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
    else mode |= S_IWUSR;
    return ::chmod(p.c_str(), mode) == 0;
}

bool CreateFolder(const std::string& path) {
    std::string p = Normalise(path);
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    if (p.empty()) return false;
    p = ResolveForCreate(p);
    if (::mkdir(p.c_str(), 0777) == 0) return true;
    struct stat st;
    return Stat(p, st) && S_ISDIR(st.st_mode);
}

bool CreateNewFolder(const std::string& path) {
    std::string p = Normalise(path);
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    if (p.empty()) return false;
    return ::mkdir(ResolveForCreate(p).c_str(), 0777) == 0;
}

bool CreateFolders(const std::string& path) {
    const std::string p = Normalise(path);
    if (p.empty()) return false;
    for (size_t pos = p.find('/', 1); pos != std::string::npos; pos = p.find('/', pos + 1)) {
        const std::string prefix = p.substr(0, pos);
        if (prefix.empty() || prefix.back() == '/') continue;
        if (!IsDirectory(prefix) && !CreateFolder(prefix)) return false;
    }
    return IsDirectory(p) || CreateFolder(p);
}

bool RemoveTree(const std::string& path) {
    if (path.empty()) return false;
    std::string p = Resolve(path);
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    return RemoveTreeAt(p);
}

std::string TempFolder() {
    const char* env = std::getenv("TMPDIR");
    std::string folder = (env && *env) ? env : "/tmp";
    if (folder.back() != '/') folder += '/';
    return folder;
}

std::string CurrentFolder() {
    std::vector<char> buffer(4096);
    for (;;) {
        if (::getcwd(buffer.data(), buffer.size())) return std::string(buffer.data());
        if (errno != ERANGE || buffer.size() > (1u << 20)) return std::string();
        buffer.resize(buffer.size() * 2);
    }
}

bool SetCurrentFolder(const std::string& path) { return !path.empty() && ::chdir(Resolve(path).c_str()) == 0; }

std::string ProgramFolder() {
    std::vector<char> buffer(4096);
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (n <= 0) return paths::WithTrailingSeparator(CurrentFolder());
    return paths::FolderOf(std::string(buffer.data(), static_cast<size_t>(n)));
}

std::vector<FoundEntry> Find(const std::string& pattern) {
    std::vector<FoundEntry> found;
    const std::string p = Normalise(pattern);
    const size_t slash = p.rfind('/');
    const std::string mask = slash == std::string::npos ? p : p.substr(slash + 1);
    if (mask.empty()) return found;
    std::string folder;
    if (slash != std::string::npos) {
        folder = slash == 0 ? "/" : Resolve(p.substr(0, slash));
        if (folder.back() != '/') folder += '/';
    }
    // "*.*" is every name, also those without a dot, as on Windows.
    const bool all = mask == "*.*" || mask == "*";
    Dir dir(folder);
    if (!dir.get()) return found;
    while (struct dirent* e = ::readdir(dir.get())) {
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
        if (!all && !WildcardMatch(mask.c_str(), e->d_name)) continue;
        FoundEntry entry;
        entry.name = e->d_name;
        struct stat st;
        entry.isDirectory = Stat(folder + entry.name, st) && S_ISDIR(st.st_mode);
        found.push_back(std::move(entry));
    }
    std::sort(found.begin(), found.end(),
              [](const FoundEntry& a, const FoundEntry& b) { return FindOrderLess(a.name, b.name); });
    return found;
}

bool ReadAll(const std::string& path, std::vector<uint8_t>& out) {
    out.clear();
    if (path.empty()) return false;
    Fd fd(::open(Resolve(path).c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.ok()) return false;
    struct stat st;
    if (::fstat(fd.get(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    uint8_t buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            out.clear();
            return false;
        }
        if (n == 0) return true;
        out.insert(out.end(), buffer, buffer + n);
    }
}

bool WriteAll(const std::string& path, const void* data, size_t size) {
    if (path.empty()) return false;
    const std::string p = ResolveForCreate(path);
    struct stat st;
    if (Stat(p, st) && (!S_ISREG(st.st_mode) || ModeReadOnly(st.st_mode))) return false;
    Fd fd(::open(p.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (!fd.ok()) return false;
    if (size > 0 && !WriteFully(fd.get(), data, size)) return false;
    return fd.Close();
}

}  // namespace mrw::files
