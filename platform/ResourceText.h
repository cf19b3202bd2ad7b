// Resource texts, addressed by numeric id. Each program installs its own
// table at start: the texts compiled into it and the name of its resource
// library in the program folder. In the Windows build the library's string
// table answers first and the compiled-in texts answer when the library or
// one of its strings is missing; the native build uses the compiled-in texts.
#pragma once
#include <memory>
#include <optional>
#include <string>

namespace mrw {

class ResourceTable {
public:
    virtual ~ResourceTable() = default;
    // The text of string `id` (Windows-1252), or nothing when the table has none.
    virtual std::optional<std::string> Text(int id) const = 0;
};

// The text of string `id` in the installed table, or "" when there is none
// (or no table is installed).
std::string LoadResourceString(int id);

// printf-style formatting of a resource text with one "%s" argument; a text
// without "%s" is returned unchanged, "%%" becomes "%".
std::string FormatResourceText(const std::string& pattern, const std::string& argument);

// A program's texts: the string table of the resource library `libraryName`
// in the program folder (Windows build; "" for none), then `compiled`, which
// is not owned and must outlive the result. The library is loaded here, as
// data only, and freed with the result.
std::shared_ptr<const ResourceTable> OpenProgramTexts(const ResourceTable& compiled, const std::string& libraryName);

// Installs a table for LoadResourceString and returns the previous one
// (null: none). Safe while other threads load texts.
std::shared_ptr<const ResourceTable> SetResourceTable(std::shared_ptr<const ResourceTable> table);

// Installs a program's texts for the rest of the process (a program's start).
void InstallResourceTable(const ResourceTable& compiled, const std::string& libraryName = std::string());

// Installs a program's texts for the lifetime of the guard.
class ScopedResourceTable {
public:
    explicit ScopedResourceTable(const ResourceTable& compiled, const std::string& libraryName = std::string())
        : previous_(SetResourceTable(OpenProgramTexts(compiled, libraryName))) {}
    ~ScopedResourceTable() { SetResourceTable(std::move(previous_)); }
    ScopedResourceTable(const ScopedResourceTable&) = delete;
    ScopedResourceTable& operator=(const ScopedResourceTable&) = delete;

private:
    std::shared_ptr<const ResourceTable> previous_;
};

}  // namespace mrw
