// The kit's files read by the demo's own reader: the same numbers come back, the reader's
// normals face the way the writer meant, and the character drawn through its tags stands,
// runs and falls where the intro scene expects it.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <cstdlib>

#include "md3_writer.h"
#include "resources/png_writer.h"
#include "show_model_set.h"
#include "support/drawing_test.h"
#include "world/character.h"
#include "world/md3_model.h"
#include "written_models.h"

namespace {

using modelkit::CharacterSet;
using modelkit::SkinnedModel;



TEST(KitReaderRoundTrip, ModelsComeBackAsWritten) {
  const CharacterSet c = modelkit::characterModel();
  for (const SkinnedModel& m : {modelkit::chelouModel(), modelkit::monkModel(), modelkit::boatModel(), c.lower, c.upper, c.head}) {
    const std::vector<std::uint8_t> bytes = modelkit::encodeMd3(m.model).bytes;
    const world::Md3Data data = world::parseMd3(bytes);
    ASSERT_EQ(data.frameCount, m.model.frameCount) << m.model.name;
    ASSERT_EQ(data.tagCount, m.model.tags.empty() ? 0 : static_cast<int>(m.model.tags[0].size())) << m.model.name;
    ASSERT_EQ(data.surfaces.size(), m.model.surfaces.size()) << m.model.name;
    for (size_t i = 0; i < data.surfaces.size(); ++i) {
      const world::Md3Surface& got = data.surfaces[i];
      const modelkit::SurfaceFrames& sent = m.model.surfaces[i];
      EXPECT_EQ(got.name, sent.name);
      EXPECT_EQ(got.droppedTriangles, 0) << m.model.name;
      ASSERT_EQ(got.triangles.size(), sent.triangles.size());
      ASSERT_EQ(got.normalFrames, m.model.frameCount) << m.model.name;
      int agreeing = 0, compared = 0;
      for (int f = 0; f < m.model.frameCount; f += std::max(1, m.model.frameCount / 7))
        for (int v = 0; v < got.vertexCount; v += 3) {
          const world::Vec3 p = got.position(f, v);
          const modelkit::Vec3 q = sent.positions[static_cast<size_t>(f)][static_cast<size_t>(v)];
          ASSERT_NEAR(p.x, q.x, 1.0 / 128) << m.model.name;
          ASSERT_NEAR(p.z, q.z, 1.0 / 128) << m.model.name;
          // The reader's own normals point the way the writer's do: the winding is right.
          const world::Vec3 n = got.normal(f, v);
          const modelkit::Vec3 w = sent.normals[static_cast<size_t>(f)][static_cast<size_t>(v)];
          agreeing += n.x * w.x + n.y * w.y + n.z * w.z > 0.3f;
          ++compared;
        }
      EXPECT_GT(agreeing, compared * 9 / 10) << m.model.name << ": the reader's normals face the other way";
    }
  }
}

TEST(KitReaderRoundTrip, AnimationTableAsTheCharacterReadsIt) {
  const std::string cfg = modelkit_test::writtenModels().folder.read("Doom/Animation.cfg");
  world::AnimationConfig config = world::parseAnimationConfig(cfg);
  EXPECT_EQ(config.entries, 26);
  EXPECT_EQ(config.ignored, 0);
  world::shiftLowerBodyFrames(config.table);
  const CharacterSet c = modelkit::characterModel();
  const int shift = c.animations[13].first - c.animations[6].first;
  for (int n = 0; n < 26; ++n) {
    const int expected = n >= 13 && n <= 24 ? c.animations[static_cast<size_t>(n)].first - shift : c.animations[static_cast<size_t>(n)].first;
    EXPECT_EQ(config.table[static_cast<size_t>(n)].firstFrame, expected) << n;
    EXPECT_EQ(config.table[static_cast<size_t>(n)].frameCount, c.animations[static_cast<size_t>(n)].count) << n;
  }
}

// Side view of the corridor: eye on +x looking at -x, orthographic, 5 pixels per unit,
// scene y = 30 in the middle row: y = 0 is row 350 of 400.
constexpr int kPictureSide = 400;

class KitCharacterPicture : public testing_support::DrawingTest<kPictureSide, kPictureSide> {
 protected:
  static constexpr int kSide = kPictureSide;
  static constexpr float kPixelsPerUnit = 5;
  static int rowOf(float y) { return static_cast<int>(std::lround(kSide / 2 - (y - 30) * kPixelsPerUnit)); }

