// The registry calls over the booted device's registry. An opened key is an
// object of this library naming its root and path; every change is written
// to the device's registry file at once, so a crash loses nothing.
#include <algorithm>
#include <cstring>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "handheld/ce/Boot.h"
#include "handheld/ce/Ce.h"
#include "handheld/device/Device.h"
#include "handheld/device/Registry.h"

namespace mrw::ce {

void CloseRegistryHandles();

namespace {

struct KeyHandle {
    device::Device* device;
    device::RegRoot root;
    std::u16string path;
};

std::mutex keysMutex;
std::set<KeyHandle*> keyHandles;

// The root and path a key handle names; false (an error code set) for an invalid one.
bool LookUpKey(HKEY key, device::RegRoot& root, std::u16string& path, LONG& error) {
    const auto value = reinterpret_cast<std::uintptr_t>(key);
    if (value >= 0x80000000u && value <= 0x80000003u) {
        root = static_cast<device::RegRoot>(value - 0x80000000u);
        path.clear();
        return true;
    }
    std::lock_guard<std::mutex> lock(keysMutex);
    auto* h = reinterpret_cast<KeyHandle*>(key);
    if (keyHandles.count(h) == 0 || h->device != &BootedDevice()) {
        error = static_cast<LONG>(ERROR_INVALID_HANDLE);
        return false;
    }
    root = h->root;
    path = h->path;
    return true;
}

std::u16string Text(LPCWSTR text) {
    if (!text) return std::u16string();
    size_t n = 0;
    while (text[n] != 0) ++n;
    return std::u16string(text, n);
}

std::u16string SubPath(const std::u16string& base, LPCWSTR subKey) {
    const std::u16string sub = Text(subKey);
    if (base.empty()) return sub;
    if (sub.empty()) return base;
    return base + u"\\" + sub;
}

HKEY NewHandle(device::RegRoot root, const std::u16string& path) {
    auto* h = new KeyHandle{&BootedDevice(), root, path};
    std::lock_guard<std::mutex> lock(keysMutex);
    keyHandles.insert(h);
    return reinterpret_cast<HKEY>(h);
}

// Writes the change through; a failed write is reported by the next save.
void Persist() {
    std::string error;
    BootedDevice().SaveIfChanged(error);
}

// Copies a name into a caller's buffer of `*size` characters (with the zero):
// ERROR_MORE_DATA when it does not fit; the length without the zero otherwise.
LONG PutName(const std::u16string& name, LPWSTR buffer, LPDWORD size) {
    if (!size) return static_cast<LONG>(ERROR_INVALID_PARAMETER);
    if (!buffer || *size < name.size() + 1) return static_cast<LONG>(ERROR_MORE_DATA);
    std::copy(name.begin(), name.end(), buffer);
    buffer[name.size()] = 0;
    *size = static_cast<DWORD>(name.size());
    return ERROR_SUCCESS;
}

// The value's data into a caller's buffer: its size always, the bytes when they fit.
LONG PutData(const device::RegValue& value, LPDWORD type, LPBYTE data, LPDWORD dataSize) {
    if (type) *type = value.type;
    const DWORD needed = static_cast<DWORD>(value.data.size());
    if (data && !dataSize) return static_cast<LONG>(ERROR_INVALID_PARAMETER);
    if (!dataSize) return ERROR_SUCCESS;
    if (!data) {
        *dataSize = needed;
        return ERROR_SUCCESS;
    }
    if (*dataSize < needed) {
        *dataSize = needed;
        return static_cast<LONG>(ERROR_MORE_DATA);
    }
    if (needed > 0) std::memcpy(data, value.data.data(), needed);
    *dataSize = needed;
    return ERROR_SUCCESS;
}

}  // namespace

void CloseRegistryHandles() {
    std::set<KeyHandle*> keys;
    {
        std::lock_guard<std::mutex> lock(keysMutex);
        keys.swap(keyHandles);
    }
    for (KeyHandle* h : keys) delete h;
}

LONG RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD, REGSAM, PHKEY result) {
    if (!result) return static_cast<LONG>(ERROR_INVALID_PARAMETER);
    *result = nullptr;
    device::RegRoot root;
    std::u16string path;
    LONG error = 0;
    if (!LookUpKey(key, root, path, error)) return error;
    path = SubPath(path, subKey);
    if (!BootedDevice().Reg().KeyExists(root, path)) return static_cast<LONG>(ERROR_FILE_NOT_FOUND);
    *result = NewHandle(root, path);
    return ERROR_SUCCESS;
}

