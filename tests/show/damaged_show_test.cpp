// The real program playing damaged copies of the kit's show folder, unattended on the virtual
// clock: each plays to the end scene, says exactly what the show's messages say about the
// damage (the message boxes are written to the error stream when unattended), exits with 0 and
// leaves no unpacked file behind.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <ostream>
#include <set>
#include <sstream>
#include <string>

#include "support/run_program.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using testing_support::TempFolder;

// The folder's files are hard links to the kit's show: a damaged file is replaced.
void replace(const TempFolder& folder, const std::string& name, const std::string& bytes) {
  fs::remove(folder.file(name));
  folder.write(name, bytes);
}

std::string tgaHeader(int type, int width, int height, int bits) {
  std::string h(18, '\0');
  h[2] = static_cast<char>(type);
  h[12] = static_cast<char>(width & 0xFF);
  h[13] = static_cast<char>(width >> 8);
  h[14] = static_cast<char>(height & 0xFF);
  h[15] = static_cast<char>(height >> 8);
  h[16] = static_cast<char>(bits);
  return h;
}

struct Damage {
  const char* name;
  std::function<void(const TempFolder&)> apply;
  std::map<std::string, int> messages;  // "[caption] text" and how often
  bool readOnly = false;
};

// Test names say what a case is; so do the parameter descriptions.
void PrintTo(const Damage& damage, std::ostream* out) { *out << damage.name; }

const std::string kPackerSux = "[ERROR 42] packer sux!";
const std::string kBadPacker = "[ERROR 42] bad file packer!";

const Damage kDamages[] = {
    {"NoArchives",
     [](const TempFolder& f) {
       fs::remove(f.file("map.dat"));
       fs::remove(f.file("models.dat"));
     },
     {{kPackerSux, 11}}},
    // The last level's packed data cut short: the two before it still unpack.
    {"TruncatedArchive",
     [](const TempFolder& f) {
       const std::string whole = f.read("map.dat");
       replace(f, "map.dat", whole.substr(0, whole.size() - 1000));
     },
     {{kPackerSux, 1}}},
    {"AnotherPassword",
     [](const TempFolder& f) {
       fs::remove(f.file("map.dat"));
       const auto packed = testing_support::runProgram(
           "tolvek-pack", "c ../map.dat -p not-the-shows brae.bsp brae2.bsp brae3.bsp", f.file("maps"));
       ASSERT_EQ(packed.exitCode, 0) << packed.output;
     },
     {{kPackerSux, 3}}},
    // Without pictures the show draws untextured; only the final scene cannot do without its own.
    {"NoTextures", [](const TempFolder& f) { fs::remove_all(f.file("Textures")); },
     {{"[ERROR 42] Texture not found", 1}}},
    // A level texture and a sky face that are JPEG at their start and noise after it.
    {"CorruptJpeg",
     [](const TempFolder& f) {
       for (const char* name : {"Textures/brae/stone.jpg", "Textures/back.jpg"}) {
         std::string bytes = f.read(name).substr(0, 400);
         for (int i = 0; i < 3000; ++i) bytes += static_cast<char>((i * 7919) >> 5);
         replace(f, name, bytes);
       }
     },
     {}},
    // Sides beyond any real picture with no pixels, a depth and a type the reader has not.
    {"HostileTgaHeaders",
     [](const TempFolder& f) {
       replace(f, "Textures/part.tga", tgaHeader(2, 65535, 65535, 32));
       replace(f, "Textures/ray.tga", tgaHeader(2, 16, 16, 16) + std::string(512, '\x7f'));
       replace(f, "Textures/cyb.tga", tgaHeader(7, 16, 16, 32));
     },
     {{"[Error] Bad TGA format.", 3}, {"[Error] Bad TGA format, only supporting 24 & 32bits compressed or uncompressed.", 1}}},
    {"MissingPathFile", [](const TempFolder& f) { fs::remove(f.file("cam3.trj")); }, {}},
    {"PathOfOnePoint", [](const TempFolder& f) { replace(f, "cam.trj", "1\n10.0 40.0 -20.0\n"); }, {}},
    {"NoCharacterFolder", [](const TempFolder& f) { fs::remove_all(f.file("Doom")); }, {}},
    {"NoMusic", [](const TempFolder& f) { fs::remove(f.file("music.it")); }, {}},
    {"DamagedMusic",
     [](const TempFolder& f) {
       std::string song = f.read("music.it");
       for (std::size_t i = 0xC0; i < song.size(); i += 3) song[i] = '\xff';
       replace(f, "music.it", song.substr(0, song.size() / 2));
     },
     {}},
    {"NoScrollText", [](const TempFolder& f) { fs::remove(f.file("scroll.txt")); },
     {{"[Error] Cannot read the file", 1}}},
    {"MissingPainting",
     [](const TempFolder& f) { fs::remove(f.file("Textures/Morvan/Looking_at_Eternity_Initial_r.jpg")); },
     {{"[ERROR 42] Texture not found", 1}}},
    {"ReadOnlyFolder", [](const TempFolder&) {}, {{kBadPacker, 11}}, true},
    {"DataIsAFile",
     [](const TempFolder& f) {
       fs::remove_all(f.file("data"));
       f.write("data", "not a folder");
     },
     {{kBadPacker, 11}}},
};

