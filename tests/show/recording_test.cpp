// Recordings of the kit's show by the real program: a video with its soundtrack in step, a
// recording stopped by a signal, and the letterbox at other window sizes.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "demo/cue_sheet.h"
#include "support/png_reader.h"
#include "support/run_program.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using testing_support::TempFolder;

constexpr int kProgressScreens = 7;
constexpr double kSongStartMs = demo::cue::kMusicCueStartMs;

std::string capture(const std::string& command) {
  std::string out;
  if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    ::pclose(pipe);
  }
  return out;
}

// Root mean square of the video's sound between two times (seconds), mono 16-bit.
double loudness(const std::string& video, double from, double length) {
  char command[512];
  std::snprintf(command, sizeof command, "ffmpeg -v error -ss %.3f -t %.3f -i '%s' -f s16le -ac 1 - 2>/dev/null",
                from, length, video.c_str());
  const std::string raw = capture(command);
  const size_t n = raw.size() / 2;
  if (n == 0) return -1.0;
  double sum = 0.0;
  for (size_t i = 0; i < n; ++i) {
    std::int16_t v;
    std::memcpy(&v, raw.data() + 2 * i, 2);
    sum += double(v) * v;
  }
  return std::sqrt(sum / n);
}

class Recording : public ::testing::Test {
 protected:
  void SetUp() override {
    if (capture("command -v ffprobe").empty()) GTEST_SKIP() << "needs ffmpeg";
    if (!folder_.linkKitShow("show")) GTEST_SKIP() << "needs the kit's show folder (make show, or TOLVEK_SHOW_DIR)";
  }
  std::string show() const { return folder_.file("show"); }
  // Files the run left beside the output, other than the output itself.
  std::vector<std::string> strays(const std::string& output) const {
    std::vector<std::string> found;
    for (const auto& e : fs::directory_iterator(folder_.path()))
      if (e.path().filename() != "show" && e.path().filename() != output) found.push_back(e.path().filename());
    return found;
  }
  TempFolder folder_;
};

TEST_F(Recording, AVideoHoldsEveryFrameAndTheSoundtrackInStep) {
  constexpr int kFps = 10;
  constexpr double kUntilMs = 6000.0;
  const auto run = testing_support::runProgram(
      "tolvek", "--record ../short.mp4 --fps 10 --until 6000 --mode 320x240", show());
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_TRUE(strays("short.mp4").empty());
  const std::string video = folder_.file("short.mp4");
  const std::string streams = capture(
      "ffprobe -v error -show_entries stream=codec_type,nb_frames,r_frame_rate,duration "
      "-of csv=p=0 '" +
      video + "'");
  // The progress screens, then the frames of demo times 0, 100, ..., 6000.
  const int frames = kProgressScreens + static_cast<int>(kUntilMs * kFps / 1000) + 1;
  char expected[128];
  std::snprintf(expected, sizeof expected, "video,%d/1,%.6f,%d\n", kFps, double(frames) / kFps, frames);
  ASSERT_EQ(streams.substr(0, streams.find('\n') + 1), expected) << streams;
  // The sound lasts as long as the picture, silent until the song starts under its frame.
  double audioSeconds = 0.0;
  ASSERT_EQ(std::sscanf(streams.c_str() + streams.find('\n') + 1, "audio,0/0,%lf", &audioSeconds), 1) << streams;
  EXPECT_NEAR(audioSeconds, double(frames) / kFps, 0.03);
  const double songStart = double(kProgressScreens) / kFps + kSongStartMs / 1000.0;
  EXPECT_LT(loudness(video, 0.0, songStart - 0.1), 1.0);
  EXPECT_GT(loudness(video, songStart + 0.1, 0.6), 100.0);
}

