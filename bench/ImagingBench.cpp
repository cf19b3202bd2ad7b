// Timings of the theme image preparation and its heaviest steps.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cmath>
#include <cstring>
#include <random>
#include <string>

#include "editor/imaging/DibImage.h"
#include "editor/imaging/ThemeImagePreparation.h"
#include "platform/Files.h"
#include "platform/Paths.h"

namespace {

using namespace mrw;

// A folder of its own under the temporary folder, removed at exit.
struct BenchFolder {
    std::string path;
    BenchFolder() {
        path = files::TempFolder() + "mrw-imaging-bench-" + std::to_string(std::random_device{}());
        files::CreateFolders(path);
        path = paths::WithTrailingSeparator(path);
    }
    ~BenchFolder() { files::RemoveTree(path); }
};

BenchFolder& Folder() {
    static BenchFolder folder;
    return folder;
}

// A photograph-like picture: smooth colour gradients with sensor-like noise.
void MakePhoto(DibImage& image, int w, int h) {
    image.Create(w, h, 24);
    std::mt19937 random(1234);
    std::normal_distribution<double> noise(0.0, 6.0);
    for (int y = 0; y < h; ++y) {
        uint8_t* row = image.Row(y);
        for (int x = 0; x < w; ++x) {
            double r = 40 + 180.0 * x / w + 30 * std::sin(y / 37.0);
            double g = 60 + 150.0 * y / h + 25 * std::cos(x / 23.0);
            double b = 200 - 120.0 * (x + y) / (w + h) + 20 * std::sin((x - y) / 51.0);
            double v[3] = {b, g, r};
            for (int c = 0; c < 3; ++c) {
                double n = v[c] + noise(random);
                row[3 * x + c] = uint8_t(n < 0 ? 0 : n > 255 ? 255 : n);
            }
        }
    }
}

const std::string& PhotoPath() {
    static std::string path = [] {
        std::string p = Folder().path + "photo.jpg";
        DibImage photo;
        MakePhoto(photo, 640, 480);
        photo.Save(p, kImageJpeg);
        return p;
    }();
    return path;
}

void CopyImage(const DibImage& from, DibImage& to) {
    to.Create(from.Width(), from.Height(), from.BitsPerPixel());
    to.Info() = from.Info();
    std::memcpy(to.Bits(), from.Bits(), from.Stride() * size_t(from.Height()));
}

void BM_PrepareThemeImage(benchmark::State& state) {
    const std::string photo = PhotoPath();
    ThemeImageJob job;
    job.projectFolder = paths::FolderOf(photo);
    job.name = paths::FileNameOf(photo);
    job.realName = "tdywater.gif";
    job.cropLeft = 100, job.cropTop = 20, job.cropRight = 500, job.cropBottom = 467;
    job.pdaColours = 1;
    const std::string out = Folder().path + "out";
    files::CreateFolders(out);
    for (auto _ : state) benchmark::DoNotOptimize(PrepareThemeImage(job, out));
}
BENCHMARK(BM_PrepareThemeImage)->Unit(benchmark::kMillisecond);

void BM_LoadJpeg640x480(benchmark::State& state) {
    const std::string photo = PhotoPath();
    for (auto _ : state) {
        DibImage image;
        benchmark::DoNotOptimize(image.Load(photo));
    }
}
BENCHMARK(BM_LoadJpeg640x480)->Unit(benchmark::kMillisecond);

void BM_ReduceColours256(benchmark::State& state) {
    DibImage source;
    MakePhoto(source, 240, 268);
    DibImage work;
    for (auto _ : state) {
        state.PauseTiming();
        CopyImage(source, work);
        state.ResumeTiming();
        benchmark::DoNotOptimize(work.ReduceColours(256, 5));
    }
}
BENCHMARK(BM_ReduceColours256)->Unit(benchmark::kMillisecond);

void BM_Dither240x320(benchmark::State& state) {
    DibImage source, target;
    MakePhoto(source, 240, 320);
    for (auto _ : state) benchmark::DoNotOptimize(source.Dither(target));
}
BENCHMARK(BM_Dither240x320)->Unit(benchmark::kMillisecond);

void BM_GifEncode(benchmark::State& state) {
    DibImage image;
    MakePhoto(image, 240, 268);
    image.ReduceColours(256, 8);
    const std::string path = Folder().path + "encode.gif";
    for (auto _ : state) benchmark::DoNotOptimize(image.Save(path, kImageGif));
}
BENCHMARK(BM_GifEncode)->Unit(benchmark::kMillisecond);

void BM_GifDecode(benchmark::State& state) {
    DibImage image;
    MakePhoto(image, 240, 268);
    image.ReduceColours(256, 8);
    const std::string path = Folder().path + "decode.gif";
    image.Save(path, kImageGif);
    for (auto _ : state) {
        DibImage loaded;
        benchmark::DoNotOptimize(loaded.Load(path));
    }
}
BENCHMARK(BM_GifDecode)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
