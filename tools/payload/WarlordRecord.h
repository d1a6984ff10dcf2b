// The packaged warlord's edit record, in the framing of both game editions.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "ByteWriter.h"

namespace payload {

// Texts in UTF-8; they are converted to code page 950 when the record is built.
struct Warlord {
    std::uint32_t faceSlot;
    std::uint32_t sex;  // 0 male, 1 female
    std::int32_t birthYear;
    std::int32_t deathYear;
    std::string familyName;
    std::string givenName;
    std::string familyReading;  // romanised, ASCII
    std::string givenReading;
    std::uint8_t leadership;
    std::uint8_t valour;
    std::uint8_t intellect;
    std::uint8_t administration;
    std::uint8_t charisma;
    std::uint8_t ambition;
    std::uint8_t honour;
    std::uint8_t temperament;  // 0 calm, 1 steady, 2 bold, 3 reckless
    std::int32_t firstAppearanceYear;
    std::int32_t homeProvince;
    std::int32_t clan;      // -1: serves no clan at the start
    std::int32_t relative;  // warlord number of a relative, -1 for none
    std::string biography;
    std::int32_t number;          // ties the record to the scenario set-data file
    std::uint32_t specialSkills;  // bit set
};

const Warlord& PackagedWarlord();

enum class Edition { Base, Expansion };

constexpr std::size_t kBaseRecordSize = 383;
constexpr std::size_t kExpansionRecordSize = 387;

struct RecordResult {
    Bytes bytes;
    std::string error;  // empty on success
};

RecordResult BuildRecord(const Warlord& warlord, Edition edition);

}  // namespace payload
