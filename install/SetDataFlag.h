#pragma once

enum class SetDataFlagResult {
    kWalked,  // the file was walked to its end and closed (flagged if the record was there)
    kNoFile,  // there is no set-data file (or no folder for it): nothing to flag
    kFailed,  // the file is there but could not be opened, read or written
};

// Sets the status of the packaged warlord's record in the scenario set-data
// file to 1, in place. Posts one WM_INSTALL_STEP after a walk; never posts
// an error (its caller decides what a failure means).
SetDataFlagResult FlagSetDataRecord();
