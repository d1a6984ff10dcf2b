#include "install/FaceArchivePatch.h"

#include "install/DocumentsFailures.h"
#include "install/FaceArchive.h"
#include "install/InstallMessages.h"
#include "install/Paths.h"
#include "install/ProgressDialogLink.h"
#include "install/RetryPolicy.h"
#include "platform/Platform.h"
#include "platform/framework/CFile.h"

#include <string>

namespace {

namespace fa = face_archive;
using platform::CFile;
using platform::CFileException;
using platform::Os;
namespace win = platform::win;

constexpr std::uint32_t kErrorHandleEof = 38;

struct ArchivePaths {
    std::string archive;
    std::string temp;
};

bool IsArchiveIndex(int index) { return index >= 0 && index < kFaceArchiveCount; }

// False when the documents folder is unknown: relative paths would land in
// whatever the working directory happens to be.
bool BuildArchivePaths(int index, ArchivePaths& paths) {
    std::string root;
    GetDocumentsRoot(root);
    if (root.empty()) return false;
    paths.archive = root + FaceArchivePaths[index];
    paths.temp = root + FaceArchiveTempPaths[index];
    return true;
}

// The regions have been checked against the file's length, so a short read
// means the file changed under us; it is handled like any other file error.
void ReadAt(CFile& file, std::uint32_t position, void* buffer, std::uint32_t count) {
    file.Seek(position, CFile::begin);
    if (file.Read(buffer, count) != count) throw CFileException(kErrorHandleEof);
}

void WriteAt(CFile& file, std::uint32_t position, const void* buffer, std::uint32_t count) {
    file.Seek(position, CFile::begin);
    file.Write(buffer, count);
}

fa::SlotEntry ReadSlotEntry(CFile& file, const fa::Header& header, std::uint32_t slot) {
    std::uint8_t bytes[fa::kSlotEntrySize];
    ReadAt(file, fa::SlotEntryPosition(header, slot), bytes, sizeof bytes);
    return fa::DecodeSlotEntry(bytes);
}

// One entry at a time: the table is never held whole. The entries lie back
// to back, so each write leaves the file at the next entry and only the step
// back over the entry just read needs a seek (a quarter fewer calls per slot).
void RewriteEntryWords(CFile& file, const fa::Header& header) {
    constexpr std::int64_t kBackOverEntry = -static_cast<std::int64_t>(fa::kEntrySize);
    file.Seek(fa::EntryPosition(header, 0), CFile::begin);
    for (std::uint32_t k = 0; k < header.slotCount; ++k) {
        std::uint8_t entry[fa::kEntrySize];
        if (file.Read(entry, sizeof entry) != sizeof entry) throw CFileException(kErrorHandleEof);
        fa::SetEntryWords(entry);
        file.Seek(kBackOverEntry, CFile::current);
        file.Write(entry, sizeof entry);
    }
}

void SetSlotBit(CFile& file, const fa::SlotEntry& lastSlot, std::uint32_t slot) {
    std::uint8_t bitmap[fa::kBitmapSize];
    const std::uint32_t position = fa::BitmapPosition(lastSlot);
    ReadAt(file, position, bitmap, sizeof bitmap);
    fa::SetBitmapBit(bitmap, slot);
    WriteAt(file, position, bitmap, sizeof bitmap);
}

// False, with nothing written, when the copy does not fit its header.
// File errors raise CFileException.
bool PatchOpenCopy(CFile& file, const fa::PatchPlan& plan, const std::uint8_t* image) {
    const std::uint64_t length = file.GetLength();
    if (length < fa::kHeaderSize) return false;
    std::uint8_t headerBytes[fa::kHeaderSize];
    ReadAt(file, 0, headerBytes, sizeof headerBytes);
    const fa::Header header = fa::DecodeHeader(headerBytes);
    if (fa::CheckHeader(length, header, plan) != fa::Flaw::None) return false;

    const fa::SlotEntry target = ReadSlotEntry(file, header, plan.slot);
    fa::SlotEntry lastSlot;
    if (plan.touchesEntriesAndBitmap) lastSlot = ReadSlotEntry(file, header, header.slotCount - 1);
    const fa::SlotEntry* last = plan.touchesEntriesAndBitmap ? &lastSlot : nullptr;
    if (fa::CheckSlots(length, target, last, plan) != fa::Flaw::None) return false;

    if (plan.touchesEntriesAndBitmap) RewriteEntryWords(file, header);
    if (plan.imageSize > 0) WriteAt(file, target.dataOffset, image, plan.imageSize);
    if (plan.touchesEntriesAndBitmap) SetSlotBit(file, lastSlot, plan.slot);
    return true;
}

// 0 when the copy is patched, closed and read-only; else the failure to report.
int PatchCopy(const fa::PatchPlan& plan, int index, const std::uint8_t* image) {
    const int failure = kErrorFaceArchivePatch + index;
    ArchivePaths paths;
    if (!BuildArchivePaths(index, paths)) return failure;
    // A copy left by an interrupted run could be committed in place of the
    // current archive, so a copy that fails ends the patch.
    if (!CopyFileWithRetries(paths.archive.c_str(), paths.temp.c_str())) {
        return CopyWithinDocumentsFailure(paths.archive, Os().LastError(), failure);
    }
    {
        CFile file;
        // The copy was made a moment ago, which is when scanners look at it.
        if (!RetryWhileHeld([&] { return file.Open(paths.temp.c_str(), CFile::modeReadWrite | CFile::typeBinary); })) {
            return WriteFailure(Os().LastError(), failure);
        }
        try {
            if (!PatchOpenCopy(file, plan, image)) return failure;
            file.Flush();
            file.Close();
        } catch (const CFileException&) {
            return failure;
        }
    }
    Os().SetFileAttributes(paths.temp.c_str(), win::kFileAttributeReadOnly);
    return 0;
}

// 0 when the archive is replaced; else the failure to report.
int CommitArchive(const std::string& root, int index) {
    const std::string archive = root + FaceArchivePaths[index];
    const std::string temp = root + FaceArchiveTempPaths[index];
    if (!ReplaceFileWithRetries(temp.c_str(), archive.c_str())) {
        return ReplaceFailure(archive, Os().LastError(), kErrorFaceArchiveCommit + index);
    }
    Os().SetFileAttributes(archive.c_str(), win::kFileAttributeReadOnly);
    return 0;
}

int CommitFaceArchives() {
    std::string root;
    GetDocumentsRoot(root);
    for (int index = 0; index < kFaceArchiveCount; ++index) {
        const int failure = root.empty() ? kErrorFaceArchiveCommit + index : CommitArchive(root, index);
        if (failure != 0) {
            PostToProgressDialog(WM_INSTALL_ERROR, static_cast<std::uintptr_t>(failure));
            return 0;
        }
        PostToProgressDialog(WM_INSTALL_STEP, 0);
    }
    return 1;
}

}  // namespace

int PatchFaceArchive(std::uint32_t slot, int index, const std::uint8_t* image, std::uint32_t size) {
    fa::PatchPlan plan;
    plan.slot = slot;
    plan.imageSize = size;
    plan.touchesEntriesAndBitmap = index == 0;
    // Without its image the archive would gain the slot's bit but not the face.
    const bool haveImage = image != nullptr && size > 0;
    int failure = kErrorFaceArchivePatch + index;
    if (IsArchiveIndex(index) && haveImage) failure = PatchCopy(plan, index, image);
    if (failure != 0) {
        PostToProgressDialog(WM_INSTALL_ERROR, static_cast<std::uintptr_t>(failure));
        return 0;
    }
    return 1;
}

int PatchFaceArchivesStep(const InstallJob& job) {
    const auto slot = static_cast<std::uint32_t>(job.nFaceSlot);
    for (int index = 0; index < kFaceArchiveCount; ++index) {
        if (!PatchFaceArchive(slot, index, job.pImageData[index], job.dwImageSize[index])) return 0;
        PostToProgressDialog(WM_INSTALL_STEP, 0);
    }
    return CommitFaceArchives();
}
