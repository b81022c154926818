// The pictures of the loading screen and of the intro overlay: loader picture and bar,
// presentation logo, group logo, title and the five caption words; also the program's icon,
// which wears the loader's look.
#include <cmath>
#include <memory>
#include <string>

#include "noise.h"
#include "picture_files.h"
#include "show_kit.h"
#include "style.h"

namespace showkit {

namespace {

// Where the loading bar is drawn, in fractions of the picture (top-down rows): from
// 0.2375 of the width to at most 0.7609, between 0.4167 and 0.4792 of the height from the
// bottom.
constexpr float kBarLeft = 0.2375f, kBarRight = 0.7609375f;
constexpr float kBarTop = 1 - 0.4791666f, kBarBottom = 1 - 0.4166666f;

struct Fonts {
  std::unique_ptr<Font> bold, italic, regular;
  bool ok() const { return bold && italic && regular; }
};

Fonts openFonts() {
  return {Font::open(kSerifBold), Font::open(kSerifItalic), Font::open(kSerifRegular)};
}

// Vertical gradient through the letters: white-hot at the top, `low` at the baseline.
Image gradientText(const Field& mask, Rgba top, Rgba low, Rgba halo, int haloRadius, float strength) {
  Image image = glowingMask(mask, top, halo, haloRadius, strength);
  for (int y = 0; y < image.height(); ++y) {
    const float t = static_cast<float>(y) / static_cast<float>(std::max(1, image.height() - 1));
    for (int x = 0; x < image.width(); ++x) {
      Rgba& p = image.at(x, y);
      const float m = mask.at(x, y);
      if (m <= 0) continue;
      const Rgba body = mix(top, low, smoothstep(0.2f, 0.8f, t));
      const Rgba c = mix(p, body, m);
      p = {c.r, c.g, c.b, p.a};
    }
  }
  return image;
}

// A thin horizontal rule that fades out towards both ends, added to a coverage field.
void rule(Field& canvas, float x0, float x1, float y, float thickness, float fadeLength) {
  for (int x = static_cast<int>(x0); x <= static_cast<int>(x1); ++x) {
    if (x < 0 || x >= canvas.width) continue;
    const float fx = static_cast<float>(x);
    const float fade = std::min(smoothstep(x0, x0 + fadeLength, fx), smoothstep(x1, x1 - fadeLength, fx));
    for (int yy = static_cast<int>(y - thickness - 1); yy <= static_cast<int>(y + thickness + 1); ++yy) {
      if (yy < 0 || yy >= canvas.height) continue;
      const float d = std::fabs(static_cast<float>(yy) + 0.5f - y);
      const float k = clamp01(thickness * 0.5f + 0.5f - d) * fade;
      canvas.at(x, yy) = std::max(canvas.at(x, yy), k);
    }
  }
}

// A small diamond, the show's ornament.
void diamond(Field& canvas, float cx, float cy, float radius) {
  for (int y = static_cast<int>(cy - radius - 2); y <= static_cast<int>(cy + radius + 2); ++y)
    for (int x = static_cast<int>(cx - radius - 2); x <= static_cast<int>(cx + radius + 2); ++x) {
      if (x < 0 || y < 0 || x >= canvas.width || y >= canvas.height) continue;
      const float d = std::fabs(static_cast<float>(x) + 0.5f - cx) + std::fabs(static_cast<float>(y) + 0.5f - cy);
      canvas.at(x, y) = std::max(canvas.at(x, y), clamp01(radius + 0.5f - d));
    }
}

// The loading screen's wall with the group's name; `groove` cuts the slot the bar grows in
// (the setup dialog's picture has none, and its subtitle takes the slot's place).
Image loaderPicture(const Fonts& fonts, bool groove) {
  const int w = 1024, h = 768;
  // The stone wall, lit by a fire below the bar and a little cold light from above.
  Field relief(w, h);
  Image wall(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const float fx = static_cast<float>(x), fy = static_cast<float>(y);
      // Large ashlar blocks with thin joints, weathered faces and chipped edges.
      const Masonry m = masonry(fx, fy, 236, 92, 4, 0x10ad, 0, true);
      const float grain = fbm(fx * 0.03f, fy * 0.03f, 5, 0x51u);
      const float pits = fbm(fx * 0.2f, fy * 0.2f, 3, 0x52u);
      const float worn = smoothstep(0.55f, 0.75f, fbm(fx * 0.012f, fy * 0.012f, 3, 0x53u + m.id % 7));
      relief.at(x, y) = m.height * (0.75f + 0.25f * grain - 0.15f * worn) + 0.08f * pits;
      const Rgba warmStone = mix(palette::stoneDark, palette::stone, 0.15f + 0.7f * m.shade);
      const Rgba coolStone = tint(warmStone, {0.85f, 0.9f, 1.0f, 1});
      Rgba c = mix(warmStone, coolStone, static_cast<float>(m.id >> 24) / 255.0f);
      c = c * (0.55f + 0.6f * grain + 0.25f * (pits - 0.5f) - 0.2f * worn);
      c = c * (0.3f + 0.7f * m.height);
      wall.at(x, y) = c;
    }
  const float fireX = 0.5f * w, fireY = 0.62f * h;
  Image image(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const float fx = static_cast<float>(x), fy = static_cast<float>(y);
      // Relief lit from the fire: faces turned towards it catch more light.
      const float gx = relief.at(std::min(x + 1, w - 1), y) - relief.at(std::max(x - 1, 0), y);
      const float gy = relief.at(x, std::min(y + 1, h - 1)) - relief.at(x, std::max(y - 1, 0));
      const float lx = fireX - fx, ly = fireY - fy;
      const float dist = std::sqrt(lx * lx + ly * ly) + 1;
      const float facing = clamp01(0.5f + 6.0f * (gx * lx + gy * ly) / dist);
      const float warm = 1.4f * std::exp(-dist / 330.0f);
      const float cold = 0.25f * smoothstep(0.7f * h, 0.0f, fy);
      const Rgba base = wall.at(x, y);
      Rgba c = tint(base, palette::fire) * (warm * (0.6f + 0.8f * facing)) +
               tint(base, palette::waterLight) * (cold * (0.5f + 0.5f * facing)) + base * 0.25f;
      const float vignette = smoothstep(0.95f, 0.35f, std::hypot(fx / w - 0.5f, (fy / h - 0.5f) * 1.4f));
      image.at(x, y) = withAlpha(c * (0.3f + 0.7f * vignette), 1);
    }
  // The groove that the bar grows in: a dark slot with a lit lower rim.
  const float gx0 = kBarLeft * w - 8, gx1 = kBarRight * w + 8;
  const float gy0 = kBarTop * h - 7, gy1 = kBarBottom * h + 7;
  for (int y = static_cast<int>(gy0) - 4; groove && y <= static_cast<int>(gy1) + 4; ++y)
    for (int x = static_cast<int>(gx0) - 4; x <= static_cast<int>(gx1) + 4; ++x) {
      const float fx = static_cast<float>(x) + 0.5f, fy = static_cast<float>(y) + 0.5f;
      const float inside = std::min(std::min(fx - gx0, gx1 - fx), std::min(fy - gy0, gy1 - fy));
      Rgba& p = image.at(x, y);
      if (inside >= 0) {
        const float shadow = smoothstep(0, 10, inside);
        p = mix(p, palette::night, 0.6f + 0.35f * shadow);
      }
      const float rimBottom = std::exp(-std::fabs(fy - gy1) * 0.8f) * (fx > gx0 && fx < gx1);
      const float rimTop = std::exp(-std::fabs(fy - gy0) * 0.8f) * (fx > gx0 && fx < gx1);
      p = p + tint(palette::flame, {0.5f, 0.4f, 0.3f, 1}) * rimBottom + palette::stoneLight * (0.25f * rimTop);
      p.a = 1;
    }
  // The group's name above the groove, lit like embers, and the title below it.
  if (fonts.ok()) {
    Field name = fonts.bold->renderLine("TOLVEK", 132, 30, 40);
    Image glow = gradientText(name, palette::flame, palette::fire, palette::ember, 10, 0.55f);
    const int nx = (w - name.width) / 2, ny = static_cast<int>(gy0) - 40 - name.height + 48;
    for (int y = 0; y < glow.height(); ++y)
      for (int x = 0; x < glow.width(); ++x) {
        const Rgba g = glow.at(x, y);
        addLight(image, nx + x, ny + y, g, g.a);
      }
    const std::string subtitle = "looking at eternity";
    Field sub = fonts.italic->renderLine(subtitle, 40, 3, 16);
    Image subGlow = glowingMask(sub, palette::waterLight, palette::water, 6, 0.5f);
    const int sx = (w - sub.width) / 2, sy = static_cast<int>(groove ? gy1 + 30 : gy0);
    for (int y = 0; y < subGlow.height(); ++y)
      for (int x = 0; x < subGlow.width(); ++x) {
        const Rgba g = subGlow.at(x, y);
        addLight(image, sx + x, sy + y, g, g.a * 0.85f);
      }
  }
  return image;
}

Image barPicture() {
  const int w = 256, h = 32;
  Image image(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const float u = (static_cast<float>(x) + 0.5f) / w, v = (static_cast<float>(y) + 0.5f) / h;
      // Molten core across the middle, cooling towards the edges and towards the left end.
      const float core = std::exp(-std::pow((v - 0.5f) / 0.24f, 2.0f));
      const float flow = fbm(u * 12, v * 3, 4, 0xba4u, 12, 3);
      const float heat = clamp01(core * (0.55f + 0.45f * u) + 0.25f * (flow - 0.5f));
      Rgba c = ramp({palette::night, palette::ember, palette::fire, palette::flame, palette::white}, heat);
      const float rim = smoothstep(0.1f, 0.0f, v) + smoothstep(0.9f, 1.0f, v);
      image.at(x, y) = withAlpha(mix(c, palette::stoneDark, rim * 0.7f), 1);
    }
  return image;
}

// A line of text lit for additive drawing, in a picture designed at the shown aspect and
// then stored at the texture's size.
Image overlayLogo(const Field& canvas, Rgba core, Rgba halo, int haloRadius, float strength,
                  int storedWidth, int storedHeight) {
  return resampled(glowingMask(canvas, core, halo, haloRadius, strength), storedWidth, storedHeight);
}

// Presentation logo, shown 0.6 x 0.1 of a 4:3 window (8:1), over the open part of the
// white frame line, which crosses it 37.5 % up from its bottom edge.
Image lovingPicture(const Fonts& fonts) {
  const int w = 1024, h = 128;
  Field canvas(w, h);
  const float lineY = h * 0.625f;
  Field name = fonts.bold->renderLine("TOLVEK", 60, 14);
  Field rest = fonts.italic->renderLine("lovingly presents", 50, 1);
  const int gap = 26;
  const int total = name.width + gap + rest.width;
  const int x0 = (w - total) / 2;
  // Letters centred on the frame line, so the line seems to run into the logo.
  const int nameTop = static_cast<int>(lineY) - name.height / 2 - 4;
  stamp(canvas, name, x0, nameTop);
  stamp(canvas, rest, x0 + name.width + gap, static_cast<int>(lineY) - rest.height / 2 - 4);
  rule(canvas, 0, static_cast<float>(x0 - 18), lineY, 1.6f, 24);
  rule(canvas, static_cast<float>(x0 + total + 18), w, lineY, 1.6f, 24);
  diamond(canvas, static_cast<float>(x0 - 10), lineY, 4.5f);
  diamond(canvas, static_cast<float>(x0 + total + 10), lineY, 4.5f);
  Image image = glowingMask(canvas, palette::white, palette::fire, 5, 0.45f);
  // The group's name burns warmer than the rest of the line.
  for (int y = 0; y < name.height; ++y)
    for (int x = 0; x < name.width; ++x) {
      const float m = name.at(x, y);
      if (m <= 0) continue;
      Rgba& p = image.at(x0 + x, nameTop + y);
      const Rgba c = mix(p, mix(palette::flame, palette::fire, static_cast<float>(y) / name.height), m);
      p = {c.r, c.g, c.b, p.a};
    }
  return resampled(image, 512, 64);
}

// Group logo and title share a 0.77 x 0.27 box of a 4:3 window (about 3.8:1).
Image groupLogoPicture(const Fonts& fonts) {
  const int w = 1216, h = 320;
  Field canvas(w, h);
  Field name = fonts.bold->renderLine("TOLVEK", 184, 44);
  const int nx = (w - name.width) / 2, ny = (h - name.height) / 2 - 34;
  stamp(canvas, name, nx, ny);
  Field tag = fonts.italic->renderLine("monks  -  water  -  light", 40, 4);
  Image image = gradientText(canvas, palette::white, palette::fire, palette::ember, 14, 0.6f);
  const float ruleY = static_cast<float>(ny + name.height) + 6;
  Field ornament(w, h);
  rule(ornament, nx - 40.0f, nx + name.width + 40.0f, ruleY, 2.2f, 140);
  diamond(ornament, w * 0.5f, ruleY, 7);
  stamp(ornament, tag, (w - tag.width) / 2, static_cast<int>(ruleY) + 10);
  const Image cold = glowingMask(ornament, palette::waterLight, palette::water, 6, 0.5f);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const Rgba c = cold.at(x, y);
      Rgba& p = image.at(x, y);
      const float a = clamp01(p.a + c.a * (1 - p.a));
      if (a <= 0) continue;
      const Rgba colour = (withAlpha(p, 1) * p.a + withAlpha(c, 1) * c.a * (1 - p.a)) * (1 / a);
      p = withAlpha(colour, a);
    }
  return resampled(image, 512, 128);
}

Image titlePicture(const Fonts& fonts) {
  const int w = 1216, h = 320;
  Field canvas(w, h);
  Field small = fonts.italic->renderLine("looking at", 74, 6);
  Field big = fonts.bold->renderLine("ETERNITY", 168, 34);
  const int by = h - big.height - 22;
  stamp(canvas, big, (w - big.width) / 2, by);
  stamp(canvas, small, (w - big.width) / 2 + 12, by - small.height + 34);
  Image image = gradientText(canvas, palette::white, palette::waterLight, palette::water, 14, 0.65f);
  return resampled(image, 512, 128);
}

// Caption words: 0.6 x 0.067 of a 4:3 window (12:1), beside the panel of turning squares.
Image captionPicture(const Fonts& fonts, const std::string& words) {
  const int w = 1152, h = 96;
  Field canvas(w, h);
  Field text = fonts.italic->renderLine(words, 64, 2);
  stamp(canvas, text, 28, (h - text.height) / 2);
  rule(canvas, 28, 28 + text.width * 0.55f, h - 9.0f, 1.4f, 90);
  return overlayLogo(canvas, palette::white, palette::waterLight, 4, 0.5f, 512, 64);
}


// Box of the coverage above one half in a mask: x0, y0 inclusive, x1, y1 exclusive.
struct MaskBox {
  int x0, y0, x1, y1;
};
MaskBox maskBox(const Field& mask) {
  MaskBox b{mask.width, mask.height, 0, 0};
  for (int y = 0; y < mask.height; ++y)
    for (int x = 0; x < mask.width; ++x)
      if (mask.at(x, y) > 0.5f) b = {std::min(b.x0, x), std::min(b.y0, y), std::max(b.x1, x + 1), std::max(b.y1, y + 1)};
  return b;
}

// Signed distance to a square of half side `half` with corners rounded by `corner`, centred
// on (c, c): negative inside.
float roundedSquareDistance(float x, float y, float c, float half, float corner) {
  const float qx = std::fabs(x - c) - (half - corner), qy = std::fabs(y - c) - (half - corner);
  return std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f)) + std::min(std::max(qx, qy), 0.0f) - corner;
}