class DamagedShow : public ::testing::TestWithParam<Damage> {};

// How many frames of the end scene the --stats table counts (0 when it has no row).
int endSceneFrames(const std::string& output) {
  std::istringstream lines(output);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    int state = -2, frames = 0;
    std::string word1, word2;
    if (fields >> state >> word1 >> word2 >> frames && state == 6 && word1 == "end") return frames;
  }
  return 0;
}

std::map<std::string, int> messagesIn(const std::string& output) {
  std::map<std::string, int> messages;
  std::istringstream lines(output);
  std::string line;
  while (std::getline(lines, line))
    if (!line.empty() && line[0] == '[') ++messages[line];
  return messages;
}

TEST_P(DamagedShow, PlaysToItsEndWithTheShowsMessagesOnly) {
  TempFolder folder;
  if (!folder.linkKitShow()) GTEST_SKIP() << "needs the kit's show folder (make show, or TOLVEK_SHOW_DIR)";
  const Damage& damage = GetParam();
  damage.apply(folder);
  const std::set<std::string> before = folder.allEntries();
  const std::string dataFile = fs::is_regular_file(folder.file("data")) ? folder.read("data") : "";

  std::string launcher;
  TempFolder access;
  if (damage.readOnly) {
    fs::permissions(folder.path(), fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                       fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    // Root writes everywhere: the run is then made by nobody, with a copy of the display's key.
    if (::getuid() == 0) {
      fs::permissions(access.path(), fs::perms::all & ~fs::perms::others_write & ~fs::perms::group_write);
      const char* key = std::getenv("XAUTHORITY");
      if (key && fs::exists(key)) {
        fs::copy_file(key, access.file("key"));
        fs::permissions(access.file("key"), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
        launcher = "env XAUTHORITY='" + access.file("key") + "' ";
      }
      launcher += "setpriv --reuid=65534 --regid=65534 --clear-groups";
    }
  }
  const auto result = testing_support::runProgram("tolvek", "--unattended --fps 2 --mode 320x240 --stats",
                                                  folder.path(), launcher);
  if (damage.readOnly) fs::permissions(folder.path(), fs::perms::owner_all, fs::perm_options::add);

  EXPECT_EQ(result.exitCode, 0) << result.output;
  EXPECT_EQ(messagesIn(result.output), damage.messages) << result.output;
  EXPECT_GT(endSceneFrames(result.output), 100) << "the show reaches its end scene\n" << result.output;
  EXPECT_EQ(folder.allEntries(), before) << "nothing unpacked is left, nothing there is lost";
  if (!dataFile.empty()) {
    EXPECT_EQ(folder.read("data"), dataFile);
  }
}

INSTANTIATE_TEST_SUITE_P(Damages, DamagedShow, ::testing::ValuesIn(kDamages),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
