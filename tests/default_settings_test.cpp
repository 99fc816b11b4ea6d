#include "settings/default_settings.h"
#include "settings/parse_settings.h"
#include "settings/settings.h"
#include "tests/standin.h"

#include "settings/name_hash.h"
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

// --- What a first run must find in the settings file, written out here by hand so that
// --- the file is checked against the facts rather than against the tables it came from.

constexpr std::string_view kReadableShakes[] = {
    "assault_rifle_recoil_shake",
    "death_fail_in_effect_shake",
    "default_first_person_recoil_shake",
    "default_third_person_accuracy_offset_shake",
    "default_third_person_recoil_shake",
    "drunk_shake",
    "family5_drug_trip_shake",
    "first_person_deploy_parachute_shake",
    "fps_assault_rifle_recoil_shake",
    "fps_grenade_launcher_recoil_shake",
    "fps_mg_recoil_shake",
    "fps_minigun_recoil_shake",
    "fps_pistol_recoil_shake",
    "fps_rpg_recoil_shake",
    "fps_shotgun_recoil_shake",
    "fps_smg_recoil_shake",
    "fps_tank_recoil_shake",
    "gameplay_explosion_shake",
    "grenade_explosion_shake",
    "grenade_launcher_recoil_shake",
    "hand_shake",
    "jolt_shake",
    "large_explosion_shake",
    "medium_explosion_shake",
    "mg_recoil_shake",
    "minigun_recoil_shake",
    "parachuting_shake",
    "pistol_recoil_shake",
    "road_vibration_shake",
    "rpg_recoil_shake",
    "shotgun_recoil_shake",
    "sky_diving_shake",
    "small_explosion_shake",
    "smg_recoil_shake",
    "tank_recoil_shake",
    "veh_impact_pitch_heading_shake_fps",
    "vibrate_shake",
    "wobbly_shake",
};

constexpr std::string_view kHashNamedShakes[] = {
    "hash_00F3565F", "hash_0BAABB62", "hash_10B02DAF", "hash_1DA7D003", "hash_23EF0011",
    "hash_2C0DC402", "hash_30572C08", "hash_3D401305", "hash_447CD3DF", "hash_453BD919",
    "hash_4C1E8470", "hash_4D01A609", "hash_508022CE", "hash_58AC4F66", "hash_5BCD2FAF",
    "hash_5C7F93F1", "hash_6C98D56A", "hash_6D56FB2F", "hash_6EAF3662", "hash_6FC66FBB",
    "hash_7A6BDB02", "hash_81BAA808", "hash_855B2A88", "hash_899DD785", "hash_8BE70753",
    "hash_940FA074", "hash_9B5C6457", "hash_A5A1B9D8", "hash_A9124CB4", "hash_B7A5D3A2",
    "hash_C18AB041", "hash_C831FD27", "hash_CD18C75D", "hash_D664EE10", "hash_D76D73C4",
    "hash_D9BB5B6C", "hash_E1EFD692", "hash_FC850E7C",
};

