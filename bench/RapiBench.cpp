// Our RAPI library over a virtual handheld: 10,000 connect/disconnect cycles
// (target: under 1 s, each logged on the device) and 4 MB put and fetch in
// the 1024-byte calls the link's copies make (target: above 20 MB/s).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "handheld/device/Device.h"
#include "handheld/rapi/RapiTypes.h"
#include "platform/Files.h"

using namespace mrw::rapi;

namespace {

constexpr size_t kBlock = 1024;
constexpr size_t kFileSize = 4 * 1024 * 1024;

std::string MakeDevice(const char* name) {
    const std::string dir = mrw::files::TempFolder() + name;
    mrw::files::RemoveTree(dir);
    std::string error;
    mrw::device::Device::Create(dir, {}, error);
    setenv("MRW_DEVICE", dir.c_str(), 1);
    return dir;
}

std::basic_string<WCHAR> W(const char16_t* text) {
    return std::basic_string<WCHAR>(text, text + std::char_traits<char16_t>::length(text));
}

void BM_InitUninitCycles(benchmark::State& state) {
    const std::string dir = MakeDevice("mrwrapibench-cycles");
    for (auto _ : state) {
        for (int i = 0; i < 10000; ++i) {
            RAPIINIT init{};
            init.cbSize = sizeof init;
            if (CeRapiInitEx(&init) != kSOk || CeRapiUninit() != kSOk) state.SkipWithError("cycle failed");
        }
    }
    mrw::files::RemoveTree(dir);
}
BENCHMARK(BM_InitUninitCycles)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_PutAndFetch4MB(benchmark::State& state) {
    const std::string dir = MakeDevice("mrwrapibench-copy");
    RAPIINIT init{};
    init.cbSize = sizeof init;
    CeRapiInitEx(&init);
    std::vector<char> data(kFileSize, 'm'), back(kBlock);
    const auto path = W(u"\\My Documents\\big.tsk");
    for (auto _ : state) {
        HANDLE h = CeCreateFile(path.c_str(), kGenericWrite, 0, nullptr, kCreateAlways, 0, nullptr);
        DWORD done = 0;
        for (size_t at = 0; at < kFileSize; at += kBlock) CeWriteFile(h, data.data() + at, kBlock, &done, nullptr);
        CeCloseHandle(h);
        h = CeCreateFile(path.c_str(), kGenericRead, 0, nullptr, kOpenExisting, 0, nullptr);
        size_t total = 0;
        while (CeReadFile(h, back.data(), kBlock, &done, nullptr) && done != 0) total += done;
        CeCloseHandle(h);
        if (total != kFileSize) state.SkipWithError("short fetch");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 2 * kFileSize);
    CeRapiUninit();
    mrw::files::RemoveTree(dir);
}
BENCHMARK(BM_PutAndFetch4MB)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
