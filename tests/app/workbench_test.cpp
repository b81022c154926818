// The author's workbench on a show of its own (an empty folder with a song and a path file),
// on the virtual clock at 60 frames a second with the soundtrack rendered offline, so that
// the music's place moves only with the frames: pause, step, reload, the section's repeat,
// the keys with and without --author, and where the scene-change keys land.
#include "app/workbench.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/authoring_controls.h"
#include "demo/cue_sheet.h"
#include "demo/show.h"
#include "music/music_player.h"
#include "music/offline_recording.h"
#include "platform/frame_timer.h"
#include "platform/keyboard.h"
#include "platform/render_state.h"
#include "platform/settings.h"
#include "support/box_recorder.h"
#include "support/gl_context.h"
#include "support/temp_folder.h"
#include "test_module.h"

namespace {

namespace cue = demo::cue;

// A path whose eyes all stand at height `y`, so that a test can tell which file was read.
std::string pathText(float y) {
  std::string text = "40\n";
  for (int i = 0; i < 40; ++i) text += std::to_string(i * 10) + " " + std::to_string(y) + " 0\n0 0 -50\n";
  return text;
}

class WorkbenchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(gl.ok()) << "drawing tests need a display (run under xvfb-run -a)";
    cwd = std::make_unique<testing_support::ScopedWorkingDirectory>(folder.path());
    folder.write("Demo.conf", "Title Tolvek FieldOfView 60 Aspect 1.7777 ShowFPS 0\n");
    const auto song = music_test::buildTestModule({12, 32, 2, 255});
    folder.write("music.it", std::string(song.begin(), song.end()));
    folder.write("cam2.trj", pathText(222.0f));
    auto& s = platform::settings;
    s = platform::Settings{};
    s.screenWidth = 320;
    s.screenHeight = 240;
    s.fieldOfView = 60.0f;
    s.aspectRatio = 1.7777f;
    platform::keys = platform::KeyState{};
    platform::applyStandardRenderState();
    platform::useFrameRateCounter(60);
    ASSERT_TRUE(music::startOfflineRecording(folder.file("soundtrack.wav")));
    show.load(host);
    frame();  // loading
  }
  void TearDown() override {
    show.unload();
    music::finishOfflineRecording();
    platform::useRealCounter();
  }

  // A frame as the main loop makes it: drawn, then presented (the soundtrack rendered up to
  // its end, the virtual clock one frame on).
  void frame() {
    show.frame();
    ++frames;
    music::advanceOfflineRecording(frames * 1000.0 / 60.0);
    platform::advanceVirtualFrame();
  }
  void playTo(double ms) {
    while (show.demoTimeMs() < ms) frame();
  }
  std::pair<int, int> musicPlace() {
    music::Song* song = music::musicState.songHandle.get();
    return {music::musicGetOrder(song), music::musicGetRow(song)};
  }
  float flightHeight() { return show.objects().firstCamera->eye().y; }

  testing_support::GlTestContext gl{320, 240};
  testing_support::TempFolder folder;
  std::unique_ptr<testing_support::ScopedWorkingDirectory> cwd;
  testing_support::BoxRecorder boxes;
  demo::Show show;
  demo::ShowHost host{nullptr, 0};
  int frames = 0;
};

TEST_F(WorkbenchTest, PauseHoldsBothClocksAndTheMusicAStepMovesOneFrameAndPlayGoesOnWithoutAJump) {
  playTo(6000.0);
  const auto place = musicPlace();
  ASSERT_NE(place, std::make_pair(0, 0)) << "the song plays after its cue";
  const double demo = platform::demoClockMs(), effect = platform::effectClockMs();
  show.setPaused(true);
  for (int i = 0; i < 60; ++i) {
    frame();
    ASSERT_EQ(show.state().frameDelta, 0.0f);
  }
  EXPECT_EQ(platform::demoClockMs(), demo);
  EXPECT_EQ(platform::effectClockMs(), effect);
  EXPECT_EQ(musicPlace(), place) << "a second of frames later, the song has not moved";
  // The free camera still flies, on the frames' real time.
  platform::keys.down[platform::kVkSpace] = platform::keys.down[platform::kVkUp] = true;
  const world::Vec3 eye = show.state().freeEye;
  frame();
  app::authoringControls();
  EXPECT_NE(show.state().freeEye.z, eye.z);
  platform::keys = platform::KeyState{};
  app::authoringControls();

  show.step();
  frame();
  EXPECT_NEAR(show.state().frameDelta, 1000.0 / 60.0, 1e-3);
  EXPECT_NEAR(platform::demoClockMs(), demo + 1000.0 / 60.0, 1e-6);
  frame();
  EXPECT_EQ(show.state().frameDelta, 0.0f) << "one step is one frame";

  show.setPaused(false);
  const double resumed = platform::demoClockMs();
  frame();
  EXPECT_NEAR(show.state().frameDelta, 1000.0 / 60.0, 1e-3) << "no jump for the time it stood";
  EXPECT_NEAR(platform::demoClockMs(), resumed + 1000.0 / 60.0, 1e-6);
  playTo(demo + 3000.0);
  EXPECT_GT(musicPlace(), place);
}

