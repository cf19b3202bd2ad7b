#include "editor/packages/PackageBuild.h"

#include <cstdio>

#include "editor/document/ProjectValues.h"
#include "editor/document/ThemeDocument.h"
#include "editor/packages/CabinetReader.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Process.h"

namespace mrw {

const char kInstallScriptName[] = "Today.INF";
const char kBuiltCabinetName[] = "TODAY.POCKETPC2002.CAB";

namespace {

constexpr int kBuildCaptionId = 157;
constexpr int kBuildSteps = 6;
// Command line of the cabinet builder; %s is the script's full path.
constexpr char kBuilderCommandLine[] = "cabwiz \"%s\" /CPU POCKETPC2002";
constexpr char kBuilderBaseName[] = "CabWiz";

// Restores the process's current folder when it goes out of scope.
class CurrentFolderGuard {
public:
    CurrentFolderGuard() : saved_(files::CurrentFolder()) {}
    ~CurrentFolderGuard() {
        if (!saved_.empty()) files::SetCurrentFolder(saved_);
    }
    CurrentFolderGuard(const CurrentFolderGuard&) = delete;
    CurrentFolderGuard& operator=(const CurrentFolderGuard&) = delete;

private:
    std::string saved_;
};

// The blanks the script's reader trims from both ends of a field. Line ends
// are not among them: they cannot stand in a field at all (see InfQuotedText).
bool IsInfTrimmedBlank(char c) { return c == ' ' || c == '\t' || c == '\f' || c == '\v'; }

// A text as it stands between the quotes of a quoted INF field: "%" is
// doubled so that no string substitution applies, a quote is doubled, and
// line ends, which an INF line cannot hold, become blanks.
std::string InfQuotedText(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '%')
            out += "%%";
        else if (c == '"')
            out += "\"\"";
        else if (c == '\r' || c == '\n')
            out += ' ';
        else
            out += c;
    }
    return out;
}

// A text as one INF field that the script's reader gives back unchanged.
// Ordinary names are written as they are; a text holding a character the
// syntax gives a meaning to (separator, comment, quote, "=", a leading "["
// or a line end) or blanks at either end, which would be trimmed, is
// written quoted. "%" is doubled in either form.
std::string InfField(const std::string& text) {
    bool quote = !text.empty() &&
                 (IsInfTrimmedBlank(text.front()) || IsInfTrimmedBlank(text.back()) || text.front() == '[');
    for (char c : text) {
        if (c == ',' || c == ';' || c == '"' || c == '=' || c == '\r' || c == '\n') quote = true;
    }
    if (quote) return "\"" + InfQuotedText(text) + "\"";
    std::string out;
    for (char c : text) {
        if (c == '%') out += '%';
        out += c;
    }
    return out;
}

// "ROOT,Key\Path": the root as it is, the path as one field.
std::string InfKeyField(const std::string& subKey) {
    const size_t comma = subKey.find(',');
    if (comma == std::string::npos) return InfField(subKey);
    return subKey.substr(0, comma + 1) + InfField(subKey.substr(comma + 1));
}

}  // namespace

std::string WorkingFolder(const std::string& toolFolder) { return paths::WithTrailingSeparator(toolFolder) + "tmp"; }

std::string InstallScriptText(const ThemeDocument& theme) {
    std::string t;
    t.reserve(1024 + 64 * (theme.files.size() + theme.registryEntries.size()));
    auto line = [&t](const std::string& s) {
        t += s;
        t += "\r\n";
    };
    line("[Version]");
    line("Signature=\"$Chicago$\"");
    line("CESignature=\"$Windows CE$\"");
    line("Provider= \"Windows\"");
    line("");
    line("[CEStrings]");
    line("AppName=\"" + InfQuotedText(theme.alias) + "\"");
    line("InstallDir= %CE2%");
    line("");
    line("[CEDevice.POCKETPC2002]");
    line("ProcessorType = 2577");
    line("UnsupportedPlatforms= \"HPC\",\"Jupiter\"");
    line("VersionMin = 3.0");
    line("VersionMax = 100.0");
    line("");
    line("[SourceDisksNames.POCKETPC2002]");
    line("1 = ,\"Other\",,.");
    line("");
    line("[DefaultInstall.POCKETPC2002]");
    line("CopyFiles = Files.Common.Windows");
    line("AddReg=Registry.Common");
    line("");
    line("[DestinationDirs]");
    line("Files.Common.Windows=0,%CE2%");
    line("DefaultDestDir=0,%InstallDir%");
    line("");
    line("[SourceDisksFiles]");
    for (const auto& f : theme.files) line(InfField(f->realName) + "=1");
    line("");
    line("[Files.Common.Windows]");
    for (const auto& f : theme.files) line(InfField(f->realName) + ",,,0x40000000");
    line("");
    line("[Strings]");
    line("reg_path = Software\\Microsoft\\Color");
    line("");
    line("[Registry.Common]");
    for (const auto& e : theme.registryEntries) {
        char flags[16];
        std::snprintf(flags, sizeof flags, "0x%08x", static_cast<unsigned>(e->flags));
        line(InfKeyField(e->subKey) + "," + InfField(e->valueName) + "," + flags + "," + EncodeDataValue(e->data));
    }
    return t;
}

bool PackageBuildTask::BuildPackage(const std::string& folder, ThemeDocument& document, TaskRunner& runner) {
    toolFolder = paths::WithTrailingSeparator(folder);
    theme = &document;
    return Run(runner);
}

