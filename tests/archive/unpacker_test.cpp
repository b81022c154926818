// Compressed entries from hand-assembled bit streams: each test writes the symbols it means
// and checks the bytes that come out.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "archive/archive_reader.h"
#include "archive/debug_log.h"
#include "archive_damage.h"
#include "pack/compressor.h"
#include "support/temp_folder.h"

namespace {

using archive::kDistSymbols;
using archive::kMainSymbols;
using archive::kRepLenSymbols;
using archive::kSymNewTables;
using archive::kSymRepeatLast;
using archive_testing::Bytes;
using archive_testing::bytesOf;
using archive_testing::CodeBook;
using Lengths = std::vector<std::uint8_t>;  // main, distance and repeat-length codes in a row

// Main symbols of one code length each, so the tests can name them; distance and repeat
// length symbols likewise.
Lengths tablesWith(const std::vector<int>& mainSymbols, const std::vector<int>& distSymbols = {},
                   const std::vector<int>& repLenSymbols = {}, std::uint8_t length = 5) {
  Lengths t(archive::kTableLengths, 0);
  for (int s : mainSymbols) t[std::size_t(s)] = length;
  for (int s : distSymbols) t[std::size_t(kMainSymbols + s)] = length;
  for (int s : repLenSymbols) t[std::size_t(kMainSymbols + kDistSymbols + s)] = length;
  return t;
}

// A packed stream written symbol by symbol, its table sets sent by the archiver's own table
// writer.
struct Stream {
  pack::BitWriter bits;
  Lengths current = Lengths(archive::kTableLengths, 0);
  CodeBook main{std::span(current).first(kMainSymbols)};
  CodeBook dist{std::span(current).subspan(kMainSymbols, kDistSymbols)};
  CodeBook repLen{std::span(current).subspan(kMainSymbols + kDistSymbols)};

