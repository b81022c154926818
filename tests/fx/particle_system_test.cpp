#include "fx/particle_system.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "drawing_fixture.h"
#include "platform/crt_random.h"
#include "platform/file_system.h"
#include "resources/tga_image.h"
#include "support/temp_folder.h"

namespace {

using fx::Particle;
using fx::ParticleSystem;

// The C runtime's first draws after srand(1): 41, 18467, 6334, 26500, 19169, 15724, then
// 11478, 29358, 26962, 24464, 5705, 28145.
constexpr float kMax = 32767.0f;
const fx::Rgb kFireStart{1.0f, 0.75f, 0.5f};
const fx::Rgb kFireEnd{1.0f, 0.4f, 0.05f};

void expectParticle(const Particle& p, float x, float y, float z, float vx, float vy, float vz,
                    float life) {
  EXPECT_NEAR(p.x, x, 1e-5f);
  EXPECT_NEAR(p.y, y, 1e-5f);
  EXPECT_NEAR(p.z, z, 1e-5f);
  EXPECT_NEAR(p.vx, vx, 1e-6f);
  EXPECT_NEAR(p.vy, vy, 1e-6f);
  EXPECT_NEAR(p.vz, vz, 1e-6f);
  EXPECT_NEAR(p.life, life, 1e-6f);
}

TEST(ParticleSpawn, TakesPatchThenVelocityThenLifeFromTheGenerator) {
  platform::crtSrand(1);
  const Particle p = fx::spawnParticle(0.15f, {10.0f, 20.0f, 30.0f});
  expectParticle(p, 10 + 15 * 41 / kMax, 20, 30 + 15 * 18467 / kMax,
                 0.1125f - 0.15f * 6334 / kMax, 0.15f - 0.3f * 26500 / kMax,
                 0.1125f - 0.15f * 19169 / kMax, 15724 / kMax);
  // Exactly six draws: the next spawn starts at the seventh.
  const Particle q = fx::spawnParticle(0.15f, {});
  EXPECT_NEAR(q.x, 15 * 11478 / kMax, 1e-5f);
  EXPECT_NEAR(q.life, 28145 / kMax, 1e-6f);
}

TEST(ParticleSpawn, TheSystemSpawnsEveryRecordInOrderFromItsSeed) {
  const ParticleSystem system(2, 0.15f, "", kFireStart, kFireEnd, 1);
  ASSERT_EQ(system.capacity(), 2);
  EXPECT_EQ(system.activeCount(), 2);
  expectParticle(system.particles()[0], 15 * 41 / kMax, 0, 15 * 18467 / kMax,
                 0.1125f - 0.15f * 6334 / kMax, 0.15f - 0.3f * 26500 / kMax,
                 0.1125f - 0.15f * 19169 / kMax, 15724 / kMax);
  expectParticle(system.particles()[1], 15 * 11478 / kMax, 0, 15 * 29358 / kMax,
                 0.1125f - 0.15f * 26962 / kMax, 0.15f - 0.3f * 24464 / kMax,
                 0.1125f - 0.15f * 5705 / kMax, 28145 / kMax);
  EXPECT_FLOAT_EQ(system.startColour().g, 0.75f);
  EXPECT_FLOAT_EQ(system.endColour().b, 0.05f);
}

TEST(ParticleSpawn, TickSeededSystemsStayInsideTheirRanges) {
  const ParticleSystem system(500, 0.15f, "", kFireStart, kFireEnd);
  for (const Particle& p : system.particles()) {
    ASSERT_GE(p.x, 0.0f);
    ASSERT_LE(p.x, 15.0f);
    ASSERT_EQ(p.y, 0.0f);
    ASSERT_GE(p.vx, 0.75f * 0.15f - 0.15f - 1e-6f);
    ASSERT_LE(p.vx, 0.75f * 0.15f + 1e-6f);
    ASSERT_GE(p.vy, -0.15f - 1e-6f);
    ASSERT_LE(p.vy, 0.15f + 1e-6f);
    ASSERT_GE(p.life, 0.0f);
    ASSERT_LE(p.life, 1.0f);
  }
}

TEST(ParticleUpdate, MovesWithAccelerationAndSubtractedVelocity) {
  Particle p;
  p.life = 0.5f;
  p.x = 1;
  p.y = 2;
  p.z = 3;
  p.vx = 0.1f;
  p.vy = -0.2f;
  p.vz = 0.05f;
  EXPECT_FALSE(fx::ageParticle(p, 100.0f, ParticleSystem::kAcceleration));
  // age 0.6: y += 100 (0.36 x 0.5 x 0.65) 0.5 - 100 (0.6 x -0.2) 0.125 = 5.85 + 1.5.
  EXPECT_NEAR(p.life, 0.4f, 1e-6f);
  EXPECT_NEAR(p.x, 1.0f - 0.75f, 1e-5f);
  EXPECT_NEAR(p.y, 2.0f + 5.85f + 1.5f, 1e-5f);
  EXPECT_NEAR(p.z, 3.0f - 0.375f, 1e-5f);
}

TEST(ParticleUpdate, ALifeOfExactlyZeroIsNotRespawnedAndShowsTransparent) {
  Particle p;
  p.life = 0.5f;
  EXPECT_FALSE(fx::ageParticle(p, 500.0f, ParticleSystem::kAcceleration));
  EXPECT_EQ(p.life, 0.0f);
  const fx::Rgba c = fx::particleColour(p, kFireStart, kFireEnd);
  EXPECT_EQ(c.a, 0.0f);
  EXPECT_FLOAT_EQ(c.g, 0.4f);  // fully aged: the end colour
  Particle q;
  q.life = 0.5f;
  EXPECT_TRUE(fx::ageParticle(q, 501.0f, ParticleSystem::kAcceleration));
}

TEST(ParticleUpdate, ColourRunsFromStartToEndWithAge) {
  Particle p;
  p.life = 0.75f;  // age 0.25
  const fx::Rgba c = fx::particleColour(p, kFireStart, kFireEnd);
  EXPECT_FLOAT_EQ(c.r, 1.0f);
  EXPECT_FLOAT_EQ(c.g, 0.75f - 0.25f * 0.35f);
  EXPECT_FLOAT_EQ(c.b, 0.5f - 0.25f * 0.45f);
  EXPECT_FLOAT_EQ(c.a, 0.75f);
}

TEST(ParticleUpdate, ParticlesBelowZeroAreRespawnedInPlace) {
  ParticleSystem system(1, 0.15f, "", kFireStart, kFireEnd, 1);
  // Life 15724/32767 = 0.47987: 479 ms of step leave it just alive.
  system.update(479.0f);
  const Particle alive = system.particles()[0];
  EXPECT_NEAR(alive.life, 15724 / kMax - 0.479f, 1e-5f);
  EXPECT_GT(alive.y, 0.0f);  // lifted
  system.update(1.0f);
  expectParticle(system.particles()[0], 15 * 11478 / kMax, 0, 15 * 29358 / kMax,
                 0.1125f - 0.15f * 26962 / kMax, 0.15f - 0.3f * 24464 / kMax,
                 0.1125f - 0.15f * 5705 / kMax, 28145 / kMax);
}

bool sameRecords(const std::vector<Particle>& a, const std::vector<Particle>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(Particle)) == 0;
}

