#pragma once

#include <string>

// The line `--version` prints: this build's version and the engine the plug-in would
// choose on this CPU.
std::string VersionText();

// This build's version alone: "1.1.0".
std::string VersionNumber();
