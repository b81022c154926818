#include "platform/path_resolver.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_folder.h"

namespace {

using testing_support::ScopedWorkingDirectory;
using testing_support::TempFolder;

TEST(PathResolver, BackslashesBecomeSlashes) {
  TempFolder folder;
  ScopedWorkingDirectory cwd(folder.path());
  EXPECT_EQ(platform::resolvePath("data\\map\\brae.bsp"), "data/map/brae.bsp");
}

TEST(PathResolver, FindsEveryComponentWhateverItsCase) {
  TempFolder folder;
  folder.write("Textures/Morvan/waterfx.jpg", "x");
  ScopedWorkingDirectory cwd(folder.path());
  EXPECT_EQ(platform::resolvePath("textures\\morvan\\WaterFX.JPG"), "Textures/Morvan/waterfx.jpg");
  EXPECT_EQ(platform::resolvePath("TEXTURES/Morvan/waterfx.jpg"), "Textures/Morvan/waterfx.jpg");
  std::FILE* f = platform::openFile("TEXTURES\\MORVAN\\WATERFX.JPG", "rb");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(std::fgetc(f), 'x');
  std::fclose(f);
}

TEST(PathResolver, ExactMatchWinsAndMissingPartsStayAsWritten) {
  TempFolder folder;
  folder.write("Data/a.txt", "upper");
  folder.write("data/a.txt", "lower");
  folder.write("Doom/x", "");
  ScopedWorkingDirectory cwd(folder.path());
  EXPECT_EQ(platform::resolvePath("data/a.txt"), "data/a.txt");
  EXPECT_EQ(platform::resolvePath("Data/a.txt"), "Data/a.txt");
  // An existing folder in another case, then a file that does not exist yet.
  EXPECT_EQ(platform::resolvePath("DOOM\\New.txt"), "Doom/New.txt");
  EXPECT_EQ(platform::resolvePath("nowhere\\New.txt"), "nowhere/New.txt");
}

TEST(PathResolver, AbsoluteAndDottedPathsKeepTheirShape) {
  TempFolder folder;
  folder.write("Sub/File.bin", "");
  const std::string upper = folder.path() + "/SUB/file.BIN";
  EXPECT_EQ(platform::resolvePath(upper), folder.path() + "/Sub/File.bin");
  ScopedWorkingDirectory cwd(folder.path() + "/Sub");
  EXPECT_EQ(platform::resolvePath(".\\FILE.bin"), "./File.bin");
  EXPECT_EQ(platform::resolvePath("..\\sub\\file.bin"), "../Sub/File.bin");
  EXPECT_EQ(platform::resolvePath(""), "");
}

}  // namespace
