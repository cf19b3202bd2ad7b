// Background work on theme packages (import, build): a task whose work runs
// on a worker thread while a runner shows its caption and its steps (a
// progress line on a terminal, the editor's progress dialog); the caller
// waits for the end and reads the status.
#pragma once
#include <string>

#include "editor/tasks/Task.h"

namespace mrw {

// Status a task ends with when its work could not run or failed unexpectedly
// (resource string 129).
constexpr int kTaskStatusUnexpected = 4;
// Status of a run that was cancelled. Not an error: nothing is shown for it,
// and whatever the work had begun to write is gone.
constexpr int kTaskStatusCancelled = 8;

class PackageTask : public Task {
public:
    // Caption of the progress display: resource string `stringId`.
    void SetCaption(int stringId);
    // Shows step n of maxStep; nothing while maxStep is below 1.
    void SetStep(int step);

    // The resource string describing a result: 125 + result for 1 to 7, else 125.
    static int ErrorStringId(int result);

    // Number of steps the work reports; set by the work before its first step.
    int maxStep = 0;

protected:
    PackageTask() : Task(kTaskStatusCancelled, kTaskStatusUnexpected) {}
    // The task's own closing operation: the package builds deliver the
    // finished package with it (`workingFolder` holds it). The base has
    // nothing to do.
    virtual int DeliverPackage(const std::string& workingFolder);
};

}  // namespace mrw
