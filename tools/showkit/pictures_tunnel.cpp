// The tunnel's pictures: the scrolling light veil (ray.tga, also over both level flights),
// the frame that is multiplied (cybmask.tga) and added (cyb.tga) over the picture, and the
// two tube layers: stone outside (bump.jpg), flowing water light inside (alpha.jpg).
#include <algorithm>
#include <cmath>

#include "noise.h"
#include "picture_files.h"
#include "show_kit.h"
#include "style.h"

namespace showkit {

namespace {

// Light shafts falling from above, drawn additively over the whole picture at half
// strength; the texture repeats twice vertically, so it tiles in both directions.
Image rayPicture() {
  const int n = 256;
  Image image(n, n, {0, 0, 0, 0});
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x) {
      const float u = (static_cast<float>(x) + 0.5f) / n, v = (static_cast<float>(y) + 0.5f) / n;
      // Shafts: narrow bright bands across the width, slowly changing along the height.
      const float bands = fbm(u * 16, v * 2, 3, 0x7a1u, 16, 2);
      const float shafts = std::pow(smoothstep(0.5f, 0.9f, bands), 2.0f);
      const float wide = smoothstep(0.4f, 0.8f, fbm(u * 4, v * 1, 2, 0x7a2u, 4, 1)) * 0.3f;
      // Dust in the light: a few motes that sparkle where a shaft passes.
      const float mote = std::pow(hashUnit(x, y, 0x7a3u), 400.0f);
      const float light = clamp01(shafts * 0.7f + wide * 0.4f + mote * shafts * 2.0f);
      const Rgba c = mix(palette::waterLight, palette::white, clamp01(light * 1.5f));
      image.at(x, y) = withAlpha(c, clamp01(light));
    }
  return image;
}

// Distance-like value of the frame opening: > 0 inside the rounded window, < 0 outside;
// in pixels of a picture of size w x h.
float openingDistance(float x, float y, float w, float h) {
  const float insetX = 0.045f * w, insetY = 0.085f * h, radius = 0.09f * h;
  const float hx = w * 0.5f - insetX - radius, hy = h * 0.5f - insetY - radius;
  const float qx = std::fabs(x - w * 0.5f) - hx, qy = std::fabs(y - h * 0.5f) - hy;
  const float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f)) + std::min(std::max(qx, qy), 0.0f);
  return radius - outside;
}

// Both frame pictures are designed at the 16:9 shape of the letterboxed picture.
constexpr int kFrameW = 1024, kFrameH = 576;

Image frameMaskPicture() {
  Image image(kFrameW, kFrameH);
  for (int y = 0; y < kFrameH; ++y)
    for (int x = 0; x < kFrameW; ++x) {
      const float fx = static_cast<float>(x) + 0.5f, fy = static_cast<float>(y) + 0.5f;
      const float d = openingDistance(fx, fy, kFrameW, kFrameH);
      // Multiplied over the picture: white keeps it, dark hides it; a soft vignette inside.
      const float inside = smoothstep(-2, 30, d);
      const float vignette = 0.75f + 0.25f * smoothstep(0, 160, d);
      const float stoneShade = 0.08f + 0.06f * fbm(fx * 0.02f, fy * 0.02f, 4, 0xc1u);
      const float k = mix(stoneShade, vignette, inside);
      image.at(x, y) = {k, k, k * 1.02f, 1};
    }
  return resampled(image, 512, 256);
}

