#include "check/check_rules.h"

#include <algorithm>

CheckReport CheckSettings(const SettingsDocument& document) {
    CheckReport report;
    report.parsed = document.parsed;
    report.settingLines = document.settingLines;
    report.warnings = UnreadableFindings(document);
    if (!report.warnings.empty()) return report;

    const LineFindings lines = ObserveLines(document);
    const SettingFates fates = FatesOf(document, lines);
    report.warnings = lines.warnings;
    for (std::vector<CheckWarning> findings :
         {PairFindings(document, fates), KeyFindings(document, fates),
          MissedSectionFindings(lines, fates), WholeFileFindings(document, lines, fates)}) {
        report.warnings.insert(report.warnings.end(), std::make_move_iterator(findings.begin()),
                               std::make_move_iterator(findings.end()));
    }
    std::stable_sort(report.warnings.begin(), report.warnings.end(),
                     [](const CheckWarning& a, const CheckWarning& b) { return a.line < b.line; });
    return report;
}

const CheckWarning* UnreadableFinding(const CheckReport& report) {
    for (const CheckWarning& warning : report.warnings) {
        if (warning.kind == FindingKind::kUnreadable) return &warning;
    }
    return nullptr;
}
