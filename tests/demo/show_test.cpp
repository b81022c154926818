// The show's life as its hosts see it: what unload gives back, in which order, and only once.
#include "demo/show.h"

#include <gtest/gtest.h>

#include "music/music_player.h"
#include "platform/gl_extensions.h"
#include "show_fixture.h"

namespace {

using demo::sceneObjects;
using demo_test::ShowTest;

TEST_F(ShowTest, UnloadGivesEverythingBackInTheShutdownOrderOnce) {
  loadShow();
  ASSERT_TRUE(music::soundDeviceOpen());
  ASSERT_TRUE(folder.exists("data/map"));
  int reports = 0;
  // The host's step (the frame-rate report) comes after the sound, before anything drawn.
  show.unload([&] {
    ++reports;
    EXPECT_FALSE(music::soundDeviceOpen()) << "the song and the sound system go first";
    EXPECT_TRUE(sceneObjects.firstLevel && sceneObjects.font) << "the objects are still there";
    EXPECT_TRUE(folder.exists("data/map")) << "so are the unpacked files";
    EXPECT_NE(platform::sharedQuadric(), nullptr) << "and the textures";
  });
  EXPECT_EQ(reports, 1);
  EXPECT_FALSE(sceneObjects.firstLevel || sceneObjects.character || sceneObjects.firstCamera || sceneObjects.font);
  EXPECT_FALSE(folder.exists("data"));
  EXPECT_EQ(platform::sharedQuadric(), nullptr);
  EXPECT_FALSE(show.loaded());
  show.unload([&] { ++reports; });
  EXPECT_EQ(reports, 1) << "an unloaded show has nothing left to give back";
}

TEST_F(ShowTest, ALoadAfterAnUnloadStartsTheScriptAfresh) {
  loadShow();
  frameAt(60000.0);
  ASSERT_EQ(show.state().sceneState, 1);
  reloadWithPresenter(nullptr);
  EXPECT_FALSE(show.started());
  EXPECT_EQ(show.demoTimeMs(), 0.0);
  loadShow();
  EXPECT_EQ(show.state().sceneState, 0);
  EXPECT_LT(show.demoTimeMs(), 1.0) << "the clocks start again at the end of loading";
  EXPECT_EQ(show.state().letterboxHeight, 59);
}

}  // namespace