Image frameLightPicture() {
  Image image(kFrameW, kFrameH, {0, 0, 0, 1});
  const float w = kFrameW, h = kFrameH;
  for (int y = 0; y < kFrameH; ++y)
    for (int x = 0; x < kFrameW; ++x) {
      const float fx = static_cast<float>(x) + 0.5f, fy = static_cast<float>(y) + 0.5f;
      const float d = openingDistance(fx, fy, w, h);
      // Two thin cold lines along the opening and a faint warm glow in the stone.
      const float line1 = std::exp(-std::pow((d + 4) / 1.3f, 2.0f));
      const float line2 = std::exp(-std::pow((d + 13) / 0.9f, 2.0f)) * 0.55f;
      const float glow = std::exp(-std::fabs(d + 6) / 14.0f) * 0.25f;
      Rgba c = palette::waterLight * (line1 + line2) + palette::water * glow;
      // Tick marks along the bottom and top lines, every 32 pixels, a longer one every 128.
      const float tickX = std::fmod(fx, 32.0f);
      const bool major = std::fmod(fx, 128.0f) < 2.0f;
      if (tickX < 2.0f && d < -16 && d > (major ? -34.0f : -24.0f) &&
          std::fabs(fy - h * 0.5f) > h * 0.3f && std::fabs(fx - w * 0.5f) < w * 0.38f)
        c = c + palette::waterLight * (major ? 0.55f : 0.3f);
      image.at(x, y) = withAlpha(c, 1);
    }
  // Warm corner brackets, as if firelight caught the carved corners of a window.
  const float cornerX[2] = {0.045f * w + 6, w - 0.045f * w - 6};
  const float cornerY[2] = {0.085f * h + 6, h - 0.085f * h - 6};
  for (int cy = 0; cy < 2; ++cy)
    for (int cx = 0; cx < 2; ++cx) {
      const float ox = cornerX[cx], oy = cornerY[cy];
      const float sx = cx ? -1.0f : 1.0f, sy = cy ? -1.0f : 1.0f;
      for (int y = static_cast<int>(oy) - 90; y < static_cast<int>(oy) + 90; ++y)
        for (int x = static_cast<int>(ox) - 90; x < static_cast<int>(ox) + 90; ++x) {
          if (x < 0 || y < 0 || x >= kFrameW || y >= kFrameH) continue;
          const float px = static_cast<float>(x) + 0.5f, py = static_cast<float>(y) + 0.5f;
          const float a = segmentDistance(px, py, ox - 10 * sx, oy - 10 * sy, ox + 70 * sx, oy - 10 * sy);
          const float b = segmentDistance(px, py, ox - 10 * sx, oy - 10 * sy, ox - 10 * sx, oy + 46 * sy);
          const float dist = std::min(a, b);
          const float k = std::exp(-dist * dist / 3.0f) + 0.3f * std::exp(-dist / 8.0f);
          addLight(image, x, y, palette::fire, k * 0.9f);
        }
    }
  return resampled(image, 512, 256);
}

// Outer tube wall: dark masonry, tiling in both directions (the tube wraps its texture
// two and a half times around and scrolls it along).
Image tubeStonePicture() {
  const int n = 256;
  Image image(n, n);
  Field relief(n, n);
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x) {
      const float fx = static_cast<float>(x), fy = static_cast<float>(y);
      const Masonry m = masonry(fx, fy, 128, 32, 3, 0xb0bu, 2, true);
      const float grain = fbm(fx / 32.0f, fy / 32.0f, 5, 0xb1u, 8, 8);
      const float pits = fbm(fx / 8.0f, fy / 8.0f, 3, 0xb2u, 32, 32);
      relief.at(x, y) = m.height * (0.65f + 0.2f * grain + 0.15f * pits);
      const Rgba base = mix(palette::stoneDark, palette::stone,
                            0.25f + 0.5f * m.shade + 0.4f * (grain - 0.5f) + 0.2f * (pits - 0.5f));
      image.at(x, y) = base;
    }
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x) {
      // Lit from one side (the embossed "bump" look) with firelight from below.
      const float gx = relief.at((x + 1) % n, y) - relief.at((x + n - 1) % n, y);
      const float gy = relief.at(x, (y + 1) % n) - relief.at(x, (y + n - 1) % n);
      const float light = clamp01(0.55f + 1.6f * (-gx * 0.6f + gy * 0.8f));
      const float depth = relief.at(x, y);
      const Rgba base = image.at(x, y);
      Rgba c = base * (0.35f + 0.9f * light * (0.4f + 0.6f * depth)) +
               tint(base, palette::fire) * (0.35f * light * depth);
      image.at(x, y) = withAlpha(c, 1);
    }
  return image;
}

// Inner layer, added at 40 %: water light streaming along the tube.
Image tubeLightPicture() {
  const int n = 256;
  Image image(n, n);
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x) {
      const float u = (static_cast<float>(x) + 0.5f) / n, v = (static_cast<float>(y) + 0.5f) / n;
      // Caustics stretched along the tube (v) so the light seems to flow.
      const float flow = caustics(u * 6, v * 3, 0xa1u, 6, 3);
      const float fine = caustics(u * 12, v * 6, 0xa2u, 12, 6);
      const float streak = fbm(u * 24, v * 2, 3, 0xa3u, 24, 2);
      const float light = clamp01(flow * 0.8f + fine * 0.3f) * (0.5f + 0.8f * streak);
      const Rgba col = ramp({palette::night, palette::water, palette::waterLight, palette::white}, light);
      image.at(x, y) = withAlpha(col, 1);
    }
  return image;
}

}  // namespace

void writeTunnelPictures(ShowFolder& folder) {
  writeTga32(folder, "Textures/ray.tga", rayPicture());
  writeTga32(folder, "Textures/cyb.tga", frameLightPicture());
  writeTga32(folder, "Textures/cybmask.tga", frameMaskPicture());
  writeJpeg(folder, "Textures/bump.jpg", tubeStonePicture());
  writeJpeg(folder, "Textures/alpha.jpg", tubeLightPicture());
}

}  // namespace showkit
