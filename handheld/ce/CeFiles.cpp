// The file calls over the booted device's file system. Handles are objects
// of this library, valid only on the device that made them.
#include <algorithm>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "handheld/ce/Boot.h"
#include "handheld/ce/Ce.h"
#include "handheld/device/Device.h"
#include "handheld/device/FileSystem.h"

namespace mrw::ce {

void CloseRegistryHandles();  // CeRegistry.cpp

namespace {

constexpr DWORD kFilenameTooLong = 206;

struct FileHandle {
    device::Device* device;
    device::FileSystem::FileId id;
};
struct FindHandle {
    device::Device* device;
    std::vector<device::FoundFile> found;
    size_t next = 0;
};

std::mutex handlesMutex;
std::set<FileHandle*> fileHandles;
std::set<FindHandle*> findHandles;

device::FileSystem& Files() { return BootedDevice().Files(); }

// A handheld path from the caller: false (with the error set) when null or too long.
bool TakePath(LPCWSTR path, std::u16string& out) {
    if (!path) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    size_t length = 0;
    while (path[length] != 0) {
        if (++length >= MAX_PATH) {
            SetLastError(kFilenameTooLong);
            return false;
        }
    }
    out.assign(path, length);
    return true;
}

BOOL Result(uint32_t error) {
    SetLastError(error);
    return error == 0 ? TRUE : FALSE;
}

// The file behind a handle of this device (copied, so that a close on
// another thread cannot pull it away), or false with the error set.
bool LookUpFile(HANDLE handle, FileHandle& file) {
    std::lock_guard<std::mutex> lock(handlesMutex);
    auto* h = static_cast<FileHandle*>(handle);
    if (fileHandles.count(h) == 0 || h->device != &BootedDevice()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    file = *h;
    return true;
}

void SplitTime(uint64_t time, FILETIME* out) {
    if (!out) return;
    out->dwLowDateTime = static_cast<DWORD>(time);
    out->dwHighDateTime = static_cast<DWORD>(time >> 32);
}

void Fill(const device::FoundFile& f, WIN32_FIND_DATAW* data) {
    *data = WIN32_FIND_DATAW{};
    data->dwFileAttributes = f.attributes;
    SplitTime(f.lastWrite, &data->ftCreationTime);
    SplitTime(f.lastWrite, &data->ftLastAccessTime);
    SplitTime(f.lastWrite, &data->ftLastWriteTime);
    data->nFileSizeHigh = static_cast<DWORD>(f.size >> 32);
    data->nFileSizeLow = static_cast<DWORD>(f.size);
    const size_t n = std::min<size_t>(f.name.size(), MAX_PATH - 1);
    std::copy(f.name.begin(), f.name.begin() + static_cast<std::ptrdiff_t>(n), data->cFileName);
    data->cFileName[n] = 0;
}

}  // namespace

HANDLE CreateFileW(LPCWSTR fileName, DWORD access, DWORD shareMode, void*, DWORD creationDisposition,
                   DWORD flagsAndAttributes, HANDLE) {
    std::u16string path;
    if (!TakePath(fileName, path)) return INVALID_HANDLE_VALUE;
    device::Device& dev = BootedDevice();
    device::FileSystem::FileId id = 0;
    bool existed = false;
    const uint32_t error = dev.Files().Open(path, access, shareMode, creationDisposition, flagsAndAttributes, id,
                                            existed);
    if (error != 0) {
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    }
    auto* handle = new FileHandle{&dev, id};
    {
        std::lock_guard<std::mutex> lock(handlesMutex);
        fileHandles.insert(handle);
    }
    // OPEN_ALWAYS and CREATE_ALWAYS tell their caller that the file was there.
    SetLastError(existed && (creationDisposition == OPEN_ALWAYS || creationDisposition == CREATE_ALWAYS)
                     ? ERROR_ALREADY_EXISTS
                     : ERROR_SUCCESS);
    return handle;
}

bool CloseFileHandle(HANDLE handle) {
    FileHandle* h = nullptr;
    {
        std::lock_guard<std::mutex> lock(handlesMutex);
        auto it = fileHandles.find(static_cast<FileHandle*>(handle));
        if (it == fileHandles.end()) return false;
        h = *it;
        fileHandles.erase(it);
    }
    if (h->device == &BootedDevice()) h->device->Files().Close(h->id);
    delete h;
    SetLastError(ERROR_SUCCESS);
    return true;
}

void CloseDeviceHandles() {
    std::set<FileHandle*> files;
    std::set<FindHandle*> finds;
    {
        std::lock_guard<std::mutex> lock(handlesMutex);
        files.swap(fileHandles);
        finds.swap(findHandles);
    }
    device::Device* current = files.empty() ? nullptr : &BootedDevice();
    for (FileHandle* h : files) {
        if (h->device == current) current->Files().Close(h->id);
        delete h;
    }
    for (FindHandle* h : finds) delete h;
    CloseRegistryHandles();
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, void*) {
    if (read) *read = 0;
    FileHandle h{};
    if (!LookUpFile(file, h)) return FALSE;
    if (!buffer && toRead > 0) return Result(ERROR_INVALID_PARAMETER);
    uint32_t done = 0;
    const uint32_t error = Files().Read(h.id, buffer, toRead, done);
    if (read) *read = done;
    return Result(error);
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written, void*) {
    if (written) *written = 0;
    FileHandle h{};
    if (!LookUpFile(file, h)) return FALSE;
    if (!buffer && toWrite > 0) return Result(ERROR_INVALID_PARAMETER);
    uint32_t done = 0;
    const uint32_t error = Files().Write(h.id, buffer, toWrite, done);
    if (written) *written = done;
    return Result(error);
}

DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh) {
    FileHandle h{};
    if (!LookUpFile(file, h)) return INVALID_FILE_SIZE;
    uint64_t size = 0;
    if (const uint32_t error = Files().GetSize(h.id, size)) {
        SetLastError(error);
        return INVALID_FILE_SIZE;
    }
    if (sizeHigh) *sizeHigh = static_cast<DWORD>(size >> 32);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(size);
}

DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD moveMethod) {
    FileHandle h{};
    if (!LookUpFile(file, h)) return INVALID_SET_FILE_POINTER;
    // Without a high part the distance is a signed 32-bit number.
    const int64_t move = distanceHigh ? static_cast<int64_t>((static_cast<uint64_t>(static_cast<uint32_t>(*distanceHigh))
                                                              << 32) |
                                                             static_cast<uint32_t>(distance))
                                      : static_cast<int64_t>(distance);
    uint64_t position = 0;
    if (const uint32_t error = Files().Seek(h.id, move, moveMethod, position)) {
        SetLastError(error);
        return INVALID_SET_FILE_POINTER;
    }
    if (distanceHigh) {
        *distanceHigh = static_cast<LONG>(position >> 32);
    } else if (position > 0xFFFFFFFEu) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(position);
}

