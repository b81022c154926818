// The demo as a whole program: start-up, the main loop's ways out, recording, shutdown.
#include "app/demo_main.h"
#include "app/demo_window.h"

#include <SDL.h>
#include <GL/gl.h>
#include <gtest/gtest.h>


#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "demo/cue_sheet.h"
#include "demo/timeline.h"
#include "platform/keyboard.h"
#include "platform/settings.h"
#include "support/png_reader.h"
#include "support/run_program.h"
#include "support/temp_folder.h"

namespace {

using testing_support::runProgram;
using testing_support::ScopedWorkingDirectory;
using testing_support::TempFolder;

const char* kConfig = "Title Tolvek FieldOfView 60 Aspect 1.7777 ShowFPS 0\n";

class DemoRun : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::settings = platform::Settings{};
    platform::keys = platform::KeyState{};
    app::frameRate = app::FrameRateCounter{};
  }
};

// Events queued before start-up reach the main loop like a user's input.
void queueEvent(const SDL_Event& event) {
  SDL_InitSubSystem(SDL_INIT_EVENTS);
  SDL_Event copy = event;
  SDL_PushEvent(&copy);
}

TEST_F(DemoRun, EscapeEndsTheLoopWithExitCodeZeroAndCleansUp) {
  TempFolder folder;
  folder.write("Demo.conf", kConfig);
  folder.write("data/map/brae.bsp", "unpacked");
  folder.write("data/models/boat.md3", "unpacked");
  ScopedWorkingDirectory cwd(folder.path());
  SDL_Event key{};
  key.type = SDL_KEYDOWN;
  key.key.keysym.scancode = SDL_SCANCODE_ESCAPE;
  queueEvent(key);
  app::Options options;
  options.unattended = true;
  EXPECT_EQ(app::runDemo(options), 0);
  EXPECT_EQ(app::frameRate.frameCount, 0) << "Escape ends the run before its first frame";
  EXPECT_FALSE(folder.exists("data")) << "the unpacked data is deleted at shutdown";
  EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u) << "the window is closed";
}

TEST_F(DemoRun, CloseEventEndsTheLoopTheSameWay) {
  TempFolder folder;
  folder.write("Demo.conf", kConfig);
  ScopedWorkingDirectory cwd(folder.path());
  SDL_Event close{};
  close.type = SDL_WINDOWEVENT;
  close.window.event = SDL_WINDOWEVENT_CLOSE;
  queueEvent(close);
  app::Options options;
  options.unattended = true;
  options.untilMs = 60000;  // a safety net: the close event must end it long before
  const Uint32 start = SDL_GetTicks();
  EXPECT_EQ(app::runDemo(options), 0);
  EXPECT_LT(SDL_GetTicks() - start, 30000u);
}

TEST_F(DemoRun, FramesAreLetterboxedForTheMode) {
  TempFolder folder;
  folder.write("Demo.conf", kConfig);
  ScopedWorkingDirectory cwd(folder.path());
  app::Options options;
  options.unattended = true;
  options.untilMs = 50;
  options.width = 800;
  options.height = 600;
  EXPECT_EQ(app::runDemo(options), 0);
  EXPECT_EQ(demo::script.letterboxHeight, 74);
  EXPECT_GT(app::frameRate.frameCount, 0);
}

TEST(DemoProgram, MissingConfigSaysByeByeAndCreatesNothing) {
  TempFolder folder;
  const auto result = runProgram("tolvek", "--unattended", folder.path());
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_NE(result.output.find("[ByeBye] Could not load the Demo Config file! 424242424242"),
            std::string::npos)
      << result.output;
  EXPECT_EQ(folder.entryCount(), 0);
}

TEST(DemoProgram, BadOptionsAndAnUncreatableRecordFolderFailCleanly) {
  TempFolder folder;
  folder.write("Demo.conf", kConfig);
  folder.write("blocker", "a file where a folder should go");
  auto unknown = runProgram("tolvek", "--frobnicate", folder.path());
  EXPECT_EQ(unknown.exitCode, 2);
  EXPECT_NE(unknown.output.find("unknown option '--frobnicate'"), std::string::npos);
  auto record = runProgram("tolvek", "--record blocker/out --fps 10 --until 100", folder.path());
  EXPECT_EQ(record.exitCode, 1);
  EXPECT_NE(record.output.find("cannot create the recording folder"), std::string::npos) << record.output;
  auto help = runProgram("tolvek", "--help", folder.path());
  EXPECT_EQ(help.exitCode, 0);
  for (const char* option : {"--mode WxH", "--mode desktop", "--depth", "--fullscreen", "--vsync", "--unattended",
                             "--until", "--record FILE", "--record DIR", "--fps", "--stats", "--version", "--help"})
    EXPECT_NE(help.output.find("\n  " + std::string(option)), std::string::npos) << option;
  auto version = runProgram("tolvek", "--version", folder.path());
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.output.rfind("tolvek 1.", 0), 0u) << version.output;
  // Without ffmpeg a video cannot be made: said at once, with the form that needs no ffmpeg.
  auto noEncoder = runProgram("tolvek", "--record show.mp4 --until 100", folder.path(), "env PATH=/nonexistent");
  EXPECT_EQ(noEncoder.exitCode, 1);
  EXPECT_NE(noEncoder.output.find("ffmpeg is not installed"), std::string::npos) << noEncoder.output;
  EXPECT_NE(noEncoder.output.find("--record FOLDER"), std::string::npos) << noEncoder.output;
  EXPECT_EQ(folder.entryCount(), 2);  // Demo.conf and the blocker: nothing made
  // A video over a folder of that name is refused before the show starts.
  std::filesystem::create_directory(folder.file("taken.mp4"));
  auto overFolder = runProgram("tolvek", "--record taken.mp4 --until 100", folder.path());
  EXPECT_EQ(overFolder.exitCode, 1);
  EXPECT_NE(overFolder.output.find("'taken.mp4' is a folder"), std::string::npos) << overFolder.output;
}

