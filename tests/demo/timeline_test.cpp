// The script's decisions on the virtual clock: what runs at the edges of each state's window,
// the hand-overs and what they load, the end of the show.
#include "demo/timeline.h"

#include <GL/gl.h>

#include <cmath>

#include "demo/cue_sheet.h"
#include "demo/intro_overlay.h"
#include "demo/island_scene.h"
#include "demo/loading_sequence.h"
#include "demo/scene_objects.h"
#include "demo/final_scene.h"
#include "demo/tunnel.h"
#include "platform/file_system.h"
#include "platform/frame_timer.h"
#include "platform/settings.h"
#include "show_fixture.h"
#include "test_images.h"

namespace {

namespace cue = demo::cue;
using demo::script;
using demo::sceneObjects;
using demo_test::ShowTest;

// A path of `n` points whose eyes all sit at height `y`, so a test can tell which file a
// camera slot holds.
std::string pathText(int n, float y) {
  std::string text = std::to_string(n) + "\n";
  for (int i = 0; i < n; ++i) {
    text += std::to_string(i * 10) + " " + std::to_string(y) + " 0\n";
    text += std::to_string(i * 10) + " " + std::to_string(y) + " -50\n";
  }
  return text;
}

TEST(Timeline, MusicAndEchoWindowsAreOpenIntervals) {
  const struct {
    double ms;
    bool music;
    bool echo;
  } cases[] = {{cue::kMusicCueStartMs, false, false},        {cue::kMusicCueStartMs + 0.001, true, false},
               {cue::kMusicCueEndMs - 0.001, true, false},     {cue::kMusicCueEndMs, false, false},
               {cue::kEchoTrailStartMs, false, false},         {cue::kEchoTrailStartMs + 0.5, false, true},
               {cue::kEchoTrailEndMs - 0.1, false, true},      {cue::kEchoTrailEndMs, false, false}};
  for (const auto& c : cases) {
    EXPECT_EQ(demo::musicCueOpen(c.ms), c.music) << c.ms;
    EXPECT_EQ(demo::echoTrailOpen(c.ms), c.echo) << c.ms;
  }
}

TEST(Timeline, TunnelShotWindowsMeetWithoutCoveringFourSeconds) {
  const struct {
    double d;
    std::vector<int> shots;
  } cases[] = {{0.0, {1}},       {3999.9, {1}},    {4000.0, {}},      {4000.1, {2}},   {7000.5, {2, 3}},
               {10000.5, {3, 4}}, {22999.9, {4}}, {23000.0, {}},     {-1.0, {}}};
  for (const auto& c : cases) {
    std::vector<int> drawn;
    for (int n = 1; n <= 4; ++n)
      if (demo::tunnelShot(n, c.d)) drawn.push_back(n);
    EXPECT_EQ(drawn, c.shots) << "d = " << c.d;
  }
  // Every shot looks down the tube, from its far end at z = -33 towards -z.
  for (double d : {100.0, 5000.0, 8000.0, 15000.0}) {
    for (int n = 1; n <= 4; ++n)
      if (auto shot = demo::tunnelShot(n, d)) {
        EXPECT_FLOAT_EQ(shot->eye.z, -33.0f);
        EXPECT_LT(shot->centre.z, shot->eye.z + 1.0f) << n << " at " << d;
      }
  }
}

TEST(IntroOverlay, CaptionCuesNeedAFrameInsideTheirTwentyMilliseconds) {
  demo::IntroOverlayState skipped;
  demo::advanceIntroCaption(skipped, 19495.0, 25.0f);
  demo::advanceIntroCaption(skipped, 19520.0, 25.0f);  // 25 ms later: past the window
  EXPECT_EQ(skipped.caption, resources::kWherePicture);
  EXPECT_LT(skipped.captionAlpha, 1.0f);

  demo::IntroOverlayState caught;
  caught.captionAlpha = -0.5f;
  demo::advanceIntroCaption(caught, 33010.0, 10.0f);
  EXPECT_EQ(caught.caption, resources::kThingPicture);
  EXPECT_FLOAT_EQ(caught.captionFadeMs, 13250.0f);
  EXPECT_FLOAT_EQ(caught.captionAlpha, 1.0f - 10.0f / 13250.0f);
  demo::advanceIntroCaption(caught, 46260.0, 0.0f);  // the last cue keeps the fade length
  EXPECT_EQ(caught.caption, resources::kGoingPicture);
  EXPECT_FLOAT_EQ(caught.captionFadeMs, 13250.0f);
}

TEST(IntroOverlay, LogosFadeInThreeSecondsAndOvershootByOneStep) {
  const float step = 40.0f / 3000.0f;
  demo::IntroOverlayState o;
  for (int i = 0; i < 100; ++i) demo::advanceIntroLogos(o, 40.0f);  // T = 4000
  for (float alpha : {o.groupAlpha, o.logoAlpha}) {
    EXPECT_GT(alpha, 1.0f);
    EXPECT_LE(alpha, 1.0f + step);
  }
  const float full = o.logoAlpha;
  for (int i = 0; i < 200; ++i) demo::advanceIntroLogos(o, 40.0f);  // T = 12000
  EXPECT_LE(o.groupAlpha, 0.0f) << "gone after 4000 ms";
  EXPECT_GT(o.groupAlpha, -step);
  EXPECT_NEAR(o.logoAlpha, full - 50 * step, 1e-4f) << "fading only once T is past 10000";
}

TEST(IslandScene, FogByEyeHeightAndTheBoatsSway) {
  const demo::IslandFog above = demo::islandFog(48.0f), below = demo::islandFog(47.99f);
  EXPECT_FLOAT_EQ(above.red, 0.6f);
  EXPECT_FLOAT_EQ(above.start, 50.0f);
  EXPECT_FLOAT_EQ(below.red, 0.4f);
  EXPECT_FLOAT_EQ(below.start, 30.0f);
  EXPECT_FLOAT_EQ(above.end, below.end);
  EXPECT_NEAR(60.0f + demo::boatSway(0.0f), 60.0 + 2.0 * (0.04 * std::sin(5.0) + std::sin(5.0)), 1e-5);
  EXPECT_FLOAT_EQ(demo::seaHeight(0, 0, 0.0f), 48.0f);
}

TEST_F(ShowTest, FirstFrameLoadsAndTheClocksStartWhenLoadingEnds) {
  // Loading that takes five seconds (one second per progress screen)...
  reloadWithPresenter([] { platform::advanceVirtualCounter(kFrequency); });
  platform::advanceVirtualCounter(kFrequency / 100);  // 10 ms between start-up and the first frame
  loadShow();
  EXPECT_NEAR(script.frameDelta, 10.0f, 1e-3f);
  EXPECT_LT(platform::demoClockMs(), 1.0);
  // ...is not part of the next frame's delta.
  frameAt(20.0);
  EXPECT_NEAR(script.frameDelta, 20.0f, 1e-3f);
  EXPECT_NEAR(script.sceneClock, 30.0f * 0.12f, 1e-4f);
}

TEST_F(ShowTest, BarsStayBlackAndTheFrameEndsWithoutScissor) {
  loadShow();
  glClearColor(1, 1, 1, 1);  // whatever the last frame left in the bars
  glDisable(GL_SCISSOR_TEST);
  glClear(GL_COLOR_BUFFER_BIT);
  glClearColor(0, 0, 0, 0);
  frameAt(5000.0);
  GLint box[4];
  glGetIntegerv(GL_SCISSOR_BOX, box);
  EXPECT_EQ(box[1], 59);
  EXPECT_EQ(box[3], 362);
  EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
  const auto pixels = gl.readPixels();
  for (int y : {0, 58, 421, 479})
    for (int x = 0; x < 640; x += 13) {
      const std::uint8_t* p = &pixels[(static_cast<size_t>(y) * 640 + x) * 4];
      ASSERT_EQ(p[0] | p[1] | p[2], 0) << x << "," << y;
    }
}

TEST_F(ShowTest, TheFrameThatCrossesTheIntroEndDrawsTheTunnel) {
  loadShow();
  frameAt(cue::introEndMs - 100.0);
  const float overlayTime = demo::introOverlay.elapsed;
  ASSERT_EQ(script.sceneState, 0);
  frameAt(cue::introEndMs + 0.5);
  EXPECT_EQ(script.sceneState, 1);
  EXPECT_FLOAT_EQ(demo::introOverlay.elapsed, overlayTime) << "the intro's overlay is not drawn";
  ASSERT_TRUE(sceneObjects.tunnel);
  EXPECT_FLOAT_EQ(sceneObjects.tunnel->scroll(), 4.0f * script.sceneClock / 14.0f) << "the tube is drawn";
}

TEST_F(ShowTest, HandOversReadTheirPathsAtTheirStrictBounds) {
  folder.write("cam2.trj", pathText(40, 222.0f));
  folder.write("cam3.trj", pathText(12, 333.0f));
  loadShow();
  frameAt(cue::kTunnelEndMs);
  EXPECT_EQ(script.sceneState, 1) << "at its end the tunnel still runs";
  frameAt(cue::kTunnelEndMs + 0.5);
  EXPECT_EQ(script.sceneState, 2);
  ASSERT_TRUE(sceneObjects.firstCamera);
  EXPECT_EQ(sceneObjects.firstCamera->pointCount(), 40);
  EXPECT_FLOAT_EQ(sceneObjects.firstCamera->eye().y, 222.0f) << "advanced in the same frame";

  frameAt(cue::kSecondLevelEndMs);
  EXPECT_EQ(script.sceneState, 2) << "exactly at its end: one more frame of the second level";
  frameAt(cue::kSecondLevelEndMs + 0.5);
  EXPECT_EQ(script.sceneState, 3);
  EXPECT_EQ(sceneObjects.firstCamera->pointCount(), 12);
}

TEST_F(ShowTest, AfterTheCutTheFogStillFollowsTheFirstIslandCamera) {
  folder.write("cam3.trj", pathText(12, 30.0f));   // under the water: the denser fog
  folder.write("cam32.trj", pathText(40, 300.0f));
  loadShow();
  frameAt(cue::kSecondLevelEndMs + 64.0);
  ASSERT_EQ(script.sceneState, 3);
  frameAt(cue::kSecondCameraMs + 100.0);
  const world::Vec3 first = sceneObjects.firstCamera->eye(), second = sceneObjects.secondCamera->eye();
  frameAt(cue::kSecondCameraMs + 1000.0);
  EXPECT_EQ(sceneObjects.firstCamera->eye(), first) << "cam3.trj stops once cam32.trj flies";
  EXPECT_NE(sceneObjects.secondCamera->eye(), second);
  EXPECT_FLOAT_EQ(sceneObjects.firstCamera->eye().y, 30.0f) << "so its height keeps choosing the fog";
}

TEST_F(ShowTest, TheAuthoringViewDrawsTheIslandAndLeavesTheScriptAlone) {
  loadShow();
  frameAt(40000.0);
  const float sceneClock = script.sceneClock;
  script.freeCameraMode = true;
  frameAt(cue::introEndMs + 900.0);  // past the intro's end: the script would have moved on
  EXPECT_EQ(script.sceneState, 0);
  EXPECT_FLOAT_EQ(script.sceneClock, sceneClock);
  EXPECT_NEAR(script.authoringClock, (cue::introEndMs + 900.0f - 40000.0f) * cue::kSceneClockRate, 1e-2f);
  const auto pixels = gl.readPixels();
  int lit = 0;
  for (size_t i = 0; i < pixels.size(); i += 4) lit += pixels[i] + pixels[i + 1] + pixels[i + 2] > 30;
  EXPECT_GT(lit, 640 * 300) << "the sky box and the sea fill the picture";
  script.freeCameraMode = false;
  frameAt(cue::introEndMs + 910.0);
  EXPECT_EQ(script.sceneState, 1) << "the script resumes at the current time: the tunnel";
}

TEST_F(ShowTest, TheFinalSetUpLastsOneFrameAndTheShowEndsAfterItsLastMillisecond) {
  folder.write("cam4.trj", pathText(7, 1.0f));
  loadShow();
  frameAt(cue::kIslandEndMs);
  EXPECT_EQ(script.sceneState, 3);
  frameAt(cue::kIslandEndMs + 1.0);
  EXPECT_EQ(script.sceneState, 5) << "set-up and first final frame in the frame that crosses the island's end";
  frameAt(cue::kFinalEndMs + 0.5);
  EXPECT_EQ(script.sceneState, 6);
  EXPECT_EQ(sceneObjects.firstCamera->pointCount(), 7) << "cam4.trj is read";
  frameAt(cue::kShowEndMs);
  EXPECT_FALSE(show.finished());
  frameAt(cue::kShowEndMs + 0.001);
  EXPECT_TRUE(show.finished());
}

// The virtual clock at any rate hands every scene over with the first frame strictly after
// its time, however far into the show (no drift of the frame grid, also where a frame is not
// a whole number of milliseconds).
TEST_F(ShowTest, EverySceneChangeComesWithTheFirstFrameAfterItsTimeAtAnyRate) {
  loadShow();
  const int before[] = {0, 1, 2, 3, 5};
  const int after[] = {1, 2, 3, 5, 6};
  for (const int rate : {30, 144, 240}) {
    platform::useFrameRateCounter(rate);
    const double grid = 1000.0 / rate;
    for (size_t i = 0; i < std::size(cue::kSceneChangesMs); ++i) {
      const double first = std::floor(cue::kSceneChangesMs[i] * rate / 1000.0) + 1.0;
      show.seek((first - 1.0) * grid);
      show.frame();
      EXPECT_EQ(script.sceneState, before[i]) << rate << " fps, frame before the change at " << cue::kSceneChangesMs[i];
      show.seek(first * grid);
      show.frame();
      EXPECT_EQ(script.sceneState, after[i]) << rate << " fps, first frame after " << cue::kSceneChangesMs[i];
    }
  }
}

// The final scene's pictures, dark, so that the show makes its FinalScene.
void writeFinalPictures(const testing_support::TempFolder& folder) {
  platform::createFolders(folder.file("Textures/Morvan"));
  const std::vector<std::uint8_t> dark(32 * 32 * 3, 20);
  for (const char* picture :
       {demo::FinalScene::kFirstPicture, demo::FinalScene::kSecondPicture, "Textures/Morvan/waterfx.jpg"})
    ASSERT_TRUE(resources_test::writeJpeg(folder.file(picture), 32, 32, 3, dark));
}

TEST_F(ShowTest, TheBackdropIsRenderedForTheWindowPhaseOnlyAndItsProjectionAlways) {
  writeFinalPictures(folder);
  loadShow();
  frameAt(cue::kIslandEndMs + 1.0);
  ASSERT_TRUE(sceneObjects.finalScene);
  const GLuint backdrop = resources::textureTable.backdropTexture;
  const auto backdropCentre = [backdrop] {
    std::vector<std::uint8_t> texels(512 * 512 * 4);
    glBindTexture(GL_TEXTURE_2D, backdrop);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    return texels[(256 * 512 + 256) * 4];
  };
  const auto blankBackdrop = [backdrop] {
    const std::vector<std::uint8_t> zero(512 * 512 * 4, 0);
    glBindTexture(GL_TEXTURE_2D, backdrop);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 512, 512, GL_RGBA, GL_UNSIGNED_BYTE, zero.data());
  };
  for (const double ms : {144000.0, 155000.0, 170000.0}) {
    blankBackdrop();
    frameAt(ms);
    const bool window = ms == 155000.0;
    EXPECT_EQ(backdropCentre() > 0, window) << ms;
    GLfloat projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    // perspective(60, 1.7777, 1, 700): its depth terms, whether the pass ran or not.
    EXPECT_NEAR(projection[10], -701.0f / 699.0f, 1e-5f) << ms;
    EXPECT_NEAR(projection[5], 1.0f / std::tan(30.0f * 3.14159265f / 180.0f), 1e-4f) << ms;
  }
}

TEST_F(ShowTest, TheFlashBeforeTheCreditsWhitensThePictureAfterTheWireSphere) {
  writeFinalPictures(folder);
  loadShow();
  frameAt(cue::kIslandEndMs + 1.0);
  ASSERT_TRUE(sceneObjects.finalScene);
  frameAt(173900.0);  // the outline pass leaves its wire sphere's line mode behind
  const auto mean = [this] {
    const auto pixels = gl.readPixels();
    double sum = 0;
    for (int y = 100; y < 380; ++y)
      for (int x = 0; x < 640; ++x) sum += pixels[(static_cast<size_t>(y) * 640 + x) * 4];
    return sum / (280.0 * 640.0);
  };
  const double before = mean();
  frameAt(174250.0);
  EXPECT_GT(mean(), before + 0.6 * (255.0 - before)) << "three quarters of the flash";
}

}  // namespace
