#include "install/Payload.h"

#include "platform/Platform.h"

namespace {
constexpr char kPayloadType[] = "BINARY";
}

const std::uint8_t* LoadPayload(std::uint16_t id) {
    const platform::ResourceHandle resource = platform::Os().FindResource(id, kPayloadType);
    if (resource == 0) return nullptr;
    return static_cast<const std::uint8_t*>(platform::Os().LoadResource(resource));
}

std::uint32_t PayloadSize(std::uint16_t id) {
    const platform::ResourceHandle resource = platform::Os().FindResource(id, kPayloadType);
    if (resource == 0) return 0;
    return platform::Os().SizeofResource(resource);
}
