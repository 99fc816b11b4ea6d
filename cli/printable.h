#pragma once
// Names in the settings file are byte strings: any byte may stand in them. These make them
// text a terminal or a JSON reader takes whole.

#include <string>
#include <string_view>

// For a terminal: printable ASCII as it is, every other byte as \xNN.
std::string Printable(std::string_view bytes);

// A JSON string literal, quotes included: bytes 0x20-0x7E as they are except `"` and `\`,
// every other byte as \u00NN, so a name that is not valid UTF-8 still makes valid JSON.
std::string JsonString(std::string_view bytes);
