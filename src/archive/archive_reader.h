// Reads one named entry out of a data archive (the RAR 2.0 format: plain and solid archives,
// stored and compressed entries, optional password). The archive is opened, scanned from its
// start and closed inside every call; calls must not overlap.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace archive {

// Extracts `entryName` from the archive file `archiveName`. Entry names match without regard
// to ASCII letter case, and '\', '/' and '_' count as the same character. A null or empty
// password means no decryption.
// Returns 1 and hands out a buffer allocated with malloc (the caller frees it with free) and
// its size; returns 0 with *data = nullptr and *size = 0 on any failure (the reason goes to the
// debug log).
int extractFile(std::uint8_t** data, std::uint32_t* size, const char* entryName,
                const char* archiveName, const char* password);

// The same for C++ callers: the entry's bytes, or nothing.
std::optional<std::vector<std::uint8_t>> extractEntry(std::string_view entryName,
                                                      std::string_view archiveName,
                                                      std::string_view password = {});

}  // namespace archive
