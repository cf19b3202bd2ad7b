#include "platform/DynamicLibrary.h"

#include <dlfcn.h>

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
    // A bare name ("librapi.so") goes through the loader's search.
    handle_ = nameOrPath.empty() ? nullptr : dlopen(nameOrPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* reason = nameOrPath.empty() ? nullptr : dlerror();
        error_ = reason ? reason : "no library named";
    }
    return handle_ != nullptr;
}

void* DynamicLibrary::Symbol(const char* name) const { return handle_ && name ? dlsym(handle_, name) : nullptr; }

void DynamicLibrary::Unload() {
    if (handle_) dlclose(handle_);
    handle_ = nullptr;
}

}  // namespace mrw::dynlib
