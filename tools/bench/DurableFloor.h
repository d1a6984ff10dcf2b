// The durable floor: exactly the file work that an installation of this
// design must do for a fresh user folder, with the installer's calls and in
// its order, and its one wait for the player; nothing else (no dialog, no
// registry, no patching).
#pragma once

namespace bench {

// For each NAME: copies SOURCE_DIR\NAME to its temporary name in TARGET_DIR,
// flushes it and renames it to TARGET_DIR\NAME. Then waits PAUSE_MS, where
// the installer waits for the player to answer its information box. Then
// for each: copies it to its temporary name again and flushes that. Then
// moves each temporary file over its archive. The temporary name is NAME
// with its extension replaced by "$$$". TARGET_DIR must exist and hold none
// of these files.
// Prints one file_call line for each copy, flush and move: its name, file,
// time and the thread's CPU time in it; then started_ms (from the process's
// creation to its start here), pause_ms, work_ms (the pause left out),
// done_at_ms (the performance counter in ms when the work was done) and
// leaving_ms (from the process's creation to when it has printed all this
// and returns).
// Returns 0, or 1 when a call failed (and says which).
int RunDurableFloor(unsigned pauseMs, const char* sourceDir, const char* targetDir, int nameCount, char** names);

}  // namespace bench
