#include "pack/compressor.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "archive/archive_format.h"
#include "pack/bit_writer.h"
#include "pack/huffman_code.h"

namespace pack {

using namespace archive;  // the format's symbols and slot tables

void CompressionStats::add(const CompressionStats& o) {
  literals += o.literals;
  repeatLast += o.repeatLast;
  for (size_t i = 0; i < 4; ++i) recent[i] += o.recent[i];
  shortMatches += o.shortMatches;
  newMatches += o.newMatches;
  for (size_t i = 0; i < 3; ++i) newBonus[i] += o.newBonus[i];
  for (size_t i = 0; i < 4; ++i) recentBonus[i] += o.recentBonus[i];
  distanceOneLength5 += o.distanceOneLength5;
  lzBlocks += o.lzBlocks;
  for (size_t i = 0; i < 4; ++i) audioBlocks[i] += o.audioBlocks[i];
  audioBytes += o.audioBytes;
  tableSets += o.tableSets;
  tableSwitches += o.tableSwitches;
  successorTables += o.successorTables;
  keptLengths += o.keptLengths;
  for (size_t i = 0; i < 3; ++i) runCodes[i] += o.runCodes[i];
  lengthDeltas += o.lengthDeltas;
}

namespace {

// The reader copies matches through a 2^20 ring; one byte less keeps every source byte
// strictly behind the write position.
constexpr std::uint32_t kMaxDistance = kWindowSize - 1;

constexpr std::array<std::uint8_t, 256> kLengthSlotOf = [] {
  std::array<std::uint8_t, 256> slots{};
  int slot = 0;
  for (int coded = 0; coded < 256; ++coded) {
    while (slot + 1 < 28 && kLengthBase[static_cast<size_t>(slot) + 1] <= coded) ++slot;
    slots[static_cast<size_t>(coded)] = static_cast<std::uint8_t>(slot);
  }
  return slots;
}();

// Slot of a coded length 0..255.
constexpr int lengthSlot(std::uint32_t coded) { return kLengthSlotOf[coded]; }

// Slot of distance - 1 (0 .. 2^20 - 1).
constexpr int distanceSlot(std::uint32_t distanceMinusOne) {
  int lo = 0, hi = 47;
  while (lo < hi) {
    const int mid = (lo + hi + 1) / 2;
    if (kDistBase[static_cast<size_t>(mid)] <= distanceMinusOne) lo = mid; else hi = mid - 1;
  }
  return lo;
}

// Slot of a short-match distance - 1 (0..255).
constexpr int shortSlot(std::uint32_t distanceMinusOne) {
  int slot = 0;
  while (slot + 1 < 8 && kShortBase[static_cast<size_t>(slot) + 1] <= distanceMinusOne) ++slot;
  return slot;
}

// Parsing and the audio trial work on pieces of this size; blocks are whole pieces.
constexpr std::uint32_t kSegmentSize = 32 * 1024;
constexpr std::uint32_t kMaxMatch = 257;  // fits both match kinds at every distance
constexpr int kMaxChain = 128;
constexpr std::uint32_t kGoodLength = 32;
constexpr std::uint32_t kNiceLength = 64;
constexpr std::uint32_t kParseWindow = 4096;  // positions weighed together

constexpr std::uint8_t kNoSecond = 0xFF;

struct LzToken {
  std::uint16_t symbol = 0;
  std::uint8_t second = kNoSecond;  // distance slot (new match) or length slot (recent distance)
  std::uint8_t bits1 = 0;           // extra bits right after the main symbol
  std::uint8_t bits2 = 0;           // extra bits after the second symbol
  std::uint8_t bonus = 0;
  std::uint16_t extra1 = 0;
  std::uint32_t extra2 = 0;
};

struct Block {
  int channels = 0;  // 0: LZ symbols, 1..4: audio mode with that many channels
  std::vector<LzToken> tokens;
  std::vector<std::uint8_t> deltas;
  int startChannel = 0;
  std::vector<std::uint32_t> counts;
  std::uint64_t extraBits = 0;

