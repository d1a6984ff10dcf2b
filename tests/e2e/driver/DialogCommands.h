// Watching and answering the installer's progress dialog and message boxes.
#pragma once

#include <string>

namespace driver {

int WaitDialog(const std::string& exeName, double timeoutSeconds);
int WaitBox(const std::string& exeName, double timeoutSeconds);
int PressOk(const std::string& exeName, double timeoutSeconds);
int CountWindows(const std::string& exeName);

}  // namespace driver
