#pragma once

// Moves `source` over `target` (same folder), replacing it. The target's
// attributes are set to archive first, since the replacing move refuses a
// read-only target. A scanner or indexer that briefly holds the target makes
// the move fail with error 5 or 32; such failures are retried a few times
// over about a second. False when the move did not happen; the source then
// stays where it was.
bool ReplaceFileWithRetries(const char* source, const char* target);

// How the retries are spaced, for the tests.
constexpr int kReplaceAttempts = 5;
constexpr unsigned kReplaceRetryDelayMs = 200;
