// The cabinet builder: INF in, installer cabinet out.
#pragma once
#include <string>
#include <vector>

namespace mrw::cabwiz {

// Builds "<INF base>.<label>.CAB" (upper case; "<INF base>.CAB" without a
// label) into `destFolder` (the INF's folder when empty). On failure no
// cabinet of that name is left and `error` says why.
bool BuildCabinet(const std::string& infPath, const std::string& label, const std::string& destFolder,
                  std::string& cabinetPath, std::string& error);

// Command line: cabwiz "<inf>" [/cpu LABEL...] [/dest FOLDER]. Returns the
// exit status (0 = every cabinet written, 1 = failure, 2 = usage).
int RunCabWiz(const std::vector<std::string>& args);

}  // namespace mrw::cabwiz
