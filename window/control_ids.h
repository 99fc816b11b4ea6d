#pragma once
// The settings window's controls, for its resource, its code and the test that drives it.
// Plain numbers only: the resource compiler reads this file too.
//
// The pairs' rows are made in code, one for each pair of SwapPairs, numbered from these bases:
// a setting's drop-down is kSettingControl + its SettingKey (the pairs' old and new, then the
// key), its comment kCommentControl + the same; a row's warnings kFindingsControl + the pair
// (then the key's row and the whole file's); the game's verdict on a pair kVerdictControl + the
// pair; a row's name kRowNameControl + the pair and its "with" kWithControl + the pair.
#define kSettingControl 1000
#define kCommentControl 1100
#define kFindingsControl 1200
#define kVerdictControl 1300
#define kRowNameControl 1600
#define kWithControl 1700

#define kStatusControl 1400
#define kReloadButton 1401
#define kOpenButton 1402
#define kScanButton 1403
#define kAboutButton 1404
#define kWriteDefaultButton 1405
#define kFileControl 1406
#define kDetailsControl 1407
#define kDefaultsButton 1408
#define kKeyNameControl 1409
#define kDetailsNameControl 1410

#define kSettingsDialog 100
#define kChooseGameDialog 101
#define kGameList 1500
#define kDefaultsDialog 102
#define kDefaultsList 1501