TEST_F(Recording, ASignalEndsAVideoWithAPlayableFileAndNoWorkingFiles) {
  // Ctrl+C a few seconds into the whole show: the run ends as after Escape, with what was done.
  const auto run = testing_support::runProgram("tolvek", "--record ../cut.mkv --fps 10 --mode 320x240", show(),
                                               "timeout --preserve-status -s INT 6");
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_NE(run.output.find("recording stopped"), std::string::npos) << run.output;
  EXPECT_TRUE(strays("cut.mkv").empty());
  const std::string streams =
      capture("ffprobe -v error -show_entries stream=codec_type -of csv=p=0 '" + folder_.file("cut.mkv") + "'");
  EXPECT_EQ(streams, "video\naudio\n");
}

TEST_F(Recording, OtherWindowSizesHaveBarsOfTheLetterboxRule) {
  struct Case {
    int width, height, bar;
  };
  for (const Case c : {Case{1280, 720, 0}, Case{640, 400, 19}}) {
    const std::string out = "../bars" + std::to_string(c.width);
    const auto run = testing_support::runProgram(
        "tolvek", "--record " + out + " --fps 2 --until 3500 --mode " + std::to_string(c.width) + "x" +
                      std::to_string(c.height), show());
    ASSERT_EQ(run.exitCode, 0) << run.output;
    // 3.5 s into the intro: the corridor fills the picture up to the bars.
    const auto f = testing_support::readPng(folder_.file(out.substr(3) + "/frame_000014.png"));
    ASSERT_TRUE(f.has_value());
    ASSERT_EQ(f->width, c.width);
    auto rowMax = [&](int y) {
      int m = 0;
      for (int x = 0; x < f->width; ++x)
        for (int k = 0; k < 3; ++k) m = std::max<int>(m, f->at(x, y)[k]);
      return m;
    };
    for (int y = 0; y < c.bar; ++y) {
      ASSERT_LT(rowMax(y), 3) << c.width << ": top bar row " << y;
      ASSERT_LT(rowMax(f->height - 1 - y), 3) << c.width << ": bottom bar row " << y;
    }
    EXPECT_GT(rowMax(c.bar), 40) << c.width << ": the picture starts below the bar";
    EXPECT_GT(rowMax(f->height - 1 - c.bar), 40) << c.width << ": the picture ends above the bar";
  }
}

// --loop: the second pass is the first again, picture and sound, from the progress screens on:
// the show loaded afresh, the song started again at its cue.
TEST_F(Recording, ALoopPlaysTheShowAgainFromItsStartWithItsMusic) {
  const auto run =
      testing_support::runProgram("tolvek", "--loop 2 --record ../loop --fps 10 --until 5000 --mode 320x240", show());
  ASSERT_EQ(run.exitCode, 0) << run.output;
  constexpr int kPass = kProgressScreens + 51;  // and then 0, 100, ..., 5000 ms
  const auto frame = [&](int i) {
    char name[64];
    std::snprintf(name, sizeof name, "loop/frame_%06d.png", i);
    return testing_support::readPng(folder_.file(name));
  };
  for (int i = 0; i < kPass; ++i) {
    const auto first = frame(i), second = frame(kPass + i);
    ASSERT_TRUE(first && second) << i;
    ASSERT_EQ(first->pixels, second->pixels) << "frame " << i << " of the second pass";
  }
  EXPECT_FALSE(frame(2 * kPass)) << "two passes";
  std::ifstream wav(folder_.file("loop/soundtrack.wav"), std::ios::binary);
  const std::string sound((std::istreambuf_iterator<char>(wav)), std::istreambuf_iterator<char>());
  const size_t passBytes = static_cast<size_t>(kPass) * 4410 * 4;  // 16-bit stereo, 100 ms a frame
  ASSERT_EQ(sound.size(), 44 + 2 * passBytes);
  EXPECT_EQ(sound.compare(44, passBytes, sound, 44 + passBytes, passBytes), 0) << "the second pass sounds as the first";
  EXPECT_NE(sound.substr(44 + passBytes - 4410 * 4), std::string(4410 * 4, '\0')) << "the song plays by the end";
}

}  // namespace
