// The private window messages through which the worker reports to the
// progress dialog, and the failure codes that WM_INSTALL_ERROR carries.
#pragma once

#include <cstdint>

constexpr std::uint32_t WM_INSTALL_STEP = 0x0400 + 1;
constexpr std::uint32_t WM_INSTALL_DONE = 0x0400 + 2;
constexpr std::uint32_t WM_INSTALL_ERROR = 0x0400 + 100;

// Grouped by hundreds: 1xx the game and the folders it needs, 2xx the face
// archives, 3xx the record, 4xx the scenario set-data file.
// Within a group of like files the code is the base plus the file's index
// (L 0, M 1, S 2).
enum InstallError : int {
    kErrorGameNotInstalled = 101,
    kErrorFaceArchiveCopy = 102,
    kErrorBasePatchLevel = 103,
    kErrorExpansionPatchLevel = 104,
    kErrorDocumentsFolder = 105,        // the documents folder is unknown or has no name in the code page
    kErrorDocumentsRefused = 106,       // Windows or a security program refused a write under the documents folder
    kErrorCloudFileUnavailable = 107,   // a file there is online-only, and its data cannot be had
    kErrorElevatedAsAnotherUser = 108,  // elevated as someone other than the desktop's user
    kErrorFileInPlaceOfFolder = 109,    // a file stands where a folder the installation needs must be
    kErrorFaceArchivePatch = 201,       // + index
    kErrorFaceArchiveCommit = 204,      // + index
    kErrorRecordCreate = 301,
    kErrorRecordCommit = 302,
    kErrorSetDataFlag = 401,  // the set-data file is there but stayed held, or could not be read or written
};
