#include "settings/default_settings.h"
#include "settings/parse_settings.h"
#include "settings/settings.h"
#include "tests/standin.h"

#include "settings/name_hash.h"
#include "tests/default_settings_facts.h"
#include "tests/game_folder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace fs = std::filesystem;

namespace {

using namespace default_facts;

std::string Hex(uint32_t hash) {
    char text[11];
    std::snprintf(text, sizeof text, "0x%08X", hash);
    return text;
}

std::string Label(std::string_view prefix, size_t index) {
    return std::string(prefix) + char('0' + index / 10) + char('0' + index % 10);
}

std::vector<std::string> Words(std::string_view text) {
    std::istringstream in{std::string(text)};
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

// Every name the default dictionary must hold, with its hash, in file order.
std::vector<std::pair<std::string, uint32_t>> ExpectedEntries() {
    std::vector<std::pair<std::string, uint32_t>> entries;
    std::vector<std::string> shakes;
    for (std::string_view name : kReadableShakes) {
        entries.emplace_back(name, NameHash(name));
        shakes.emplace_back(name);
    }
    for (std::string_view name : kHashNamedShakes) {
        entries.emplace_back(name, std::stoul(std::string(name.substr(5)), nullptr, 16));
        shakes.emplace_back(name);
    }
    for (size_t i = 0; i < shakes.size(); ++i) {
        entries.emplace_back(shakes[i] + "_loop", kLoopHashes[i]);
    }
    for (size_t i = 0; i < std::size(kDofHashes); ++i) {
        entries.emplace_back(Label("DOF", i), kDofHashes[i]);
    }
    for (size_t i = 0; i < std::size(kCameraHashes); ++i) {
        entries.emplace_back(Label("Camera", i), kCameraHashes[i]);
    }
    return entries;
}

// First line of each dictionary section, counting from 1 as an editor does.
constexpr size_t kFirstShake = 15, kFirstLoop = 93, kFirstDof = 171, kFirstCamera = 208;

// The token that starts at `column`, up to the next space.
std::string_view TokenAt(std::string_view line, size_t column) {
    const std::string_view rest = line.substr(std::min(column, line.size()));
    return rest.substr(0, rest.find(' '));
}

// True when `text` stands at `column` with a space on either side.
bool StandsAt(std::string_view line, size_t column, std::string_view text) {
    return column > 0 && column + text.size() < line.size() && line[column - 1] == ' ' &&
           line.substr(column, text.size()) == text && line[column + text.size()] == ' ';
}

bool IsHashName(std::string_view token) {
    return token.size() == 13 && token.starts_with("hash_") &&
           token.find_first_not_of("0123456789ABCDEF", 5) == std::string_view::npos;
}

// Walks a camera comment through the record's shape; empty when it fits, else what broke.
std::string CameraShapeMismatch(const std::vector<std::string>& tokens) {
    size_t at = 0;
    // Consumes the next token if it is `expected` (any token when `expected` is empty).
    auto take = [&](std::string_view expected) {
        if (at >= tokens.size() || (!expected.empty() && tokens[at] != expected)) return false;
        ++at;
        return true;
    };
    for (const CameraToken& token : kCameraRecord) {
        const std::string where = std::string(token.name) + " at token " + std::to_string(at);
        if (!take(token.name)) return "expected " + where;
        switch (token.shape) {
        case Shape::Group:
            break;
        case Shape::Value:
            if (!take("value=") || !take("")) return "no value for " + where;
            break;
        case Shape::Pair:
            if (!take("x=") || !take("") || !take("y=") || !take("")) return "no pair for " + where;
            break;
        case Shape::Reference:
            if (at < tokens.size() && tokens[at] != token.name) {
                if (tokens[at] != "?" && !IsHashName(tokens[at])) return "odd reference " + where;
                ++at;
            }
            if (!take(token.name)) return "unclosed " + where;
            break;
        case Shape::Enclosing: {
            const size_t first = at;
            while (at < tokens.size() && tokens[at] != token.name)
                ++at;
            const size_t count = at - first;
            if (count == 0 || (token.name == "Context" && count != 1) || !take(token.name)) {
                return "bad " + where;
            }
            break;
        }
        }
    }
    return at == tokens.size() ? "" : "extra tokens from " + std::to_string(at);
}

// Writes the default file into a fresh folder and reads it back, byte for byte.
class DefaultSettingsFileTest : public GameFolderTest {
  protected:
    void SetUp() override {
        GameFolderTest::SetUp();
        WriteDefaultSettings(SettingsPath);
        ASSERT_TRUE(ReadFileBytes(SettingsPath, bytes_));
        std::string_view rest = bytes_;
        for (size_t end; (end = rest.find('\n')) != std::string_view::npos;) {
            lines_.emplace_back(rest.substr(0, end));
            rest.remove_prefix(end + 1);
        }
        ASSERT_TRUE(rest.empty()) << "the last line has no line feed";
        ASSERT_EQ(lines_.size(), 254u);
    }
    // Line `number` of the file, counting from 1.
    const std::string& Line(size_t number) const { return lines_.at(number - 1); }

    std::string bytes_;
    std::vector<std::string> lines_;
};

} // namespace

TEST_F(DefaultSettingsFileTest, IsTheConstantTextWithOneLineFeedAfterEveryLine) {
    std::string expected;
    for (std::string_view line : DefaultSettingsLines)
        (expected += line) += '\n';
    EXPECT_EQ(bytes_, expected);
    EXPECT_EQ(bytes_.size(), 154627u);
    // Written in text mode on Windows, every line feed gains a carriage return.
    EXPECT_EQ(bytes_.size() + lines_.size(), 154881u);
    EXPECT_EQ(
        bytes_.find_first_not_of("\n !#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[]^_"
                                 "`abcdefghijklmnopqrstuvwxyz{|}~"),
        std::string::npos)
        << "only printable ASCII and line feeds";
}

TEST_F(DefaultSettingsFileTest, FollowsTheLineTable) {
    const std::vector<std::pair<size_t, std::string_view>> fixed = {
        {1, "[Settings]"},
        {2, "modactivatekey=F8"},
        {11, ""},
        {13, ""},
        {14, "[Shake]"},
        {91, ""},
        {92, "[NewShakeLoop]"},
        {169, ""},
        {170, "[DOF]"},
        {206, ""},
        {207, "[Camera]"},
        {248, ""},
        {12, "        ;If you change the oldshake to a new camera, olddof and oldcamera must "
             "match"},
    };
    std::vector<bool> isFixed(255);
    for (const auto& [number, text] : fixed) {
        EXPECT_EQ(Line(number), text) << "line " << number;
        isFixed[number] = true;
    }
    for (size_t number = 1; number <= 254; ++number) {
        if (isFixed[number]) continue;
        EXPECT_FALSE(Line(number).empty()) << "line " << number;
        EXPECT_NE(Line(number).front(), '[') << "line " << number;
    }
}

TEST_F(DefaultSettingsFileTest, PadsEachSettingToColumn58BeforeItsComment) {
    const std::vector<std::array<std::string_view, 3>> settings = {
        {"oldshake", "sky_diving_shake", "Default Sky Dive Camera"},
        {"newshake", "family5_drug_trip_shake", "Change This Name"},
        {"oldshakeloop", "family5_drug_trip_shake_loop",
         "This Should Use The newshake Name To Change Loop"},
        {"newshakeloop", "sky_diving_shake_loop", "Change This Name"},
        {"olddof", "DOF05", "Default Sky Dive Camera"},
        {"newdof", "DOF10", "Change This Name"},
        {"oldcamera", "Camera38", "Default Sky Dive Camera"},
        {"newcamera", "Camera15", "Change This Name"},
    };
    for (size_t i = 0; i < settings.size(); ++i) {
        const auto& [key, value, comment] = settings[i];
        const std::string& line = Line(3 + i);
        const std::string setting = std::string(key) + "=" + std::string(value);
        EXPECT_EQ(line.substr(0, 58), setting + std::string(58 - setting.size(), ' '));
        EXPECT_EQ(line.substr(58), ";" + std::string(comment) + " ");
    }
}

TEST_F(DefaultSettingsFileTest, ListsTheShakesWithTheirHashesWithoutComments) {
    ASSERT_EQ(std::size(kReadableShakes), 38u);
    ASSERT_EQ(std::size(kHashNamedShakes), 38u);
    // The two hashes the settings table states outright pin the hash function down.
    EXPECT_EQ(NameHash("sky_diving_shake"), 0x7DC36678u);
    EXPECT_EQ(NameHash("family5_drug_trip_shake"), 0x643E2FFBu);
    for (size_t i = 0; i < 38; ++i) {
        const std::string_view name = kReadableShakes[i];
        EXPECT_EQ(Line(kFirstShake + i), std::string(name) + "=" + Hex(NameHash(name)));
        const std::string_view hashed = kHashNamedShakes[i];
        EXPECT_EQ(Line(kFirstShake + 38 + i),
                  std::string(hashed) + "=0x" + std::string(hashed.substr(5)));
    }
}

TEST_F(DefaultSettingsFileTest, StartsEveryCommentedEntryWithItsHashPaddedToColumn68) {
    const std::vector<std::pair<std::string, uint32_t>> entries = ExpectedEntries();
    for (size_t i = 76; i < entries.size(); ++i) {
        const auto& [name, hash] = entries[i];
        // Entries follow one another, skipping the blank line and header between sections.
        const size_t number = kFirstLoop + i - 76 + (i >= 152 ? 2 : 0) + (i >= 187 ? 2 : 0);
        const std::string& line = Line(number);
        const std::string start = name + "=" + Hex(hash);
        ASSERT_GE(line.size(), 71u) << name;
        EXPECT_EQ(line.substr(0, 70), start + std::string(68 - start.size(), ' ') + "; ");
        EXPECT_NE(line[70], ' ') << name;
        EXPECT_EQ(line.back(), ' ') << name;
        EXPECT_NE(line[line.size() - 2], ' ') << name << ": one trailing space only";
    }
}

TEST_F(DefaultSettingsFileTest, KeepsTheShakeLoopFieldsAtTheirColumns) {
    for (size_t number = kFirstLoop; number < kFirstLoop + 76; ++number) {
        const std::string& line = Line(number);
        SCOPED_TRACE(line.substr(0, line.find('=')));
        EXPECT_EQ(line.size(), 392u);
        // Only a DecayDuration wider than one digit pushes SustainLevel right.
        const std::string_view decay = TokenAt(line, 134 + 21);
        const size_t sustain = decay == "50" ? 162 : decay == "100" ? 163 : 161;
        for (auto [field, column] : kLoopColumns) {
            if (field == "SustainLevel") column = sustain;
            EXPECT_TRUE(StandsAt(line, column, field)) << field;
        }
        for (size_t column : {70, 103, 134, 192, 221}) {
            EXPECT_EQ(TokenAt(line, column + 1 + TokenAt(line, column).size()), "value=");
        }
        EXPECT_TRUE(StandsAt(line, 284, "AttackCurveType"));
        EXPECT_TRUE(StandsAt(line, 333, "ReleaseCurveType"));
        EXPECT_EQ(line.substr(351), "UseSpecialCaseEnvelopeReset value= false ");
    }
}

TEST_F(DefaultSettingsFileTest, ShowsTheSkyDivingAndDrugTripLoopEnvelopes) {
    const size_t skyDiving = kFirstLoop + 31, drugTrip = kFirstLoop + 6;
    ASSERT_TRUE(Line(skyDiving).starts_with("sky_diving_shake_loop="));
    ASSERT_TRUE(Line(drugTrip).starts_with("family5_drug_trip_shake_loop="));
    const std::pair<size_t, std::string_view> examples[] = {{skyDiving, "1000"},
                                                            {drugTrip, "2000"}};
    for (const auto& [number, attack] : examples) {
        const std::string& line = Line(number);
        EXPECT_TRUE(StandsAt(line, 70, "PreDelayDuration value= 0"));
        EXPECT_TRUE(StandsAt(line, 103, "AttackDuration value= " + std::string(attack)));
        EXPECT_TRUE(StandsAt(line, 134, "DecayDuration value= 0"));
        EXPECT_TRUE(StandsAt(line, 161, "SustainLevel value= 1"));
        EXPECT_TRUE(StandsAt(line, 192, "HoldDuration value= -1"));
        EXPECT_TRUE(StandsAt(line, 221, "ReleaseDuration value= 2000"));
        EXPECT_TRUE(StandsAt(line, 253, "AttackCurveType hash_E31A36F4  AttackCurveType"));
        EXPECT_TRUE(StandsAt(line, 301, "ReleaseCurveType hash_B8B75E54  ReleaseCurveType"));
    }
}

TEST_F(DefaultSettingsFileTest, KeepsTheDofFieldsAtTheirColumns) {
    for (size_t i = 0; i < 35; ++i) {
        const std::string& line = Line(kFirstDof + i);
        SCOPED_TRACE(Label("DOF", i));
        for (const auto& [field, column] : kDofColumns) {
            EXPECT_TRUE(StandsAt(line, column, field)) << field;
            const bool pair = column < 186;
            EXPECT_EQ(TokenAt(line, column + field.size() + 1), pair ? "x=" : "value=") << field;
        }
        // Only these three measure depth after alpha, which makes their lines one shorter.
        const bool postAlpha = i == 0 || i == 9 || i == 14;
        EXPECT_EQ(line.size(), postAlpha ? 938u : 939u);
        EXPECT_EQ(line.substr(893), std::string("ShouldMeasurePostAlphaPixelDepth value= ") +
                                        (postAlpha ? "true " : "false "));
    }
}

TEST_F(DefaultSettingsFileTest, ShowsTheDefaultDofPairsValues) {
    struct Example {
        size_t column;
        std::string_view dof05, dof10;
    };
    const Example examples[] = {
        {70, "x= 0.5  y= 0.5", "x= 0.666666  y= 0.666666"},
        {124, "x= 1  y= 1", "x= 1  y= 1"},
        {186, "90", "99999"},
        {217, "1", "0"},
        {254, "1", "1"},
        {292, "1.2", "22"},
        {321, "1.6", "1.6"},
        {358, "1.5", "0"},
        {393, "0", "0"},
        {428, "99999", "99999"},
        {468, "0", "0"},
        {516, "1", "1"},
        {562, "1.4", "1"},
        {608, "100", "100"},
        {662, "300", "300"},
        {713, "false", "false"},
        {756, "false", "false"},
        {799, "false", "false"},
        {846, "true", "false"},
        {893, "false", "false"},
    };
    for (size_t i = 0; i < std::size(examples); ++i) {
        const Example& example = examples[i];
        const std::string field(kDofColumns[i].field);
        const std::string prefix = field + (example.column < 186 ? " " : " value= ");
        EXPECT_TRUE(
            StandsAt(Line(kFirstDof + 5), example.column, prefix + std::string(example.dof05)))
            << "DOF05 " << field;
        EXPECT_TRUE(
            StandsAt(Line(kFirstDof + 10), example.column, prefix + std::string(example.dof10)))
            << "DOF10 " << field;
    }
}

TEST_F(DefaultSettingsFileTest, FlattensEachCameraRecordIntoOneLineOf2200Characters) {
    for (size_t i = 0; i < 40; ++i) {
        const std::string& line = Line(kFirstCamera + i);
        SCOPED_TRACE(Label("Camera", i));
        EXPECT_EQ(line.size(), 2200u);
        EXPECT_EQ(CameraShapeMismatch(Words(std::string_view(line).substr(70))), "");
    }
    EXPECT_EQ(Words(std::string_view(Line(kFirstCamera + 38)).substr(70)), Words(kCamera38Comment));
}

TEST_F(DefaultSettingsFileTest, EndsWithTheSixClosingComments) {
    const std::string_view closing[] = {
        ";    Not sure what these control",
        "; HintHelperRef hash_D4A14726  HintHelperRef ",
        "; CatchUpHelperRef hash_BB2B2512  CatchUpHelperRef ",
        "; BaseAttachVelocityToIgnoreEnvelopeRef hash_7404B3F7  "
        "BaseAttachVelocityToIgnoreEnvelopeRef ",
        "; WaterBobShakeRef hash_D9BB5B6C  WaterBobShakeRef ",
        "; RagdollBlendEnvelopeRef hash_50873503  RagdollBlendEnvelopeRef ",
    };
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(Line(249 + i), std::string(68, ' ') + std::string(closing[i]));
    }
}

TEST_F(DefaultSettingsFileTest, LoadsAsTheWholeDictionaryAndTheDefaultChoices) {
    const std::vector<std::pair<std::string, uint32_t>> entries = ExpectedEntries();
    const NameToHash expected(entries.begin(), entries.end());
    ASSERT_EQ(expected.size(), 227u);
    std::string crlf;
    for (char c : bytes_) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    for (const std::string& text : {bytes_, crlf}) {
        std::vector<size_t> skipped;
        const ParsedSettings parsed = ParseSettings(text, [&](const SettingsLine& line) {
            if (line.kind == LineKind::NoEquals) skipped.push_back(line.number);
        });
        EXPECT_EQ(parsed.dictionary, expected);
        EXPECT_EQ(parsed.swap, kDefaultSwap);
        // Only the comment lines are skipped; "hash_D9BB5B6C" in one of them adds nothing.
        EXPECT_EQ(skipped, (std::vector<size_t>{12, 249, 250, 251, 252, 253, 254}));
    }
}
