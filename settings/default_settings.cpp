#include "settings/default_settings.h"
// Placeholder until the generated default file lands.
void WriteDefaultSettings() {}
