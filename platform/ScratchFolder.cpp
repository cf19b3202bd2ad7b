#include "platform/ScratchFolder.h"

#include <atomic>

#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Process.h"

namespace mrw {

ScratchFolder::ScratchFolder(const std::string& prefix) {
    static std::atomic<unsigned> counter{0};
    const std::string parent = paths::WithTrailingSeparator(files::TempFolder() + "mrw");
    if (!files::CreateFolders(parent)) return;
    const std::string stem = parent + prefix + std::to_string(process::CurrentProcessId()) + "-";
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const std::string candidate = stem + std::to_string(counter++);
        if (files::CreateNewFolder(candidate)) {
            path_ = paths::WithTrailingSeparator(candidate);
            return;
        }
    }
}

ScratchFolder::~ScratchFolder() {
    if (!path_.empty()) files::RemoveTree(path_);
}

}  // namespace mrw
