// The table of mrw commands. Each command adds one declaration and one row.
#include "tools/mrw/Command.h"

namespace mrw::cli {


const std::vector<Command>& Commands() {
    static const std::vector<Command> table = {
    };
    return table;
}

}  // namespace mrw::cli
