#pragma once
// "Is it working?" in the window's words: each finding of the diagnosis, a game that could not
// be read, each pair's verdict in the game, and the sentence that sums it all up. What to do
// is said in the window's terms, never as a command line.

#include "game/diagnosis.h"

#include <string>

// A finding, marked "OK" or "PROBLEM" first.
std::string WindowFindingText(const Diagnosis& diagnosis, const DiagnosisFinding& finding);
// The sentence the status line shows first.
std::string WindowSummary(const Diagnosis& diagnosis);
// Every finding, grouped under headings, for the details pane.
std::string WindowDiagnosisText(const Diagnosis& diagnosis);
// Why the game could not be read.
std::string ScanProblemText(const GameScan& scan);
