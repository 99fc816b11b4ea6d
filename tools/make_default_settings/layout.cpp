#include "layout.h"

#include "settings/name_hash.h"
#include "settings/swap_pairs.h"

#include <algorithm>
#include <array>
#include <set>
#include <span>
#include <type_traits>

namespace {

// The comment of a dictionary line: "; " at column 68, the first field at column 70.
constexpr size_t kCommentColumn = 68;
constexpr size_t kLoopLineLength = 392;
constexpr size_t kDofLineLength = 939;
constexpr size_t kCameraLineLength = 2200;
constexpr size_t kSettingsCommentColumn = 58;

enum class Kind {
    Value,     // name value= v
    Pair,      // name x= a  y= b
    Reference, // name hash_XXXXXXXX  name ("-" in the table when empty)
    Context,   // Context ON_FOOT Context
    Flags,     // Flags THIRD_PERSON_NEAR ... Flags
    Group,     // a group's name, opening or closing it; not a field of the table
};

struct FieldShape {
    std::string_view name;
    Kind kind;
    size_t column = 0;       // where the name stands, in shake-loop and DOF lines
    size_t repeatColumn = 0; // where a curve type's name stands again
    size_t minimumGap = 0;   // when set, the name moves right to keep this gap after a long value
};

constexpr FieldShape kLoopFields[] = {
    {"PreDelayDuration", Kind::Value, 70},
    {"AttackDuration", Kind::Value, 103},
    {"DecayDuration", Kind::Value, 134},
    // The one field the game's own text shifts: 162 after a DecayDuration of 50, 163 after 100.
    {"SustainLevel", Kind::Value, 161, 0, 5},
    {"HoldDuration", Kind::Value, 192},
    {"ReleaseDuration", Kind::Value, 221},
    {"AttackCurveType", Kind::Reference, 253, 284},
    {"ReleaseCurveType", Kind::Reference, 301, 333},
    {"UseSpecialCaseEnvelopeReset", Kind::Value, 351},
};

constexpr FieldShape kDofFields[] = {
    {"FocusDistanceGridScaling", Kind::Pair, 70},
    {"SubjectMagnificationPowerFactorNearFar", Kind::Pair, 124},
    {"MaxPixelDepth", Kind::Value, 186},
    {"MaxPixelDepthBlendLevel", Kind::Value, 217},
    {"PixelDepthPowerFactor", Kind::Value, 254},
    {"FNumberOfLens", Kind::Value, 292},
    {"FocalLengthMultiplier", Kind::Value, 321},
    {"FStopsAtMaxExposure", Kind::Value, 358},
    {"FocusDistanceBias", Kind::Value, 393},
    {"MaxNearInFocusDistance", Kind::Value, 428},
    {"MaxNearInFocusDistanceBlendLevel", Kind::Value, 468},
    {"MaxBlurRadiusAtNearInFocusLimit", Kind::Value, 516},
    {"BlurDiskRadiusPowerFactorNear", Kind::Value, 562},
    {"FocusDistanceIncreaseSpringConstant", Kind::Value, 608},
    {"FocusDistanceDecreaseSpringConstant", Kind::Value, 662},
    {"ShouldFocusOnLookAtTarget", Kind::Value, 713},
    {"ShouldFocusOnAttachParent", Kind::Value, 756},
    {"ShouldKeepLookAtTargetInFocus", Kind::Value, 799},
    {"ShouldKeepAttachParentInFocus", Kind::Value, 846},
    {"ShouldMeasurePostAlphaPixelDepth", Kind::Value, 893},
};

// The camera's control metadata record in the order the comment flattens it.
constexpr FieldShape kCameraFields[] = {
    {"ViewModes", Kind::Group},
    {"ShouldUseViewModeInput", Kind::Value},
    {"ShouldToggleViewModeBetweenThirdAndFirstPerson", Kind::Value},
    {"Context", Kind::Context},
    {"Flags", Kind::Flags},
    {"Settings itemType= camControlHelperMetadataViewModeSettings", Kind::Group},
    {"Item", Kind::Group},
    {"OrbitDistanceLimitScaling", Kind::Pair},
    {"Item", Kind::Group},
    {"Item", Kind::Group},
    {"OrbitDistanceLimitScaling", Kind::Pair},
    {"Item", Kind::Group},
    {"Item", Kind::Group},
    {"OrbitDistanceLimitScaling", Kind::Pair},
    {"Item", Kind::Group},
    {"Item", Kind::Group},
    {"OrbitDistanceLimitScaling", Kind::Pair},
    {"Item", Kind::Group},
    {"Item", Kind::Group},
    {"OrbitDistanceLimitScaling", Kind::Pair},
    {"Item", Kind::Group},
    {"Settings", Kind::Group},
    {"ViewModeBlendEnvelopeRef", Kind::Reference},
    {"ViewModes", Kind::Group},
    {"LookAround", Kind::Group},
    {"InputMagPowerFactor", Kind::Value},
    {"Acceleration", Kind::Value},
    {"Deceleration", Kind::Value},
    {"MaxHeadingSpeed", Kind::Value},
    {"MaxPitchSpeed", Kind::Value},
    {"MouseMaxHeadingSpeedMin", Kind::Value},
    {"MouseMaxHeadingSpeedMax", Kind::Value},
    {"MouseMaxPitchSpeedMin", Kind::Value},
    {"MouseMaxPitchSpeedMax", Kind::Value},
    {"LSDeadZoneAngle", Kind::Value},
    {"LSAcceleration", Kind::Value},
    {"LSDeceleration", Kind::Value},
    {"ShouldUseGameTime", Kind::Value},
    {"InputEnvelopeRef", Kind::Reference},
    {"PrecisionAimSettings", Kind::Group},
    {"MinAccelModifier", Kind::Value},
    {"MaxAccelModifier", Kind::Value},
    {"MinDeccelModifier", Kind::Value},
    {"MaxDeccelModifier", Kind::Value},
    {"InputMagToIncreaseDeadZoneMin", Kind::Value},
    {"InputMagToIncreaseDeadZoneMax", Kind::Value},
    {"PrecisionAimSettings", Kind::Group},
    {"LookAround", Kind::Group},
    {"Zoom", Kind::Group},
    {"ShouldUseZoomInput", Kind::Value},
    {"ShouldUseDiscreteZoomControl", Kind::Value},
    {"ShouldUseGameTime", Kind::Value},
    {"MinFov", Kind::Value},
    {"MinFovForNetworkPlay", Kind::Value},
    {"MaxFov", Kind::Value},
    {"InputMagPowerFactor", Kind::Value},
    {"Acceleration", Kind::Value},
    {"Deceleration", Kind::Value},
    {"MaxSpeed", Kind::Value},
    {"Zoom", Kind::Group},
    {"LookBehindOutroTimeMS", Kind::Value},
    {"ShouldUseLookBehindInput", Kind::Value},
    {"ShouldUseAccurateModeInput", Kind::Value},
    {"ShouldToggleAccurateModeInput", Kind::Value},
    {"ShouldApplySniperControlPref", Kind::Value},
    {"ShouldApplyAimSensitivityPref", Kind::Value},
    {"AimSensitivityScalingLimits", Kind::Pair},
    {"MaxDurationForMultiplayerViewModeActivation", Kind::Value},
};

constexpr std::string_view kViewModeFlags[] = {"THIRD_PERSON_NEAR", "THIRD_PERSON_MEDIUM",
                                               "THIRD_PERSON_FAR", "CINEMATIC", "FIRST_PERSON"};

std::string SettingLine(std::string_view key, std::string_view value, std::string_view comment) {
    std::string line = std::string(key) + "=" + std::string(value);
    line.resize(kSettingsCommentColumn, ' ');
    return line + ";" + std::string(comment) + " ";
}

constexpr std::string_view kClosingComments[] = {
    ";    Not sure what these control",
    "; HintHelperRef hash_D4A14726  HintHelperRef ",
    "; CatchUpHelperRef hash_BB2B2512  CatchUpHelperRef ",
    "; BaseAttachVelocityToIgnoreEnvelopeRef hash_7404B3F7  BaseAttachVelocityToIgnoreEnvelopeRef ",
    "; WaterBobShakeRef hash_D9BB5B6C  WaterBobShakeRef ",
    "; RagdollBlendEnvelopeRef hash_50873503  RagdollBlendEnvelopeRef ",
};

[[noreturn]] void Fail(const std::string& where, const std::string& entry, const std::string& why) {
    throw InputError(where + ": " + entry + ": " + why);
}

bool IsUpperHex(std::string_view digits) {
    return digits.size() == 8 && std::all_of(digits.begin(), digits.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
           });
}

