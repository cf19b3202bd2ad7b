#include "tools/mrw/Args.h"

#include <algorithm>

namespace mrw::cli {

namespace {
bool Contains(const std::vector<std::string>& list, const std::string& s) {
    return std::find(list.begin(), list.end(), s) != list.end();
}
}  // namespace

Args::Args(const std::vector<std::string>& args, const std::vector<std::string>& valueOptions,
           const std::vector<std::string>& flagOptions) {
    bool onlyPositional = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (onlyPositional || a.size() < 2 || a[0] != '-' || a == "-") {
            positional_.push_back(a);
        } else if (a == "--") {
            onlyPositional = true;
        } else if (a == "--help" || a == "-h") {
            help_ = true;
        } else if (Contains(valueOptions, a)) {
            if (i + 1 >= args.size()) {
                error_ = "option " + a + " needs a value";
                return;
            }
            options_.emplace_back(a, args[++i]);
        } else if (Contains(flagOptions, a)) {
            options_.emplace_back(a, std::string());
        } else {
            error_ = "unknown option " + a;
            return;
        }
    }
}

bool Args::Has(const std::string& option) const {
    return std::any_of(options_.begin(), options_.end(),
                       [&](const auto& o) { return o.first == option; });
}

std::optional<std::string> Args::Value(const std::string& option) const {
    for (auto it = options_.rbegin(); it != options_.rend(); ++it)
        if (it->first == option) return it->second;
    return std::nullopt;
}

}  // namespace mrw::cli
