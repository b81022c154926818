// Pictures of the final and end scenes: the two paintings, the water that wraps the
// rippling sphere (Morvan/waterfx.jpg) and the credits picture that scrolls at the end.
#include <algorithm>
#include <cmath>
#include <memory>

#include "noise.h"
#include "picture_files.h"
#include "show_kit.h"
#include "style.h"
#include "texts.h"

namespace showkit {

namespace {

constexpr int kPaintingW = 1024, kPaintingH = 768;

// Soft light around a point, falling off with distance (in pixels).
float glowAt(float x, float y, float cx, float cy, float radius) {
  const float d2 = ((x - cx) * (x - cx) + (y - cy) * (y - cy)) / (radius * radius);
  return 1.0f / (1.0f + d2 * 4.0f) * std::exp(-d2 * 0.5f);
}

// A monk on a cliff at dusk looks at a great light rising over the sea.
Image eternityPainting() {
  const int w = kPaintingW, h = kPaintingH;
  const float fw = w, fh = h;
  const float horizon = 0.58f * fh;
  const float sunX = 0.68f * fw, sunY = 0.52f * fh;
  Image image(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const float fx = static_cast<float>(x) + 0.5f, fy = static_cast<float>(y) + 0.5f;
      const float u = fx / fw, v = fy / fh;
      const float glow = glowAt(fx, fy, sunX, sunY, 0.45f * fh);
      const float core = glowAt(fx, fy, sunX, sunY, 0.06f * fh);
      Rgba c;
      if (fy < horizon) {
        // Sky: violet night above, gold towards the light; long clouds lit from below.
        const float t = fy / horizon;
        c = mix(Rgba{0.07f, 0.08f, 0.17f, 1}, Rgba{0.55f, 0.42f, 0.36f, 1}, std::pow(t, 1.6f));
        const float clouds = fbm(u * 3, v * 14, 5, 0xf01u);
        const float band = smoothstep(0.5f, 0.75f, clouds) * smoothstep(0.05f, 0.35f, t);
        const Rgba cloudColour = mix(Rgba{0.16f, 0.14f, 0.22f, 1}, palette::flame, clamp01(glow * 1.6f));
        c = mix(c, cloudColour, band * 0.85f);
        // Rays fanning out from the light.
        const float angle = std::atan2(fy - sunY, fx - sunX);
        const float rays = std::pow(fbm(angle * 6.0f + 20, 0.5f, 3, 0xf02u), 3.0f);
        c = c + palette::flame * (rays * glow * 0.9f);
      } else {
        // Sea: dark water with a path of light under the source.
        const float depth = (fy - horizon) / (fh - horizon);
        c = mix(Rgba{0.18f, 0.22f, 0.28f, 1}, palette::waterDeep, std::pow(depth, 0.5f));
        const float waves = fbm(u * 6, v * 90 / (0.3f + depth), 4, 0xf03u);
        const float pathWidth = 0.03f + 0.22f * depth;
        const float path = std::exp(-std::pow((u - sunX / fw) / pathWidth, 2.0f));
        const float glitter = smoothstep(0.55f, 0.75f, waves) * path;
        c = c + palette::flame * (glitter * 1.3f) + palette::water * (waves * 0.15f);
      }
      c = c + mix(palette::fire, palette::flame, 0.5f) * (glow * 0.55f) + palette::white * (core * 1.6f);
      c.a = 1;
      image.at(x, y) = c;
    }
  // Broad strokes for sky and sea; the cliff and the figure come after, with a finer brush,
  // so that their outlines stay crisp.
  paintify(image, 0xf06u, 14);
  const float footX = 0.25f * fw, footY = 0.70f * fh + 6, size = 0.19f * fh;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const float fx = static_cast<float>(x) + 0.5f, fy = static_cast<float>(y) + 0.5f;
      const float u = fx / fw, v = fy / fh;
      Rgba& c = image.at(x, y);
      // The cliff in the foreground: a rough top edge falling away towards the sea, layered
      // rock with cracks, the edge caught by the light.
      const float edge = 0.70f * fh + 14 * (fbm(u * 24, 0.3f, 4, 0xf04u) - 0.5f) +
                         std::pow(smoothstep(0.30f, 0.46f, u), 1.5f) * 0.4f * fh +
                         6 * (fbm(u * 90, 0.6f, 2, 0xf07u) - 0.5f);
      const float cliff = smoothstep(edge - 1.2f, edge + 1.2f, fy);
      if (cliff > 0) {
        const float strata = fbm(u * 6 + 0.15f * fbm(u * 10, v * 10, 3, 0xf08u), v * 40, 4, 0xf05u);
        const float cracks = std::pow(1 - std::fabs(fbm(u * 14, v * 5, 4, 0xf09u) - 0.5f) * 2, 24.0f);
        Rgba stoneColour = mix(Rgba{0.015f, 0.012f, 0.015f, 1}, Rgba{0.06f, 0.045f, 0.045f, 1}, strata);
        stoneColour = stoneColour * (1 - 0.3f * cracks);
        // The top edge and the sea-facing side catch a little of the warm light.
        const float rim = std::exp(-(fy - edge) / 4.0f) * 0.8f +
                          0.25f * smoothstep(0.3f, 0.44f, u) * std::pow(strata, 2.0f);
        stoneColour = stoneColour + palette::fire * (rim * 0.4f);
        c = mix(c, stoneColour, cliff);
      }
      // The monk on the edge, facing the light, rimmed by it on the side towards it.
      const float monk = monkSilhouette(fx, fy, footX, footY, size, true);
      if (monk > 0) {
        const float shadowed = monkSilhouette(fx + 2.5f, fy - 1, footX, footY, size, true);
        const float rim = clamp01(monk - shadowed);
        Rgba figure{0.025f, 0.02f, 0.025f, 1};
        figure = figure + palette::flame * (rim * 0.9f);
        c = mix(c, figure, monk);
      }
      c.a = 1;
    }
  paintify(image, 0xf0au, 3);
  return image;
}

// Ysel by the old bridge at night, with the lantern that never leaves her hand. The arch
// and its reflection close into a ring around the middle, where the final scene draws its
// sphere over the picture.
Image yselPainting() {
  const int w = kPaintingW, h = kPaintingH;
  const float fw = w, fh = h;
  const float waterLine = 0.72f * fh;
  const float archX = 0.5f * fw, archRX = 0.3f * fw, archRY = 0.29f * fh;
  const float footX = 0.21f * fw, footY = 0.88f * fh, size = 0.22f * fh;
  const float lanternX = footX + 0.27f * size, lanternY = footY - 0.5f * size;
  auto deckTop = [&](float fx) { return 0.36f * fh + 6 * std::sin(fx / fw * 3.0f); };
  // Normalised distance from the arch's centre on the water line: 1 on the intrados.
  auto archRadius = [&](float fx, float fy) {
    const float ax = (fx - archX) / archRX, ay = (fy - waterLine) / archRY;
    return std::sqrt(ax * ax + ay * ay);
  };
  auto archMass = [&](float fx, float fy) {
    if (fy < deckTop(fx) || fy > waterLine) return 0.0f;
    return smoothstep(0.995f, 1.005f, archRadius(fx, fy));
  };
  Image image(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const float fx = static_cast<float>(x) + 0.5f, fy = static_cast<float>(y) + 0.5f;
      const float u = fx / fw, v = fy / fh;
      const float lantern = glowAt(fx, fy, lanternX, lanternY, 0.5f * fh);
      const float moonMist = glowAt(fx, fy, archX + 0.02f * fw, 0.62f * fh, 0.35f * fh);
      // Night sky and mist.
      Rgba c = mix(Rgba{0.015f, 0.02f, 0.05f, 1}, Rgba{0.10f, 0.16f, 0.22f, 1}, std::pow(v / 0.72f, 2.0f));
      const float mist = fbm(u * 4, v * 10, 5, 0xa01u);
      c = c + palette::waterLight * (smoothstep(0.45f, 0.8f, mist) * 0.12f + moonMist * 0.45f);
      // Bridge stone, lit warm near the lantern and cold in the mist: rough courses, a ring
      // of wedge stones around the arch and a coping along the top.
      const float mass = archMass(fx, fy);
      if (mass > 0) {
        const float r = archRadius(fx, fy);
        float relief, shade;
        if (r < 1.16f) {
          const float angle = std::atan2(fy - waterLine, (fx - archX) * archRY / archRX);
          const float step = 3.1415927f / 17;
          const float along = std::fabs(std::remainder(angle, step)) / step;  // 0 at a joint
          relief = smoothstep(0.02f, 0.12f, along) * smoothstep(1.16f, 1.14f, r) * smoothstep(1.0f, 1.02f, r);
          shade = 0.75f + 0.25f * hashUnit(static_cast<int>(std::floor(angle / step)), 7, 0xa09u);
        } else {
          const Masonry m = masonry(fx, fy, 70, 30, 3, 0xa03u, 0, true);
          relief = m.height;
          shade = 0.2f + 0.5f * m.shade;
        }
        const float top = deckTop(fx);
        if (fy < top + 14) relief = smoothstep(top, top + 3, fy) * smoothstep(top + 14, top + 11, fy) * 1.1f;
        const float grain = fbm(u * 60, v * 60, 3, 0xa0au);
        const Rgba stoneColour = mix(palette::stoneDark, palette::stone, shade * (0.7f + 0.5f * grain)) * (0.35f + 0.65f * relief);
        const Rgba lit = tint(stoneColour, palette::fire) * (lantern * 2.2f) +
                         tint(stoneColour, palette::waterLight) * (0.35f + moonMist * 0.8f);
        c = mix(c, lit, mass);
      }
      // Water: the picture above mirrored and broken by ripples.
      if (fy > waterLine) {
        const float depth = (fy - waterLine) / (fh - waterLine);
        const float ripple = (fbm(u * 5, v * 60, 4, 0xa04u) - 0.5f) * 28 * (0.3f + depth);
        const float mx = fx + ripple, my = 2 * waterLine - fy;
        const float mirrorMass = archMass(mx, my);
        Rgba reflected = mix(Rgba{0.06f, 0.1f, 0.14f, 1}, Rgba{0.02f, 0.03f, 0.05f, 1}, mirrorMass);
        reflected = reflected + palette::waterLight * (glowAt(mx, my, archX + 0.02f * fw, 0.62f * fh, 0.35f * fh) * 0.35f);
        const float lanternReflection = std::exp(-std::pow((fx + ripple * 0.5f - lanternX) / (30 + 90 * depth), 2.0f)) *
                                        smoothstep(0.5f, 0.7f, fbm(u * 8, v * 120, 3, 0xa05u));
        c = mix(palette::waterDeep, reflected, 0.8f) + palette::fire * (lanternReflection * 0.9f);
      }
      c = c + palette::fire * (lantern * 0.35f);
      c.a = 1;
      image.at(x, y) = c;
    }
  paintify(image, 0xa08u, 12);
  // A few stars above the bridge, each a soft point, laid on after the broad strokes.
  constexpr int kStarCell = 28;
  for (int cy = 0; cy * kStarCell < deckTop(0) + 40; ++cy)
    for (int cx = 0; cx * kStarCell < w; ++cx) {
      if (hashUnit(cx, cy, 0xa0bu) > 0.22f) continue;
      const float sx = (static_cast<float>(cx) + hashUnit(cx, cy, 0xa0cu)) * kStarCell;
      const float sy = (static_cast<float>(cy) + hashUnit(cx, cy, 0xa0du)) * kStarCell;
      if (sy > deckTop(sx) - 6) continue;
      const float brightness = 0.25f + 0.75f * std::pow(hashUnit(cx, cy, 0xa0eu), 3.0f);
      for (int y = static_cast<int>(sy) - 3; y <= static_cast<int>(sy) + 3; ++y)
        for (int x = static_cast<int>(sx) - 3; x <= static_cast<int>(sx) + 3; ++x) {
          const float d2 = (static_cast<float>(x) + 0.5f - sx) * (static_cast<float>(x) + 0.5f - sx) +
                           (static_cast<float>(y) + 0.5f - sy) * (static_cast<float>(y) + 0.5f - sy);
          addLight(image, x, y, mix(palette::white, palette::waterLight, 0.3f), brightness * std::exp(-d2 * 0.9f));
        }
    }
  // The bank, Ysel and the lantern, with a finer brush.
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const float fx = static_cast<float>(x) + 0.5f, fy = static_cast<float>(y) + 0.5f;
      const float u = fx / fw, v = fy / fh;
      Rgba& c = image.at(x, y);
      const float lantern = glowAt(fx, fy, lanternX, lanternY, 0.5f * fh);
      const float bankTop = footY - 4 + 24 * (fbm(u * 8, 0.7f, 3, 0xa06u) - 0.5f) +
                            std::pow(smoothstep(0.24f, 0.42f, u), 1.3f) * 0.3f * fh;
      const float bank = smoothstep(bankTop - 1.2f, bankTop + 1.2f, fy);
      if (bank > 0) {
        const float rock = fbm(u * 25, v * 25, 4, 0xa07u);
        const Rgba ground = mix(Rgba{0.02f, 0.02f, 0.025f, 1}, Rgba{0.1f, 0.08f, 0.065f, 1}, rock) +
                            palette::fire * (lantern * 0.6f * rock * std::exp(-(fy - bankTop) / 40.0f));
        c = mix(c, ground, bank);
      }
      const float figure = monkSilhouette(fx, fy, footX, footY, size, true);
      if (figure > 0) {
        const float rim = clamp01(figure - monkSilhouette(fx + 2.5f, fy, footX, footY, size, true));
        Rgba body{0.03f, 0.025f, 0.03f, 1};
        body = body + palette::fire * (rim * 1.1f);
        c = mix(c, body, figure);
      }
      // The arm reaching out from the sleeve, the lantern hanging from the hand.
      const float arm = smoothstep(5.0f, 3.0f, segmentDistance(fx, fy, footX + 0.15f * size, footY - 0.53f * size,
                                                               lanternX, lanternY - 16));
      const float handle = smoothstep(1.6f, 0.6f, segmentDistance(fx, fy, lanternX, lanternY - 16, lanternX, lanternY - 7));
      c = mix(c, Rgba{0.035f, 0.028f, 0.03f, 1}, std::max(arm, handle));
      const float flame = glowAt(fx, fy, lanternX, lanternY, 0.025f * fh);
      c = c + palette::fire * (lantern * 0.25f) + palette::flame * (flame * 1.8f);
      c.a = 1;
    }
  paintify(image, 0xa0fu, 3);
  return image;
}

