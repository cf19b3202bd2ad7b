// The themes of one folder: one header-only document per "*.THM" file.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "editor/document/ThemeDocument.h"

namespace mrw {

class ThemeLibrary {
public:
    // Empties the library and adds one OpenHeader document per "*.THM" file
    // of the folder (an empty folder means libraryFolder). True when the
    // library is not empty afterwards.
    bool Scan(const std::string& folder = std::string());
    // Deletes the document's files from disk and drops it; false when it is not in the library.
    bool Delete(ThemeDocument* document);
    // The same for the first document of that alias, except the default theme.
    bool DeleteByAlias(const std::string& alias);
    ThemeDocument* FindByAlias(const std::string& alias) const;
    void Add(std::unique_ptr<ThemeDocument> document);

    std::vector<std::unique_ptr<ThemeDocument>> documents;
    std::string libraryFolder;  // ends in a separator
};

}  // namespace mrw
