#include "app/Texts.h"

namespace texts {

// A hex escape swallows every hex digit after it, so a literal is split
// where an escape is followed by a character that looks like one.
const UiText kCaption = {"\xBA\xD1\xBC\xE9\xAC\xF6\xA6\xE6 - \xA4U\xB8\xFC\xAAZ\xB1N\xAA\xBA\xA6w\xB8\xCB", u8"碧潮紀行 - 下載武將的安裝"};
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
const UiText kInstallingBaseData = {"\xB1N\xA6w\xB8\xCB\xBA\xD1\xBC\xE9\xAC\xF6\xA6\xE6 \xA5\xBB\xC5\xE9\xB1M\xA5\xCE\xB8\xEA\xAE\xC6\xA1" "C", u8"將安裝碧潮紀行 本體專用資料。"};
const UiText kInstallingExpansionData = {"\xB1N\xA6w\xB8\xCB\xBA\xD1\xBC\xE9\xAC\xF6\xA6\xE6 \xC2X\xA5R\xAA\xA9\xB1M\xA5\xCE\xB8\xEA\xAE\xC6\xA1" "C", u8"將安裝碧潮紀行 擴充版專用資料。"};

const UiText* const kAll[] = {
    &kCaption,          &kStatusFormat,    &kDoneFormat,           &kFailedFormat,
    &kGameNotInstalled, &kApplyBaseUpdate, &kApplyExpansionUpdate, &kFaceDataFailed,
    &kRecordDataFailed, &kInstallingBaseData, &kInstallingExpansionData, &kDocumentsFolderUnusable,
    &kSetDataFailed,
};
const std::size_t kAllCount = sizeof(kAll) / sizeof(kAll[0]);

const UiText* FailureText(int code) {
    switch (code) {
    case 101:
    case 102:
        return &kGameNotInstalled;
    case 103:
        return &kApplyBaseUpdate;
    case 104:
        return &kApplyExpansionUpdate;
    case 105:
        return &kDocumentsFolderUnusable;
    case 201: case 202: case 203: case 204: case 205: case 206:
        return &kFaceDataFailed;
    case 301:
    case 302:
        return &kRecordDataFailed;
    case 401:
        return &kSetDataFailed;
    default:
        return nullptr;
    }
}

}  // namespace texts
