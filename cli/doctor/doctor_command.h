#pragma once
// `ostrevane doctor`: why the toggle key does nothing, found out in the game's folder and in
// the running game, each finding with what to do next.

#include "cli/command.h"
#include "game/diagnosis.h"

#include <string>

void AddDoctorCommand(CLI::App& app, CommandLine& line);

// A finding in the command's words, and the one sentence that sums the diagnosis up.
std::string DoctorFindingWords(const Diagnosis& diagnosis, const DiagnosisFinding& finding);
std::string DoctorSummary(const Diagnosis& diagnosis);
