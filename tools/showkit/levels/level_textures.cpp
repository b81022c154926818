#include "level_textures.h"

#include <cmath>

#include "noise.h"
#include "picture_files.h"
#include "style.h"

namespace levelc {

namespace {

using showkit::Image;
using showkit::Rgba;
constexpr int N = kLevelTextureSide;

// Tileable octave noise over the picture: `cells` lattice cells across it.
float grain(float x, float y, int cells, int octaves, std::uint32_t seed) {
  const float k = static_cast<float>(cells) / N;
  return showkit::fbm(x * k, y * k, octaves, seed, cells, cells);
}

Rgba shade(Rgba c, float k) { return {c.r * k, c.g * k, c.b * k, 1}; }

Rgba stonePixel(float x, float y) {
  const auto m = showkit::masonry(x, y, 128, 64, 5, 0x5701u, 2);
  const float g = grain(x, y, 16, 5, 0x5702u);
  Rgba c = showkit::mix(showkit::palette::stoneDark, showkit::palette::stone, 0.35f + 0.4f * m.shade + 0.5f * (g - 0.5f));
  return shade(c, 0.45f + 0.75f * m.height);
}

Rgba brickPixel(float x, float y) {
  const auto m = showkit::masonry(x, y, 64, 32, 4, 0xb41cu, 4);
  const float g = grain(x, y, 32, 4, 0xb41du);
  const Rgba brick = showkit::mix(Rgba{0.30f, 0.12f, 0.07f, 1}, Rgba{0.48f, 0.24f, 0.14f, 1}, m.shade * 0.8f + 0.4f * (g - 0.5f));
  const Rgba mortar = shade(showkit::palette::stone, 0.6f + 0.4f * g);
  return showkit::mix(mortar, brick, m.height);
}

Rgba floorPixel(float x, float y) {
  const auto cells = showkit::cellNoise(x / 64.0f, y / 64.0f, 0xf100u, 4, 4);
  const float joint = showkit::smoothstep(0.02f, 0.09f, cells.f2 - cells.f1);
  const float tone = static_cast<float>(cells.id & 0xff) / 255.0f;
  const float g = grain(x, y, 16, 5, 0xf101u);
  const Rgba slab = showkit::mix(Rgba{0.20f, 0.19f, 0.18f, 1}, Rgba{0.42f, 0.39f, 0.35f, 1}, 0.3f * tone + 0.7f * g);
  return shade(slab, 0.3f + 0.7f * joint);
}

Rgba tilesPixel(float x, float y) {
  const int tx = static_cast<int>(x) / 64, ty = static_cast<int>(y) / 64;
  const bool dark = ((tx + ty) & 1) != 0;
  const float u = std::fmod(x, 64.0f), v = std::fmod(y, 64.0f);
  const float edge = std::min(std::min(u, 64 - u), std::min(v, 64 - v));
  const float joint = showkit::smoothstep(0.5f, 2.5f, edge);
  // Marble veins: thin ridges of a warped noise.
  const float w = grain(x, y, 8, 5, 0x7113u);
  const float vein = std::exp(-std::abs(std::sin((x + y) * 0.02f + w * 9.0f)) * 14.0f);
  Rgba base = dark ? Rgba{0.15f, 0.16f, 0.19f, 1} : Rgba{0.36f, 0.34f, 0.31f, 1};
  base = base + Rgba{0.18f, 0.18f, 0.2f, 0} * (vein * (dark ? 0.6f : 0.8f));
  return shade(base, 0.35f + 0.65f * joint);
}

Rgba metalPixel(float x, float y) {
  const float u = std::fmod(x, 128.0f), v = std::fmod(y, 128.0f);
  const float edge = std::min(std::min(u, 128 - u), std::min(v, 128 - v));
  const float seam = showkit::smoothstep(1.0f, 4.0f, edge);
  float rivet = 0;
  for (float cx : {10.0f, 118.0f})
    for (float cy : {10.0f, 118.0f}) {
      const float d = std::hypot(u - cx, v - cy);
      rivet = std::max(rivet, 1.0f - showkit::smoothstep(2.0f, 4.0f, d));
    }
  const float brushed = showkit::fbm(x / 64.0f, y / 4.0f, 3, 0x3e7au, 4, 64);
  const float rust = showkit::smoothstep(0.55f, 0.8f, grain(x, y, 8, 5, 0x3e7bu));
  Rgba c = showkit::mix(Rgba{0.22f, 0.18f, 0.13f, 1}, Rgba{0.40f, 0.33f, 0.24f, 1}, brushed);
  c = showkit::mix(c, Rgba{0.30f, 0.13f, 0.05f, 1}, rust * 0.7f);
  c = shade(c, 0.4f + 0.6f * seam);
  return c + Rgba{0.35f, 0.3f, 0.22f, 0} * rivet;
}

Rgba trimPixel(float x, float y) {
  // A moulding: bands across the picture, with dentils in the middle band.
  const float v = std::fmod(y, 128.0f) / 128.0f;
  float profile = 0.55f + 0.35f * std::sin(v * 6.2831853f * 2.0f);
  if (v > 0.4f && v < 0.6f) {
    const float u = std::fmod(x, 32.0f);
    profile = u > 4 && u < 28 ? 1.0f : 0.25f;
  }
  if (std::abs(v - 0.4f) < 0.02f || std::abs(v - 0.6f) < 0.02f) profile = 0.15f;
  const float g = grain(x, y, 32, 4, 0x7a11u);
  const Rgba c = showkit::mix(Rgba{0.34f, 0.27f, 0.18f, 1}, Rgba{0.62f, 0.52f, 0.36f, 1}, 0.6f * profile + 0.4f * g);
  return shade(c, 0.5f + 0.5f * profile);
}

Rgba woodPixel(float x, float y) {
  const float plank = std::fmod(x, 32.0f);
  const int index = static_cast<int>(x) / 32;
  const float seam = showkit::smoothstep(0.5f, 2.0f, std::min(plank, 32 - plank));
  const float ring = showkit::fbm(x / 16.0f, y / 128.0f, 4, 0x00d1u + index, 16, 2);
  const float stripes = 0.5f + 0.5f * std::sin(ring * 40.0f);
  const float tone = showkit::hashUnit(index, 0, 0x00d2u);
  const Rgba c = showkit::mix(Rgba{0.18f, 0.10f, 0.05f, 1}, Rgba{0.38f, 0.23f, 0.12f, 1}, 0.5f * stripes + 0.3f * tone + 0.2f * ring);
  return shade(c, 0.35f + 0.65f * seam);
}

Rgba lampPixel(float x, float y) {
  const float u = std::fmod(x, 64.0f), v = std::fmod(y, 64.0f);
  const float lead = std::min(std::min(u, 64 - u), std::min(v, 64 - v));
  const float glass = showkit::smoothstep(1.5f, 4.0f, lead);
  const float g = grain(x, y, 8, 3, 0x1a4bu);
  const Rgba c = showkit::mix(Rgba{1.0f, 0.78f, 0.45f, 1}, Rgba{1.0f, 0.95f, 0.82f, 1}, g);
  return showkit::mix(Rgba{0.12f, 0.09f, 0.06f, 1}, c, glass);
}

Rgba firePixel(float x, float y) {
  const auto cells = showkit::cellNoise(x / 32.0f, y / 32.0f, 0xf12eu, 8, 8);
  const float crack = std::exp(-(cells.f2 - cells.f1) * 10.0f);
  const float g = grain(x, y, 16, 4, 0xf12fu);
  const Rgba coal{0.18f, 0.04f, 0.02f, 1};
  return showkit::mix(coal, showkit::palette::fire, std::min(1.0f, crack * 1.2f + 0.3f * g));
}

Rgba waterPixel(float x, float y) {
  const float light = showkit::caustics(x / 32.0f, y / 32.0f, 0x3a7eu, 8);
  return showkit::mix(showkit::palette::waterDeep, showkit::palette::waterLight, 0.15f + 0.8f * light);
}

}  // namespace

Image levelTexture(Material material) {
  Image image(N, N);
  for (int y = 0; y < N; ++y)
    for (int x = 0; x < N; ++x) {
      const float fx = static_cast<float>(x) + 0.5f, fy = static_cast<float>(y) + 0.5f;
      Rgba c;
      switch (material) {
        case Material::Stone: c = stonePixel(fx, fy); break;
        case Material::Brick: c = brickPixel(fx, fy); break;
        case Material::Floor: c = floorPixel(fx, fy); break;
        case Material::Tiles: c = tilesPixel(fx, fy); break;
        case Material::Metal: c = metalPixel(fx, fy); break;
        case Material::Trim: c = trimPixel(fx, fy); break;
        case Material::Wood: c = woodPixel(fx, fy); break;
        case Material::Lamp: c = lampPixel(fx, fy); break;
        case Material::Fire: c = firePixel(fx, fy); break;
        case Material::Water: c = waterPixel(fx, fy); break;
      }
      c.a = 1;
      image.at(x, y) = c;
    }
  return image;
}

bool writeLevelTextures(showkit::ShowFolder& folder) {
  bool ok = true;
  for (int m = 0; m < kMaterialCount; ++m) {
    const auto material = static_cast<Material>(m);
    ok = showkit::writeJpeg(folder, shaderName(material) + ".jpg", levelTexture(material)) && ok;
  }
  return ok;
}

}  // namespace levelc
