// Pictures of the scene objects: the waterfall's water (waves.jpg), the terrain's detail
// texture (Detail.jpg), the glass column (Glass.jpg) and the glow sprite of the particles
// and light sprites (part.tga).
#include <cmath>

#include "noise.h"
#include "picture_files.h"
#include "show_kit.h"
#include "style.h"

namespace showkit {

namespace {

// Falling water: foam streaks along t (the direction the strips scroll), grey-white, tinted
// blue and added by the scene. Tiles both ways.
Image wavesPicture() {
  const int n = 256;
  Image image(n, n);
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x) {
      const float u = (static_cast<float>(x) + 0.5f) / n, v = (static_cast<float>(y) + 0.5f) / n;
      const float warp = fbm(u * 4, v * 4, 3, 0x3a1u, 4, 4) - 0.5f;
      const float streaks = fbm(u * 32 + warp * 6, v * 2, 4, 0x3a2u, 32, 2);
      const float foam = smoothstep(0.55f, 0.8f, fbm(u * 16 + warp * 3, v * 3, 5, 0x3a3u, 16, 3));
      const float level = clamp01(0.15f + 0.7f * std::pow(streaks, 1.6f) + 0.45f * foam);
      image.at(x, y) = withAlpha(mix(Rgba{0.25f, 0.3f, 0.34f, 1}, palette::white, level), 1);
    }
  return image;
}

// Ground grain for the terrain: multiplied by two over the ground picture, so its mean must
// stay at mid-grey or the island turns darker or lighter.
Image detailPicture() {
  const int n = 256;
  Field level(n, n);
  double sum = 0;
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x) {
      const float u = (static_cast<float>(x) + 0.5f) / n, v = (static_cast<float>(y) + 0.5f) / n;
      const float pebbles = cellNoise(u * 16, v * 16, 0xde1u, 16, 16).f1;
      const float grain = fbm(u * 16, v * 16, 5, 0xde2u, 16, 16, 0.6f);
      const float fine = hashUnit(x, y, 0xde3u);
      const float l = 0.6f * grain + 0.25f * (1 - pebbles) + 0.15f * fine;
      level.at(x, y) = l;
      sum += l;
    }
  const float mean = static_cast<float>(sum / (n * n));
  Image image(n, n);
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x) {
      // Centred on mid-grey with a moderate contrast, and a touch of warm earth.
      const float l = 0.5f + (level.at(x, y) - mean) * 1.6f;
      image.at(x, y) = {l * 1.02f, l, l * 0.97f, 1};
    }
  return image;
}

// The glass column: a cylinder drawn additively, its texture wrapped around once (s) and
// along its length (t). Cold light caught in vertical flaws of the glass, with rising
// bubbles.
Image glassPicture() {
  const int n = 256;
  Image image(n, n);
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x) {
      const float u = (static_cast<float>(x) + 0.5f) / n, v = (static_cast<float>(y) + 0.5f) / n;
      const float flaws = fbm(u * 24, v * 1.5f, 4, 0x61au, 24, 0);
      const float veins = std::pow(1 - std::fabs(flaws - 0.5f) * 2, 10.0f);
      const float ripple = 0.5f + 0.5f * std::sin((v * 18 + fbm(u * 8, v * 4, 3, 0x61bu, 8, 0) * 3) * 6.2831853f);
      const Cells b = cellNoise(u * 20, v * 20, 0x61cu, 20, 0);
      const float bubble = smoothstep(0.16f, 0.1f, b.f1) * smoothstep(0.05f, 0.1f, b.f1) * ((b.id & 7) == 0);
      const float light = clamp01(0.1f + veins * 0.7f + ripple * 0.08f + bubble * 0.8f);
      image.at(x, y) = withAlpha(ramp({palette::waterDeep, palette::water, palette::waterLight, palette::white}, light), 1);
    }
  return image;
}

// A soft round glow: white, its alpha falling smoothly to nothing at the edge.
Image glowSpritePicture() {
  const int n = 64;
  Image image(n, n, {1, 1, 1, 0});
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x) {
      const float dx = (static_cast<float>(x) + 0.5f) / n * 2 - 1;
      const float dy = (static_cast<float>(y) + 0.5f) / n * 2 - 1;
      const float r = std::sqrt(dx * dx + dy * dy);
      const float a = std::exp(-r * r * 5.0f) * smoothstep(1.0f, 0.75f, r);
      const float hot = std::exp(-r * r * 40.0f);
      image.at(x, y) = {1, 1, 1 - 0.15f * (1 - hot), clamp01(a + hot * 0.3f)};
    }
  return image;
}

}  // namespace

void writeIslandPictures(ShowFolder& folder) {
  writeJpeg(folder, "Textures/waves.jpg", wavesPicture());
  writeJpeg(folder, "Textures/Detail.jpg", detailPicture());
  writeJpeg(folder, "Textures/Glass.jpg", glassPicture());
  writeTga32(folder, "Textures/part.tga", glowSpritePicture());
}

}  // namespace showkit
