// mrw extract: unpack a theme package into a folder and give its files their
// final names, as the import does in its temporary folder.
#include <cstdio>

#include "editor/packages/ThemePackageReader.h"
#include "tools/mrw/Args.h"
#include "tools/mrw/CliSupport.h"
#include "tools/mrw/Command.h"

namespace mrw::cli {

namespace {

const char kUsage[] =
    "usage: mrw extract PACKAGE FOLDER\n\n"
    "Extracts every file of a theme package into FOLDER (created when missing;\n"
    "files already there are kept unless the package holds one of that name)\n"
    "and renames them to the final names its setup file gives. A final name\n"
    "that exists in FOLDER already, or that would lead outside it, is not used:\n"
    "that file keeps its name in the package. Exit status 1 when the package\n"
    "cannot be opened or a file cannot be extracted in full.\n";

int RunExtract(const std::vector<std::string>& args) {
    Args parsed(args, {}, {});
    if (!parsed.ok() || parsed.positional().size() != 2) {
        std::fprintf(stderr, "mrw extract: %s\n%s",
                     parsed.ok() ? "PACKAGE and FOLDER expected" : parsed.error().c_str(), kUsage);
        return kExitUsage;
    }
    const std::string& package = parsed.positional()[0];
    const std::string& folder = parsed.positional()[1];
    ThemePackageReader reader;
    if (!reader.Open(package)) {
        std::fprintf(stderr, "mrw extract: cannot open %s: %s\n", package.c_str(),
                     CabinetErrorText(reader.LastError()));
        return kExitFailed;
    }
    const int extracted = reader.ExtractTo(folder);
    if (extracted != 1) {
        std::fprintf(stderr, "mrw extract: %s: %s\n", package.c_str(), CabinetErrorText(reader.LastError()));
    }
    const std::string setup = reader.FindFileBySuffix(".000");
    if (setup.empty() || reader.ReadSetupFile(setup) != 1) {
        std::fprintf(stderr, "mrw extract: %s: no readable setup file; files keep their cabinet names\n",
                     package.c_str());
    }
    // What each member became: its final name, or its cabinet name when the
    // final name was not used (taken, or not a plain file name).
    for (size_t i = 0; i < reader.FileCount(); ++i) {
        const CabinetFileEntry& e = reader.File(i);
        if (e.targetName.empty()) {
            std::printf("%s\n", Printable(e.name).c_str());
        } else if (e.renamed) {
            std::printf("%s -> %s\n", Printable(e.name).c_str(), Printable(e.targetName).c_str());
        } else {
            std::printf("%s (final name %s not used)\n", Printable(e.name).c_str(), Printable(e.targetName).c_str());
        }
    }
    return extracted == 1 ? kExitOk : kExitFailed;
}

}  // namespace

extern const Command kExtractCommand = {"extract", "extract a theme package into a folder", kUsage, RunExtract};

}  // namespace mrw::cli
