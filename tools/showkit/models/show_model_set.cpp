// The three single models: chelou (an odd, shiny knot spinning in the glass column), moine
// (a hooded monk floating in the monk room) and boat (hull, mast and sail off the island).
#include "show_model_set.h"

#include <cmath>
#include <functional>

#include "noise.h"
#include "style.h"

namespace modelkit {

using showkit::clamp01;
using showkit::fbm;
using showkit::Image;
using showkit::mix;
using showkit::Rgba;
using showkit::smoothstep;

namespace {

constexpr float kPi = 3.14159265358979f;

Mesh placed(Mesh mesh, const Transform& t, float u0, float v0, float u1, float v1) {
  transform(mesh, t);
  placeUv(mesh, u0, v0, u1, v1);
  return mesh;
}

// A grid surface from a function of (u, v) in 0..1, `nu` x `nv` cells.
Mesh gridSurface(int nu, int nv, const std::function<Vec3(float, float)>& at) {
  Mesh mesh;
  for (int j = 0; j <= nv; ++j)
    for (int i = 0; i <= nu; ++i) {
      const float u = static_cast<float>(i) / static_cast<float>(nu), v = static_cast<float>(j) / static_cast<float>(nv);
      mesh.positions.push_back(at(u, v));
      mesh.uvs.push_back({u, v});
    }
  for (int j = 0; j < nv; ++j)
    for (int i = 0; i < nu; ++i) {
      const int a = j * (nu + 1) + i, b = a + 1, c = a + nu + 1, d = c + 1;
      mesh.triangles.push_back({a, b, d});
      mesh.triangles.push_back({a, d, c});
    }
  return mesh;
}

// Turns every triangle to face `outward(centre)` (open surfaces built point by point, whose
// winding is easier to settle afterwards).
void faceTowards(Mesh& mesh, const std::function<Vec3(Vec3)>& outward) {
  for (Triangle& t : mesh.triangles) {
    const Vec3 a = mesh.positions[static_cast<size_t>(t[0])], b = mesh.positions[static_cast<size_t>(t[1])],
               c = mesh.positions[static_cast<size_t>(t[2])];
    if (dot(cross(b - a, c - a), outward((a + b + c) * (1.0f / 3))) < 0) std::swap(t[1], t[2]);
  }
}

Mesh flippedCopy(Mesh mesh, Vec3 offset) {
  for (Vec3& p : mesh.positions) p = p + offset;
  for (Triangle& t : mesh.triangles) std::swap(t[1], t[2]);
  return mesh;
}

SkinnedModel singleSurfaceModel(const std::string& name, const std::string& surface, Mesh mesh, Image skin,
                                const std::string& imageName, bool jpeg) {
  smoothNormals(mesh);
  SkinnedModel m;
  m.model.name = name;
  m.model.frameCount = 1;
  m.model.surfaces.push_back(skinnedSurface(surface, {mesh}, jpeg));
  m.skin = std::move(skin);
  m.imageName = imageName;
  m.jpeg = jpeg;
  m.skinText = surface + ",models/mapobjects/" + imageName + "\n";
  return m;
}

}  // namespace

void paintRegion(Image& image, float u0, float v0, float u1, float v1, const std::function<Rgba(float, float)>& paint) {
  const int x0 = static_cast<int>(u0 * static_cast<float>(image.width())), x1 = static_cast<int>(u1 * static_cast<float>(image.width()));
  const int y0 = static_cast<int>(v0 * static_cast<float>(image.height())), y1 = static_cast<int>(v1 * static_cast<float>(image.height()));
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x)
      image.at(x, y) = paint((static_cast<float>(x - x0) + 0.5f) / static_cast<float>(x1 - x0),
                             (static_cast<float>(y - y0) + 0.5f) / static_cast<float>(y1 - y0));
}

float storedT(float v, bool jpeg) { return jpeg ? 1 - v : v; }

SurfaceFrames skinnedSurface(const std::string& name, const std::vector<Mesh>& frames, bool jpeg) {
  SurfaceFrames s = surfaceFromMeshes(name, frames);
  for (Vec2& uv : s.texCoords) uv.y = storedT(uv.y, jpeg);
  return s;
}

