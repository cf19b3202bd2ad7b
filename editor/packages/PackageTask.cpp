#include "editor/packages/PackageTask.h"

namespace mrw {

void PackageTask::SetCaption(int stringId) { Report({TaskEvent::kCaption, stringId, 0}); }

void PackageTask::SetStep(int step) {
    if (maxStep < 1) return;
    Report({TaskEvent::kStep, step, maxStep});
}

int PackageTask::ErrorStringId(int result) { return (result >= 1 && result <= 7) ? 125 + result : 125; }

int PackageTask::DeliverPackage(const std::string&) { return 0; }

}  // namespace mrw
