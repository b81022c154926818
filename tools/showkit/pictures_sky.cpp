// The island's sky box (six faces from one function of the view direction, so that they
// meet without seams) and the sphere picture of the final and end scenes.
#include <array>
#include <cmath>
#include <string>

#include "noise.h"
#include "picture_files.h"
#include "show_kit.h"
#include "sky_faces.h"
#include "style.h"

namespace showkit {

namespace {

struct Vec3 {
  float x, y, z;
};

Vec3 normalised(Vec3 v) {
  const float k = 1.0f / std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  return {v.x * k, v.y * k, v.z * k};
}

float dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// Late afternoon over the sea: a low sun, a hazy horizon in the colour of the island's fog,
// a deep blue zenith and a layer of clouds lit from the side of the sun. Below the horizon
// the sea goes on in the colour the island scene gives its own (the blue water added over the
// fogged sea floor), so the edge of the water quads melts into the box.
Rgba skyColour(Vec3 direction) {
  const Vec3 d = normalised(direction);
  const Vec3 sun = normalised({0.55f, 0.13f, -0.82f});
  const float e = d.y;
  const Rgba horizon{0.62f, 0.70f, 0.70f, 1};
  const Rgba zenith{0.09f, 0.20f, 0.40f, 1};
  const Rgba seaHaze{0.60f, 0.84f, 0.95f, 1};
  const float sunDot = dot(d, sun);
  const float towardSun = clamp01(sunDot);
  Rgba c = e >= 0 ? mix(horizon, zenith, std::pow(clamp01(e), 0.55f))
                  : mix(horizon, seaHaze, smoothstep(0.0f, 0.08f, -e));
  // Warm air around the sun, wider along the horizon.
  const float halo = std::pow(towardSun, 6.0f) * 0.55f + std::pow(towardSun, 60.0f) * 0.6f;
  const float band = std::exp(-std::fabs(e) * 9.0f) * std::pow(towardSun, 2.0f) * 0.35f;
  c = c + tint(palette::fire, {1, 0.9f, 0.8f, 1}) * (halo * 0.7f + band);
  // Clouds on a plane above the sea, seen in perspective.
  if (e > 0.0f) {
    const float k = 1.0f / (e + 0.12f);
    const float px = d.x * k * 1.8f, pz = d.z * k * 1.8f;
    const float density = fbm(px + 3.1f, pz - 7.3f, 6, 0x5c1u);
    const float shape = smoothstep(0.48f, 0.72f, density) * smoothstep(0.01f, 0.22f, e);
    // Thicker cloud seen a little towards the sun: the side away from it is in shadow.
    const float toward = fbm(px + 3.1f + sun.x * 0.08f, pz - 7.3f + sun.z * 0.08f, 6, 0x5c1u);
    const float lit = clamp01(0.55f + (density - toward) * 9.0f);
    const Rgba shadowSide{0.36f, 0.40f, 0.47f, 1};
    const Rgba litSide = mix(Rgba{0.93f, 0.91f, 0.88f, 1}, palette::flame, std::pow(towardSun, 3.0f) * 0.8f);
    Rgba cloud = mix(shadowSide, litSide, lit);
    // Edges of clouds in front of the sun glow through.
    cloud = cloud + palette::flame * (std::pow(towardSun, 24.0f) * (1 - shape) * 1.2f);
    c = mix(c, cloud, shape * 0.92f);
  }
  // The sun itself.
  c = c + palette::white * (smoothstep(0.9986f, 0.9992f, sunDot) * 1.5f);
  c.a = 1;
  return c;
}

// Eternity on a sphere: slow clouds of cold light with warm threads and scattered stars,
// as a function of direction so the picture closes around the sphere.
Rgba eternityColour(Vec3 d) {
  const float wx = fbm3(d.x * 1.5f, d.y * 1.5f, d.z * 1.5f, 4, 0xe1u);
  const float wy = fbm3(d.x * 1.5f + 5.2f, d.y * 1.5f, d.z * 1.5f, 4, 0xe2u);
  const float px = d.x * 2.2f + wx * 2.0f, py = d.y * 2.2f + wy * 2.0f, pz = d.z * 2.2f;
  const float cloud = fbm3(px, py, pz, 6, 0xe3u);
  const float thread = 1.0f - std::fabs(fbm3(px * 1.7f, py * 1.7f, pz * 1.7f, 5, 0xe4u) - 0.5f) * 2.0f;
  Rgba c = ramp({palette::night, palette::waterDeep, palette::water, palette::waterLight},
                smoothstep(0.35f, 0.8f, cloud));
  c = c + palette::fire * (std::pow(thread, 14.0f) * 0.8f * smoothstep(0.4f, 0.65f, cloud));
  const float star = std::pow(valueNoise3(d.x * 180, d.y * 180, d.z * 180, 0xe5u), 40.0f);
  c = c + palette::white * (star * 1.5f);
  c.a = 1;
  return c;
}

}  // namespace

Vec3Tuple skyFaceDirection(SkyFace face, float s, float t) {
  const float a = 2 * s - 1, b = 1 - 2 * t;
  switch (face) {
    case SkyFace::Back: return {a, b, -1};
    case SkyFace::Front: return {-a, b, 1};
    case SkyFace::Bottom: return {-a, -1, b};
    case SkyFace::Top: return {-a, 1, 2 * t - 1};
    case SkyFace::Left: return {-1, b, -a};
    case SkyFace::Right: return {1, b, a};
  }
  return {0, 0, -1};
}

std::string_view skyFaceFile(SkyFace face) {
  switch (face) {
    case SkyFace::Back: return "Textures/back.jpg";
    case SkyFace::Front: return "Textures/front.jpg";
    case SkyFace::Bottom: return "Textures/bottom.jpg";
    case SkyFace::Top: return "Textures/top.jpg";
    case SkyFace::Left: return "Textures/left.jpg";
    case SkyFace::Right: return "Textures/right.jpg";
  }
  return {};
}

void writeSkyPictures(ShowFolder& folder) {
  const int n = 512;
  for (SkyFace face : kSkyFaces) {
    Image image(n, n);
    for (int y = 0; y < n; ++y)
      for (int x = 0; x < n; ++x) {
        // Edge texels sit exactly on the cube's edges, so neighbouring faces share them
        // (the sky box clamps its textures to the edge).
        const float s = static_cast<float>(x) / (n - 1), t = static_cast<float>(y) / (n - 1);
        const Vec3Tuple v = skyFaceDirection(face, s, t);
        image.at(x, y) = skyColour({v.x, v.y, v.z});
      }
    writeJpeg(folder, skyFaceFile(face), image);
  }
  // Sphere picture: longitude across, latitude from the south pole (first row) to the north.
  const int w = 512, h = 256;
  Image sphere(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const float lon = 6.2831853f * (static_cast<float>(x) + 0.5f) / w;
      const float lat = 3.1415927f * (static_cast<float>(y) + 0.5f) / h - 1.5707964f;
      sphere.at(x, y) = eternityColour({std::cos(lat) * std::cos(lon), std::sin(lat), std::cos(lat) * std::sin(lon)});
    }
  writeJpeg(folder, "Textures/sphere.jpg", sphere);
}

}  // namespace showkit
