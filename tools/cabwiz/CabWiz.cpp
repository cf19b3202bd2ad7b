#include "tools/cabwiz/CabWiz.h"

#include <cstdio>
#include <exception>
#include <map>
#include <set>

#include "base/AsciiText.h"
#include "base/formats/SetupFileLayout.h"
#include "editor/packages/CabinetWriter.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "tools/cabwiz/CabinetPlan.h"
#include "tools/cabwiz/InfFile.h"

namespace mrw::cabwiz {

namespace {

bool BuildCabinetImpl(const std::string& infPath, const std::string& label, const std::string& destFolder,
                      std::string& cabinetPath, std::string& error) {
    const std::string infBase = paths::BaseNameOf(infPath);
    const std::string stem = label.empty() ? infBase : infBase + "." + label;
    const std::string folder = destFolder.empty() ? paths::FolderOf(infPath) : paths::WithTrailingSeparator(destFolder);
    cabinetPath = folder + ascii::ToUpper(stem) + ".CAB";
    // A cabinet left by an earlier run must not pass for the result of this one.
    if (files::Exists(cabinetPath)) files::Delete(cabinetPath);

    std::vector<uint8_t> bytes;
    if (!files::ReadAll(infPath, bytes)) {
        error = "cannot read " + infPath;
        return false;
    }
    InfFile inf;
    if (!inf.Parse(std::string(bytes.begin(), bytes.end()), error)) return false;
    CabinetPlan plan;
    if (!PlanCabinet(inf, label, paths::FolderOf(infPath), plan, error)) return false;
    for (const auto& p : plan.payload) {
        if (!files::IsFile(p.sourcePath)) {
            error = "source file not found: " + p.sourcePath;
            return false;
        }
    }
    std::vector<uint8_t> setup;
    if (!WriteSetupFile(plan.setup, setup, error)) return false;

    // Member names: 8.3-style base, then the file id as extension. The setup
    // file comes first, the files follow in descending id order.
    uint16_t date = 0, time = 0;
    DosDateTimeNow(date, time);
    std::set<std::string> taken;
    std::map<std::string, std::string> baseOfSource;  // one short name per source file
    std::vector<CabinetMember> payload;
    for (const auto& p : plan.payload) {
        char ext[8];
        std::snprintf(ext, sizeof ext, ".%03u", static_cast<unsigned>(p.fileId));
        std::string& base = baseOfSource[ascii::ToLower(p.sourceName)];
        if (base.empty()) base = MemberBaseName(paths::FileNameOf(p.sourceName), taken);
        CabinetMember member;
        member.name = base + ext;
        member.sourcePath = p.sourcePath;
        member.date = date;
        member.time = time;
        payload.push_back(std::move(member));
    }
    std::vector<CabinetMember> members(1);
    members[0].name = MemberBaseName(stem + setupfile::kSetupFileSuffix, taken) + setupfile::kSetupFileSuffix;
    members[0].bytes = std::move(setup);
    members[0].date = date;
    members[0].time = time;
    members.insert(members.end(), payload.rbegin(), payload.rend());
    return WriteCabinet(cabinetPath, members, error);
}

const char* kUsage =
    "usage: cabwiz \"<INF file>\" [/cpu LABEL ...] [/dest FOLDER]\n"
    "Builds an installer cabinet <INF base>.<LABEL>.CAB beside the INF file.\n";

}  // namespace

bool BuildCabinet(const std::string& infPath, const std::string& label, const std::string& destFolder,
                  std::string& cabinetPath, std::string& error) {
    try {
        return BuildCabinetImpl(infPath, label, destFolder, cabinetPath, error);
    } catch (const std::exception& e) {
        error = std::string("internal error: ") + e.what();
        if (!cabinetPath.empty() && files::Exists(cabinetPath)) files::Delete(cabinetPath);
        return false;
    }
}

int RunCabWiz(const std::vector<std::string>& args) {
    std::string inf, dest;
    std::vector<std::string> labels;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string option = ascii::ToLower(args[i]);
        if (option == "/cpu" || option == "-cpu") {
            while (i + 1 < args.size() && !args[i + 1].empty() && args[i + 1][0] != '/' && args[i + 1][0] != '-')
                labels.push_back(args[++i]);
        } else if ((option == "/dest" || option == "-dest") && i + 1 < args.size()) {
            dest = args[++i];
        } else if (option == "/?" || option == "-h" || option == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if ((option == "/err" || option == "-err") && i + 1 < args.size()) {
            ++i;  // errors go to stderr
        } else if (inf.empty() && !args[i].empty()) {
            inf = args[i];  // the INF (also an absolute POSIX path starting with '/')
        } else {
            std::fprintf(stderr, "cabwiz: unexpected argument '%s'\n%s", args[i].c_str(), kUsage);
            return 2;
        }
    }
    if (inf.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (labels.empty()) labels.push_back(std::string());
    int status = 0;
    for (const auto& label : labels) {
        std::string cabinet, error;
        if (!BuildCabinet(inf, label, dest, cabinet, error)) {
            std::fprintf(stderr, "cabwiz: %s: %s\n", inf.c_str(), error.c_str());
            status = 1;
        }
    }
    return status;
}

}  // namespace mrw::cabwiz