// The program's icon: a rounded tile of the loader's fire-lit wall, the group's initial
// burning on it above a rule and diamond in cold light, and a cold rim. Drawn at four times
// the size and averaged down, which smooths every edge.
Image iconPicture(const Fonts& fonts, int size) {
  const int s = 4 * size;
  const float c = 0.5f * s, half = 0.47f * s, corner = 0.18f * s;
  Field relief(s, s);
  Image wall(s, s);
  for (int y = 0; y < s; ++y)
    for (int x = 0; x < s; ++x) {
      const float fx = static_cast<float>(x), fy = static_cast<float>(y);
      const Masonry m = masonry(fx, fy, 310, 124, 7, 0x1c0u, 0, true);
      const float grain = fbm(fx * 0.025f, fy * 0.025f, 5, 0x1c1u);
      relief.at(x, y) = m.height * (0.8f + 0.2f * grain);
      const Rgba stone = mix(palette::stoneDark, palette::stone, 0.2f + 0.6f * m.shade);
      wall.at(x, y) = stone * ((0.6f + 0.6f * grain) * (0.3f + 0.7f * m.height));
    }
  // Lit like the loader's wall: by a fire below the letter, a little cold light from above,
  // and the tile's edge bevelled into shadow.
  const float fireX = c, fireY = 0.8f * s;
  Image image(s, s, {0, 0, 0, 0});
  for (int y = 0; y < s; ++y)
    for (int x = 0; x < s; ++x) {
      const float fx = static_cast<float>(x) + 0.5f, fy = static_cast<float>(y) + 0.5f;
      const float gx = relief.at(std::min(x + 1, s - 1), y) - relief.at(std::max(x - 1, 0), y);
      const float gy = relief.at(x, std::min(y + 1, s - 1)) - relief.at(x, std::max(y - 1, 0));
      const float lx = fireX - fx, ly = fireY - fy;
      const float dist = std::sqrt(lx * lx + ly * ly) + 1;
      const float facing = clamp01(0.5f + 6.0f * (gx * lx + gy * ly) / dist);
      const float warm = 1.6f * std::exp(-dist / (0.42f * s));
      const float cold = 0.3f * smoothstep(0.75f * s, 0.0f, fy);
      const Rgba base = wall.at(x, y);
      const float d = roundedSquareDistance(fx, fy, c, half, corner);
      const float bevel = 0.35f + 0.65f * smoothstep(0.0f, 0.06f * s, -d);
      const Rgba lit = tint(base, palette::fire) * (warm * (0.6f + 0.8f * facing)) +
                       tint(base, palette::waterLight) * (cold * (0.5f + 0.5f * facing)) + base * 0.25f;
      image.at(x, y) = withAlpha(lit * bevel, clamp01(0.5f - d));
    }
  // The cold rim just inside the edge.
  Field rim(s, s);
  for (int y = 0; y < s; ++y)
    for (int x = 0; x < s; ++x) {
      const float d = roundedSquareDistance(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f, c, half, corner);
      rim.at(x, y) = clamp01(6.0f - std::fabs(d + 0.035f * s));
    }
  // The initial, its foot resting on a rule with the show's diamond.
  Field letter = fonts.bold->renderLine("T", static_cast<int>(0.74f * s));
  const MaskBox box = maskBox(letter);
  const int lx = static_cast<int>(c) - (box.x0 + box.x1) / 2;
  const int ly = static_cast<int>(0.44f * s) - (box.y0 + box.y1) / 2;
  Field canvas(s, s);
  stamp(canvas, letter, lx, ly);
  const float ruleY = static_cast<float>(ly + box.y1) + 0.055f * s;
  rule(rim, c - 0.3f * s, c + 0.3f * s, ruleY, 7, 0.16f * s);
  diamond(rim, c, ruleY, 0.028f * s);
  const Image cold = glowingMask(rim, palette::waterLight, palette::water, 10, 0.5f);
  const Image glow = gradientText(canvas, palette::white, palette::fire, palette::ember, 28, 0.6f);
  for (int y = 0; y < s; ++y)
    for (int x = 0; x < s; ++x) {
      addLight(image, x, y, cold.at(x, y), cold.at(x, y).a * 0.9f);
      addLight(image, x, y, glow.at(x, y), glow.at(x, y).a);
    }
  return resampled(image, size, size);
}

}  // namespace

