// Every text the user sees. They are the installer's own words in code page
// 950 (Big5), stored as their exact bytes; beside each stands the same text
// in UTF-8, so that a test can check the bytes and a reader can read them.
#pragma once

#include <cstddef>

struct UiText {
    const char* cp950;
    const char* utf8;
};

namespace texts {

constexpr char kWarlordDisplayName[] = "addonwarlord1";

extern const UiText kCaption;                  // dialog caption and every message box
extern const UiText kStatusFormat;             // status line; %s: display name
extern const UiText kDoneFormat;               // completion box; %s: display name
extern const UiText kFailedFormat;             // generic failure box; %s: display name, %d: code
extern const UiText kGameNotInstalled;         // 101, 102
extern const UiText kApplyBaseUpdate;          // 103
extern const UiText kApplyExpansionUpdate;     // 104
extern const UiText kDocumentsFolderUnusable;  // 105
extern const UiText kFaceDataFailed;           // 201 to 206
extern const UiText kRecordDataFailed;         // 301, 302
extern const UiText kSetDataFailed;            // 401
extern const UiText kInstallingBaseData;       // information box, base edition
extern const UiText kInstallingExpansionData;  // information box, expansion edition

// All of the above, for checking them together.
extern const UiText* const kAll[];
extern const std::size_t kAllCount;

// The specific text shown before the generic failure box, or null for a
// code that has none.
const UiText* FailureText(int code);

}  // namespace texts
