// Every path the steps use: a root (the documents folder or the game's
// installation directory, each ending with a backslash) followed directly by
// a relative path from these tables.
#pragma once

#include "install/InstallJob.h"

#include <cstddef>
#include <string>

constexpr std::size_t kMaxPathBytes = 259;  // plus the terminator: 260

extern const char kRecordFolder[];             // "ZAVO\Vantaris77 Tc\EDIT\BUSHOU\"
extern const char kSetDataFolder[];            // "ZAVO\Vantaris77 Tc\EDIT\SETDATA\"
extern const char kSetDataFileName[];          // "EDATA000.77Q"
extern const char kBaseRecordFileName[];       // "addonwarlord1.77B"
extern const char kExpansionRecordFileName[];  // "addonwarlord1.77P"
extern const char kTempSuffix[];               // ".$$$"
extern const char* const FaceArchivePaths[kFaceArchiveCount];
extern const char* const FaceArchiveTempPaths[kFaceArchiveCount];
extern const char* const FaceArchiveSourcePaths[kFaceArchiveCount];

// The documents folder with a trailing backslash; empty when it cannot be
// determined, or when its name cannot be written in the system's code page
// within 259 bytes.
void GetDocumentsRoot(std::string& text);
// Creates every missing folder below the path's root (a drive or a share)
// whose name ends with a backslash character in it. 1 on success, 0 for a
// path over 260 bytes, one whose bytes do not read as whole characters, or a
// folder that could not be created.
int CreateDirectoryChain(const char* path);

enum class FolderChain {
    kMade,          // every folder along the path is there
    kFileInTheWay,  // a file has the name of one of the folders
    kRefused,       // making a folder was refused with access denied, after the retries
    kFailed,        // any other reason (see CreateDirectoryChain)
};
// CreateDirectoryChain, telling why a folder could not be made.
FolderChain MakeFolderChain(const char* path);

// Step 2: makes sure the record folder exists. Without a usable documents
// folder it posts kErrorDocumentsFolder and returns 0. Before it makes
// anything it looks at the game's folders under the documents folder (the
// record folder's and GRP, with the folders above them): where a file bears
// one's name it posts kErrorFileInPlaceOfFolder and returns 0. A record
// folder whose making was refused ends the run with kErrorDocumentsRefused.
// Otherwise 1, also when the folder could not be made for another reason
// (writing the record reports that).
int PrepareRecordFolderStep();
