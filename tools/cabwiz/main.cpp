// cabwiz: builds a handheld installer cabinet from a setup INF file.
#include <string>
#include <vector>

#include "platform/Prompter.h"
#include "tools/cabwiz/CabWiz.h"

int main(int argc, char** argv) {
    // cabwiz reports on stderr itself and has no resource texts or settings;
    // a message of the shared code would go to stderr as well.
    mrw::StderrPrompter prompter("cabwiz");
    mrw::ScopedPrompter scoped(prompter);
    return mrw::cabwiz::RunCabWiz(std::vector<std::string>(argv + 1, argv + argc));
}
