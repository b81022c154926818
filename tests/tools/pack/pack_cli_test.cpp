// The tolvek-pack command line: exit codes, messages and what it leaves on disk.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/temp_folder.h"

namespace {

using testing_support::TempFolder;

struct ToolRun {
  int exitCode;
  std::string output;  // standard output and standard error together
};

std::string quote(const std::string& s) { return "'" + s + "'"; }

ToolRun pack(const std::string& arguments) {
  const char* bin = std::getenv("TOLVEK_BIN");
  const std::string command = std::string(bin ? bin : "bin") + "/tolvek-pack " + arguments + " 2>&1";
  ToolRun run{-1, {}};
  std::FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return run;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, n);
  const int status = ::pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

class PackCli : public ::testing::Test {
 protected:
  void SetUp() override {
    folder.write("data/a.txt", std::string(3000, 'a') + "tail of a");
    folder.write("data/b.bin", "bee");
  }
  std::string at(const std::string& name) const { return quote(folder.file(name)); }
  TempFolder folder;
};

TEST_F(PackCli, CreateListExtract) {
  const ToolRun created = pack("c " + at("x.dat") + " -p secret --solid " + at("data/a.txt") + " " + at("data/b.bin"));
  ASSERT_EQ(created.exitCode, 0) << created.output;

  const ToolRun listed = pack("l " + at("x.dat"));
  EXPECT_EQ(listed.exitCode, 0) << listed.output;
  EXPECT_NE(listed.output.find("solid archive, 2 entries"), std::string::npos) << listed.output;
  EXPECT_NE(listed.output.find(folder.file("data/a.txt")), std::string::npos);
  EXPECT_NE(listed.output.find("3009"), std::string::npos);
  EXPECT_NE(listed.output.find("stored E"), std::string::npos);  // b.bin: too small to pack

  const ToolRun extracted =
      pack("x " + at("x.dat") + " " + quote(folder.file("DATA/A.TXT")) + " -p secret -o " + at("out.txt"));
  EXPECT_EQ(extracted.exitCode, 0) << extracted.output;
  EXPECT_EQ(folder.read("out.txt"), std::string(3000, 'a') + "tail of a");
}

// Without an entry name, x extracts every entry under the folder: the names' folders are
// made, a root is dropped, and a name that would climb out of the folder is skipped.
TEST_F(PackCli, ExtractingEveryEntryStaysInsideTheFolder) {
  const std::string climbing = folder.file("data") + "/../data/b.bin";
  ASSERT_EQ(pack("c " + at("x.dat") + " -p secret " + at("data/a.txt") + " " + quote(climbing)).exitCode, 0);
  const ToolRun all = pack("x " + at("x.dat") + " -p secret -o " + at("out"));
  EXPECT_EQ(all.exitCode, 1) << all.output;  // the climbing name is refused
  EXPECT_NE(all.output.find("names no file inside the folder"), std::string::npos) << all.output;
  EXPECT_EQ(folder.read("out" + folder.file("data/a.txt")), std::string(3000, 'a') + "tail of a");

  ASSERT_EQ(pack("c " + at("y.dat") + " " + at("data/b.bin")).exitCode, 0);
  const ToolRun plain = pack("x " + at("y.dat") + " -o " + at("plain"));
  EXPECT_EQ(plain.exitCode, 0) << plain.output;
  EXPECT_EQ(folder.read("plain" + folder.file("data/b.bin")), "bee");
}

TEST_F(PackCli, FailedExtractionLeavesNoFile) {
  ASSERT_EQ(pack("c " + at("x.dat") + " -p secret " + at("data/a.txt")).exitCode, 0);
  const int before = folder.entryCount();
  const ToolRun wrongPassword = pack("x " + at("x.dat") + " " + at("data/a.txt") + " -p Secret -o " + at("out.txt"));
  EXPECT_EQ(wrongPassword.exitCode, 1);
  EXPECT_NE(wrongPassword.output.find("cannot extract"), std::string::npos) << wrongPassword.output;
  const ToolRun absent = pack("x " + at("x.dat") + " nothing.txt -p secret -o " + at("out.txt"));
  EXPECT_EQ(absent.exitCode, 1);
  const ToolRun noArchive = pack("x " + at("none.dat") + " a.txt -o " + at("out.txt"));
  EXPECT_EQ(noArchive.exitCode, 1);
  EXPECT_FALSE(folder.exists("out.txt"));
  EXPECT_EQ(folder.entryCount(), before);  // no temporary leftovers either
}

TEST_F(PackCli, BadUsageAndUnreadableInput) {
  EXPECT_EQ(pack("").exitCode, 2);
  EXPECT_EQ(pack("q " + at("x.dat")).exitCode, 2);
  EXPECT_EQ(pack("c " + at("x.dat")).exitCode, 2);                          // no files
  EXPECT_EQ(pack("x " + at("x.dat") + " a.txt").exitCode, 2);              // no -o
  EXPECT_EQ(pack("c " + at("x.dat") + " --fast " + at("data/a.txt")).exitCode, 2);
  const ToolRun dangling = pack("c " + at("x.dat") + " -p");
  EXPECT_EQ(dangling.exitCode, 2);
  EXPECT_NE(dangling.output.find("needs a value"), std::string::npos);

  const ToolRun missing = pack("c " + at("x.dat") + " " + at("data/a.txt") + " " + at("data/missing.txt"));
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.output.find("cannot read"), std::string::npos) << missing.output;
  EXPECT_FALSE(folder.exists("x.dat"));

  folder.write("junk.dat", "this is not an archive");
  EXPECT_EQ(pack("l " + at("junk.dat")).exitCode, 1);
  EXPECT_EQ(pack("l " + at("none.dat")).exitCode, 1);
}

}  // namespace
