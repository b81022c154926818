#include "platform/file_system.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace {

using testing_support::ScopedWorkingDirectory;
using testing_support::TempFolder;

TEST(FileSystem, FolderAndFileOperationsGoThroughTheResolver) {
  TempFolder folder;
  ScopedWorkingDirectory cwd(folder.path());
  ASSERT_TRUE(platform::createFolder("Data"));
  EXPECT_FALSE(platform::createFolder("data"));  // already there in another case
  ASSERT_TRUE(platform::createFolder("DATA\\map"));
  EXPECT_TRUE(folder.exists("Data/map"));

  const char bytes[] = "level";
  ASSERT_TRUE(platform::writeWholeFile("data\\MAP\\brae.bsp", bytes, 5));
  EXPECT_EQ(folder.read("Data/map/brae.bsp"), "level");
  EXPECT_TRUE(platform::fileExists("DATA/MAP/BRAE.BSP"));
  EXPECT_FALSE(platform::folderExists("DATA/MAP/BRAE.BSP"));

  EXPECT_FALSE(platform::removeFolder("data\\map"));  // not empty: it stays
  EXPECT_TRUE(platform::deleteFile("data\\map\\Brae.bsp"));
  EXPECT_FALSE(platform::deleteFile("data\\map\\Brae.bsp"));
  EXPECT_TRUE(platform::removeFolder("data\\map"));
  EXPECT_TRUE(platform::removeFolder("data"));
  EXPECT_EQ(folder.entryCount(), 0);
}

TEST(FileSystem, CreateFoldersMakesEveryLevelAndReadWholeFileReportsMissingFiles) {
  TempFolder folder;
  ScopedWorkingDirectory cwd(folder.path());
  EXPECT_TRUE(platform::createFolders("a/b/c"));
  EXPECT_TRUE(platform::createFolders("A/B/C/d"));
  EXPECT_TRUE(folder.exists("a/b/c/d"));
  EXPECT_FALSE(platform::readWholeFile("a/none.bin").has_value());
  auto empty = platform::readWholeFile("a/b");  // a folder cannot be read as a file
  EXPECT_FALSE(empty.has_value() && !empty->empty());
  folder.write("a/blob.bin", std::string("\0\1\2", 3));
  auto bytes = platform::readWholeFile("A\\BLOB.bin");
  ASSERT_TRUE(bytes.has_value());
  EXPECT_EQ(bytes->size(), 3u);
  EXPECT_EQ((*bytes)[2], 2);
}

TEST(FileSystem, FailedWriteLeavesNoFileBehind) {
  TempFolder folder;
  ScopedWorkingDirectory cwd(folder.path());
  EXPECT_FALSE(platform::writeWholeFile("missing/folder/file.bin", "x", 1));
  EXPECT_EQ(folder.entryCount(), 0);
}

}  // namespace
