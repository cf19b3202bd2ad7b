#include "platform/DynamicLibrary.h"

#include <windows.h>

namespace mrw::dynlib {

bool DynamicLibrary::Load(const std::string& nameOrPath) {
    Unload();
    error_.clear();
    if (nameOrPath.empty()) {
        error_ = "no library named";
        return false;
    }
    // No error box for a missing or broken library: the caller reports it.
    UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    handle_ = LoadLibraryA(nameOrPath.c_str());
    DWORD error = GetLastError();
    SetErrorMode(previous);
    if (!handle_) error_ = "cannot load " + nameOrPath + " (error " + std::to_string(error) + ")";
    return handle_ != nullptr;
}

void* DynamicLibrary::Symbol(const char* name) const {
    if (!handle_ || !name) return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

void* DynamicLibrary::SymbolByOrdinal(unsigned ordinal) const {
    if (!handle_ || ordinal == 0 || ordinal > 0xFFFF) return nullptr;
    return reinterpret_cast<void*>(
        GetProcAddress(static_cast<HMODULE>(handle_), MAKEINTRESOURCEA(static_cast<WORD>(ordinal))));
}

bool DynamicLibrary::Resource(const char* name, const std::uint8_t*& data, std::size_t& size) const {
    if (!handle_ || !name) return false;
    HMODULE module = static_cast<HMODULE>(handle_);
    HRSRC found = FindResourceA(module, name, MAKEINTRESOURCEA(10));  // RT_RCDATA
    if (!found) return false;
    HGLOBAL loaded = LoadResource(module, found);
    if (!loaded) return false;
    data = static_cast<const std::uint8_t*>(LockResource(loaded));
    size = SizeofResource(module, found);
    return data != nullptr;
}

bool DynamicLibrary::LoaderRunsEntryPoint() { return true; }

std::string DynamicLibrary::FolderOf(const void* address) {
    HMODULE module = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<LPCSTR>(address), &module))
        return "";
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(module, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return "";
    const std::string text(path, n);
    const size_t slash = text.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : text.substr(0, slash + 1);
}

void DynamicLibrary::Unload() {
    if (handle_) FreeLibrary(static_cast<HMODULE>(handle_));
    handle_ = nullptr;
}

}  // namespace mrw::dynlib