void writeOverlayPictures(ShowFolder& folder) {
  const Fonts fonts = openFonts();
  if (!fonts.ok()) {
    folder.fail("the Liberation Serif fonts are missing in " + fontFolder() +
                " (package fonts-liberation2): the text pictures are not written");
    writeJpeg(folder, "Textures/barre.jpg", barPicture());
    return;
  }
  writeJpeg(folder, "Textures/tolvek-loader.jpg", loaderPicture(fonts, true));
  writeJpeg(folder, "Textures/barre.jpg", barPicture());
  writeTga32(folder, "Textures/Loving.tga", lovingPicture(fonts));
  writeTga32(folder, "Textures/Tolvek.tga", groupLogoPicture(fonts));
  writeTga32(folder, "Textures/Title.tga", titlePicture(fonts));
  // The captions follow the intro: the corridor, the running figure, the monks, the
  // glass column with its strange object, and the way out into the tunnel.
  writeTga32(folder, "Textures/Where.tga", captionPicture(fonts, "where are we"));
  writeTga32(folder, "Textures/Doing.tga", captionPicture(fonts, "what are we doing here"));
  writeTga32(folder, "Textures/Guys.tga", captionPicture(fonts, "who are these guys"));
  writeTga32(folder, "Textures/Thing.tga", captionPicture(fonts, "what is this thing"));
  writeTga32(folder, "Textures/Going.tga", captionPicture(fonts, "where is it all going"));
}

std::vector<std::uint8_t> dialogPictureJpeg() {
  const Fonts fonts = openFonts();
  if (!fonts.ok()) return {};
  return encodeJpeg(resampled(loaderPicture(fonts, false), 300, 225), 92);
}

Image appIcon(int size) {
  const Fonts fonts = openFonts();
  if (!fonts.ok() || size < 16) return {};
  return iconPicture(fonts, size);
}

}  // namespace showkit
