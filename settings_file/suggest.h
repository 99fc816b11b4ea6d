#pragma once
// Guessing what a player meant when a name in the settings file matches nothing.

#include <span>
#include <string_view>

// True when `part` occurs in `text`, ASCII letters compared without regard to case.
bool ContainsIgnoringCase(std::string_view text, std::string_view part);

// The candidate `typed` most likely misspells (a case slip or a few letters off), or an
// empty view when none is close. Ties go to the earliest candidate.
std::string_view ClosestName(std::string_view typed, std::span<const std::string_view> candidates);
