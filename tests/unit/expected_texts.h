// What the player must read, as code page 950 bytes written out here
// independently of app/Texts.cpp, so that a slip in a text's bytes there
// shows in the tests that compare against these.
#pragma once

#include <map>
#include <string>

namespace expected_texts {

const std::string kNotInstalled =
    "\251|\245\274\246w\270\313\241u\272\321\274\351\254\366\246\346\241v";  // 尚未安裝「碧潮紀行」
const std::string kApplyBase =
    "\275\320\245\375\256M\245\316\241u\272\321\274\351\254\366\246\346\241v\252\272\247\363\267s\265{\246\241\253\341\246A\255\253\267s\261\322\260\312";  // 請先套用「碧潮紀行」的更新程式後再重新啟動
const std::string kApplyExpansion =
    "\275\320\245\375\256M\245\316\241u\272\321\274\351\254\366\246\346 \302X\245R\252\251\241v\252\272\247\363\267s\265{\246\241\253\341\246A\255\253\267s\261\322\260\312";  // 請先套用「碧潮紀行 擴充版」的更新程式後再重新啟動
const std::string kDocumentsFolder =
    "\265L\252k\250\317\245\316\241u\244\345\245\363\241v\270\352\256\306\247\250";  // 無法使用「文件」資料夾
const std::string kRefused =
    "Windows \251\316\246w\245\376\251\312\263n\305\351\251\332\265\264\305\375\246w\270\313\265{\246\241\274g\244J\241u\244\345\245\363\241v\270\352\256\306\247\250\241A\275\320\244\271\263\\\245\273\265{\246\241\253\341\246A\260\365\246\346\244@\246\270";  // Windows 或安全性軟體拒絕讓安裝程式寫入「文件」資料夾，請允許本程式後再執行一次
const std::string kCloudFile =
    "\241u\244\345\245\363\241v\270\352\256\306\247\250\244\244\273\335\255n\252\272\300\311\256\327\245u\246s\251\361\246b\266\263\272\335\241A\245\330\253e\265L\252k\244U\270\374\241C\275\320\261\322\260\312\266\263\272\335\246P\250B\265{\246\241\250\303\263s\244W\272\364\270\364\241A\251\316\261N\270\323\270\352\256\306\247\250\263]\254\260\241u\245\303\273\267\253O\257d\246b\246\271\270\313\270m\244W\241v\253\341\246A\260\365\246\346";  // 「文件」資料夾中需要的檔案只存放在雲端，目前無法下載。請啟動雲端同步程式並連上網路，或將該資料夾設為「永遠保留在此裝置上」後再執行
const std::string kAnotherUser =
    "\246w\270\313\265{\246\241\245\277\245H\250\344\245L\250\317\245\316\252\314\252\272\250\255\244\300\260\365\246\346\241C\275\320\244\243\255n\250\317\245\316\241u\245H\250t\262\316\272\336\262z\255\373\250\255\244\300\260\365\246\346\241v\241A\252\275\261\265\260\365\246\346\247Y\245i\241]\244\243\273\335\255n\250t\262\316\272\336\262z\255\373\305v\255\255\241^";  // 安裝程式正以其他使用者的身分執行。請不要使用「以系統管理員身分執行」，直接執行即可（不需要系統管理員權限）
const std::string kFileInPlaceOfFolder =
    "\241u\244\345\245\363\241v\270\352\256\306\247\250\244\244\246\263\300\311\256\327\246\373\245\316\244F\246w\270\313\265{\246\241\273\335\255n\252\272\270\352\256\306\247\250\246W\272\331\241A\275\320\261N\270\323\300\311\256\327\262\276\250\253\251\316\247\357\246W\253\341\246A\260\365\246\346";  // 「文件」資料夾中有檔案佔用了安裝程式需要的資料夾名稱，請將該檔案移走或改名後再執行
const std::string kFaceData = "\265L\252k\253\330\245\337\256e\273\252\270\352\256\306";  // 無法建立容貌資料
const std::string kRecordData = "\265L\252k\253\330\245\337\252Z\261N\270\352\256\306";   // 無法建立武將資料
const std::string kSetData = "\265L\252k\247\363\267s\274@\245\273\270\352\256\306";      // 無法更新劇本資料
const std::string kNotStarted = "\265L\252k\266}\251l\246w\270\313";                      // 無法開始安裝
const std::string kEndedUnexpectedly = "\246w\270\313\265{\247\307\267N\245~\265\262\247\364";  // 安裝程序意外結束
const std::string kWindowNotShown = "\265L\252k\305\343\245\334\246w\270\313\265\370\265\241";  // 無法顯示安裝視窗
const std::string kSystemPartMissing =
    "\265L\252k\270\374\244J Windows \252\272\250t\262\316\244\270\245\363";  // 無法載入 Windows 的系統元件
const std::string kCaption =
    "\272\321\274\351\254\366\246\346 - \244U\270\374\252Z\261N\252\272\246w\270\313";  // 碧潮紀行 - 下載武將的安裝
const std::string kStatus = "\245\277\246b\246w\270\313 addonwarlord1...";              // 正在安裝 addonwarlord1...
const std::string kDone = "\244w\247\271\246\250 addonwarlord1 \252\272\246w\270\313";  // 已完成 addonwarlord1 的安裝
const std::string kFailedPrefix = "addonwarlord1 \252\272\246w\270\313\245\242\261\321(";  // addonwarlord1 的安裝失敗(

// The numbered box of failure `code`.
inline std::string FailedBox(int code) { return kFailedPrefix + std::to_string(code) + ")"; }

// The text each failure shows before its numbered box. A failure that the
// program's table has and this one lacks fails the tests that walk the
// table: a new failure needs its expected text written here.
const std::map<int, std::string> kSpecificText = {
    {101, kNotInstalled},      {102, kNotInstalled},      {103, kApplyBase},
    {104, kApplyExpansion},    {105, kDocumentsFolder},   {106, kRefused},
    {107, kCloudFile},         {108, kAnotherUser},       {109, kFileInPlaceOfFolder},
    {201, kFaceData},          {202, kFaceData},          {203, kFaceData},
    {204, kFaceData},          {205, kFaceData},          {206, kFaceData},
    {301, kRecordData},        {302, kRecordData},        {401, kSetData},
    {501, kNotStarted},        {502, kEndedUnexpectedly}, {503, kWindowNotShown},
    {504, kSystemPartMissing},
};

}  // namespace expected_texts
