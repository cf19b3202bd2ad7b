// Reads arbitrary bytes as a theme project file, as the editor opens a theme:
// header first, then the whole project (which may complete the colour table),
// then the text a save would write, read once more. Everything stays in
// memory; only untyped member sections probe the one member file on disk.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "editor/document/ThemeDocument.h"
#include "fuzz/FuzzSupport.h"
#include "platform/Files.h"
#include "platform/profile/ProfileFile.h"

namespace {

const std::string& ProjectPath() {
    static const std::string path = [] {
        const std::string folder = mrw::files::TempFolder() + "mrw-load-project-fuzzer/";
        mrw::files::CreateFolders(folder);
        // A member file for untyped sections to probe.
        mrw::files::WriteAll(folder + "BlueTDY000.gif", "GIF89a", 6);
        return folder + "Blue.THM";
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    mrw::fuzz::SetUpFuzzing();
    const std::string& path = ProjectPath();
    const mrw::ProfileFile file =
        mrw::ProfileFile::Parse(std::string_view(reinterpret_cast<const char*>(data), size));
    auto doc = mrw::ThemeDocument::HeaderFrom(file, path);
    doc->ReadProject(file, path);
    if (doc->animationHeight < 1 || doc->animationHeight > 320) __builtin_trap();
    if (doc->registryEntries.size() < 22) __builtin_trap();
    for (const auto& f : doc->files) (void)doc->FindFile(f->realName);

    const std::string saved = doc->ProjectText();
    mrw::ThemeDocument again;
    again.ReadProject(mrw::ProfileFile::Parse(saved), path);
    if (again.files.size() != doc->files.size()) __builtin_trap();
    if (again.registryEntries.size() != doc->registryEntries.size()) __builtin_trap();
    return 0;
}
