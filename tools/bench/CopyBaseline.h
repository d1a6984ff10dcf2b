// The file copies that any installation must make: each face archive copied
// from the game's folder into the user's, then once more beside itself, with
// the same system call the installer uses.
#pragma once

namespace bench {

// Copies SOURCE_DIR\name to TARGET_DIR\name and that to TARGET_DIR\name.copy
// for each name; prints copy_ms. Then, timed apart, what the installer does
// besides: flush_ms, writing the second copies through to the disk, and
// replace_ms, moving each over the first. Leftover targets are removed
// before timing.
// Returns 0, or 1 when a copy failed.
int CopyTwice(const char* sourceDir, const char* targetDir, int nameCount, char** names);

}  // namespace bench