TEST_F(WorkbenchTest, ReloadReadsTheChangedPathAndComesBackToTheSameMomentPaused) {
  show.seek(80000.0);
  frame();
  ASSERT_EQ(show.state().sceneState, 2);
  EXPECT_FLOAT_EQ(flightHeight(), 222.0f);
  folder.write("cam2.trj", pathText(444.0f));
  show.setPaused(true);
  const double at = show.demoTimeMs();
  app::reloadShow(show, host);
  frame();
  EXPECT_TRUE(show.paused());
  EXPECT_NEAR(show.demoTimeMs(), at, 1000.0 / 60.0);
  EXPECT_FLOAT_EQ(flightHeight(), 444.0f);
}

TEST_F(WorkbenchTest, ASectionStartsAgainWithItsMusicOnceItsEndIsPassed) {
  app::Options options;
  options.sectionFromMs = 5000.0;
  options.sectionToMs = 5500.0;
  app::Workbench bench(options, false);
  bench.afterFrame(show, [] {});  // the run begins at the section's start
  const double start = show.demoTimeMs();
  EXPECT_NEAR(start, 5000.0, 1e-6);
  const auto place = musicPlace();
  int shown = 0;
  bool jumped = false;
  while (!jumped && shown < 100) {
    frame();
    jumped = !bench.afterFrame(show, [] {});
    ++shown;
  }
  ASSERT_TRUE(jumped);
  EXPECT_EQ(shown, 31) << "5000 to 5500 ms at 60 frames a second, and the frame past its end";
  EXPECT_EQ(show.demoTimeMs(), start);
  EXPECT_EQ(musicPlace(), place) << "the song starts the section again with the picture";
}

TEST_F(WorkbenchTest, TheKeysWorkWithAuthorOnly) {
  playTo(10000.0);
  const int keys[] = {platform::kVkF1,     platform::kVkF1 + 1, platform::kVkF1 + 2, platform::kVkF1 + 3,
                      platform::kVkF1 + 4, platform::kVkF1 + 5, platform::kVkF1 + 6, platform::kVkF1 + 7,
                      platform::kVkPrior,  platform::kVkNext,   platform::kVkHome,   platform::kVkEnd};
  app::Workbench plain(app::Options{}, false);
  plain.afterFrame(show, [] {});
  int reloads = 0;
  for (int key : keys) {
    const double before = show.demoTimeMs();
    platform::keys.pressed[static_cast<size_t>(key)] = true;
    EXPECT_TRUE(plain.afterFrame(show, [&] { ++reloads; })) << key;
    EXPECT_FALSE(show.paused()) << key;
    EXPECT_EQ(show.demoTimeMs(), before) << key;
    platform::keys.pressed[static_cast<size_t>(key)] = false;
  }
  EXPECT_EQ(reloads, 0);

  app::Options author;
  author.author = true;
  app::Workbench bench(author, false);
  bench.afterFrame(show, [] {});
  platform::keys.pressed[platform::kVkF1] = true;
  bench.afterFrame(show, [] {});
  EXPECT_TRUE(show.paused());
  platform::keys.pressed[platform::kVkF1 + 6] = true;  // ten seconds on
  EXPECT_FALSE(bench.afterFrame(show, [] {}));
  frame();
  EXPECT_NEAR(show.demoTimeMs(), 20000.0, 1000.0 / 60.0);
  platform::keys.pressed[platform::kVkF1 + 4] = true;
  bench.afterFrame(show, [&] { ++reloads; });
  EXPECT_EQ(reloads, 1);
}

TEST(WorkbenchJumps, SceneChangeKeysLandOnTheFirstFrameAfterAChange) {
  const double frame = 1000.0 / 60.0;
  // The hand-over comes with the first frame strictly after the change: 2946 frames are
  // exactly the intro's 49100 ms, 4326 the tunnel's end.
  const double afterIntro = 2947 * frame;
  EXPECT_NEAR(*app::nextSceneChangeMs(1000.0, frame), afterIntro, 1e-6);
  EXPECT_NEAR(*app::nextSceneChangeMs(afterIntro, frame), 4327 * frame, 1e-6);
  EXPECT_FALSE(app::nextSceneChangeMs(cue::kFinalEndMs + 100.0, frame)) << "nothing after the credits begin";
  EXPECT_EQ(app::previousSceneChangeMs(afterIntro, frame), 0.0) << "from a change itself, the one before";
  EXPECT_NEAR(app::previousSceneChangeMs(afterIntro + 5000.0, frame), afterIntro, 1e-6);
  const auto lines = app::workbenchLines({75000.0, 2, 8, 17, 16.7, 1000.0, std::nullopt, true, true});
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "75000 ms  second level (2)  PAUSED");
  EXPECT_EQ(lines[1], "music 8/17  frame 16.7 ms");
  EXPECT_EQ(lines[2], "section 1000 - ?  repeating");
}

}  // namespace
