// The real program playing the kit's whole show, unattended on the virtual clock, in a copy of
// the show folder: what a viewer would see at chosen moments, and what is left on disk.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

#include "demo/cue_sheet.h"
#include "support/png_reader.h"
#include "support/run_program.h"
#include "support/temp_folder.h"

namespace {

namespace cue = demo::cue;

namespace fs = std::filesystem;
using testing_support::PngImage;

constexpr int kFps = 4;
constexpr int kProgressScreens = 7;
constexpr int kLetterbox = 59;

// Frame of the recording that shows demo time `ms`.
std::string frameAt(double ms) {
  char name[32];
  std::snprintf(name, sizeof name, "OUT/frame_%06d.png", kProgressScreens + static_cast<int>(ms * kFps / 1000.0));
  return name;
}

struct Brightness {
  double mean = 0.0;
  double spread = 0.0;  // standard deviation
};
// Of the picture between the bars.
Brightness brightness(const PngImage& frame) {
  double sum = 0.0, squares = 0.0;
  int n = 0;
  for (int y = kLetterbox; y < frame.height - kLetterbox; y += 3)
    for (int x = 0; x < frame.width; x += 3) {
      const std::uint8_t* p = frame.at(x, y);
      const double v = (p[0] + p[1] + p[2]) / 3.0;
      sum += v;
      squares += v * v;
      ++n;
    }
  const double mean = sum / n;
  return {mean, std::sqrt(std::max(0.0, squares / n - mean * mean))};
}

class WholeShow : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new testing_support::TempFolder;
    if (!folder_->linkKitShow()) {
      delete folder_;
      folder_ = nullptr;
      return;
    }
    result_ = testing_support::runProgram("tolvek", "--record OUT --fps " + std::to_string(kFps), folder_->path());
  }
  static void TearDownTestSuite() { delete folder_; }
  void SetUp() override {
    if (!folder_) GTEST_SKIP() << "needs the kit's show folder (make show, or TOLVEK_SHOW_DIR)";
    // Each test process records the show once; a recording that failed is reported as such,
    // with what the program said, rather than as missing frames.
    ASSERT_EQ(result_.exitCode, 0) << result_.output;
  }
  static PngImage frame(const std::string& name) {
    auto png = testing_support::readPng(folder_->file(name));
    EXPECT_TRUE(png.has_value()) << name;
    // A missing frame reads as a black one, so the checks fail instead of the program.
    return png.value_or(PngImage{640, 480, 3, std::vector<std::uint8_t>(640 * 480 * 3, 0)});
  }

  static testing_support::TempFolder* folder_;
  static testing_support::ProgramResult result_;
};

testing_support::TempFolder* WholeShow::folder_ = nullptr;
testing_support::ProgramResult WholeShow::result_;

TEST_F(WholeShow, PlaysToItsEndWithoutAMessageAndCleansUp) {
  EXPECT_EQ(result_.exitCode, 0) << result_.output;
  EXPECT_EQ(result_.output.find('['), std::string::npos) << "no message box: " << result_.output;
  EXPECT_TRUE(folder_->exists(frameAt(cue::kShowEndMs - 1000.0 / kFps)));
  // The frame that crosses the end is the last one drawn.
  EXPECT_FALSE(folder_->exists(frameAt(cue::kShowEndMs + 2000.0 / kFps))) << "the show ends after its last millisecond";
  EXPECT_FALSE(folder_->exists("data/map"));
  std::set<std::string> left;
  for (const auto& e : fs::directory_iterator(folder_->file("data/models"))) left.insert(e.path().filename().string());
  EXPECT_EQ(left, (std::set<std::string>{"moine.jpg", "moine.md3", "moine.skin"}));
}