BOOL SetEndOfFile(HANDLE file) {
    FileHandle h{};
    if (!LookUpFile(file, h)) return FALSE;
    return Result(Files().Truncate(h.id));
}

BOOL GetFileTime(HANDLE file, FILETIME* creation, FILETIME* lastAccess, FILETIME* lastWrite) {
    FileHandle h{};
    if (!LookUpFile(file, h)) return FALSE;
    uint64_t time = 0;
    if (const uint32_t error = Files().GetTime(h.id, time)) return Result(error);
    SplitTime(time, creation);
    SplitTime(time, lastAccess);
    SplitTime(time, lastWrite);
    return Result(ERROR_SUCCESS);
}

BOOL SetFileTime(HANDLE file, const FILETIME*, const FILETIME*, const FILETIME* lastWrite) {
    FileHandle h{};
    if (!LookUpFile(file, h)) return FALSE;
    // The host keeps one time per file: the last write.
    if (!lastWrite) return Result(ERROR_SUCCESS);
    const uint64_t time = (static_cast<uint64_t>(lastWrite->dwHighDateTime) << 32) | lastWrite->dwLowDateTime;
    return Result(Files().SetTime(h.id, time));
}

DWORD GetFileAttributesW(LPCWSTR fileName) {
    std::u16string path;
    if (!TakePath(fileName, path)) return INVALID_FILE_ATTRIBUTES;
    uint32_t attributes = 0;
    if (const uint32_t error = Files().GetAttributes(path, attributes)) {
        SetLastError(error);
        return INVALID_FILE_ATTRIBUTES;
    }
    SetLastError(ERROR_SUCCESS);
    return attributes;
}

