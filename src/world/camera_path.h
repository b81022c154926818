// Camera flights and moving points authored as .trj text files: a list of control points
// through which a uniform Catmull-Rom spline runs, advanced each frame by frame time x rate.
//
// A CameraPath has two parallel tracks (eyes and look-at targets), a PointPath one. Both read
// the same file layout (first line the point count N, then point lines "x y z", with empty
// lines and "//" comments skipped) and share the stepping rule and the spline below.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "world/vec3.h"

namespace world {

// ---- the pieces both kinds share (pure, for tests and tools) ----

// Uniform Catmull-Rom in single precision: P1 at t = 0, P2 at t = 1.
Vec3 catmullRom(const Vec3& p0, const Vec3& p1, const Vec3& p2, const Vec3& p3, float t);

// Where a path stands on its spline.
struct PathCursor {
  std::int32_t segment = 0;  // segment n runs from point n + 1 to point n + 2
  float t = 0.0f;            // 0..1 within the segment
};

// One advance: t += step; past 1 (strictly) the next segment starts at t = 0, the excess is
// dropped. Returns true when segment n is still to be evaluated (n + 3 < N - 1), false once
// the path has reached its end and keeps its last position.
bool stepPath(PathCursor& cursor, std::int32_t pointCount, float step);

// A .trj file as read: the declared N and the point lines in file order.
struct TrjFile {
  std::int32_t declaredCount = 0;
  std::vector<Vec3> points;
};

// Reads the text of a .trj file. Never fails: what cannot be read reads as 0.
TrjFile parseTrj(std::string_view text);
// One point line as the reader sees it (trimmed, split at single blanks).
Vec3 parsePointLine(std::string_view line);

// A track of N control points. Fewer lines than N in the file: the missing points repeat the
// last one read (the origin when none was). More lines: the rest are ignored. Only the points
// read are stored, so a file declaring a huge N costs nothing.
class PathTrack {
 public:
  PathTrack() = default;
  PathTrack(std::vector<Vec3> points, std::int32_t count);

  std::int32_t count() const { return count_; }
  Vec3 point(std::int64_t index) const;
  // Spline of segment n at t, from points n .. n + 3.
  Vec3 evaluate(std::int32_t segment, float t) const;

 private:
  std::vector<Vec3> points_;
  std::int32_t count_ = 0;
};

// ---- the two kinds ----

class CameraPath {
 public:
  // Reads the file (through the path resolver). A missing file gives a path that stays at
  // the origin.
  static CameraPath load(std::string_view fileName);
  static CameraPath fromText(std::string_view text);

  // Stepping rule, then eye and target from the spline of the current segment.
  void advance(float step);
  // gluLookAt from the eye to the target, up (0, 1, 0), multiplied onto the current matrix.
  void applyLookAt() const;
  void destroy();

  const Vec3& eye() const { return eye_; }
  const Vec3& target() const { return target_; }
  std::int32_t segment() const { return cursor_.segment; }
  float t() const { return cursor_.t; }
  std::int32_t pointCount() const { return eyes_.count(); }
  // True once the spline has run past its last evaluated segment.
  bool finished() const { return finished_; }
  const PathTrack& eyeTrack() const { return eyes_; }
  const PathTrack& targetTrack() const { return targets_; }

 private:
  Vec3 eye_;
  PathTrack eyes_;
  PathTrack targets_;
  Vec3 target_;
  PathCursor cursor_;
  bool finished_ = false;
};

class PointPath {
 public:
  static PointPath load(std::string_view fileName);
  static PointPath fromText(std::string_view text);

  void advance(float step);
  void destroy();

  const Vec3& position() const { return position_; }
  std::int32_t segment() const { return cursor_.segment; }
  float t() const { return cursor_.t; }
  std::int32_t pointCount() const { return track_.count(); }
  bool finished() const { return finished_; }
  const PathTrack& track() const { return track_; }

 private:
  Vec3 position_;
  PathTrack track_;
  PathCursor cursor_;
  bool finished_ = false;
};

}  // namespace world
