// mrw set-colour: one of the handheld's system colours of a theme.
#include "editor/document/ColourTable.h"
#include "tools/mrw/Args.h"
#include "tools/mrw/CliSupport.h"
#include "tools/mrw/Command.h"
#include "tools/mrw/ProjectEditing.h"

namespace mrw::cli {

namespace {

const char kUsage[] =
    "usage: mrw set-colour PROJECT INDEX R,G,B\n\n"
    "Sets the handheld system colour INDEX (4 to 40, as listed by mrw show) of the\n"
    "theme to red, green, blue (each 0-255) and saves the project.\n";

int RunSetColour(const std::vector<std::string>& raw) {
    Args args(raw, {}, {});
    if (!args.ok()) return UsageError("set-colour", args.error());
    if (args.positional().size() != 3) return UsageError("set-colour", "expects PROJECT, INDEX and R,G,B");
    int index = 0;
    if (!ParseInt(args.positional()[1], index) || index < 0) return UsageError("set-colour", "INDEX is a colour index");
    unsigned colour = 0;
    if (!ParseRgb(args.positional()[2], colour)) return UsageError("set-colour", "the colour is R,G,B, each 0-255");
    std::unique_ptr<ThemeDocument> theme = OpenProject("set-colour", args.positional()[0]);
    if (!theme) return kExitFailed;
    RegistryEntry* entry = theme->FindColour(index);
    if (!entry || entry->data.size() != 4)
        return Fail("set-colour", "the theme has no colour " + std::to_string(index), kExitFailed);
    entry->SetColour(colour);
    return SaveProject("set-colour", *theme);
}

}  // namespace

extern const Command kSetColourCommand = {"set-colour", "set one of a theme's handheld colours", kUsage, &RunSetColour};

}  // namespace mrw::cli
