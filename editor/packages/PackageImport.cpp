#include "editor/packages/PackageImport.h"

#include <algorithm>
#include <climits>
#include <vector>

#include "base/AsciiText.h"
#include "base/formats/AnimationSettings.h"
#include "editor/document/ProjectValues.h"
#include "editor/document/ThemeDocument.h"
#include "editor/packages/ThemePackageReader.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/ResourceText.h"

namespace mrw {

const char kImportOpenFailedText[] = "Erreur \xE0 l'ouverture du fichier";

namespace {

constexpr int kImportCaptionId = 158;
constexpr int kImportSteps = 6;

constexpr int kImportFailedMessageId = 132;

// Two hexadecimal digits read up to the first other character.
int HexPair(const std::vector<uint8_t>& data, size_t at) {
    int value = 0;
    for (size_t i = at; i < at + 2 && i < data.size(); ++i) {
        const int d = ascii::HexDigitValue(static_cast<char>(data[i]));
        if (d < 0) break;
        value = value * 16 + d;
    }
    return value;
}

bool IsStartImageSwitch(const std::string& key, const SetupRegistryValue& value) {
    return ascii::EqualsNoCase(key, "HKCU,Software\\Microsoft\\Today") && ascii::EqualsNoCase(value.name, "UseStartImage") &&
           value.data.size() == 4 && value.data[0] == 1;
}

}  // namespace

bool ReadAnimationHeight(const std::string& path, int& height) {
    std::vector<uint8_t> bytes;
    if (!files::ReadAll(path, bytes)) return false;
    const int found = formats::AnimationHeight(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    if (found == 0) return false;
    height = found;
    return true;
}

bool ReadAnimationColour(const std::string& path, uint32_t& colour) {
    std::vector<uint8_t> data;
    if (!files::ReadAll(path, data)) return false;
    static const char kMarker[] = "BGCOLOR=\"#";
    const size_t markerSize = sizeof kMarker - 1;
    for (size_t p = 0; p + markerSize <= data.size(); ++p) {
        if (std::equal(kMarker, kMarker + markerSize, data.begin() + static_cast<std::ptrdiff_t>(p))) {
            if (p + 16 >= data.size()) return false;
            const int red = HexPair(data, p + 10), green = HexPair(data, p + 12), blue = HexPair(data, p + 14);
            colour = uint32_t(red) + uint32_t(green) * 256u + uint32_t(blue) * 65536u;
            return true;
        }
    }
    return false;
}

PackageImportTask::PackageImportTask() : reader(std::make_unique<ThemePackageReader>()) {}
PackageImportTask::~PackageImportTask() = default;

std::string PackageImportTask::ExtractionFolder() const { return reader ? reader->ExtractionFolder() : std::string(); }

bool PackageImportTask::ImportPackage(const std::string& package, const std::string& second, ThemeDocument& document,
                                      TaskRunner& runner) {
    packagePath = package;
    secondPath = second;
    theme = &document;
    return Run(runner);
}

int PackageImportTask::DoWork() {
    message = ImportMessage();
    if (!theme || !reader) return Failed(kTaskStatusUnexpected);
    int result;
    try {
        result = Import();
    } catch (...) {
        result = kTaskStatusUnexpected;
    }
    if (result == kTaskStatusCancelled) {
        // Nothing of a cancelled import stays: not the member files copied
        // in, not the extracted package.
        Discard();
        files::RemoveTree(ExtractionFolder());
        return result;
    }
    if (result != kImportOk && result != kImportOpenFailed) Discard();
    return Failed(result);
}

int PackageImportTask::Failed(int result) {
    if (result == kImportOk) return result;
    message.stringId = result == kImportOpenFailed ? kImportOpenFailedMessage : kImportFailedMessageId;
    message.argument = packagePath;
    return result;
}

int PackageImportTask::Import() {
    SetCaption(kImportCaptionId);
    maxStep = kImportSteps;
    SetStep(0);
    if (CancelRequested()) return kTaskStatusCancelled;
    if (!reader->Open(packagePath)) return kImportOpenFailed;
    SetStep(1);
    if (CancelRequested()) return kTaskStatusCancelled;
    int closingStep = 2;
    // The setup file is the member named "*.000"; when extraction stopped
    // early, whatever was extracted is imported under its cabinet name.
    const std::string setupName = reader->FindFileBySuffix(".000");
    if (reader->ExtractAll() == 1) {
        SetStep(2);
        if (CancelRequested()) return kTaskStatusCancelled;
        reader->ReadSetupFile(setupName);
        SetStep(3);
        closingStep = 4;
    } else if (reader->LastError() == CabinetError::CompressedFolder) {
        // Compressed data cannot be read at all: the package is refused like
        // one that cannot be opened, rather than becoming an empty theme.
        reader->Close();
        return kImportOpenFailed;
    }
    if (CancelRequested()) return kTaskStatusCancelled;

    if (theme->alias.empty()) theme->alias = paths::BaseNameOf(packagePath);
    theme->projectPath = theme->projectFolder + theme->alias + ".THM";

    // Files: every member but the setup file, wherever the cabinet lists it.
    const std::string folder = reader->ExtractionFolder();
    for (size_t i = 0; i < reader->FileCount(); ++i) {
        const CabinetFileEntry& entry = reader->File(i);
        if (!setupName.empty() && entry.name == setupName) continue;
        const std::string name = entry.targetName.empty() ? entry.name : entry.targetName;
        if (!IsPlainFileName(name) || !files::IsFile(paths::Join(folder, name))) continue;  // not extracted
        if (CancelRequested()) return kTaskStatusCancelled;
        if (theme->AddFile(folder, name)->name.empty()) return kImportNotWritten;
    }

    // Registry values.
    for (const SetupRegistryValue* value = reader->FirstValue(); value; value = reader->NextValue()) {
        // A key under a root the installation script cannot name (its text
        // is empty) is skipped too: the cabinet builder would refuse every
        // later build of the theme for that one value.
        std::string key;
        if (!reader->KeyPath(value->keyId, key) || key.empty()) continue;
        if (IsStartImageSwitch(key, *value)) {
            // The package shows its Start-menu image on the Today screen too.
            // A package that carries a Today image of its own keeps that one
            // (a second Today element would name the file twice in a build).
            if (theme->StartMenuImage() && !theme->TodayImage()) {
                files::Move(paths::Join(folder, "STWater.gif"), paths::Join(folder, "TdyWater.gif"));
                if (files::IsFile(paths::Join(folder, "TdyWater.gif")) &&
                    theme->AddFile(folder, "TdyWater.gif")->name.empty())
                    return kImportNotWritten;
            }
            continue;
        }
        theme->AddRegistryEntry(key, value->name, static_cast<int>(value->flags), value->data.data(),
                                value->data.size());
    }

    theme->tskType = static_cast<int>(reader->PackageKind());
    if (reader->PackageKind() == PackageKind::AnimatedToday) {
        ReadAnimationHeight(paths::Join(folder, "vx5n.atc"), theme->animationHeight);
        ReadAnimationColour(paths::Join(folder, "vx5n.htm"), theme->animationBkColour);
    }

    // The last point of return: the project is written from here on.
    if (CancelRequested()) return kTaskStatusCancelled;
    if (theme->SaveProject() != 1) return kImportNotWritten;
    reader->Close();
    SetStep(closingStep);
    return kImportOk;
}

void PackageImportTask::Discard() {
    for (const auto& f : theme->files) {
        if (f->name.empty()) continue;
        const std::string path = theme->projectFolder + f->name;
        if (files::IsFile(path)) files::Delete(path);
    }
    theme->Clear();
    if (reader) reader->Close();
}

std::string ImportMessageText(const ImportMessage& message) {
    if (message.stringId == kImportOpenFailedMessage) return kImportOpenFailedText;
    if (message.stringId <= 0) return std::string();
    return FormatResourceText(LoadResourceString(message.stringId), message.argument);
}

std::string FreeProjectPath(const std::string& libraryFolder, const std::string& baseName, std::string& alias) {
    const std::string folder = paths::WithTrailingSeparator(libraryFolder);
    alias = baseName;
    std::string path = folder + alias + ".THM";
    for (int i = 2; files::Exists(path) && i < INT_MAX; ++i) {
        alias = baseName + "(" + std::to_string(i) + ")";
        path = folder + alias + ".THM";
    }
    return path;
}

LibraryImport ImportPackageIntoLibrary(const std::string& libraryFolder, const std::string& packagePath,
                                       TaskRunner& runner) {
    LibraryImport result;
    auto document = std::make_unique<ThemeDocument>();
    document->projectFolder = paths::WithTrailingSeparator(libraryFolder);
    document->projectPath = FreeProjectPath(libraryFolder, paths::BaseNameOf(packagePath), document->alias);
    PackageImportTask task;
    const bool ok = task.ImportPackage(packagePath, document->projectFolder + "tmp", *document, runner);
    result.status = task.status;
    result.message = task.message;
    result.extractionFolder = task.ExtractionFolder();
    if (!ok) return result;
    document->EnsureColourTable();
    if (document->modified) document->SaveProject();
    result.document = std::move(document);
    return result;
}

}  // namespace mrw
