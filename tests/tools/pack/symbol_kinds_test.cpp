// Crafted contents that leave the writer one sensible choice, so that each symbol kind, each
// length bonus and each way of sending tables is used and then read back by the reader.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "pack/archive_writer.h"
#include "pack/sample_data.h"
#include "pack_test_helpers.h"
#include "support/temp_folder.h"

namespace {

using pack_testing::Bytes;
using pack_testing::Crafted;
using pack_testing::extract;
using pack_testing::writeOrFail;
using testing_support::TempFolder;

// Packs one entry, checks that the reader gives it back, and returns the writer's statistics.
pack::CompressionStats packAndCheck(const Bytes& data, const char* password = nullptr) {
  TempFolder folder;
  pack::ArchiveWriter writer({.password = password ? password : "", .solid = false, .store = false});
  EXPECT_TRUE(writer.addEntry("entry.bin", data));
  writeOrFail(writer, folder.file("a.dat"));
  EXPECT_EQ(writer.entries().at(0).method, archive::kMethodCompressed);
  const auto back = extract(folder.file("a.dat"), "entry.bin", password);
  EXPECT_TRUE(back && *back == data) << "reader disagrees with the writer";
  return writer.stats();
}

TEST(SymbolKinds, RepeatOfTheLastMatch) {
  // The same 12 bytes at distance 100 again and again, each time broken by one random byte.
  Crafted c(1);
  c.random(200);
  for (int i = 0; i < 60; ++i) c.copy(100, 12).random(1);
  const auto stats = packAndCheck(c.bytes());
  EXPECT_GT(stats.repeatLast, 20u);
}

TEST(SymbolKinds, EachOfTheFourRecentDistances) {
  // Copies cycling over 1, 2, 3 and then 4 distances: a copy from the distance used k copies
  // ago is recent-distance symbol k. Lengths vary so that repeating the last match never fits.
  Crafted c(2);
  c.random(4000);
  const std::uint32_t distances[4] = {1000, 1500, 2100, 2800};
  for (int cycle = 1; cycle <= 4; ++cycle)
    for (int i = 0; i < 40; ++i) c.copy(distances[i % cycle], 6 + static_cast<size_t>(i % 7)).random(1);
  c.zeros(3000);  // so that the whole entry is worth compressing
  const auto stats = packAndCheck(c.bytes());
  for (size_t k = 0; k < 4; ++k) EXPECT_GT(stats.recent[k], 5u) << "recent distance " << k;
}

TEST(SymbolKinds, ShortMatchesOfLengthTwo) {
  Crafted c(3);
  c.random(300);
  const std::uint32_t distances[] = {3, 7, 12, 25, 50, 100, 150, 250};
  for (int i = 0; i < 400; ++i) c.copy(distances[i % 8], 2).random(9);
  c.zeros(4000);
  const auto stats = packAndCheck(c.bytes());
  EXPECT_GT(stats.shortMatches, 100u);
}

TEST(SymbolKinds, LengthBonusesAtFarDistances) {
  // Zeros give only near matches; far ones come from copies of random islands at distances
  // 200, 300, 9000 and 300000: first as a new match, then once more from the same distance as
  // a recent-distance match (shorter, so not a repeat of the last match).
  Crafted c(4);
  c.zeros(320000).random(400);
  for (std::uint32_t distance : {200u, 300u, 9000u, 300000u}) {
    if (distance > 400) c.scramble(distance, 40);
    c.copy(distance, 20).random(1).copy(distance, 15).random(1);
  }
  // The edge case of the format: a length-5 match at distance 1.
  c.byte(0x5A).copy(1, 5).byte(0x33).random(64);
  c.zeros(2000);
  const auto stats = packAndCheck(c.bytes());
  EXPECT_GE(stats.newBonus[1], 1u);  // 9000
  EXPECT_GE(stats.newBonus[2], 1u);  // 300000
  EXPECT_GE(stats.recentBonus[1], 1u);  // 300
  EXPECT_GE(stats.recentBonus[2], 1u);  // 9000
  EXPECT_GE(stats.recentBonus[3], 1u);  // 300000
  EXPECT_GE(stats.distanceOneLength5, 1u);
}

TEST(SymbolKinds, FarthestDistanceOfTheWindow) {
  // A random island copied from 2^20 - 1 bytes back, the farthest the window reaches, and
  // another from 2^20 back, which must not be matched at all.
  Crafted c(5);
  c.zeros((1u << 20) + 300);
  c.scramble((1u << 20) - 1, 40).copy((1u << 20) - 1, 30).random(1);
  c.scramble(1u << 20, 40).copy(1u << 20, 30).zeros(100);
  const auto stats = packAndCheck(c.bytes());
  EXPECT_GE(stats.newBonus[2], 1u);
}

TEST(SymbolKinds, TableSetsChangeWithTheStatistics) {
  // Text, then binary, then text again: three table sets in one entry. The second text is
  // coded against the binary lengths or plainly, whichever is smaller; run codes appear for
  // the unused stretches either way.
  const Bytes data = pack_testing::concat(
      {pack::sampleText(120000, 21), pack::sampleBinary(120000, 22), pack::sampleText(120000, 23)});
  const auto stats = packAndCheck(data);
  EXPECT_GE(stats.lzBlocks, 3u);
  EXPECT_GE(stats.tableSwitches, 2u);
  EXPECT_EQ(stats.tableSets, stats.tableSwitches + 1);
  EXPECT_GT(stats.runCodes[0], 0u);
  EXPECT_GT(stats.runCodes[1] + stats.runCodes[2], 0u);
  EXPECT_GT(stats.literals, 0u);
  EXPECT_GT(stats.newMatches, 0u);
}

TEST(SymbolKinds, KeptLengthsWhenTheNextTableIsClose) {
  // Two texts of one vocabulary but different sentence styles: the second table is close to
  // the first, so sending changes is cheaper than sending lengths.
  Bytes upper = pack::sampleText(100000, 31);
  for (auto& b : upper)
    if (b >= 'a' && b <= 'f') b = static_cast<std::uint8_t>(b - 'a' + 'A');
  const Bytes data = pack_testing::concat({pack::sampleText(100000, 31), upper});
  const auto stats = packAndCheck(data);
  EXPECT_GE(stats.tableSwitches, 1u);
  EXPECT_GE(stats.keptLengths, 1u);
  EXPECT_GT(stats.lengthDeltas, 0u);
}

TEST(SymbolKinds, AudioModeForOneToFourChannels) {
  for (int channels = 1; channels <= 4; ++channels) {
    SCOPED_TRACE(channels);
    const Bytes data = pack::sampleAudio(80000, channels, static_cast<std::uint32_t>(40 + channels));
    const auto stats = packAndCheck(data);
    EXPECT_EQ(stats.audioBytes, data.size());
    for (int k = 1; k <= 4; ++k)
      EXPECT_EQ(stats.audioBlocks[static_cast<size_t>(k - 1)] > 0, k == channels) << k << " channels";
  }
}

TEST(SymbolKinds, AudioFilterWeightsReachTheirLimits) {
  // The first channel is a random walk; the second moves 2.2 times as far, in step or
  // against it. Only the cross-channel weight can predict it, and it wants 17.6 or -17.6:
  // it runs into the upper limit (16) or the lower one (-17), where the reader's weights
  // must stop exactly where the writer's do.
  for (int sign : {1, -1}) {
    SCOPED_TRACE(sign);
    Bytes data;
    std::mt19937 rng(12345);
    int walk = 0;
    for (int i = 0; i < 30000; ++i) {
      walk += static_cast<int>(rng() % 9) - 4;
      if (walk > 40) walk = 80 - walk;
      if (walk < -40) walk = -80 - walk;
      data.push_back(static_cast<std::uint8_t>(128 + walk));
      data.push_back(static_cast<std::uint8_t>(128 + std::lround(sign * 2.2 * walk)));
    }
    const auto stats = packAndCheck(data);
    // The weights hit their limits within the first few thousand bytes.
    EXPECT_GE(stats.audioBytes, 30000u);
    EXPECT_GT(stats.audioBlocks[1], 0u);
  }
}

TEST(SymbolKinds, AudioAndLzBlocksSwitchMidEntry) {
  const Bytes data = pack_testing::concat({pack::sampleText(70000, 51), pack::sampleAudio(70000, 2, 52),
                                           pack::sampleText(70000, 53), pack::sampleAudio(70000, 3, 54),
                                           pack::sampleAudio(70000, 2, 55)});
  const auto stats = packAndCheck(data, "audio");
  EXPECT_GE(stats.lzBlocks, 2u);
  EXPECT_GE(stats.audioBlocks[1], 2u);
  EXPECT_GE(stats.audioBlocks[2], 1u);
  EXPECT_GE(stats.tableSwitches, 4u);
}

}  // namespace
