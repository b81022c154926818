// The content kit: writes every file the demo reads, the same bytes on every run, and
// pictures that fit how the demo draws them.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "resources/jpeg_texture.h"
#include "resources/tga_image.h"
#include "show_kit.h"
#include "support/temp_folder.h"

namespace {

using JpegPicture = resources::JpegImage;
using testing_support::TempFolder;

// The texture table in its order, then the pictures the scenes load by name.
const std::vector<std::string> kTableFiles = {
    "Textures/Loving.tga", "Textures/Tolvek.tga", "Textures/Title.tga", "Textures/Glass.jpg",
    "Textures/Where.tga",  "Textures/Doing.tga",  "Textures/Guys.tga",  "Textures/Thing.tga",
    "Textures/Going.tga",  "Textures/ray.tga",    "Textures/cyb.tga",   "Textures/cybmask.tga",
    "Textures/waves.jpg",  "Textures/back.jpg",   "Textures/front.jpg", "Textures/bottom.jpg",
    "Textures/top.jpg",    "Textures/left.jpg",   "Textures/right.jpg", "Textures/sphere.jpg",
    "Textures/barre.jpg",  "Textures/Morvan/waterfx.jpg", "Textures/tolvek-loader.jpg",
    "Textures/scroll.jpg"};
const std::vector<std::string> kSceneFiles = {
    "Textures/alpha.jpg", "Textures/bump.jpg", "Textures/part.tga", "Textures/Detail.jpg",
    "Textures/Morvan/Looking_at_Eternity_Initial_r.jpg",
    "Textures/Morvan/Ysel_has_always_this_thing_r.jpg", "Demo.conf", "scroll.txt"};

std::vector<std::string> allFiles() {
  std::vector<std::string> files = kTableFiles;
  files.insert(files.end(), kSceneFiles.begin(), kSceneFiles.end());
  return files;
}

// Every regular file under root, by relative path, with its bytes.
std::map<std::string, std::vector<std::uint8_t>> snapshot(const std::string& root) {
  std::map<std::string, std::vector<std::uint8_t>> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file()) continue;
    const std::string relative = std::filesystem::relative(entry.path(), root).string();
    files[relative] = platform::readWholeFile(entry.path().string()).value_or(std::vector<std::uint8_t>{});
  }
  return files;
}

std::string kitBinary() {
  const char* bin = std::getenv("TOLVEK_BIN");
  return std::string(bin ? bin : "bin") + "/tolvek-showkit";
}

int runKit(const std::string& arguments) {
  const int status = std::system((kitBinary() + " " + arguments + " >/dev/null 2>&1").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// One show written in-process per test program run (the kit takes a few seconds, and each
// test case below runs in a process of its own).
struct WrittenShow {
  std::unique_ptr<TempFolder> folder;
  bool ok = false;
  std::vector<std::string> failures;
};
WrittenShow show;

std::string path(const std::string& name) { return show.folder->file(name); }

// Through the demo's own decoder.
JpegPicture jpeg(const std::string& name) {
  JpegPicture picture;
  EXPECT_TRUE(resources::decodeJpegFile(path(name), picture)) << name;
  return picture;
}

resources::TgaImage tga(const std::string& name) {
  const auto bytes = platform::readWholeFile(path(name)).value_or(std::vector<std::uint8_t>{});
  const resources::TgaDecodeResult result = resources::decodeTga(bytes);
  EXPECT_EQ(result.status, resources::TgaStatus::Ok) << name;
  return result.image;
}

class ShowKitTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    show.folder = std::make_unique<TempFolder>();
    showkit::ShowFolder folder(show.folder->path());
    show.ok = showkit::writeShow(folder);
    show.failures = folder.failures();
  }
  static void TearDownTestSuite() { show.folder.reset(); }
};

bool isPowerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }

