#include "app/Texts.h"

#include "app/ExitCodes.h"
#include "install/InstallMessages.h"

namespace texts {

// A hex escape swallows every hex digit after it, so a literal is split
// where an escape is followed by a character that looks like one.
const UiText kStatusFormat = {
    "\xA5\xBF\xA6"
    "b\xA6w\xB8\xCB %s...",
    u8"正在安裝 %s..."};
const UiText kDoneFormat = {"\xA4w\xA7\xB9\xA6\xA8 %s \xAA\xBA\xA6w\xB8\xCB", u8"已完成 %s 的安裝"};
const UiText kFailedFormat = {"%s \xAA\xBA\xA6w\xB8\xCB\xA5\xA2\xB1\xD1(%d)", u8"%s 的安裝失敗(%d)"};
const UiText kGameNotInstalled = {"\xA9|\xA5\xBC\xA6w\xB8\xCB\xA1u\xBA\xD1\xBC\xE9\xAC\xF6\xA6\xE6\xA1v",
                                  u8"尚未安裝「碧潮紀行」"};
const UiText kApplyBaseUpdate = {
    "\xBD\xD0\xA5\xFD\xAEM\xA5\xCE\xA1u\xBA\xD1\xBC\xE9\xAC\xF6\xA6\xE6\xA1v\xAA\xBA\xA7\xF3\xB7s\xB5{\xA6\xA1\xAB\xE1\xA6"
    "A\xAD\xAB\xB7s\xB1\xD2\xB0\xCA",
    u8"請先套用「碧潮紀行」的更新程式後再重新啟動"};
const UiText kApplyExpansionUpdate = {
    "\xBD\xD0\xA5\xFD\xAEM\xA5\xCE\xA1u\xBA\xD1\xBC\xE9\xAC\xF6\xA6\xE6 \xC2X\xA5R\xAA\xA9\xA1v\xAA\xBA\xA7\xF3\xB7s\xB5{\xA6\xA1\xAB\xE1\xA6"
    "A\xAD\xAB\xB7s\xB1\xD2\xB0\xCA",
    u8"請先套用「碧潮紀行 擴充版」的更新程式後再重新啟動"};
const UiText kDocumentsFolderUnusable = {"\xB5L\xAAk\xA8\xCF\xA5\xCE\xA1u\xA4\xE5\xA5\xF3\xA1v\xB8\xEA\xAE\xC6\xA7\xA8",
                                         u8"無法使用「文件」資料夾"};
const UiText kDocumentsRefused = {
    "Windows \xA9\xCE\xA6w\xA5\xFE\xA9\xCA\xB3n\xC5\xE9\xA9\xDA\xB5\xB4\xC5\xFD\xA6w\xB8\xCB\xB5{\xA6\xA1\xBCg\xA4J\xA1u\xA4\xE5\xA5\xF3\xA1v\xB8\xEA\xAE\xC6\xA7\xA8\xA1"
    "A\xBD\xD0\xA4\xB9\xB3\x5C\xA5\xBB\xB5{\xA6\xA1\xAB\xE1\xA6"
    "A\xB0\xF5\xA6\xE6\xA4@\xA6\xB8",
    u8"Windows 或安全性軟體拒絕讓安裝程式寫入「文件」資料夾，請允許本程式後再執行一次"};
const UiText kCloudFileUnavailable = {
    "\xA1u\xA4\xE5\xA5\xF3\xA1v\xB8\xEA\xAE\xC6\xA7\xA8\xA4\xA4\xBB\xDD\xADn\xAA\xBA\xC0\xC9\xAE\xD7\xA5u\xA6s\xA9\xF1\xA6"
    "b\xB6\xB3\xBA\xDD\xA1"
    "A\xA5\xD8\xAB"
    "e\xB5L\xAAk\xA4U\xB8\xFC\xA1"
    "C\xBD\xD0\xB1\xD2\xB0\xCA\xB6\xB3\xBA\xDD\xA6P\xA8"
    "B\xB5{\xA6\xA1\xA8\xC3\xB3s\xA4W\xBA\xF4\xB8\xF4\xA1"
    "A\xA9\xCE\xB1N\xB8\xD3\xB8\xEA\xAE\xC6\xA7\xA8\xB3]\xAC\xB0\xA1u\xA5\xC3\xBB\xB7\xABO\xAF"
    "d\xA6"
    "b\xA6\xB9\xB8\xCB\xB8m\xA4W\xA1v\xAB\xE1\xA6"
    "A\xB0\xF5\xA6\xE6",
    u8"「文件」資料夾中需要的檔案只存放在雲端，目前無法下載。請啟動雲端同步程式並連上網路，或將該資料夾設為「永遠保留在此裝置上」後再執行"};
const UiText kElevatedAsAnotherUser = {
    "\xA6w\xB8\xCB\xB5{\xA6\xA1\xA5\xBF\xA5H\xA8\xE4\xA5L\xA8\xCF\xA5\xCE\xAA\xCC\xAA\xBA\xA8\xAD\xA4\xC0\xB0\xF5\xA6\xE6\xA1"
    "C\xBD\xD0\xA4\xA3\xADn\xA8\xCF\xA5\xCE\xA1u\xA5H\xA8t\xB2\xCE\xBA\xDE\xB2z\xAD\xFB\xA8\xAD\xA4\xC0\xB0\xF5\xA6\xE6\xA1v\xA1"
    "A\xAA\xBD\xB1\xB5\xB0\xF5\xA6\xE6\xA7Y\xA5i\xA1]\xA4\xA3\xBB\xDD\xADn\xA8t\xB2\xCE\xBA\xDE\xB2z\xAD\xFB\xC5v\xAD\xAD\xA1^",
    u8"安裝程式正以其他使用者的身分執行。請不要使用「以系統管理員身分執行」，直接執行即可（不需要系統管理員權限）"};
const UiText kFileInPlaceOfFolder = {
    "\xA1u\xA4\xE5\xA5\xF3\xA1v\xB8\xEA\xAE\xC6\xA7\xA8\xA4\xA4\xA6\xB3\xC0\xC9\xAE\xD7\xA6\xFB\xA5\xCE\xA4"
    "F\xA6w\xB8\xCB\xB5{\xA6\xA1\xBB\xDD\xADn\xAA\xBA\xB8\xEA\xAE\xC6\xA7\xA8\xA6W\xBA\xD9\xA1"
    "A\xBD\xD0\xB1N\xB8\xD3\xC0\xC9\xAE\xD7\xB2\xBE\xA8\xAB\xA9\xCE\xA7\xEF\xA6W\xAB\xE1\xA6"
    "A\xB0\xF5\xA6\xE6",
    u8"「文件」資料夾中有檔案佔用了安裝程式需要的資料夾名稱，請將該檔案移走或改名後再執行"};
const UiText kFaceDataFailed = {
    "\xB5L\xAAk\xAB\xD8\xA5\xDF\xAE"
    "e\xBB\xAA\xB8\xEA\xAE\xC6",
    u8"無法建立容貌資料"};
const UiText kRecordDataFailed = {"\xB5L\xAAk\xAB\xD8\xA5\xDF\xAAZ\xB1N\xB8\xEA\xAE\xC6", u8"無法建立武將資料"};
const UiText kSetDataFailed = {"\xB5L\xAAk\xA7\xF3\xB7s\xBC@\xA5\xBB\xB8\xEA\xAE\xC6", u8"無法更新劇本資料"};
const UiText kInstallationNotStarted = {"\xB5L\xAAk\xB6}\xA9l\xA6w\xB8\xCB", u8"無法開始安裝"};
const UiText kInstallationEndedUnexpectedly = {"\xA6w\xB8\xCB\xB5{\xA7\xC7\xB7N\xA5~\xB5\xB2\xA7\xF4",
                                               u8"安裝程序意外結束"};
const UiText kWindowNotShown = {"\xB5L\xAAk\xC5\xE3\xA5\xDC\xA6w\xB8\xCB\xB5\xF8\xB5\xA1", u8"無法顯示安裝視窗"};
const UiText kSystemPartMissing = {"\xB5L\xAAk\xB8\xFC\xA4J Windows \xAA\xBA\xA8t\xB2\xCE\xA4\xB8\xA5\xF3",
                                   u8"無法載入 Windows 的系統元件"};

const Failure kFailures[] = {
    {kErrorGameNotInstalled, &kGameNotInstalled},
    {kErrorFaceArchiveCopy, &kGameNotInstalled},
    {kErrorBasePatchLevel, &kApplyBaseUpdate},
    {kErrorExpansionPatchLevel, &kApplyExpansionUpdate},
    {kErrorDocumentsFolder, &kDocumentsFolderUnusable},
    {kErrorDocumentsRefused, &kDocumentsRefused},
    {kErrorCloudFileUnavailable, &kCloudFileUnavailable},
    {kErrorElevatedAsAnotherUser, &kElevatedAsAnotherUser},
    {kErrorFileInPlaceOfFolder, &kFileInPlaceOfFolder},
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
    &kCaption,
    &kStatusFormat,
    &kDoneFormat,
    &kFailedFormat,
    &kGameNotInstalled,
    &kApplyBaseUpdate,
    &kApplyExpansionUpdate,
    &kFaceDataFailed,
    &kRecordDataFailed,
    &kInstallingBaseData,
    &kInstallingExpansionData,
    &kDocumentsFolderUnusable,
    &kSetDataFailed,
    &kInstallationNotStarted,
    &kInstallationEndedUnexpectedly,
    &kWindowNotShown,
    &kSystemPartMissing,
    &kDocumentsRefused,
    &kCloudFileUnavailable,
    &kElevatedAsAnotherUser,
    &kFileInPlaceOfFolder,
};
const std::size_t kAllCount = sizeof(kAll) / sizeof(kAll[0]);

}  // namespace texts