// ---- chelou: a trefoil knot round a glowing core, drawn additively, so dark in the skin
// means see-through and the bright bands are what shines.
SkinnedModel chelouModel() {
  std::vector<Vec3> path;
  std::vector<Vec2> radii;
  const int steps = 120;
  for (int i = 0; i < steps; ++i) {
    const float t = 2 * kPi * static_cast<float>(i) / steps;
    path.push_back(Vec3{std::sin(t) + 2 * std::sin(2 * t), std::cos(t) - 2 * std::cos(2 * t), -std::sin(3 * t)} * 22);
    // The tube swells and narrows three times round the loop: it looks alive when it spins.
    const float r = 11 + 3 * std::cos(3 * t + 1);
    radii.push_back({r, r});
  }
  Mesh mesh = sweep(path, radii, 14, true, false, false);
  placeUv(mesh, 0, 0, 1, 0.75f);
  mesh.append(placed(sphere(17, 12, 20), Transform{}, 0, 0.75f, 1, 1));

  Image skin(256, 256);
  // Knot: iridescent bands along the tube with hard white highlights (a fake reflection).
  paintRegion(skin, 0, 0, 1, 0.75f, [](float u, float v) {
    const float around = std::cos(u * 2 * kPi);  // 1 at the tube's inner side, -1 outside
    const float hue = v * 6 + fbm(u * 4, v * 24, 3, 0xc1u, 4, 24) * 1.5f;
    const Rgba band = showkit::ramp({{0.1f, 0.2f, 0.9f, 1}, {0.1f, 0.8f, 0.9f, 1}, {0.9f, 0.3f, 0.8f, 1}, {0.1f, 0.2f, 0.9f, 1}},
                                    hue - std::floor(hue));
    const float sheen = std::pow(clamp01(0.5f - 0.5f * around), 3.0f);
    const float streak = smoothstep(0.82f, 0.97f, std::fabs(std::sin((u * 2 + v * 40) * kPi)));
    Rgba c = band * (0.25f + 0.6f * sheen) + Rgba{1, 1, 1, 0} * (streak * 0.8f);
    c.a = 1;
    return c;
  });
  // Core: a hot white-violet eye with a dark ring.
  paintRegion(skin, 0, 0.75f, 1, 1, [](float u, float v) {
    const float pulse = 0.5f + 0.5f * std::sin(v * kPi);
    const float rings = 0.5f + 0.5f * std::cos(v * 40 + u * 6);
    const Rgba c = mix(Rgba{0.3f, 0.05f, 0.4f, 1}, Rgba{1, 0.9f, 1, 1}, pulse * (0.6f + 0.4f * rings));
    return Rgba{c.r, c.g, c.b, 1};
  });
  return singleSurfaceModel("chelou", "chelou", std::move(mesh), std::move(skin), "quadmap2.tga", false);
}

