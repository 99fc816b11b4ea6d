#pragma once
// Whether Wine or Proton runs this program.

namespace platform {

// True under Wine or Proton, where a program sees only those of its own Wine prefix.
bool RunsUnderWine();

} // namespace platform
