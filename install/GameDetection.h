// Where the game is installed, which edition it is, and whether that edition
// is patched far enough. Everything is read afresh from the registry.
#pragma once

#include <string>

enum class Edition : int { None = 0, Base = 1, Expansion = 2 };

// The edition's "InstallInfo" text; empty when it cannot be read.
bool ReadInstallInfo(Edition edition, std::string& text);
// Base edition first, then expansion.
bool GetInstallDir(std::string& text);
Edition DetectEdition();
// 0 when sufficient, else the edition's failure code (103 base, 104
// expansion); 103 at once for any other edition.
int CheckPatchLevel(Edition edition);
// Step 1: 1 when an installation directory is registered, else posts 101.
int FindGameStep();

// The game executable's name for an edition ("VANT77.exe", "VANT77QX.exe").
const char* GameExeName(Edition edition);
