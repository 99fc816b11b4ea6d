#pragma once
// Names in the settings file are byte strings: any byte may stand in them, a byte-order
// mark or a tab included. These turn them into text a person or a program can read.

#include <cstdint>
#include <string>
#include <string_view>

// `bytes` between double quotes, left raw: what prints a message makes it printable.
std::string Quoted(std::string_view bytes);

// "0x7DC36678": how the settings file and the subtitles write a hash.
std::string HexHash(uint32_t hash);

// A value someone wrote as a number: "0x643E2FFB" or "1681797115".
bool IsNumberLiteral(std::string_view text);
