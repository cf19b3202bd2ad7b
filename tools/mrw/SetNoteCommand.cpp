// mrw set-note: the free note of a theme.
#include "tools/mrw/Args.h"
#include "tools/mrw/CliSupport.h"
#include "tools/mrw/Command.h"
#include "tools/mrw/ProjectEditing.h"

namespace mrw::cli {

namespace {

// The editor's note box takes at most 256 characters (a line break counts 2).
constexpr size_t kMaxNote = 256;

const char kUsage[] =
    "usage: mrw set-note PROJECT TEXT\n\n"
    "Sets the theme's note (line feeds become CR LF line breaks) and saves the\n"
    "project. The note takes at most 256 characters, as in the editor's note\n"
    "box (a line break counts 2).\n";

int RunSetNote(const std::vector<std::string>& raw) {
    Args args(raw, {}, {});
    if (!args.ok()) return UsageError("set-note", args.error());
    if (args.positional().size() != 2) return UsageError("set-note", "expects PROJECT and TEXT");
    std::string note;
    for (char c : args.positional()[1]) {
        if (c == '\n' && (note.empty() || note.back() != '\r')) note += '\r';
        note += c;
    }
    if (note.size() > kMaxNote) return UsageError("set-note", "the note is too long");
    std::unique_ptr<ThemeDocument> theme = OpenProject("set-note", args.positional()[0]);
    if (!theme) return kExitFailed;
    theme->note = note;
    return SaveProject("set-note", *theme);
}

}  // namespace

extern const Command kSetNoteCommand = {"set-note", "set a theme's note", kUsage, &RunSetNote};

}  // namespace mrw::cli