  explicit Block(int channelCount = 0)
      : channels(channelCount), counts(channelCount == 0 ? kTableLengths : kAudioSymbols * channelCount, 0) {}
  size_t size() const { return channels == 0 ? tokens.size() : deltas.size(); }
  // Channel of the byte after the first `tokenCount` bytes.
  int channelAfter(size_t tokenCount) const {
    return channels == 0 ? 0 : static_cast<int>((static_cast<size_t>(startChannel) + tokenCount) % static_cast<size_t>(channels));
  }
};

// Code lengths of each table of the block (LZ: main, distance, recent-length; audio: one per
// channel), concatenated in the order the reader reads them.
std::vector<std::uint8_t> tableLengths(int channels, std::span<const std::uint32_t> counts) {
  std::vector<std::uint8_t> lengths;
  auto addTable = [&](size_t offset, size_t size) {
    auto part = buildCodeLengths(counts.subspan(offset, size), kMaxCodeLength);
    lengths.insert(lengths.end(), part.begin(), part.end());
  };
  if (channels == 0) {
    addTable(0, kMainSymbols);
    addTable(kMainSymbols, kDistSymbols);
    addTable(kMainSymbols + kDistSymbols, kRepLenSymbols);
  } else {
    for (int c = 0; c < channels; ++c) addTable(static_cast<size_t>(c) * kAudioSymbols, kAudioSymbols);
  }
  return lengths;
}

// Rough size of a table set, for decisions taken before the tables are final.
std::uint64_t estimateTableBits(std::span<const std::uint8_t> lengths) {
  std::uint64_t bits = 80;
  for (size_t i = 0; i < lengths.size();) {
    if (lengths[i] != 0) {
      bits += 4;
      ++i;
      continue;
    }
    size_t run = 0;
    while (i + run < lengths.size() && lengths[i + run] == 0) ++run;
    i += run;
    if (run >= 11) bits += 12 * ((run + 137) / 138);
    else if (run >= 3) bits += 8;
    else bits += 3 * run;
  }
  return bits;
}

std::uint64_t symbolBits(const Block& block) {
  const auto lengths = tableLengths(block.channels, block.counts);
  return codedBits(block.counts, lengths);
}

// ---- table transmission ----

struct LengthSymbol {
  std::uint8_t symbol;
  std::uint8_t extra;
};

struct TablePlan {
  bool keep = false;
  std::array<std::uint8_t, kLenCodeSymbols> codeLengths{};
  std::vector<LengthSymbol> symbols;
  std::uint64_t bits = 0;
};

// Chooses the length symbols (plain or delta values, run codes 16/17/18) by dynamic
// programming over symbol prices, twice, so the prices come from the plan's own statistics.
TablePlan planTable(std::span<const std::uint8_t> lengths, std::span<const std::uint8_t> previous, bool keep) {
  const size_t n = lengths.size();
  std::array<double, kLenCodeSymbols> price{};
  for (int s = 0; s < kLenCodeSymbols; ++s) price[static_cast<size_t>(s)] = s == 0 ? 2.0 : 5.0;
  TablePlan plan;
  plan.keep = keep;
  std::vector<double> best(n + 1);
  std::vector<std::uint16_t> step(n + 1);  // symbols covered
  std::vector<std::uint8_t> choice(n + 1);
  std::vector<size_t> zeroRun(n + 1, 0);
  for (size_t i = n; i-- > 0;) zeroRun[i] = lengths[i] == 0 ? zeroRun[i + 1] + 1 : 0;

  for (int pass = 0; pass < 3; ++pass) {
    best[n] = 0;
    for (size_t i = n; i-- > 0;) {
      const std::uint8_t prev = keep ? previous[i] : 0;
      const std::uint8_t single = static_cast<std::uint8_t>((lengths[i] - prev) & 15);
      best[i] = price[single] + best[i + 1];
      step[i] = 1;
      choice[i] = single;
      if (zeroRun[i] >= 3) {
        const size_t maxShort = std::min<size_t>(zeroRun[i], 10);
        for (size_t k = 3; k <= maxShort; ++k) {
          const double c = price[17] + 3 + best[i + k];
          if (c < best[i]) best[i] = c, step[i] = static_cast<std::uint16_t>(k), choice[i] = 17;
        }
        const size_t maxLong = std::min<size_t>(zeroRun[i], 138);
        for (size_t k = 11; k <= maxLong; ++k) {
          const double c = price[18] + 7 + best[i + k];
          if (c < best[i]) best[i] = c, step[i] = static_cast<std::uint16_t>(k), choice[i] = 18;
        }
      }
      // 16 repeats the length just before; not used first, where that is undefined ground.
      if (i > 0) {
        size_t same = 0;
        while (same < 6 && i + same < n && lengths[i + same] == lengths[i - 1]) ++same;
        for (size_t k = 3; k <= same; ++k) {
          const double c = price[16] + 2 + best[i + k];
          if (c < best[i]) best[i] = c, step[i] = static_cast<std::uint16_t>(k), choice[i] = 16;
        }
      }
    }
    plan.symbols.clear();
    std::array<std::uint32_t, kLenCodeSymbols> freq{};
    for (size_t i = 0; i < n; i += step[i]) {
      const std::uint8_t s = choice[i];
      std::uint8_t extra = 0;
      if (s == 16 || s == 17) extra = static_cast<std::uint8_t>(step[i] - 3);
      if (s == 18) extra = static_cast<std::uint8_t>(step[i] - 11);
      plan.symbols.push_back({s, extra});
      ++freq[s];
    }
    const auto codeLengths = buildCodeLengths(freq, kMaxCodeLength);
    std::copy(codeLengths.begin(), codeLengths.end(), plan.codeLengths.begin());
    plan.bits = 2 + 4 * kLenCodeSymbols;
    for (size_t s = 0; s < kLenCodeSymbols; ++s) {
      plan.bits += std::uint64_t{freq[s]} * codeLengths[s];
      price[s] = codeLengths[s] ? codeLengths[s] : 17.0;
    }
    plan.bits += freq[16] * 2ull + freq[17] * 3ull + freq[18] * 7ull;
  }
  return plan;
}

// The table set as the reader takes it: audio and keep bits, the channel count in audio
// mode, the 19 length-code lengths, then the planned length symbols with their extra bits.
void writePlan(BitWriter& out, int channels, const TablePlan& plan) {
  out.put(channels > 0 ? 1 : 0, 1);
  out.put(plan.keep ? 1 : 0, 1);
  if (channels > 0) out.put(static_cast<std::uint32_t>(channels - 1), 2);
  for (auto l : plan.codeLengths) out.put(l, 4);
  const auto lenCodes = canonicalCodes(plan.codeLengths);
  for (const auto& s : plan.symbols) {
    out.put(lenCodes[s.symbol], plan.codeLengths[s.symbol]);
    if (s.symbol == 16) out.put(s.extra, 2);
    if (s.symbol == 17) out.put(s.extra, 3);
    if (s.symbol == 18) out.put(s.extra, 7);
  }
}

// ---- the reader's state as far as the writer needs it ----

struct Mirror {
  std::array<std::uint32_t, 4> ring{};
  std::uint32_t ringPos = 0;
  std::uint32_t lastDist = 0;
  std::uint32_t lastLen = 0;
  AudioState audio;
};

struct Prices {
  std::array<float, kMainSymbols> main{};
  std::array<float, kDistSymbols> dist{};
  std::array<float, kRepLenSymbols> rep{};

