#include "cli/wrapped_help.h"

namespace {

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
    size_t room = width, least = indent.size(); // a first line keeps its name column whole
    while (line.size() > room) {
        size_t cut = line.rfind(' ', room);
        if (cut == npos || cut == 0 || cut < least) cut = line.find(' ', room);
        const size_t next = cut == npos ? npos : line.find_first_not_of(' ', cut);
        if (next == npos) break;
        out.append(line.substr(0, cut)).append("\n").append(indent);
        line.remove_prefix(next);
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
