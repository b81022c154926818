// The reader's walk over blocks, names, markers, passwords, damaged headers and the debug
// log, on archives written by the archiver and then damaged field by field.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "archive/archive_reader.h"
#include "archive/debug_log.h"
#include "archive_damage.h"
#include "support/temp_folder.h"

namespace {

using archive::BlockHeader;
using archive_testing::Bytes;
using archive_testing::bytesOf;
using archive_testing::editFileHeader;
using archive_testing::storedArchive;

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

  void write(const Bytes& bytes, const std::string& name = "test.dat") {
    folder_.write(name, std::string(bytes.begin(), bytes.end()));
  }
  // A stored entry "x" whose header `edit` changes.
  void writeEdited(const std::string& text, const std::function<void(BlockHeader&)>& edit,
                   const std::string& name = "test.dat") {
    Bytes bytes = storedArchive({{"x", text}});
    editFileHeader(bytes, 0, edit);
    write(bytes, name);
  }
  void enableLog() { std::filesystem::create_directory(folder_.file("temp")); }
  std::string log() const { return folder_.read("temp/debug_archive.txt"); }

  testing_support::TempFolder folder_;
  testing_support::ScopedWorkingDirectory cwd_{folder_.path()};
};

TEST_F(ArchiveReaderTest, FindsStoredEntriesWhateverTheSeparatorOrCase) {
  write(storedArchive({{"terrain.raw", "height field"}, {"models/boat.md3", "boat model"}, {"Map\\brae.bsp", "level"}}));
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
  pack::ArchiveWriter writer({.password = {}, .solid = false, .store = true});
  writer.addBlock(archive::kCommentType, bytesOf("a comment block with a data area"));
  writer.addEntry("a/b.txt", bytesOf("first"));
  writer.addBlock(0x7A);
  writer.addEntry("A_B.TXT", bytesOf("second"));
  write(archive_testing::build(writer));
  EXPECT_EQ(extract("a\\b.txt"), "first");
}

TEST_F(ArchiveReaderTest, EmptyEntryExtractsToAnEmptyBuffer) {
  write(storedArchive({{"empty", ""}}));
  std::uint8_t* data = nullptr;
  std::uint32_t size = 99;
  ASSERT_EQ(archive::extractFile(&data, &size, "empty", "test.dat", nullptr), 1);
  EXPECT_NE(data, nullptr);
  EXPECT_EQ(size, 0u);
  std::free(data);
}

TEST_F(ArchiveReaderTest, MarkersAreCheckedByteByByte) {
  enableLog();
  auto withMarker = [](const std::string& marker) {
    Bytes bytes = storedArchive({{"x", "after the marker"}});
    std::copy(marker.begin(), marker.end(), bytes.begin());
    return bytes;
  };
  write(withMarker("Vantor!"), "alt.dat");
  EXPECT_EQ(extract("x", nullptr, "alt.dat"), "after the marker");

  write(withMarker(std::string("\x52\x45\x7E\x5E\0\0\0", 7)), "old.dat");
  EXPECT_EQ(extract("x", nullptr, "old.dat"), std::nullopt);
  EXPECT_NE(log().find("Attention: format as OLD detected! Can't handel archive!"), std::string::npos);

  write(withMarker("Vantor?"), "sfx.dat");
  EXPECT_EQ(extract("x", nullptr, "sfx.dat"), std::nullopt);
  EXPECT_NE(log().find("unknown archive type (only plain RAR supported (normal and solid "
                       "archives), SFX and Volumes are NOT supported!)"),
            std::string::npos);

  write(bytesOf("Rar!"), "short.dat");
  EXPECT_EQ(extract("x", nullptr, "short.dat"), std::nullopt);
  write({0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00, 0, 0, 0x73}, "nomain.dat");
  EXPECT_EQ(extract("x", nullptr, "nomain.dat"), std::nullopt);
  EXPECT_NE(log().find("Not a RAR file"), std::string::npos);

  EXPECT_EQ(extract("x", nullptr, "missing.dat"), std::nullopt);
  EXPECT_NE(log().find("Error opening file."), std::string::npos);
}