bool IsHashName(std::string_view name) {
    return name.size() == 13 && name.substr(0, 5) == "hash_" && IsUpperHex(name.substr(5));
}

std::string HashText(uint32_t hash) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text = "0x";
    for (int shift = 28; shift >= 0; shift -= 4)
        text += kDigits[(hash >> shift) & 0xF];
    return text;
}

// A number or flag as the game writes it, or "?" while it is still unknown.
bool IsPlainValue(std::string_view value) {
    return value == "?" || (!value.empty() && std::all_of(value.begin(), value.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                      c == '.' || c == '-' || c == '+' || c == '_';
           }));
}

const Field& FieldFor(const Entry& entry, size_t index, const FieldShape& shape) {
    if (index >= entry.fields.size()) {
        Fail(entry.where, entry.name, "missing field " + std::string(shape.name));
    }
    const Field& field = entry.fields[index];
    if (field.name != shape.name) {
        Fail(field.where, entry.name,
             "expected field " + std::string(shape.name) + ", found " + field.name);
    }
    const size_t wanted = shape.kind == Kind::Pair ? 2 : 1;
    if (shape.kind == Kind::Flags ? field.values.empty() : field.values.size() != wanted) {
        Fail(field.where, entry.name,
             std::string(shape.name) + " takes " + std::to_string(wanted) + " value(s)");
    }
    return field;
}

