#pragma once
// The stand-in game: loads the real plug-in from its own folder, beside the stand-in
// hook, runs game frames on a virtual clock and presses keys through Windows' own input,
// as a player would. Everything here runs on the program's main thread.

#include "tools/standin_game/standin_hook.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace host {

// A frame of the game at about sixty frames a second.
constexpr uint32_t kFrameMs = 16;
constexpr int kF8 = 0x77;

// Gives this process a keyboard of its own and turns a crash into a message and an exit
// code instead of a dialog. Every function below calls it first; calling it again does
// nothing.
void Start();

// Loads Ostrevane.asi from this program's folder; the plug-in registers its script with
// the hook while it loads. Returns the module, or nullptr after printing why it failed.
void* LoadPlugin();
// Unloads the plug-in; the plug-in unregisters its script while it unloads. False when
// the module stays loaded.
bool UnloadPlugin(void* module);

// Points the module's import of `function` (by name, from any DLL) at `replacement`, as a
// debugger's hook would, so a test can act between two of the plug-in's calls to Windows.
// Returns the function imported before, or nullptr when the module does not import it.
void* PatchImport(void* module, const char* function, void* replacement);

// Runs `count` frames.
void RunFrames(int count);
// Runs frames until the game clock has moved on by at least `milliseconds`.
void RunFor(uint64_t milliseconds);
// Runs frames until the game clock reads at least `milliseconds`.
void RunUntil(uint64_t milliseconds);
// The game clock in milliseconds.
uint64_t NowMs();

// Sends a key-down (or key-up) of the key with this virtual-key code; the plug-in sees it
// at its next poll.
void KeyDown(int virtualKey);
void KeyUp(int virtualKey);
// Down for one frame, then up for one frame.
void Tap(int virtualKey);

// Everything the hook recorded since the start or the last StandInClearEvents.
std::vector<StandInEvent> Events();
// The recorded events of one kind, in order.
std::vector<StandInEvent> EventsOfKind(StandInEventKind kind);
// Real time, in seconds, the script ran in the slice that ended with the `nth` wait (1 = the
// first) after the last subtitle starting with `text`; 0 when there is none.
double SliceSeconds(const char* text, int nth);

struct Subtitle {
    uint64_t shownAtMs;
    std::string text;
    uint32_t durationMs;
};
// The subtitles the game put on screen, in order.
std::vector<Subtitle> Subtitles();

// Makes an empty folder `name` under the folder the program started in and makes it the
// current folder, where the plug-in keeps its settings file.
std::filesystem::path EnterFreshFolder(const std::string& name);
// The folder this program, the stand-in hook and the plug-in are in.
std::filesystem::path ProgramFolder();

// The whole file as bytes; empty when it does not open.
std::string ReadBytes(const std::filesystem::path& path);
// Replaces the file with exactly these bytes.
void WriteBytes(const std::filesystem::path& path, const std::string& bytes);

struct Ran {
    uint32_t status;    // the exit code; 0xDEAD when the program did not start or end in time
    std::string output; // its output and errors together
};
// Runs `program` (a Windows path, or a Unix one that Wine's Z: drive reaches) with
// `arguments`, as a player would from a command prompt, and waits up to a minute for it.
Ran RunProgram(std::string program, const std::string& arguments);

} // namespace host