double channelMean(const JpegPicture& p) {
  double sum = 0;
  for (std::uint8_t v : p.pixels) sum += v;
  return p.pixels.empty() ? 0 : sum / static_cast<double>(p.pixels.size());
}

double channelSpread(const JpegPicture& p) {
  const double mean = channelMean(p);
  double sum = 0;
  for (std::uint8_t v : p.pixels) sum += (v - mean) * (v - mean);
  return p.pixels.empty() ? 0 : std::sqrt(sum / static_cast<double>(p.pixels.size()));
}

// Mean absolute difference between columns a and b (all channels).
double columnDifference(const JpegPicture& p, int a, int b) {
  double sum = 0;
  for (int y = 0; y < p.height; ++y)
    for (int c = 0; c < p.components; ++c) sum += std::abs(p.at(a, y)[c] - p.at(b, y)[c]);
  return sum / (p.height * p.components);
}

double rowDifference(const JpegPicture& p, int a, int b) {
  double sum = 0;
  for (int x = 0; x < p.width; ++x)
    for (int c = 0; c < p.components; ++c) sum += std::abs(p.at(x, a)[c] - p.at(x, b)[c]);
  return sum / (p.width * p.components);
}

void checkWritesEveryFileTheDemoReads() {
  EXPECT_TRUE(show.ok);
  for (const std::string& failure : show.failures) ADD_FAILURE() << failure;
  for (const std::string& name : allFiles()) {
    ASSERT_TRUE(show.folder->exists(name)) << name;
    EXPECT_GT(std::filesystem::file_size(path(name)), 16u) << name;
  }
  // One picture folder only, however the table spells it.
  EXPECT_FALSE(std::filesystem::exists(path("Textures/morvan")));
}

void checkTheProgramWritesTheSameBytesAsEveryOtherRun() {
  TempFolder second;
  ASSERT_EQ(runKit(second.path()), 0);
  const auto first = snapshot(show.folder->path());
  const auto again = snapshot(second.path());
  ASSERT_EQ(first.size(), again.size());
  for (const auto& [name, bytes] : first) {
    auto other = again.find(name);
    ASSERT_NE(other, again.end()) << name;
    EXPECT_TRUE(bytes == other->second) << name << " differs between runs";
  }
}

void checkTheProgramRefusesBadArgumentsAndUnwritableFolders() {
  EXPECT_EQ(runKit(""), 2);
  EXPECT_EQ(runKit("a b"), 2);
  TempFolder blocker;
  blocker.write("file", "not a folder");
  EXPECT_EQ(runKit(blocker.file("file") + "/show"), 1);
  EXPECT_EQ(blocker.read("file"), "not a folder");
}

void checkMissingFontsAreReportedAndTheRestIsWritten() {
  TempFolder noFonts, out;
  ::setenv("TOLVEK_FONT_DIR", noFonts.path().c_str(), 1);
  showkit::ShowFolder folder(out.path());
  showkit::writeOverlayPictures(folder);
  ::unsetenv("TOLVEK_FONT_DIR");
  ASSERT_FALSE(folder.failures().empty());
  EXPECT_NE(folder.failures()[0].find("fonts-liberation2"), std::string::npos) << folder.failures()[0];
  EXPECT_TRUE(out.exists("Textures/barre.jpg"));
  EXPECT_FALSE(out.exists("Textures/Loving.tga"));
}

void checkDemoConfHoldsEightWordsWithTheShowsSettings() {
  const std::string text = show.folder->read("Demo.conf");
  std::istringstream words(text);
  std::vector<std::string> w;
  for (std::string word; words >> word;) w.push_back(word);
  ASSERT_EQ(w.size(), 8u);
  EXPECT_EQ(w[1], "Tolvek");
  EXPECT_FLOAT_EQ(std::strtof(w[3].c_str(), nullptr), 60.0f);
  EXPECT_NEAR(std::strtof(w[5].c_str(), nullptr), 16.0f / 9.0f, 0.001f);
  EXPECT_EQ(std::atoi(w[7].c_str()), 0);
  for (int value : {3, 5, 7}) EXPECT_LE(w[value].size(), 11u) << "value words pass a 12-byte buffer";
}

