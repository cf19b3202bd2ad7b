#include "platform/DynamicLibrary.h"

#include <dlfcn.h>

namespace mrw::dynlib {

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

void* DynamicLibrary::SymbolByOrdinal(unsigned) const { return nullptr; }

bool DynamicLibrary::Resource(const char*, const std::uint8_t*&, std::size_t&) const { return false; }

bool DynamicLibrary::LoaderRunsEntryPoint() { return false; }

std::string DynamicLibrary::FolderOf(const void* address) {
    Dl_info info{};
    if (::dladdr(address, &info) == 0 || info.dli_fname == nullptr) return "";
    const std::string path = info.dli_fname;
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

void DynamicLibrary::Unload() {
    if (handle_) dlclose(handle_);
    handle_ = nullptr;
}

}  // namespace mrw::dynlib
