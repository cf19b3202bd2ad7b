#include "platform/DynamicLibrary.h"

#include <windows.h>

namespace mrw::dynlib {

DynamicLibrary& DynamicLibrary::operator=(DynamicLibrary&& other) noexcept {
    if (this != &other) {
        Unload();
        handle_ = other.handle_;
        other.handle_ = nullptr;
    }
    return *this;
}

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

void DynamicLibrary::Unload() {
    if (handle_) FreeLibrary(static_cast<HMODULE>(handle_));
    handle_ = nullptr;
}

}  // namespace mrw::dynlib
