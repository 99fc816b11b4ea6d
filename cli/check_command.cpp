#include "cli/bytes_text.h"
#include "cli/check.h"
#include "cli/commands.h"
#include "cli/files.h"

#include <algorithm>
#include <cstdio>
#include <ostream>

namespace {

// The eight name settings in file order, as the JSON report names them.
constexpr std::array<std::string_view, kModActivateKey> kJsonNames = {
    "oldShake", "newShake", "oldShakeLoop", "newShakeLoop",
    "oldDof",   "newDof",   "oldCamera",    "newCamera"};

std::string Padded(std::string text, size_t width) {
    if (text.size() < width) text.resize(width, ' ');
    return text;
}

void PrintText(const std::string& path, const CheckReport& report, std::ostream& out) {
    const ParsedSettings& parsed = report.parsed;
    char keyCode[16];
    std::snprintf(keyCode, sizeof keyCode, "0x%02X", unsigned(parsed.swap.activationKey));
    out << "Settings file: " << FullPath(path) << "\n"
        << "Dictionary entries: " << parsed.dictionary.size() << "\n"
        << "Activation key: " << KeyCodeName(parsed.swap.activationKey) << " (" << keyCode << ")\n";

    size_t nameWidth = 0;
    for (size_t key = 0; key < kJsonNames.size(); ++key) {
        nameWidth = std::max(nameWidth, Printable(parsed.values[key]).size());
    }
    for (size_t key = 0; key < kJsonNames.size(); ++key) {
        const std::string name =
            report.settingLines[key] == 0 ? "(not set)" : Printable(parsed.values[key]);
        out << "  " << Padded(std::string(SettingKeyNames[key]), 14)
            << Padded(name, std::max<size_t>(nameWidth, 9) + 2)
            << HexHash(parsed.swap.*ResolvedHashFields[key]) << "\n";
    }

    if (report.warnings.empty()) {
        out << "No warnings.\n";
        return;
    }
    out << report.warnings.size() << (report.warnings.size() == 1 ? " warning:" : " warnings:")
        << "\n";
    for (const CheckWarning& warning : report.warnings) {
        out << "  "
            << (warning.line == 0 ? std::string("file") : "line " + std::to_string(warning.line))
            << ": " << Printable(warning.message) << "\n";
    }
}

void PrintJson(const CheckReport& report, std::ostream& out) {
    const ParsedSettings& parsed = report.parsed;
    out << "{\n"
        << "  \"entries\": " << parsed.dictionary.size() << ",\n"
        << "  \"activationKey\": " << parsed.swap.activationKey << ",\n";
    for (size_t key = 0; key < kJsonNames.size(); ++key) {
        out << "  \"" << kJsonNames[key] << "\": " << parsed.swap.*ResolvedHashFields[key] << ",\n";
    }

    std::vector<std::pair<std::string_view, uint32_t>> entries(parsed.dictionary.begin(),
                                                               parsed.dictionary.end());
    std::sort(entries.begin(), entries.end()); // std::string orders bytes as unsigned
    out << "  \"dictionary\": {";
    for (size_t i = 0; i < entries.size(); ++i) {
        out << (i == 0 ? "\n" : ",\n") << "    " << JsonString(entries[i].first) << ": "
            << entries[i].second;
    }
    out << (entries.empty() ? "},\n" : "\n  },\n");

    out << "  \"warnings\": [";
    for (size_t i = 0; i < report.warnings.size(); ++i) {
        const CheckWarning& warning = report.warnings[i];
        out << (i == 0 ? "\n" : ",\n") << "    {\"line\": " << warning.line
            << ", \"message\": " << JsonString(warning.message) << "}";
    }
    out << (report.warnings.empty() ? "]\n" : "\n  ]\n") << "}\n";
}

} // namespace

int RunCheck(const std::string& path, bool json, std::ostream& out, std::ostream& err) {
    std::string bytes;
    if (!ReadSettingsFile("ostrevane check: ", path, bytes, err)) return kExitFailed;
    const CheckReport report = CheckSettings(bytes);
    if (json) {
        PrintJson(report, out);
    } else {
        PrintText(path, report, out);
    }
    return report.warnings.empty() ? kExitOk : kExitWarnings;
}
