#include "cli/commands.h"

#include "swap/swap.h"

// OSTREVANE_VERSION comes from the project's version in CMakeLists.txt, which also names
// the release zip and fills the plug-in's version resource. The engine is the one the
// plug-in's trials would choose here, timed the same way.
std::string VersionText() {
    return std::string("Ostrevane ") + OSTREVANE_VERSION +
           ", swap engine on this CPU: " + ChooseEngineNow();
}