// The value of a reference as the comment shows it: "?", a hash name, or "" when empty.
std::string ReferenceText(const Entry& entry, const Field& field) {
    const std::string& value = field.values[0];
    if (value == "-") return "";
    if (value != "?" && !IsHashName(value)) {
        Fail(field.where, entry.name, field.name + " must be ?, - or hash_XXXXXXXX");
    }
    return value;
}

// One field as the comment writes it, with the fixed spacing inside it.
std::string FieldText(const Entry& entry, const FieldShape& shape, const Field& field) {
    const std::string name(shape.name);
    const std::vector<std::string>& values = field.values;
    switch (shape.kind) {
    case Kind::Value:
    case Kind::Pair:
        for (const std::string& value : values) {
            if (!IsPlainValue(value)) Fail(field.where, entry.name, "odd value " + value);
        }
        if (shape.kind == Kind::Value) return name + " value= " + values[0];
        return name + " x= " + values[0] + "  y= " + values[1];
    case Kind::Reference: {
        const std::string hash = ReferenceText(entry, field);
        return hash.empty() ? name + "  " + name : name + " " + hash + "  " + name;
    }
    case Kind::Context:
        if (values[0] != "?" && values[0] != "ON_FOOT" && values[0] != "IN_VEHICLE") {
            Fail(field.where, entry.name, "Context must be ?, ON_FOOT or IN_VEHICLE");
        }
        return name + " " + values[0] + " " + name;
    case Kind::Flags: {
        std::string text = name;
        const std::string_view* next = std::begin(kViewModeFlags);
        for (const std::string& flag : values) {
            if (flag == "?" && values.size() == 1) {
                text += " ?";
                break;
            }
            next = std::find(next, std::end(kViewModeFlags), flag);
            if (next == std::end(kViewModeFlags)) {
                Fail(field.where, entry.name, "unknown or misordered flag " + flag);
            }
            text += " " + flag;
            ++next;
        }
        return text + " " + name;
    }
    case Kind::Group:
        break;
    }
    return name;
}

void CheckFieldCount(const Entry& entry, size_t expected) {
    if (entry.fields.size() > expected) {
        Fail(entry.fields[expected].where, entry.name,
             "unexpected field " + entry.fields[expected].name);
    }
}

// "name=0x12345678", padded to the comment column, then "; ".
std::string DictionaryLineStart(const Entry& entry) {
    std::string line = entry.name + "=" + entry.hash;
    if (line.size() >= kCommentColumn) Fail(entry.where, entry.name, "name too long");
    line.resize(kCommentColumn, ' ');
    return line + "; ";
}

// Writes `text` so that it starts at `column`, with at least one space before it.
void PlaceAt(std::string& line, size_t column, std::string_view text, const Entry& entry) {
    if (line.size() > column || (line.size() == column && line.back() != ' ')) {
        Fail(entry.where, entry.name,
             "the value before " + std::string(text.substr(0, text.find(' '))) +
                 " is too long for the column " + std::to_string(column));
    }
    line.resize(column, ' ');
    line += text;
}

