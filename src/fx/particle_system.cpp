#include "fx/particle_system.h"

#include <GL/gl.h>

#include <algorithm>

#include "platform/crt_random.h"
#include "platform/gl_extensions.h"
#include "platform/render_state.h"
#include "platform/tick_count.h"
#include "resources/tga_image.h"

namespace fx {

float particleRandom() {
  return static_cast<float>(platform::crtRand()) / static_cast<float>(platform::kCrtRandMax);
}

Particle spawnParticle(float spread, const Float3& offset) {
  Particle p;
  // One statement per call: the order of the draws is what makes a seed replayable.
  p.x = offset.x + 15.0f * particleRandom();
  p.y = offset.y;
  p.z = offset.z + 15.0f * particleRandom();
  p.vx = 0.75f * spread - spread * particleRandom();
  p.vy = spread - 2.0f * spread * particleRandom();
  p.vz = 0.75f * spread - spread * particleRandom();
  p.life = particleRandom();
  return p;
}

bool ageParticle(Particle& p, float step, const Float3& acceleration) {
  p.life -= step * 0.001f;
  const float age = 1.0f - p.life;
  // The velocity term is subtracted: particles fall back against their spawn velocity while
  // the acceleration lifts them faster and faster.
  auto move = [&](float& position, float accel, float velocity) {
    position += step * (age * age * 0.5f * accel) * 0.5f - step * (age * velocity) * 0.125f;
  };
  move(p.x, acceleration.x, p.vx);
  move(p.y, acceleration.y, p.vy);
  move(p.z, acceleration.z, p.vz);
  return p.life < 0.0f;
}

Rgba particleColour(const Particle& p, const Rgb& start, const Rgb& end) {
  const float age = 1.0f - p.life;
  return {start.r + age * (end.r - start.r), start.g + age * (end.g - start.g),
          start.b + age * (end.b - start.b), p.life};
}

ParticleSystem::ParticleSystem(int capacity, float spread, std::string_view textureFile,
                               const Rgb& start, const Rgb& end)
    : ParticleSystem(capacity, spread, textureFile, start, end, platform::tickCount()) {}

ParticleSystem::ParticleSystem(int capacity, float spread, std::string_view textureFile,
                               const Rgb& start, const Rgb& end, unsigned int seed)
    : spread_(spread) {
  create(capacity, textureFile, seed);
  start_ = start;
  end_ = end;
}

void ParticleSystem::create(int capacity, std::string_view textureFile, unsigned int seed) {
  platform::crtSrand(seed);
  offset_ = {0.0f, 0.0f, 0.0f};
  acceleration_ = kAcceleration;
  particles_.resize(static_cast<size_t>(std::max(capacity, 0)));
  for (Particle& p : particles_) p = spawnParticle(spread_, offset_);
  activeCount_ = capacity > 0 ? capacity : 0;
  if (!textureFile.empty()) texture_ = resources::loadTgaTexture(textureFile);
}

void ParticleSystem::restore(const Snapshot& snapshot) {
  if (snapshot.particles.size() != particles_.size()) return;
  particles_ = snapshot.particles;
  activeCount_ = snapshot.activeCount;
  start_ = snapshot.start;
  end_ = snapshot.end;
}

void ParticleSystem::setColours(const Rgb& start, const Rgb& end) {
  start_ = start;
  end_ = end;
}

void ParticleSystem::setActiveCount(int count) {
  activeCount_ = std::clamp(count, 0, capacity());
}

void ParticleSystem::update(float step) {
  for (int i = 0; i < activeCount_; ++i) {
    Particle& p = particles_[static_cast<size_t>(i)];
    if (ageParticle(p, step, acceleration_)) p = spawnParticle(spread_, offset_);
  }
}

void ParticleSystem::draw() {
  glGetFloatv(GL_MODELVIEW_MATRIX, modelview_);
  right_ = {modelview_[0], modelview_[4], modelview_[8]};
  up_ = {modelview_[1], modelview_[5], modelview_[9]};

  if (platform::glext.activeTexture) platform::glext.activeTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, texture_.name);
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glDepthMask(GL_FALSE);
  glDisable(GL_CULL_FACE);
  glDisable(GL_FOG);

  // Every square of the frame in one draw: each corner placed on the CPU where the particle's
  // translation and the scale of 5 put it, rather than one matrix change and one batch per
  // particle. Corners in the order of the square's triangle strip.
  const Float3 r = right_;
  const Float3 u = up_;
  const Float3 corners[4] = {{r.x + u.x, r.y + u.y, r.z + u.z},
                             {u.x - r.x, u.y - r.y, u.z - r.z},
                             {r.x - u.x, r.y - u.y, r.z - u.z},
                             {-r.x - u.x, -r.y - u.y, -r.z - u.z}};
  constexpr float kCornerTex[4][2] = {{1.0f, 1.0f}, {0.0f, 1.0f}, {1.0f, 0.0f}, {0.0f, 0.0f}};
  drawn_.resize(static_cast<size_t>(activeCount_) * 4);
  indices_.resize(static_cast<size_t>(activeCount_) * 6);
  for (int i = 0; i < activeCount_; ++i) {
    const Particle& p = particles_[static_cast<size_t>(i)];
    const Rgba c = particleColour(p, start_, end_);
    for (int k = 0; k < 4; ++k) {
      SpriteVertex& v = drawn_[static_cast<size_t>(i) * 4 + k];
      v = {kCornerTex[k][0], kCornerTex[k][1], c.r, c.g, c.b, c.a, p.x + 5.0f * corners[k].x,
           p.y + 5.0f * corners[k].y, p.z + 5.0f * corners[k].z};
    }
    // The strip's two triangles, as the driver splits a strip.
    const auto first = static_cast<std::uint32_t>(i) * 4;
    const std::uint32_t strip[6] = {first, first + 1, first + 2, first + 2, first + 1, first + 3};
    std::copy(strip, strip + 6, indices_.begin() + static_cast<std::ptrdiff_t>(i) * 6);
  }
  if (activeCount_ > 0) {
    const platform::ScopedClientArrays arrays;
    glTexCoordPointer(2, GL_FLOAT, sizeof(SpriteVertex), &drawn_[0].s);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glColorPointer(4, GL_FLOAT, sizeof(SpriteVertex), &drawn_[0].r);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(3, GL_FLOAT, sizeof(SpriteVertex), &drawn_[0].x);
    glEnableClientState(GL_VERTEX_ARRAY);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(indices_.size()), GL_UNSIGNED_INT, indices_.data());
  }

  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  glDepthMask(GL_TRUE);
  glDisable(GL_BLEND);
  glEnable(GL_CULL_FACE);
  glEnable(GL_FOG);
}

void ParticleSystem::destroy() { resources::releaseTexture(texture_); }

}  // namespace fx
