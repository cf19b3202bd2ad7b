// A working folder of one caller alone under the temporary folder.
#pragma once

#include <string>

namespace mrw {

// Creates "<temp>/mrw/<prefix><pid>-<n>" exclusively and removes it with
// everything in it when the object goes. The process id and a counter of the
// process keep concurrent callers (threads or processes) apart, and a folder
// left behind by someone else is never reused.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& prefix);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // The folder with a trailing separator; empty when none could be made.
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

}  // namespace mrw
