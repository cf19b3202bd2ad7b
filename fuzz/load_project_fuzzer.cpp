// Loads arbitrary bytes as a theme project file, as the editor opens a theme:
// header first, then the whole project (which may complete the colour table
// and rewrite the file), then a save and a second load.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "editor/document/ThemeDocument.h"

namespace {

const std::string& ProjectPath() {
    static const std::string path = [] {
        // Saving syncs the file to disk; a memory file system keeps that cheap.
        std::error_code ec;
        const std::filesystem::path base = std::filesystem::is_directory("/dev/shm", ec)
                                               ? std::filesystem::path("/dev/shm")
                                               : std::filesystem::temp_directory_path();
        auto folder = base / ("mrw-load-project-fuzzer-" + std::to_string(getpid()));
        std::filesystem::create_directories(folder);
        // A member file for untyped sections to probe.
        std::ofstream(folder / "BlueTDY000.gif", std::ios::binary) << "GIF89a";
        return (folder / "Blue.THM").string();
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& path = ProjectPath();
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    auto doc = mrw::ThemeDocument::OpenHeader(path);
    doc->LoadProject();
    if (doc->animationHeight < 1 || doc->animationHeight > 320) __builtin_trap();
    if (doc->registryEntries.size() < 22) __builtin_trap();
    for (const auto& f : doc->files) (void)doc->FindFile(f->realName);
    doc->SaveProject();
    mrw::ThemeDocument again;
    again.LoadProject(path);
    if (again.files.size() != doc->files.size()) __builtin_trap();
    return 0;
}
