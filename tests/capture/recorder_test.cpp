// The recorder as people use it: the real program recording the kit's show offscreen, with or
// without a display, beyond the display's size, supersampled, at NTSC rates and losslessly.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "support/png_reader.h"
#include "support/run_program.h"
#include "support/temp_folder.h"

namespace {

using testing_support::PngImage;
using testing_support::readPng;

std::string capture(const std::string& command) {
  std::string out;
  if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    ::pclose(pipe);
  }
  return out;
}

double meanDifference(const PngImage& a, const PngImage& b) {
  double sum = 0.0;
  for (size_t i = 0; i < a.pixels.size(); ++i) sum += std::abs(a.pixels[i] - b.pixels[i]);
  return sum / static_cast<double>(a.pixels.size());
}

class Recorder : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!folder_.linkKitShow("show")) GTEST_SKIP() << "needs the kit's show folder (TOLVEK_SHOW_DIR)";
  }
  testing_support::ProgramResult record(const std::string& arguments, const std::string& launcher = "") {
    return testing_support::runProgram("tolvek", "--record " + arguments, folder_.file("show"), launcher);
  }
  std::optional<PngImage> frame(const std::string& folder, int number) const {
    char name[32];
    std::snprintf(name, sizeof name, "/frame_%06d.png", number);
    return readPng(folder_.file(folder) + name);
  }
  testing_support::TempFolder folder_;
};

TEST_F(Recorder, DrawsOffscreenWithoutADisplayAndBeyondTheDisplaysSize) {
  // 1920 x 1080 is wider than the test display (1280 x 1024): drawn by SDL's offscreen driver
  // with no display at all, and into a framebuffer object beside a hidden window where the
  // display's own driver is forced. Both give the whole picture, 3 s into the flight.
  struct Case {
    const char* launcher;
    const char* out;
  };
  const bool display = std::getenv("DISPLAY") != nullptr;
  std::optional<PngImage> first;
  // The sanitized run forces X11 (SDL_VIDEODRIVER) so that no driver library is unloaded
  // before its leak check: there the run without a display cannot be made, and says so.
  const char* forced = std::getenv("SDL_VIDEODRIVER");
  for (const Case c : {Case{"env -u DISPLAY -u WAYLAND_DISPLAY", "nodisplay"}, Case{"env SDL_VIDEODRIVER=x11", "fbo"}}) {
    if (std::string(c.out) == "fbo" && !display) continue;
    if (std::string(c.out) == "nodisplay" && forced) {
      std::printf("not recorded without a display: SDL_VIDEODRIVER=%s forces a display's driver\n", forced);
      continue;
    }
    const auto run = record(std::string("../") + c.out + " --fps 1 --until 3000 --mode 1920x1080", c.launcher);
    ASSERT_EQ(run.exitCode, 0) << c.out << ": " << run.output;
    auto f = frame(c.out, 10);
    ASSERT_TRUE(f && f->width == 1920 && f->height == 1080) << c.out;
    // The overlay's frame runs down the right edge (x = 0.98125 w), beyond the display's
    // width: nothing is clipped there.
    int rowsWithLine = 0;
    for (int y = 200; y < 900; ++y)
      for (int x = 1876; x < 1892; ++x)
        if (f->at(x, y)[0] > 150 && f->at(x, y)[1] > 150 && f->at(x, y)[2] > 150) {
          ++rowsWithLine;
          break;
        }
    EXPECT_GT(rowsWithLine, 650) << c.out;
    // The framebuffer object rounds a few edges differently; the picture is the same.
    if (first) {
      EXPECT_LT(meanDifference(*first, *f), 0.5);
    }
    first = std::move(f);
  }
}

TEST_F(Recorder, ASizeBeyondTheDriverIsRefusedBeforeAnythingIsMade) {
  const auto run = record("../big --mode 7680x4320 --supersample 4");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.output.find("cannot draw 7680x4320 supersampled 4 times: the OpenGL driver draws pictures of at most"),
            std::string::npos)
      << run.output;
  EXPECT_FALSE(folder_.exists("big"));
}

