// mrw show: open a theme project as the editor does and print it.
#include <cstdio>

#include "editor/document/ProjectValues.h"
#include "editor/document/ThemeDocument.h"
#include "platform/Console.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/ResourceText.h"
#include "tools/mrw/Args.h"
#include "tools/mrw/CliSupport.h"
#include "tools/mrw/Command.h"
#include "tools/mrw/Json.h"

namespace mrw::cli {

namespace {

const char kUsage[] =
    "usage: mrw show PROJECT.THM [--json]\n\n"
    "Opens a theme project as the editor does and prints it. Opening completes\n"
    "the theme's 22 handheld colours and rewrites the project file when any\n"
    "was missing; a project file that does not exist is created with defaults.\n\n"
    "  --json   print one JSON object instead of text\n";

void WriteJson(const ThemeDocument& doc) {
    JsonWriter w;
    w.BeginObject();
    w.Field("alias", doc.alias);
    w.Field("projectPath", doc.projectPath);
    w.Field("projectFolder", doc.projectFolder);
    w.Field("packageFile", doc.packageFile);
    w.Field("modified", doc.modified);
    w.Field("tskType", doc.tskType);
    w.Field("pdaColours", doc.pdaColours);
    w.Field("note", doc.note);
    w.Field("animationHeight", doc.animationHeight);
    w.Field("animationBkColour", doc.animationBkColour);
    w.Key("customColours");
    w.BeginArray();
    for (uint32_t c : doc.customColours) w.Int(c);
    w.EndArray();
    w.Key("files");
    w.BeginArray();
    for (const auto& f : doc.files) {
        w.BeginObject();
        w.Field("kind", f->kind);
        w.Field("labelId", f->labelId);
        w.Field("realName", f->realName);
        w.Field("name", f->name);
        if (const auto* img = dynamic_cast<const ThemeImage*>(f.get())) {
            w.Key("crop");
            w.BeginArray();
            for (int v : {img->cropLeft, img->cropTop, img->cropRight, img->cropBottom}) w.Int(v);
            w.EndArray();
            w.Field("rotation", img->rotation);
            w.Field("hFlip", img->hFlip);
            w.Field("transparency", img->transparency);
            w.Field("transparencyColour", img->transparencyColour);
        }
        w.EndObject();
    }
    w.EndArray();
    w.Key("registry");
    w.BeginArray();
    for (const auto& r : doc.registryEntries) {
        w.BeginObject();
        w.Field("kind", r->kind);
        w.Field("labelId", r->labelId);
        w.Field("subKey", r->subKey);
        w.Field("valueName", r->valueName);
        w.Field("flags", r->flags);
        w.Field("data", EncodeDataValue(r->data));
        w.Field("colourGroup", r->colourGroup);
        w.EndObject();
    }
    w.EndArray();
    w.EndObject();
    std::printf("%s\n", w.str().c_str());
}

// Texts of the theme as the terminal shows them.
std::string Shown(const std::string& text) { return console::ForConsole(text); }

void WriteText(const ThemeDocument& doc) {
    static const char* kTypes[] = {"plain theme", "animated Today page", "taskbar theme"};
    const char* type = doc.tskType >= 0 && doc.tskType <= 2 ? kTypes[doc.tskType] : "unknown type";
    std::printf("Theme \"%s\" (%s)\n", Shown(doc.alias).c_str(), type);
    std::printf("  project       %s\n", Shown(doc.projectPath).c_str());
    std::printf("  images for    %s\n", doc.pdaColours == 0   ? "256 colours (8 bits a channel)"
                                        : doc.pdaColours == 1 ? "65,536 colours (5 bits a channel)"
                                                              : "4,096 colours (4 bits a channel)");
    if (doc.tskType == 1)
        std::printf("  animation     %i pixels high on %s\n", doc.animationHeight,
                    FormatColourValue(doc.animationBkColour).c_str());
    std::printf("\nFiles (%zu)\n", doc.files.size());
    for (const auto& f : doc.files) {
        std::printf("  %-14s %-28s %s", Shown(f->realName).c_str(), Shown(LoadResourceString(f->labelId)).c_str(),
                    Shown(f->name).c_str());
        if (const auto* img = dynamic_cast<const ThemeImage*>(f.get())) {
            if (img->HasCrop())
                std::printf("  crop %i,%i-%i,%i", img->cropLeft, img->cropTop, img->cropRight, img->cropBottom);
            if (img->rotation) std::printf("  rotation %i", img->rotation);
            if (img->hFlip) std::printf("  mirrored");
            if (img->transparency)
                std::printf("  transparency %i over %s", img->transparency,
                            FormatColourValue(img->transparencyColour).c_str());
        }
        std::printf("\n");
    }
    std::printf("\nHandheld colours\n");
    for (const auto& r : doc.registryEntries) {
        if (r->kind != kKindColour) continue;
        std::printf("  %-3s %-42s %-12s%s\n", Shown(r->valueName).c_str(), Shown(LoadResourceString(r->labelId)).c_str(),
                    r->data.size() == 4 ? FormatColourValue(r->GetColour()).c_str() : "(not 4 bytes)",
                    r->colourGroup ? "  Pocket PC 2003" : "");
    }
    bool header = false;
    for (const auto& r : doc.registryEntries) {
        if (r->kind == kKindColour) continue;
        if (!header) std::printf("\nFurther registry values\n");
        header = true;
        std::printf("  %s\\%s  flags %i  %s\n", Shown(r->subKey).c_str(), Shown(r->valueName).c_str(), r->flags,
                    EncodeDataValue(r->data).c_str());
    }
    if (!doc.note.empty()) {
        std::printf("\nNote\n");
        std::string line;
        for (char c : doc.note + "\n") {
            if (c == '\r') continue;
            if (c == '\n') {
                std::printf("  %s\n", Shown(line).c_str());
                line.clear();
            } else {
                line += c;
            }
        }
    }
}

int RunShow(const std::vector<std::string>& raw) {
    Args args(raw, {}, {"--json"});
    if (!args.ok()) return UsageError("show", args.error());
    if (args.positional().size() != 1) return UsageError("show", "expects one project file");
    const std::string path = AbsolutePath(args.positional()[0]);
    const std::string folder = paths::FolderOf(path);
    if (!folder.empty() && !files::IsDirectory(folder))
        return Fail("show", "the folder of " + path + " does not exist", kExitUsage);
    if (files::IsDirectory(path)) return Fail("show", path + " is a folder, not a project file", kExitUsage);

    auto doc = ThemeDocument::OpenHeader(path);
    doc->LoadProject();
    if (args.Has("--json"))
        WriteJson(*doc);
    else
        WriteText(*doc);
    return kExitOk;
}

}  // namespace

extern const Command kShowCommand = {"show", "print a theme project (opening it as the editor does)", kUsage,
                                     &RunShow};

}  // namespace mrw::cli
