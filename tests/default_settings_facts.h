#pragma once
// What a first run must find in the settings file, written out here by hand so that the file
// is checked against the facts rather than against the tables it came from.

#include "settings/swap_pairs.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace default_facts {

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

} // namespace default_facts
