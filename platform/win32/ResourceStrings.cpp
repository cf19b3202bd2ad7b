// Resource texts from the string table of "MorwenRes.dll" in the program
// folder. The library is loaded once, as data only, and kept for the life of
// the process; when it or one of its strings is missing the compiled-in table
// answers instead.
#include <windows.h>

#include "editor/resources/CompiledStrings.h"
#include "platform/Files.h"
#include "platform/ResourceText.h"

namespace mrw {

namespace {

class ResourceLibrary {
public:
    ResourceLibrary() {
        const std::string path = files::ProgramFolder() + "MorwenRes.dll";
        module_ = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }
    ~ResourceLibrary() {
        if (module_) FreeLibrary(module_);
    }
    ResourceLibrary(const ResourceLibrary&) = delete;
    ResourceLibrary& operator=(const ResourceLibrary&) = delete;
    HMODULE get() const { return module_; }

private:
    HMODULE module_ = nullptr;
};

std::string CompiledText(int id) {
    const char* text = LookupCompiledString(id);
    return text ? std::string(text) : std::string();
}

}  // namespace

std::string LoadResourceString(int id) {
    static const ResourceLibrary library;
    if (library.get() && id >= 0 && id <= 0xFFFF) {
        // A string table entry holds at most 4097 characters.
        char buffer[4100];
        const int n = LoadStringA(library.get(), static_cast<UINT>(id), buffer, sizeof buffer);
        if (n > 0) return std::string(buffer, static_cast<size_t>(n));
    }
    return CompiledText(id);
}

}  // namespace mrw