TEST(DemoProgram, RecordingWritesOneFramePerVirtualFramePeriodWithBlackBars) {
  TempFolder folder;
  folder.write("Demo.conf", kConfig);
  const auto result = runProgram("tolvek", "--record OUT --fps 10 --until 2000 --stats", folder.path());
  ASSERT_EQ(result.exitCode, 0) << result.output;
  int frames = 0;
  for (const auto& e : std::filesystem::directory_iterator(folder.file("OUT")))
    if (e.path().filename().string().rfind("frame_", 0) == 0) ++frames;
  // The seven progress screens, then frames at demo times 0, 100, ..., 2000.
  EXPECT_EQ(frames, 7 + 21);
  EXPECT_FALSE(folder.exists("OUT/frame_000028.png"));
  // The soundtrack is rendered in step: 28 frames of 4410 stereo 16-bit samples after the header.
  EXPECT_EQ(std::filesystem::file_size(folder.file("OUT/soundtrack.wav")), 44u + 28u * 4410u * 4u);
  // The statistics count the frames by scene state, the one that loaded on its own.
  EXPECT_NE(result.output.find("   -1  loading            1 "), std::string::npos) << result.output;
  EXPECT_NE(result.output.find("    0  intro level       20 "), std::string::npos) << result.output;
  EXPECT_NE(result.output.find("loading: "), std::string::npos);
  EXPECT_NE(result.output.find("peak memory: "), std::string::npos);
  const auto frame = testing_support::readPng(folder.file("OUT/frame_000017.png"));
  ASSERT_TRUE(frame.has_value());
  EXPECT_EQ(frame->width, 640);
  EXPECT_EQ(frame->height, 480);
  for (int y : {0, 58, 421, 479})
    for (int x = 0; x < 640; x += 7)
      ASSERT_EQ(frame->at(x, y)[0] | frame->at(x, y)[1] | frame->at(x, y)[2], 0) << x << "," << y;
  EXPECT_FALSE(folder.exists("data"));
}

TEST(DemoProgram, RecordingStartsTheSongOnTheFrameOfItsCue) {
  const char* show = std::getenv("TOLVEK_SHOW_DIR");
  if (!show || !std::filesystem::exists(std::string(show) + "/music.it"))
    GTEST_SKIP() << "needs the show folder's music.it (TOLVEK_SHOW_DIR)";
  TempFolder folder;
  folder.write("Demo.conf", kConfig);
  std::filesystem::copy_file(std::string(show) + "/music.it", folder.file("music.it"));
  const auto result = runProgram("tolvek", "--record OUT --fps 10 --until 6500", folder.path());
  ASSERT_EQ(result.exitCode, 0) << result.output;

  const std::string wav = folder.read("OUT/soundtrack.wav");
  ASSERT_GT(wav.size(), 44u);
  const auto* samples = reinterpret_cast<const std::int16_t*>(wav.data() + 44);
  const size_t frames = (wav.size() - 44) / 4;
  // Frames come every 100 ms after the seven progress screens; the first one inside the cue
  // window is frame 7 + 42. Nothing sounds before it, the song does after it.
  const size_t cueFrame = static_cast<size_t>(std::ceil(demo::cue::kMusicCueStartMs / 100.0));
  ASSERT_LT(cueFrame * 100.0, demo::cue::kMusicCueEndMs);
  const size_t start = (7 + cueFrame) * 4410;
  ASSERT_GT(frames, start + 2 * 44100);
  for (size_t i = 0; i < start * 2; ++i) ASSERT_EQ(samples[i], 0) << "sound before the cue at " << i / 2;
  int loudest = 0;
  for (size_t i = start * 2; i < (start + 2 * 44100) * 2; ++i) loudest = std::max(loudest, std::abs(int(samples[i])));
  EXPECT_GT(loudest, 100) << "the song plays after its cue";
}

}  // namespace
