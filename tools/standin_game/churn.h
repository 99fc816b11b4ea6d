#pragma once
// A neighbour every walk must expect: a thread of the game that frees, decommits and
// re-protects memory flat out, whole regions and parts of them, as a streaming game does.

#include <cstdint>

namespace host {

// Starts the thread. Every region it makes holds `first` and `second` every few dozen
// bytes, so walks store into memory that is about to change.
void StartChurn(uint32_t first, uint32_t second);
// Stops the thread and frees what it holds; does nothing once stopped. Returns the number
// of operations it made.
long StopChurn();

} // namespace host
