#include "editor/document/ThemeLibrary.h"

#include <algorithm>

#include "platform/Files.h"
#include "platform/Paths.h"

namespace mrw {

bool ThemeLibrary::Scan(const std::string& folder) {
    if (!folder.empty()) libraryFolder = paths::WithTrailingSeparator(folder);
    documents.clear();
    for (const files::FoundEntry& entry : files::Find(libraryFolder + "*.THM")) {
        if (entry.isDirectory) continue;
        documents.push_back(ThemeDocument::OpenHeader(libraryFolder + entry.name));
    }
    return !documents.empty();
}

bool ThemeLibrary::Delete(ThemeDocument* document) {
    auto it = std::find_if(documents.begin(), documents.end(),
                           [&](const std::unique_ptr<ThemeDocument>& d) { return d.get() == document; });
    if (it == documents.end()) return false;
    (*it)->DeleteFromDisk();
    documents.erase(it);
    return true;
}

bool ThemeLibrary::DeleteByAlias(const std::string& alias) {
    ThemeDocument* document = FindByAlias(alias);
    if (!document || document->IsDefaultTheme()) return false;
    return Delete(document);
}

ThemeDocument* ThemeLibrary::FindByAlias(const std::string& alias) const {
    for (const auto& d : documents)
        if (d->alias == alias) return d.get();
    return nullptr;
}

void ThemeLibrary::Add(std::unique_ptr<ThemeDocument> document) { documents.push_back(std::move(document)); }

}  // namespace mrw
