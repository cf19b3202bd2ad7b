// mrw list: the members of a theme package with their final names, and the
// registry values its setup file lists.
#include <cstdio>

#include "editor/document/ProjectValues.h"
#include "editor/packages/ThemePackageReader.h"
#include "tools/mrw/Args.h"
#include "tools/mrw/CliSupport.h"
#include "tools/mrw/Command.h"
#include "tools/mrw/Json.h"

namespace mrw::cli {

namespace {

const char kUsage[] =
    "usage: mrw list PACKAGE [--json]\n\n"
    "Lists the files of a theme package (a cabinet with a handheld setup file):\n"
    "cabinet name, size, final name and setup flags, then the registry values\n"
    "with their keys. Nothing is extracted.\n\n"
    "  --json   print one JSON object instead of text\n";

std::string KeyText(const ThemePackageReader& reader, uint16_t keyId) {
    std::string text;
    return reader.KeyPath(keyId, text) ? text : std::string();
}

void PrintJson(ThemePackageReader& reader) {
    JsonWriter w;
    w.BeginObject();
    w.Field("applicationName", reader.ApplicationName());
    w.Field("providerName", reader.ProviderName());
    w.Key("unsupportedPlatforms");
    w.BeginArray();
    for (const auto& p : reader.UnsupportedPlatforms()) w.String(p);
    w.EndArray();
    w.Field("packageKind", static_cast<int>(reader.PackageKind()));
    w.Key("files");
    w.BeginArray();
    for (size_t i = 0; i < reader.FileCount(); ++i) {
        const CabinetFileEntry& e = reader.File(i);
        w.BeginObject();
        w.Field("name", e.name);
        w.Field("size", static_cast<int64_t>(e.size));
        w.Field("targetName", e.targetName);
        w.Field("setupFlags", static_cast<int64_t>(e.setupFlags));
        w.EndObject();
    }
    w.EndArray();
    w.Key("registry");
    w.BeginArray();
    for (const SetupRegistryValue* v = reader.FirstValue(); v != nullptr; v = reader.NextValue()) {
        w.BeginObject();
        w.Field("key", KeyText(reader, v->keyId));
        w.Field("name", v->name);
        w.Field("flags", static_cast<int64_t>(v->flags));
        w.Field("data", EncodeDataValue(v->data));
        w.EndObject();
    }
    w.EndArray();
    w.EndObject();
    std::printf("%s\n", w.str().c_str());
}

void PrintText(ThemePackageReader& reader) {
    std::printf("application: %s\nprovider:    %s\n", Printable(reader.ApplicationName()).c_str(),
                Printable(reader.ProviderName()).c_str());
    std::printf("unsupported:");
    for (const auto& p : reader.UnsupportedPlatforms()) std::printf(" %s", Printable(p).c_str());
    std::printf("\nkind:        %d\n\nfiles:\n", static_cast<int>(reader.PackageKind()));
    for (size_t i = 0; i < reader.FileCount(); ++i) {
        const CabinetFileEntry& e = reader.File(i);
        std::printf("  %-14s %10u  %-24s 0x%08x\n", Printable(e.name).c_str(), e.size, Printable(e.targetName).c_str(),
                    e.setupFlags);
    }
    std::printf("\nregistry:\n");
    for (const SetupRegistryValue* v = reader.FirstValue(); v != nullptr; v = reader.NextValue()) {
        std::printf("  %s,%s,0x%08x,%s\n", Printable(KeyText(reader, v->keyId)).c_str(), Printable(v->name).c_str(),
                    v->flags, EncodeDataValue(v->data).c_str());
    }
}

int RunList(const std::vector<std::string>& args) {
    Args parsed(args, {}, {"--json"});
    if (!parsed.ok() || parsed.positional().size() != 1) {
        std::fprintf(stderr, "mrw list: %s\n%s", parsed.ok() ? "one PACKAGE expected" : parsed.error().c_str(), kUsage);
        return kExitUsage;
    }
    const std::string& package = parsed.positional()[0];
    ThemePackageReader reader;
    if (!reader.Open(package)) {
        std::fprintf(stderr, "mrw list: cannot open %s: %s\n", package.c_str(), CabinetErrorText(reader.LastError()));
        return kExitFailed;
    }
    if (reader.FileCount() < reader.DeclaredFileCount()) {
        std::fprintf(stderr, "mrw list: %s: the file table holds %lu of the %lu files the header counts\n",
                     package.c_str(), static_cast<unsigned long>(reader.FileCount()),
                     static_cast<unsigned long>(reader.DeclaredFileCount()));
    }
    if (reader.ReadSetupFileFromCabinet() != 1) {
        std::fprintf(stderr, "mrw list: %s: no readable setup file; final names and registry values are missing\n",
                     package.c_str());
    }
    if (parsed.Has("--json")) {
        PrintJson(reader);
    } else {
        PrintText(reader);
    }
    return kExitOk;
}

}  // namespace

extern const Command kListCommand = {"list", "list the files and registry values of a theme package", kUsage,
                                     RunList};

}  // namespace mrw::cli
