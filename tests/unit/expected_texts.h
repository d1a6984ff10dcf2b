// What the player must read, as code page 950 bytes written out here
// independently of app/Texts.cpp, so that a slip in a text's bytes there
// shows in the tests that compare against these.
#pragma once

#include <map>
#include <string>

namespace expected_texts {

const std::string kNotInstalled = "\251|\245\274\246w\270\313\241u\272\321\274\351\254\366\246\346\241v";  // 尚未安裝「碧潮紀行」
const std::string kApplyBase = "\275\320\245\375\256M\245\316\241u\272\321\274\351\254\366\246\346\241v\252\272\247\363\267s\265{\246\241\253\341\246A\255\253\267s\261\322\260\312";  // 請先套用「碧潮紀行」的更新程式後再重新啟動
const std::string kApplyExpansion = "\275\320\245\375\256M\245\316\241u\272\321\274\351\254\366\246\346 \302X\245R\252\251\241v\252\272\247\363\267s\265{\246\241\253\341\246A\255\253\267s\261\322\260\312";  // 請先套用「碧潮紀行 擴充版」的更新程式後再重新啟動
const std::string kDocumentsFolder = "\265L\252k\250\317\245\316\241u\244\345\245\363\241v\270\352\256\306\247\250";  // 無法使用「文件」資料夾
const std::string kFaceData = "\265L\252k\253\330\245\337\256e\273\252\270\352\256\306";  // 無法建立容貌資料
const std::string kRecordData = "\265L\252k\253\330\245\337\252Z\261N\270\352\256\306";  // 無法建立武將資料
const std::string kSetData = "\265L\252k\247\363\267s\274@\245\273\270\352\256\306";  // 無法更新劇本資料
const std::string kNotStarted = "\265L\252k\266}\251l\246w\270\313";  // 無法開始安裝
const std::string kEndedUnexpectedly = "\246w\270\313\265{\247\307\267N\245~\265\262\247\364";  // 安裝程序意外結束
const std::string kWindowNotShown = "\265L\252k\305\343\245\334\246w\270\313\265\370\265\241";  // 無法顯示安裝視窗
const std::string kSystemPartMissing = "\265L\252k\270\374\244J Windows \252\272\250t\262\316\244\270\245\363";  // 無法載入 Windows 的系統元件
const std::string kCaption = "\272\321\274\351\254\366\246\346 - \244U\270\374\252Z\261N\252\272\246w\270\313";  // 碧潮紀行 - 下載武將的安裝
const std::string kStatus = "\245\277\246b\246w\270\313 addonwarlord1...";  // 正在安裝 addonwarlord1...
const std::string kDone = "\244w\247\271\246\250 addonwarlord1 \252\272\246w\270\313";  // 已完成 addonwarlord1 的安裝
const std::string kFailedPrefix = "addonwarlord1 \252\272\246w\270\313\245\242\261\321(";  // addonwarlord1 的安裝失敗(

// The numbered box of failure `code`.
inline std::string FailedBox(int code) { return kFailedPrefix + std::to_string(code) + ")"; }

// The text each failure shows before its numbered box. A failure that the
// program's table has and this one lacks fails the tests that walk the
// table: a new failure needs its expected text written here.
const std::map<int, std::string> kSpecificText = {
    {101, kNotInstalled}, {102, kNotInstalled},   {103, kApplyBase},     {104, kApplyExpansion},
    {105, kDocumentsFolder}, {201, kFaceData},   {202, kFaceData},      {203, kFaceData},
    {204, kFaceData},     {205, kFaceData},       {206, kFaceData},      {301, kRecordData},
    {302, kRecordData},   {401, kSetData},        {501, kNotStarted},    {502, kEndedUnexpectedly},
    {503, kWindowNotShown}, {504, kSystemPartMissing},
};

}  // namespace expected_texts
