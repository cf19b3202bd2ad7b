// A cabinet builder for the build tests. It accepts the command line and
// writes nothing, as a builder does that rejects its script. With
// MRW_FAKE_CABWIZ_HOLD set to a folder it plays a builder caught at work: it
// writes a cabinet and a partial cabinet beside the script, creates "started"
// in that folder and waits until the test creates "release" there.
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

int main(int argc, char** argv) {
    const char* hold = std::getenv("MRW_FAKE_CABWIZ_HOLD");
    if (!hold || argc < 2) return 0;
    namespace fs = std::filesystem;
    const fs::path folder = fs::path(argv[1]).parent_path();
    std::ofstream(folder / "TODAY.POCKETPC2002.CAB") << "MSCF";
    std::ofstream(folder / "TODAY.POCKETPC2002.CAB.part") << "MS";
    std::ofstream(fs::path(hold) / "started") << "";
    for (int i = 0; i < 600 && !fs::exists(fs::path(hold) / "release"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return 0;
}
