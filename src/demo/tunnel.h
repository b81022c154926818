// The second scene: the camera inside an elliptic tube whose two textured layers scroll
// towards it in black fog, cut together from four camera moves with a flickering ray veil, a
// masked frame over the picture and white flashes at the cuts. The timeline hands over to the
// second level 23 seconds after the first scene ends.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "resources/texture_record.h"
#include "world/vec3.h"

namespace demo {

class TunnelTube {
 public:
  static constexpr int kRings = 33;        // along the tube, 2 units apart
  static constexpr int kMaxSegments = 99;  // around it

  // `segments` vertices around (kept within 1..99), `speed` the scroll factor.
  TunnelTube(std::string_view innerTexture, std::string_view outerTexture, int segments, float speed);
  TunnelTube(const TunnelTube&) = delete;
  TunnelTube& operator=(const TunnelTube&) = delete;

  // Both layers at scroll position x / 14: the outer one opaque, the inner one half the width
  // and a third of the height, added at 40 %.
  void draw(float x);
  void destroy();

  // Vertex (column i around, ring j along) as the last draw built it.
  world::Vec3 vertex(int i, int j) const;
  int segments() const { return segments_; }
  float speed() const { return speed_; }
  float scroll() const { return scroll_; }

 private:
  void rebuild();
  void drawLayer(float xScale, float yScale, float tBase) const;

  int segments_;
  float speed_;
  float scroll_ = 0.0f;
  std::vector<world::Vec3> vertices_;  // column after column, kRings per column
  resources::TextureRecord inner_;
  resources::TextureRecord outer_;
};

// The camera of shot `number` (1..4) d milliseconds into the tunnel, or nothing when d lies
// outside that shot's window. The windows are open where they meet: no shot covers
// d = 4000, and two cover the millisecond after 7000 and after 10000.
struct TunnelShot {
  world::Vec3 eye;
  world::Vec3 centre;
};
std::optional<TunnelShot> tunnelShot(int number, double d);

// Clear colour, black linear fog from 12 to 20, additive blending function, no culling,
// depth or lighting: the state the tube is drawn in.
void setTunnelState();

// The cut-out frame over the letterboxed picture: the mask multiplied, then the frame added.
void drawTunnelMask();

// The tunnel's frame: the shots whose windows are open.
void drawTunnelScene();

}  // namespace demo