  static void SetUpTestSuite() {
    DrawingTest::SetUpTestSuite();
    if (!drawable()) return;
    previous_ = std::make_unique<testing_support::ScopedWorkingDirectory>(modelkit_test::writtenModels().folder.path());
    character_ = std::make_unique<world::Character>(world::Character::load("Doom"));
  }
  static void TearDownTestSuite() {
    if (character_) character_->destroy();
    character_.reset();
    previous_.reset();
    DrawingTest::TearDownTestSuite();
  }

  // Draws the figure the way the intro does (at S = 0, facing -z, scale 3) with the two
  // halves on the given frames; returns the rows of the topmost and lowest drawn pixels.
  std::pair<int, int> draw(int lowerFrame, int upperFrame, const std::string& preview) {
    glViewport(0, 0, kSide, kSide);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-40, 40, -40, 40, 1, 400);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(150, 30, 0, 0, 30, 0, 0, 1, 0);
    glEnable(GL_DEPTH_TEST);
    glCullFace(GL_FRONT);
    glEnable(GL_CULL_FACE);
    const float ambient[] = {0.5f, 0.5f, 0.5f, 1}, diffuse[] = {1, 1, 1, 1}, position[] = {1, 1, 0.5f, 0};
    glLightfv(GL_LIGHT1, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, diffuse);
    glLightfv(GL_LIGHT1, GL_POSITION, position);
    glEnable(GL_LIGHT1);
    glEnable(GL_LIGHTING);
    glColor4f(1, 1, 1, 1);
    for (world::Md3Model* part : {&character_->lowerBody(), &character_->upperBody()}) {
      world::FrameState& s = part->frameState();
      s.current = s.next = part == &character_->lowerBody() ? lowerFrame : upperFrame;
      s.frac = 0;
      s.start = s.current;
      s.end = s.current + 1;
    }
    glPushMatrix();
    glTranslatef(0, 25, 0);
    glRotatef(180, 0, 1, 0);
    glScalef(3, 3, 3);
    character_->draw(0);
    glPopMatrix();
    glDisable(GL_LIGHTING);
    const std::vector<std::uint8_t> pixels = gl().readPixels();
    if (const char* folder = std::getenv("TOLVEK_MODELKIT_PREVIEW"); folder && *folder)
      gl().savePng(std::string(folder) + "/" + preview + ".png");
    int top = kSide, bottom = -1;
    for (int y = 0; y < kSide; ++y)
      for (int x = 0; x < kSide; ++x) {
        const std::uint8_t* p = &pixels[(static_cast<size_t>(y) * kSide + x) * 4];
        if (p[0] + p[1] + p[2] > 0) top = std::min(top, y), bottom = std::max(bottom, y);
      }
    return {top, bottom};
  }

  static int lowerFirst(int n) {
    const auto& a = character_->animations();
    return a[static_cast<size_t>(n)].firstFrame;
  }

  static std::unique_ptr<testing_support::ScopedWorkingDirectory> previous_;
  static std::unique_ptr<world::Character> character_;
};

std::unique_ptr<testing_support::ScopedWorkingDirectory> KitCharacterPicture::previous_;
std::unique_ptr<world::Character> KitCharacterPicture::character_;

TEST_F(KitCharacterPicture, RunsWithItsFeetOnTheCorridorFloor) {
  ASSERT_TRUE(character_->lowerBody().loaded() && character_->upperBody().loaded() && character_->head().loaded());
  const auto& a = character_->animations();
  for (int k = 0; k < a[15].frameCount; ++k) {
    const auto [top, bottom] = draw(lowerFirst(15) + k, a[6].firstFrame + k, "run_" + std::to_string(k));
    EXPECT_NEAR(bottom, rowOf(0), 2) << "run frame " << k;
    // Standing 45 to 60 units tall as drawn.
    EXPECT_LT(top, rowOf(45)) << k;
    EXPECT_GT(top, rowOf(62)) << k;
  }
}

