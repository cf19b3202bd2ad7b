// Importing a theme package: the package is extracted into the temporary
// folder, its setup file gives the files their real names and lists the
// registry values, and the theme is filled from both and saved as a project.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "editor/packages/PackageTask.h"

namespace mrw {

class ThemeDocument;
class ThemePackageReader;

enum ImportStatus : int {
    kImportOk = 0,
    kImportOpenFailed = 1,  // not a readable package
    kImportNotWritten = 2,  // a member file or the project could not be written
};

// The message shown when a package cannot be opened (a fixed text in the
// desktop's single-byte code page).
extern const char kImportOpenFailedText[];

// What a failed import leaves for its caller to show once the run is over, on
// the caller's own thread (the work itself shows nothing): resource string
// `stringId` formatted with `argument` (the package's path), or, for
// kImportOpenFailedMessage, the fixed text kImportOpenFailedText.
constexpr int kNoImportMessage = -1;
constexpr int kImportOpenFailedMessage = 0;
struct ImportMessage {
    int stringId = kNoImportMessage;
    std::string argument;
};
// The message's text in the desktop code page; empty for no message.
std::string ImportMessageText(const ImportMessage& message);

class PackageImportTask : public PackageTask {
public:
    PackageImportTask();
    ~PackageImportTask() override;

    // Sets the fields and runs the task. `theme` must have its projectFolder
    // set; an empty alias becomes the package's base name. True when the
    // project was written. On failure the theme gains nothing: no project
    // file, no member file is left behind, and `message` says what to show.
    // A cancelled import (kTaskStatusCancelled) shows nothing and removes the
    // extracted package as well.
    bool ImportPackage(const std::string& packagePath, const std::string& secondPath, ThemeDocument& theme,
                       TaskRunner& runner);

    int DoWork() override;

    // Where the package was extracted (empty before a run).
    std::string ExtractionFolder() const;

    std::string packagePath;
    std::string secondPath;  // kept for the caller; the import does not use it
    ThemeDocument* theme = nullptr;
    std::unique_ptr<ThemePackageReader> reader;
    // Set by a failed run.
    ImportMessage message;

private:
    int Import();
    // Records the message for a failed result; returns the result.
    int Failed(int result);
    // Drops what a failed import added: member files copied in and elements.
    void Discard();
};

// The height of the animated page from the "size=" line of a settings file;
// false (height unchanged) when the file cannot be read or has no such line.
bool ReadAnimationHeight(const std::string& path, int& height);
// The background colour (0x00BBGGRR) from the marker BGCOLOR="# of a page;
// false (colour unchanged) when the file cannot be read or has no marker.
bool ReadAnimationColour(const std::string& path, uint32_t& colour);

// The editor's Import of a ".tsk" into a library folder: the new project is
// folder + base name + ".THM", or base name + "(2).THM", "(3)" ... when taken,
// with the matching alias; the colour table is completed and the project
// saved. On failure `document` is null and nothing is added to the folder.
struct LibraryImport {
    std::unique_ptr<ThemeDocument> document;
    int status = kImportOk;
    ImportMessage message;         // what to show when `document` is null (none when cancelled)
    std::string extractionFolder;  // the package's extraction folder, for clean-up
};
LibraryImport ImportPackageIntoLibrary(const std::string& libraryFolder, const std::string& packagePath,
                                       TaskRunner& runner);

// The first free project path for `baseName` in the folder, and its alias.
std::string FreeProjectPath(const std::string& libraryFolder, const std::string& baseName, std::string& alias);

}  // namespace mrw