TEST(ParticleActiveCount, ZeroLeavesEveryRecordAlone) {
  ParticleSystem system(20, 0.15f, "", kFireStart, kFireEnd, 5);
  const auto before = system.particles();
  system.setActiveCount(0);
  system.update(5000.0f);
  EXPECT_TRUE(sameRecords(system.particles(), before));
}

TEST(ParticleActiveCount, LoweringThenRaisingResumesWhereTheyStopped) {
  ParticleSystem system(3, 0.15f, "", kFireStart, kFireEnd, 9);
  const auto before = system.particles();
  system.setActiveCount(1);
  system.update(10.0f);
  EXPECT_NE(system.particles()[0].life, before[0].life);
  EXPECT_TRUE(sameRecords({system.particles()[1], system.particles()[2]}, {before[1], before[2]}));

  system.setActiveCount(3);
  system.update(10.0f);
  Particle resumed = before[2];
  fx::ageParticle(resumed, 10.0f, ParticleSystem::kAcceleration);  // one step, not two
  EXPECT_FLOAT_EQ(system.particles()[2].life, resumed.life);
  EXPECT_FLOAT_EQ(system.particles()[2].y, resumed.y);
}

TEST(ParticleActiveCount, StaysWithinTheCapacity) {
  ParticleSystem system(4, 0.15f, "", kFireStart, kFireEnd, 1);
  system.setActiveCount(105);
  EXPECT_EQ(system.activeCount(), 4);
  system.update(2000.0f);  // every record, none past the array
  system.setActiveCount(-3);
  EXPECT_EQ(system.activeCount(), 0);
  const ParticleSystem none(-5, 0.15f, "", kFireStart, kFireEnd, 1);
  EXPECT_EQ(none.capacity(), 0);
  EXPECT_EQ(none.activeCount(), 0);
}

