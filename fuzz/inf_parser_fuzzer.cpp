// Fuzzes the cabinet builder's INF reading: parse, plan the cabinet, write the
// setup file and read it back.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "editor/packages/SetupFile.h"
#include "editor/packages/SetupFileWriter.h"
#include "tools/cabwiz/CabinetPlan.h"
#include "tools/cabwiz/InfFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    mrw::cabwiz::InfFile inf;
    std::string error;
    if (!inf.Parse(std::string(reinterpret_cast<const char*>(data), size), error)) return 0;
    mrw::cabwiz::CabinetPlan plan;
    if (!mrw::cabwiz::PlanCabinet(inf, "POCKETPC2002", "fuzz", plan, error)) return 0;
    std::vector<uint8_t> setup;
    if (!mrw::WriteSetupFile(plan.setup, setup, error)) return 0;
    mrw::SetupFileContent back;
    // What the writer writes, the reader must read: same counts.
    if (!mrw::ParseSetupFile(setup.data(), setup.size(), back)) std::abort();
    if (back.files.size() != plan.setup.files.size() || back.values.size() != plan.setup.values.size() ||
        back.keys.size() != plan.setup.keys.size()) {
        std::abort();
    }
    return 0;
}
