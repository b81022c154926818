#include "archive/unpacker.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <new>

#include "archive/archive_format.h"
#include "archive/crc32.h"
#include "archive/debug_log.h"
#include "archive/packed_reader.h"

namespace archive {
namespace {

// The original's input buffer, whose refills decide the closing table check.
constexpr std::uint64_t kTrackedBufferSize = 8192;
constexpr std::uint64_t kTrackedRefillStep = 8160;
constexpr std::size_t kRefillAtStep = 8162;
constexpr std::size_t kRefillAtTables = 8167;
constexpr std::size_t kRefillAtLength = 8187;

// Unflushed bytes allowed before copying them out. Well below the window size, as one step
// writes at most 260 bytes and nothing unflushed may be overwritten; small enough that the
// copy still finds the bytes in cache.
constexpr std::uint32_t kFlushSpan = 1u << 17;

inline std::uint32_t loadBigEndian32(const std::uint8_t* p) {
  std::uint32_t v;
  std::memcpy(&v, p, 4);
  if constexpr (std::endian::native == std::endian::little) v = __builtin_bswap32(v);
  return v;
}

inline std::uint64_t loadBigEndian64(const std::uint8_t* p) {
  std::uint64_t v;
  std::memcpy(&v, p, 8);
  if constexpr (std::endian::native == std::endian::little) v = __builtin_bswap64(v);
  return v;
}

inline std::uint32_t peekBits(const std::uint8_t* buffer, std::size_t pos, unsigned bit) {
  return (loadBigEndian32(buffer + pos) << bit) >> 16;
}

inline void skipBits(std::size_t& pos, unsigned& bit, unsigned count) {
  bit += count;
  pos += bit >> 3;
  bit &= 7;
}

// Copies a match byte by byte in effect: a distance shorter than the length repeats the
// pattern. Where that gives the same result it moves 8 bytes at a time; the bytes the last
// piece writes past the match are put back, as they may still be the target of a far match.
inline void copyMatch(std::uint8_t* window, std::uint32_t& writePos, std::uint32_t length,
                      std::uint32_t distance) {
  const std::uint32_t from = (writePos - distance) & kWindowMask;
  if (writePos + length + 8 <= kWindowSize &&
      from + length + 8 <= kWindowSize) {
    std::uint8_t* out = window + writePos;
    const std::uint8_t* in = window + from;
    const bool sourceAhead = from >= writePos;
    writePos += length;
    if (distance >= 8 || sourceAhead) {
      std::uint64_t after;
      std::memcpy(&after, out + length, 8);
      for (std::uint32_t i = 0; i < length; i += 8) {
        std::uint64_t piece;
        std::memcpy(&piece, in + i, 8);
        std::memcpy(out + i, &piece, 8);
      }
      std::memcpy(out + length, &after, 8);
    } else if (distance == 1) {
      std::memset(out, in[0], length);
    } else {
      while (length-- > 0) *out++ = *in++;
    }
    return;
  }
  while (length-- > 0) {
    window[writePos] = window[(writePos - distance) & kWindowMask];
    writePos = (writePos + 1) & kWindowMask;
  }
}

}  // namespace

// ---- bit input ------------------------------------------------------------------------------

void Unpacker::BitInput::start(PackedReader& source) {
  pos = 0;
  bit = 0;
  base = 0;
  fill = source.readPacked(buffer.get(), kBufferSize);
  sourceDone = fill < kBufferSize;
  clearAfterFill();
  serviceAt = sourceDone ? fill : fill - kMargin;
}

void Unpacker::BitInput::clearAfterFill() {
  std::fill(buffer.get() + fill, buffer.get() + std::min(kBufferSize + kPadding, fill + kMargin + kPadding), std::uint8_t(0));
}

bool Unpacker::BitInput::service(PackedReader& source) {
  if (pos < serviceAt) return true;
  if (!sourceDone) {
    const std::size_t keep = pos < fill ? fill - pos : 0;
    std::memmove(buffer.get(), buffer.get() + pos, keep);
    base += pos;
    pos = 0;
    // Whole blocks only, so decryption stays in step with the data.
    const std::size_t want = (kBufferSize - keep) & ~std::size_t(15);
    const std::size_t got = source.readPacked(buffer.get() + keep, want);
    fill = keep + got;
    sourceDone = got < want;
    clearAfterFill();
    serviceAt = sourceDone ? fill : fill - kMargin;
    if (!sourceDone) return true;
  }
  return pos < fill || (pos == fill && bit == 0);
}

// ---- state ------------------------------------------------------------------------------------

Unpacker::Unpacker()
    : window_(static_cast<std::uint8_t*>(std::calloc(kWindowSize, 1))) {
  if (!window_) throw std::bad_alloc();
}

void Unpacker::resetState() {
  std::memset(window_.get(), 0, dirtyEnd_);
  dirtyEnd_ = 0;
  writePos_ = 0;
  flushPos_ = 0;
  distRing_.fill(0);
  distRingPos_ = 0;
  lastMatchDist_ = 0;
  lastMatchLen_ = 0;
  prevLengths_.fill(0);
  channels_ = {};
  channelIndex_ = 0;
  crossDelta_ = 0;
}

void Unpacker::startExtraction() {
  resetState();
  outLeft_ = 0;
  audioMode_ = false;
  channelCount_ = 1;
  mainTable_ = distTable_ = repLenTable_ = lenCodeTable_ = HuffmanTable{};
  audioTables_ = {};
  trackedStart_ = trackedEnd_ = packedAvailable_ = 0;
}

void Unpacker::trackRefill(std::size_t threshold) {
  const std::uint64_t at = in_.streamPos();
  if (at < trackedStart_ || at - trackedStart_ <= threshold) return;
  const std::uint64_t readFrom = trackedStart_ + kTrackedBufferSize;
  const std::uint64_t movedPos = (at - trackedStart_) & 31;
  trackedStart_ += kTrackedRefillStep;
  if (packedAvailable_ > readFrom)
    trackedEnd_ = std::min(packedAvailable_, trackedStart_ + kTrackedBufferSize);
  else
    trackedEnd_ = trackedStart_ + movedPos;  // nothing read: the end is the read position
}

// ---- tables -----------------------------------------------------------------------------------

bool Unpacker::readTables(PackedReader& source) {
  trackRefill(kRefillAtTables);
  if (!in_.service(source)) return false;
  const std::uint8_t* buffer = in_.buffer.get();
  auto peek = [&] { return peekBits(buffer, in_.pos, in_.bit); };
  auto skip = [&](unsigned n) { skipBits(in_.pos, in_.bit, n); };

  const std::uint32_t head = peek();
  audioMode_ = (head & 0x8000) != 0;
  if ((head & 0x4000) == 0) prevLengths_.fill(0);
  skip(2);

  int tableSize = kTableLengths;
  if (audioMode_) {
    channelCount_ = ((head >> 12) & 3) + 1;
    if (channelIndex_ >= channelCount_) channelIndex_ = 0;
    skip(2);
    tableSize = kAudioSymbols * int(channelCount_);
  }

  std::uint8_t codeLengths[19];
  for (std::uint8_t& length : codeLengths) {
    length = std::uint8_t(peek() >> 12);
    skip(4);
  }
  lenCodeTable_.build(codeLengths, 19);

  // Lengths past tableSize stay 0 and are kept as such for the next delta.
  std::array<std::uint8_t, kRememberedLengths> lengths{};
  bool complete = true;
  int i = 0;
  while (i < tableSize) {
    trackRefill(kRefillAtLength);
    if (!in_.service(source)) {
      complete = false;
      break;
    }
    const HuffmanTable::Decoded d = lenCodeTable_.decode(peek());
    skip(d.length);
    if (d.symbol < 16) {
      lengths[i] = std::uint8_t((d.symbol + prevLengths_[i]) & 15);
      ++i;
      continue;
    }
    unsigned count;
    std::uint8_t value = 0;
    if (d.symbol == 16) {
      count = (peek() >> 14) + 3;
      skip(2);
      value = i > 0 ? lengths[i - 1] : 0;  // nothing to repeat at the start: repeat 0
    } else if (d.symbol == 17) {
      count = (peek() >> 13) + 3;
      skip(3);
    } else {
      count = (peek() >> 9) + 11;
      skip(7);
    }
    for (; count > 0 && i < tableSize; --count) lengths[i++] = value;
  }

  if (audioMode_) {
    for (unsigned c = 0; c < channelCount_; ++c)
      audioTables_[c].build(lengths.data() + kAudioSymbols * c, kAudioSymbols);
  } else {
    mainTable_.build(lengths.data(), kMainSymbols);
    distTable_.build(lengths.data() + kMainSymbols, kDistSymbols);
    repLenTable_.build(lengths.data() + kMainSymbols + kDistSymbols, kRepLenSymbols);
  }
  prevLengths_ = lengths;
  return complete;
}

// ---- audio ------------------------------------------------------------------------------------

std::uint8_t Unpacker::decodeAudio(unsigned delta) {
  AudioChannel& c = channels_[channelIndex_];
  int* h = c.delta;
  int* w = c.weight;
  ++c.sampleCount;
  h[3] = h[2];
  h[2] = h[1];
  h[1] = c.prevDelta - h[0];
  h[0] = c.prevDelta;

  int p = 8 * c.prevSample + w[0] * h[0] + w[1] * h[1] + w[2] * h[2] + w[3] * h[3] +
          w[4] * crossDelta_;
  p = (p >> 3) & 0xFF;
  const int ch = p - int(delta);

  const int e = int(std::int8_t(std::uint8_t(delta))) * 8;
  std::uint32_t* err = c.errSum;
  err[0] += std::uint32_t(std::abs(e));
  err[1] += std::uint32_t(std::abs(e - h[0]));
  err[2] += std::uint32_t(std::abs(e + h[0]));
  err[3] += std::uint32_t(std::abs(e - h[1]));
  err[4] += std::uint32_t(std::abs(e + h[1]));
  err[5] += std::uint32_t(std::abs(e - h[2]));
  err[6] += std::uint32_t(std::abs(e + h[2]));
  err[7] += std::uint32_t(std::abs(e - h[3]));
  err[8] += std::uint32_t(std::abs(e + h[3]));
  err[9] += std::uint32_t(std::abs(e - crossDelta_));
  err[10] += std::uint32_t(std::abs(e + crossDelta_));

  c.prevDelta = std::int8_t(std::uint8_t(ch - c.prevSample));
  crossDelta_ = c.prevDelta;
  c.prevSample = ch;

  if ((c.sampleCount & 31) == 0) {
    int best = 0;
    for (int i = 1; i < 11; ++i)
      if (err[i] < err[best]) best = i;
    std::fill(err, err + 11, 0u);
    if (best != 0) {
      int& weight = w[(best - 1) / 2];
      if (best % 2 == 1) {
        if (weight >= -16) --weight;
      } else if (weight < 16) {
        ++weight;
      }
    }
  }
  return std::uint8_t(ch);
}

// ---- output -----------------------------------------------------------------------------------

bool Unpacker::flush(UnpackOutput* output) {
  writePos_ &= kWindowMask;
  const std::uint32_t count = (writePos_ - flushPos_) & kWindowMask;
  if (count == 0) return true;
  if (output) {
    if (output->written + count > output->capacity) {
      logMessage("Fatal! Buffer overrun during decompression!");
      outLeft_ = -1;
      return false;
    }
    std::uint8_t* to = output->data + output->written;
    const std::uint32_t first = std::min(count, kWindowSize - flushPos_);
    std::memcpy(to, window_.get() + flushPos_, first);
    std::memcpy(to + first, window_.get(), count - first);
    output->crc = crc32(to, count, output->crc);
    output->written += count;
  }
  flushPos_ = writePos_;
  return true;
}

// ---- entry ------------------------------------------------------------------------------------

bool Unpacker::decompressEntry(PackedReader& source, const UnpackEntry& entry,
                               UnpackOutput* output) {
  packedAvailable_ = entry.packedAvailable;
  if (!entry.solid) resetState();
  const std::uint32_t startPos = writePos_;
  in_.start(source);
  trackedStart_ = 0;
  trackedEnd_ = std::min<std::uint64_t>(packedAvailable_, kTrackedBufferSize);
  // A table read cut short leaves zero lengths; the main loop then notices the end of data.
  if (!entry.solid) readTables(source);
  outLeft_ = std::int64_t(entry.unpackedSize) - 1;

  // The hot state lives in locals: byte stores into the window could otherwise alias every
  // member and force reloads on each symbol. Bits are taken from a 64-bit container that holds
  // at least 56 unread bits after each refill, enough for the longest step (51 bits).
  std::uint8_t* const window = window_.get();
  const std::uint8_t* const buffer = in_.buffer.get();
  std::uint64_t bits = 0;      // unread bits, most significant first
  unsigned avail = 0;          // how many
  std::size_t loadPos = 0;     // next buffer byte to load into the container
  std::uint32_t writePos = writePos_;
  std::uint32_t flushPos = flushPos_;
  bool audioMode = audioMode_;
  std::int64_t left = outLeft_;
  std::size_t slowAt = 0;

  auto refill = [&] {
    bits |= loadBigEndian64(buffer + loadPos) >> avail;
    loadPos += (63 - avail) >> 3;
    avail |= 56;
  };
  auto consumedPos = [&] { return (loadPos * 8 - avail) >> 3; };
  auto store = [&] {
    const std::size_t consumed = loadPos * 8 - avail;
    in_.pos = consumed >> 3;
    in_.bit = unsigned(consumed & 7);
    writePos_ = writePos;
    outLeft_ = left;
  };
  auto load = [&] {
    loadPos = in_.pos;
    bits = 0;
    avail = 0;
    refill();
    bits <<= in_.bit;
    avail -= in_.bit;
    writePos = writePos_;
    flushPos = flushPos_;
    audioMode = audioMode_;
    left = outLeft_;
    // Stop for the slow path at the next refill of either buffer.
    const std::int64_t tracked =
        std::int64_t(trackedStart_ + kRefillAtStep + 1) - std::int64_t(in_.base);
    slowAt = std::min<std::size_t>(in_.serviceAt, std::size_t(std::max<std::int64_t>(tracked, 0)));
  };
  auto take = [&](unsigned count) {
    bits <<= count;
    avail -= count;
  };
  auto decode = [&](const HuffmanTable& table) {
    const HuffmanTable::Decoded d = table.decode(std::uint32_t(bits >> 48));
    take(d.length);
    return d.symbol;
  };
  auto getBits = [&](unsigned count) -> std::uint32_t {
    if (count == 0) return 0;
    const std::uint32_t v = std::uint32_t(bits >> (64 - count));
    take(count);
    return v;
  };

  load();
  bool complete = true;
  bool flushed = true;
  while (left >= 0) {
    if (consumedPos() >= slowAt) {
      store();
      trackRefill(kRefillAtStep);
      const bool more = in_.service(source);
      load();
      if (!more) {
        complete = false;
        break;
      }
    }
    refill();
    writePos &= kWindowMask;
    if (((writePos - flushPos) & kWindowMask) >= kFlushSpan) {
      store();
      flushed = flush(output);
      load();
      if (!flushed) break;
    }

    if (audioMode) {
      const unsigned s = decode(audioTables_[channelIndex_]);
      if (s == kAudioSymNewTables) {
        store();
        readTables(source);
        load();
        continue;
      }
      window[writePos++] = decodeAudio(s);
      if (++channelIndex_ >= channelCount_) channelIndex_ = 0;
      --left;
      continue;
    }

    const unsigned s = decode(mainTable_);
    if (s < kSymRepeatLast) {
      window[writePos++] = std::uint8_t(s);
      --left;
      continue;
    }
    std::uint32_t length;
    std::uint32_t distance;
    if (s > kSymNewTables) {
      const unsigned k = s - kSymNewMatchFirst;
      length = kLengthBase[k] + 3 + getBits(kLengthBits[k]);
      const unsigned d = decode(distTable_);
      distance = kDistBase[d] + 1 + getBits(kDistBits[d]);
      length += std::uint32_t(newMatchBonus(distance));
    } else if (s == kSymNewTables) {
      store();
      readTables(source);
      load();
      continue;
    } else if (s == kSymRepeatLast) {
      length = lastMatchLen_;
      distance = lastMatchDist_;
    } else if (s < kSymShortFirst) {
      distance = distRing_[(distRingPos_ - (s - kSymRepeatLast)) & 3];
      const unsigned r = decode(repLenTable_);
      length = kLengthBase[r] + 2 + getBits(kLengthBits[r]) + std::uint32_t(recentMatchBonus(distance));
    } else {
      const unsigned k = s - kSymShortFirst;
      distance = kShortBase[k] + 1 + getBits(kShortBits[k]);
      length = 2;
    }
    lastMatchDist_ = distance;
    distRing_[distRingPos_ & 3] = distance;
    ++distRingPos_;
    lastMatchLen_ = length;
    left -= length;
    copyMatch(window, writePos, length, distance);
  }
  store();
  writePos_ &= kWindowMask;
  // Every byte written counts down outLeft_ (a forced end only counts more), so this bounds
  // the part of the window a reset has to clear.
  const std::uint64_t produced = std::uint64_t(std::max<std::int64_t>(std::int64_t(entry.unpackedSize) - 1 - outLeft_, 0));
  dirtyEnd_ = startPos + produced >= kWindowSize ? kWindowSize
                                                 : std::max<std::uint32_t>(dirtyEnd_, std::uint32_t(startPos + produced));

  if (!complete) {
    logMessage("Packed data ended before the entry was complete.");
  } else if (trackedEnd_ >= in_.streamPos() + 5) {
    // A table change right after the entry's last byte belongs to the next (solid) entry.
    const std::uint8_t* buf = in_.buffer.get();
    const HuffmanTable& table = audioMode_ ? audioTables_[channelIndex_] : mainTable_;
    const HuffmanTable::Decoded d = table.decode(peekBits(buf, in_.pos, in_.bit));
    skipBits(in_.pos, in_.bit, d.length);
    if (d.symbol == unsigned(audioMode_ ? kAudioSymNewTables : kSymNewTables)) readTables(source);
  }
  if (flushed) flushed = flush(output);
  return complete && flushed;
}

}  // namespace archive