  Prices() {
    for (int s = 0; s < 256; ++s) main[static_cast<size_t>(s)] = 8.5f;
    main[kSymRepeatLast] = 8;
    for (int i = 0; i < 4; ++i) main[static_cast<size_t>(kSymRecentFirst + i)] = 7.0f + static_cast<float>(i);
    for (int i = 0; i < 8; ++i) main[static_cast<size_t>(kSymShortFirst + i)] = 9;
    main[kSymNewTables] = 14;
    for (int i = 0; i < 28; ++i) main[static_cast<size_t>(kSymNewMatchFirst + i)] = 7.0f + static_cast<float>(i) / 4.0f;
    for (int i = 0; i < kDistSymbols; ++i) dist[static_cast<size_t>(i)] = 5.0f + std::abs(static_cast<float>(i) - 24.0f) / 8.0f;
    for (int i = 0; i < kRepLenSymbols; ++i) rep[static_cast<size_t>(i)] = 3.0f + static_cast<float>(i) / 4.0f;
  }

  void learn(const Block& block) {
    const auto lengths = tableLengths(0, block.counts);
    auto priceOf = [&](size_t index) { return lengths[index] ? static_cast<float>(lengths[index]) : 13.0f; };
    for (size_t s = 0; s < kMainSymbols; ++s) main[s] = priceOf(s);
    for (size_t s = 0; s < kDistSymbols; ++s) dist[s] = priceOf(kMainSymbols + s);
    for (size_t s = 0; s < kRepLenSymbols; ++s) rep[s] = priceOf(kMainSymbols + kDistSymbols + s);
  }
};

enum class Kind : std::uint8_t { None, Literal, New, Recent, Last, Short };

struct Candidate {
  Kind kind = Kind::None;
  std::uint32_t length = 0;
  std::uint32_t distance = 0;
  int recentIndex = 0;
};

struct EntryMark {
  size_t block;
  size_t token;
};

}  // namespace

struct Compressor::Impl {
  std::vector<std::uint8_t> history;
  MatchFinder finder;
  Mirror mirror;
  Prices prices;
  bool pricesLearned = false;
  std::vector<Block> blocks;
  std::vector<EntryMark> entries;

  std::uint32_t matchLength(std::uint32_t a, std::uint32_t b, std::uint32_t limit) const {
    const std::uint8_t* pa = history.data() + a;
    const std::uint8_t* pb = history.data() + b;
    std::uint32_t n = 0;
    while (n + 8 <= limit) {
      std::uint64_t x, y;
      std::memcpy(&x, pa + n, 8);
      std::memcpy(&y, pb + n, 8);
      if (x != y) return n + static_cast<std::uint32_t>(__builtin_ctzll(x ^ y) / 8);
      n += 8;
    }
    while (n < limit && pa[n] == pb[n]) ++n;
    return n;
  }

  float newCost(std::uint32_t length, std::uint32_t distance) const {
    const int slot = lengthSlot(length - 3 - static_cast<std::uint32_t>(newMatchBonus(distance)));
    const int dslot = distanceSlot(distance - 1);
    return prices.main[static_cast<size_t>(kSymNewMatchFirst + slot)] + kLengthBits[static_cast<size_t>(slot)] +
           prices.dist[static_cast<size_t>(dslot)] + kDistBits[static_cast<size_t>(dslot)];
  }
  float recentCost(int index, std::uint32_t length, std::uint32_t distance) const {
    const int slot = lengthSlot(length - 2 - static_cast<std::uint32_t>(recentMatchBonus(distance)));
    return prices.main[static_cast<size_t>(kSymRecentFirst + index)] + prices.rep[static_cast<size_t>(slot)] +
           kLengthBits[static_cast<size_t>(slot)];
  }
  float shortCost(std::uint32_t distance) const {
    const int slot = shortSlot(distance - 1);
    return prices.main[static_cast<size_t>(kSymShortFirst + slot)] + kShortBits[static_cast<size_t>(slot)];
  }

