// Loading a library at run time (LoadLibraryA / dlopen), finding its exported
// functions by name and unloading it. The handle is owned: the library is
// unloaded when the object goes away.
#pragma once
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
    void Unload();
    const std::string& Error() const { return error_; }

private:
    void* handle_ = nullptr;
    std::string error_;
};

}  // namespace mrw::dynlib