// Water for the rippling sphere; its texture coordinates come from the sphere's x and z, so
// the picture repeats and must tile.
Image waterEffectPicture() {
  const int n = 256;
  Image image(n, n);
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x) {
      const float u = (static_cast<float>(x) + 0.5f) / n, v = (static_cast<float>(y) + 0.5f) / n;
      const float light = caustics(u * 5, v * 5, 0x3f1u, 5, 5);
      const float swell = fbm(u * 4, v * 4, 4, 0x3f2u, 4, 4);
      Rgba c = mix(palette::waterDeep, palette::water, swell);
      c = c + mix(palette::waterLight, palette::white, light) * (std::pow(light, 1.5f) * 0.8f);
      image.at(x, y) = withAlpha(c, 1);
    }
  return image;
}

// The credits, white on black (they are added over the end scene), 1 : 2, first row at the
// top.
Image creditsPicture(const Font& bold, const Font& italic, const Font& regular) {
  const int w = 512, h = 1024;
  Field light(w, h), warm(w, h);
  struct Placed {
    Field mask;
    bool warmLine;
    int gapBefore;
  };
  std::vector<Placed> lines;
  int total = 0;
  // The largest sizes that leave a black margin above the first and below the last line.
  for (float scale = 1.0f; scale > 0.3f; scale *= 0.95f) {
    auto size = [&](int pixels) { return static_cast<int>(static_cast<float>(pixels) * scale); };
    lines.clear();
    total = 0;
    for (const CreditLine& line : creditLines()) {
      Placed p{};
      switch (line.kind) {
        case CreditLine::Kind::Title: p = {bold.renderLine(line.text, size(84), 18 * scale), true, 0}; break;
        case CreditLine::Kind::Heading: p = {italic.renderLine(line.text, size(36), 2 * scale), true, size(10)}; break;
        case CreditLine::Kind::Name: p = {regular.renderLine(line.text, size(38), scale), false, 0}; break;
        case CreditLine::Kind::Gap: p = {Field(1, size(34)), false, 0}; break;
      }
      total += p.mask.height + p.gapBefore;
      lines.push_back(std::move(p));
    }
    if (total <= h - 2 * 48) break;
  }
  int y = std::max(40, (h - total) / 2);
  for (const Placed& p : lines) {
    y += p.gapBefore;
    stamp(p.warmLine ? warm : light, p.mask, (w - p.mask.width) / 2, y);
    y += p.mask.height;
  }
  Image image(w, h);
  const Image warmGlow = glowingMask(warm, palette::flame, palette::fire, 5, 0.5f);
  const Image coldGlow = glowingMask(light, palette::white, palette::waterLight, 4, 0.3f);
  for (int py = 0; py < h; ++py)
    for (int px = 0; px < w; ++px) {
      const Rgba a = warmGlow.at(px, py), b = coldGlow.at(px, py);
      image.at(px, py) = withAlpha(withAlpha(a, 1) * a.a + withAlpha(b, 1) * b.a, 1);
    }
  return image;
}

}  // namespace

void writeFinalPictures(ShowFolder& folder) {
  writeJpeg(folder, "Textures/Morvan/Looking_at_Eternity_Initial_r.jpg", eternityPainting());
  writeJpeg(folder, "Textures/Morvan/Ysel_has_always_this_thing_r.jpg", yselPainting());
  writeJpeg(folder, "Textures/Morvan/waterfx.jpg", waterEffectPicture());
  const auto bold = Font::open(kSerifBold), italic = Font::open(kSerifItalic),
             regular = Font::open(kSerifRegular);
  if (!bold || !italic || !regular) {
    folder.fail("the Liberation Serif fonts are missing in " + fontFolder() +
                ": Textures/scroll.jpg is not written");
    return;
  }
  writeJpeg(folder, "Textures/scroll.jpg", creditsPicture(*bold, *italic, *regular));
}

}  // namespace showkit
