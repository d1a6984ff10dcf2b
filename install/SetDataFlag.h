#pragma once

enum class SetDataFlagResult {
    kWalked,                // the file was walked to its end and closed (flagged if the record was there)
    kNoFile,                // no set-data file the game could open: none, no folder for it, a folder of
                            // its name, or a path too long for the system: nothing to flag
    kNoDocumentsFolder,     // the documents folder cannot be found: whether the file is there is unknown
    kFailed,                // the file is there but stayed held, or could not be opened, read or written
    kRefused,               // opening it for writing was refused with access denied, after the retries
    kCloudDataUnavailable,  // it is online-only, and its data could not be had
};

// Sets the status of the packaged warlord's record in the scenario set-data
// file to 1, in place. Posts one WM_INSTALL_STEP after a walk; never posts
// an error (its caller decides what a failure means).
SetDataFlagResult FlagSetDataRecord();
