// The show's models as data: each MD3 model with its painted skin and the text of its skin
// file, and the character's three parts with its animation table. writeModels turns them
// into files; the checks and the tests look at them before and after.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "image.h"
#include "md3_writer.h"

namespace modelkit {

struct SkinnedModel {
  Md3Model model;
  showkit::Image skin;
  std::string imageName;  // file name of the skin picture, beside the model
  bool jpeg = false;      // JPEG skin (else a 32-bit TGA)
  std::string skinText;   // the .skin file
};

// Texture coordinates as the file stores them for a picture whose rows run top to bottom
// (v = 0 at the top): the demo flips t when drawing, and its JPEG loader puts the first
// row at t = 0 while a kit TGA shows its top row at t = 1.
float storedT(float v, bool jpeg);

// Paints the skin rectangle (u0, v0)-(u1, v1) (fractions of the picture, v down) with
// paint(u, v) in the rectangle's own 0..1 coordinates.
void paintRegion(showkit::Image& image, float u0, float v0, float u1, float v1,
                 const std::function<showkit::Rgba(float, float)>& paint);

// One surface from per-frame meshes, its t coordinates stored for the skin's format.
SurfaceFrames skinnedSurface(const std::string& name, const std::vector<Mesh>& frames, bool jpeg);

SkinnedModel chelouModel();  // an odd, shiny knot; quadmap2.tga
SkinnedModel monkModel();    // a floating hooded monk; moine.jpg
SkinnedModel boatModel();    // hull, mast and sail; barque.jpg

// One line of Animation.cfg: first frame (in the file's numbering, where the legs' frames
// follow the torso's), frame count, looping frames, frames per second.
struct AnimationLine {
  int first = 0, count = 0, looping = 0, fps = 0;
  std::string name;
};

struct CharacterSet {
  SkinnedModel lower, upper, head;
  std::array<AnimationLine, 26> animations;
  std::string animationCfg;
  // The figure's floor in the lower body's file units: the demo draws it at 0.75 x, 25
  // units above the corridor's floor.
  static constexpr float kFloorZ = -25.0f / 0.75f;
};

CharacterSet characterModel();

}  // namespace modelkit
