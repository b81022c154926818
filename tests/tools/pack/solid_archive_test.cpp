// Solid archives: entries continue the previous entry's window and tables, so the reader
// has to unpack every entry before the one it is asked for.
#include <gtest/gtest.h>

#include "pack/archive_writer.h"
#include "pack/sample_data.h"
#include "pack_test_helpers.h"
#include "support/temp_folder.h"

namespace {

using pack_testing::Bytes;
using pack_testing::extract;
using pack_testing::writeOrFail;
using testing_support::TempFolder;

TEST(SolidArchive, EveryEntryComesBackAndTheAbsentOneFails) {
  TempFolder folder;
  const Bytes text = pack::sampleText(90000, 61);
  const Bytes audio = pack::sampleAudio(60000, 2, 62);
  const Bytes noise = pack::sampleNoise(5000, 63);
  // Mostly a copy of the first entry: only the shared window makes it small.
  Bytes again = pack_testing::concat({Bytes(text.begin() + 1000, text.end()), pack::sampleText(3000, 64)});
  const Bytes binary = pack::sampleBinary(70000, 65);
  for (const char* password : {"", "solid and secret"}) {
    SCOPED_TRACE(password);
    pack::ArchiveWriter writer({.password = password, .solid = true, .store = false});
    ASSERT_TRUE(writer.addEntry("models\\text.txt", text));
    ASSERT_TRUE(writer.addEntry("models\\audio.raw", audio));
    ASSERT_TRUE(writer.addEntry("noise.raw", noise));
    ASSERT_TRUE(writer.addEntry("empty.txt", {}));
    ASSERT_TRUE(writer.addEntry("again.txt", again));
    ASSERT_TRUE(writer.addEntry("binary.bin", binary));
    const std::string path = folder.file(std::string("solid") + (*password ? "_locked" : "") + ".dat");
    writeOrFail(writer, path);

    const auto& e = writer.entries();
    EXPECT_EQ(e[0].method, archive::kMethodCompressed);
    EXPECT_EQ(e[0].flags & archive::kEntrySolid, 0);  // the first one starts afresh
    EXPECT_TRUE(e[1].flags & archive::kEntrySolid);
    EXPECT_EQ(e[2].method, archive::kMethodStored);
    EXPECT_EQ(e[3].method, archive::kMethodStored);
    EXPECT_TRUE(e[4].flags & archive::kEntrySolid);
    EXPECT_LT(e[4].packedSize, 3000u);
    EXPECT_GE(writer.stats().successorTables, 2u);  // text -> audio -> text at least

    const char* pw = *password ? password : nullptr;
    EXPECT_EQ(extract(path, "Models/Text.txt", pw), text);
    EXPECT_EQ(extract(path, "models/audio.raw", pw), audio);
    EXPECT_EQ(extract(path, "noise.raw", pw), noise);
    EXPECT_EQ(extract(path, "empty.txt", pw), Bytes{});
    EXPECT_EQ(extract(path, "again.txt", pw), again);
    EXPECT_EQ(extract(path, "binary.bin", pw), binary);
    EXPECT_EQ(extract(path, "not_there.txt", pw), std::nullopt);
  }
}

TEST(SolidArchive, WindowWrapsAcrossEntries) {
  // More than the window passes between the two copies of `first`: the third entry cannot
  // reach back to the first and must stand on its own, while the reader's window wraps in
  // the middle of the chain.
  TempFolder folder;
  const Bytes first = pack::sampleBinary(100000, 91);
  const Bytes filler(1u << 20, 0x20);
  const Bytes tail = pack::sampleText(20000, 92);
  pack::ArchiveWriter writer({.password = "wrap", .solid = true, .store = false});
  ASSERT_TRUE(writer.addEntry("first.bin", first));
  ASSERT_TRUE(writer.addEntry("filler.txt", filler));
  ASSERT_TRUE(writer.addEntry("again.bin", first));
  ASSERT_TRUE(writer.addEntry("tail.txt", tail));
  writeOrFail(writer, folder.file("wrap.dat"));
  EXPECT_GT(writer.entries()[2].packedSize, writer.entries()[0].packedSize * 9 / 10);
  EXPECT_EQ(extract(folder.file("wrap.dat"), "again.bin", "wrap"), first);
  EXPECT_EQ(extract(folder.file("wrap.dat"), "tail.txt", "wrap"), tail);
  EXPECT_EQ(extract(folder.file("wrap.dat"), "filler.txt", "wrap"), filler);
}

TEST(SolidArchive, SecondEntryKeepsTheFirstEntrysTables) {
  TempFolder folder;
  // A text and a short continuation of it: new tables would cost more than they save.
  const Bytes text = pack::sampleText(36000, 71);
  const Bytes first(text.begin(), text.begin() + 30000);
  const Bytes second(text.begin() + 30000, text.end());
  pack::ArchiveWriter writer({.password = "", .solid = true, .store = false});
  ASSERT_TRUE(writer.addEntry("first.txt", first));
  ASSERT_TRUE(writer.addEntry("second.txt", second));
  writeOrFail(writer, folder.file("kept.dat"));
  EXPECT_EQ(writer.stats().tableSets, 1u);
  EXPECT_EQ(writer.stats().successorTables, 0u);
  EXPECT_TRUE(writer.entries()[1].flags & archive::kEntrySolid);
  EXPECT_EQ(extract(folder.file("kept.dat"), "second.txt"), second);
  EXPECT_EQ(extract(folder.file("kept.dat"), "first.txt"), first);
}

TEST(SolidArchive, SuccessorTablesSurviveEveryStreamSize) {
  // The packed size of the first entry walks across the end of the reader's first input
  // buffer (8 KiB); the audio entry after it needs the tables sent at the first one's end.
  TempFolder folder;
  const Bytes text = pack::sampleText(60000, 81);
  const Bytes audio = pack::sampleAudio(3000, 1, 82);
  // Find a text length whose stream ends just past 8164 bytes, then walk around it.
  auto packedSize = [&](size_t length, pack::ArchiveWriter& writer) {
    writer.addEntry("text", Bytes(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(length)));
    writer.addEntry("audio", audio);
    writer.buildArchive();
    return writer.entries()[0].packedSize;
  };
  size_t guess = 30000;
  for (int step = 0; step < 3; ++step) {  // packed size grows almost linearly with the length
    pack::ArchiveWriter probe({.password = "", .solid = true, .store = false});
    guess = guess * 8178 / packedSize(guess, probe);
  }
  const size_t lo = guess;
  int nearTheEdge = 0;
  for (size_t length = lo - 90; length < lo + 90; length += 6) {
    SCOPED_TRACE(length);
    pack::ArchiveWriter writer({.password = "", .solid = true, .store = false});
    const std::uint32_t size = packedSize(length, writer);
    ASSERT_TRUE(writer.entries()[1].flags & archive::kEntrySolid);
    EXPECT_EQ(writer.stats().successorTables, 1u);
    if (size >= 8100 && size <= 8240) ++nearTheEdge;
    writeOrFail(writer, folder.file("edge.dat"));
    EXPECT_EQ(extract(folder.file("edge.dat"), "audio"), audio);
  }
  EXPECT_GT(nearTheEdge, 20);  // the walk did cross the buffer end
}

}  // namespace
