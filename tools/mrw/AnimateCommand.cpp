// mrw animate: give a theme an animated Today page, or change its movie,
// height or colour, as the editor's animation controls do.
#include "editor/packages/AnimatedPage.h"
#include "platform/Files.h"
#include "tools/mrw/Args.h"
#include "tools/mrw/CliSupport.h"
#include "tools/mrw/Command.h"
#include "tools/mrw/ProjectEditing.h"

namespace mrw::cli {

namespace {

const char kUsage[] =
    "usage: mrw animate PROJECT [--movie FILE.swf] [--height N] [--bk-colour R,G,B]\n\n"
    "Makes the theme animated when it is not (the default page, movie and settings\n"
    "file of the program folder are copied in), sets the page height (1-320) and\n"
    "background colour when given, writes the page anew and takes in the movie\n"
    "when given. Saves the project.\n";

int RunAnimate(const std::vector<std::string>& raw) {
    Args args(raw, {"--movie", "--height", "--bk-colour"}, {});
    if (!args.ok()) return UsageError("animate", args.error());
    if (args.positional().size() != 1) return UsageError("animate", "expects one project file");
    int height = 0;
    const auto heightText = args.Value("--height");
    if (heightText && (!ParseInt(*heightText, height) || height < 1 || height > 320))
        return UsageError("animate", "--height is 1 to 320");
    unsigned colour = 0;
    const auto colourText = args.Value("--bk-colour");
    if (colourText && !ParseRgb(*colourText, colour))
        return UsageError("animate", "--bk-colour is R,G,B with each part 0-255");
    std::string movie;
    if (auto m = args.Value("--movie")) {
        movie = AbsolutePath(*m);
        if (!files::IsFile(movie)) return Fail("animate", "no movie file " + movie, kExitFailed);
    }

    std::unique_ptr<ThemeDocument> theme = OpenProject("animate", args.positional()[0]);
    if (!theme) return kExitFailed;
    const std::string programFolder = files::ProgramFolder();
    if (theme->tskType != 1 && !MakeAnimated(*theme, programFolder))
        return Fail("animate", "the default animation files of " + programFolder + " could not be copied in",
                    kExitFailed);
    if (heightText) theme->animationHeight = height;
    if (colourText) theme->animationBkColour = colour;
    if (!WriteAnimatedPage(*theme, programFolder))
        return Fail("animate", "the animated page could not be written", kExitFailed);
    if (!movie.empty()) {
        ThemeFile* element = theme->FindFile(kAnimationMovieName);
        if (!element || !TakeInFile(*theme, *element, movie))
            return Fail("animate", "the movie could not be copied into " + theme->projectFolder, kExitFailed);
    }
    return SaveProject("animate", *theme);
}

}  // namespace

extern const Command kAnimateCommand = {"animate", "give a theme an animated Today page or change it", kUsage,
                                        &RunAnimate};

}  // namespace mrw::cli
