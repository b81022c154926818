#include "pack/huffman_code.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

double kraftSum(const std::vector<std::uint8_t>& lengths) {
  double sum = 0;
  for (auto l : lengths)
    if (l) sum += 1.0 / static_cast<double>(1u << l);
  return sum;
}

TEST(HuffmanCode, LengthsAreOptimalWhenNothingIsTooDeep) {
  const std::vector<std::uint32_t> freq = {4, 0, 1, 1, 2, 0};
  const auto lengths = pack::buildCodeLengths(freq, 15);
  EXPECT_EQ(lengths, (std::vector<std::uint8_t>{1, 0, 3, 3, 2, 0}));
  EXPECT_EQ(pack::codedBits(freq, lengths), 4u * 1 + 3 + 3 + 2 * 2);
}

TEST(HuffmanCode, SkewedFrequenciesStayWithinTheLimitAndComplete) {
  // Fibonacci weights make plain Huffman codes as deep as there are symbols.
  std::vector<std::uint32_t> freq(40);
  std::uint32_t a = 1, b = 1;
  for (auto& f : freq) {
    f = a;
    const std::uint32_t next = std::min<std::uint64_t>(std::uint64_t{a} + b, 0x7FFFFFFF);
    a = b;
    b = next;
  }
  const auto lengths = pack::buildCodeLengths(freq, 15);
  EXPECT_LE(*std::max_element(lengths.begin(), lengths.end()), 15);
  EXPECT_TRUE(std::none_of(lengths.begin(), lengths.end(), [](auto l) { return l == 0; }));
  EXPECT_DOUBLE_EQ(kraftSum(lengths), 1.0);
  // More frequent symbols never get longer codes.
  for (size_t i = 1; i < lengths.size(); ++i) EXPECT_LE(lengths[i], lengths[i - 1]) << i;
}

TEST(HuffmanCode, DegenerateTables) {
  EXPECT_EQ(pack::buildCodeLengths(std::vector<std::uint32_t>{0, 0, 0}, 15), (std::vector<std::uint8_t>{0, 0, 0}));
  EXPECT_EQ(pack::buildCodeLengths(std::vector<std::uint32_t>{0, 9, 0}, 15), (std::vector<std::uint8_t>{0, 1, 0}));
}

TEST(HuffmanCode, CanonicalCodesArePrefixFreeAndOrderedBySymbol) {
  const std::vector<std::uint8_t> lengths = {3, 3, 0, 2, 4, 4, 2, 3};
  const auto codes = pack::canonicalCodes(lengths);
  EXPECT_EQ(codes[3], 0b00);
  EXPECT_EQ(codes[6], 0b01);
  EXPECT_EQ(codes[0], 0b100);
  EXPECT_EQ(codes[1], 0b101);
  EXPECT_EQ(codes[7], 0b110);
  EXPECT_EQ(codes[4], 0b1110);
  EXPECT_EQ(codes[5], 0b1111);
  for (size_t i = 0; i < lengths.size(); ++i)
    for (size_t j = 0; j < lengths.size(); ++j) {
      if (i == j || !lengths[i] || !lengths[j] || lengths[i] > lengths[j]) continue;
      EXPECT_NE(codes[j] >> (lengths[j] - lengths[i]), codes[i]) << i << " is a prefix of " << j;
    }
}

}  // namespace
