// Shared set-up of the package build and import tests: a tool folder holding
// a cabinet builder.
#pragma once
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/Process.h"
#include "testing/TestSupport.h"

namespace mrw::test {

// Copies a builder program (permissions included) into the tool folder under
// the name the build starts.
inline bool InstallBuilder(const std::string& builder, const std::string& toolFolder) {
    std::error_code ec;
    std::filesystem::copy_file(builder, toolFolder + process::ExecutableName("CabWiz"),
                               std::filesystem::copy_options::overwrite_existing, ec);
    return !ec;
}

inline std::string RealBuilder() { return CabWizProgram(); }
inline std::string FakeBuilder() { return MRW_FAKE_CABWIZ; }

}  // namespace mrw::test
