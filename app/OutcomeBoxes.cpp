#include "app/OutcomeBoxes.h"

#include "app/Texts.h"
#include "install/ProgressDialogLink.h"

#include <cstdio>

void ShowCompletionBox() {
    texts::FormattedText text;
    std::snprintf(text, sizeof text, texts::kDoneFormat.cp950, texts::kWarlordDisplayName);
    ShowInstallerMessageBox(text);
}

void ShowFailureBoxes(int code) {
    if (const UiText* specific = texts::FailureText(code)) ShowInstallerMessageBox(specific->cp950);
    texts::FormattedText text;
    std::snprintf(text, sizeof text, texts::kFailedFormat.cp950, texts::kWarlordDisplayName, code);
    ShowInstallerMessageBox(text);
}
