// Record layout (file offsets; integers little-endian; texts code page 950,
// zero-terminated and zero-padded to their field):
//
//   0  16  tag "VANT77EDIT_V6" / "VANT77EDIT_V7", space-padded
//  16  16  tag "VANT77EDITB_V6" / "VANT77EDITB_V7", space-padded
//  32   4  u32 format version, 6 or 7
//  36   4  u32 face slot
//  40   4  u32 sex
//  44   4  i32 year of birth
//  48   4  i32 year of death
//  52  12  family name
//  64  12  given name
//  76  16  reading of the family name (ASCII)
//  92  16  reading of the given name (ASCII)
// 108   5  u8 leadership, valour, intellect, administration, charisma (1..100)
// 113   1  u8 ambition (1..100)
// 114   1  u8 honour (1..100)
// 115   1  u8 temperament
// 116   4  i32 year of first appearance
// 120   4  i32 home province
// 124   4  i32 clan, -1 for none
// 128   4  i32 relative's warlord number, -1 for none
// 132 240  biography
// 372   3  zero
// 375   4  i32 warlord number
// 379   4  u32 special skills
// 383   4  u32 1, expansion edition only
#include "WarlordRecord.h"

#include "Big5Text.h"

namespace payload {

namespace {

struct TextField {
    std::size_t offset;
    std::size_t size;
    const std::string* utf8;
    bool convert;  // readings are ASCII already
};

std::string CheckAbilities(const Warlord& w) {
    const std::uint8_t values[] = {w.leadership, w.valour,   w.intellect, w.administration,
                                   w.charisma,   w.ambition, w.honour};
    for (std::uint8_t value : values) {
        if (value < 1 || value > 100) return "an ability lies outside 1..100";
    }
    return {};
}

std::string PutTexts(Bytes& out, const Warlord& w) {
    const TextField fields[] = {
        {52, 12, &w.familyName, true},    {64, 12, &w.givenName, true},   {76, 16, &w.familyReading, false},
        {92, 16, &w.givenReading, false}, {132, 240, &w.biography, true},
    };
    for (const TextField& field : fields) {
        std::optional<std::string> text = *field.utf8;
        if (field.convert) text = ToCodePage950(*field.utf8);
        if (!text) return "cannot convert to code page 950: " + *field.utf8;
        if (!PutText(out, field.offset, field.size, *text)) {
            return "text does not fit its field: " + *field.utf8;
        }
    }
    return {};
}

void PutNumbers(Bytes& out, const Warlord& w) {
    PutU32(out, 36, w.faceSlot);
    PutU32(out, 40, w.sex);
    PutI32(out, 44, w.birthYear);
    PutI32(out, 48, w.deathYear);
    const std::uint8_t ratings[] = {w.leadership, w.valour,   w.intellect, w.administration,
                                    w.charisma,   w.ambition, w.honour,    w.temperament};
    for (std::size_t i = 0; i < sizeof ratings; ++i) out.at(108 + i) = ratings[i];
    PutI32(out, 116, w.firstAppearanceYear);
    PutI32(out, 120, w.homeProvince);
    PutI32(out, 124, w.clan);
    PutI32(out, 128, w.relative);
    PutI32(out, 375, w.number);
    PutU32(out, 379, w.specialSkills);
}

void PutFraming(Bytes& out, Edition edition) {
    const bool expansion = edition == Edition::Expansion;
    PutRaw(out, 0, expansion ? "VANT77EDIT_V7   " : "VANT77EDIT_V6   ");
    PutRaw(out, 16, expansion ? "VANT77EDITB_V7  " : "VANT77EDITB_V6  ");
    PutU32(out, 32, expansion ? 7 : 6);
    if (expansion) PutU32(out, kBaseRecordSize, 1);
}

}  // namespace

RecordResult BuildRecord(const Warlord& warlord, Edition edition) {
    RecordResult result;
    result.bytes.assign(edition == Edition::Expansion ? kExpansionRecordSize : kBaseRecordSize, 0);
    result.error = CheckAbilities(warlord);
    if (result.error.empty()) result.error = PutTexts(result.bytes, warlord);
    if (!result.error.empty()) return result;
    PutNumbers(result.bytes, warlord);
    PutFraming(result.bytes, edition);
    return result;
}

}  // namespace payload
