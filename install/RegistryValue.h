// Reads one value below HKEY_CURRENT_USER\software\ZAVO\<product>\<leaf>.
#pragma once

#include <cstdint>

// Opens the chain one level at a time for reading, queries `valueName`
// into `data` offering `*size` bytes, and closes every key it opened. Returns
// the query's Win32 status, or the status of the first level that failed to
// open (the value is then not queried).
long QueryProductValue(const char* productKey, const char* leafKey, const char* valueName, std::uint8_t* data,
                       std::uint32_t* size);
