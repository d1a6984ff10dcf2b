// The boxes that tell the player how a run ended, owned by the progress
// dialog while it has a window and by nothing otherwise.
#pragma once

// "已完成 addonwarlord1 的安裝".
void ShowCompletionBox();

// The failure's own text, when it has one, then the numbered box.
void ShowFailureBoxes(int code);
