// Another program (a virus scanner, a search indexer, a sync client) opens a
// file for a moment right after it was created, copied or changed. While it
// holds the file, an open that shares nothing fails with a sharing violation,
// a replacing move over the file fails with access denied (Wine refuses the
// move whatever the holder shares), and a copy fails with a sharing
// violation when the holder does not share what the copy needs of its source
// or its target. A program that has mapped a file into memory (an indexer, a
// sync client) refuses whatever would truncate it with
// ERROR_USER_MAPPED_FILE until it lets go. Every open that guards a write, every copy and every move of
// the installation meets such a holder with the same patience.
#pragma once

#include <cstdint>
#include <functional>

// A few attempts over about a second.
constexpr int kHeldFileAttempts = 5;
constexpr unsigned kHeldFileRetryDelayMs = 200;

// Whether a call that failed with this Win32 error may succeed once another
// program has let go of the file. Access denied can also be lasting (a
// folder that Windows or a security program keeps the installer from
// writing, a read-only target whose attribute could not be cleared): the
// attempts then cost about a second before the same failure, which
// install/DocumentsFailures.h then names.
bool IsBriefHold(std::uint32_t error);

// Makes `attempt` (true on success; on failure the Win32 error is left for
// LastError) until it succeeds, fails for another reason than a hold, or has
// been made kHeldFileAttempts times, waiting between attempts. Returns the
// last attempt's result, whose error is still the last one.
bool RetryWhileHeld(const std::function<bool()>& attempt);

// Copies `source` to `target`, replacing a file of that name, and leaves the
// copy writable with the archive attribute alone (a copy carries over its
// source's attributes, read-only included). The target's attributes are set
// to archive before each attempt, since a read-only target refuses the copy.
// False when no copy was made.
bool CopyFileWithRetries(const char* source, const char* target);

// Moves `source` over `target` (same folder), replacing it. The target's
// attributes are set to archive before each attempt, since the replacing
// move refuses a read-only target. False when the move did not happen; the
// source then stays where it was.
bool ReplaceFileWithRetries(const char* source, const char* target);
