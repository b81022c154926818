// The authoring keys on synthesized key states, frame by frame: latched keys act once per
// press, the capture files get their formats, the camera keys move in their table order and
// only while Space is held.
#include "app/authoring_controls.h"

#include <gtest/gtest.h>

#include <cmath>

#include "demo/timeline.h"
#include "platform/frame_timer.h"
#include "platform/keyboard.h"
#include "platform/settings.h"
#include "resources/screenshot.h"
#include "support/gl_context.h"
#include "support/temp_folder.h"
#include "world/camera_path.h"

namespace {

using testing_support::TempFolder;
using world::Vec3;

class AuthoringTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::keys = {};
    app::authoring = {};
    demo::script = {};
    // A frame of 10 ms as the clocks measure it.
    platform::useVirtualCounter(1000);
    platform::timerInit();
    platform::advanceVirtualCounter(10);
    demo::script.frameDelta = platform::frameDeltaMs();
  }
  void TearDown() override {
    platform::keys = {};
    platform::useRealCounter();
  }
  // One frame with exactly these keys down.
  void frame(std::initializer_list<int> down) {
    platform::keys = {};
    for (int key : down) platform::keys.down[static_cast<size_t>(key)] = true;
    app::authoringControls();
  }

  TempFolder folder;
  testing_support::ScopedWorkingDirectory cwd{folder.path()};
};

TEST_F(AuthoringTest, LatchedKeysActOncePerPressAndCueLinesAppend) {
  folder.write("time.txt", "kept\n");
  demo::script.musicOrder = 3;
  demo::script.musicRow = 17;
  frame({'W'});
  frame({'W'});  // held: no second record
  frame({});
  frame({'W', 'B'});
  frame({'B'});
  frame({'B', 'N'});
  const std::string cue = folder.read("time.txt");
  EXPECT_EQ(cue.rfind("kept\n", 0), 0u) << cue;
  int records = 0;
  for (size_t at = cue.find("\n3 17\n"); at != std::string::npos; at = cue.find("\n3 17\n", at + 1)) ++records;
  EXPECT_EQ(records, 2) << cue;
  double ms = -1;
  int order = 0, row = 0;
  ASSERT_EQ(std::sscanf(cue.c_str() + 5, "%lf\n%d %d\n", &ms, &order, &row), 3) << cue;
  EXPECT_EQ(order, 3);
  EXPECT_EQ(row, 17);
  EXPECT_EQ(app::cueRecord(1234.5, 2, 9), "1234.500000\n2 9\n");
  EXPECT_EQ(demo::script.lightmapsOn, 0) << "B pressed once, held for two frames";
  EXPECT_EQ(demo::script.texturesOn, 0);
  EXPECT_FALSE(folder.exists("camoutput.txt")) << "C and the camera need Space";
}

TEST_F(AuthoringTest, HeldTWritesOneScreenshot) {
  testing_support::GlTestContext gl(64, 48);
  ASSERT_TRUE(gl.ok()) << "needs a display (xvfb-run -a)";
  platform::settings.screenWidth = 64;
  platform::settings.screenHeight = 48;
  resources::resetScreenshotCounter();
  for (int i = 0; i < 5; ++i) frame({'T'});
  EXPECT_TRUE(folder.exists("screenshot0.tga"));
  EXPECT_EQ(folder.entryCount(), 1);
  frame({});
  frame({'T'});
  EXPECT_TRUE(folder.exists("screenshot1.tga"));
}

TEST_F(AuthoringTest, NothingMovesWithoutSpaceAndPRewritesTheMarkerEveryFrame) {
  const Vec3 eye = demo::script.freeEye, target = demo::script.freeTarget;
  frame({platform::kVkUp, 'R', 'Q', 'Z', 'P', 'C'});
  EXPECT_FALSE(demo::script.freeCameraMode);
  EXPECT_EQ(demo::script.freeEye, eye);
  EXPECT_EQ(demo::script.freeTarget, target);
  EXPECT_FALSE(folder.exists("objposition.txt"));
  EXPECT_FALSE(folder.exists("camoutput.txt"));

  frame({platform::kVkSpace, 'P', platform::kVkUp, platform::kVkRight});
  EXPECT_TRUE(demo::script.freeCameraMode);
  EXPECT_EQ(folder.read("objposition.txt"), "0.100000 25.000000 0.100000\n\n");
  frame({platform::kVkSpace, 'P', 'M'});
  EXPECT_EQ(folder.read("objposition.txt"), "0.000000 25.000000 0.100000\n\n") << "the latest marker only";
  EXPECT_EQ(demo::script.freeEye, eye) << "the camera waits while P is held";
  frame({});
  EXPECT_FALSE(demo::script.freeCameraMode) << "Space released: back to the script";
}

