#include "inspect/checker.h"

#include <algorithm>

CheckReport CheckSettings(const SettingsDocument& document) {
    const std::string_view fileBytes = document.bytes;
    Checker checker;
    checker.startsWithByteOrderMark = fileBytes.starts_with(kUtf8ByteOrderMark);
    for (const SettingsLine& line : document.lines)
        checker.Observe(line);
    CheckReport report;
    report.parsed = document.parsed;
    const ParsedSettings& parsed = report.parsed;

    FindSettingsLostToCtrlZ(checker, parsed, fileBytes);
    CheckPairSettings(checker, parsed);
    CheckActivationKey(checker, parsed);
    ReportMissedSections(checker);
    CheckWholeFile(checker, parsed, fileBytes);

    std::stable_sort(checker.warnings.begin(), checker.warnings.end(),
                     [](const CheckWarning& a, const CheckWarning& b) { return a.line < b.line; });
    report.settingLines = checker.settingLines;
    report.warnings = std::move(checker.warnings);
    return report;
}

const CheckWarning* UnreadableFinding(const CheckReport& report) {
    for (const CheckWarning& warning : report.warnings) {
        if (warning.kind == FindingKind::kUnreadable) return &warning;
    }
    return nullptr;
}
