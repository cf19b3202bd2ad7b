// The string table of a resource library in the program folder, loaded as
// data only (no code runs) and freed with the table.
#include <windows.h>

#include "platform/Files.h"
#include "platform/ResourceText.h"

namespace mrw {

namespace {

class LibraryTable : public ResourceTable {
public:
    explicit LibraryTable(HMODULE module) : module_(module) {}
    ~LibraryTable() override { FreeLibrary(module_); }
    LibraryTable(const LibraryTable&) = delete;
    LibraryTable& operator=(const LibraryTable&) = delete;

    std::optional<std::string> Text(int id) const override {
        if (id < 0 || id > 0xFFFF) return std::nullopt;
        // A string table entry holds at most 4097 characters.
        char buffer[4100];
        const int n = LoadStringA(module_, static_cast<UINT>(id), buffer, sizeof buffer);
        if (n <= 0) return std::nullopt;
        return std::string(buffer, static_cast<size_t>(n));
    }

private:
    HMODULE module_;
};

}  // namespace

std::unique_ptr<ResourceTable> OpenResourceLibrary(const std::string& libraryName) {
    const std::string path = files::ProgramFolder() + libraryName;
    HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return nullptr;
    return std::make_unique<LibraryTable>(module);
}

}  // namespace mrw
