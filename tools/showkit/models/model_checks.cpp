#include "model_checks.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "world/md3_model.h"

namespace modelkit {

namespace md3 = world::md3;

namespace {

std::string format(const char* f, double a = 0, double b = 0, double c = 0) {
  char text[200];
  std::snprintf(text, sizeof text, f, a, b, c);
  return text;
}

Bounds frameBounds(const SkinnedModel& m, int frame) {
  std::vector<Vec3> all;
  for (const SurfaceFrames& s : m.model.surfaces)
    all.insert(all.end(), s.positions[static_cast<size_t>(frame)].begin(), s.positions[static_cast<size_t>(frame)].end());
  return bounds(all);
}

float tagDistance(const TagPose& a, const TagPose& b) {
  float d = length(a.origin - b.origin);
  for (size_t i = 0; i < 3; ++i) d += length(a.axes[i] - b.axes[i]) * 10;
  return d;
}

}  // namespace

std::vector<std::string> checkMd3File(const std::string& name, std::span<const std::uint8_t> bytes) {
  std::vector<std::string> problems;
  const auto fail = [&](const std::string& what) {
    problems.push_back(name + ": " + what);
    return problems;
  };
  if (bytes.size() < sizeof(md3::Md3Header)) return fail("shorter than its header");
  // What the demo's reader makes of the file, against what the headers claim.
  const world::Md3Data model = world::parseMd3(bytes);
  const md3::Md3Header& h = model.header;
  if (h.frameCount < 1 || h.tagCount < 0 || h.surfaceCount < 0) return fail("negative or zero counts");
  const std::size_t tagsAt = sizeof h + static_cast<std::size_t>(h.frameCount) * sizeof(md3::Md3Frame);
  std::size_t end = tagsAt + static_cast<std::size_t>(h.frameCount) * static_cast<std::size_t>(h.tagCount) * sizeof(md3::Md3Tag);
  if (end > bytes.size() || model.tags.size() != static_cast<std::size_t>(h.frameCount) * static_cast<std::size_t>(h.tagCount))
    return fail("frames and tags run past the end");
  if (static_cast<std::size_t>(h.framesOffset) != sizeof h || static_cast<std::size_t>(h.tagsOffset) != tagsAt ||
      static_cast<std::size_t>(h.surfacesOffset) != end || static_cast<std::size_t>(h.endOffset) != bytes.size())
    return fail("header offsets disagree with the back-to-back layout");
  if (model.surfaces.size() != static_cast<std::size_t>(h.surfaceCount)) return fail("surface header past the end");
  for (const world::Md3Surface& s : model.surfaces) {
    const md3::Md3SurfaceHeader& sh = s.header;
    if (sh.frameCount != h.frameCount) return fail("a surface's frame count differs from the model's");
    const auto inside = [&](std::int32_t offset, std::int64_t count, std::size_t size) {
      return offset >= 0 && count >= 0 && static_cast<std::int64_t>(offset) + count * static_cast<std::int64_t>(size) <= sh.endOffset &&
             end + static_cast<std::size_t>(sh.endOffset) <= bytes.size();
    };
    if (sh.vertexCount <= 0 || sh.triangleCount <= 0 || sh.endOffset <= 0 ||
        !inside(sh.trianglesOffset, sh.triangleCount, sizeof(md3::Md3Triangle)) ||
        !inside(sh.texCoordsOffset, sh.vertexCount, sizeof(md3::Md3TexCoord)) ||
        !inside(sh.verticesOffset, static_cast<std::int64_t>(sh.vertexCount) * sh.frameCount, sizeof(md3::Md3Vertex)) ||
        s.frameCount != sh.frameCount)
      return fail("a surface's sections do not fit inside it");
    if (s.droppedTriangles > 0) return fail(std::to_string(s.droppedTriangles) + " triangles index outside their surface");
    end += static_cast<std::size_t>(sh.endOffset);
  }
  if (end != bytes.size()) return fail("bytes after the last surface");
  return problems;
}

std::vector<float> lowestPoints(const SkinnedModel& lower) {
  std::vector<float> lows;
  for (int f = 0; f < lower.model.frameCount; ++f) lows.push_back(frameBounds(lower, f).mins.z);
  return lows;
}

std::vector<std::string> checkCharacter(const CharacterSet& c) {
  std::vector<std::string> problems;
  const auto& a = c.animations;
  const int shift = a[13].first - a[6].first;  // what the reader takes off the legs' lines
  // The run (15): in the lower body's numbering, every frame has a foot on the floor
  // (within a quarter of a unit as drawn at 0.75 x).
  const std::vector<float> lows = lowestPoints(c.lower);
  const int runFirst = a[15].first - shift;
  if (runFirst < 0 || runFirst + a[15].count > c.lower.model.frameCount) {
    problems.push_back("character: the run's frames are not in Lower.md3");
  } else {
    for (int f = runFirst; f < runFirst + a[15].count; ++f)
      if (std::fabs(lows[static_cast<size_t>(f)] - CharacterSet::kFloorZ) * 0.75f > 0.25f)
        problems.push_back(format("character: run frame %.0f has its feet at %.2f, the floor is at %.2f", f, lows[static_cast<size_t>(f)],
                                  CharacterSet::kFloorZ));
  }
  // Every line's frames exist in the part that plays them.
  for (int n = 0; n < 25; ++n) {
    const int first = n >= 13 ? a[static_cast<size_t>(n)].first - shift : a[static_cast<size_t>(n)].first;
    const int end = first + a[static_cast<size_t>(n)].count;
    const bool legsOnly = n >= 13, torsoOnly = n >= 6 && n <= 12;
    if (a[static_cast<size_t>(n)].count < 1 || first < 0 || (!torsoOnly && end > c.lower.model.frameCount) ||
        (!legsOnly && end > c.upper.model.frameCount))
      problems.push_back(format("character: animation %.0f runs outside its part's frames", n));
  }
  // The tags move: the torso rides the run, the head nods with the gesture.
  const auto moves = [](const std::vector<std::vector<TagPose>>& tags, int first, int count) {
    float most = 0;
    for (int f = first + 1; f < first + count && f < static_cast<int>(tags.size()); ++f)
      most = std::fmax(most, tagDistance(tags[static_cast<size_t>(f)][0], tags[static_cast<size_t>(first)][0]));
    return most;
  };
  if (moves(c.lower.model.tags, runFirst, a[15].count) < 1) problems.push_back("character: tag_torso does not move in the run");
  if (moves(c.upper.model.tags, a[6].first, a[6].count) < 1) problems.push_back("character: tag_head does not move in the gesture");
  // The fall ends lying down: its last frame is far lower than its first.
  const Bounds standing = frameBounds(c.lower, a[0].first), lying = frameBounds(c.lower, a[0].first + a[0].count - 1);
  if (lying.maxs.z - lying.mins.z > (standing.maxs.z - standing.mins.z) * 0.6f)
    problems.push_back("character: animation 0 does not end on the ground");
  // Drawn at 0.75 x in a corridor 120 high: the figure stands between 40 and 70 units tall.
  const auto place = [](const TagPose& t) {
    Transform r;
    r.axes = t.axes;
    r.origin = t.origin;
    return r;
  };
  const Transform headPlace = place(c.lower.model.tags[static_cast<size_t>(a[22].first - shift)][0]) *
                              place(c.upper.model.tags[static_cast<size_t>(a[11].first)][0]);
  float top = -1e9f;
  for (const Vec3& p : c.head.model.surfaces[0].positions[0]) top = std::fmax(top, headPlace.apply(p).z);
  const float height = (top - CharacterSet::kFloorZ) * 0.75f;
  if (height < 40 || height > 70) problems.push_back(format("character: stands %.1f units tall as drawn", height));
  return problems;
}

std::vector<std::string> checkSingleModels(const SkinnedModel& chelou, const SkinnedModel& monk, const SkinnedModel& boat) {
  std::vector<std::string> problems;
  // chelou spins about (1, 1, 1) at 0.1 x inside a column of radius 12: any turn must fit.
  float radius = 0;
  for (const Vec3& p : chelou.model.surfaces[0].positions[0]) radius = std::fmax(radius, length(p));
  if (radius * 0.1f > 11) problems.push_back(format("chelou: reaches %.1f from its centre, the column's radius is 12", radius * 0.1f));
  // The monks float at y = 37 +- 2 (file z up) over a floor at 0 and stand about 50-65 tall.
  const Bounds m = frameBounds(monk, 0);
  if (37 - 2 + m.mins.z < 3) problems.push_back(format("moine: its hem comes down to %.1f above the floor", 35 + m.mins.z));
  if (m.maxs.z - m.mins.z < 45 || m.maxs.z - m.mins.z > 70) problems.push_back(format("moine: %.1f tall", m.maxs.z - m.mins.z));
  // The boat is drawn at (0.3, 0.5, 0.5) 12 units over the sea: its keel below the water,
  // its deck and sail above.
  const Bounds b = frameBounds(boat, 0);
  if (b.mins.z * 0.5f > -14 || b.mins.z * 0.5f < -30) problems.push_back(format("boat: keel at %.1f from its origin as drawn", b.mins.z * 0.5f));
  if (b.maxs.z * 0.5f < 20) problems.push_back("boat: no mast or sail above the water");
  return problems;
}

}  // namespace modelkit
