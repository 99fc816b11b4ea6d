#include "settings/default_settings.h"

#include "settings/settings.h"

#include <cstdio>
#include <fstream>

void WriteDefaultSettings() {
    // Text mode: on Windows the runtime stores each line feed as CR LF, as players expect.
    std::ofstream file(SettingsPath);
    if (!file) return;
    for (std::string_view line : DefaultSettingsLines) {
        file.write(line.data(), static_cast<std::streamsize>(line.size()));
        file.put('\n');
    }
    file.close();
    // Only a missing file is ever written, so a default file cut short by a full disk would
    // stay cut short for good; removing it lets the next load try again.
    if (file.fail()) std::remove(SettingsPath.c_str());
}
