#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "archive/archive_reader.h"
#include "archive/debug_log.h"
#include "archive_builder.h"
#include "support/temp_folder.h"

namespace {

using archive_testing::ArchiveBuilder;
using archive_testing::Bytes;
using archive_testing::bytesOf;
using archive_testing::TestEntry;

TestEntry stored(const std::string& name, const std::string& text) {
  TestEntry entry;
  entry.name = name;
  entry.data = bytesOf(text);
  return entry;
}

// Every test runs in a fresh working directory with a fresh log decision.
class ArchiveReaderTest : public ::testing::Test {
 protected:
  void SetUp() override { archive::resetDebugLog(); }
  void TearDown() override { archive::resetDebugLog(); }

  // Extracts through the C interface and checks its failure contract on the way.
  std::optional<std::string> extract(const std::string& entry, const char* password = nullptr,
                                     const std::string& archiveName = "test.dat") {
    std::uint8_t* data = reinterpret_cast<std::uint8_t*>(1);
    std::uint32_t size = 12345;
    const int result = archive::extractFile(&data, &size, entry.c_str(), archiveName.c_str(), password);
    if (result == 0) {
      EXPECT_EQ(data, nullptr);
      EXPECT_EQ(size, 0u);
      return std::nullopt;
    }
    EXPECT_EQ(result, 1);
    EXPECT_NE(data, nullptr);
    std::string text(reinterpret_cast<const char*>(data), size);
    std::free(data);
    return text;
  }

  void write(const ArchiveBuilder& builder, const std::string& name = "test.dat") {
    builder.writeTo(folder_.file(name));
  }
  void writeBytes(const Bytes& bytes, const std::string& name = "test.dat") {
    folder_.write(name, std::string(bytes.begin(), bytes.end()));
  }
  void enableLog() { std::filesystem::create_directory(folder_.file("temp")); }
  std::string log() const { return folder_.read("temp/debug_archive.txt"); }

