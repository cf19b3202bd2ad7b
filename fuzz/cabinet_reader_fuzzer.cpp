// Fuzzes the package reader: open, extract every member, read the setup file
// from the cabinet and from the extracted files.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "editor/packages/ThemePackageReader.h"
#include "platform/Files.h"

namespace {

const std::string& WorkFolder() {
    static const std::string folder = mrw::files::TempFolder() + "mrw-cab-fuzz-" + std::to_string(getpid());
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input = WorkFolder() + ".tsk";
    if (!mrw::files::WriteAll(input, data, size)) return 0;
    const std::string out = WorkFolder() + "-out";
    {
        mrw::ThemePackageReader reader;
        if (reader.Open(input)) {
            reader.ReadSetupFileFromCabinet();
            std::vector<uint8_t> member;
            for (size_t i = 0; i < reader.FileCount() && i < 64; ++i) reader.ReadMember(i, member);
            reader.ExtractTo(out);
            const std::string setup = reader.FindFileBySuffix(".000");
            if (!setup.empty()) reader.ReadSetupFile(setup);
            std::string key;
            for (const auto* v = reader.FirstValue(); v; v = reader.NextValue()) reader.KeyPath(v->keyId, key);
        }
    }
    mrw::files::RemoveTree(out);
    return 0;
}
