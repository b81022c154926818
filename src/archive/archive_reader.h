// Reads one named entry out of a data archive (the RAR 2.0 format of archive_format.h: plain
// and solid archives, stored and compressed entries, optional password). The archive's bytes
// are scanned from the start in every call; a call on a file reads the whole file first.
// Calls must not overlap.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
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

// The same over an archive already in memory.
std::optional<std::vector<std::uint8_t>> extractFromMemory(std::span<const std::uint8_t> archive,
                                                           std::string_view entryName,
                                                           std::string_view password = {});

}  // namespace archive
