// Archives from the writer, read back through the demo's reader.
#include <gtest/gtest.h>
#include <zlib.h>

#include <random>

#include "pack/archive_listing.h"
#include "pack/archive_writer.h"
#include "pack/sample_data.h"
#include "pack_test_helpers.h"
#include "platform/file_system.h"
#include "support/temp_folder.h"

namespace {

using pack_testing::Bytes;
using pack_testing::extract;
using pack_testing::writeOrFail;
using testing_support::TempFolder;

TEST(PackRoundTrip, NormalArchiveHoldsEveryKindOfEntry) {
  TempFolder folder;
  const Bytes text = pack::sampleText(150000, 11);
  const Bytes binary = pack::sampleBinary(150000, 12);
  const Bytes noise = pack::sampleNoise(40000, 13);
  // Over 2 MiB: the reader's window wraps twice, and the tail repeats the head from more
  // than 1 MiB back, which no match can reach.
  const Bytes head = pack::sampleBinary(300000, 14);
  const Bytes big = pack_testing::concat({head, Bytes(1300000, 0), pack::sampleText(200000, 15), head,
                                          Bytes(400000, 0x55)});
  pack::ArchiveWriter writer;
  ASSERT_TRUE(writer.addEntry("text.txt", text));
  ASSERT_TRUE(writer.addEntry("maps\\binary.bsp", binary));
  ASSERT_TRUE(writer.addEntry("noise.raw", noise));
  ASSERT_TRUE(writer.addEntry("empty", {}));
  ASSERT_TRUE(writer.addEntry("big.bin", big));
  const std::string path = folder.file("normal.dat");
  writeOrFail(writer, path);

  EXPECT_EQ(extract(path, "text.txt"), text);
  EXPECT_EQ(extract(path, "Maps/Binary.BSP"), binary);
  EXPECT_EQ(extract(path, "noise.raw"), noise);
  EXPECT_EQ(extract(path, "empty"), Bytes{});
  EXPECT_EQ(extract(path, "big.bin"), big);
  EXPECT_EQ(extract(path, "missing.txt"), std::nullopt);

  const auto& e = writer.entries();
  ASSERT_EQ(e.size(), 5u);
  EXPECT_EQ(e[0].method, archive::kMethodCompressed);
  EXPECT_LT(e[0].packedSize, text.size() / 2);
  EXPECT_EQ(e[1].method, archive::kMethodCompressed);
  EXPECT_LT(e[1].packedSize, binary.size() * 9 / 10);
  EXPECT_EQ(e[2].method, archive::kMethodStored);  // incompressible
  EXPECT_EQ(e[2].packedSize, noise.size());
  EXPECT_EQ(e[3].method, archive::kMethodStored);
  EXPECT_EQ(e[3].packedSize, 0u);
  EXPECT_EQ(e[4].method, archive::kMethodCompressed);
  for (const auto& entry : e) EXPECT_EQ(entry.flags & (archive::kEntrySolid | archive::kEntryEncrypted), 0) << entry.name;
}

TEST(PackRoundTrip, MixedContentsInEveryArchiveKind) {
  // Entries stitched from pieces of every sort of content, in normal, solid and locked
  // archives: block switches, successor tables and stored entries meet in many orders.
  TempFolder folder;
  std::mt19937 rng(2024);
  for (int round = 0; round < 24; ++round) {
    SCOPED_TRACE(round);
    const std::string password = round % 3 == 0 ? std::string(1 + rng() % 40, static_cast<char>('a' + rng() % 26)) : "";
    pack::ArchiveWriter writer({.password = password, .solid = round % 2 == 0, .store = false});
    std::vector<Bytes> contents;
    const int entries = 1 + static_cast<int>(rng() % 4);
    for (int e = 0; e < entries; ++e) {
      const size_t size = rng() % 4 == 0 ? rng() % 40 : rng() % 40000;
      Bytes bytes;
      for (int piece = 0, pieces = 1 + static_cast<int>(rng() % 3); piece < pieces; ++piece) {
        const size_t n = size / static_cast<size_t>(pieces);
        const std::uint32_t seed = static_cast<std::uint32_t>(rng());
        Bytes part;
        switch (rng() % 5) {
          case 0: part = pack::sampleText(n, seed); break;
          case 1: part = pack::sampleBinary(n, seed); break;
          case 2: part = pack::sampleAudio(n, 1 + static_cast<int>(seed % 4), seed); break;
          case 3: part.assign(n, static_cast<std::uint8_t>(seed % 3)); break;
          default: part = pack::sampleNoise(n, seed); break;
        }
        bytes.insert(bytes.end(), part.begin(), part.end());
      }
      ASSERT_TRUE(writer.addEntry("e" + std::to_string(e), bytes));
      contents.push_back(std::move(bytes));
    }
    const std::string path = folder.file("mixed.dat");
    writeOrFail(writer, path);
    for (int e = 0; e < entries; ++e)
      EXPECT_TRUE(extract(path, "e" + std::to_string(e), password.c_str()) == contents[static_cast<size_t>(e)]) << e;
  }
}

TEST(PackRoundTrip, StoreOptionStoresEverything) {
  TempFolder folder;
  const Bytes text = pack::sampleText(30000, 3);
  pack::ArchiveWriter writer({.password = "", .solid = false, .store = true});
  ASSERT_TRUE(writer.addEntry("a.txt", text));
  writeOrFail(writer, folder.file("stored.dat"));
  EXPECT_EQ(writer.entries().at(0).method, archive::kMethodStored);
  EXPECT_EQ(writer.entries().at(0).packedSize, text.size());
  EXPECT_EQ(extract(folder.file("stored.dat"), "A.TXT"), text);
}

TEST(PackRoundTrip, PasswordsOfEveryLengthClassDecrypt) {
  TempFolder folder;
  const Bytes text = pack::sampleText(20000, 5);
  const Bytes noise = pack::sampleNoise(1000, 6);  // stored, not a whole number of blocks
  for (const std::string password : {"k", "0123456789abcdef", "0123456789abcdefg",
                                     "a forty character password for the demo!"}) {
    SCOPED_TRACE(password.size());
    pack::ArchiveWriter writer({.password = password, .solid = false, .store = false});
    ASSERT_TRUE(writer.addEntry("text.txt", text));
    ASSERT_TRUE(writer.addEntry("noise.raw", noise));
    const std::string path = folder.file("locked" + std::to_string(password.size()) + ".dat");
    writeOrFail(writer, path);
    EXPECT_EQ(writer.entries().at(0).method, archive::kMethodCompressed);
    EXPECT_EQ(writer.entries().at(1).method, archive::kMethodStored);
    for (const auto& e : writer.entries()) {
      EXPECT_TRUE(e.flags & archive::kEntryEncrypted);
      EXPECT_EQ(e.packedSize % 16, 0u);
    }
    EXPECT_EQ(writer.entries().at(1).packedSize, 1008u);

    EXPECT_EQ(extract(path, "text.txt", password.c_str()), text);
    EXPECT_EQ(extract(path, "noise.raw", password.c_str()), noise);
    std::string wrong = password;
    wrong.back() ^= 1;
    EXPECT_EQ(extract(path, "text.txt", wrong.c_str()), std::nullopt);
    EXPECT_EQ(extract(path, "noise.raw", wrong.c_str()), std::nullopt);
    EXPECT_EQ(extract(path, "text.txt", ""), std::nullopt);
    EXPECT_EQ(extract(path, "text.txt", nullptr), std::nullopt);
  }
}

TEST(PackRoundTrip, RefusesWhatTheFormatCannotHold) {
  pack::ArchiveWriter writer;
  EXPECT_FALSE(writer.addEntry("", {1, 2, 3}));
  EXPECT_FALSE(writer.addEntry(std::string(256, 'n'), {1}));
  EXPECT_FALSE(writer.error().empty());
  EXPECT_TRUE(writer.addEntry(std::string(255, 'n'), {1}));

  pack::ArchiveWriter tooLong({.password = std::string(256, 'p'), .solid = false, .store = false});
  ASSERT_TRUE(tooLong.addEntry("a", {1, 2, 3}));
  EXPECT_EQ(tooLong.buildArchive(), std::nullopt);
  EXPECT_FALSE(tooLong.error().empty());

  pack::ArchiveWriter zero({.password = std::string("ab\0cd", 5), .solid = false, .store = false});
  ASSERT_TRUE(zero.addEntry("a", {1, 2, 3}));
  EXPECT_EQ(zero.buildArchive(), std::nullopt);
}

TEST(PackRoundTrip, LongestNameIsFound) {
  TempFolder folder;
  const std::string name = std::string(200, 'd') + "\\" + std::string(54, 'f');
  pack::ArchiveWriter writer;
  ASSERT_TRUE(writer.addEntry(name, {7, 8, 9}));
  writeOrFail(writer, folder.file("names.dat"));
  EXPECT_EQ(extract(folder.file("names.dat"), std::string(200, 'D') + "/" + std::string(54, 'F')), (Bytes{7, 8, 9}));
}

TEST(PackListing, ReadsBackWhatWasWritten) {
  const Bytes text = pack::sampleText(50000, 8);
  pack::ArchiveWriter writer({.password = "pw", .solid = true, .store = false});
  ASSERT_TRUE(writer.addEntry("one.txt", text));
  ASSERT_TRUE(writer.addEntry("two.txt", text));
  const auto bytes = writer.buildArchive();
  ASSERT_TRUE(bytes);
  const auto listing = pack::listArchive(*bytes);
  ASSERT_TRUE(listing);
  EXPECT_TRUE(listing->solid);
  EXPECT_FALSE(listing->truncated);
  ASSERT_EQ(listing->entries.size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    const auto& got = listing->entries[i];
    const auto& want = writer.entries()[i];
    EXPECT_EQ(got.name, want.name);
    EXPECT_EQ(got.unpackedSize, text.size());
    EXPECT_EQ(got.packedSize, want.packedSize);
    EXPECT_EQ(got.method, archive::kMethodCompressed);
    EXPECT_EQ(got.crc, ::crc32(0, text.data(), static_cast<uInt>(text.size())));  // zlib's own CRC-32
    EXPECT_EQ(want.crc, got.crc);
    EXPECT_TRUE(listing->headerCrcOk[i]);
  }
  EXPECT_EQ(listing->entries[0].flags, archive::kHasData | archive::kEntryEncrypted);
  EXPECT_EQ(listing->entries[1].flags, archive::kHasData | archive::kEntryEncrypted | archive::kEntrySolid);

  Bytes damaged(*bytes);
  damaged[7 + 13 + 20] ^= 0x40;  // inside the first file header: its CRC no longer fits
  EXPECT_FALSE(pack::listArchive(damaged)->headerCrcOk[0]);

  const Bytes cut(bytes->begin(), bytes->end() - 5);
  EXPECT_TRUE(pack::listArchive(cut)->truncated);
  EXPECT_EQ(pack::listArchive(Bytes(bytes->begin(), bytes->begin() + 10)), std::nullopt);
  EXPECT_EQ(pack::listArchive(Bytes(40, 'x')), std::nullopt);
}

}  // namespace
