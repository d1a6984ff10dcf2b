#include "install/SetDataFlag.h"

#include "install/DocumentsFailures.h"
#include "install/InstallMessages.h"
#include "install/Paths.h"
#include "install/ProgressDialogLink.h"
#include "install/RetryPolicy.h"
#include "platform/Platform.h"
#include "platform/framework/CFile.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace {

using platform::CFile;
using platform::Os;
namespace win = platform::win;

constexpr char kFamilyName[] = "\xBA\xD1\xAD\xEC";  // 碧原
constexpr std::int32_t kWarlordNumber = 1532;
constexpr std::uint8_t kFlaggedStatus[4] = {1, 0, 0, 0};
constexpr std::int32_t kLowestStatus = 0;
constexpr std::int32_t kHighestStatus = 4;

// Moves of the walk, relative to the position where the step before left it.
constexpr std::int64_t kFileHeaderSize = 20;
constexpr std::int64_t kNameFieldOffset = 36;
constexpr std::uint32_t kNameFieldSize = 11;
constexpr std::int64_t kNameEndToStatus = 316;
constexpr int kMaxExtraStatusReads = 2;
constexpr std::int64_t kStatusEndToNumber = -12;
constexpr std::int64_t kNumberEndToStatus = 4;
constexpr std::int64_t kRecordEndToName = 36;

bool IsAbsent(std::uint32_t error) { return error == win::kErrorFileNotFound || error == win::kErrorPathNotFound; }

// After its open failed: whether the set-data file is there. A folder of its
// name is none. A file whose attributes cannot be read either counts as
// there: passing over a file that is there would leave it unflagged unseen.
bool IsThere(const std::string& path, std::uint32_t openError) {
    if (IsAbsent(openError)) return false;
    const std::uint32_t attributes = Os().GetFileAttributes(path.c_str());
    if (attributes == win::kInvalidFileAttributes) return !IsAbsent(Os().LastError());
    return (attributes & win::kFileAttributeDirectory) == 0;
}

// Why the file that is there could not be walked: its data is in the cloud,
// or any other reason.
SetDataFlagResult WalkFailure(const std::string& path, std::uint32_t error) {
    return ReadFailure(path, error, kErrorSetDataFlag) == kErrorCloudFileUnavailable
               ? SetDataFlagResult::kCloudDataUnavailable
               : SetDataFlagResult::kFailed;
}

// Why the file that is there could not be opened for writing.
SetDataFlagResult OpenFailure(const std::string& path, std::uint32_t error) {
    if (WriteFailure(error, kErrorSetDataFlag) == kErrorDocumentsRefused) return SetDataFlagResult::kRefused;
    return WalkFailure(path, error);
}

bool IsValidStatus(std::int32_t value) { return value >= kLowestStatus && value <= kHighestStatus; }

// False when the read came back short: the walk has reached the file's end.
bool ReadInt32(CFile& file, std::int32_t& value) {
    std::uint8_t bytes[4];
    if (file.Read(bytes, sizeof bytes) != sizeof bytes) return false;
    const std::uint32_t raw = static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
                              static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
    std::memcpy(&value, &raw, sizeof value);
    return true;
}

// Reads one record from its family-name field on. A pass that has left the
// record grid (a name match with another number, or a status out of range)
// is not pulled back: the following passes read the records as shifted, and
// the status reads that skip out-of-range values bring the walk back in step.
// False when a read came back short; nothing read after that is looked at.
bool VisitRecord(CFile& file) {
    char name[kNameFieldSize];
    if (file.Read(name, kNameFieldSize) != kNameFieldSize) return false;
    name[kNameFieldSize - 1] = '\0';
    file.Seek(kNameEndToStatus, CFile::current);
    std::int32_t status = 0;
    if (!ReadInt32(file, status)) return false;
    for (int extra = 0; !IsValidStatus(status) && extra < kMaxExtraStatusReads; ++extra) {
        if (!ReadInt32(file, status)) return false;
    }
    if (std::strcmp(name, kFamilyName) != 0) return true;

    file.Seek(kStatusEndToNumber, CFile::current);
    std::int32_t number = 0;
    if (!ReadInt32(file, number)) return false;
    if (number == kWarlordNumber) {
        // These four bytes were just read as the last status value, so the
        // write stays inside the file.
        file.Seek(kNumberEndToStatus, CFile::current);
        file.Write(kFlaggedStatus, sizeof kFlaggedStatus);
    }
    return true;
}

void WalkRecords(CFile& file) {
    const std::uint64_t length = file.GetLength();
    file.Seek(kFileHeaderSize, CFile::begin);
    std::uint64_t position = file.Seek(kNameFieldOffset, CFile::current);
    while (position <= length) {
        if (!VisitRecord(file)) return;
        position = file.Seek(kRecordEndToName, CFile::current);
    }
}

}  // namespace

SetDataFlagResult FlagSetDataRecord() {
    std::string root;
    GetDocumentsRoot(root);
    // Without the documents folder the path would be relative to the working
    // directory, and whether the file is there cannot be told.
    if (root.empty()) return SetDataFlagResult::kNoDocumentsFolder;
    const std::string path = root + kSetDataFolder + kSetDataFileName;
    // The game names its files as we do: a path this long names no file it
    // could read. Wine would open it all the same, so it is not asked.
    if (path.size() >= CFile::kMaxPath) return SetDataFlagResult::kNoFile;
    Os().SetFileAttributes(path.c_str(), win::kFileAttributeArchive);
    {
        CFile file;
        // Shares nothing: the game must not read the record half written.
        if (!RetryWhileHeld([&] { return file.Open(path.c_str(), CFile::modeReadWrite | CFile::typeBinary); })) {
            const std::uint32_t error = Os().LastError();
            return IsThere(path, error) ? OpenFailure(path, error) : SetDataFlagResult::kNoFile;
        }
        try {
            WalkRecords(file);
            file.Flush();
            file.Close();
        } catch (const platform::CFileException& failed) {
            // The flag may or may not have been written; the walk is simply
            // made again by the next run, since writing the flag twice
            // changes nothing.
            return WalkFailure(path, failed.Error());
        }
    }
    PostToProgressDialog(WM_INSTALL_STEP, 0);
    return SetDataFlagResult::kWalked;
}
