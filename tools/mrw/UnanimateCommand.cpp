// mrw unanimate: remove a theme's animated Today page.
#include "tools/mrw/Args.h"
#include "tools/mrw/CliSupport.h"
#include "tools/mrw/Command.h"
#include "tools/mrw/ProjectEditing.h"

namespace mrw::cli {

namespace {

const char kUsage[] =
    "usage: mrw unanimate PROJECT\n\n"
    "Removes the animated Today page's files from the theme, makes it a plain\n"
    "theme again and saves the project.\n";

int RunUnanimate(const std::vector<std::string>& raw) {
    Args args(raw, {}, {});
    if (!args.ok()) return UsageError("unanimate", args.error());
    if (args.positional().size() != 1) return UsageError("unanimate", "expects one project file");
    std::unique_ptr<ThemeDocument> theme = OpenProject("unanimate", args.positional()[0]);
    if (!theme) return kExitFailed;
    theme->ResetAnimation();
    return SaveProject("unanimate", *theme);
}

}  // namespace

extern const Command kUnanimateCommand = {"unanimate", "remove a theme's animated Today page", kUsage, &RunUnanimate};

}  // namespace mrw::cli
