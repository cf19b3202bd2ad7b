#include "platform/ResourceText.h"

#include <mutex>
#include <utility>

namespace mrw {

// The string table of a resource library in the program folder, or null when
// it cannot be loaded (always null without resource libraries); defined by the backend.
std::unique_ptr<ResourceTable> OpenResourceLibrary(const std::string& libraryName);

namespace {

class ProgramTexts : public ResourceTable {
public:
    ProgramTexts(const ResourceTable& compiled, std::unique_ptr<ResourceTable> library)
        : compiled_(compiled), library_(std::move(library)) {}

    std::optional<std::string> Text(int id) const override {
        if (library_) {
            std::optional<std::string> text = library_->Text(id);
            if (text) return text;
        }
        return compiled_.Text(id);
    }

private:
    const ResourceTable& compiled_;
    std::unique_ptr<ResourceTable> library_;
};

// The installed table; readers take a reference under the lock, so a table
// replaced meanwhile lives until its last lookup ends.
std::mutex gTableMutex;
std::shared_ptr<const ResourceTable> gTable;

std::shared_ptr<const ResourceTable> InstalledTable() {
    std::lock_guard<std::mutex> lock(gTableMutex);
    return gTable;
}

}  // namespace

std::string LoadResourceString(int id) {
    const std::shared_ptr<const ResourceTable> table = InstalledTable();
    if (!table) return std::string();
    return table->Text(id).value_or(std::string());
}

std::shared_ptr<const ResourceTable> OpenProgramTexts(const ResourceTable& compiled, const std::string& libraryName) {
    return std::make_shared<ProgramTexts>(compiled,
                                          libraryName.empty() ? nullptr : OpenResourceLibrary(libraryName));
}

std::shared_ptr<const ResourceTable> SetResourceTable(std::shared_ptr<const ResourceTable> table) {
    std::lock_guard<std::mutex> lock(gTableMutex);
    std::swap(gTable, table);
    return table;
}

void InstallResourceTable(const ResourceTable& compiled, const std::string& libraryName) {
    SetResourceTable(OpenProgramTexts(compiled, libraryName));
}

std::string FormatResourceText(const std::string& pattern, const std::string& argument) {
    std::string out;
    out.reserve(pattern.size() + argument.size());
    bool used = false;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size()) {
            if (pattern[i + 1] == '%') {
                out += '%';
                ++i;
                continue;
            }
            if (pattern[i + 1] == 's' && !used) {
                out += argument;
                used = true;
                ++i;
                continue;
            }
        }
        out += pattern[i];
    }
    return out;
}

}  // namespace mrw
