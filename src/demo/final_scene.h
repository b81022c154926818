// The fifth scene, in seconds: a painting fading in from white; then a window cut into the
// picture by the stencil buffer (the full width, 80 % of the height) showing a rotating
// sphere backdrop, a swaying blue ring mesh and a rippling textured sphere, while the painting
// melts away over it; then a second painting with a sphere drawn as a pink outline, fading
// in from white.
#pragma once

#include <memory>

#include "fx/procedural_meshes.h"
#include "resources/texture_record.h"

namespace demo {

class FinalScene {
 public:
  static constexpr const char* kFirstPicture = "Textures/Morvan/Looking_at_Eternity_Initial_r.jpg";
  static constexpr const char* kSecondPicture = "Textures/Morvan/Ysel_has_always_this_thing_r.jpg";

  // The meshes and the two paintings for a window of width x height pixels. Throws
  // fx::MeshError ("Texture not found" when a painting or the sphere's picture is missing),
  // having given back whatever it had made.
  FinalScene(int width, int height);
  FinalScene(const FinalScene&) = delete;
  FinalScene& operator=(const FinalScene&) = delete;

  // The scene's times in seconds: its start, the window phase from A to B, the painting's
  // melt length.
  void setTimes(float start, float a, float b, float fadeLength);

  // Phase 1 before A, the window phase strictly between A and B, phase 3 after B; at A and
  // at B exactly nothing is drawn.
  void draw(float t);
  // What a frame at `t` leaves set for the frames after it, without drawing it (a jump
  // replays the frames before its moment without pictures): the window phase's fog settings
  // (switched off) and its grid's fine line width, which the outline phase draws with.
  void advance(float t) const;

  // Whether a frame at `t` may show the rendered backdrop: the window phase, with a margin
  // before A so that a frame which reads the clock across A has its backdrop made.
  bool showsBackdrop(float t) const { return a_ - 0.05f < t && t < b_; }

  void destroy();

  int width() const { return width_; }
  int height() const { return height_; }
  const resources::TextureRecord& firstPicture() const { return first_; }
  const resources::TextureRecord& secondPicture() const { return second_; }
  const fx::WaveGrid& grid() const { return grid_; }
  const fx::WobbleSphere& sphere() const { return *sphere_; }

 private:
  void windowPass(float t);
  void outlinePass(float t);
  static void setWindowFog();
  static void setGridLineWidth();

  int width_;
  int height_;
  fx::WaveGrid grid_;
  std::unique_ptr<fx::WobbleSphere> sphere_;
  std::unique_ptr<fx::WobbleSphere> largeSphere_;  // built and kept, never drawn
  resources::TextureRecord second_;
  resources::TextureRecord first_;
  float start_ = 0.0f;
  float a_ = 0.0f;
  float b_ = 0.0f;
  float fadeLength_ = 0.0f;
};

// Before every final-scene frame: the turning strip sphere rendered into the 512 x 512 corner
// and copied to the backdrop texture; leaves the window projection with far plane 700.
void drawFinalBackdrop(float sceneClock);

}  // namespace demo