  void record(std::uint32_t length, std::uint32_t distance) {
    mirror.lastDist = distance;
    mirror.ring[mirror.ringPos & 3] = distance;
    mirror.ringPos += 1;
    mirror.lastLen = length;
  }

  void emit(Block& block, const Candidate& c, std::uint32_t pos) {
    LzToken t;
    switch (c.kind) {
      case Kind::None:
      case Kind::Literal:
        t.symbol = history[pos];
        break;
      case Kind::Last:
        t.symbol = kSymRepeatLast;
        break;
      case Kind::Recent: {
        const int bonus = recentMatchBonus(c.distance);
        const std::uint32_t coded = c.length - 2 - static_cast<std::uint32_t>(bonus);
        const int slot = lengthSlot(coded);
        t.symbol = static_cast<std::uint16_t>(kSymRecentFirst + c.recentIndex);
        t.second = static_cast<std::uint8_t>(slot);
        t.bits2 = kLengthBits[static_cast<size_t>(slot)];
        t.extra2 = coded - kLengthBase[static_cast<size_t>(slot)];
        t.bonus = static_cast<std::uint8_t>(bonus);
        block.counts[static_cast<size_t>(kMainSymbols + kDistSymbols + slot)] += 1;
        break;
      }
      case Kind::Short: {
        const int slot = shortSlot(c.distance - 1);
        t.symbol = static_cast<std::uint16_t>(kSymShortFirst + slot);
        t.bits1 = kShortBits[static_cast<size_t>(slot)];
        t.extra1 = static_cast<std::uint16_t>(c.distance - 1 - kShortBase[static_cast<size_t>(slot)]);
        break;
      }
      case Kind::New: {
        const int bonus = newMatchBonus(c.distance);
        const std::uint32_t coded = c.length - 3 - static_cast<std::uint32_t>(bonus);
        const int slot = lengthSlot(coded);
        const int dslot = distanceSlot(c.distance - 1);
        t.symbol = static_cast<std::uint16_t>(kSymNewMatchFirst + slot);
        t.bits1 = kLengthBits[static_cast<size_t>(slot)];
        t.extra1 = static_cast<std::uint16_t>(coded - kLengthBase[static_cast<size_t>(slot)]);
        t.second = static_cast<std::uint8_t>(dslot);
        t.bits2 = kDistBits[static_cast<size_t>(dslot)];
        t.extra2 = c.distance - 1 - kDistBase[static_cast<size_t>(dslot)];
        t.bonus = static_cast<std::uint8_t>(bonus);
        block.counts[static_cast<size_t>(kMainSymbols + dslot)] += 1;
        break;
      }
    }
    block.counts[t.symbol] += 1;
    block.extraBits += t.bits1 + t.bits2;
    block.tokens.push_back(t);
    if (c.kind != Kind::None && c.kind != Kind::Literal) record(c.length, c.distance);
  }

  // The reader's match memory along one parse path.
  struct PathState {
    std::array<std::uint32_t, 4> ring{};
    std::uint32_t ringPos = 0;
    std::uint32_t lastDist = 0;
    std::uint32_t lastLen = 0;
    std::uint32_t recent(int index) const { return ring[(ringPos - 1 - static_cast<std::uint32_t>(index)) & 3]; }
    void record(std::uint32_t length, std::uint32_t distance) {
      lastDist = distance;
      ring[ringPos & 3] = distance;
      ringPos += 1;
      lastLen = length;
    }
  };

  struct Node {
    float cost;
    std::uint32_t from;
    Candidate step;
    PathState state;
  };
  std::vector<Node> nodes;  // parse work space

  // LZ parse from `pos` up to at least `limit` (matches may run past it, never past `end`).
  // Cheapest path by the current prices through windows of positions: every position offers
  // a literal and its matches (recent distances with the path's own memory, the last match
  // again, short ones, and each longer one the chains find), at every usable length.
  std::uint32_t parseLz(std::uint32_t pos, std::uint32_t end, std::uint32_t limit, Block& block) {
    constexpr float kUnreached = 1e30f;
    nodes.resize(kParseWindow + kMaxMatch + 1);
    std::vector<Candidate> path;
    while (pos < limit) {
      const std::uint32_t window = std::min(kParseWindow, limit - pos);
      for (std::uint32_t j = 0; j <= window + kMaxMatch; ++j) nodes[j].cost = kUnreached;
      nodes[0].cost = 0;
      nodes[0].state = {mirror.ring, mirror.ringPos, mirror.lastDist, mirror.lastLen};
      std::uint32_t stop = window;
      std::uint32_t coveredUntil = 0;
      Candidate longMatch;
      for (std::uint32_t i = 0; i < window; ++i) {
        const std::uint32_t at = pos + i;
        finder.insertUpTo(history, at);
        const Node& node = nodes[i];
        auto relax = [&](std::uint32_t length, float cost, const Candidate& step) {
          Node& target = nodes[i + length];
          const float total = node.cost + cost;
          if (total < target.cost) {
            target.cost = total;
            target.from = i;
            target.step = step;
            target.state = node.state;
            if (step.kind != Kind::Literal) target.state.record(step.length, step.distance);
          }
        };
        relax(1, prices.main[history[at]], Candidate{Kind::Literal, 1, 0, 0});
        // Inside a match found further back a long search rarely changes the best path.
        const int depth = i + 4 < coveredUntil ? kMaxChain / 4 : kMaxChain;
        std::uint32_t longest = 0;
        if (gatherMatches(at, end, node.state, depth, relax, longMatch, longest)) {
          stop = i;
          break;
        }
        coveredUntil = std::max(coveredUntil, i + longest);
      }
      path.clear();
      for (std::uint32_t j = stop; j > 0; j = nodes[j].from) path.push_back(nodes[j].step);
      for (auto it = path.rbegin(); it != path.rend(); ++it) {
        emit(block, *it, pos);
        pos += it->length;
      }
      if (longMatch.kind != Kind::None) {
        emit(block, longMatch, pos);
        pos += longMatch.length;
      }
      finder.insertUpTo(history, pos);
    }
    return pos;
  }

