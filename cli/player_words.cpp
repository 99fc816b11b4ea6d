#include "cli/player_words.h"

#include "cli/report_text.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <regex>
#include <string_view>
#include <vector>

namespace {

// "--pid or --process": the option names the parser lists as "--pid,--process".
std::string Alternatives(const std::string& commaList) {
    std::vector<std::string> names;
    for (size_t start = 0; start <= commaList.size();) {
        const size_t comma = std::min(commaList.find(',', start), commaList.size());
        names.push_back(commaList.substr(start, comma - start));
        start = comma + 1;
    }
    const std::vector<std::string_view> views(names.begin(), names.end());
    return Listed(views, " or ");
}

std::string OneOf(const std::string& alternatives, bool tooMany, bool two) {
    return "give " + alternatives + (!tooMany ? "" : two ? ", not both" : ", only one of them");
}

class PlayerHelp : public CLI::Formatter {
  public:
    PlayerHelp() {
        label("Positionals", "Arguments");
        label("SUBCOMMAND", "COMMAND");
    }

    // The description alone: what is required, and how many of a group, the help says in
    // its own words where the options stand. A group's description is its heading.
    std::string make_description(const CLI::App* app) const override {
        return app->get_description().empty() ? "" : app->get_description() + "\n";
    }

    // A group of options as a heading of its own: "What to do (give one of these):".
    std::string make_expanded(const CLI::App* group) const override {
        std::string heading = group->get_description();
        while (!heading.empty() && (heading.back() == ':' || heading.back() == ' '))
            heading.pop_back();
        const size_t least = group->get_require_option_min();
        const size_t most = group->get_require_option_max();
        if (most == 1) heading += least == 1 ? " (give one of these)" : " (give one at most)";
        std::string out = "\n" + heading + ":\n";
        for (const CLI::Option* option : group->get_options([group](const CLI::Option* o) {
                 return o->nonpositional() && o != group->get_help_ptr();
             }))
            out += make_option(option, false);
        return out;
    }

    // The value an option takes, and nothing of how the parser relates it to others.
    std::string make_option_opts(const CLI::Option* option) const override {
        std::string opts;
        if (option->get_type_size() == 0) return opts;
        if (!option->get_type_name().empty()) opts += " " + option->get_type_name();
        if (option->get_expected_max() == CLI::detail::expected_max_vector_size) opts += " ...";
        return opts;
    }

    std::string make_option_desc(const CLI::Option* option) const override {
        std::string description = option->get_description();
        for (const CLI::Option* needed : option->get_needs())
            description += "; needs " + needed->get_name();
        for (const CLI::Option* excluded : option->get_excludes())
            description += "; not with " + excluded->get_name();
        return description;
    }
};

} // namespace

std::shared_ptr<CLI::FormatterBase> PlayerHelpFormat() {
    return std::make_shared<PlayerHelp>();
}

std::string ParseErrorWords(const CLI::ParseError& error) {
    const std::string message = error.what();
    std::smatch match;
    // A group's count: "Exactly 1 option from [--apply,--restore]", "... is required and 2
    // were given", "Requires at most 1 options be given from [--pid,--process]".
    static const std::regex group(R"(^(\w+)[^\[]* from \[([^\]]*)\](.*)$)");
    if (std::regex_match(message, match, group)) {
        const std::string alternatives = Alternatives(match[2]);
        const bool tooMany =
            match[1] == "Requires" || match[3].str().find("given") != std::string::npos;
        const bool two = std::count(alternatives.begin(), alternatives.end(), ',') == 0;
        return OneOf(alternatives, tooMany, two);
    }
    static const std::regex excludes(R"(^(\S+) excludes (\S+)$)");
    if (std::regex_match(message, match, excludes))
        return OneOf(match[1].str() + " or " + match[2].str(), true, true);
    static const std::regex missingValue(R"(^(\S+): \d+ required (\S+) missing$)");
    if (std::regex_match(message, match, missingValue))
        return "give a " + match[2].str() + " after " + match[1].str();
    static const std::regex notExpected(
        R"(^The following arguments? (?:was|were) not expected: (.*)$)");
    if (std::regex_match(message, match, notExpected)) return "did not expect " + match[1].str();
    static const std::regex conversion(R"(^Could not convert: (\S+) = (.*)$)");
    if (std::regex_match(message, match, conversion))
        return match[1].str() + " cannot be \"" + match[2].str() + "\"";
    return message;
}