TEST_F(KitCharacterPicture, GestureLiftsAHandOverTheHead) {
  const auto& a = character_->animations();
  const int standing = draw(lowerFirst(22), a[6].firstFrame, "gesture_0").first;
  int highest = standing;
  for (int k = 1; k < a[6].frameCount; ++k) highest = std::min(highest, draw(lowerFirst(22), a[6].firstFrame + k, "gesture_" + std::to_string(k)).first);
  EXPECT_LT(highest, standing - 3 * kPixelsPerUnit) << "no hand above the helmet";
}

TEST_F(KitCharacterPicture, FallEndsLyingOnTheFloor) {
  const auto& a = character_->animations();
  const auto [startTop, startBottom] = draw(a[0].firstFrame, a[0].firstFrame, "fall_0");
  const int last = a[0].firstFrame + a[0].frameCount - 1;
  for (int k = 1; k < a[0].frameCount; k += 4) draw(a[0].firstFrame + k, a[0].firstFrame + k, "fall_" + std::to_string(k));
  const auto [endTop, endBottom] = draw(last, last, "fall_end");
  EXPECT_NEAR(startBottom, rowOf(0), 2);
  EXPECT_NEAR(endBottom, rowOf(0), 2);
  EXPECT_GT(endTop, rowOf(18)) << "still standing at the end of the fall";
  EXPECT_LT(startTop, rowOf(45));
}

TEST_F(KitCharacterPicture, ShowsInTheCorridorLights) {
  // The intro's lights and a camera following behind and above the runner at z = -200.
  glViewport(0, 0, kSide, kSide);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(50, 1, 1, 2000);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  gluLookAt(-25, 50, -120, 0, 28, -200, 0, 1, 0);
  glEnable(GL_DEPTH_TEST);
  glCullFace(GL_FRONT);
  glEnable(GL_CULL_FACE);
  const float ambient[] = {0.5f, 0.5f, 0.5f, 0}, red[] = {1, 0, 0, 0}, white[] = {1, 1, 1, 0};
  const float p1[] = {0, 74, 34, 1}, p2[] = {0, 68, -260, 1};
  glLightfv(GL_LIGHT1, GL_AMBIENT, ambient);
  glLightfv(GL_LIGHT1, GL_DIFFUSE, red);
  glLightfv(GL_LIGHT1, GL_POSITION, p1);
  glLightf(GL_LIGHT1, GL_QUADRATIC_ATTENUATION, 0.00005f);
  glLightfv(GL_LIGHT2, GL_AMBIENT, ambient);
  glLightfv(GL_LIGHT2, GL_DIFFUSE, white);
  glLightfv(GL_LIGHT2, GL_POSITION, p2);
  glLightf(GL_LIGHT2, GL_QUADRATIC_ATTENUATION, 0.00005f);
  glEnable(GL_LIGHT1);
  glEnable(GL_LIGHT2);
  glEnable(GL_LIGHTING);
  character_->setLowerAnimationIndex(15);
  character_->setAnimation(15);
  character_->setUpperAnimationIndex(6);
  character_->setAnimation(6);
  glPushMatrix();
  glTranslatef(0, 25, -200);
  glRotatef(180, 0, 1, 0);
  glScalef(3, 3, 3);
  character_->draw(0);
  glPopMatrix();
  glDisable(GL_LIGHTING);
  glDisable(GL_LIGHT1);
  glDisable(GL_LIGHT2);
  if (const char* folder = std::getenv("TOLVEK_MODELKIT_PREVIEW"); folder && *folder)
    gl().savePng(std::string(folder) + "/corridor.png");
  const std::vector<std::uint8_t> pixels = gl().readPixels();
  double sum = 0;
  size_t drawn = 0;
  for (size_t i = 0; i < pixels.size(); i += 4)
    if (pixels[i] + pixels[i + 1] + pixels[i + 2] > 0) sum += (pixels[i] + pixels[i + 1] + pixels[i + 2]) / 3.0, ++drawn;
  ASSERT_GT(drawn, 2000u) << "the runner is hardly there";
  // Seen from behind it has the red light and the two ambients (about a quarter of the skin's
  // colour); dark armour would leave a black shape running through a dark corridor.
  EXPECT_GT(sum / static_cast<double>(drawn), 20) << "the runner is too dark to read in the corridor";
}

}  // namespace