std::string FixedColumnLine(const Entry& entry, std::span<const FieldShape> shapes,
                            size_t expectedLength) {
    std::string line = DictionaryLineStart(entry);
    for (size_t i = 0; i < shapes.size(); ++i) {
        const FieldShape& shape = shapes[i];
        const Field& field = FieldFor(entry, i, shape);
        const size_t column = shape.minimumGap
                                  ? std::max(shape.column, line.size() + shape.minimumGap)
                                  : shape.column;
        if (shape.kind == Kind::Reference) {
            PlaceAt(line, column, std::string(shape.name) + " " + ReferenceText(entry, field),
                    entry);
            PlaceAt(line, shape.repeatColumn, shape.name, entry);
        } else {
            PlaceAt(line, column, FieldText(entry, shape, field), entry);
        }
    }
    CheckFieldCount(entry, shapes.size());
    line += ' ';
    if (line.size() != expectedLength) {
        Fail(entry.where, entry.name,
             "line is " + std::to_string(line.size()) + " characters, not " +
                 std::to_string(expectedLength) + " (check the last value)");
    }
    return line;
}

// The camera comment's spacing is free: the spare columns are spread over the gaps between
// fields so that every camera line is exactly 2200 characters with one trailing space.
std::string CameraLine(const Entry& entry) {
    std::vector<std::string> pieces;
    size_t fieldIndex = 0;
    for (const FieldShape& shape : kCameraFields) {
        if (shape.kind == Kind::Group) {
            pieces.emplace_back(shape.name);
        } else {
            pieces.push_back(FieldText(entry, shape, FieldFor(entry, fieldIndex++, shape)));
        }
    }
    CheckFieldCount(entry, fieldIndex);
    std::string line = DictionaryLineStart(entry);
    size_t used = line.size() + 1; // the trailing space
    for (const std::string& piece : pieces)
        used += piece.size();
    const size_t gaps = pieces.size() - 1;
    // Two spaces at least, so that fields stand apart from the single spaces inside them.
    if (used + 2 * gaps > kCameraLineLength) {
        Fail(entry.where, entry.name, "values too long for a camera line");
    }
    const size_t spare = kCameraLineLength - used;
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0) line.append(spare / gaps + (i - 1 < spare % gaps ? 1 : 0), ' ');
        line += pieces[i];
    }
    return line + ' ';
}

void CheckHash(const Entry& entry) {
    if (entry.hash.size() != 10 || entry.hash.substr(0, 2) != "0x" ||
        !IsUpperHex(std::string_view(entry.hash).substr(2))) {
        Fail(entry.where, entry.name, "hash must be 0x and eight upper-case hex digits");
    }
}

void CheckCount(const std::vector<Entry>& entries, size_t expected, std::string_view what) {
    if (entries.size() != expected) {
        throw InputError(std::string(what) + ": " + std::to_string(entries.size()) +
                         " entries, expected " + std::to_string(expected));
    }
}

// "DOF00", "Camera07": the labels of the items without readable names.
std::string Label(std::string_view prefix, size_t index) {
    return std::string(prefix) + char('0' + index / 10) + char('0' + index % 10);
}

std::vector<std::string> ShakeLines(const std::vector<Entry>& shakes) {
    CheckCount(shakes, 76, "shakes.txt");
    std::vector<std::string> lines;
    bool readable = true;
    for (const Entry& shake : shakes) {
        if (!shake.hash.empty() || !shake.fields.empty()) {
            Fail(shake.where, shake.name, "a shake is listed by name alone");
        }
        const bool hashName = shake.name.starts_with("hash_");
        if (hashName && !IsHashName(shake.name)) {
            Fail(shake.where, shake.name, "expected hash_ and eight upper-case hex digits");
        }
        if (!hashName && !readable) {
            Fail(shake.where, shake.name, "readable names come before the hash_ names");
        }
        readable = !hashName;
        const std::string hash =
            hashName ? "0x" + shake.name.substr(5) : HashText(NameHash(shake.name));
        lines.push_back(shake.name + "=" + hash);
    }
    return lines;
}

std::vector<std::string> LoopLines(const std::vector<Entry>& loops,
                                   const std::vector<Entry>& shakes) {
    CheckCount(loops, shakes.size(), "shake_loops.txt");
    std::vector<std::string> lines;
    for (size_t i = 0; i < loops.size(); ++i) {
        if (loops[i].name != shakes[i].name + "_loop") {
            Fail(loops[i].where, loops[i].name, "expected " + shakes[i].name + "_loop");
        }
        CheckHash(loops[i]);
        lines.push_back(FixedColumnLine(loops[i], kLoopFields, kLoopLineLength));
    }
    return lines;
}