// ---- moine: z up, facing +x, origin at the middle of the figure; the hem hangs 30 below.
SkinnedModel monkModel() {
  Mesh mesh;
  const Ring robe[] = {{{-1, 0, -30}, 13, 14.5f}, {{-0.5f, 0, -25}, 11.5f, 12.5f}, {{0, 0, -14}, 9.5f, 10.5f},
                       {{0, 0, -4}, 8, 9.5f},      {{0, 0, 6}, 8, 10.5f},          {{-0.5f, 0, 13}, 7.5f, 11},
                       {{-0.5f, 0, 17}, 6, 9},     {{-0.5f, 0, 19.5f}, 3.5f, 4.5f}};
  mesh.append(placed(loft(robe, 28, true, true), Transform{}, 0, 0, 0.5f, 1));
  const Ring hood[] = {{{-1, 0, 16}, 7.5f, 8.5f}, {{-0.5f, 0, 21}, 7.2f, 7.6f}, {{-1, 0, 25}, 6.5f, 6.6f},
                       {{-2.2f, 0, 28}, 5, 5},     {{-4, 0, 30.5f}, 2.8f, 2.8f},  {{-6, 0, 31.5f}, 0.6f, 0.6f}};
  mesh.append(placed(loft(hood, 24, false, true), Transform{}, 0.5f, 0, 0.75f, 0.5f));
  // The face: a dark oval that shows where it pokes out of the hood's front, framed by a rim.
  mesh.append(placed(sphere(1, 10, 16), Transform::translation({5.2f, 0, 22.5f}) * Transform::scaling({3, 4.5f, 5.5f}), 0.5f,
                     0.5f, 0.75f, 0.75f));
  {
    std::vector<Vec3> rim;
    std::vector<Vec2> radii;
    for (int i = 0; i < 32; ++i) {
      const float a = 2 * kPi * static_cast<float>(i) / 32;
      rim.push_back({6.4f - 0.8f * std::cos(a) * std::cos(a), 4.4f * std::sin(a), 22.5f + 5.4f * std::cos(a)});
      radii.push_back({1.3f, 1.3f});
    }
    mesh.append(placed(sweep(rim, radii, 8, true, false, false), Transform{}, 0.5f, 0, 0.75f, 0.5f));
  }
  // Sleeves from the shoulders to the hands, joined in front with the hands inside.
  for (float side : {-1.0f, 1.0f}) {
    const Vec3 path[] = {{0.5f, 9.5f * side, 15}, {2.5f, 11.5f * side, 7}, {6, 9 * side, -1}, {9.5f, 3.8f * side, -3.5f}};
    const Vec2 radii[] = {{3.4f, 3.4f}, {3.8f, 3.8f}, {4.2f, 4.2f}, {5, 5}};
    mesh.append(placed(sweep(path, radii, 14, false, false, true), Transform{}, 0.75f, 0, 1, 0.5f));
  }
  // Rope belt with a hanging end and a knot; a small wooden cross on the chest.
  {
    std::vector<Vec3> belt;
    std::vector<Vec2> radii;
    for (int i = 0; i < 36; ++i) {
      const float a = 2 * kPi * static_cast<float>(i) / 36;
      belt.push_back({8.3f * std::cos(a), 9.8f * std::sin(a), -3.5f});
      radii.push_back({0.8f, 0.8f});
    }
    mesh.append(placed(sweep(belt, radii, 8, true, false, false), Transform{}, 0.75f, 0.5f, 1, 0.75f));
    const Vec3 end[] = {{7.6f, -3.5f, -3.5f}, {8.6f, -4.2f, -10}, {9.3f, -4.5f, -17}};
    const Vec2 endRadii[] = {{0.7f, 0.7f}, {0.7f, 0.7f}, {0.6f, 0.6f}};
    mesh.append(placed(sweep(end, endRadii, 8, false, true, true), Transform{}, 0.75f, 0.5f, 1, 0.75f));
    mesh.append(placed(sphere(1.3f, 6, 8), Transform::translation({9.3f, -4.5f, -17.5f}), 0.75f, 0.5f, 1, 0.75f));
  }
  mesh.append(placed(box({0.5f, 0.55f, 2.4f}), Transform::translation({8.6f, 0, 8.5f}), 0.5f, 0.75f, 0.75f, 1));
  mesh.append(placed(box({0.5f, 1.7f, 0.5f}), Transform::translation({8.6f, 0, 9.6f}), 0.5f, 0.75f, 0.75f, 1));

  Image skin(256, 256);
  // A pale habit: the room is lit dimly from afar, and pale cloth with a black hood opening
  // reads as a monk there where a dark one would be a shadow.
  const Rgba wool{0.78f, 0.72f, 0.62f, 1}, woolDark{0.42f, 0.37f, 0.31f, 1}, dust{0.55f, 0.5f, 0.42f, 1};
  // Robe: heavy folds falling from the shoulders, dusty at the hem (local v = 0).
  paintRegion(skin, 0, 0, 0.5f, 1, [&](float u, float v) {
    const float folds = 0.5f + 0.5f * std::sin((u * 14 + 0.6f * fbm(u * 6, v * 2, 3, 0x301u, 6, 0)) * 2 * kPi);
    const float deep = mix(0.35f, 0.8f, smoothstep(0.9f, 0.1f, v));  // folds deepen towards the hem
    const float weave = fbm(u * 90, v * 140, 2, 0x302u, 90, 0);
    Rgba c = mix(wool, woolDark, folds * deep * 0.7f) * (0.85f + 0.3f * weave);
    c = mix(c, dust, smoothstep(0.12f, 0.0f, v) * 0.6f);
    c.a = 1;
    return c;
  });
  paintRegion(skin, 0.5f, 0, 0.75f, 0.5f, [&](float u, float v) {
    const float folds = 0.5f + 0.5f * std::sin((u * 8 + v * 1.5f) * 2 * kPi);
    Rgba c = mix(wool, woolDark, 0.25f + 0.35f * folds) * (0.9f + 0.2f * fbm(u * 60, v * 60, 2, 0x303u, 60, 0));
    c.a = 1;
    return c;
  });
  paintRegion(skin, 0.75f, 0, 1, 0.5f, [&](float u, float v) {
    const float folds = 0.5f + 0.5f * std::sin((v * 5 + u * 0.5f) * 2 * kPi);
    Rgba c = mix(wool, woolDark, 0.2f + 0.4f * folds) * (0.9f + 0.2f * fbm(u * 60, v * 60, 2, 0x304u, 60, 0));
    c.a = 1;
    return c;
  });
  // Face: shadow under the hood and two faint ember eyes, on the front of the oval (u 0.5).
  paintRegion(skin, 0.5f, 0.5f, 0.75f, 0.75f, [&](float u, float v) {
    Rgba c{0.03f, 0.025f, 0.02f, 1};
    for (float eye : {0.455f, 0.545f}) {
      const float d = std::hypot((u - eye) * 9, (v - 0.42f) * 3);
      c = c + Rgba{0.9f, 0.45f, 0.12f, 0} * std::exp(-d * d * 40);
    }
    c.a = 1;
    return c;
  });
  paintRegion(skin, 0.75f, 0.5f, 1, 0.75f, [&](float u, float v) {
    const float twist = 0.5f + 0.5f * std::sin((u * 3 + v * 12) * 2 * kPi);
    return Rgba{0.3f * (0.7f + 0.3f * twist), 0.2f * (0.7f + 0.3f * twist), 0.12f * (0.7f + 0.3f * twist), 1};
  });
  paintRegion(skin, 0.5f, 0.75f, 0.75f, 1, [&](float u, float v) {
    const float grain = fbm(u * 4, v * 30, 3, 0x305u);
    return Rgba{0.38f * (0.7f + 0.5f * grain), 0.24f * (0.7f + 0.5f * grain), 0.12f, 1};
  });
  paintRegion(skin, 0.75f, 0.75f, 1, 1, [&](float, float) { return woolDark; });
  return singleSurfaceModel("moine", "moine", std::move(mesh), std::move(skin), "moine.jpg", true);
}

