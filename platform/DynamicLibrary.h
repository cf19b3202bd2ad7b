// Loading a library at run time (LoadLibraryA / dlopen), finding its exported
// functions by name and unloading it. The handle is owned: the library is
// unloaded when the object goes away.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace mrw::dynlib {

class DynamicLibrary {
public:
    DynamicLibrary() = default;
    ~DynamicLibrary() { Unload(); }
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;
    DynamicLibrary(DynamicLibrary&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
    DynamicLibrary& operator=(DynamicLibrary&& other) noexcept;

    // Loads a library by path, or by bare name through the loader's search
    // (the program folder and PATH on Windows, LD_LIBRARY_PATH and the system
    // folders natively). Unloads what was loaded before. False when nothing
    // could be loaded; Error() then says why.
    bool Load(const std::string& nameOrPath);
    bool IsLoaded() const { return handle_ != nullptr; }
    // The exported function or data of that name; null when absent or not loaded.
    void* Symbol(const char* name) const;
    // The function exported under an ordinal (Windows export tables only;
    // null natively, where libraries have no ordinals).
    void* SymbolByOrdinal(unsigned ordinal) const;
    // A named RCDATA resource of the library (Windows only; false natively).
    bool Resource(const char* name, const std::uint8_t*& data, std::size_t& size) const;
    // The loader's own handle (the module handle on Windows).
    void* Handle() const { return handle_; }
    // True where the system's loader runs a library's entry point itself
    // (DllMain on Windows); natively a library's user calls it.
    static bool LoaderRunsEntryPoint();
    // The folder, ending in a separator, of the program or library holding
    // this address (a library finds the files that lie beside it); empty
    // when unknown.
    static std::string FolderOf(const void* address);
    void Unload();
    const std::string& Error() const { return error_; }

private:
    void* handle_ = nullptr;
    std::string error_;
};

}  // namespace mrw::dynlib
