// Every text of the dialog and of the failures it reports, beside the
// installation's own texts (install/InstallTexts.h). Code page 950 bytes with
// the same text in UTF-8, as there.
#pragma once

#include "install/InstallTexts.h"

#include <cstddef>

namespace texts {

constexpr char kWarlordDisplayName[] = "addonwarlord1";

// Generous for the longest format with the display name and any int.
using FormattedText = char[256];

extern const UiText kStatusFormat;                   // status line; %s: display name
extern const UiText kDoneFormat;                     // completion box; %s: display name
extern const UiText kFailedFormat;                   // generic failure box; %s: display name, %d: code
extern const UiText kGameNotInstalled;               // 101, 102
extern const UiText kApplyBaseUpdate;                // 103
extern const UiText kApplyExpansionUpdate;           // 104
extern const UiText kDocumentsFolderUnusable;        // 105
extern const UiText kDocumentsRefused;               // 106
extern const UiText kCloudFileUnavailable;           // 107
extern const UiText kElevatedAsAnotherUser;          // 108
extern const UiText kFileInPlaceOfFolder;            // 109
extern const UiText kFaceDataFailed;                 // 201 to 206
extern const UiText kRecordDataFailed;               // 301, 302
extern const UiText kSetDataFailed;                  // 401
extern const UiText kInstallationNotStarted;         // 501
extern const UiText kInstallationEndedUnexpectedly;  // 502
extern const UiText kWindowNotShown;                 // 503
extern const UiText kSystemPartMissing;              // 504

// A failure the player can be told of: its number and the text shown
// before the numbered box.
struct Failure {
    int code;
    const UiText* text;
};

// The one table of failures, in the order of their numbers: those the
// installation reports and those of the program itself.
extern const Failure kFailures[];
extern const std::size_t kFailureCount;

// The specific text shown before the generic failure box, or null for a
// code that has none.
const UiText* FailureText(int code);

// Every text the user can see, the installation's own included.
extern const UiText* const kAll[];
extern const std::size_t kAllCount;

}  // namespace texts
