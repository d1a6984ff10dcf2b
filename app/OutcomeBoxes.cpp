#include "app/OutcomeBoxes.h"

#include "app/Texts.h"
#include "install/ProgressDialogLink.h"

#include <cstdio>

namespace {
// Generous for the longest format with the display name and any int.
using TextBuffer = char[256];
}  // namespace

void ShowCompletionBox() {
    TextBuffer text;
    std::snprintf(text, sizeof text, texts::kDoneFormat.cp950, texts::kWarlordDisplayName);
    ShowInstallerMessageBox(text);
}

void ShowFailureBoxes(int code) {
    if (const UiText* specific = texts::FailureText(code)) ShowInstallerMessageBox(specific->cp950);
    TextBuffer text;
    std::snprintf(text, sizeof text, texts::kFailedFormat.cp950, texts::kWarlordDisplayName, code);
    ShowInstallerMessageBox(text);
}