  testing_support::TempFolder folder_;
  testing_support::ScopedWorkingDirectory cwd_{folder_.path()};
};

TEST_F(ArchiveReaderTest, FindsStoredEntriesWhateverTheSeparatorOrCase) {
  write(ArchiveBuilder()
            .add(stored("terrain.raw", "height field"))
            .add(stored("models/boat.md3", "boat model"))
            .add(stored("Map\\brae.bsp", "level")));
  EXPECT_EQ(extract("terrain.raw"), "height field");
  EXPECT_EQ(extract("Models\\Boat.MD3"), "boat model");
  EXPECT_EQ(extract("MODELS_BOAT.md3"), "boat model");
  EXPECT_EQ(extract("map/BRAE.bsp"), "level");
  EXPECT_EQ(extract("map_brae.BSP"), "level");
  EXPECT_EQ(extract("models/boat.md"), std::nullopt);
  EXPECT_EQ(extract("boat.md3"), std::nullopt);
  EXPECT_EQ(extract(""), std::nullopt);
  // A second call scans afresh from the start.
  EXPECT_EQ(extract("terrain.raw"), "height field");
}

TEST_F(ArchiveReaderTest, FirstMatchingEntryWinsAndOtherBlocksAreSkipped) {
  write(ArchiveBuilder()
            .addBlock(0x75, bytesOf("a comment block with a data area"))
            .add(stored("a/b.txt", "first"))
            .addBlock(0x7A)
            .add(stored("A_B.TXT", "second")));
  EXPECT_EQ(extract("a\\b.txt"), "first");
}

TEST_F(ArchiveReaderTest, EmptyEntryExtractsToAnEmptyBuffer) {
  write(ArchiveBuilder().add(stored("empty", "")));
  std::uint8_t* data = nullptr;
  std::uint32_t size = 99;
  ASSERT_EQ(archive::extractFile(&data, &size, "empty", "test.dat", nullptr), 1);
  EXPECT_NE(data, nullptr);
  EXPECT_EQ(size, 0u);
  std::free(data);
}

TEST_F(ArchiveReaderTest, MarkersAreCheckedByteByByte) {
  enableLog();
  write(ArchiveBuilder().marker(bytesOf("Vantor!")).add(stored("x", "alternative")), "alt.dat");
  EXPECT_EQ(extract("x", nullptr, "alt.dat"), "alternative");

  write(ArchiveBuilder().marker({0x52, 0x45, 0x7E, 0x5E, 0, 0, 0}).add(stored("x", "old")), "old.dat");
  EXPECT_EQ(extract("x", nullptr, "old.dat"), std::nullopt);
  EXPECT_NE(log().find("Attention: format as OLD detected! Can't handel archive!"), std::string::npos);

  write(ArchiveBuilder().marker(bytesOf("Vantor?")).add(stored("x", "unknown")), "sfx.dat");
  EXPECT_EQ(extract("x", nullptr, "sfx.dat"), std::nullopt);
  EXPECT_NE(log().find("unknown archive type (only plain RAR supported (normal and solid "
                       "archives), SFX and Volumes are NOT supported!)"),
            std::string::npos);

  writeBytes(bytesOf("Rar!"), "short.dat");
  EXPECT_EQ(extract("x", nullptr, "short.dat"), std::nullopt);
  writeBytes({0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00, 0, 0, 0x73}, "nomain.dat");
  EXPECT_EQ(extract("x", nullptr, "nomain.dat"), std::nullopt);
  EXPECT_NE(log().find("Not a RAR file"), std::string::npos);

  EXPECT_EQ(extract("x", nullptr, "missing.dat"), std::nullopt);
  EXPECT_NE(log().find("Error opening file."), std::string::npos);
}

TEST_F(ArchiveReaderTest, LongerMainHeaderIsSkippedAndShorterOneRefused) {
  write(ArchiveBuilder().mainHeaderSize(40).add(stored("x", "after a long main header")), "long.dat");
  EXPECT_EQ(extract("x", nullptr, "long.dat"), "after a long main header");
  write(ArchiveBuilder().mainHeaderSize(5).add(stored("x", "data")), "short.dat");
  EXPECT_EQ(extract("x", nullptr, "short.dat"), std::nullopt);
}

TEST_F(ArchiveReaderTest, BrokenHeaderCrcIsOnlyLogged) {
  enableLog();
  TestEntry entry = stored("x", "still readable");
  entry.breakHeaderCrc = true;
  write(ArchiveBuilder().add(entry));
  EXPECT_EQ(extract("x"), "still readable");
  EXPECT_NE(log().find("file header broken"), std::string::npos);
}

TEST_F(ArchiveReaderTest, SubBlockBeforeTheEntryIsRefused) {
  enableLog();
  write(ArchiveBuilder().add(stored("before", "1")).addBlock(0x77).add(stored("after", "2")));
  EXPECT_EQ(extract("before"), "1");
  EXPECT_EQ(extract("after"), std::nullopt);
  EXPECT_NE(log().find("Sorry, sub-headers not supported."), std::string::npos);
}

TEST_F(ArchiveReaderTest, ChecksVersionAndCrc) {
  enableLog();
  TestEntry tooNew = stored("new", "data");
  tooNew.version = 29;
  TestEntry tooOld = stored("old", "data");
  tooOld.version = 12;
  TestEntry badCrc = stored("crc", "data");
  badCrc.fileCrc = 0x12345678;
  TestEntry oldest = stored("v13", "lowest version");
  oldest.version = 13;
  write(ArchiveBuilder().add(tooNew).add(tooOld).add(badCrc).add(oldest));
  EXPECT_EQ(extract("new"), std::nullopt);
  EXPECT_EQ(extract("old"), std::nullopt);
  EXPECT_NE(log().find("unknown compression method"), std::string::npos);
  EXPECT_EQ(extract("crc"), std::nullopt);
  EXPECT_NE(log().find("CRC32 error - file couldn't be decompressed correctly!"), std::string::npos);
  EXPECT_EQ(extract("v13"), "lowest version");
}

TEST_F(ArchiveReaderTest, EncryptedStoredEntriesOfAnySize) {
  const std::string password = "0123456789abcdefg";
  ArchiveBuilder builder;
  for (std::size_t size : {0, 1, 5, 15, 16, 17, 33, 70000}) {
    TestEntry entry;
    entry.name = "e" + std::to_string(size);
    for (std::size_t i = 0; i < size; ++i) entry.data.push_back(std::uint8_t(i * 7 + size));
    entry.password = password;
    builder.add(entry);
  }
  write(builder);
  for (std::size_t size : {0, 1, 5, 15, 16, 17, 33, 70000}) {
    const auto data = extract("e" + std::to_string(size), password.c_str());
    ASSERT_TRUE(data.has_value()) << size;
    ASSERT_EQ(data->size(), size);
    for (std::size_t i = 0; i < size; ++i) ASSERT_EQ(std::uint8_t((*data)[i]), std::uint8_t(i * 7 + size));
  }
  EXPECT_EQ(extract("e17", "0123456789abcdef"), std::nullopt);  // one character short
  EXPECT_EQ(extract("e17", ""), std::nullopt);
  EXPECT_EQ(extract("e17", nullptr), std::nullopt);
  EXPECT_EQ(extract("e0", nullptr), "");  // nothing to decrypt, nothing to get wrong
}

TEST_F(ArchiveReaderTest, PasswordOnAPlainEntryIsIgnored) {
  write(ArchiveBuilder().add(stored("plain", "not encrypted")));
  EXPECT_EQ(extract("plain", "some password"), "not encrypted");
}

TEST_F(ArchiveReaderTest, OldCipherIsNotApplied) {
  enableLog();
  TestEntry entry = stored("x", "sixteen bytes!!!");
  entry.password = "pw";
  entry.version = 15;
  write(ArchiveBuilder().add(entry));
  EXPECT_EQ(extract("x", "pw"), std::nullopt);
  EXPECT_NE(log().find("Old Crypt() not supported!"), std::string::npos);
}

TEST_F(ArchiveReaderTest, LongNames) {
  const std::string name255(255, 'n');
  const std::string longName = std::string(600, 'L') + "/tail.bin";
  write(ArchiveBuilder().add(stored(name255, "255")).add(stored(longName, "long")));
  EXPECT_EQ(extract(name255), "255");
  EXPECT_EQ(extract(std::string(254, 'n')), std::nullopt);
  EXPECT_EQ(extract(longName), "long");
  EXPECT_EQ(extract(std::string(600, 'L')), std::nullopt);

  const std::string archive255 = std::string(251, 'a') + ".dat";
  write(ArchiveBuilder().add(stored("x", "in a long-named archive")), archive255);
  EXPECT_EQ(extract("x", nullptr, archive255), "in a long-named archive");
  EXPECT_EQ(extract("x", nullptr, std::string(5000, 'b')), std::nullopt);
}

TEST_F(ArchiveReaderTest, DamagedHeadersEndInFailure) {
  TestEntry tiny = stored("x", "data");
  tiny.headerSize = 6;
  write(ArchiveBuilder().add(tiny), "tiny.dat");
  EXPECT_EQ(extract("x", nullptr, "tiny.dat"), std::nullopt);

  TestEntry shortHeader = stored("x", "data");
  shortHeader.headerSize = 20;
  write(ArchiveBuilder().add(shortHeader), "short.dat");
  EXPECT_EQ(extract("x", nullptr, "short.dat"), std::nullopt);

  TestEntry nameTooLong = stored("x", "data");
  nameTooLong.nameSize = 60000;
  write(ArchiveBuilder().add(nameTooLong), "name.dat");
  EXPECT_EQ(extract("x", nullptr, "name.dat"), std::nullopt);

  TestEntry packedPastEnd = stored("x", "data");
  packedPastEnd.packedSize = 0xFFFFFFF0u;
  write(ArchiveBuilder().add(packedPastEnd), "packed.dat");
  EXPECT_EQ(extract("x", nullptr, "packed.dat"), "data");  // the data itself is all there
  EXPECT_EQ(extract("y", nullptr, "packed.dat"), std::nullopt);

  TestEntry huge = stored("x", "data");
  huge.unpackedSize = 0xFFFFFFF0u;
  write(ArchiveBuilder().add(huge), "huge.dat");
  EXPECT_EQ(extract("x", nullptr, "huge.dat"), std::nullopt);

  TestEntry hugeCompressed = stored("x", "");
  hugeCompressed.method = 0x33;
  hugeCompressed.packed = Bytes(64, 0);
  hugeCompressed.unpackedSize = 0xFFFFFFF0u;
  write(ArchiveBuilder().add(hugeCompressed), "hugec.dat");
  EXPECT_EQ(extract("x", nullptr, "hugec.dat"), std::nullopt);
}

TEST_F(ArchiveReaderTest, EveryTruncationFails) {
  TestEntry entry = stored("entry.bin", "the entry's contents, long enough to cut anywhere");
  entry.password = "pw";
  const Bytes full = ArchiveBuilder().add(stored("first", "1")).add(entry).bytes();
  writeBytes(full, "full.dat");
  ASSERT_EQ(extract("entry.bin", "pw", "full.dat"), "the entry's contents, long enough to cut anywhere");
  for (std::size_t cut = 0; cut < full.size(); ++cut) {
    writeBytes(Bytes(full.begin(), full.begin() + std::ptrdiff_t(cut)), "cut.dat");
    EXPECT_EQ(extract("entry.bin", "pw", "cut.dat"), std::nullopt) << cut;
  }
}

TEST_F(ArchiveReaderTest, ConvenienceWrapper) {
  TestEntry entry = stored("x", "wrapped");
  entry.password = "pw";
  write(ArchiveBuilder().add(entry));
  const auto data = archive::extractEntry("X", "test.dat", "pw");
  ASSERT_TRUE(data.has_value());
  EXPECT_EQ(std::string(data->begin(), data->end()), "wrapped");
  EXPECT_FALSE(archive::extractEntry("X", "test.dat").has_value());
}

TEST_F(ArchiveReaderTest, NullArgumentsFailCleanly) {
  write(ArchiveBuilder().add(stored("x", "data")));
  std::uint8_t* data = nullptr;
  std::uint32_t size = 7;
  EXPECT_EQ(archive::extractFile(&data, &size, nullptr, "test.dat", nullptr), 0);
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(archive::extractFile(&data, &size, "x", nullptr, nullptr), 0);
  EXPECT_EQ(archive::extractFile(nullptr, &size, "x", "test.dat", nullptr), 0);
  EXPECT_EQ(archive::extractFile(&data, nullptr, "x", "test.dat", nullptr), 0);
  EXPECT_EQ(data, nullptr);
}

TEST_F(ArchiveReaderTest, NoLogWithoutTempFolder) {
  write(ArchiveBuilder().add(stored("x", "data")));
  EXPECT_EQ(extract("x"), "data");
  EXPECT_FALSE(folder_.exists("temp"));
  // The decision holds for the whole process: a folder made later gets no log.
  enableLog();
  EXPECT_EQ(extract("x"), "data");
  EXPECT_FALSE(folder_.exists("temp/debug_archive.txt"));
}

TEST_F(ArchiveReaderTest, LogRecordsEachCallButNeverThePassword) {
  enableLog();
  TestEntry entry = stored("Secret\\File.txt", "payload");
  entry.password = "hunter2-password";
  write(ArchiveBuilder().add(entry));
  EXPECT_EQ(extract("secret/file.txt", "hunter2-password"), "payload");
  EXPECT_EQ(extract("absent.txt", "hunter2-password"), std::nullopt);
  EXPECT_EQ(extract("secret/file.txt"), std::nullopt);

  const std::string text = log();
  EXPECT_EQ(text.rfind("Debug log of Vantor's archive library\n~^~~~~~~~~~~~~~~~~~~~~~~~~~~~~^~\n"
                       "(executable compiled on ",
                       0),
            0u);
  EXPECT_EQ(text.find("hunter2"), std::string::npos);
  EXPECT_NE(text.find("Extracting >secret/file.txt< from >test.dat< (password is >******<)..."),
            std::string::npos);
  EXPECT_NE(text.find("Extracting >secret/file.txt< from >test.dat< (password is ><)..."),
            std::string::npos);
  EXPECT_NE(text.find("Extracted 7 Bytes."), std::string::npos);
  EXPECT_NE(text.find("Error - couldn't extract >absent.txt< and allocated 0 Bytes of unused memory!"),
            std::string::npos);
  EXPECT_NE(text.find(" ms (line "), std::string::npos);
  EXPECT_NE(text.find(" in archive_reader):\n              - "), std::string::npos);
}

}  // namespace
