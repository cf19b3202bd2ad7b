// mrw set-pda-colours: the handheld display depth the theme's images are prepared for.
#include "tools/mrw/Args.h"
#include "tools/mrw/CliSupport.h"
#include "tools/mrw/Command.h"
#include "tools/mrw/ProjectEditing.h"

namespace mrw::cli {

namespace {

const char kUsage[] =
    "usage: mrw set-pda-colours PROJECT 0|1|2\n\n"
    "Sets the colour depth of the handheld display the images are prepared for:\n"
    "0 = 256 levels per channel, 1 = 32 (16-bit displays), 2 = 16 (4,096 colours).\n";

int RunSetPdaColours(const std::vector<std::string>& raw) {
    Args args(raw, {}, {});
    if (!args.ok()) return UsageError("set-pda-colours", args.error());
    if (args.positional().size() != 2) return UsageError("set-pda-colours", "expects PROJECT and 0, 1 or 2");
    int value = 0;
    if (!ParseInt(args.positional()[1], value) || value < 0 || value > 2)
        return UsageError("set-pda-colours", "the depth is 0, 1 or 2");
    std::unique_ptr<ThemeDocument> theme = OpenProject("set-pda-colours", args.positional()[0]);
    if (!theme) return kExitFailed;
    theme->pdaColours = value;
    return SaveProject("set-pda-colours", *theme);
}

}  // namespace

extern const Command kSetPdaColoursCommand = {"set-pda-colours", "set the display depth a theme is prepared for",
                                              kUsage, &RunSetPdaColours};

}  // namespace mrw::cli
