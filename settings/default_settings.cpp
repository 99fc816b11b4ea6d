#include "settings/default_settings.h"

#include <cstdio>
#include <exception>
#include <fstream>

std::string DefaultSettingsText(std::string_view lineEnd) {
    std::string text;
    text.reserve(160 * 1024);
    for (std::string_view line : DefaultSettingsLines)
        (text += line) += lineEnd;
    return text;
}

void WriteDefaultSettings(const std::string& path) {
    bool opened = false;
    bool complete = false;
    try {
        // Text mode: on Windows the runtime stores each line feed as CR LF, as players expect.
        std::ofstream file(path);
        opened = file.is_open();
        if (!opened) return;
        for (std::string_view line : DefaultSettingsLines) {
            file.write(line.data(), static_cast<std::streamsize>(line.size()));
            file.put('\n');
        }
        file.close();
        complete = !file.fail();
    } catch (const std::exception&) {
        // Out of memory: the game must never see an exception from us.
    }
    // Only a missing file is ever written, so a default file cut short by a full disk would
    // stay cut short for good; removing it lets the next load try again.
    if (opened && !complete) std::remove(path.c_str());
}
