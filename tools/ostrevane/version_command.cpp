#include "tools/ostrevane/commands.h"

#include "swap/swap.h"

// OSTREVANE_VERSION comes from the project's version in CMakeLists.txt, which also names
// the release zip and fills the plug-in's version resource.
std::string VersionText() {
    return std::string("Ostrevane ") + OSTREVANE_VERSION +
           ", swap engine on this CPU: " + SubstituteEngineName();
}
