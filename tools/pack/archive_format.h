// Block layout of the archives the writer produces and lists: marker, main header, one file
// header (32 bytes plus the name) before each entry's data.
#pragma once

#include <array>
#include <cstdint>

namespace pack {

inline constexpr std::array<std::uint8_t, 7> kMarker = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};
inline constexpr std::uint8_t kMainHeaderType = 0x73;
inline constexpr std::uint8_t kFileHeaderType = 0x74;
inline constexpr std::uint16_t kMainHeaderSize = 13;
inline constexpr std::uint16_t kFileHeaderFixedSize = 32;

inline constexpr std::uint16_t kMainFlagSolid = 0x0008;
inline constexpr std::uint16_t kFlagEncrypted = 0x0004;
inline constexpr std::uint16_t kFlagSolid = 0x0010;
inline constexpr std::uint16_t kFlagHasData = 0x8000;

inline constexpr std::uint8_t kMethodStored = 0x30;
inline constexpr std::uint8_t kMethodCompressed = 0x33;
inline constexpr std::uint8_t kUnpackVersion = 20;
inline constexpr std::uint8_t kHostMsDos = 0;
inline constexpr std::uint32_t kAttributeArchive = 0x20;
// 1980-01-01 00:00:00, the first moment a DOS time stamp can hold.
inline constexpr std::uint32_t kDefaultDosTime = 0x00210000;

// The reader compares at most this many name bytes; longer names could never be found.
inline constexpr std::size_t kMaxNameLength = 255;

}  // namespace pack
