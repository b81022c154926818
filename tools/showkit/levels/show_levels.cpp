#include "show_levels.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace levelc {

namespace {

IntBox box(int x0, int y0, int z0, int x1, int y1, int z1) { return {{x0, y0, z0}, {x1, y1, z1}}; }

Room room(std::string name, IntBox b, Material floor, Material wall, Material ceiling,
          Material trim, int trimHeight, Material crown, int crownHeight) {
  Room r;
  r.name = std::move(name);
  r.box = b;
  r.floor = floor;
  r.wall = wall;
  r.ceiling = ceiling;
  r.trim = trim;
  r.trimHeight = trimHeight;
  r.crown = crown;
  r.crownHeight = crownHeight;
  return r;
}

void solid(LevelDescription& level, IntBox b, Material material) {
  level.blocks.push_back({b, material, false, {}});
}

// A glowing lamp housing, a 12-unit cube, set against a wall, and the light it gives 14 units
// in front of the wall. (x, y, z) is the centre of the housing's back on the wall; `axis` and
// `side` point from the wall into the room.
void lamp(LevelDescription& level, int x, int y, int z, int axis, int side, Rgb colour,
          float intensity, float radius) {
  const std::array<int, 3> at{x, y, z};
  IntBox b;
  for (int a = 0; a < 3; ++a) {
    if (a == axis) {
      b.min[a] = side > 0 ? at[a] : at[a] - 6;
      b.max[a] = side > 0 ? at[a] + 6 : at[a];
    } else {
      b.min[a] = at[a] - 6;
      b.max[a] = at[a] + 6;
    }
  }
  const Rgb glow{std::min(1.0f, 0.55f + 0.45f * colour.r), std::min(1.0f, 0.55f + 0.45f * colour.g),
                 std::min(1.0f, 0.55f + 0.45f * colour.b)};
  level.blocks.push_back({b, Material::Lamp, true, glow});
  std::array<float, 3> p{static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
  p[axis] += side * 14.0f;
  level.lights.push_back({{p[0], p[1], p[2]}, colour, intensity, radius});
}

Column column(float x, float z, float bottom, float top, float radius, Material material) {
  Column c;
  c.x = x;
  c.z = z;
  c.bottom = bottom;
  c.top = top;
  c.radius = radius;
  c.material = material;
  return c;
}

constexpr Rgb kWarm{1.0f, 0.62f, 0.32f};
constexpr Rgb kCold{0.55f, 0.75f, 1.0f};
constexpr Rgb kWhite{1.0f, 0.95f, 0.88f};

}  // namespace

LevelDescription introLevel() {
  LevelDescription level;
  level.ambient = {0.05f, 0.045f, 0.05f};
  level.luxelSize = 8;
  using M = Material;
  // Rooms before passages: a cell shared by both belongs to the room's cluster.
  level.rooms.push_back(room("corridor", box(-40, 0, -1000, 40, 120, 150), M::Floor, M::Brick, M::Wood, M::Trim, 10, M::Metal, 8));
  level.rooms.push_back(room("monk room", box(-500, 0, -380, -200, 150, -100), M::Tiles, M::Stone, M::Stone, M::Trim, 12, M::Trim, 12));
  level.rooms.push_back(room("column hall", box(-540, 0, 0, -250, 180, 260), M::Floor, M::Stone, M::Metal, M::Trim, 12, M::Brick, 30));
  level.rooms.push_back(room("well", box(-446, 0, 81, -346, 340, 181), M::Floor, M::Brick, M::Stone, M::Trim, 12, M::Metal, 10));
  level.rooms.push_back(room("end passage", box(-430, 0, -1000, -40, 100, -920), M::Floor, M::Stone, M::Wood, M::Trim, 10, M::Metal, 0));
  level.rooms.push_back(room("south passage", box(-390, 0, -920, -310, 100, -380), M::Floor, M::Brick, M::Wood, M::Trim, 10, M::Metal, 6));
  level.rooms.push_back(room("hall passage", box(-440, 0, -100, -320, 120, 0), M::Floor, M::Stone, M::Stone, M::Trim, 10, M::Metal, 8));
  level.rooms.push_back(room("east door", box(-200, 0, -270, -40, 90, -200), M::Floor, M::Brick, M::Wood, M::Trim, 10, M::Metal, 0));
  level.rooms.push_back(room("hall door", box(-250, 0, 100, -40, 90, 160), M::Floor, M::Brick, M::Wood, M::Trim, 10, M::Metal, 0));

  // Corridor: pilasters and ceiling beams every 150 units, except across the side doors.
  for (int k = 0; k < 8; ++k) {
    const int c = 75 - 150 * k;
    const bool westDoor = (c + 8 > -270 && c - 8 < -200) || (c + 8 > 100 && c - 8 < 160) || c - 8 < -920;
    if (!westDoor) solid(level, box(-40, 0, c - 8, -31, 120, c + 8), M::Stone);
    solid(level, box(31, 0, c - 8, 40, 120, c + 8), M::Stone);
    solid(level, box(-31, 106, c - 6, 31, 120, c + 6), M::Wood);
  }
  // The two lanterns the character is lit by: red near the start, white further down.
  solid(level, box(-1, 90, 33, 1, 106, 35), M::Metal);
  level.blocks.push_back({box(-5, 80, 29, 5, 90, 39), M::Lamp, true, {1.0f, 0.45f, 0.35f}});
  level.lights.push_back({{0, 74, 34}, {1.0f, 0.25f, 0.15f}, 1.5f, 280});
  solid(level, box(-1, 84, -261, 1, 106, -259), M::Metal);
  level.blocks.push_back({box(-5, 74, -265, 5, 84, -255), M::Lamp, true, {1.0f, 1.0f, 0.95f}});
  level.lights.push_back({{0, 68, -260}, kWhite, 1.4f, 320});
  // Sconces down the corridor, alternating walls.
  for (int k = 0; k < 7; ++k) {
    const int c = -150 * k - 430;
    if (c < -980) break;
    if (k % 2 == 0)
      lamp(level, 40, 66, c, 0, -1, kWarm, 1.1f, 230);
    else
      lamp(level, -40, 66, c, 0, +1, kWarm, 1.1f, 230);
  }
  lamp(level, 40, 66, -130, 0, -1, kWarm, 1.0f, 220);
  lamp(level, 0, 66, 150, 2, -1, kWarm, 0.9f, 220);

  // End and south passages.
  lamp(level, -160, 60, -1000, 2, +1, kWarm, 1.3f, 260);
  lamp(level, -330, 60, -1000, 2, +1, kWarm, 1.3f, 260);
  lamp(level, -310, 60, -780, 0, -1, kWarm, 1.0f, 220);
  lamp(level, -390, 60, -620, 0, +1, kWarm, 1.0f, 220);
  lamp(level, -310, 60, -470, 0, -1, kWarm, 1.0f, 220);

  // Monk room: the fire basin, its light, sconces and wall pilasters.
  level.blocks.push_back({box(-368, 0, -253, -332, 5, -217), M::Fire, true, {1.0f, 0.55f, 0.2f}});
  level.lights.push_back({{-325, 20, -227}, {1.0f, 0.55f, 0.25f}, 2.2f, 360});
  level.lights.push_back({{-350, 60, -235}, {1.0f, 0.45f, 0.15f}, 1.0f, 260});
  lamp(level, -500, 95, -240, 0, +1, kWarm, 0.9f, 240);
  lamp(level, -300, 95, -100, 2, -1, kWarm, 0.9f, 240);
  lamp(level, -460, 95, -380, 2, +1, kWarm, 0.9f, 240);
  for (int z : {-320, -160}) solid(level, box(-500, 0, z - 10, -488, 150, z + 10), M::Brick);
  for (int x : {-460, -250}) solid(level, box(x - 10, 0, -112, x + 10, 150, -100), M::Brick);

  // Column hall: corner pillars with cold lamps, a plinth under the column and a skylight
  // at the top of the well.
  for (int x : {-505, -285})
    for (int z : {35, 225}) {
      level.columns.push_back(column(x, z, 0, 180, 15, M::Metal));
      const int side = x < -396 ? +1 : -1;
      lamp(level, x + side * 13, 110, z, 0, side, kCold, 1.4f, 320);
    }
  solid(level, box(-412, 0, 115, -380, 4, 147), M::Metal);
  level.blocks.push_back({box(-446, 330, 81, -346, 340, 181), M::Water, true, {0.75f, 0.88f, 1.0f}});
  level.lights.push_back({{-396, 300, 131}, {0.7f, 0.85f, 1.0f}, 1.6f, 420});
  level.lights.push_back({{-396, 20, 131}, {0.6f, 0.8f, 1.0f}, 0.8f, 160});
  lamp(level, -440, 70, -50, 0, +1, kWarm, 0.9f, 220);
  lamp(level, -150, 60, 160, 2, -1, kWarm, 0.8f, 200);
  lamp(level, -120, 60, -270, 2, +1, kWarm, 0.8f, 200);
  return level;
}

namespace {

// The second level's ring: the centre line through its four halls, a rounded square.
constexpr float kRingSide = 600;
constexpr float kRingCorner = 130;

Vec3f ringPoint(float s) {
  const float straight = kRingSide - 2 * kRingCorner;
  const float arc = 0.5f * std::numbers::pi_v<float> * kRingCorner;
  const float piece = straight + arc;
  const float total = 4 * piece;
  s = std::fmod(std::fmod(s, total) + total, total);
  const int side = static_cast<int>(s / piece);
  const float u = s - side * piece;
  // Start at (kRingCorner, 0) heading +x; turn right (+z) at each corner.
  float x = 0, z = 0;
  std::array<float, 2> dir{1, 0}, start{kRingCorner, 0};
  for (int k = 0; k < side; ++k) {
    start = {start[0] + dir[0] * straight, start[1] + dir[1] * straight};
    const std::array<float, 2> inward{-dir[1], dir[0]};
    const std::array<float, 2> centre{start[0] + inward[0] * kRingCorner, start[1] + inward[1] * kRingCorner};
    start = {centre[0] + dir[0] * kRingCorner, centre[1] + dir[1] * kRingCorner};
    dir = inward;
  }
  if (u <= straight) {
    x = start[0] + dir[0] * u;
    z = start[1] + dir[1] * u;
  } else {
    const float a = (u - straight) / kRingCorner;
    const std::array<float, 2> inward{-dir[1], dir[0]};
    const std::array<float, 2> end{start[0] + dir[0] * straight, start[1] + dir[1] * straight};
    const std::array<float, 2> centre{end[0] + inward[0] * kRingCorner, end[1] + inward[1] * kRingCorner};
    x = centre[0] - inward[0] * kRingCorner * std::cos(a) + dir[0] * kRingCorner * std::sin(a);
    z = centre[1] - inward[1] * kRingCorner * std::cos(a) + dir[1] * kRingCorner * std::sin(a);
  }
  return {x, 0, z};
}

constexpr int kSecondPoints = 36;
constexpr float kSecondSpacing = 66;  // about one loop in 36 points
constexpr float kLightLead = 1.5f;    // the sprites fly this many points ahead of the camera

Vec3f secondEye(int k) {
  const float s = k * kSecondSpacing;
  Vec3f p = ringPoint(s);
  p.y = 58 + 14 * std::sin(s / 260.0f);
  return p;
}

Vec3f secondLight(int k) {
  const float s = (k + kLightLead) * kSecondSpacing;
  Vec3f p = ringPoint(s);
  p.y = 52 + 18 * std::sin(s / 190.0f + 1.0f);
  return p;
}

}  // namespace

LevelDescription secondLevel() {
  LevelDescription level;
  level.ambient = {0.06f, 0.06f, 0.08f};
  level.brightness = 2.0f;  // the show loads this level's lightmaps at half strength
  level.luxelSize = 8;
  using M = Material;
  level.rooms.push_back(room("sunken hall", box(-140, -40, -140, 140, 160, 140), M::Floor, M::Stone, M::Stone, M::Trim, 12, M::Metal, 10));
  level.rooms.push_back(room("tall hall", box(460, 0, -140, 740, 260, 140), M::Tiles, M::Brick, M::Metal, M::Trim, 12, M::Stone, 40));
  level.rooms.push_back(room("pool hall", box(460, -20, 460, 740, 180, 740), M::Tiles, M::Stone, M::Stone, M::Trim, 12, M::Metal, 10));
  level.rooms.push_back(room("pool", box(540, -50, 540, 660, -20, 660), M::Water, M::Tiles, M::Stone, M::Tiles, 0, M::Metal, 0));
  level.rooms.push_back(room("crypt", box(-140, 0, 460, 140, 200, 740), M::Floor, M::Brick, M::Wood, M::Trim, 12, M::Wood, 20));
  level.rooms.push_back(room("east passage", box(140, 0, -45, 460, 110, 45), M::Floor, M::Brick, M::Wood, M::Trim, 10, M::Metal, 6));
  level.rooms.push_back(room("south passage", box(555, 0, 140, 645, 120, 460), M::Floor, M::Stone, M::Stone, M::Trim, 10, M::Metal, 6));
  level.rooms.push_back(room("west passage", box(140, 0, 555, 460, 110, 645), M::Floor, M::Brick, M::Wood, M::Trim, 10, M::Metal, 6));
  level.rooms.push_back(room("north passage", box(-45, 0, 140, 45, 110, 460), M::Floor, M::Stone, M::Stone, M::Trim, 10, M::Metal, 6));
  level.rooms.push_back(room("side chapel", box(740, 0, -60, 860, 120, 60), M::Tiles, M::Stone, M::Stone, M::Trim, 12, M::Metal, 8));

  // Sunken hall: four pillars and cold lamps.
  for (int x : {-75, 75})
    for (int z : {-75, 75}) level.columns.push_back(column(x, z, -40, 160, 14, M::Stone));
  lamp(level, -140, 80, -60, 0, +1, kCold, 1.3f, 300);
  lamp(level, -60, 80, -140, 2, +1, kCold, 1.3f, 300);
  lamp(level, 60, 80, -140, 2, +1, kCold, 1.1f, 300);
  // Tall hall: pillars along the outer walls, warm lamps high up, beams.
  for (int x : {520, 610, 700}) solid(level, box(x - 14, 0, -140, x + 14, 260, -120), M::Brick);
  for (int z : {-90, 90}) solid(level, box(720, 0, z - 14, 740, 260, z + 14), M::Brick);
  for (int x : {560, 660}) solid(level, box(x - 6, 200, -140, x + 6, 214, 140), M::Wood);
  for (int z : {-60, 60}) level.columns.push_back(column(680, z, 0, 260, 16, M::Stone));
  lamp(level, 565, 140, -140, 2, +1, kWarm, 1.5f, 360);
  lamp(level, 655, 140, -140, 2, +1, kWarm, 1.5f, 360);
  lamp(level, 740, 170, 0, 0, -1, kWarm, 1.2f, 300);
  // Side chapel off the tall hall: a glowing altar.
  level.blocks.push_back({box(830, 0, -20, 850, 30, 20), M::Fire, true, {1.0f, 0.5f, 0.2f}});
  level.lights.push_back({{815, 40, 0}, {1.0f, 0.45f, 0.2f}, 1.6f, 260});
  // Pool hall: cold water light from the pool, lamps on the pillars.
  for (int x : {500, 700})
    for (int z : {500, 700}) {
      level.columns.push_back(column(x, z, -20, 180, 14, M::Metal));
      const int side = x < 600 ? +1 : -1;
      lamp(level, x + 12 * side, 90, z, 0, side, {0.4f, 0.9f, 0.9f}, 1.2f, 300);
    }
  level.lights.push_back({{600, -10, 600}, {0.35f, 0.75f, 1.0f}, 1.3f, 260});
  // Crypt: arches of beams and a red lamp.
  for (int z : {520, 680}) solid(level, box(-140, 170, z - 8, 140, 200, z + 8), M::Wood);
  for (int x : {-100, 100}) solid(level, box(x - 10, 0, 720, x + 10, 200, 740), M::Stone);
  lamp(level, 0, 100, 740, 2, -1, {1.0f, 0.3f, 0.35f}, 1.6f, 340);
  lamp(level, -140, 100, 600, 0, +1, {0.8f, 0.4f, 1.0f}, 1.2f, 300);
  // Passages: sconces every 110 units and pilasters.
  for (int x = 200; x <= 400; x += 100) {
    lamp(level, x, 70, -45, 2, +1, kWhite, 0.9f, 200);
    lamp(level, x + 50, 70, 645, 2, -1, kWhite, 0.9f, 200);
  }
  for (int z = 200; z <= 400; z += 100) {
    lamp(level, 645, 70, z, 0, -1, kWhite, 0.9f, 200);
    lamp(level, -45, 70, z + 50, 0, +1, kWhite, 0.9f, 200);
  }
  return level;
}

LevelDescription smallLevel() {
  LevelDescription level;
  level.brightness = 0.5f;  // loaded at double strength
  using M = Material;
  level.rooms.push_back(room("cell", box(-120, 0, -120, 120, 140, 120), M::Floor, M::Stone, M::Wood, M::Trim, 10, M::Metal, 8));
  level.rooms.push_back(room("alcove", box(120, 0, -40, 220, 90, 40), M::Tiles, M::Brick, M::Stone, M::Trim, 10, M::Metal, 0));
  solid(level, box(-20, 0, -20, 20, 140, 20), M::Brick);
  lamp(level, -120, 80, 0, 0, +1, kWarm, 1.4f, 300);
  lamp(level, 220, 60, 0, 0, -1, kCold, 1.2f, 220);
  return level;
}

std::vector<CameraKey> introPath() {
  // Points 1-4 follow the runner down the corridor (it is at z = -0.12 x ms); 5-9 take the
  // end passage and the south passage; 10-12 glide past the fire in the monk room, always
  // looking at it; 13 turns north to the hall; 14 on circle the glass column, rising.
  std::vector<CameraKey> keys = {
      {{0, 50, 140}, {0, 30, 0}},
      {{0, 52, 120}, {0, 28, -40}},
      {{0, 54, -174}, {0, 28, -330}},
      {{0, 54, -468}, {0, 28, -620}},
      {{0, 54, -762}, {0, 26, -930}},
      {{-20, 54, -950}, {-200, 40, -965}},
      {{-200, 54, -960}, {-400, 50, -950}},
      {{-350, 54, -940}, {-350, 50, -700}},
      {{-350, 56, -720}, {-350, 50, -450}},
      {{-350, 58, -520}, {-350, 40, -300}},
      {{-350, 62, -400}, {-350, 30, -235}},
      {{-300, 70, -345}, {-350, 30, -235}},
      {{-400, 74, -330}, {-350, 30, -235}},
      {{-435, 72, -220}, {-380, 35, -60}},
  };
  const float radius = 96;
  for (int k = 14; k < 28; ++k) {
    const float angle = (k - 14) * 50.0f * std::numbers::pi_v<float> / 180.0f;
    const float rise = std::min(1.0f, (k - 14) / 7.0f);
    Vec3f eye{-396 + radius * std::sin(angle), 60 + 80 * rise, 131 - radius * std::cos(angle)};
    keys.push_back({eye, {-385, 40 - 10 * rise, 140}});
  }
  return keys;
}

std::vector<CameraKey> secondPath() {
  std::vector<CameraKey> keys;
  for (int k = 0; k < kSecondPoints; ++k) {
    Vec3f target = secondLight(k);
    keys.push_back({secondEye(k), target});
  }
  return keys;
}

std::vector<Vec3f> lightPath() {
  std::vector<Vec3f> points;
  for (int k = 0; k < kSecondPoints; ++k) points.push_back(secondLight(k));
  return points;
}

namespace {

void appendPoint(std::string& text, Vec3f p) {
  char line[96];
  std::snprintf(line, sizeof line, "%.2f %.2f %.2f\n", p.x, p.y, p.z);
  text += line;
}

}  // namespace

std::string cameraPathText(const std::vector<CameraKey>& keys, const std::string& comment) {
  std::string text = std::to_string(keys.size()) + "\n// " + comment + "\n";
  for (const CameraKey& key : keys) {
    appendPoint(text, key.eye);
    appendPoint(text, key.target);
  }
  return text;
}

std::string pointPathText(const std::vector<Vec3f>& points, const std::string& comment) {
  std::string text = std::to_string(points.size()) + "\n// " + comment + "\n";
  for (const Vec3f& p : points) appendPoint(text, p);
  return text;
}

}  // namespace levelc
