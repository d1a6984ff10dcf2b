#include "install/InstallTexts.h"

namespace texts {

// A hex escape swallows every hex digit after it, so a literal is split
// where an escape is followed by a character that looks like one.
const UiText kCaption = {"\xBA\xD1\xBC\xE9\xAC\xF6\xA6\xE6 - \xA4U\xB8\xFC\xAAZ\xB1N\xAA\xBA\xA6w\xB8\xCB",
                         u8"碧潮紀行 - 下載武將的安裝"};
const UiText kInstallingBaseData = {
    "\xB1N\xA6w\xB8\xCB\xBA\xD1\xBC\xE9\xAC\xF6\xA6\xE6 \xA5\xBB\xC5\xE9\xB1M\xA5\xCE\xB8\xEA\xAE\xC6\xA1"
    "C",
    u8"將安裝碧潮紀行 本體專用資料。"};
const UiText kInstallingExpansionData = {
    "\xB1N\xA6w\xB8\xCB\xBA\xD1\xBC\xE9\xAC\xF6\xA6\xE6 \xC2X\xA5R\xAA\xA9\xB1M\xA5\xCE\xB8\xEA\xAE\xC6\xA1"
    "C",
    u8"將安裝碧潮紀行 擴充版專用資料。"};

}  // namespace texts
