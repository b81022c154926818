// The packed-data writer: LZ77 over the reader's 1 MiB window with Huffman-coded symbols
// (the cheapest path by the previous block's code lengths), the multimedia (audio) filter
// where it pays, and tables that change between blocks.
//
// One Compressor is one chain of entries that share the reader's state: a single entry of a
// normal archive, or every compressed entry of a solid archive. Entries are parsed as they
// come (addEntry); finish() then chooses the code tables and writes one packed stream per
// entry. Blocks may run across entry boundaries, which is how a solid successor keeps the
// tables of its predecessor; new tables for a successor travel at the end of the previous
// entry's stream, where the reader looks for them.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "pack/audio_predictor.h"
#include "pack/bit_writer.h"
#include "pack/match_finder.h"

namespace pack {

struct CompressionStats {
  std::uint64_t literals = 0;
  std::uint64_t repeatLast = 0;                // symbol 256
  std::array<std::uint64_t, 4> recent{};       // symbols 257..260
  std::uint64_t shortMatches = 0;              // symbols 261..268
  std::uint64_t newMatches = 0;                // symbols 270..297
  std::array<std::uint64_t, 3> newBonus{};     // new matches by the length bonus at their distance
  std::array<std::uint64_t, 4> recentBonus{};  // recent-distance matches by their bonus
  std::uint64_t distanceOneLength5 = 0;        // new matches of length 5 at distance 1
  std::uint64_t lzBlocks = 0;
  std::array<std::uint64_t, 4> audioBlocks{};  // by channel count - 1
  std::uint64_t audioBytes = 0;
  std::uint64_t tableSets = 0;          // table sets sent
  std::uint64_t tableSwitches = 0;      // table symbols (269, or 256 in audio mode) sent
  std::uint64_t successorTables = 0;    // table sets sent at an entry's end for the next entry
  std::uint64_t keptLengths = 0;        // table sets coded against the previous lengths
  std::array<std::uint64_t, 3> runCodes{};  // length symbols 16, 17, 18
  std::uint64_t lengthDeltas = 0;       // lengths sent as a nonzero change of a nonzero previous length

  void add(const CompressionStats& other);
};

class Compressor {
 public:
  Compressor();
  ~Compressor();
  Compressor(const Compressor&) = delete;
  Compressor& operator=(const Compressor&) = delete;

  // Parses the next entry of the chain. Returns false, leaving the chain as it was, when the
  // entry would not get smaller (the caller then stores it outside the chain) or is empty.
  bool addEntry(std::span<const std::uint8_t> data);

  // The packed stream of every accepted entry, in order; each a whole number of
  // `alignment`-byte units (16 when the streams are to be encrypted).
  std::vector<std::vector<std::uint8_t>> finish(std::size_t alignment);

  const CompressionStats& stats() const { return stats_; }

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
  CompressionStats stats_;
};

// Sends one table set as the compressor does: `lengths` are the code lengths of the main,
// distance and repeat-length tables one after another (channels 0), or of each audio channel
// (channels 1..4); with `previous` they go as changes of those lengths.
void writeTableSet(BitWriter& out, int channels, std::span<const std::uint8_t> lengths,
                   std::span<const std::uint8_t> previous = {});

}  // namespace pack
