// libFuzzer target: any bytes as a .trj path file, read both as a camera flight and as a
// moving point and then flown to its end (or for a bounded number of frames).
#include <cstdint>
#include <string_view>

#include "fuzz_support.h"
#include "world/camera_path.h"

namespace {

// Frames of a long flight at the show's usual step; a path may never finish (a huge declared
// count keeps it going), so the flight is cut.
constexpr int kFrames = 2000;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  world::CameraPath camera = world::CameraPath::fromText(text);
  world::PointPath point = world::PointPath::fromText(text);
  for (int frame = 0; frame < kFrames && !(camera.finished() && point.finished()); ++frame) {
    const float step = 0.05f + 0.4f * static_cast<float>(frame % 5);  // also jumps of whole segments
    camera.advance(step);
    point.advance(step);
  }
  volatile float sink = camera.eye().x + camera.target().y + point.position().z;
  (void)sink;
  return 0;
}
