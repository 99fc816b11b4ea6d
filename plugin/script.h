#pragma once
// The script the hook runs: watches the toggle key and swaps the camera items on and off.

// Loads the settings, then polls the toggle key every frame for as long as the hook runs
// the script; never returns. Script thread only.
void ScriptMain();

// Puts `text` on screen as a subtitle for five seconds, without waiting. Script thread only.
void ShowSubtitle(const char* text);