void checkTextFilesHaveWindowsLineEnds() {
  for (const std::string name : {"scroll.txt", "Demo.conf"}) {
    const std::string text = show.folder->read(name);
    ASSERT_GE(text.size(), 2u) << name;
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n") << name;
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\n') {
        EXPECT_TRUE(i > 0 && text[i - 1] == '\r') << name << " at " << i;
      }
      if (text[i] == '\r') {
        EXPECT_TRUE(i + 1 < text.size() && text[i + 1] == '\n') << name << " at " << i;
      }
    }
  }
  EXPECT_NE(show.folder->read("scroll.txt").find("greetings"), std::string::npos);
}

void checkEveryJpegIsAColourPictureOfSensibleSize() {
  for (const std::string& name : allFiles()) {
    if (name.size() < 4 || name.substr(name.size() - 4) != ".jpg") continue;
    const JpegPicture p = jpeg(name);
    // A greyscale file would load as a texture without an image.
    EXPECT_EQ(p.components, 3) << name;
    EXPECT_GE(std::min(p.width, p.height), 32) << name;
    EXPECT_LE(std::max(p.width, p.height), 1024) << name;
    EXPECT_GT(channelSpread(p), 4.0) << name << " is flat";
  }
}

void checkRepeatingPicturesTileAtPowerOfTwoSizes() {
  for (const std::string name : {"Textures/alpha.jpg", "Textures/bump.jpg", "Textures/waves.jpg",
                                 "Textures/Glass.jpg", "Textures/Morvan/waterfx.jpg",
                                 "Textures/Detail.jpg", "Textures/sphere.jpg"}) {
    const JpegPicture p = jpeg(name);
    ASSERT_GT(p.width, 2) << name;
    EXPECT_TRUE(isPowerOfTwo(p.width) && isPowerOfTwo(p.height)) << name;
    // Across the wrap the picture changes no more than between neighbouring columns.
    double inside = 0;
    for (int x = 0; x + 1 < p.width; ++x) inside += columnDifference(p, x, x + 1);
    inside /= p.width - 1;
    EXPECT_LT(columnDifference(p, p.width - 1, 0), inside * 2.5 + 2) << name << " has a seam in s";
    if (name == std::string("Textures/sphere.jpg") || name == std::string("Textures/Glass.jpg"))
      continue;  // wrapped around once only
    double insideRows = 0;
    for (int y = 0; y + 1 < p.height; ++y) insideRows += rowDifference(p, y, y + 1);
    insideRows /= p.height - 1;
    EXPECT_LT(rowDifference(p, p.height - 1, 0), insideRows * 2.5 + 2) << name << " has a seam in t";
  }
}

void checkTheDetailTextureAveragesMidGrey() {
  const JpegPicture p = jpeg("Textures/Detail.jpg");
  EXPECT_NEAR(channelMean(p), 128.0, 6.0);
  EXPECT_GT(channelSpread(p), 8.0);
}

void checkTheCreditsAreTallWithTheTitleAtTheTop() {
  const JpegPicture p = jpeg("Textures/scroll.jpg");
  EXPECT_EQ(p.height, 2 * p.width);
  // The title line is the warmest text: it must come first from the top.
  int firstWarm = -1;
  for (int y = 0; y < p.height && firstWarm < 0; ++y)
    for (int x = 0; x < p.width; ++x) {
      const std::uint8_t* c = p.at(x, y);
      if (c[0] > 180 && c[0] > c[2] + 60) {
        firstWarm = y;
        break;
      }
    }
  EXPECT_GE(firstWarm, 0);
  EXPECT_LT(firstWarm, p.height / 4);
  // Text fills the picture; the top and bottom rows stay black, so the scroll starts clean.
  EXPECT_LT(channelMean(p), 60.0);
  for (int x = 0; x < p.width; ++x) {
    EXPECT_LT(p.at(x, 0)[0], 24);
    EXPECT_LT(p.at(x, p.height - 1)[0], 24);
  }
}

