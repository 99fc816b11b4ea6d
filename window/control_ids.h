#pragma once
// The settings window's controls, for its resource, its code and the test that drives it.
// Plain numbers only: the resource compiler reads this file too.

// A setting's drop-down is kSettingControl + its SettingKey: the pairs' old and new, then the key.
#define kSettingControl 1000
// The comment under a pair's drop-down: kCommentControl + its SettingKey.
#define kCommentControl 1100
// The warnings beside a row: kFindingsControl + the pair, the key's row or the whole file's.
#define kFindingsControl 1200
// What "Is it working?" found for a pair: kVerdictControl + the pair.
#define kVerdictControl 1300

#define kStatusControl 1400
#define kReloadButton 1401
#define kOpenButton 1402
#define kScanButton 1403
#define kAboutButton 1404
#define kWriteDefaultButton 1405
#define kFileControl 1406
#define kDetailsControl 1407
#define kDefaultsButton 1408

// The pairs the dialog has rows for: the code stops the build when the pairs' table differs.
#define kPairRows 4

#define kSettingsDialog 100
#define kChooseGameDialog 101
#define kGameList 1500
#define kDefaultsDialog 102
#define kDefaultsList 1501
