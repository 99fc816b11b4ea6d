#pragma once
// The settings window's Win32 face: the dialog that shows a SettingsForm, and the reading of
// the running game behind its "Is it working?" button.

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

// Posted to the dialog when a diagnosis started by StartDiagnosis ends; lParam owns a Diagnosis.
constexpr UINT kScanDoneMessage = WM_APP + 1;

// The folder this program sits in, which is the game folder; without a closing backslash.
std::string ProgramFolder();

// Text in the system's code page, as every path and message of the command is, and back.
std::wstring Wide(std::string_view text);
std::string Narrow(std::wstring_view text);

// The main dialog's procedure; lParam of WM_INITDIALOG is the settings file's path (a
// std::string), or null for the one in ProgramFolder().
INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Diagnoses ProgramFolder() and the game running from it, asking the player which game when
// several programs from it run, on a thread of its own; false (with `status` saying why) when
// the player chose none, else kScanDoneMessage follows.
bool StartDiagnosis(HWND dialog, std::string& status);

// Asks the player to pick one of `entries` in the list `listId` of dialog `dialogId`: the
// index picked, or -1 when cancelled.
INT_PTR ChooseFromList(HWND owner, int dialogId, int listId,
                       const std::vector<std::wstring>& entries);