BOOL SetFileAttributesW(LPCWSTR fileName, DWORD attributes) {
    std::u16string path;
    if (!TakePath(fileName, path)) return FALSE;
    return Result(Files().SetAttributes(path, attributes));
}

BOOL DeleteFileW(LPCWSTR fileName) {
    std::u16string path;
    if (!TakePath(fileName, path)) return FALSE;
    return Result(Files().Delete(path));
}

BOOL MoveFileW(LPCWSTR existingName, LPCWSTR newName) {
    std::u16string from, to;
    if (!TakePath(existingName, from) || !TakePath(newName, to)) return FALSE;
    return Result(Files().Move(from, to));
}

BOOL CopyFileW(LPCWSTR existingName, LPCWSTR newName, BOOL failIfExists) {
    std::u16string from, to;
    if (!TakePath(existingName, from) || !TakePath(newName, to)) return FALSE;
    return Result(Files().Copy(from, to, failIfExists != FALSE));
}

BOOL CreateDirectoryW(LPCWSTR pathName, void*) {
    std::u16string path;
    if (!TakePath(pathName, path)) return FALSE;
    return Result(Files().CreateFolder(path));
}

BOOL RemoveDirectoryW(LPCWSTR pathName) {
    std::u16string path;
    if (!TakePath(pathName, path)) return FALSE;
    return Result(Files().RemoveFolder(path));
}

HANDLE FindFirstFileW(LPCWSTR pattern, WIN32_FIND_DATAW* findData) {
    std::u16string path;
    if (!TakePath(pattern, path)) return INVALID_HANDLE_VALUE;
    if (!findData) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    device::Device& dev = BootedDevice();
    auto handle = std::make_unique<FindHandle>();
    handle->device = &dev;
    if (const uint32_t error = dev.Files().Find(path, handle->found)) {
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    }
    Fill(handle->found[0], findData);
    handle->next = 1;
    FindHandle* raw = handle.release();
    {
        std::lock_guard<std::mutex> lock(handlesMutex);
        findHandles.insert(raw);
    }
    SetLastError(ERROR_SUCCESS);
    return raw;
}

BOOL FindNextFileW(HANDLE find, WIN32_FIND_DATAW* findData) {
    std::lock_guard<std::mutex> lock(handlesMutex);
    auto* h = static_cast<FindHandle*>(find);
    if (findHandles.count(h) == 0 || h->device != &BootedDevice()) return Result(ERROR_INVALID_HANDLE);
    if (!findData) return Result(ERROR_INVALID_PARAMETER);
    if (h->next >= h->found.size()) return Result(ERROR_NO_MORE_FILES);
    Fill(h->found[h->next++], findData);
    return Result(ERROR_SUCCESS);
}

BOOL FindClose(HANDLE find) {
    std::lock_guard<std::mutex> lock(handlesMutex);
    auto it = findHandles.find(static_cast<FindHandle*>(find));
    if (it == findHandles.end()) return Result(ERROR_INVALID_HANDLE);
    delete *it;
    findHandles.erase(it);
    return Result(ERROR_SUCCESS);
}

}  // namespace mrw::ce