// ---- boat: z up, long along y (bow at +y), beam along x; drawn at (0.3, 0.5, 0.5) with
// its origin 12 units above the sea, so the waterline is at z = -24.
SkinnedModel boatModel() {
  const auto beam = [](float y) {
    if (y > -5) return 24 * std::sqrt(std::fmax(0.0f, 1 - std::pow((y + 5) / 58, 2.0f))) + 0.6f;
    return 24 * (1 - 0.35f * std::pow((y + 5) / 45, 2.0f)) + 0.6f;
  };
  const auto gunwale = [](float y) { return -14 + 7 * std::pow(y / 50, 2.0f) + (y > 0 ? 4 * std::pow(y / 50, 3.0f) : 0); };
  const auto keel = [](float y) { return -38 + 10 * std::pow(std::fabs(y) / 52, 4.0f); };
  const auto hullPoint = [&](float y, float s, float inset) {
    // s runs 0..1 from the port gunwale over the keel to the starboard gunwale.
    const float phi = s * kPi;
    const float b = beam(y) - inset, top = gunwale(y), bottom = keel(y) + inset;
    return Vec3{-b * std::cos(phi), y, top + (bottom - top) * std::pow(std::fmax(0.0f, std::sin(phi)), 0.55f)};
  };
  Mesh mesh;
  const float stern = -50, bow = 52;
  Mesh outer = gridSurface(14, 30, [&](float s, float t) { return hullPoint(mix(stern, bow, t), s, 0); });
  faceTowards(outer, [&](Vec3 c) { return c - Vec3{0, c.y, gunwale(c.y) - 6}; });
  placeUv(outer, 0, 0, 0.5f, 0.5f);
  mesh.append(outer);
  // The two walls (port and starboard) and the floor between them.
  Mesh walls;
  for (int side = 0; side < 2; ++side) {
    Mesh w = gridSurface(1, 30, [&](float s, float t) {
      const float y = mix(stern, bow, t);
      const float b = beam(y) * 0.92f;
      const float x = side == 0 ? -b : b;
      return Vec3{x, y, mix(gunwale(y), gunwale(y) - 7, s)};
    });
    faceTowards(w, [&](Vec3) { return Vec3{side == 0 ? 1.0f : -1.0f, 0, 0}; });
    placeUv(w, 0, 0.45f, 0.5f, 0.5f);
    walls.append(w);
  }
  Mesh floor = gridSurface(4, 30, [&](float s, float t) {
    const float y = mix(stern, bow, t);
    const float b = beam(y) * 0.92f;
    return Vec3{mix(-b, b, s), y, gunwale(y) - 7};
  });
  faceTowards(floor, [](Vec3) { return Vec3{0, 0, 1}; });
  placeUv(floor, 0.5f, 0, 1, 0.5f);
  // Rim: the gunwale's top between the hull's edge and the inner wall.
  for (int side = 0; side < 2; ++side) {
    Mesh rim = gridSurface(1, 30, [&](float s, float t) {
      const float y = mix(stern, bow, t);
      const float b = mix(beam(y), beam(y) * 0.92f, s);
      return Vec3{side == 0 ? -b : b, y, gunwale(y)};
    });
    faceTowards(rim, [](Vec3) { return Vec3{0, 0, 1}; });
    placeUv(rim, 0, 0, 0.5f, 0.05f);
    walls.append(rim);
  }
  // Transom: the flat stern board.
  {
    Mesh fan;
    const int k = 14;
    fan.positions.push_back({0, stern, (gunwale(stern) + keel(stern)) * 0.5f});
    fan.uvs.push_back({0.5f, 0.5f});
    for (int i = 0; i <= k; ++i) {
      fan.positions.push_back(hullPoint(stern, static_cast<float>(i) / k, 0));
      fan.uvs.push_back({static_cast<float>(i) / k, 0});
    }
    for (int i = 0; i < k; ++i) fan.triangles.push_back({0, i + 1, i + 2});
    faceTowards(fan, [](Vec3) { return Vec3{0, -1, 0}; });
    placeUv(fan, 0, 0.25f, 0.5f, 0.45f);
    mesh.append(fan);
  }
  mesh.append(walls);
  mesh.append(floor);
  // Thwarts (seats) across the boat.
  for (float y : {-22.0f, 20.0f})
    mesh.append(placed(box({beam(y) * 0.9f, 3.5f, 1.2f}), Transform::translation({0, y, gunwale(y) - 3}), 0.5f, 0, 1, 0.5f));
  // Mast, boom and a triangular sail set along the boat.
  const float mastY = 12;
  mesh.append(placed(cylinder(1.8f, 92, 10), Transform::translation({0, mastY, gunwale(mastY) - 7}), 0, 0.5f, 0.25f, 1));
  {
    const Vec3 boom[] = {{0, mastY - 1, -10}, {0, -44, -8}};
    const Vec2 radii[] = {{1.3f, 1.3f}, {1.1f, 1.1f}};
    mesh.append(placed(sweep(boom, radii, 8, false, true, true), Transform{}, 0, 0.5f, 0.25f, 1));
  }
  const Vec3 tack{0, mastY - 2.5f, -7}, clew{0, -43, -6}, head{0, mastY - 2.5f, 70};
  Mesh sail = gridSurface(8, 8, [&](float u, float v) {
    Vec3 p = lerp(lerp(tack, clew, u), head, v);
    p.x += 7 * std::sin(kPi * u) * (1 - v) * std::sin(kPi * std::fmin(1.0f, v * 1.2f + 0.1f));
    return p;
  });
  faceTowards(sail, [](Vec3) { return Vec3{1, 0, 0}; });
  placeUv(sail, 0.5f, 0.5f, 1, 1);
  Mesh sailBack = flippedCopy(sail, {-0.3f, 0, 0});
  mesh.append(sail);
  mesh.append(sailBack);
  // A red pennant at the masthead.
  {
    Mesh flag = gridSurface(4, 1, [&](float u, float v) {
      return Vec3{1.5f * std::sin(u * 3), mastY - u * 16, gunwale(mastY) + 80 + (1 - u * 0.6f) * (v * 7 - 3.5f)};
    });
    placeUv(flag, 0.25f, 0.5f, 0.5f, 0.75f);
    mesh.append(flag);
    mesh.append(flippedCopy(flag, {0.3f, 0, 0}));
  }

  Image skin(256, 256);
  // Hull: planks along the length (v across them), a dark blue band under the gunwale, a
  // white stripe, tar towards the keel.
  paintRegion(skin, 0, 0, 0.5f, 0.5f, [](float u, float v) {
    // u runs round the section (gunwale, keel, gunwale), v along the boat.
    const float across = std::fabs(u - 0.5f) * 2;  // 1 at the gunwales, 0 at the keel
    const float plank = std::fmod(across * 9, 1.0f);
    const float seam = smoothstep(0.06f, 0.0f, plank) + smoothstep(0.94f, 1.0f, plank);
    const float grain = fbm(v * 30, across * 9 * 8, 3, 0x801u);
    Rgba c = mix(Rgba{0.42f, 0.26f, 0.13f, 1}, Rgba{0.55f, 0.36f, 0.18f, 1}, grain);
    c = mix(c, Rgba{0.08f, 0.15f, 0.32f, 1}, smoothstep(0.8f, 0.83f, across));
    c = mix(c, Rgba{0.85f, 0.82f, 0.74f, 1}, smoothstep(0.72f, 0.74f, across) * smoothstep(0.8f, 0.78f, across));
    c = mix(c, Rgba{0.12f, 0.1f, 0.08f, 1}, smoothstep(0.35f, 0.1f, across));
    c = c * (1 - 0.45f * seam);
    c.a = 1;
    return c;
  });
  // Deck boards and seats: lighter planks across.
  paintRegion(skin, 0.5f, 0, 1, 0.5f, [](float u, float v) {
    const float board = std::fmod(u * 6, 1.0f);
    const float seam = smoothstep(0.05f, 0.0f, board) + smoothstep(0.95f, 1.0f, board);
    const float grain = fbm(u * 6, v * 40, 3, 0x802u);
    Rgba c = mix(Rgba{0.55f, 0.42f, 0.26f, 1}, Rgba{0.68f, 0.55f, 0.36f, 1}, grain) * (1 - 0.5f * seam);
    c.a = 1;
    return c;
  });
  // Mast and boom: dark varnished wood.
  paintRegion(skin, 0, 0.5f, 0.25f, 1, [](float u, float v) {
    const float grain = fbm(u * 4, v * 50, 3, 0x803u);
    return Rgba{0.3f + 0.12f * grain, 0.18f + 0.08f * grain, 0.09f, 1};
  });
  paintRegion(skin, 0.25f, 0.5f, 0.5f, 0.75f, [](float, float v) {
    return Rgba{0.75f - 0.2f * v, 0.1f, 0.08f, 1};
  });
  paintRegion(skin, 0.25f, 0.75f, 0.5f, 1, [](float, float) { return Rgba{0.3f, 0.2f, 0.1f, 1}; });
  // Sail: worn canvas with seams along the cloths and a red sun on it.
  paintRegion(skin, 0.5f, 0.5f, 1, 1, [](float u, float v) {
    const float cloth = std::fmod(v * 7, 1.0f);
    const float seam = smoothstep(0.04f, 0.0f, cloth);
    const float stain = fbm(u * 5, v * 5, 4, 0x804u);
    Rgba c = mix(Rgba{0.93f, 0.88f, 0.76f, 1}, Rgba{0.75f, 0.68f, 0.55f, 1}, smoothstep(0.45f, 0.8f, stain));
    c = c * (1 - 0.2f * seam);
    const float sun = std::hypot(u - 0.35f, v - 0.3f);
    c = mix(c, Rgba{0.7f, 0.15f, 0.08f, 1}, smoothstep(0.16f, 0.14f, sun));
    c.a = 1;
    return c;
  });
  return singleSurfaceModel("boat", "boat", std::move(mesh), std::move(skin), "barque.jpg", true);
}

}  // namespace modelkit