int PackageBuildTask::DoWork() {
    SetCaption(kBuildCaptionId);
    maxStep = kBuildSteps;
    SetStep(0);
    if (!theme) return kTaskStatusUnexpected;
    if (CancelRequested()) return kTaskStatusCancelled;

    // 1. The working folder.
    const std::string work = WorkingFolder(toolFolder);
    const bool madeFolder = !files::IsDirectory(work);
    if (madeFolder && !files::CreateFolder(work)) return kBuildNoWorkingFolder;
    SetStep(1);
    if (theme->files.empty()) theme->LoadProject();
    if (CancelRequested()) return Cancel(work, madeFolder);

    // 2. The installation script, then the handheld form of the files.
    const std::string script = paths::Join(work, kInstallScriptName);
    const std::string text = InstallScriptText(*theme);
    if (!files::WriteAll(script, text.data(), text.size())) return kBuildNoScript;
    SetStep(2);
    if (CancelRequested()) return Cancel(work, madeFolder);
    if (!theme->ExportFiles(work)) return kBuildExportFailed;
    SetStep(3);
    if (CancelRequested()) return Cancel(work, madeFolder);

    // 3. The cabinet builder. A cabinet left by an earlier run must not pass
    // for this run's result.
    const std::string cabinet = paths::Join(work, kBuiltCabinetName);
    if (files::Exists(cabinet)) files::Delete(cabinet);
    if (files::Exists(cabinet)) return kBuildNoCabinet;
    {
        CurrentFolderGuard restore;
        if (files::SetCurrentFolder(toolFolder)) {
            const std::string program = toolFolder + process::ExecutableName(kBuilderBaseName);
            std::string commandLine(sizeof kBuilderCommandLine + script.size(), '\0');
            const int n = std::snprintf(&commandLine[0], commandLine.size(), kBuilderCommandLine, script.c_str());
            commandLine.resize(n > 0 ? static_cast<size_t>(n) : 0);
            process::StartOptions options;
            options.hidden = true;
            options.wait = true;
            options.folder = toolFolder;
            // A cancel that comes while the builder runs waits for it to end;
            // what it wrote is removed below.
            if (!process::Start(program, commandLine, options)) return kBuildNoBuilder;
        }
    }
    if (CancelRequested()) return Cancel(work, madeFolder);

    // 4. "<alias>.tsk" in the working folder. One left behind by a build whose
    // delivery failed is removed first, or every later build would stop here.
    SetStep(4);
    const std::string package = paths::Join(work, theme->alias + ".tsk");
    int result = kBuildOk;
    if (files::Exists(package)) {
        files::SetReadOnly(package, false);
        files::Delete(package);
    }
    if (!files::Exists(cabinet) || !files::Move(cabinet, package) || !files::IsFile(package)) result = kBuildNoCabinet;
    SetStep(5);
    if (result != kBuildOk) return result;
    // The last point of return: the delivery replaces the old package in one step.
    if (CancelRequested()) return Cancel(work, madeFolder);
    result = DeliverPackage(work);
    SetStep(6);
    return result;
}

int PackageBuildTask::Cancel(const std::string& work, bool madeFolder) {
    const auto remove = [&work](const std::string& name) {
        // Only names inside the working folder; a theme file's real name
        // that would lead outside it was never written there.
        if (!IsPlainFileName(name)) return;
        const std::string path = paths::Join(work, name);
        if (!files::IsFile(path)) return;
        files::SetReadOnly(path, false);
        files::Delete(path);
    };
    remove(kInstallScriptName);
    for (const auto& f : theme->files) remove(f->realName);
    // The builder's cabinet, and its partial file should the builder have
    // been stopped while writing it (an interrupt reaches it too).
    remove(kBuiltCabinetName);
    remove(std::string(kBuiltCabinetName) + ".part");
    remove(theme->alias + ".tsk");
    if (madeFolder && files::Find(paths::Join(work, "*")).empty()) files::RemoveTree(work);
    return kTaskStatusCancelled;
}

int PackageBuildTask::MovePackage(const std::string& workingFolder, const std::string& destination) {
    const std::string source = paths::Join(workingFolder, theme->alias + ".tsk");
    if (destination.empty() || !files::IsFile(source)) return kBuildNotDelivered;
    const bool wasReadOnly = files::IsFile(destination) && files::IsReadOnly(destination);
    if (wasReadOnly) files::SetReadOnly(destination, false);
    // The old package is replaced in one step: a failed move leaves it as it was.
    bool moved = files::Replace(source, destination);
    if (!moved) {
        // Another volume: copy beside the destination first, then replace.
        const std::string folder = paths::FolderOf(destination);
        for (int i = 0; i < 100 && !moved; ++i) {
            const std::string stage = folder + "~" + paths::FileNameOf(destination) + "." + std::to_string(i) + ".part";
            if (files::Exists(stage)) continue;
            if (!files::Copy(source, stage, true)) break;
            files::SetReadOnly(stage, false);
            moved = files::Replace(stage, destination);
            if (moved) {
                files::Delete(source);
            } else {
                files::Delete(stage);
            }
            break;
        }
    }
    if (!moved) {
        if (wasReadOnly) files::SetReadOnly(destination, true);
        return kBuildNotDelivered;
    }
    return files::IsFile(destination) ? kBuildOk : kBuildNotDelivered;
}

int PackageBuildTask::DeliverPackage(const std::string& workingFolder) {
    const std::string destination = paths::WithoutExtension(theme->projectPath) + ".tsk";
    theme->packageFile = destination;
    return MovePackage(workingFolder, destination);
}

int PackageExportTask::DeliverPackage(const std::string& workingFolder) {
    return MovePackage(workingFolder, targetPath);
}

}  // namespace mrw