LONG RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD, LPWSTR, DWORD, REGSAM, void*, PHKEY result,
                     LPDWORD disposition) {
    if (!result) return static_cast<LONG>(ERROR_INVALID_PARAMETER);
    *result = nullptr;
    device::RegRoot root;
    std::u16string path;
    LONG error = 0;
    if (!LookUpKey(key, root, path, error)) return error;
    path = SubPath(path, subKey);
    bool created = false;
    if (const uint32_t e = BootedDevice().Reg().CreateKey(root, path, &created)) return static_cast<LONG>(e);
    Persist();
    if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    *result = NewHandle(root, path);
    return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key) {
    const auto value = reinterpret_cast<std::uintptr_t>(key);
    if (value >= 0x80000000u && value <= 0x80000003u) return ERROR_SUCCESS;
    std::lock_guard<std::mutex> lock(keysMutex);
    auto it = keyHandles.find(reinterpret_cast<KeyHandle*>(key));
    if (it == keyHandles.end()) return static_cast<LONG>(ERROR_INVALID_HANDLE);
    delete *it;
    keyHandles.erase(it);
    return ERROR_SUCCESS;
}

LONG RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD dataSize) {
    device::RegRoot root;
    std::u16string path;
    LONG error = 0;
    if (!LookUpKey(key, root, path, error)) return error;
    device::RegValue value;
    if (const uint32_t e = BootedDevice().Reg().QueryValue(root, path, Text(valueName), value))
        return static_cast<LONG>(e);
    return PutData(value, type, data, dataSize);
}

LONG RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD, DWORD type, const BYTE* data, DWORD dataSize) {
    device::RegRoot root;
    std::u16string path;
    LONG error = 0;
    if (!LookUpKey(key, root, path, error)) return error;
    if (!data && dataSize > 0) return static_cast<LONG>(ERROR_INVALID_PARAMETER);
    // Stored as given: a text value's size counts its terminating zero when the caller counted it.
    std::vector<uint8_t> bytes(data, data + (data ? dataSize : 0));
    if (const uint32_t e = BootedDevice().Reg().SetValue(root, path, Text(valueName), type, bytes))
        return static_cast<LONG>(e);
    Persist();
    return ERROR_SUCCESS;
}

LONG RegDeleteValueW(HKEY key, LPCWSTR valueName) {
    device::RegRoot root;
    std::u16string path;
    LONG error = 0;
    if (!LookUpKey(key, root, path, error)) return error;
    if (const uint32_t e = BootedDevice().Reg().DeleteValue(root, path, Text(valueName))) return static_cast<LONG>(e);
    Persist();
    return ERROR_SUCCESS;
}

LONG RegDeleteKeyW(HKEY key, LPCWSTR subKey) {
    device::RegRoot root;
    std::u16string path;
    LONG error = 0;
    if (!LookUpKey(key, root, path, error)) return error;
    path = SubPath(path, subKey);
    if (const uint32_t e = BootedDevice().Reg().DeleteKey(root, path)) return static_cast<LONG>(e);
    Persist();
    return ERROR_SUCCESS;
}

LONG RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameSize, LPDWORD, LPWSTR className,
                   LPDWORD classSize, FILETIME* lastWrite) {
    device::RegRoot root;
    std::u16string path;
    LONG error = 0;
    if (!LookUpKey(key, root, path, error)) return error;
    std::u16string subKey;
    if (const uint32_t e = BootedDevice().Reg().EnumKey(root, path, index, subKey)) return static_cast<LONG>(e);
    if (const LONG e = PutName(subKey, name, nameSize)) return e;
    if (className && classSize && *classSize > 0) className[0] = 0;
    if (classSize) *classSize = 0;
    if (lastWrite) *lastWrite = FILETIME{0, 0};
    return ERROR_SUCCESS;
}

LONG RegEnumValueW(HKEY key, DWORD index, LPWSTR valueName, LPDWORD valueNameSize, LPDWORD, LPDWORD type,
                   LPBYTE data, LPDWORD dataSize) {
    device::RegRoot root;
    std::u16string path;
    LONG error = 0;
    if (!LookUpKey(key, root, path, error)) return error;
    device::RegValue value;
    if (const uint32_t e = BootedDevice().Reg().EnumValue(root, path, index, value)) return static_cast<LONG>(e);
    if (const LONG e = PutName(value.name, valueName, valueNameSize)) return e;
    return PutData(value, type, data, dataSize);
}

}  // namespace mrw::ce
