#include "handheld/ce/NativeLibrary.h"

#if defined(_WIN32)
#include <windows.h>

#include "base/TextEncoding.h"
#else
#include <dlfcn.h>
#endif

namespace mrw::ce::native {

#if defined(_WIN32)

void* Load(const std::string& path, std::string& error) {
    std::u16string wide = mrw::text::Utf8ToUtf16(path);
    // No error boxes for a file that is no library.
    UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE module = LoadLibraryExW(reinterpret_cast<LPCWSTR>(wide.c_str()), nullptr, 0);
    SetErrorMode(previous);
    if (!module) error = "not a library (error " + std::to_string(GetLastError()) + ")";
    return module;
}

void Unload(void* library) { FreeLibrary(static_cast<HMODULE>(library)); }

void* Symbol(void* library, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void* Ordinal(void* library, unsigned ordinal) {
    if (ordinal == 0 || ordinal > 0xFFFF) return nullptr;
    return reinterpret_cast<void*>(
        GetProcAddress(static_cast<HMODULE>(library), MAKEINTRESOURCEA(static_cast<WORD>(ordinal))));
}

bool Resources(void* library, const std::uint8_t*& data, std::size_t& size) {
    HMODULE module = static_cast<HMODULE>(library);
    HRSRC found = FindResourceW(module, L"MRWCE", MAKEINTRESOURCEW(10));  // RT_RCDATA
    if (!found) return false;
    HGLOBAL loaded = LoadResource(module, found);
    if (!loaded) return false;
    data = static_cast<const std::uint8_t*>(LockResource(loaded));
    size = SizeofResource(module, found);
    return data != nullptr;
}

bool LoaderCallsEntry() { return true; }

#else

void* Load(const std::string& path, std::string& error) {
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* reason = dlerror();
        error = reason ? reason : "not a library";
    }
    return library;
}

void Unload(void* library) { dlclose(library); }

void* Symbol(void* library, const char* name) { return dlsym(library, name); }

void* Ordinal(void* library, unsigned ordinal) {
    // MRW_CE_ORDINAL_EXPORT leaves a pointer to the function under this name.
    std::string name = "mrw_ce_ordinal_" + std::to_string(ordinal);
    void* const* slot = static_cast<void* const*>(dlsym(library, name.c_str()));
    return slot ? *slot : nullptr;
}

bool Resources(void* library, const std::uint8_t*& data, std::size_t& size) {
    auto* bytes = static_cast<const std::uint8_t*>(dlsym(library, "mrw_ce_resource_data"));
    auto* length = static_cast<const std::uint32_t*>(dlsym(library, "mrw_ce_resource_size"));
    if (!bytes || !length) return false;
    data = bytes;
    size = *length;
    return true;
}

bool LoaderCallsEntry() { return false; }

#endif

}  // namespace mrw::ce::native