// Each shake's loop envelope, in file order.
constexpr uint32_t kLoopHashes[] = {
    0x9035161B, 0xA7F6FDA8, 0x9C244BC1, 0x29323100, 0x83A081EB, 0xA432F267, 0xC1028541, 0x9BE46053,
    0x9035161B, 0xF956FAD4, 0xF8B137C2, 0xD97F315E, 0x7CE45C35, 0xF3B2E891, 0x10523BE2, 0x8CA4559C,
    0x8E5ED12A, 0xDC3FAF80, 0xBAE11664, 0xF956FAD4, 0xB7A9CFEA, 0x0A6C3824, 0x211CB60E, 0xB2252841,
    0xF8B137C2, 0xD97F315E, 0x80348513, 0x7CE45C35, 0x7F95B21F, 0xF3B2E891, 0x10523BE2, 0xB911BBC5,
    0x579AF0D7, 0x8CA4559C, 0x8E5ED12A, 0xCC8A0B6F, 0xB2C8DB4F, 0x48A909D6, 0x79874366, 0xA0B25259,
    0x3F314333, 0x0D0AD827, 0x0DA5A023, 0xB9A208BE, 0x72ED553A, 0xE37D9766, 0x35CE2B30, 0x93A239BB,
    0x3512F10B, 0x40BE8C42, 0x7DD0E474, 0x0E1EA6DF, 0x9DB3E853, 0x5F5517F5, 0x8F4C3514, 0x11609B6B,
    0xC0421F2C, 0xDAD82CC5, 0x46BB509A, 0x45A5B011, 0xCC8A0B6F, 0xBB1E0072, 0x869866B1, 0x8F16C7FB,
    0x96F2842A, 0x5CD8AF24, 0x1D36546F, 0x5761C661, 0x7846E834, 0x9035161B, 0x7846E834, 0x5CD8AF24,
    0xA432F267, 0xC0BC11B3, 0x10523BE2, 0xF9F812D8,
};
constexpr uint32_t kDofHashes[] = {
    0x035D4F19, 0x0F4F817B, 0x16F4ED2A, 0x230EAD98, 0x250BECF9, 0x30348053, 0x409E87FC,
    0x4959CC61, 0x4AAF5EEF, 0x4AEAA7D9, 0x5C8A08F7, 0x5D2B7D87, 0x64A70734, 0x7C75DBF7,
    0x7CB4C658, 0x95F325DD, 0x9A6E1A16, 0xA3EADC4A, 0xA46E1CC8, 0xA6606C49, 0xABB73429,
    0xB975E147, 0xBE2497A8, 0xC81B5A23, 0xCC162BAE, 0xCC60B3D6, 0xD2103606, 0xD2AE2BB2,
    0xD8B553B9, 0xDD203D6D, 0xDEA459EC, 0xEADCCCDD, 0xF235541B, 0x5AF8D31B, 0xA7346D53,
};
constexpr uint32_t kCameraHashes[] = {
    0x002CC091, 0x0D2AC986, 0x31B26DA5, 0x435A467E, 0x49F5EDAE, 0x668A6C2F, 0x82F4C329, 0x86D719E2,
    0xA0E65526, 0xA8D48B33, 0xB153B281, 0xB469534F, 0xB8223C38, 0xEC47E8D1, 0x26EA93D8, 0x2F0AACD0,
    0x488A30D2, 0x49F800AE, 0x8BB92CE8, 0xE2159F28, 0xBEAF566A, 0x0A3B6AA4, 0x1279E175, 0x1FF2D987,
    0x235AE8F8, 0x24DB2DED, 0x4DF6CFAD, 0x557DA139, 0x5AC84150, 0x6846EFAE, 0x75986CED, 0x8045E9FF,
    0xC009F160, 0xC029A3C9, 0xCA784251, 0xECAAC1A0, 0xF5FE45D6, 0xF7BC3BD8, 0xF8160EE8, 0xFC390B80,
};

// The defaults a first run resolves: the sky-diving shake, loop, DOF and camera pairs, F8.
constexpr SwapSettingsRecord kDefaultSwap{0x7DC36678, 0x643E2FFB, 0xC1028541,
                                          0xB911BBC5, 0x30348053, 0x5C8A08F7,
                                          0xF8160EE8, 0x2F0AACD0, 0x77};