  // Offers every match at `at` to `relax`. A match of at least kNiceLength is not worth
  // weighing: it comes back in `longMatch` (true returned) to be taken as it is.
  template <class Relax>
  bool gatherMatches(std::uint32_t at, std::uint32_t end, const PathState& state, int depth, Relax& relax,
                     Candidate& longMatch, std::uint32_t& longestLength) {
    const std::uint32_t maxLen = std::min(kMaxMatch, end - at);
    if (maxLen < 2) return false;
    Candidate longest;
    float longestCost = 0;
    auto offer = [&](Kind kind, std::uint32_t length, std::uint32_t distance, int index, float cost) {
      const Candidate c{kind, length, distance, index};
      if (length > longest.length || (length == longest.length && cost < longestCost)) longest = c, longestCost = cost;
      relax(length, cost, c);
    };
    // Lengths up to here are all tried; longer matches only at their full length.
    constexpr std::uint32_t kEveryLength = 16;

    for (int i = 0; i < 4; ++i) {
      const std::uint32_t d = state.recent(i);
      if (d == 0 || d > at) continue;
      bool seen = false;
      for (int j = 0; j < i; ++j) seen |= state.recent(j) == d;
      if (seen) continue;
      const std::uint32_t len = matchLength(at, at - d, maxLen);
      if (i == 0 && d == state.lastDist && state.lastLen >= 2 && len >= state.lastLen)
        offer(Kind::Last, state.lastLen, d, 0, prices.main[kSymRepeatLast]);
      const std::uint32_t minLen = 2 + static_cast<std::uint32_t>(recentMatchBonus(d));
      for (std::uint32_t l = minLen; l <= len; ++l) {
        if (l > kEveryLength && l < len) l = len;
        offer(Kind::Recent, l, d, i, recentCost(i, l, d));
      }
    }

    const std::int32_t pair = finder.lastPair(history, at);
    if (pair >= 0 && static_cast<std::uint32_t>(pair) < at && at - static_cast<std::uint32_t>(pair) <= 256 &&
        history[static_cast<std::uint32_t>(pair)] == history[at] &&
        history[static_cast<std::uint32_t>(pair) + 1] == history[at + 1])
      offer(Kind::Short, 2, at - static_cast<std::uint32_t>(pair), 0, shortCost(at - static_cast<std::uint32_t>(pair)));

    std::uint32_t covered = 2;  // new-match lengths offered so far, from the nearest source
    auto offerNew = [&](std::uint32_t source, std::uint32_t len) {
      const std::uint32_t d = at - source;
      const std::uint32_t minLen = std::max(covered + 1, 3 + static_cast<std::uint32_t>(newMatchBonus(d)));
      for (std::uint32_t l = minLen; l <= len; ++l) {
        if (l > kEveryLength && l < len) l = len;
        offer(Kind::New, l, d, 0, newCost(l, d));
      }
      covered = std::max(covered, len);
    };
    if (maxLen >= 3 && longest.length < kNiceLength) {
      const std::int32_t triple = finder.lastTriple(history, at);
      if (triple >= 0 && static_cast<std::uint32_t>(triple) < at && at - static_cast<std::uint32_t>(triple) <= kMaxDistance) {
        const std::uint32_t len = matchLength(at, static_cast<std::uint32_t>(triple), maxLen);
        if (len >= 3) offerNew(static_cast<std::uint32_t>(triple), len);
      }
    }
    if (maxLen >= 4 && longest.length < kNiceLength) {
      std::uint32_t bestLen = 3;
      int budget = longest.length >= kGoodLength ? depth / 4 : depth;
      std::int32_t candidate = finder.chainHead(history, at);
      for (int step = 0; candidate >= 0 && step < budget; ++step) {
        const auto c = static_cast<std::uint32_t>(candidate);
        candidate = finder.chainNext(candidate);
        if (c >= at) continue;
        if (at - c > kMaxDistance) break;
        if (history[c + bestLen] != history[at + bestLen]) continue;
        const std::uint32_t len = matchLength(at, c, maxLen);
        if (len <= bestLen) continue;
        bestLen = len;
        offerNew(c, len);
        if (len >= kNiceLength || len == maxLen) break;
        if (len >= kGoodLength) budget = std::min(budget, step + depth / 4);
      }
    }
    longestLength = longest.length;
    if (longest.length >= kNiceLength) {
      longMatch = longest;
      return true;
    }
    return false;
  }