std::vector<std::string> DofLines(const std::vector<Entry>& dofs) {
    CheckCount(dofs, 35, "dof.txt");
    std::vector<std::string> lines;
    for (size_t i = 0; i < dofs.size(); ++i) {
        if (dofs[i].name != Label("DOF", i)) Fail(dofs[i].where, dofs[i].name, "out of order");
        CheckHash(dofs[i]);
        // These three measure depth after alpha ("true"), which makes them one shorter.
        const bool shorter = i == 0 || i == 9 || i == 14;
        lines.push_back(
            FixedColumnLine(dofs[i], kDofFields, shorter ? kDofLineLength - 1 : kDofLineLength));
    }
    return lines;
}

std::vector<std::string> CameraLines(const std::vector<Entry>& cameras) {
    CheckCount(cameras, 40, "cameras.txt");
    std::vector<std::string> lines;
    for (size_t i = 0; i < cameras.size(); ++i) {
        if (cameras[i].name != Label("Camera", i)) {
            Fail(cameras[i].where, cameras[i].name, "out of order");
        }
        CheckHash(cameras[i]);
        lines.push_back(CameraLine(cameras[i]));
    }
    return lines;
}

void CheckNamesDistinct(const Tables& tables) {
    std::set<std::string> names;
    for (const std::vector<Entry>& table : tables) {
        for (const Entry& entry : table) {
            if (!names.insert(entry.name).second) Fail(entry.where, entry.name, "listed twice");
        }
    }
}

void Append(std::vector<std::string>& lines, const std::vector<std::string>& more) {
    lines.insert(lines.end(), more.begin(), more.end());
}

// What the default file holds for each pair: its table in the data folder, its dictionary
// lines, and its default old and new item with the comment beside each setting.
struct PairLayout {
    std::string_view header; // the pair's in SwapPairs, so that no row can slip
    std::string_view table;
    std::vector<std::string> (*lines)(const Tables& tables);
    std::string_view oldName, oldComment, newName, newComment;
};
constexpr PairLayout kPairLayouts[] = {
    {"[Shake]", "shakes.txt", [](const Tables& t) { return ShakeLines(t[0]); }, "sky_diving_shake",
     "Default Sky Dive Camera", "family5_drug_trip_shake", "Change This Name"},
    {"[NewShakeLoop]", "shake_loops.txt", [](const Tables& t) { return LoopLines(t[1], t[0]); },
     "family5_drug_trip_shake_loop", "This Should Use The newshake Name To Change Loop",
     "sky_diving_shake_loop", "Change This Name"},
    {"[DOF]", "dof.txt", [](const Tables& t) { return DofLines(t[2]); }, "DOF05",
     "Default Sky Dive Camera", "DOF10", "Change This Name"},
    {"[Camera]", "cameras.txt", [](const Tables& t) { return CameraLines(t[3]); }, "Camera38",
     "Default Sky Dive Camera", "Camera15", "Change This Name"},
};
static_assert(std::size(kPairLayouts) == kPairCount,
              "give each pair of SwapPairs its row in kPairLayouts "
              "(tools/make_default_settings/layout.cpp): its table, its dictionary lines and its "
              "default choices");
static_assert(
    [] {
        for (size_t i = 0; i < kPairCount; ++i) {
            if (kPairLayouts[i].header != SwapPairs[i].header) return false;
        }
        return true;
    }(),
    "the rows of kPairLayouts (tools/make_default_settings/layout.cpp) follow SwapPairs' order");

} // namespace

std::vector<std::string> DefaultFileLines(const std::string& dataFolder) {
    std::array<std::string_view, kPairCount> files;
    for (size_t i = 0; i < kPairCount; ++i)
        files[i] = kPairLayouts[i].table;
    const Tables tables = ReadTables(dataFolder, files);
    CheckNamesDistinct(tables);
    std::vector<std::string> lines = {"[Settings]",
                                      std::string(SettingKeyNames[kActivationKey]) + "=F8"};
    for (size_t i = 0; i < kPairCount; ++i) {
        const PairLayout& row = kPairLayouts[i];
        lines.push_back(SettingLine(SwapPairs[i].oldSetting.name, row.oldName, row.oldComment));
        lines.push_back(SettingLine(SwapPairs[i].newSetting.name, row.newName, row.newComment));
    }
    lines.push_back("");
    lines.push_back("        ;If you change the oldshake to a new camera, olddof and oldcamera "
                    "must match");
    for (size_t i = 0; i < kPairCount; ++i) {
        Append(lines, {"", std::string(SwapPairs[i].header)});
        Append(lines, kPairLayouts[i].lines(tables));
    }
    lines.emplace_back();
    for (std::string_view comment : kClosingComments) {
        lines.push_back(std::string(kCommentColumn, ' ') + std::string(comment));
    }
    return lines;
}