struct FieldColumn {
    std::string_view field;
    size_t column;
};
constexpr FieldColumn kLoopColumns[] = {
    {"PreDelayDuration", 70}, {"AttackDuration", 103},   {"DecayDuration", 134},
    {"SustainLevel", 161},    {"HoldDuration", 192},     {"ReleaseDuration", 221},
    {"AttackCurveType", 253}, {"ReleaseCurveType", 301}, {"UseSpecialCaseEnvelopeReset", 351},
};
constexpr FieldColumn kDofColumns[] = {
    {"FocusDistanceGridScaling", 70},
    {"SubjectMagnificationPowerFactorNearFar", 124},
    {"MaxPixelDepth", 186},
    {"MaxPixelDepthBlendLevel", 217},
    {"PixelDepthPowerFactor", 254},
    {"FNumberOfLens", 292},
    {"FocalLengthMultiplier", 321},
    {"FStopsAtMaxExposure", 358},
    {"FocusDistanceBias", 393},
    {"MaxNearInFocusDistance", 428},
    {"MaxNearInFocusDistanceBlendLevel", 468},
    {"MaxBlurRadiusAtNearInFocusLimit", 516},
    {"BlurDiskRadiusPowerFactorNear", 562},
    {"FocusDistanceIncreaseSpringConstant", 608},
    {"FocusDistanceDecreaseSpringConstant", 662},
    {"ShouldFocusOnLookAtTarget", 713},
    {"ShouldFocusOnAttachParent", 756},
    {"ShouldKeepLookAtTargetInFocus", 799},
    {"ShouldKeepAttachParentInFocus", 846},
    {"ShouldMeasurePostAlphaPixelDepth", 893},
};

// How each token of a camera comment is followed: a group's name stands alone.
enum class Shape { Group, Value, Pair, Reference, Enclosing };
struct CameraToken {
    std::string_view name;
    Shape shape;
};
constexpr CameraToken kCameraRecord[] = {
    {"ViewModes", Shape::Group},
    {"ShouldUseViewModeInput", Shape::Value},
    {"ShouldToggleViewModeBetweenThirdAndFirstPerson", Shape::Value},
    {"Context", Shape::Enclosing},
    {"Flags", Shape::Enclosing},
    {"Settings", Shape::Group},
    {"itemType=", Shape::Group},
    {"camControlHelperMetadataViewModeSettings", Shape::Group},
    {"Item", Shape::Group},
    {"OrbitDistanceLimitScaling", Shape::Pair},
    {"Item", Shape::Group},
    {"Item", Shape::Group},
    {"OrbitDistanceLimitScaling", Shape::Pair},
    {"Item", Shape::Group},
    {"Item", Shape::Group},
    {"OrbitDistanceLimitScaling", Shape::Pair},
    {"Item", Shape::Group},
    {"Item", Shape::Group},
    {"OrbitDistanceLimitScaling", Shape::Pair},
    {"Item", Shape::Group},
    {"Item", Shape::Group},
    {"OrbitDistanceLimitScaling", Shape::Pair},
    {"Item", Shape::Group},
    {"Settings", Shape::Group},
    {"ViewModeBlendEnvelopeRef", Shape::Reference},
    {"ViewModes", Shape::Group},
    {"LookAround", Shape::Group},
    {"InputMagPowerFactor", Shape::Value},
    {"Acceleration", Shape::Value},
    {"Deceleration", Shape::Value},
    {"MaxHeadingSpeed", Shape::Value},
    {"MaxPitchSpeed", Shape::Value},
    {"MouseMaxHeadingSpeedMin", Shape::Value},
    {"MouseMaxHeadingSpeedMax", Shape::Value},
    {"MouseMaxPitchSpeedMin", Shape::Value},
    {"MouseMaxPitchSpeedMax", Shape::Value},
    {"LSDeadZoneAngle", Shape::Value},
    {"LSAcceleration", Shape::Value},
    {"LSDeceleration", Shape::Value},
    {"ShouldUseGameTime", Shape::Value},
    {"InputEnvelopeRef", Shape::Reference},
    {"PrecisionAimSettings", Shape::Group},
    {"MinAccelModifier", Shape::Value},
    {"MaxAccelModifier", Shape::Value},
    {"MinDeccelModifier", Shape::Value},
    {"MaxDeccelModifier", Shape::Value},
    {"InputMagToIncreaseDeadZoneMin", Shape::Value},
    {"InputMagToIncreaseDeadZoneMax", Shape::Value},
    {"PrecisionAimSettings", Shape::Group},
    {"LookAround", Shape::Group},
    {"Zoom", Shape::Group},
    {"ShouldUseZoomInput", Shape::Value},
    {"ShouldUseDiscreteZoomControl", Shape::Value},
    {"ShouldUseGameTime", Shape::Value},
    {"MinFov", Shape::Value},
    {"MinFovForNetworkPlay", Shape::Value},
    {"MaxFov", Shape::Value},
    {"InputMagPowerFactor", Shape::Value},
    {"Acceleration", Shape::Value},
    {"Deceleration", Shape::Value},
    {"MaxSpeed", Shape::Value},
    {"Zoom", Shape::Group},
    {"LookBehindOutroTimeMS", Shape::Value},
    {"ShouldUseLookBehindInput", Shape::Value},
    {"ShouldUseAccurateModeInput", Shape::Value},
    {"ShouldToggleAccurateModeInput", Shape::Value},
    {"ShouldApplySniperControlPref", Shape::Value},
    {"ShouldApplyAimSensitivityPref", Shape::Value},
    {"AimSensitivityScalingLimits", Shape::Pair},
    {"MaxDurationForMultiplayerViewModeActivation", Shape::Value},
};