TEST_F(ArchiveReaderTest, LongerMainHeaderIsSkippedAndShorterOneRefused) {
  Bytes longer = storedArchive({{"x", "after a long main header"}});
  archive_testing::setMainHeaderSize(longer, 40);
  write(longer, "long.dat");
  EXPECT_EQ(extract("x", nullptr, "long.dat"), "after a long main header");
  Bytes shorter = storedArchive({{"x", "data"}});
  archive_testing::setMainHeaderSize(shorter, 5);
  write(shorter, "short.dat");
  EXPECT_EQ(extract("x", nullptr, "short.dat"), std::nullopt);
}

TEST_F(ArchiveReaderTest, BrokenHeaderCrcIsOnlyLogged) {
  enableLog();
  Bytes bytes = storedArchive({{"x", "still readable"}});
  editFileHeader(bytes, 0, [](BlockHeader& h) { h.crc ^= 0x5A5A; }, false);
  write(bytes);
  EXPECT_EQ(extract("x"), "still readable");
  EXPECT_NE(log().find("file header broken"), std::string::npos);
}

TEST_F(ArchiveReaderTest, SubBlockBeforeTheEntryIsRefused) {
  enableLog();
  pack::ArchiveWriter writer({.password = {}, .solid = false, .store = true});
  writer.addEntry("before", bytesOf("1"));
  writer.addBlock(archive::kSubBlockType);
  writer.addEntry("after", bytesOf("2"));
  write(archive_testing::build(writer));
  EXPECT_EQ(extract("before"), "1");
  EXPECT_EQ(extract("after"), std::nullopt);
  EXPECT_NE(log().find("Sorry, sub-headers not supported."), std::string::npos);
}

TEST_F(ArchiveReaderTest, ChecksVersionAndCrc) {
  enableLog();
  Bytes bytes = storedArchive({{"new", "data"}, {"old", "data"}, {"crc", "data"}, {"v13", "lowest version"}});
  editFileHeader(bytes, 0, [](BlockHeader& h) { h.version = 29; });
  editFileHeader(bytes, 1, [](BlockHeader& h) { h.version = 12; });
  editFileHeader(bytes, 2, [](BlockHeader& h) { h.fileCrc = 0x12345678; });
  editFileHeader(bytes, 3, [](BlockHeader& h) { h.version = 13; });
  write(bytes);
  EXPECT_EQ(extract("new"), std::nullopt);
  EXPECT_EQ(extract("old"), std::nullopt);
  EXPECT_NE(log().find("unknown compression method"), std::string::npos);
  EXPECT_EQ(extract("crc"), std::nullopt);
  EXPECT_NE(log().find("CRC32 error - file couldn't be decompressed correctly!"), std::string::npos);
  EXPECT_EQ(extract("v13"), "lowest version");
}

TEST_F(ArchiveReaderTest, EncryptedStoredEntriesOfAnySize) {
  const std::string password = "0123456789abcdefg";
  pack::ArchiveWriter writer({.password = password, .solid = false, .store = true});
  for (std::size_t size : {0, 1, 5, 15, 16, 17, 33, 70000}) {
    Bytes data;
    for (std::size_t i = 0; i < size; ++i) data.push_back(std::uint8_t(i * 7 + size));
    writer.addEntry("e" + std::to_string(size), data);
  }
  write(archive_testing::build(writer));
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
  write(storedArchive({{"plain", "not encrypted"}}));
  EXPECT_EQ(extract("plain", "some password"), "not encrypted");
}

TEST_F(ArchiveReaderTest, OldCipherIsNotApplied) {
  enableLog();
  Bytes bytes = storedArchive({{"x", "sixteen bytes!!!"}}, "pw");
  editFileHeader(bytes, 0, [](BlockHeader& h) { h.version = 15; });
  write(bytes);
  EXPECT_EQ(extract("x", "pw"), std::nullopt);
  EXPECT_NE(log().find("Old Crypt() not supported!"), std::string::npos);
}

