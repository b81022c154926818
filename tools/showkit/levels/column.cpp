#include <algorithm>
#include <cmath>

#include "level_description.h"

namespace levelc {

std::array<float, 2> Column::corner(int k) const {
  const int n = std::max(3, sides);
  // Half a side's turn from -z, so that the first side faces -z and, for a multiple of four
  // sides, the others face -x, +z and +x.
  const float angle = (k - 0.5f) * 6.2831853f / n - 1.5707963f;
  return {x + radius * std::cos(angle), z + radius * std::sin(angle)};
}

bool Column::holds(Vec3f p, float margin) const {
  if (p.y < bottom - margin || p.y > top + margin) return false;
  const int n = std::max(3, sides);
  for (int k = 0; k < n; ++k) {
    const auto a = corner(k), b = corner(k + 1);
    // Outward normal of side k in the plane, and the distance of p beyond it.
    const float nx = b[1] - a[1], nz = a[0] - b[0];
    const float len = std::hypot(nx, nz);
    if (((p.x - a[0]) * nx + (p.z - a[1]) * nz) / len > margin) return false;
  }
  return true;
}

bool Column::blocks(Vec3f from, Vec3f to) const {
  // Clip the segment's parameter range by every side and by the two caps.
  float enter = 0, leave = 1;
  auto clip = [&](float start, float delta) {  // keeps the part where start + t delta <= 0
    if (delta == 0) return start <= 0;
    const float t = -start / delta;
    if (delta > 0)
      leave = std::min(leave, t);
    else
      enter = std::max(enter, t);
    return enter < leave;
  };
  const Vec3f d = to - from;
  if (!clip(bottom - from.y, -d.y) || !clip(from.y - top, d.y)) return false;
  const int n = std::max(3, sides);
  for (int k = 0; k < n; ++k) {
    const auto a = corner(k), b = corner(k + 1);
    const float nx = b[1] - a[1], nz = a[0] - b[0];
    if (!clip((from.x - a[0]) * nx + (from.z - a[1]) * nz, d.x * nx + d.z * nz)) return false;
  }
  return enter < leave;
}

}  // namespace levelc