// The default old camera, token by token.
constexpr std::string_view kCamera38Comment =
    "ViewModes ShouldUseViewModeInput value= true "
    "ShouldToggleViewModeBetweenThirdAndFirstPerson value= false Context ON_FOOT Context "
    "Flags THIRD_PERSON_NEAR THIRD_PERSON_MEDIUM THIRD_PERSON_FAR CINEMATIC Flags "
    "Settings itemType= camControlHelperMetadataViewModeSettings "
    "Item OrbitDistanceLimitScaling x= 0.85 y= 0.85 Item Item OrbitDistanceLimitScaling x= 1 "
    "y= 1 Item Item OrbitDistanceLimitScaling x= 1.15 y= 1.15 Item Item "
    "OrbitDistanceLimitScaling x= 1 y= 1 Item Item OrbitDistanceLimitScaling x= 1 y= 1 Item "
    "Settings ViewModeBlendEnvelopeRef ViewModeBlendEnvelopeRef ViewModes "
    "LookAround InputMagPowerFactor value= 1 Acceleration value= 2 Deceleration value= 6 "
    "MaxHeadingSpeed value= 157.6 MaxPitchSpeed value= 100.3 MouseMaxHeadingSpeedMin value= 250 "
    "MouseMaxHeadingSpeedMax value= 1080 MouseMaxPitchSpeedMin value= 190 "
    "MouseMaxPitchSpeedMax value= 820 LSDeadZoneAngle value= 0 LSAcceleration value= 0 "
    "LSDeceleration value= 0 ShouldUseGameTime value= false "
    "InputEnvelopeRef hash_1ABDE030 InputEnvelopeRef "
    "PrecisionAimSettings MinAccelModifier value= 0.1 MaxAccelModifier value= 1.9 "
    "MinDeccelModifier value= 0.5 MaxDeccelModifier value= 1.5 "
    "InputMagToIncreaseDeadZoneMin value= 0.75 InputMagToIncreaseDeadZoneMax value= 1 "
    "PrecisionAimSettings LookAround "
    "Zoom ShouldUseZoomInput value= false ShouldUseDiscreteZoomControl value= false "
    "ShouldUseGameTime value= false MinFov value= 5 MinFovForNetworkPlay value= 7.5 "
    "MaxFov value= 45 InputMagPowerFactor value= 1 Acceleration value= 6 Deceleration value= 6 "
    "MaxSpeed value= 1 Zoom "
    "LookBehindOutroTimeMS value= 100 ShouldUseLookBehindInput value= true "
    "ShouldUseAccurateModeInput value= false ShouldToggleAccurateModeInput value= true "
    "ShouldApplySniperControlPref value= false ShouldApplyAimSensitivityPref value= false "
    "AimSensitivityScalingLimits x= 0.35 y= 1.65 "
    "MaxDurationForMultiplayerViewModeActivation value= 500";

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

