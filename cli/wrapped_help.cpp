#include "cli/wrapped_help.h"

#include <algorithm>

namespace {

// `line` with the blanks inside each `quoted command` made unbreakable: a command split
// across two lines cannot be copied whole. A backtick without its pair quotes nothing.
std::string BreakableBlanks(std::string_view line) {
    std::string blanks(line);
    for (size_t open = blanks.find('`'); open != std::string::npos;) {
        const size_t close = blanks.find('`', open + 1);
        if (close == std::string::npos) break;
        std::replace(blanks.begin() + long(open), blanks.begin() + long(close), ' ', '`');
        open = blanks.find('`', close + 1);
    }
    return blanks;
}

// Where continued lines of `line` start: its description's column in a table, else its
// indent.
size_t ContinuationIndent(std::string_view line) {
    const size_t indent = line.find_first_not_of(' ');
    if (indent == std::string_view::npos || indent == 0) return 0;
    const size_t gap = line.find("  ", indent);
    if (gap == std::string_view::npos) return indent;
    const size_t description = line.find_first_not_of(' ', gap);
    return description == std::string_view::npos ? indent : description;
}

void AppendWrapped(std::string_view line, size_t width, std::string& out) {
    constexpr size_t npos = std::string_view::npos;
    const std::string indent(ContinuationIndent(line), ' ');
    const std::string blankSpace = BreakableBlanks(line);
    std::string_view blanks = blankSpace;       // `line`, where only its breakable blanks are blank
    size_t room = width, least = indent.size(); // a first line keeps its name column whole
    while (line.size() > room) {
        size_t cut = blanks.rfind(' ', room);
        if (cut == npos || cut == 0 || cut < least) cut = blanks.find(' ', room);
        const size_t next = cut == npos ? npos : blanks.find_first_not_of(' ', cut);
        if (next == npos) break;
        out.append(line.substr(0, cut)).append("\n").append(indent);
        line.remove_prefix(next);
        blanks.remove_prefix(next);
        room = width > indent.size() + 1 ? width - indent.size() : 1;
        least = 0;
    }
    out.append(line).append("\n");
}

} // namespace

std::string WrappedHelp(std::string_view help, size_t width) {
    std::string out;
    while (!help.empty()) {
        const size_t end = help.find('\n');
        AppendWrapped(help.substr(0, end), width, out);
        if (end == std::string_view::npos) {
            out.pop_back(); // the help's last line had no line feed
            break;
        }
        help.remove_prefix(end + 1);
    }
    return out;
}