TEST_F(AuthoringTest, CameraKeysMoveEyeAndTargetAsTheirTableSays) {
  // From the start camera (0, 40, 0) looking along -z, frame delta 10: move 2, turn 0.01.
  const float c = std::cos(0.01f), s = std::sin(0.01f);
  const struct {
    int key;
    Vec3 eye, target;
  } cases[] = {
      {'R', {0, 40.4f, 0}, {0, 40.4f, -10}},
      {'G', {0, 39.6f, 0}, {0, 39.6f, -10}},
      {'E', {0, 40, -2}, {0, 40, -12}},
      {'F', {0, 40, 2}, {0, 40, -8}},
      {platform::kVkUp, {0, 40, -2}, {0, 40, -12}},
      {platform::kVkDown, {0, 40, 2}, {0, 40, -8}},
      {platform::kVkRight, {0, 40, 0}, {10 * s, 40, -10 * c}},
      {platform::kVkLeft, {0, 40, 0}, {-10 * s, 40, -10 * c}},
      {'Q', {-1, 40, 0}, {-1, 40, -10}},
      {'D', {1, 40, 0}, {1, 40, -10}},
      {'Z', {0, 40, 0}, {0, 40 + 10 * s, -10 * c}},
      {'S', {0, 40, 0}, {0, 40 - 10 * s, -10 * c}},
  };
  for (const auto& k : cases) {
    Vec3 eye{0, 40, 0}, target{0, 40, -10};
    platform::keys = {};
    platform::keys.down[static_cast<size_t>(k.key)] = true;
    app::moveFreeCamera(eye, target, 10.0f);
    for (const auto& [got, want] : {std::pair{eye, k.eye}, std::pair{target, k.target}}) {
      EXPECT_NEAR(got.x, want.x, 1e-4f) << "key " << k.key;
      EXPECT_NEAR(got.y, want.y, 1e-4f) << "key " << k.key;
      EXPECT_NEAR(got.z, want.z, 1e-4f) << "key " << k.key;
    }
  }
  // In table order: the turn (Right) comes after the move (Up), so the move goes straight on.
  Vec3 eye{0, 40, 0}, target{0, 40, -10};
  platform::keys = {};
  platform::keys.down[platform::kVkUp] = platform::keys.down[platform::kVkRight] = true;
  app::moveFreeCamera(eye, target, 10.0f);
  EXPECT_NEAR(eye.x, 0.0f, 1e-5f);
  EXPECT_NEAR(eye.z, -2.0f, 1e-5f);
  EXPECT_NEAR(target.x, 10 * s, 1e-4f);
}

TEST_F(AuthoringTest, CameraRecordsReadBackThroughThePathReader) {
  for (int i = 0; i < 2; ++i) {
    frame({platform::kVkSpace, platform::kVkUp, 'Q', 'Z'});
    frame({platform::kVkSpace, 'C'});
  }
  const Vec3 eye = demo::script.freeEye, target = demo::script.freeTarget;
  const std::string records = folder.read("camoutput.txt");
  EXPECT_EQ(records.substr(records.size() - app::cameraRecord(eye, target).size()), app::cameraRecord(eye, target));
  // Two records and a count line make a path file.
  folder.write("captured.trj", "2\n" + records);
  const world::CameraPath path = world::CameraPath::load("captured.trj");
  ASSERT_EQ(path.pointCount(), 2);
  const Vec3 readEye = path.eyeTrack().point(1), readTarget = path.targetTrack().point(1);
  for (const auto& [got, want] : {std::pair{readEye, eye}, std::pair{readTarget, target}}) {
    EXPECT_NEAR(got.x, want.x, 1e-5f);
    EXPECT_NEAR(got.y, want.y, 1e-5f);
    EXPECT_NEAR(got.z, want.z, 1e-5f);
  }
  EXPECT_NE(path.eyeTrack().point(0), readEye) << "the first record is the first point";
}

}  // namespace