// --- The load that writes a missing file first -----------------------------------------

namespace {

class FirstRunTest : public GameSessionTest {
  protected:
    static std::string DefaultText() {
        std::string text;
        for (std::string_view line : DefaultSettingsLines)
            (text += line) += '\n';
        return text;
    }
    static std::string FileText() {
        std::string text;
        EXPECT_TRUE(ReadFileBytes(SettingsPath, text));
        return text;
    }
};

} // namespace

TEST_F(FirstRunTest, WritesAMissingFileAndLoadsTheDefaults) {
    LoadSettings();
    EXPECT_EQ(FileText(), DefaultText());
    EXPECT_EQ(HashDictionary.size(), 227u);
    EXPECT_EQ(SwapSettings, kDefaultSwap);
}

TEST_F(FirstRunTest, NeverChangesAFileThatExists) {
    std::string noCameras = DefaultText();
    noCameras.erase(noCameras.find("[Camera]"));
    const std::vector<std::string> files = {
        "",
        "[Settings]\r\nnewshake=x\r\n",
        "no line feed at all",
        noCameras,
    };
    for (const std::string& text : files) {
        WriteSettings(text);
        LoadSettings();
        EXPECT_EQ(FileText(), text);
    }
    // What was read is the player's file, not the defaults it lacks.
    EXPECT_EQ(HashDictionary.size(), 227u - 40u);
    EXPECT_EQ(SwapSettings.oldCamera, 0u);
}

TEST_F(FirstRunTest, NeverWritesOverAFolderAtThePath) {
    fs::create_directory(SettingsPath);
    LoadSettings();
    ASSERT_TRUE(fs::is_directory(SettingsPath));
    EXPECT_TRUE(fs::is_empty(SettingsPath));
    EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 1);
    EXPECT_EQ(SwapSettings, SwapSettingsRecord{});
}

TEST_F(FirstRunTest, WritesTheFileAgainWhenItWasDeletedBetweenLoads) {
    LoadSettings();
    WriteSettings("[Settings]\nnewshake=mine\n[Shake]\nmine=0x1\n");
    LoadSettings();
    ASSERT_EQ(SwapSettings.newShake, 1u);

    fs::remove(SettingsPath); // the player deletes it while the game runs
    LoadSettings();
    EXPECT_EQ(FileText(), DefaultText());
    EXPECT_EQ(SwapSettings, kDefaultSwap);
}

TEST_F(FirstRunTest, AFileThatCannotBeCreatedLeavesEverythingAsItWas) {
    LoadSettings();
    // Gone from under the game: nothing can be created in it any more.
    fs::remove_all(fs::current_path());
    SwapSettings.newCamera = 0x1234;
    LoadSettings();
    EXPECT_EQ(SwapSettings.newCamera, 0x1234u);
    EXPECT_EQ(HashDictionary.size(), 227u);
}

TEST_F(FirstRunTest, AWriteThatFailsLeavesNoHalfFileBehind) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "needs a device that is always full";
    // The settings file is a link to a device whose every write fails as a full disk does.
    fs::create_symlink("/dev/full", SettingsPath);
    WriteDefaultSettings(SettingsPath);
    // A link left behind would be read as an endless settings file of zero bytes.
    ASSERT_FALSE(fs::exists(fs::symlink_status(SettingsPath)));
    EXPECT_TRUE(fs::exists("/dev/full"));

    // With nothing left at the path, the next load starts over.
    LoadSettings();
    EXPECT_EQ(FileText(), DefaultText());
}
