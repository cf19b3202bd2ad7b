// cabwiz: builds a handheld installer cabinet from a setup INF file.
#include <string>
#include <vector>

#include "tools/cabwiz/CabWiz.h"

int main(int argc, char** argv) {
    return mrw::cabwiz::RunCabWiz(std::vector<std::string>(argv + 1, argv + argc));
}