  void tables(const Lengths& t, bool asDelta = false) {
    pack::writeTableSet(bits, 0, t, asDelta ? std::span<const std::uint8_t>(current) : std::span<const std::uint8_t>{});
    use(t);
  }
  // The codes in force without sending them (a solid entry continuing the previous one).
  void use(const Lengths& t) {
    current = t;
    main = CodeBook(std::span(current).first(kMainSymbols));
    dist = CodeBook(std::span(current).subspan(kMainSymbols, kDistSymbols));
    repLen = CodeBook(std::span(current).subspan(kMainSymbols + kDistSymbols));
  }
  void literals(const std::string& text) {
    for (unsigned char c : text) main.put(bits, c);
  }
  Bytes bytes() const {
    pack::BitWriter copy = bits;
    return copy.finish();
  }
};

// Entries packed by hand, in order; the archive is solid when asked.
struct Packed {
  std::string name;
  Bytes data;
  Bytes packed;
};
void writeArchive(const std::vector<Packed>& entries, bool solid = false, const std::string& password = {},
                  const std::vector<std::pair<std::string, std::string>>& storedAfterFirst = {}) {
  pack::ArchiveWriter writer({.password = password, .solid = solid, .store = true});
  for (std::size_t i = 0; i < entries.size(); ++i) {
    EXPECT_TRUE(writer.addPackedEntry(entries[i].name, entries[i].packed, entries[i].data)) << writer.error();
    if (i == 0)
      for (const auto& [name, text] : storedAfterFirst) writer.addEntry(name, bytesOf(text));
  }
  const Bytes bytes = archive_testing::build(writer);
  std::FILE* file = std::fopen("test.dat", "wb");
  ASSERT_NE(file, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

class UnpackerTest : public ::testing::Test {
 protected:
  void SetUp() override { archive::resetDebugLog(); }

  std::optional<Bytes> extract(const std::string& entry, const char* password = nullptr) {
    std::uint8_t* data = nullptr;
    std::uint32_t size = 0;
    if (!archive::extractFile(&data, &size, entry.c_str(), "test.dat", password)) return std::nullopt;
    Bytes bytes(data, data + size);
    std::free(data);
    return bytes;
  }
  std::optional<std::string> extractText(const std::string& entry, const char* password = nullptr) {
    const auto bytes = extract(entry, password);
    if (!bytes) return std::nullopt;
    return std::string(bytes->begin(), bytes->end());
  }

  testing_support::TempFolder folder_;
  testing_support::ScopedWorkingDirectory cwd_{folder_.path()};
};

TEST_F(UnpackerTest, LiteralsOnly) {
  Stream s;
  s.tables(tablesWith({'a', 'd', 'e', 'm', 'o', ' '}));
  s.literals("a demo mode");
  writeArchive({{"x", bytesOf("a demo mode"), s.bytes()}});
  EXPECT_EQ(extractText("x"), "a demo mode");
}

TEST_F(UnpackerTest, LengthFiveMatchAtDistanceOneRepeatsTheLastByte) {
  Stream s;
  s.tables(tablesWith({'A', 272}, {0}));
  s.literals("A");
  s.main.put(s.bits, 272);  // length slot 2: 2 + 3 = 5
  s.dist.put(s.bits, 0);    // distance slot 0: distance 1
  writeArchive({{"x", bytesOf("AAAAAA"), s.bytes()}});
  EXPECT_EQ(extractText("x"), "AAAAAA");
}

// A new match and a match on the last distance, both coded with length 3 (2 for the repeat
// form), at distances that earn the length bonuses. Before the first byte the window reads 0.
struct BonusCase {
  std::uint32_t distance;
  int distSlot;
  std::uint32_t extra;
  int extraBits;
  std::size_t newMatchLength;  // 3 plus the bonus
  std::size_t repMatchLength;  // 2 plus the bonus
};

TEST_F(UnpackerTest, LengthBonusesGrowWithDistance) {
  const BonusCase cases[] = {
      {300, 16, 300 - 256 - 1, 7, 3, 3},
      {9000, 26, 9000 - 8192 - 1, 12, 4, 4},
      {300000, 36, 300000 - 262144 - 1, 16, 5, 5},
      {200, 15, 200 - 192 - 1, 6, 3, 2},
  };
  std::vector<Packed> entries;
  for (const BonusCase& c : cases) {
    Stream s;
    s.tables(tablesWith({'B', 'C', 270, 257}, {c.distSlot}, {0}));
    s.literals("B");
    s.main.put(s.bits, 270);  // length slot 0: 3
    s.dist.put(s.bits, c.distSlot);
    s.bits.put(c.extra, c.extraBits);
    s.literals("C");
    s.main.put(s.bits, 257);  // the last distance again
    s.repLen.put(s.bits, 0);  // length slot 0: 2
    s.literals("C");
    const std::string expected = "B" + std::string(c.newMatchLength, '\0') + "C" +
                                 std::string(c.repMatchLength, '\0') + "C";
    entries.push_back({"d" + std::to_string(c.distance), bytesOf(expected), s.bytes()});
  }
  writeArchive(entries);
  for (const BonusCase& c : cases) {
    const std::string expected = "B" + std::string(c.newMatchLength, '\0') + "C" +
                                 std::string(c.repMatchLength, '\0') + "C";
    EXPECT_EQ(extractText("d" + std::to_string(c.distance)), expected) << c.distance;
  }
}

TEST_F(UnpackerTest, RepeatRecentAndShortMatches) {
  Stream s;
  s.tables(tablesWith({'a', 'b', 'c', 'd', 'x', 271, kSymRepeatLast, 257, 258, 259, 260, 261, 264},
                      {2, 3}, {1}));
  s.literals("abcd");
  s.main.put(s.bits, 271);  // length 4 ...
  s.dist.put(s.bits, 3);    // ... at distance 4: "abcd"
  s.main.put(s.bits, kSymRepeatLast);  // again: "abcd"
  s.literals("x");
  s.main.put(s.bits, 261);  // short match, length 2, distance 0 + 1 + 2 bits
  s.bits.put(1, 2);         // distance 2: "dx"
  s.main.put(s.bits, 271);  // length 4 at distance 3: "xdx" then the copied 'x'
  s.dist.put(s.bits, 2);
  // Ring of recent distances now 4, 4, 2, 3 (newest last).
  s.main.put(s.bits, 258);  // second newest: 2, length 1 + 2 = 3
  s.repLen.put(s.bits, 1);
  s.main.put(s.bits, 260);  // the ring moved on: fourth newest is now 4
  s.repLen.put(s.bits, 1);
  s.main.put(s.bits, 264);  // short slot 3: distance 16 + 1 + 4 bits
  s.bits.put(2, 4);         // distance 19
  std::string expected = "abcdabcdabcdx";
  expected += "dx";
  for (int i = 0; i < 4; ++i) expected += expected[expected.size() - 3];
  for (int i = 0; i < 3; ++i) expected += expected[expected.size() - 2];
  for (int i = 0; i < 3; ++i) expected += expected[expected.size() - 4];
  for (int i = 0; i < 2; ++i) expected += expected[expected.size() - 19];
  writeArchive({{"x", bytesOf(expected), s.bytes()}});
  EXPECT_EQ(extractText("x"), expected);
}

TEST_F(UnpackerTest, NewTablesMidEntryWithDeltasAndRunCodes) {
  Stream s;
  const Lengths first = tablesWith({'p', 'q', kSymNewTables}, {}, {}, 2);
  s.tables(first);
  s.literals("pq");
  s.main.put(s.bits, kSymNewTables);
  // Second set as deltas against the first (the keep bit set).
  const Lengths second = tablesWith({'r', 's', 't', 'u', kSymNewTables}, {}, {}, 3);
  s.tables(second, true);
  s.literals("stur");
  s.main.put(s.bits, kSymNewTables);

  // Third set sent with the run codes: 16 repeats the previous length, 17 and 18 write zeros.
  s.bits.put(0, 2);
  for (int i = 0; i < 16; ++i) s.bits.put(i < 4 ? 0 : 5, 4);  // lengths 0..3 of code 0 unused
  for (int i = 16; i < 19; ++i) s.bits.put(5, 4);
  // Length codes: 4..15 and 16..18 five bits each, in symbol order from code 0.
  const Lengths lengthCodes{0, 0, 0, 0, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5};
  CodeBook lengthCode(lengthCodes);
  int i = 0;
  auto lengthSymbol = [&](int sym) { lengthCode.put(s.bits, sym); };
  lengthSymbol(18); s.bits.put(120 - 11, 7); i += 120;   // 0..119 unused
  lengthSymbol(4); ++i;                                  // 'x' (120): 4
  lengthSymbol(16); s.bits.put(0, 2); i += 3;            // 'y', 'z', '{': 4
  lengthSymbol(17); s.bits.put(7, 3); i += 10;           // 10 zeros up to 133
  lengthSymbol(18); s.bits.put(127, 7); i += 138;        // 138 zeros up to 270
  lengthSymbol(18); s.bits.put(102 - 11, 7); i += 102;   // the rest of all 374
  ASSERT_EQ(i, 374);
  Lengths third(archive::kTableLengths, 0);
  for (int sym = 'x'; sym <= '{'; ++sym) third[std::size_t(sym)] = 4;
  s.use(third);
  s.literals("xyz{");

  const std::string expected = "pqsturxyz{";
  writeArchive({{"x", bytesOf(expected), s.bytes()}});
  EXPECT_EQ(extractText("x"), expected);
}

TEST_F(UnpackerTest, SolidEntriesContinueTablesAndWindow) {
  const Lengths t = tablesWith({'A', 'B', 'C', 'D', 270, 256}, {0, 4});
  Stream first;
  first.tables(t);
  first.literals("ABCD");
  Stream second;  // no tables: the first entry's are still in force
  second.use(t);
  second.literals("DC");
  second.main.put(second.bits, 270);  // length 3 at distance 5 + 1 bit = 5: reaches back
  second.dist.put(second.bits, 4);    // into the first entry's bytes
  second.bits.put(0, 1);
  Stream third;
  third.use(t);
  third.main.put(third.bits, 256);  // the second entry's last match again

  const Packed one{"one", bytesOf("ABCD"), first.bytes()};
  const Packed two{"two", bytesOf("DCBCD"), second.bytes()};
  const Packed three{"three", bytesOf("DCB"), third.bytes()};
  writeArchive({one, two, three}, true, {}, {{"stored", "stored in between"}});
  EXPECT_EQ(extractText("one"), "ABCD");
  EXPECT_EQ(extractText("two"), "DCBCD");
  EXPECT_EQ(extractText("three"), "DCB");
  EXPECT_EQ(extractText("stored"), "stored in between");
  EXPECT_EQ(extractText("absent"), std::nullopt);

  // The same entries in a plain archive: the second has no tables and no history.
  writeArchive({one, two});
  EXPECT_EQ(extractText("one"), "ABCD");
  EXPECT_EQ(extractText("two"), std::nullopt);
}

TEST_F(UnpackerTest, TableChangeAfterTheLastByteServesTheNextSolidEntry) {
  const Lengths t1 = tablesWith({'a', 'b', kSymNewTables}, {}, {}, 2);
  const Lengths t2 = tablesWith({'y', 'z'}, {}, {}, 1);
  Stream first;
  first.tables(t1);
  first.literals("ab");
  first.main.put(first.bits, kSymNewTables);
  first.tables(t2);
  Stream second;
  second.use(t2);
  second.literals("zyz");
  writeArchive({{"one", bytesOf("ab"), first.bytes()}, {"two", bytesOf("zyz"), second.bytes()}}, true);
  EXPECT_EQ(extractText("two"), "zyz");
}

TEST_F(UnpackerTest, LongEntryAcrossInputRefillsHandsItsLastTablesOn) {
  // 70000 literals of 8 bits: the packed data crosses the input refills many times before
  // the table change after the last byte.
  Lengths t1(archive::kTableLengths, 0);
  for (int c = 0; c < 128; ++c) t1[std::size_t(c)] = 8;
  t1[kSymNewTables] = 1;
  const Lengths t2 = tablesWith({'y', 'z'}, {}, {}, 1);
  Stream first;
  first.tables(t1);
  std::string text;
  for (int i = 0; i < 70000; ++i) text += char((i * 7 + i / 13) & 127);
  first.literals(text);
  first.main.put(first.bits, kSymNewTables);
  first.tables(t2);
  Stream second;
  second.use(t2);
  second.literals("yzzy");
  writeArchive({{"one", bytesOf(text), first.bytes()}, {"two", bytesOf("yzzy"), second.bytes()}}, true);
  EXPECT_EQ(extractText("two"), "yzzy");
  EXPECT_TRUE(extractText("one") == text);
  writeArchive({{"one", bytesOf(text), first.bytes()}, {"two", bytesOf("yzzy"), second.bytes()}}, true, "long entry");
  EXPECT_EQ(extractText("two", "long entry"), "yzzy");
  EXPECT_TRUE(extractText("one", "long entry") == text);
}

TEST_F(UnpackerTest, EmptyCompressedEntry) {
  Stream s;
  s.tables(tablesWith({'a'}));
  writeArchive({{"x", {}, s.bytes()}});
  EXPECT_EQ(extractText("x"), "");
}

TEST_F(UnpackerTest, OutputLargerThanTheWindow) {
  // Ten literals, then matches at distance 10 up to 1.3 MB: a period that does not divide the
  // window size, so a flush in the wrong order shows.
  Stream s;
  s.tables(tablesWith({'0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 297, kSymRepeatLast}, {6}));
  s.literals("0123456789");
  s.main.put(s.bits, 297);   // length 224 + 3 + 31 = 258 ...
  s.bits.put(31, 5);
  s.dist.put(s.bits, 6);     // ... at distance 8 + 1 + 1 = 10
  s.bits.put(1, 2);
  std::string expected = "0123456789";
  const std::size_t total = 1300000;
  std::size_t produced = 10 + 258;
  while (produced + 258 <= total) {
    s.main.put(s.bits, kSymRepeatLast);
    produced += 258;
  }
  while (expected.size() < produced) expected += expected[expected.size() - 10];
  writeArchive({{"big", bytesOf(expected), s.bytes()}});
  const auto big = extractText("big");
  ASSERT_TRUE(big.has_value());
  EXPECT_EQ(big->size(), expected.size());
  EXPECT_TRUE(*big == expected);
}

TEST_F(UnpackerTest, EncryptedCompressedEntry) {
  Stream s;
  s.tables(tablesWith({'k', 'e', 'y', 270}, {1}));
  s.literals("key");
  s.main.put(s.bits, 270);
  s.dist.put(s.bits, 1);  // distance 2: "eye"
  writeArchive({{"x", bytesOf("keyeye"), s.bytes()}}, false, "0123456789abcdef");
  EXPECT_EQ(extractText("x", "0123456789abcdef"), "keyeye");
  EXPECT_EQ(extractText("x", "0123456789abcdeg"), std::nullopt);
  EXPECT_EQ(extractText("x"), std::nullopt);
}

TEST_F(UnpackerTest, AudioModeWithTwoChannels) {
  // While the filter weights are still 0 the prediction is the channel's previous byte, so a
  // constant error d makes that channel fall by d per byte.
  Lengths lengths(2 * archive::kAudioSymbols, 0);
  lengths[3] = 1;                                                      // channel 0: error 3
  lengths[5] = 1;                                                      // channel 0: error 5
  lengths[archive::kAudioSymbols + 7] = 1;                             // channel 1: error 7
  lengths[archive::kAudioSymbols + archive::kAudioSymNewTables] = 1;  // channel 1: new tables
  pack::BitWriter bits;
  pack::writeTableSet(bits, 2, lengths);
  const CodeBook channel0{std::span(lengths).first(archive::kAudioSymbols)};
  const CodeBook channel1{std::span(lengths).subspan(archive::kAudioSymbols)};
  Bytes expected;
  int sample0 = 0;
  int sample1 = 0;
  for (int i = 0; i < 10; ++i) {
    channel0.put(bits, 3);
    sample0 -= 3;
    expected.push_back(std::uint8_t(sample0));
    channel1.put(bits, 7);
    sample1 -= 7;
    expected.push_back(std::uint8_t(sample1));
  }
  writeArchive({{"wave", expected, bits.finish()}});
  EXPECT_EQ(extract("wave"), expected);
}

TEST_F(UnpackerTest, DamagedStreamsEndInFailure) {
  Stream s;
  s.tables(tablesWith({'a', 'b', 'c', 'd', 297, kSymRepeatLast}, {47}));
  s.literals("abcd");
  s.main.put(s.bits, 297);
  s.bits.put(31, 5);
  s.dist.put(s.bits, 47);
  s.bits.put(0xFFFF, 16);
  for (int i = 0; i < 50; ++i) s.main.put(s.bits, kSymRepeatLast);
  const std::size_t size = 4 + 260 * 51;
  Bytes expected(size, 0);
  std::copy_n("abcd", 4, expected.begin());
  const Bytes packed = s.bytes();
  writeArchive({{"x", expected, packed}});
  ASSERT_EQ(extract("x"), expected);

  // Cut short: the reader must stop, not run on over old input.
  for (std::size_t cut : {std::size_t(0), std::size_t(1), packed.size() / 5, packed.size() / 2, packed.size() * 4 / 5, packed.size() - 1}) {
    writeArchive({{"x", expected, Bytes(packed.begin(), packed.begin() + std::ptrdiff_t(cut))}});
    EXPECT_EQ(extract("x"), std::nullopt) << cut;
  }
  // Claims more output than the data hold, or less than the last match writes.
  for (std::size_t claimed : {size + 1, size - 1}) {
    writeArchive({{"x", Bytes(claimed, 0), packed}});
    EXPECT_EQ(extract("x"), std::nullopt) << claimed;
  }

  // Over-full and empty code lengths, zero-length repeats and endless table changes.
  for (std::uint8_t fillByte : {0x00, 0xFF, 0x11, 0x3F, 0xC0, 0x55}) {
    writeArchive({{"x", Bytes(5000, 'g'), Bytes(4096, fillByte)}});
    EXPECT_EQ(extract("x"), std::nullopt) << int(fillByte);
  }
}

}  // namespace
