// The texts that the installation itself shows: the caption of every box of
// the program and the information box that says which edition's data is
// about to be installed. Kept apart from the dialog's texts so that the
// worker needs nothing of the application above it. Each is stored as its
// exact code page 950 (Big5) bytes, with the same text in UTF-8 beside it,
// so that a test can check the bytes and a reader can read them.
#pragma once

struct UiText {
    const char* cp950;
    const char* utf8;
};

namespace texts {

extern const UiText kCaption;                  // the dialog's caption and every message box's
extern const UiText kInstallingBaseData;       // information box, base edition
extern const UiText kInstallingExpansionData;  // information box, expansion edition

}  // namespace texts