  // Order-0 entropy of the byte differences at each channel spacing, the cheap test of
  // whether the audio filter could beat the LZ parse.
  double bestDifferenceBits(std::uint32_t begin, std::uint32_t end) const {
    double best = 1e300;
    for (std::uint32_t spacing = 1; spacing <= 4; ++spacing) {
      std::array<std::uint32_t, 256> hist{};
      std::uint32_t n = 0;
      for (std::uint32_t i = begin + spacing; i < end; ++i, ++n) ++hist[static_cast<std::uint8_t>(history[i] - history[i - spacing])];
      double bits = 0;
      for (auto h : hist)
        if (h) bits -= h * std::log2(static_cast<double>(h) / n);
      best = std::min(best, bits);
    }
    return best;
  }

  Block audioTrial(std::uint32_t begin, std::uint32_t end, int channels, AudioState& state) const {
    Block block(channels);
    if (state.channelIndex >= channels) state.channelIndex = 0;
    block.startChannel = state.channelIndex;
    block.deltas.reserve(end - begin);
    for (std::uint32_t i = begin; i < end; ++i) {
      const std::uint8_t delta = state.encode(state.channelIndex, history[i]);
      block.deltas.push_back(delta);
      block.counts[static_cast<size_t>(state.channelIndex * kAudioSymbols + delta)] += 1;
      if (++state.channelIndex >= channels) state.channelIndex = 0;
    }
    return block;
  }

  static std::uint64_t standaloneBits(const Block& block) {
    const auto lengths = tableLengths(block.channels, block.counts);
    return codedBits(block.counts, lengths) + block.extraBits + estimateTableBits(lengths);
  }

  // Parses one entry into pieces, each either LZ symbols or audio values; returns the
  // estimated packed bits.
  std::uint64_t parseEntry(std::uint32_t begin, std::uint32_t end, std::vector<Block>& pieces) {
    std::uint64_t total = 0;
    std::uint32_t pos = begin;
    while (pos < end) {
      const std::uint32_t start = pos;
      const Mirror before = mirror;
      Block lz(0);
      pos = parseLz(pos, end, std::min(end, start + kSegmentSize), lz);
      if (!pricesLearned) {
        // The first piece was parsed with guessed prices; parse it again with its own.
        prices.learn(lz);
        pricesLearned = true;
        mirror = before;
        finder.rebuild(history, start);
        lz = Block(0);
        pos = parseLz(start, end, std::min(end, start + kSegmentSize), lz);
      }
      std::uint64_t bestBits = standaloneBits(lz);
      Block chosen = std::move(lz);
      if (pos - start >= 256 && bestDifferenceBits(start, pos) < 1.5 * static_cast<double>(bestBits)) {
        AudioState bestState;
        for (int channels = 1; channels <= 4; ++channels) {
          AudioState state = before.audio;
          Block trial = audioTrial(start, pos, channels, state);
          const std::uint64_t bits = standaloneBits(trial);
          if (bits < bestBits) {
            bestBits = bits;
            chosen = std::move(trial);
            bestState = state;
          }
        }
        if (chosen.channels != 0) {
          mirror = before;
          mirror.audio = bestState;
        }
      }
      if (chosen.channels == 0) prices.learn(chosen);
      total += bestBits;
      pieces.push_back(std::move(chosen));
    }
    return total;
  }

  static void append(Block& into, Block&& piece) {
    for (size_t i = 0; i < into.counts.size(); ++i) into.counts[i] += piece.counts[i];
    into.extraBits += piece.extraBits;
    if (into.channels == 0) into.tokens.insert(into.tokens.end(), piece.tokens.begin(), piece.tokens.end());
    else into.deltas.insert(into.deltas.end(), piece.deltas.begin(), piece.deltas.end());
  }

  // Joins a piece to the open block when one table set for both costs less than a switch.
  void placePiece(Block&& piece) {
    if (!blocks.empty() && blocks.back().channels == piece.channels) {
      Block& open = blocks.back();
      std::vector<std::uint32_t> merged(open.counts);
      for (size_t i = 0; i < merged.size(); ++i) merged[i] += piece.counts[i];
      const std::uint64_t together = codedBits(merged, tableLengths(open.channels, merged));
      const auto pieceLengths = tableLengths(piece.channels, piece.counts);
      const std::uint64_t apart =
          symbolBits(open) + codedBits(piece.counts, pieceLengths) + estimateTableBits(pieceLengths) + 8;
      if (together <= apart) {
        append(open, std::move(piece));
        return;
      }
    }
    blocks.push_back(std::move(piece));
  }

