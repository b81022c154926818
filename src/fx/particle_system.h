// The particle fountain: one emitter whose particles spawn on a 15 x 15 patch, drift up under
// a constant acceleration while their velocity term pulls them apart, fade with their
// remaining life and respawn once it runs out. The show makes one and reuses it, recoloured,
// for the fire in the first level and the mist at the foot of the waterfall; the caller puts
// the emitter in place with the modelview before each update/draw pair.
//
// Random numbers come from the C-runtime-compatible generator, seeded with the tick count at
// creation, so the order of the calls in a spawn is part of the behaviour.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "resources/texture_record.h"

namespace fx {

struct Rgb {
  float r = 0.0f;
  float g = 0.0f;
  float b = 0.0f;
};

struct Rgba {
  float r = 0.0f;
  float g = 0.0f;
  float b = 0.0f;
  float a = 0.0f;
};

struct Particle {
  float life = 0.0f;  // 1 at most; respawned once below 0
  float x = 0.0f, y = 0.0f, z = 0.0f;
  float vx = 0.0f, vy = 0.0f, vz = 0.0f;
  float spare[3] = {0.0f, 0.0f, 0.0f};
};

struct Float3 {
  float x = 0.0f, y = 0.0f, z = 0.0f;
};

// ---- arithmetic ----

// rand() / 32767 from the C-runtime-compatible generator: 0..1, one call per use.
float particleRandom();

// A fresh particle: position (patch), then velocity, then life, in that order of calls.
Particle spawnParticle(float spread, const Float3& offset);

// Ages and moves one particle by `step`. Returns true when its life has dropped below 0
// (exactly 0 is still alive) and it is due for respawn.
bool ageParticle(Particle& particle, float step, const Float3& acceleration);

// Start colour blended towards the end colour with age = 1 - life; alpha = life.
Rgba particleColour(const Particle& particle, const Rgb& start, const Rgb& end);

// ---- the emitter ----

class ParticleSystem {
 public:
  static constexpr Float3 kAcceleration{0.0f, 0.65f, 0.0f};

  // Seeds the generator with the tick count, spawns every particle, then loads the sprite
  // from a TGA file (an empty name loads nothing, for tests without a window).
  ParticleSystem(int capacity, float spread, std::string_view textureFile, const Rgb& start,
                 const Rgb& end);
  // The same with a chosen seed, so tests can replay a spawn.
  ParticleSystem(int capacity, float spread, std::string_view textureFile, const Rgb& start,
                 const Rgb& end, unsigned int seed);
  ParticleSystem(const ParticleSystem&) = delete;
  ParticleSystem& operator=(const ParticleSystem&) = delete;

  void setColours(const Rgb& start, const Rgb& end);
  // Kept within 0..capacity; records past it stay as they are until it rises again.
  void setActiveCount(int count);

  // `step` is the caller's frame time in milliseconds times its scene factor.
  void update(float step);
  // Camera-facing squares at the current modelview, added to the picture with the blend
  // function the caller has set.
  void draw();

  // Gives the sprite texture back (needs the rendering context); the records stay.
  void destroy();

  // What moves: the records, how many are active, the colours.
  struct Snapshot {
    std::vector<Particle> particles;
    int activeCount = 0;
    Rgb start, end;
  };
  Snapshot snapshot() const { return {particles_, activeCount_, start_, end_}; }
  void restore(const Snapshot& snapshot);

  int capacity() const { return static_cast<int>(particles_.size()); }
  int activeCount() const { return activeCount_; }
  float spread() const { return spread_; }
  const std::vector<Particle>& particles() const { return particles_; }
  const Rgb& startColour() const { return start_; }
  const Rgb& endColour() const { return end_; }
  const resources::TextureRecord& texture() const { return texture_; }
  // The two billboard axes of the last draw.
  const Float3& right() const { return right_; }
  const Float3& up() const { return up_; }

 private:
  void create(int capacity, std::string_view textureFile, unsigned int seed);

  resources::TextureRecord texture_;
  std::vector<Particle> particles_;
  int activeCount_ = 0;
  float spread_ = 0.0f;
  float modelview_[16] = {};
  Float3 up_;
  Float3 right_;
  Rgb start_;
  Rgb end_;
  Float3 offset_;
  Float3 acceleration_ = kAcceleration;
  // The squares of the last draw.
  struct SpriteVertex {
    float s, t;
    float r, g, b, a;
    float x, y, z;
  };
  std::vector<SpriteVertex> drawn_;
  std::vector<std::uint32_t> indices_;
};

}  // namespace fx