void checkOverlayAndSpritePicturesCarryRealAlpha() {
  for (const std::string name : {"Textures/Loving.tga", "Textures/Tolvek.tga", "Textures/Title.tga",
                                 "Textures/Where.tga", "Textures/Doing.tga", "Textures/Guys.tga",
                                 "Textures/Thing.tga", "Textures/Going.tga", "Textures/ray.tga",
                                 "Textures/part.tga"}) {
    const resources::TgaImage image = tga(name);
    ASSERT_EQ(image.bits, 32) << name;
    int clear = 0, solid = 0;
    for (size_t i = 3; i < image.pixels.size(); i += 4) {
      clear += image.pixels[i] < 8;
      solid += image.pixels[i] > 200;
    }
    const int n = image.width * image.height;
    EXPECT_GT(clear, n / 10) << name << ": no transparent ground";
    EXPECT_GT(solid, 0) << name << ": nothing opaque";
    // The corners are transparent, so the quads show no box.
    if (name == std::string("Textures/ray.tga")) continue;  // a veil over the whole picture
    for (int corner : {0, image.width - 1, (image.height - 1) * image.width, n - 1})
      EXPECT_LT(image.pixels[static_cast<size_t>(corner) * 4 + 3], 8) << name;
  }
}

void checkTheGlowSpriteIsRoundAndSoft() {
  const resources::TgaImage image = tga("Textures/part.tga");
  ASSERT_EQ(image.bits, 32);
  auto alpha = [&](int x, int y) { return image.pixels[(static_cast<size_t>(y) * image.width + x) * 4 + 3]; };
  const int c = image.width / 2;
  EXPECT_GT(alpha(c, c), 200);
  // Falls off the same way in every direction, without steps.
  for (int r = 1; r < c; ++r) {
    EXPECT_LE(alpha(c + r, c), alpha(c + r - 1, c) + 1) << r;
    EXPECT_NEAR(alpha(c + r - 1, c), alpha(c, c + r - 1), 3) << r;
    EXPECT_NEAR(alpha(c - r, c), alpha(c + r - 1, c), 3) << r;
  }
  EXPECT_EQ(alpha(c, 0), 0);
}

void checkTheFrameLineRunsIntoThePresentationLogo() {
  // The intro's white frame meets the logo's box 37.5 % up from its bottom edge; the logo
  // carries that line on, so its brightest row at the left end must be there. Row 0 of the
  // loaded texture is its bottom edge.
  const resources::TgaImage image = tga("Textures/Loving.tga");
  int bestRow = -1, best = -1;
  for (int y = 0; y < image.height; ++y) {
    int sum = 0;
    for (int x = 0; x < image.width / 20; ++x) sum += image.pixels[(static_cast<size_t>(y) * image.width + x) * 4 + 3];
    if (sum > best) best = sum, bestRow = y;
  }
  EXPECT_GT(best, 0);
  EXPECT_NEAR(bestRow, 0.375 * image.height, 2.0);
}

void checkTheTunnelFrameKeepsTheMiddleAndHidesTheEdges() {
  for (const std::string name : {"Textures/cyb.tga", "Textures/cybmask.tga"}) {
    const resources::TgaImage image = tga(name);
    EXPECT_EQ(image.width, 2 * image.height) << name;
  }
  const resources::TgaImage mask = tga("Textures/cybmask.tga");
  auto grey = [&](int x, int y) { return mask.pixels[(static_cast<size_t>(y) * mask.width + x) * 4]; };
  EXPECT_GT(grey(mask.width / 2, mask.height / 2), 230);
  EXPECT_LT(grey(0, 0), 60);
  EXPECT_LT(grey(mask.width - 1, mask.height / 2), 60);
  EXPECT_LT(grey(mask.width / 2, 0), 60);
  // The added frame is light only around the opening: its middle is black.
  const resources::TgaImage frame = tga("Textures/cyb.tga");
  const size_t middle = (static_cast<size_t>(frame.height / 2) * frame.width + frame.width / 2) * 4;
  EXPECT_LT(frame.pixels[middle] + frame.pixels[middle + 1] + frame.pixels[middle + 2], 6);
}

