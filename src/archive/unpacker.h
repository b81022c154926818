// The decompressor of the archive format: LZ77 matches and literals over a 1 MiB sliding window,
// coded with canonical Huffman tables that travel in the data themselves, plus an audio mode in
// which up to four interleaved byte channels are predicted by adaptive linear filters and only
// the prediction errors are coded. One Unpacker serves all entries of one extraction: a solid
// entry continues the window, tables and filters of the entry before it. The reader keeps one
// for the whole process and starts it afresh for every extraction.
#pragma once

#include <array>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "archive/archive_format.h"
#include "archive/huffman_table.h"

namespace archive {

class PackedReader;

// Where the wanted entry's bytes go: a buffer of `capacity` bytes, `written` of them filled.
struct UnpackOutput {
  std::uint8_t* data = nullptr;
  std::uint64_t capacity = 0;
  std::uint64_t written = 0;
  std::uint32_t crc = 0;  // CRC-32 of the written bytes, kept up while they are still in cache
};

struct UnpackEntry {
  std::uint64_t unpackedSize = 0;
  // Bytes the packed data really holds (the header's packed size cut at the end of the file).
  std::uint64_t packedAvailable = 0;
  bool solid = false;  // continues the previous entry's state
};

class Unpacker {
 public:
  // Allocates the window; throws std::bad_alloc when it cannot.
  Unpacker();

  // Puts everything back as a new Unpacker has it, so that no extraction sees anything of the
  // one before (a damaged first entry flagged solid continues nothing).
  void startExtraction();

  // Decodes one entry. Output is copied only when `output` is given (the wanted entry); entries
  // before it in a solid archive only fill the window. Returns false when the packed data ran
  // out before the entry was complete or the output would have overflowed.
  bool decompressEntry(PackedReader& source, const UnpackEntry& entry, UnpackOutput* output);

 private:
  struct AudioChannel {
    int weight[5] = {};
    int delta[4] = {};  // H1..H4
    int prevDelta = 0;
    std::uint32_t errSum[11] = {};
    std::uint32_t sampleCount = 0;
    int prevSample = 0;
  };

  // Bit input over a big buffer of packed bytes; bytes past the end of the data read as 0.
  struct BitInput {
    static constexpr std::size_t kBufferSize = 1 << 16;
    static constexpr std::size_t kMargin = 64;   // bytes one step may need past its start
    static constexpr std::size_t kPadding = 64;  // zeros after the buffer for look-ahead

    // Not cleared when made: only the bytes read into it and those just past them are looked at.
    std::unique_ptr<std::uint8_t[]> buffer = std::make_unique_for_overwrite<std::uint8_t[]>(kBufferSize + kPadding);
    std::size_t pos = 0;        // byte index in buffer
    unsigned bit = 0;           // bit 0..7 within it
    std::size_t fill = 0;       // valid bytes in buffer
    std::uint64_t base = 0;     // stream offset of buffer[0]
    std::size_t serviceAt = 0;  // pos at which service() has to run
    bool sourceDone = false;

    void start(PackedReader& source);
    // Zeros the bytes past the valid ones that a step can look at.
    void clearAfterFill();
    // Refills when the look-ahead runs short. Returns false once the read position has passed
    // the end of the packed data (a truncated or damaged stream).
    bool service(PackedReader& source);
    std::uint64_t streamPos() const { return base + pos; }
  };

  bool readTables(PackedReader& source);
  std::uint8_t decodeAudio(unsigned delta);
  bool flush(UnpackOutput* output);
  void resetState();

  // The original reader refilled an 8 KiB buffer at fixed read positions; whether at least 5
  // bytes were left in it decides the closing table check, so that buffer is tracked here.
  void trackRefill(std::size_t threshold);

  struct FreeDeleter {
    void operator()(std::uint8_t* p) const { std::free(p); }
  };
  // From calloc: fresh zero pages, so the first entry needs no clearing and small entries touch
  // only the pages they use; a reset clears only the bytes from 0 that entries may have
  // written since the last one (all of them once the write position has gone round).
  std::unique_ptr<std::uint8_t, FreeDeleter> window_;
  std::uint32_t dirtyEnd_ = 0;
  std::uint32_t writePos_ = 0;
  std::uint32_t flushPos_ = 0;
  std::int64_t outLeft_ = 0;
  BitInput in_;

  std::array<std::uint32_t, 4> distRing_{};
  std::uint32_t distRingPos_ = 0;
  std::uint32_t lastMatchDist_ = 0;
  std::uint32_t lastMatchLen_ = 0;
  std::array<std::uint8_t, kRememberedLengths> prevLengths_{};

  bool audioMode_ = false;
  unsigned channelCount_ = 1;
  unsigned channelIndex_ = 0;
  int crossDelta_ = 0;
  std::array<AudioChannel, kMaxAudioChannels> channels_{};

  HuffmanTable mainTable_;
  HuffmanTable distTable_;
  HuffmanTable repLenTable_;
  HuffmanTable lenCodeTable_;
  std::array<HuffmanTable, kMaxAudioChannels> audioTables_;

  std::uint64_t trackedStart_ = 0;
  std::uint64_t trackedEnd_ = 0;
  std::uint64_t packedAvailable_ = 0;
};

}  // namespace archive
