// The table of mrw commands. Each command adds one declaration and one row.
#include "tools/mrw/Command.h"

namespace mrw::cli {

extern const Command kShowCommand;
extern const Command kListCommand;
extern const Command kExtractCommand;

const std::vector<Command>& Commands() {
    static const std::vector<Command> table = {
        kShowCommand,
        kListCommand,
        kExtractCommand,
    };
    return table;
}

}  // namespace mrw::cli
