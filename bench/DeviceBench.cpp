// The virtual handheld from the command line, whole processes: `mrw device
// apply` of a built animated theme, and `mrw device today` with the Morwen
// item, its host and the theme's page. 20 runs each; min and median are
// reported (target: under 150 ms each).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/Files.h"

namespace {

std::string Quote(const std::string& text) { return "'" + text + "'"; }

int Mrw(const std::string& arguments) {
    const std::string mrw = std::string(MRW_PROGRAM_DIR) + "/mrw";
    return std::system((Quote(mrw) + " " + arguments + " >/dev/null 2>&1").c_str());
}

// A device with an animated theme package in "\My Documents" and the
// program folder's handheld package (Today item, host, page) installed.
struct Workspace {
    std::string root, device, error;

    Workspace() {
        root = mrw::files::TempFolder() + "mrwdevicebench/";
        device = root + "dev";
        mrw::files::RemoveTree(root);
        mrw::files::CreateFolders(root + "lib");
        const std::string project = root + "lib/Bench.THM";
        if (Mrw("new " + Quote(root + "lib") + " Bench") != 0 ||
            Mrw("animate " + Quote(project) + " --height 96") != 0 ||
            Mrw("build " + Quote(project) + " -o " + Quote(root + "Bench.tsk")) != 0) {
            error = "the theme could not be built";
            return;
        }
        if (Mrw("device init " + Quote(device)) != 0) {
            error = "mrw device init failed";
            return;
        }
        mrw::files::Copy(root + "Bench.tsk", device + "/files/My Documents/Bench.tsk", false);
        mrw::files::Copy(std::string(MRW_PROGRAM_DIR) + "/Morwen2PPC.CAB",
                         device + "/files/My Documents/Morwen2PPC.CAB", false);
        const std::string install = " '\\Windows\\wceload.exe' '/noui \"\\My Documents\\Morwen2PPC.CAB\"'";
        if (Mrw("device run " + Quote(device) + install) != 0) {
            error = "the handheld package could not be installed";
            return;
        }
        // A Flash player on the device: the host shows the theme's own page.
        if (Mrw("device reg " + Quote(device) + " set 'HKCR\\.swf' '' sz ShockwaveFlash.ShockwaveFlash") != 0 ||
            Mrw("device reg " + Quote(device) + " create 'HKCR\\ShockwaveFlash.ShockwaveFlash'") != 0) {
            error = "mrw device reg failed";
            return;
        }
        if (Mrw("device apply " + Quote(device) + " '\\My Documents\\Bench.tsk'") != 0) {
            error = "apply failed";
            return;
        }
        // The timed today must load the item, its host and the page.
        const std::string json = root + "today.json";
        const std::string mrw = std::string(MRW_PROGRAM_DIR) + "/mrw";
        std::vector<uint8_t> text;
        if (std::system((Quote(mrw) + " device today " + Quote(device) + " --json > " + Quote(json)).c_str()) != 0 ||
            !mrw::files::ReadAll(json, text) ||
            std::string(text.begin(), text.end()).find("vx5n.htm\", \"flags\"") == std::string::npos)
            error = "mrw device today shows no page";
    }
};

Workspace& Shared() {
    static Workspace workspace;
    return workspace;
}

void TimeCommand(benchmark::State& state, const std::string& arguments) {
    Workspace& workspace = Shared();
    if (!workspace.error.empty()) {
        state.SkipWithError(workspace.error.c_str());
        return;
    }
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const int status = Mrw(arguments);
        const auto end = std::chrono::steady_clock::now();
        if (status != 0) {
            state.SkipWithError(("failed: mrw " + arguments).c_str());
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
}

void BM_DeviceApply(benchmark::State& state) {
    TimeCommand(state, "device apply " + Quote(Shared().device) + " '\\My Documents\\Bench.tsk'");
}

void BM_DeviceToday(benchmark::State& state) {
    TimeCommand(state, "device today " + Quote(Shared().device) + " --json");
}

double Min(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

}  // namespace

BENCHMARK(BM_DeviceApply)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(20)
    ->ComputeStatistics("min", Min)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_DeviceToday)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(20)
    ->ComputeStatistics("min", Min)
    ->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
