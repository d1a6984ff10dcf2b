// Failures under the documents folder whose cure lies outside the
// installer, told apart from a file another program held too long or a disk
// that filled up, so that the player is told what to do about them:
//
// - Windows Security's Controlled folder access, the ransomware shields of
//   antivirus programs and the folder's own permissions refuse an unknown
//   program's changes under Documents with access denied, for good. The
//   installer clears read-only attributes itself before every write, so
//   access denied that outlasts the retries is such a refusal.
// - A cloud sync client keeps files online only; reading one fetches its
//   data, which fails while the client is closed, paused or offline.
//
// Each function is called right after the failed call, with its error.
#pragma once

#include <cstdint>
#include <string>

// Whether `error` is one of the cloud files errors that say the data of an
// online-only file cannot be had now.
bool IsCloudDataUnavailable(std::uint32_t error);

// A write under the documents folder (making a folder, creating a file or
// opening one for writing, copying to one) failed with `error`:
// kErrorDocumentsRefused for access denied, else `stepCode`.
int WriteFailure(std::uint32_t error, int stepCode);

// A copy from `source` to a file beside it, both under the documents
// folder, failed with `error`: kErrorCloudFileUnavailable when the source's
// data could not be had, else as WriteFailure.
int CopyWithinDocumentsFailure(const std::string& source, std::uint32_t error, int stepCode);

// A file under the documents folder could not be read or written in place
// (`error`): kErrorCloudFileUnavailable when its data could not be had,
// else `stepCode`.
int ReadFailure(const std::string& path, std::uint32_t error, int stepCode);

// A replacing move over `target` failed with `error`. Access denied is also
// what a program holding the target open gives, so it counts as a refusal
// only when the target refuses an open for deletion that shares everything
// (a holder that shares no deletion gives a sharing violation there).
int ReplaceFailure(const std::string& target, std::uint32_t error, int stepCode);

// A copy of the game's own archive into the documents folder failed with
// `error`: refused when it is access denied and the game's archive can be
// read, else `stepCode` (the game's file is not there or cannot be read).
int StagingCopyFailure(const std::string& source, std::uint32_t error, int stepCode);
