// The archive format, laid out once for everything that reads or writes it: the reader here,
// the archiver in tools/pack and the tests that damage archives on purpose.
//
// An archive is a 7-byte marker, a 13-byte main header and then blocks one after another.
// Every block starts with a CRC, a type, flags and its header size; a file header (type 0x74)
// goes on with sizes, CRCs, version and method to 32 bytes, then the entry's name, and is
// followed by the entry's packed data when flag 0x8000 is set. All numbers are little-endian.
//
// The packed data of a compressed entry is a stream of Huffman-coded symbols over a 1 MiB
// window: literals, matches with distance and length slots (tables below), table changes, and
// an audio mode of up to four predicted byte channels.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "archive/crc32.h"

namespace archive {

// ---- blocks -----------------------------------------------------------------------------------

inline constexpr std::array<std::uint8_t, 7> kMarker = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};
// Read exactly like the standard marker.
inline constexpr std::array<std::uint8_t, 7> kAlternativeMarker = {'V', 'a', 'n', 't', 'o', 'r', '!'};
// The first four bytes of the old format, which is refused.
inline constexpr std::array<std::uint8_t, 4> kOldMarker = {0x52, 0x45, 0x7E, 0x5E};

inline constexpr std::size_t kMainHeaderSize = 13;
inline constexpr std::size_t kFileHeaderSize = 32;  // without the name
inline constexpr std::size_t kMinBlockSize = 7;     // CRC, type, flags, header size

inline constexpr std::uint8_t kMainHeaderType = 0x73;
inline constexpr std::uint8_t kFileHeaderType = 0x74;
inline constexpr std::uint8_t kCommentType = 0x75;
inline constexpr std::uint8_t kSubBlockType = 0x77;

inline constexpr std::uint16_t kArchiveSolid = 0x0008;    // main header: entries share one state
inline constexpr std::uint16_t kEntryEncrypted = 0x0004;
inline constexpr std::uint16_t kEntrySolid = 0x0010;      // continues the previous entry's state
inline constexpr std::uint16_t kHasData = 0x8000;         // packed-size bytes follow the header

inline constexpr std::uint8_t kMethodStored = 0x30;
// Every other method is unpacked the same way; the archiver writes this one.
inline constexpr std::uint8_t kMethodCompressed = 0x33;
inline constexpr int kMinUnpackVersion = 13;
inline constexpr int kMaxUnpackVersion = 20;
// Encrypted entries of versions below this use an older cipher that is not supported.
inline constexpr int kFirstCipherVersion = 20;

struct MainHeader {
  std::uint16_t crc = 0;  // not checked by the reader
  std::uint8_t type = kMainHeaderType;
  std::uint16_t flags = 0;
  std::uint16_t size = kMainHeaderSize;  // the reader skips what lies beyond its 13 bytes
};

// The first 32 bytes of a block; only a file header has meaning past byte 7.
struct BlockHeader {
  std::uint16_t crc = 0;  // low half of the CRC-32 of bytes 2.. of the header and the name
  std::uint8_t type = kFileHeaderType;
  std::uint16_t flags = 0;
  std::uint16_t size = 0;  // header size, name included
  std::uint32_t packedSize = 0;
  std::uint32_t unpackedSize = 0;
  std::uint8_t host = 0;
  std::uint32_t fileCrc = 0;
  std::uint32_t time = 0;  // DOS date and time
  std::uint8_t version = kMaxUnpackVersion;
  std::uint8_t method = kMethodStored;
  std::uint16_t nameSize = 0;
  std::uint32_t attributes = 0;
};

namespace layout {
inline std::uint16_t get16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
inline std::uint32_t get32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}
inline void put16(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void put32(std::uint8_t* p, std::uint32_t v) {
  put16(p, v & 0xFFFF);
  put16(p + 2, v >> 16);
}
}  // namespace layout

inline MainHeader readMainHeader(std::span<const std::uint8_t, kMainHeaderSize> p) {
  using namespace layout;
  return {get16(&p[0]), p[2], get16(&p[3]), get16(&p[5])};
}

inline void writeMainHeader(const MainHeader& h, std::span<std::uint8_t, kMainHeaderSize> p) {
  using namespace layout;
  put16(&p[0], h.crc);
  p[2] = h.type;
  put16(&p[3], h.flags);
  put16(&p[5], h.size);
  put16(&p[7], 0);
  put32(&p[9], 0);
}

inline BlockHeader readBlockHeader(std::span<const std::uint8_t, kFileHeaderSize> p) {
  using namespace layout;
  BlockHeader h;
  h.crc = get16(&p[0]);
  h.type = p[2];
  h.flags = get16(&p[3]);
  h.size = get16(&p[5]);
  h.packedSize = get32(&p[7]);
  h.unpackedSize = get32(&p[11]);
  h.host = p[15];
  h.fileCrc = get32(&p[16]);
  h.time = get32(&p[20]);
  h.version = p[24];
  h.method = p[25];
  h.nameSize = get16(&p[26]);
  h.attributes = get32(&p[28]);
  return h;
}