void checkTheLoaderPictureHasADarkGrooveWhereTheBarGrows() {
  const JpegPicture p = jpeg("Textures/tolvek-loader.jpg");
  // The bar covers x 0.2375 .. 0.7609 of the width and 0.4167 .. 0.4792 of the height from
  // the bottom; the picture's first row is the top of the window.
  auto meanIn = [&](double x0, double x1, double y0, double y1) {
    double sum = 0;
    int n = 0;
    for (int y = static_cast<int>(y0 * p.height); y < static_cast<int>(y1 * p.height); ++y)
      for (int x = static_cast<int>(x0 * p.width); x < static_cast<int>(x1 * p.width); ++x, ++n)
        sum += p.at(x, y)[0] + p.at(x, y)[1] + p.at(x, y)[2];
    return n ? sum / (3 * n) : 0;
  };
  const double groove = meanIn(0.25, 0.75, 1 - 0.47, 1 - 0.425);
  const double around = meanIn(0.25, 0.75, 1 - 0.60, 1 - 0.52);
  EXPECT_LT(groove, 20.0);
  EXPECT_GT(around, groove + 10);
}

// The sky box's faces as drawn: for each face, the cube corners at texture (s, t) = (0, 0),
// (1, 0) and (0, 1) of a box from -1 to 1.
struct FaceCorners {
  std::string file;
  double p00[3], p10[3], p01[3];
};

const std::vector<FaceCorners> kSkyFaces = {
    {"Textures/back.jpg", {-1, 1, -1}, {1, 1, -1}, {-1, -1, -1}},
    {"Textures/front.jpg", {1, 1, 1}, {-1, 1, 1}, {1, -1, 1}},
    {"Textures/bottom.jpg", {1, -1, 1}, {-1, -1, 1}, {1, -1, -1}},
    {"Textures/top.jpg", {1, 1, -1}, {-1, 1, -1}, {1, 1, 1}},
    {"Textures/left.jpg", {-1, 1, 1}, {-1, 1, -1}, {-1, -1, 1}},
    {"Textures/right.jpg", {1, 1, -1}, {1, 1, 1}, {1, -1, -1}},
};

void checkSkyFacesMeetAlongEveryEdge() {
  // Every edge texel of every face, keyed by the cube point it is drawn at.
  std::map<std::tuple<long, long, long>, std::vector<std::array<int, 3>>> atPoint;
  for (const FaceCorners& face : kSkyFaces) {
    const JpegPicture p = jpeg(face.file);
    ASSERT_EQ(p.width, p.height) << face.file;
    ASSERT_GT(p.width, 1);
    EXPECT_GT(channelSpread(p), 5.0) << face.file;
    const int n = p.width;
    for (int y = 0; y < n; ++y)
      for (int x = 0; x < n; ++x) {
        if (x != 0 && y != 0 && x != n - 1 && y != n - 1) continue;
        const double s = static_cast<double>(x) / (n - 1), t = static_cast<double>(y) / (n - 1);
        long key[3];
        for (int k = 0; k < 3; ++k)
          key[k] = std::lround((face.p00[k] + s * (face.p10[k] - face.p00[k]) + t * (face.p01[k] - face.p00[k])) * 4096);
        const std::uint8_t* c = p.at(x, y);
        atPoint[{key[0], key[1], key[2]}].push_back({c[0], c[1], c[2]});
      }
  }
  int shared = 0;
  double sum = 0, worst = 0;
  for (const auto& [point, colours] : atPoint) {
    if (colours.size() < 2) continue;
    ++shared;
    for (size_t i = 1; i < colours.size(); ++i)
      for (int k = 0; k < 3; ++k) {
        const double d = std::abs(colours[i][k] - colours[0][k]);
        sum += d;
        worst = std::max(worst, d);
      }
  }
  // Twelve edges of 512 texels each, corners shared by three faces.
  EXPECT_GE(shared, 12 * 500);
  EXPECT_LT(sum / (3.0 * shared), 4.0);
  EXPECT_LT(worst, 48.0);
}

