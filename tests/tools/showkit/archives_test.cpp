// The show's two archives: every entry the loading sequence asks for comes back, byte for
// byte, through the demo's own reader with the show's password, and only with it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "archive/archive_reader.h"
#include "show_folder.h"
#include "show_kit.h"
#include "support/temp_folder.h"

namespace {

using testing_support::TempFolder;

const std::vector<std::string> kModelEntries = {"terrain.raw", "terrain.jpg", "chelou.md3", "chelou.skin",
                                                "quadmap2.tga", "boat.md3", "boat.skin", "barque.jpg"};
const std::vector<std::string> kMapEntries = {"brae.bsp", "brae2.bsp", "brae3.bsp"};

std::string contentFor(const std::string& name, int size) {
  std::string bytes;
  for (int i = 0; i < size; ++i) bytes.push_back(static_cast<char>((i * 31 + name.size() * 7 + (i >> 5)) & 0xff));
  return name + bytes;
}

TEST(ShowArchives, EveryEntryExtractsWithThePasswordAndOnlyWithIt) {
  TempFolder staging;
  for (const auto& e : kModelEntries) staging.write("models/" + e, contentFor(e, 3000));
  for (const auto& e : kMapEntries) staging.write("maps/" + e, contentFor(e, 20000));
  showkit::ShowFolder folder(staging.path());
  showkit::writeArchives(folder);
  EXPECT_TRUE(folder.failures().empty());

  auto check = [&](const std::string& archive, const std::vector<std::string>& entries, int size) {
    const std::string path = staging.file(archive);
    for (const auto& e : entries) {
      auto bytes = archive::extractEntry(e, path, "tamisu");
      ASSERT_TRUE(bytes.has_value()) << archive << ": " << e;
      EXPECT_EQ(std::string(bytes->begin(), bytes->end()), contentFor(e, size)) << e;
      EXPECT_FALSE(archive::extractEntry(e, path, "").has_value()) << e << " is not encrypted";
      EXPECT_FALSE(archive::extractEntry(e, path, "tamisv").has_value()) << e;
    }
  };
  check("models.dat", kModelEntries, 3000);
  check("map.dat", kMapEntries, 20000);
  EXPECT_FALSE(archive::extractEntry("moine.md3", staging.file("models.dat"), "tamisu").has_value());
}

TEST(ShowArchives, AMissingStagedFileIsReportedAndTheRestStillPacked) {
  TempFolder staging;
  for (const auto& e : kMapEntries)
    if (e != "brae2.bsp") staging.write("maps/" + e, contentFor(e, 100));
  showkit::ShowFolder folder(staging.path());
  showkit::writeArchives(folder);
  ASSERT_FALSE(folder.failures().empty());
  bool named = false;
  for (const auto& f : folder.failures()) named = named || f.find("brae2.bsp") != std::string::npos;
  EXPECT_TRUE(named);
  EXPECT_TRUE(archive::extractEntry("brae3.bsp", staging.file("map.dat"), "tamisu").has_value());
}

}  // namespace
