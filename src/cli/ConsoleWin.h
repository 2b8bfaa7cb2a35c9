#pragma once

#ifdef _WIN32

#include <atomic>

namespace velmora {

// The console shows the UTF-8 that the program writes; redirected output gets the same bytes.
void UseUtf8Console();

// Ctrl-C (and Ctrl-Break) as on other systems: the first sets interrupted and lets the run stop
// before its next file, the next one ends the program at once. interrupted must live as long
// as the program.
void WatchConsoleInterrupt(std::atomic<bool>& interrupted);

}  // namespace velmora

#endif
