// Times a whole program run the way the installer's run is timed: from just
// before the process is created, so that both include what starting a
// program costs.
#pragma once

namespace bench {

// How often a running program's windows are looked for. Every program that
// is timed is watched at this pace, so that each pays the same for being
// watched (under Wine each look costs the wineserver some work).
constexpr unsigned long kWatchPollMs = 2;

// Runs this same executable with `arguments` and waits for it, looking for
// its windows as RunInstaller does; prints its output lines, then
// created_at_ms (the performance counter, in ms, just before the process
// was created: the same clock in every process, so that the program can
// tell its own moments against it), ended_ms (until its end was seen) and
// last_look_began_ms, last_look_ended_ms (the last search of its windows
// before its end was seen, if there was one), each since the counter above;
// and lifetime_ms, from its creation to its end by the system's process times.
// Returns its exit code, or 1.
int RunSelf(const char* arguments);

}  // namespace bench
