// The animated figure: three MD3 parts (lower body, upper body, head) from one folder, the
// upper body riding on the lower body's "tag_torso" and the head on the upper body's
// "tag_head", and a table of numbered frame ranges from the folder's "Animation.cfg" that the
// two body halves play independently. The head is never advanced: it keeps frame 0.
//
// A missing part or skin leaves that part empty (it draws nothing, and carries nothing: an
// empty lower body hides the whole figure); a missing table leaves every range zero.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>

#include "world/md3_model.h"

namespace world {

// One line of the animation table, in the order of the line.
struct AnimationRange {
  std::int32_t firstFrame = 0;
  std::int32_t frameCount = 0;
  std::int32_t loopingFrames = 0;    // not used: every range loops whole
  std::int32_t framesPerSecond = 0;  // not used: the caller's speed paces the animation

  friend bool operator==(const AnimationRange&, const AnimationRange&) = default;
};

constexpr int kAnimationCount = 26;
using AnimationTable = std::array<AnimationRange, kAnimationCount>;

// The numbers 0-5 drive both halves, 6-12 the upper body, 13-24 the lower body; 25 nothing.
constexpr int kFirstUpperOnly = 6;
constexpr int kFirstLowerOnly = 13;
constexpr int kLastLowerOnly = 24;

struct AnimationConfig {
  AnimationTable table{};    // unfilled entries stay zero
  std::int32_t entries = 0;  // table lines stored
  std::int32_t ignored = 0;  // table lines beyond the 26 the table holds
};

// Reads the text as a stream of words: a word starting with a decimal digit begins a table
// line (it and the next three integers); any other word (keyword, "//", "-1") skips the rest
// of its line. The lower-body shift is not applied here.
AnimationConfig parseAnimationConfig(std::string_view text);

// Moves the lower-body ranges (13-24) to the lower body's own frame numbers: each first frame
// is reduced by (first frame of 13 - first frame of 6).
void shiftLowerBodyFrames(AnimationTable& table);

class Character {
 public:
  // A moved-from character is an empty figure; moving over one gives its textures back first.
  Character() = default;
  Character(const Character&) = delete;
  Character& operator=(const Character&) = delete;
  Character(Character&& other);
  Character& operator=(Character&& other);

  // Loads "<folder>\Lower.md3", "Upper.md3", "Head.md3" with their "*_default.skin" (TGA
  // images from the folder), joins them and reads "<folder>\Animation.cfg".
  static Character load(std::string_view folder);

  // Switches the part or parts that animation n drives to its frame range (current and next
  // frame at its start; the fraction is kept). Any other n changes nothing.
  void setAnimation(std::int32_t n);
  // Scale 0.25 and the turn from the files' z up to y up (left on the matrix), one frame step
  // for each body half, then the lower body with everything it carries.
  void draw(float speed);
  // The frame steps of a draw at `speed`, drawing nothing.
  void advance(float speed);
  void destroy();

  // Where the figure's animations stand: the index fields and the three parts' frames.
  struct AnimationState {
    std::int32_t lowerAnimation = 0, upperAnimation = 0;
    FrameState lower, upper, head;
  };
  AnimationState animationState() const;
  void setAnimationState(const AnimationState& state);

  // The index fields the scenes set before calling setAnimation with them.
  std::int32_t lowerAnimation() const { return lowerAnimation_; }
  std::int32_t upperAnimation() const { return upperAnimation_; }
  void setLowerAnimationIndex(std::int32_t n) { lowerAnimation_ = n; }
  void setUpperAnimationIndex(std::int32_t n) { upperAnimation_ = n; }

  const AnimationTable& animations() const { return animations_; }
  // For tests and tools that build a table themselves.
  void setAnimations(const AnimationTable& table) { animations_ = table; }
  Md3Model& lowerBody() { return *lower_; }
  Md3Model& upperBody() { return *upper_; }
  Md3Model& head() { return *head_; }

 private:
  void readAnimations(std::string_view fileName);

  AnimationTable animations_{};
  std::int32_t lowerAnimation_ = 0;
  std::int32_t upperAnimation_ = 0;
  // Behind pointers so that the attachments between them survive moving the character.
  std::unique_ptr<Md3Model> lower_ = std::make_unique<Md3Model>();
  std::unique_ptr<Md3Model> upper_ = std::make_unique<Md3Model>();
  std::unique_ptr<Md3Model> head_ = std::make_unique<Md3Model>();
};

}  // namespace world
