#include "world/camera_path.h"

#include <GL/glu.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>

#include "platform/file_system.h"

namespace world {

Vec3 catmullRom(const Vec3& p0, const Vec3& p1, const Vec3& p2, const Vec3& p3, float t) {
  const float u = 1.0f - t;
  const float w0 = -t * u * u;
  const float w1 = 2.0f - 5.0f * t * t + 3.0f * t * t * t;
  const float w2 = t * (1.0f + 4.0f * t - 3.0f * t * t);
  const float w3 = -t * t * u;
  auto blend = [&](float a, float b, float c, float d) {
    return 0.5f * (w0 * a + w1 * b + w2 * c + w3 * d);
  };
  return {blend(p0.x, p1.x, p2.x, p3.x), blend(p0.y, p1.y, p2.y, p3.y),
          blend(p0.z, p1.z, p2.z, p3.z)};
}

bool stepPath(PathCursor& cursor, std::int32_t pointCount, float step) {
  cursor.t += step;
  if (cursor.t > 1.0f) {
    cursor.t = 0.0f;
    // A path left running for ever must not overflow its counter.
    if (cursor.segment < INT32_MAX) ++cursor.segment;
  }
  // The last two points only steer the spline: the last segment evaluated is N - 5.
  return std::int64_t{cursor.segment} + 3 < std::int64_t{pointCount} - 1;
}

namespace {

// Text-mode reading: a line ends at '\n' and a carriage return just before it is dropped.
std::vector<std::string_view> splitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (end != std::string_view::npos && !line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

// C's strtod on one piece of a point line: leading white space skipped, conversion stops at
// the first character that cannot belong to the number, nothing readable gives 0.
float readReal(std::string_view piece) {
  const std::string copy(piece);  // strtod needs the terminator
  return static_cast<float>(std::strtod(copy.c_str(), nullptr));
}

std::int32_t readCount(std::string_view line) {
  const std::string copy(line);
  errno = 0;
  const long value = std::strtol(copy.c_str(), nullptr, 10);
  return static_cast<std::int32_t>(std::clamp<long>(value, INT32_MIN, INT32_MAX));
}

bool isSkipped(std::string_view line) { return line.empty() || line.starts_with("//"); }

}  // namespace

Vec3 parsePointLine(std::string_view line) {
  // Leading blanks go; trailing bytes below 33 go, judged as signed chars so that bytes from
  // 128 up are cut as well. A line of blanks trims to nothing and reads as the origin.
  size_t begin = 0;
  while (begin < line.size() && line[begin] == ' ') ++begin;
  size_t end = line.size();
  while (end > begin && static_cast<signed char>(line[end - 1]) < 33) --end;
  std::string_view rest = line.substr(begin, end - begin);

  // Cut at single blanks: two blanks in a row make an empty (zero) piece.
  float values[3] = {0.0f, 0.0f, 0.0f};
  for (int i = 0; i < 3; ++i) {
    if (i == 2) {
      values[i] = readReal(rest);  // the third piece runs to the end of the line
      break;
    }
    const size_t cut = rest.find(' ');
    if (cut == std::string_view::npos) {
      values[i] = readReal(rest);
      break;  // no more separators: the remaining numbers are missing
    }
    values[i] = readReal(rest.substr(0, cut));
    rest.remove_prefix(cut + 1);
  }
  return {values[0], values[1], values[2]};
}

TrjFile parseTrj(std::string_view text) {
  TrjFile file;
  const auto lines = splitLines(text);
  if (lines.empty()) return file;
  file.declaredCount = readCount(lines.front());
  for (size_t i = 1; i < lines.size(); ++i)
    if (!isSkipped(lines[i])) file.points.push_back(parsePointLine(lines[i]));
  return file;
}

PathTrack::PathTrack(std::vector<Vec3> points, std::int32_t count)
    : points_(std::move(points)), count_(std::max<std::int32_t>(count, 0)) {
  if (points_.size() > static_cast<size_t>(count_)) points_.resize(count_);
}

Vec3 PathTrack::point(std::int64_t index) const {
  if (points_.empty() || index < 0) return points_.empty() ? Vec3{} : points_.front();
  return points_[std::min<std::int64_t>(index, static_cast<std::int64_t>(points_.size()) - 1)];
}

Vec3 PathTrack::evaluate(std::int32_t segment, float t) const {
  const std::int64_t n = segment;
  return catmullRom(point(n), point(n + 1), point(n + 2), point(n + 3), t);
}

namespace {

std::string readText(std::string_view fileName) {
  const auto bytes = platform::readWholeFile(fileName);
  if (!bytes) return {};
  return std::string(bytes->begin(), bytes->end());
}

}  // namespace

CameraPath CameraPath::load(std::string_view fileName) { return fromText(readText(fileName)); }

CameraPath CameraPath::fromText(std::string_view text) {
  const TrjFile file = parseTrj(text);
  // Point lines alternate eye, target, eye, target...
  std::vector<Vec3> eyes, targets;
  for (size_t i = 0; i < file.points.size(); ++i) (i % 2 == 0 ? eyes : targets).push_back(file.points[i]);
  CameraPath path;
  path.eyes_ = PathTrack(std::move(eyes), file.declaredCount);
  path.targets_ = PathTrack(std::move(targets), file.declaredCount);
  path.eye_ = path.eyes_.point(0);
  path.target_ = path.targets_.point(0);
  return path;
}

void CameraPath::advance(float step) {
  if (!stepPath(cursor_, eyes_.count(), step)) {
    finished_ = true;
    return;
  }
  eye_ = eyes_.evaluate(cursor_.segment, cursor_.t);
  target_ = targets_.evaluate(cursor_.segment, cursor_.t);
}

void CameraPath::applyLookAt() const {
  gluLookAt(eye_.x, eye_.y, eye_.z, target_.x, target_.y, target_.z, 0.0, 1.0, 0.0);
}

void CameraPath::destroy() {
  eyes_ = PathTrack();
  targets_ = PathTrack();
}

PointPath PointPath::load(std::string_view fileName) { return fromText(readText(fileName)); }

PointPath PointPath::fromText(std::string_view text) {
  TrjFile file = parseTrj(text);
  PointPath path;
  path.track_ = PathTrack(std::move(file.points), file.declaredCount);
  path.position_ = path.track_.point(0);
  return path;
}

void PointPath::advance(float step) {
  if (!stepPath(cursor_, track_.count(), step)) {
    finished_ = true;
    return;
  }
  position_ = track_.evaluate(cursor_.segment, cursor_.t);
}

void PointPath::destroy() { track_ = PathTrack(); }

}  // namespace world