inline void writeBlockHeader(const BlockHeader& h, std::span<std::uint8_t, kFileHeaderSize> p) {
  using namespace layout;
  put16(&p[0], h.crc);
  p[2] = h.type;
  put16(&p[3], h.flags);
  put16(&p[5], h.size);
  put32(&p[7], h.packedSize);
  put32(&p[11], h.unpackedSize);
  p[15] = h.host;
  put32(&p[16], h.fileCrc);
  put32(&p[20], h.time);
  p[24] = h.version;
  p[25] = h.method;
  put16(&p[26], h.nameSize);
  put32(&p[28], h.attributes);
}

// The CRC a header carries: the low half of the CRC-32 of everything after the CRC field
// (for a file header the 30 bytes after it and then the name).
inline std::uint16_t headerCrc(std::span<const std::uint8_t> header, std::span<const std::uint8_t> name = {}) {
  const std::uint32_t crc = crc32(name.data(), name.size(), crc32(header.data() + 2, header.size() - 2));
  return static_cast<std::uint16_t>(crc & 0xFFFF);
}

// Where the next block starts: after the header, and after the data when there is some.
inline std::uint64_t nextBlockStart(std::uint64_t blockStart, const BlockHeader& h) {
  return blockStart + h.size + ((h.flags & kHasData) ? h.packedSize : 0);
}

// ---- packed data ------------------------------------------------------------------------------

inline constexpr std::uint32_t kWindowSize = 1u << 20;
inline constexpr std::uint32_t kWindowMask = kWindowSize - 1;

// Table sets: 298 main, 48 distance and 28 repeat-length code lengths, or 257 per audio
// channel; they travel coded with 19 length codes of up to 15 bits.
inline constexpr int kMainSymbols = 298;
inline constexpr int kDistSymbols = 48;
inline constexpr int kRepLenSymbols = 28;
inline constexpr int kTableLengths = kMainSymbols + kDistSymbols + kRepLenSymbols;  // 374
inline constexpr int kAudioSymbols = 257;
inline constexpr int kMaxAudioChannels = 4;
inline constexpr int kLenCodeSymbols = 19;
inline constexpr int kMaxCodeLength = 15;
// Lengths remembered from the previous set, for sets sent as changes of it.
inline constexpr int kRememberedLengths = kAudioSymbols * kMaxAudioChannels;  // 1028

// Main symbols: 0-255 literals, then these.
inline constexpr int kSymRepeatLast = 256;     // the last match again
inline constexpr int kSymRecentFirst = 257;    // 257-260: one of the four last distances
inline constexpr int kSymShortFirst = 261;     // 261-268: length 2, short distance slot
inline constexpr int kSymNewTables = 269;
inline constexpr int kSymNewMatchFirst = 270;  // 270-297: length slot of a new match
inline constexpr int kAudioSymNewTables = 256; // audio symbols: 0-255 prediction errors, then this

// Slot bases and extra bits: lengths (new matches and recent distances), distances, short
// distances.
inline constexpr std::array<std::uint8_t, 28> kLengthBase = {0,  1,  2,  3,  4,  5,  6,  7,  8,   10,  12,  14,  16,  20,
                                                             24, 28, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224};
inline constexpr std::array<std::uint8_t, 28> kLengthBits = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2,
                                                             2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5};
inline constexpr std::array<std::uint32_t, 48> kDistBase = {
    0,      1,      2,      3,      4,      6,      8,      12,     16,     24,     32,     48,
    64,     96,     128,    192,    256,    384,    512,    768,    1024,   1536,   2048,   3072,
    4096,   6144,   8192,   12288,  16384,  24576,  32768,  49152,  65536,  98304,  131072, 196608,
    262144, 327680, 393216, 458752, 524288, 589824, 655360, 720896, 786432, 851968, 917504, 983040};
inline constexpr std::array<std::uint8_t, 48> kDistBits = {0,  0,  0,  0,  1,  1,  2,  2,  3,  3,  4,  4,
                                                           5,  5,  6,  6,  7,  7,  8,  8,  9,  9,  10, 10,
                                                           11, 11, 12, 12, 13, 13, 14, 14, 15, 15, 16, 16,
                                                           16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16};
inline constexpr std::array<std::uint8_t, 8> kShortBase = {0, 4, 8, 16, 32, 64, 128, 192};
inline constexpr std::array<std::uint8_t, 8> kShortBits = {2, 2, 3, 4, 5, 6, 6, 6};

// Lengths as coded: a new match adds 3 to its slot's length, a recent-distance match 2, a
// short match is always 2; far matches then get these bonuses.
constexpr int newMatchBonus(std::uint32_t distance) {
  return (distance >= 0x2000 ? 1 : 0) + (distance >= 0x40000 ? 1 : 0);
}
constexpr int recentMatchBonus(std::uint32_t distance) {
  return (distance >= 0x101 ? 1 : 0) + newMatchBonus(distance);
}

}  // namespace archive
