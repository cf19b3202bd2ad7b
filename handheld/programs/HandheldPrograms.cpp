#include "handheld/programs/HandheldPrograms.h"

#include "handheld/applier/Applier.h"
#include "handheld/ce/Boot.h"
#include "handheld/host/Host.h"
#include "handheld/wceload/Wceload.h"

namespace mrw::handheld {

namespace {

struct Program {
    const char16_t* baseName;  // of the program file on the device; case ignored
    ce::ProgramMain main;
};

// One line per program.
const Program kPrograms[] = {
    {u"sarnick", &applier::SarnickMain},
    {u"mrw2host", &host::HostMain},
    {u"wceload", &wceload::WceloadMain},
    {u"unload", &wceload::UnloadMain},
};

}  // namespace

void RegisterHandheldPrograms() {
    for (const Program& program : kPrograms) ce::RegisterProgram(program.baseName, program.main);
}

}  // namespace mrw::handheld