TEST_F(WholeShow, ProgressScreensGrowTheBarThenTheShowBegins) {
  const int rights[kProgressScreens] = {170, 280, 280, 400, 400, 487, 487};
  for (int i = 0; i < kProgressScreens; ++i) {
    const PngImage f = frame("OUT/frame_00000" + std::to_string(i) + ".png");
    int right = -1;
    for (int x = 140; x < 500; ++x)
      if (f.at(x, 265)[0] > 128) right = x;
    EXPECT_NEAR(right, rights[i], 2) << "screen " << i;
  }
}

TEST_F(WholeShow, BarsAreBlackButWhereTheSecondPaintingFillsTheWindow) {
  for (int i = 0;; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "OUT/frame_%06d.png", i);
    if (!folder_->exists(name)) break;
    const double ms = (i - kProgressScreens) * 1000.0 / kFps;
    // The final scene's last phase drops the letterbox, and so does the frame that hands over
    // from it to the credits.
    if (ms > cue::kIslandEndMs + cue::kSecondPictureFromS * 1000.0 && ms <= cue::kFinalEndMs + 1000.0 / kFps) continue;
    const PngImage f = frame(name);
    for (int y : {0, kLetterbox - 1, f.height - kLetterbox, f.height - 1})
      for (int x = 0; x < f.width; x += 11) {
        const std::uint8_t* p = f.at(x, y);
        ASSERT_LT(p[0] + p[1] + p[2], 8) << name << " at " << x << "," << y;
      }
  }
}

TEST_F(WholeShow, FadesPeakWhiteAndEveryScenePaintsAPicture) {
  for (double ms : {cue::kTunnelFadeOutEndMs, cue::kSecondLevelFadeOutEndMs - 150.0f})
    EXPECT_GT(brightness(frame(frameAt(ms))).mean, 225.0) << ms;
  const struct {
    double ms;
    const char* what;
  } moments[] = {{5000, "the runner"},     {25000, "monks and fire"},  {35000, "the glass column"},
                 {62000, "tunnel shot 4"}, {80000, "light sprites"},   {104000, "the island"},
                 {125000, "cam32.trj"},    {144000, "first painting"}, {155000, "the window"},
                 {170000, "second painting"}, {200000, "the credits"}};
  for (const auto& m : moments) {
    const Brightness b = brightness(frame(frameAt(m.ms)));
    EXPECT_GT(b.mean, 12.0) << m.what;
    EXPECT_GT(b.spread, 10.0) << m.what << ": a flat picture";
  }
}

// --start draws the frames the whole run draws at the same demo times, pixel for pixel: in
// every scene state (the fire's particles and the runner's frames among them) and across the
// intro's hand-over to the tunnel.
TEST_F(WholeShow, AStartAnywhereDrawsTheFramesOfTheRunFromTheBeginning) {
  for (const double start : {25000.0, 49000.0, 60000.0, 80000.0, 120000.0, 160000.0, 170000.0, 200000.0}) {
    const std::string out = "START_" + std::to_string(static_cast<int>(start));
    const auto run = testing_support::runProgram(
        "tolvek", "--record " + out + " --fps " + std::to_string(kFps) + " --start " + std::to_string(start) +
                      " --until " + std::to_string(start + 500.0),
        folder_->path());
    ASSERT_EQ(run.exitCode, 0) << run.output;
    // The progress screens, then the frames from the start on.
    int compared = 0;
    for (int i = 0;; ++i) {
      char name[64];
      std::snprintf(name, sizeof name, "%s/frame_%06d.png", out.c_str(), kProgressScreens + i);
      if (!folder_->exists(name)) break;
      const auto jumped = testing_support::readPng(folder_->file(name));
      const auto whole = testing_support::readPng(folder_->file(frameAt(start + i * 1000.0 / kFps)));
      ASSERT_TRUE(jumped && whole) << name;
      EXPECT_EQ(jumped->pixels, whole->pixels) << "start " << start << ", frame " << i;
      ++compared;
    }
    EXPECT_EQ(compared, 3) << start;
  }
}

}  // namespace