TEST_F(Recorder, SupersampledFramesArePlainFramesWithSmootherEdges) {
  // The same moment plain, supersampled 2 times and 4 times (the reference of the edges). The
  // pictures agree; at the edges the 2-times picture is nearer the reference than the plain.
  for (const char* n : {"1", "2", "4"}) {
    const std::string extra = std::string(n) == "1" ? "" : std::string(" --supersample ") + n;
    const auto run = record(std::string("../ss") + n + " --fps 1 --until 3000 --mode 320x240" + extra);
    ASSERT_EQ(run.exitCode, 0) << run.output;
  }
  const auto plain = frame("ss1", 10), twice = frame("ss2", 10), reference = frame("ss4", 10);
  ASSERT_TRUE(plain && twice && reference);
  ASSERT_EQ(twice->width, 320);
  EXPECT_LT(meanDifference(*plain, *twice), 5.0);  // of 255: textures are filtered finer, too
  double plainError = 0.0, twiceError = 0.0;
  for (size_t i = 0; i < plain->pixels.size(); ++i) {
    const int p = plain->pixels[i], t = twice->pixels[i], r = reference->pixels[i];
    if (std::abs(p - r) < 24) continue;  // where the plain picture is off most: its edges
    plainError += std::abs(p - r);
    twiceError += std::abs(t - r);
  }
  EXPECT_GT(plainError, 0.0);
  EXPECT_LT(twiceError, 0.6 * plainError);
}

class VideoRecorder : public Recorder {
 protected:
  void SetUp() override {
    if (capture("command -v ffprobe").empty()) GTEST_SKIP() << "needs ffmpeg";
    Recorder::SetUp();
  }
  std::string probe(const std::string& what, const std::string& video) {
    return capture("ffprobe -v error -count_frames " + what + " -of csv=p=0 '" + folder_.file(video) + "'");
  }
};

TEST_F(VideoRecorder, AtNtscRatesEveryFrameIsThereAndTheSoundLastsAsLong) {
  const auto run = record("../ntsc.mp4 --fps 60000/1001 --until 2000 --mode 320x240");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  // The progress screens, then frames of demo times 0, 1001/60 ms, ... up to 2000 ms: 120.
  EXPECT_EQ(probe("-select_streams v -show_entries stream=r_frame_rate,nb_read_frames", "ntsc.mp4"),
            "60000/1001,127\n");
  double audio = 0.0;
  ASSERT_EQ(std::sscanf(probe("-select_streams a -show_entries stream=duration", "ntsc.mp4").c_str(), "%lf", &audio),
            1);
  EXPECT_NEAR(audio, 127 * 1001 / 60000.0, 1001 / 60000.0);
}

TEST_F(VideoRecorder, ALosslessMasterDecodesToTheFramesOfThePngRecording) {
  // Supersampled and motion-blurred, so every stage of the writer is in the picture.
  const std::string options = " --fps 10 --until 1500 --mode 320x240 --supersample 2 --motion-blur 3";
  for (const char* out : {"../master.mkv --quality lossless", "../frames"}) {
    const auto run = record(out + options);
    ASSERT_EQ(run.exitCode, 0) << run.output;
  }
  const auto md5 = [](const std::string& input) {
    return capture("ffmpeg -v error " + input + " -map 0:v -f framemd5 -pix_fmt rgb24 - | grep -v '^#' | cut -d, -f6");
  };
  const std::string master = md5("-i '" + folder_.file("master.mkv") + "'");
  EXPECT_EQ(std::count(master.begin(), master.end(), '\n'), 7 + 16);
  EXPECT_EQ(master, md5("-framerate 10 -i '" + folder_.file("frames") + "/frame_%06d.png'"));
  EXPECT_EQ(probe("-select_streams a -show_entries stream=codec_name", "master.mkv"), "flac\n");
}

}  // namespace