// Each case runs in a process of its own and writes the show once, so related checks are
// grouped into a few cases.
TEST_F(ShowKitTest, WritesEveryFileTheSameWayOnEveryRun) {
  {
    SCOPED_TRACE("WritesEveryFileTheDemoReads");
    checkWritesEveryFileTheDemoReads();
  }
  {
    SCOPED_TRACE("TheProgramWritesTheSameBytesAsEveryOtherRun");
    checkTheProgramWritesTheSameBytesAsEveryOtherRun();
  }
  {
    SCOPED_TRACE("TheProgramRefusesBadArgumentsAndUnwritableFolders");
    checkTheProgramRefusesBadArgumentsAndUnwritableFolders();
  }
  {
    SCOPED_TRACE("MissingFontsAreReportedAndTheRestIsWritten");
    checkMissingFontsAreReportedAndTheRestIsWritten();
  }
  {
    SCOPED_TRACE("DemoConfHoldsEightWordsWithTheShowsSettings");
    checkDemoConfHoldsEightWordsWithTheShowsSettings();
  }
  {
    SCOPED_TRACE("TextFilesHaveWindowsLineEnds");
    checkTextFilesHaveWindowsLineEnds();
  }
}

TEST_F(ShowKitTest, PicturesFitHowTheDemoDrawsThem) {
  {
    SCOPED_TRACE("EveryJpegIsAColourPictureOfSensibleSize");
    checkEveryJpegIsAColourPictureOfSensibleSize();
  }
  {
    SCOPED_TRACE("RepeatingPicturesTileAtPowerOfTwoSizes");
    checkRepeatingPicturesTileAtPowerOfTwoSizes();
  }
  {
    SCOPED_TRACE("TheDetailTextureAveragesMidGrey");
    checkTheDetailTextureAveragesMidGrey();
  }
  {
    SCOPED_TRACE("TheCreditsAreTallWithTheTitleAtTheTop");
    checkTheCreditsAreTallWithTheTitleAtTheTop();
  }
  {
    SCOPED_TRACE("TheLoaderPictureHasADarkGrooveWhereTheBarGrows");
    checkTheLoaderPictureHasADarkGrooveWhereTheBarGrows();
  }
  {
    SCOPED_TRACE("OverlayAndSpritePicturesCarryRealAlpha");
    checkOverlayAndSpritePicturesCarryRealAlpha();
  }
  {
    SCOPED_TRACE("TheGlowSpriteIsRoundAndSoft");
    checkTheGlowSpriteIsRoundAndSoft();
  }
  {
    SCOPED_TRACE("TheFrameLineRunsIntoThePresentationLogo");
    checkTheFrameLineRunsIntoThePresentationLogo();
  }
  {
    SCOPED_TRACE("TheTunnelFrameKeepsTheMiddleAndHidesTheEdges");
    checkTheTunnelFrameKeepsTheMiddleAndHidesTheEdges();
  }
}

TEST_F(ShowKitTest, SkyFacesMeetAlongEveryEdge) {
  {
    SCOPED_TRACE("SkyFacesMeetAlongEveryEdge");
    checkSkyFacesMeetAlongEveryEdge();
  }
}

}  // namespace