// ---- drawing ----

class ParticleDrawing : public fx_test::DrawingTest {};

TEST_F(ParticleDrawing, BillboardsFaceTheCameraUnderAnyTurn) {
  ParticleSystem system(1, 0.15f, "", kFireStart, kFireEnd, 1);
  const Particle p = system.particles()[0];
  // Turned a quarter about y: the particle ends up 30 units straight ahead.
  glRotatef(90.0f, 0.0f, 1.0f, 0.0f);
  glTranslatef(30.0f - p.x, -p.y, -p.z);
  glDisable(GL_DEPTH_TEST);
  system.draw();
  EXPECT_NEAR(system.right().z, 1.0f, 1e-6f);
  EXPECT_NEAR(system.right().x, 0.0f, 1e-6f);
  EXPECT_NEAR(system.up().y, 1.0f, 1e-6f);
  // Additive, untextured: colour x alpha, age 1 - life.
  const float life = p.life;
  const float age = 1.0f - life;
  const auto centre = pixel(320, 240);
  EXPECT_NEAR(centre.r, 255 * life, 2);
  EXPECT_NEAR(centre.g, 255 * (0.75f - 0.35f * age) * life, 2);
  EXPECT_NEAR(centre.b, 255 * (0.5f - 0.45f * age) * life, 2);
  // A square of 10 units at 30: 80 pixels across.
  EXPECT_GT(pixel(320 + 35, 240 - 35).r, 0);
  EXPECT_EQ(pixel(320 + 45, 240).r, 0);
  EXPECT_EQ(pixel(320, 240 + 45).r, 0);
}

TEST_F(ParticleDrawing, DrawLeavesTheStateItPromisesEvenWithNoParticles) {
  ParticleSystem system(10, 0.15f, "", kFireStart, kFireEnd, 1);
  system.setActiveCount(0);
  const auto before = system.particles();
  glEnable(GL_BLEND);
  glDepthMask(GL_FALSE);
  glDisable(GL_CULL_FACE);
  glDisable(GL_FOG);
  glColor4f(0.2f, 0.3f, 0.4f, 0.5f);
  glTranslatef(0, 0, -30);
  system.draw();
  const auto frame = gl().readPixels();
  int lit = 0;
  for (size_t i = 0; i < frame.size(); i += 4) lit += frame[i] | frame[i + 1] | frame[i + 2];
  EXPECT_EQ(lit, 0);
  GLfloat colour[4];
  glGetFloatv(GL_CURRENT_COLOR, colour);
  for (float c : colour) EXPECT_FLOAT_EQ(c, 1.0f);
  EXPECT_EQ(testing_support::standardStateDifferences(), std::vector<std::string>{});
  EXPECT_TRUE(sameRecords(system.particles(), before));
}

TEST_F(ParticleDrawing, SpriteComesFromTheTgaFileUnderItsBackslashPath) {
  testing_support::TempFolder folder;
  testing_support::ScopedWorkingDirectory here(folder.path());
  ASSERT_TRUE(platform::createFolder("textures"));
  const std::vector<std::uint8_t> white(4 * 4 * 4, 255);
  ASSERT_TRUE(resources::writeTga("textures/PART.TGA", 4, 4, 32, white));
  ParticleSystem system(500, 0.15f, "Textures\\part.tga", kFireStart, kFireEnd, 1);
  EXPECT_FALSE(system.texture().empty());
  EXPECT_EQ(system.texture().width, 4);
  system.destroy();
  EXPECT_TRUE(system.texture().empty());
  EXPECT_EQ(system.capacity(), 500);
}

}  // namespace
