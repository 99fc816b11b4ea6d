#include "cli/version.h"

#include "settings/default_settings.h"
#include "settings/parse_settings.h"
#include "settings/settings.h"
#include "swap/swap.h"

namespace {

// The pairs the plug-in would walk with here: those of the settings file in this folder,
// or the default file's where it has none or resolves no pair.
SubstitutionChain PlayersChain() {
    std::string bytes;
    if (ReadFileBytes(kSettingsFileName, bytes)) {
        const SubstitutionChain chain = ApplyChain(ParseSettings(bytes).swap);
        if (chain.count > 0) return chain;
    }
    return ApplyChain(ParseSettings(DefaultSettingsText()).swap);
}

} // namespace

// OSTREVANE_VERSION comes from the project's version in CMakeLists.txt, which also names
// the release zip and fills the plug-in's version resource. The engine is the one the
// plug-in's trials would choose here, timed the same way on the same pairs.
std::string VersionText() {
    return std::string("Ostrevane ") + OSTREVANE_VERSION +
           ", swap engine on this CPU: " + ChooseEngineNow(PlayersChain());
}

std::string VersionNumber() {
    return OSTREVANE_VERSION;
}
