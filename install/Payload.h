// What the installer installs travels inside the program as "BINARY"
// resources of its own module.
#pragma once

#include <cstdint>

constexpr std::uint16_t kPayloadBaseRecord = 137;
constexpr std::uint16_t kPayloadExpansionRecord = 138;
constexpr std::uint16_t kPayloadFaceS = 139;
constexpr std::uint16_t kPayloadFaceL = 140;
constexpr std::uint16_t kPayloadFaceM = 141;

// Null when the program carries no such resource.
const std::uint8_t* LoadPayload(std::uint16_t id);
// 0 when the program carries no such resource.
std::uint32_t PayloadSize(std::uint16_t id);
