#pragma once

// Sets the status of the packaged warlord's record in the scenario set-data
// file to 1, in place. 1 when the file could be opened, else 0. Posts one
// WM_INSTALL_STEP after closing the file; never posts an error.
int FlagSetDataRecord();