TEST_F(ArchiveReaderTest, LongNames) {
  const std::string name255(255, 'n');
  const std::string longName = std::string(600, 'L') + "/tail.bin";
  Bytes bytes = storedArchive({{name255, "255"}, {"placeholder", "long"}});
  archive_testing::renameEntry(bytes, 1, longName);
  write(bytes);
  EXPECT_EQ(extract(name255), "255");
  EXPECT_EQ(extract(std::string(254, 'n')), std::nullopt);
  EXPECT_EQ(extract(longName), "long");
  EXPECT_EQ(extract(std::string(600, 'L')), std::nullopt);

  const std::string archive255 = std::string(251, 'a') + ".dat";
  write(storedArchive({{"x", "in a long-named archive"}}), archive255);
  EXPECT_EQ(extract("x", nullptr, archive255), "in a long-named archive");
  EXPECT_EQ(extract("x", nullptr, std::string(5000, 'b')), std::nullopt);
}

TEST_F(ArchiveReaderTest, DamagedHeadersEndInFailure) {
  writeEdited("data", [](BlockHeader& h) { h.size = 6; }, "tiny.dat");
  EXPECT_EQ(extract("x", nullptr, "tiny.dat"), std::nullopt);
  writeEdited("data", [](BlockHeader& h) { h.size = 20; }, "short.dat");
  EXPECT_EQ(extract("x", nullptr, "short.dat"), std::nullopt);
  writeEdited("data", [](BlockHeader& h) { h.nameSize = 60000; }, "name.dat");
  EXPECT_EQ(extract("x", nullptr, "name.dat"), std::nullopt);

  writeEdited("data", [](BlockHeader& h) { h.packedSize = 0xFFFFFFF0u; }, "packed.dat");
  EXPECT_EQ(extract("x", nullptr, "packed.dat"), "data");  // the data itself is all there
  EXPECT_EQ(extract("y", nullptr, "packed.dat"), std::nullopt);

  writeEdited("data", [](BlockHeader& h) { h.unpackedSize = 0xFFFFFFF0u; }, "huge.dat");
  EXPECT_EQ(extract("x", nullptr, "huge.dat"), std::nullopt);

  pack::ArchiveWriter writer;
  writer.addPackedEntry("x", Bytes(64, 0), {});
  Bytes hugeCompressed = archive_testing::build(writer);
  editFileHeader(hugeCompressed, 0, [](BlockHeader& h) { h.unpackedSize = 0xFFFFFFF0u; });
  write(hugeCompressed, "hugec.dat");
  EXPECT_EQ(extract("x", nullptr, "hugec.dat"), std::nullopt);
}

TEST_F(ArchiveReaderTest, EveryTruncationFailsAlsoInMemory) {
  const std::string text = "the entry's contents, long enough to cut anywhere";
  const Bytes full = storedArchive({{"first", "1"}, {"entry.bin", text}}, "pw");
  const auto whole = archive::extractFromMemory(full, "entry.bin", "pw");
  ASSERT_TRUE(whole.has_value());
  EXPECT_EQ(std::string(whole->begin(), whole->end()), text);
  for (std::size_t cut = 0; cut < full.size(); ++cut)
    EXPECT_FALSE(archive::extractFromMemory(std::span(full).first(cut), "entry.bin", "pw")) << cut;
  // The file interface reads the same bytes.
  write(Bytes(full.begin(), full.end() - 1));
  EXPECT_EQ(extract("entry.bin", "pw"), std::nullopt);
}

TEST_F(ArchiveReaderTest, ConvenienceWrapper) {
  write(storedArchive({{"x", "wrapped"}}, "pw"));
  const auto data = archive::extractEntry("X", "test.dat", "pw");
  ASSERT_TRUE(data.has_value());
  EXPECT_EQ(std::string(data->begin(), data->end()), "wrapped");
  EXPECT_FALSE(archive::extractEntry("X", "test.dat").has_value());
}

TEST_F(ArchiveReaderTest, NullArgumentsFailCleanly) {
  write(storedArchive({{"x", "data"}}));
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
  write(storedArchive({{"x", "data"}}));
  EXPECT_EQ(extract("x"), "data");
  EXPECT_FALSE(folder_.exists("temp"));
  // The decision holds for the whole process: a folder made later gets no log.
  enableLog();
  EXPECT_EQ(extract("x"), "data");
  EXPECT_FALSE(folder_.exists("temp/debug_archive.txt"));
}

TEST_F(ArchiveReaderTest, LogRecordsEachCallButNeverThePassword) {
  enableLog();
  write(storedArchive({{"Secret\\File.txt", "payload"}}, "hunter2-password"));
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
