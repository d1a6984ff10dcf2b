#include "app/Texts.h"

#include "app/ExitCodes.h"
#include "install/InstallMessages.h"

namespace texts {

// A hex escape swallows every hex digit after it, so a literal is split
// where an escape is followed by a character that looks like one.
const UiText kStatusFormat = {"\xA5\xBF\xA6" "b\xA6w\xB8\xCB %s...", u8"正在安裝 %s..."};
const UiText kDoneFormat = {"\xA4w\xA7\xB9\xA6\xA8 %s \xAA\xBA\xA6w\xB8\xCB", u8"已完成 %s 的安裝"};
const UiText kFailedFormat = {"%s \xAA\xBA\xA6w\xB8\xCB\xA5\xA2\xB1\xD1(%d)", u8"%s 的安裝失敗(%d)"};
const UiText kGameNotInstalled = {"\xA9|\xA5\xBC\xA6w\xB8\xCB\xA1u\xBA\xD1\xBC\xE9\xAC\xF6\xA6\xE6\xA1v", u8"尚未安裝「碧潮紀行」"};
const UiText kApplyBaseUpdate = {"\xBD\xD0\xA5\xFD\xAEM\xA5\xCE\xA1u\xBA\xD1\xBC\xE9\xAC\xF6\xA6\xE6\xA1v\xAA\xBA\xA7\xF3\xB7s\xB5{\xA6\xA1\xAB\xE1\xA6" "A\xAD\xAB\xB7s\xB1\xD2\xB0\xCA", u8"請先套用「碧潮紀行」的更新程式後再重新啟動"};
const UiText kApplyExpansionUpdate = {"\xBD\xD0\xA5\xFD\xAEM\xA5\xCE\xA1u\xBA\xD1\xBC\xE9\xAC\xF6\xA6\xE6 \xC2X\xA5R\xAA\xA9\xA1v\xAA\xBA\xA7\xF3\xB7s\xB5{\xA6\xA1\xAB\xE1\xA6" "A\xAD\xAB\xB7s\xB1\xD2\xB0\xCA", u8"請先套用「碧潮紀行 擴充版」的更新程式後再重新啟動"};
const UiText kDocumentsFolderUnusable = {"\xB5L\xAAk\xA8\xCF\xA5\xCE\xA1u\xA4\xE5\xA5\xF3\xA1v\xB8\xEA\xAE\xC6\xA7\xA8", u8"無法使用「文件」資料夾"};
const UiText kFaceDataFailed = {"\xB5L\xAAk\xAB\xD8\xA5\xDF\xAE" "e\xBB\xAA\xB8\xEA\xAE\xC6", u8"無法建立容貌資料"};
const UiText kRecordDataFailed = {"\xB5L\xAAk\xAB\xD8\xA5\xDF\xAAZ\xB1N\xB8\xEA\xAE\xC6", u8"無法建立武將資料"};
const UiText kSetDataFailed = {"\xB5L\xAAk\xA7\xF3\xB7s\xBC@\xA5\xBB\xB8\xEA\xAE\xC6", u8"無法更新劇本資料"};
const UiText kInstallationNotStarted = {"\xB5L\xAAk\xB6}\xA9l\xA6w\xB8\xCB", u8"無法開始安裝"};
const UiText kInstallationEndedUnexpectedly = {"\xA6w\xB8\xCB\xB5{\xA7\xC7\xB7N\xA5~\xB5\xB2\xA7\xF4", u8"安裝程序意外結束"};
const UiText kWindowNotShown = {"\xB5L\xAAk\xC5\xE3\xA5\xDC\xA6w\xB8\xCB\xB5\xF8\xB5\xA1", u8"無法顯示安裝視窗"};
const UiText kSystemPartMissing = {"\xB5L\xAAk\xB8\xFC\xA4J Windows \xAA\xBA\xA8t\xB2\xCE\xA4\xB8\xA5\xF3", u8"無法載入 Windows 的系統元件"};

const Failure kFailures[] = {
    {kErrorGameNotInstalled, &kGameNotInstalled},
    {kErrorFaceArchiveCopy, &kGameNotInstalled},
    {kErrorBasePatchLevel, &kApplyBaseUpdate},
    {kErrorExpansionPatchLevel, &kApplyExpansionUpdate},
    {kErrorDocumentsFolder, &kDocumentsFolderUnusable},
    {kErrorFaceArchivePatch + 0, &kFaceDataFailed},
    {kErrorFaceArchivePatch + 1, &kFaceDataFailed},
    {kErrorFaceArchivePatch + 2, &kFaceDataFailed},
    {kErrorFaceArchiveCommit + 0, &kFaceDataFailed},
    {kErrorFaceArchiveCommit + 1, &kFaceDataFailed},
    {kErrorFaceArchiveCommit + 2, &kFaceDataFailed},
    {kErrorRecordCreate, &kRecordDataFailed},
    {kErrorRecordCommit, &kRecordDataFailed},
    {kErrorSetDataFlag, &kSetDataFailed},
    {exit_code::kFailureWorkerNotStarted, &kInstallationNotStarted},
    {exit_code::kFailureNoOutcome, &kInstallationEndedUnexpectedly},
    {exit_code::kFailureDialogNotMade, &kWindowNotShown},
    {exit_code::kFailureSystemPartMissing, &kSystemPartMissing},
};
const std::size_t kFailureCount = sizeof(kFailures) / sizeof(kFailures[0]);

const UiText* FailureText(int code) {
    for (const Failure& failure : kFailures) {
        if (failure.code == code) return failure.text;
    }
    return nullptr;
}

const UiText* const kAll[] = {
    &kCaption,          &kStatusFormat,    &kDoneFormat,           &kFailedFormat,
    &kGameNotInstalled, &kApplyBaseUpdate, &kApplyExpansionUpdate, &kFaceDataFailed,
    &kRecordDataFailed, &kInstallingBaseData, &kInstallingExpansionData, &kDocumentsFolderUnusable,
    &kSetDataFailed,    &kInstallationNotStarted, &kInstallationEndedUnexpectedly, &kWindowNotShown,
    &kSystemPartMissing,
};
const std::size_t kAllCount = sizeof(kAll) / sizeof(kAll[0]);

}  // namespace texts
