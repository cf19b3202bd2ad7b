// Small argument reader for the mrw commands: positional arguments and
// "--name value" / "--flag" options.
#pragma once
#include <optional>
#include <string>
#include <vector>

namespace mrw::cli {

class Args {
public:
    // `valueOptions` take the next argument as their value; `flagOptions` take none.
    Args(const std::vector<std::string>& args, const std::vector<std::string>& valueOptions,
         const std::vector<std::string>& flagOptions);

    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }
    bool helpAsked() const { return help_; }
    const std::vector<std::string>& positional() const { return positional_; }
    bool Has(const std::string& option) const;
    std::optional<std::string> Value(const std::string& option) const;

private:
    std::vector<std::string> positional_;
    std::vector<std::pair<std::string, std::string>> options_;
    std::string error_;
    bool help_ = false;
};

}  // namespace mrw::cli
