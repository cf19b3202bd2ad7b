// The table of mrw commands. Each command adds one declaration and one row.
#include "tools/mrw/Command.h"

namespace mrw::cli {

extern const Command kShowCommand;
extern const Command kNewCommand;
extern const Command kExportCommand;
extern const Command kImageCommand;
extern const Command kListCommand;
extern const Command kExtractCommand;
extern const Command kBuildCommand;
extern const Command kImportCommand;
extern const Command kSetImageCommand;
extern const Command kSetColourCommand;
extern const Command kSetNoteCommand;
extern const Command kSetPdaColoursCommand;
extern const Command kAnimateCommand;
extern const Command kUnanimateCommand;
extern const Command kAddRegistryCommand;
extern const Command kPreviewCommand;
extern const Command kDeviceCommand;

const std::vector<Command>& Commands() {
    static const std::vector<Command> table = {
        kShowCommand,
        kNewCommand,
        kExportCommand,
        kImageCommand,
        kListCommand,
        kExtractCommand,
        kBuildCommand,
        kImportCommand,
        kSetImageCommand,
        kSetColourCommand,
        kSetNoteCommand,
        kSetPdaColoursCommand,
        kAnimateCommand,
        kUnanimateCommand,
        kAddRegistryCommand,
        kPreviewCommand,
        kDeviceCommand,
    };
    return table;
}

}  // namespace mrw::cli