  bool addEntry(std::span<const std::uint8_t> data) {
    if (data.empty() || history.size() + data.size() > 0x7FFFFFF0u) return false;
    const auto begin = static_cast<std::uint32_t>(history.size());
    const Mirror savedMirror = mirror;
    const Prices savedPrices = prices;
    const bool savedLearned = pricesLearned;
    history.insert(history.end(), data.begin(), data.end());
    const auto end = static_cast<std::uint32_t>(history.size());
    std::vector<Block> pieces;
    const std::uint64_t bits = parseEntry(begin, end, pieces);
    if (bits / 8 + 16 >= data.size()) {
      history.resize(begin);
      mirror = savedMirror;
      prices = savedPrices;
      pricesLearned = savedLearned;
      finder.rebuild(history, begin);
      return false;
    }
    const size_t blocksBefore = blocks.size();
    const size_t openSize = blocks.empty() ? 0 : blocks.back().size();
    for (auto& piece : pieces) placePiece(std::move(piece));
    if (blocks.size() > blocksBefore && (blocksBefore == 0 || blocks[blocksBefore - 1].size() == openSize))
      entries.push_back({blocksBefore, 0});
    else
      entries.push_back({blocksBefore - 1, openSize});
    return true;
  }
};

Compressor::Compressor() : impl_(std::make_unique<Impl>()) {}
Compressor::~Compressor() = default;

bool Compressor::addEntry(std::span<const std::uint8_t> data) { return impl_->addEntry(data); }

void writeTableSet(BitWriter& out, int channels, std::span<const std::uint8_t> lengths,
                   std::span<const std::uint8_t> previous) {
  const bool keep = !previous.empty() && previous.size() >= lengths.size();
  writePlan(out, channels, planTable(lengths, previous, keep));
}

namespace {

// The packed size must not end where the reader's refill finds nothing new while unread
// bytes remain in its buffer: it then believes its input ended and skips the look at the
// stream's end where a successor's tables wait. Those sizes lie just below each buffer end.
std::size_t safeStreamSize(std::size_t bytes, std::size_t alignment) {
  auto roundUp = [&](std::size_t n) { return (n + alignment - 1) / alignment * alignment; };
  bytes = roundUp(bytes);
  if (bytes >= 8164 && (bytes - 8164) % 8160 <= 28) bytes = roundUp(8193 + (bytes - 8164) / 8160 * 8160);
  return bytes;
}

struct BlockCodes {
  std::vector<std::uint8_t> lengths;
  std::vector<std::uint16_t> codes;  // per table, concatenated like the lengths
};

BlockCodes makeCodes(int channels, std::vector<std::uint8_t> lengths) {
  BlockCodes result;
  result.codes.reserve(lengths.size());
  auto addTable = [&](size_t offset, size_t size) {
    auto part = canonicalCodes(std::span<const std::uint8_t>(lengths).subspan(offset, size));
    result.codes.insert(result.codes.end(), part.begin(), part.end());
  };
  if (channels == 0) {
    addTable(0, kMainSymbols);
    addTable(kMainSymbols, kDistSymbols);
    addTable(kMainSymbols + kDistSymbols, kRepLenSymbols);
  } else {
    for (int c = 0; c < channels; ++c) addTable(static_cast<size_t>(c) * kAudioSymbols, kAudioSymbols);
  }
  result.lengths = std::move(lengths);
  return result;
}

}  // namespace

std::vector<std::vector<std::uint8_t>> Compressor::finish(std::size_t alignment) {
  Impl& im = *impl_;
  auto& blocks = im.blocks;
  const size_t blockCount = blocks.size();
  stats_ = {};

  // Final tables: each block's own statistics, plus a code for the table symbol where a
  // block hands over to the next, and for some value in every audio channel so that the
  // filler symbol at an entry's end always has a harmless code to use.
  std::vector<BlockCodes> codes;
  std::vector<TablePlan> plans;
  std::vector<std::uint8_t> previous;
  for (size_t b = 0; b < blockCount; ++b) {
    Block& block = blocks[b];
    std::vector<std::uint32_t> counts(block.counts);
    if (block.channels == 0) {
      if (b + 1 < blockCount) counts[kSymNewTables] += 1;
      ++stats_.lzBlocks;
    } else {
      if (b + 1 < blockCount) counts[static_cast<size_t>(block.channelAfter(block.size()) * kAudioSymbols + kAudioSymNewTables)] += 1;
      for (int c = 0; c < block.channels; ++c) {
        const auto first = counts.begin() + c * kAudioSymbols;
        if (std::all_of(first, first + 256, [](std::uint32_t n) { return n == 0; })) *first += 1;
      }
      ++stats_.audioBlocks[static_cast<size_t>(block.channels - 1)];
      stats_.audioBytes += block.deltas.size();
    }
    auto lengths = tableLengths(block.channels, counts);
    TablePlan plan = planTable(lengths, {}, false);
    // Lengths coded as changes of the previous set only where every previous length is
    // known: the reader's memory of lengths past the previous set's end is not to be trusted.
    if (b > 0 && previous.size() >= lengths.size()) {
      TablePlan kept = planTable(lengths, previous, true);
      if (kept.bits < plan.bits) plan = std::move(kept);
    }
    previous = lengths;
    plans.push_back(std::move(plan));
    codes.push_back(makeCodes(block.channels, std::move(lengths)));
  }

  auto writeTables = [&](BitWriter& out, size_t b) {
    const TablePlan& plan = plans[b];
    writePlan(out, blocks[b].channels, plan);
    size_t index = 0;
    const std::vector<std::uint8_t>* prev = b > 0 ? &codes[b - 1].lengths : nullptr;
    for (const auto& s : plan.symbols) {
      if (s.symbol < 16) {
        if (plan.keep && prev && (*prev)[index] != 0 && s.symbol != 0) ++stats_.lengthDeltas;
        ++index;
      } else {
        index += s.extra + (s.symbol == 18 ? 11u : 3u);
        ++stats_.runCodes[static_cast<size_t>(s.symbol - 16)];
      }
    }
    ++stats_.tableSets;
    if (plan.keep) ++stats_.keptLengths;
  };
  // Table symbol of block b when `tokenCount` of its tokens have been sent.
  auto writeSwitch = [&](BitWriter& out, size_t b, size_t tokenCount) {
    const Block& block = blocks[b];
    const BlockCodes& c = codes[b];
    const size_t index = block.channels == 0
                             ? static_cast<size_t>(kSymNewTables)
                             : static_cast<size_t>(block.channelAfter(tokenCount) * kAudioSymbols + kAudioSymNewTables);
    out.put(c.codes[index], c.lengths[index]);
    ++stats_.tableSwitches;
  };
  // A symbol that changes nothing if the reader decodes it from the stream's tail.
  auto writeFiller = [&](BitWriter& out, size_t b, size_t tokenCount) {
    const Block& block = blocks[b];
    const BlockCodes& c = codes[b];
    const size_t first = block.channels == 0 ? 0 : static_cast<size_t>(block.channelAfter(tokenCount) * kAudioSymbols);
    const size_t last = block.channels == 0 ? kSymNewTables : first + 256;  // table symbol excluded
    size_t pick = first;
    for (size_t s = first; s < last; ++s)
      if (c.lengths[s] && (c.lengths[pick] == 0 || c.lengths[s] < c.lengths[pick])) pick = s;
    out.put(c.codes[pick], c.lengths[pick]);
  };
  auto writeTokens = [&](BitWriter& out, size_t b, size_t from, size_t to) {
    const Block& block = blocks[b];
    const BlockCodes& c = codes[b];
    if (block.channels > 0) {
      for (size_t i = from; i < to; ++i) {
        const size_t index = static_cast<size_t>(block.channelAfter(i) * kAudioSymbols + block.deltas[i]);
        out.put(c.codes[index], c.lengths[index]);
      }
      return;
    }
    for (size_t i = from; i < to; ++i) {
      const LzToken& t = block.tokens[i];
      out.put(c.codes[t.symbol], c.lengths[t.symbol]);
      if (t.symbol < 256) {
        ++stats_.literals;
      } else if (t.symbol == kSymRepeatLast) {
        ++stats_.repeatLast;
      } else if (t.symbol < kSymShortFirst) {
        const size_t index = kMainSymbols + kDistSymbols + t.second;
        out.put(c.codes[index], c.lengths[index]);
        out.put(t.extra2, t.bits2);
        ++stats_.recent[static_cast<size_t>(t.symbol - kSymRecentFirst)];
        ++stats_.recentBonus[t.bonus];
      } else if (t.symbol < kSymNewTables) {
        out.put(t.extra1, t.bits1);
        ++stats_.shortMatches;
      } else {
        out.put(t.extra1, t.bits1);
        const size_t index = kMainSymbols + t.second;
        out.put(c.codes[index], c.lengths[index]);
        out.put(t.extra2, t.bits2);
        ++stats_.newMatches;
        ++stats_.newBonus[t.bonus];
        const int slot = t.symbol - kSymNewMatchFirst;
        const std::uint32_t length = kLengthBase[static_cast<size_t>(slot)] + t.extra1 + 3u + t.bonus;
        const std::uint32_t distance = kDistBase[t.second] + t.extra2 + 1;
        if (length == 5 && distance == 1) ++stats_.distanceOneLength5;
      }
    }
  };

  std::vector<std::vector<std::uint8_t>> streams;
  for (size_t e = 0; e < im.entries.size(); ++e) {
    const EntryMark from = im.entries[e];
    const EntryMark to = e + 1 < im.entries.size() ? im.entries[e + 1] : EntryMark{blockCount, 0};
    BitWriter out;
    if (e == 0) writeTables(out, 0);
    size_t lastBlock = from.block, lastCount = from.token;
    for (size_t b = from.block; b < blockCount && b <= to.block; ++b) {
      const size_t first = b == from.block ? from.token : 0;
      const size_t last = b == to.block ? to.token : blocks[b].size();
      if (b != from.block) {
        if (last == 0) break;  // the entry ends where this block begins
        writeSwitch(out, lastBlock, lastCount);
        writeTables(out, b);
      }
      writeTokens(out, b, first, last);
      lastBlock = b;
      lastCount = last;
    }
    const bool successorTables = e + 1 < im.entries.size() && to.token == 0;
    if (successorTables) {
      writeSwitch(out, lastBlock, lastCount);
      writeTables(out, to.block);
      ++stats_.successorTables;
    } else if (safeStreamSize((out.bitCount() + 7) / 8, alignment) - out.bitCount() / 8 >= 5) {
      // The reader decodes one symbol from a tail of five bytes or more; give it one.
      writeFiller(out, lastBlock, lastCount);
    }
    auto bytes = out.finish();
    bytes.resize(safeStreamSize(bytes.size(), alignment), 0);
    streams.push_back(std::move(bytes));
  }
  return streams;
}

}  // namespace pack
