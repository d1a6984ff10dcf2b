#include "install/JobPreparation.h"

#include "install/GameDetection.h"
#include "install/InstallMessages.h"
#include "install/InstallTexts.h"
#include "install/Paths.h"
#include "install/Payload.h"
#include "install/ProgressDialogLink.h"
#include "install/SetDataFlag.h"

namespace {

constexpr std::int32_t kFaceSlot = 1027;
constexpr std::uint16_t kFaceImageIds[kFaceArchiveCount] = {kPayloadFaceL, kPayloadFaceM, kPayloadFaceS};

bool Fail(int code) {
    PostToProgressDialog(WM_INSTALL_ERROR, code);
    return false;
}

// Bytes that could not be had count as absent: a size is never paired with
// a null pointer, which the steps would then write from.
void LoadPiece(std::uint16_t id, const std::uint8_t*& data, std::uint32_t& size) {
    data = LoadPayload(id);
    size = PayloadSize(id);
    if (data == nullptr || size == 0) {
        data = nullptr;
        size = 0;
    }
}

void FillJob(InstallJob& job, bool expansion) {
    LoadPiece(expansion ? kPayloadExpansionRecord : kPayloadBaseRecord, job.pRecordData, job.dwRecordSize);
    for (int index = 0; index < kFaceArchiveCount; ++index) {
        LoadPiece(kFaceImageIds[index], job.pImageData[index], job.dwImageSize[index]);
    }
    job.nFaceSlot = kFaceSlot;
    job.strRecordFileName = expansion ? kExpansionRecordFileName : kBaseRecordFileName;
}

}  // namespace

bool PrepareJobStep(InstallJob& job) {
    const Edition edition = DetectEdition();
    if (edition == Edition::None) return Fail(kErrorGameNotInstalled);
    const int patchLevelError = CheckPatchLevel(edition);
    if (patchLevelError != 0) return Fail(patchLevelError);

    const bool expansion = edition == Edition::Expansion;
    ShowInstallerMessageBox(expansion ? texts::kInstallingExpansionData.cp950 : texts::kInstallingBaseData.cp950);
    FillJob(job, expansion);
    PostToProgressDialog(WM_INSTALL_STEP, 0);
    if (!expansion) return true;
    // A set-data file that is there but stays unflagged would be a failure
    // told as success; without the file there is nothing to flag.
    switch (FlagSetDataRecord()) {
    case SetDataFlagResult::kWalked:
    case SetDataFlagResult::kNoFile:
        return true;
    case SetDataFlagResult::kFailed:
        return Fail(kErrorSetDataFlag);
    case SetDataFlagResult::kRefused:
        return Fail(kErrorDocumentsRefused);
    case SetDataFlagResult::kCloudDataUnavailable:
        return Fail(kErrorCloudFileUnavailable);
    // Whether there is a file to flag cannot be told.
    case SetDataFlagResult::kNoDocumentsFolder:
        break;
    }
    return Fail(kErrorDocumentsFolder);
}
