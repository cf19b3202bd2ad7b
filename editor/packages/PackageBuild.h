// Building a theme package: the theme's files exported into the working
// folder (program folder + "tmp"), the installation script "Today.INF"
// written beside them, the cabinet builder run on it, and the cabinet
// delivered as "<alias>.tsk".
#pragma once
#include <string>

#include "editor/packages/PackageTask.h"

namespace mrw {

class ThemeDocument;

// Results of a package build (0 = the package is delivered); the message
// shown for a failure is resource string 125 + status.
enum BuildStatus : int {
    kBuildOk = 0,
    kBuildNoWorkingFolder = 1,  // the working folder could not be created
    kBuildNoScript = 2,         // "Today.INF" could not be written
    kBuildExportFailed = 3,     // a member file could not be exported
    kBuildNoBuilder = 5,        // the cabinet builder could not be started
    kBuildNoCabinet = 6,        // the builder left no cabinet, or it could not be renamed
    kBuildNotDelivered = 7,     // the package could not be moved to its destination
};

// Name of the installation script and of the cabinet the builder writes.
extern const char kInstallScriptName[];  // "Today.INF"
extern const char kBuiltCabinetName[];   // "TODAY.POCKETPC2002.CAB"

// The text of "Today.INF" for the theme (CR LF line ends).
std::string InstallScriptText(const ThemeDocument& theme);

// The working folder of the builds and the animated page: toolFolder + "tmp".
std::string WorkingFolder(const std::string& toolFolder);

// Builds the theme's package and delivers it beside the project as
// drive + folder + base name of the project + ".tsk" (stored in the theme's
// packageFile).
class PackageBuildTask : public PackageTask {
public:
    // Sets the fields and runs the task; true when the package was delivered.
    // A cancelled build (status kTaskStatusCancelled) delivers nothing and
    // leaves no file of its own in the working folder; the package already
    // at the destination stays as it was.
    bool BuildPackage(const std::string& toolFolder, ThemeDocument& theme, TaskRunner& runner);

    // Polls for a cancel between its steps and once the cabinet builder has
    // ended; once the delivery has begun the build is no longer cancelled.
    int DoWork() override;

    std::string toolFolder;  // holds the cabinet builder; ends in a separator
    ThemeDocument* theme = nullptr;

protected:
    int DeliverPackage(const std::string& workingFolder) override;
    // Moves the working package onto `destination`, replacing an existing
    // (even read-only) package in one step.
    int MovePackage(const std::string& workingFolder, const std::string& destination);

private:
    // Removes what this run wrote into the working folder (and the folder,
    // when the run made it and it is empty now); returns the cancelled status.
    int Cancel(const std::string& workingFolder, bool madeFolder);
};

// The same build, delivered to a chosen path.
class PackageExportTask : public PackageBuildTask {
public:
    explicit PackageExportTask(std::string target) : targetPath(std::move(target)) {}

    std::string targetPath;

protected:
    int DeliverPackage(const std::string& workingFolder) override;
};

}  // namespace mrw
