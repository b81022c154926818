#include "world/character.h"

#include <GL/gl.h>

#include <algorithm>
#include <limits>
#include <string>
#include <utility>

#include "platform/file_system.h"

namespace world {

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::int32_t saturate(std::int64_t value) {
  if (value > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
  if (value < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(value);
}

// The word reader and integer reader of the table, over the text with a cursor.
class WordStream {
 public:
  explicit WordStream(std::string_view text) : text_(text) {}

  // The next white-space separated word; empty at the end of the text.
  std::string_view word() {
    skipSpace();
    const size_t start = at_;
    while (at_ < text_.size() && !isSpace(text_[at_])) ++at_;
    return text_.substr(start, at_ - start);
  }

  // Formatted integer input: white space, an optional sign, digits. Without digits nothing
  // but the white space is consumed and the value is 0. Values beyond int32 saturate.
  std::int32_t integer() {
    skipSpace();
    size_t at = at_;
    bool negative = false;
    if (at < text_.size() && (text_[at] == '+' || text_[at] == '-')) negative = text_[at++] == '-';
    if (at >= text_.size() || !isDigit(text_[at])) return 0;
    at_ = at;
    return saturate(negative ? -digits() : digits());
  }

  void skipLine() {
    while (at_ < text_.size() && text_[at_] != '\n') ++at_;
    if (at_ < text_.size()) ++at_;
  }

  // The leading digits of a word as a decimal number (what follows them is ignored).
  static std::int32_t leadingNumber(std::string_view word) {
    WordStream s(word);
    return saturate(s.digits());
  }

 private:
  void skipSpace() {
    while (at_ < text_.size() && isSpace(text_[at_])) ++at_;
  }
  std::int64_t digits() {
    std::int64_t value = 0;
    for (; at_ < text_.size() && isDigit(text_[at_]); ++at_)
      value = std::min<std::int64_t>(value * 10 + (text_[at_] - '0'), std::int64_t{1} << 40);
    return value;
  }

  std::string_view text_;
  size_t at_ = 0;
};

}  // namespace

AnimationConfig parseAnimationConfig(std::string_view text) {
  AnimationConfig config;
  WordStream stream(text);
  for (;;) {
    const std::string_view word = stream.word();
    if (word.empty()) break;
    if (!isDigit(word.front())) {
      stream.skipLine();
      continue;
    }
    AnimationRange range;
    range.firstFrame = WordStream::leadingNumber(word);
    range.frameCount = stream.integer();
    range.loopingFrames = stream.integer();
    range.framesPerSecond = stream.integer();
    // The table has room for 26 lines; the rest of the file is read past.
    if (config.entries < kAnimationCount)
      config.table[static_cast<size_t>(config.entries++)] = range;
    else
      ++config.ignored;
  }
  return config;
}

void shiftLowerBodyFrames(AnimationTable& table) {
  const std::int64_t d = std::int64_t{table[kFirstLowerOnly].firstFrame} - table[kFirstUpperOnly].firstFrame;
  for (int i = kFirstLowerOnly; i <= kLastLowerOnly; ++i) table[i].firstFrame = saturate(table[i].firstFrame - d);
}

Character::Character(Character&& other) { *this = std::move(other); }

Character& Character::operator=(Character&& other) {
  if (this == &other) return *this;
  destroy();
  animations_ = std::exchange(other.animations_, {});
  lowerAnimation_ = std::exchange(other.lowerAnimation_, 0);
  upperAnimation_ = std::exchange(other.upperAnimation_, 0);
  lower_ = std::exchange(other.lower_, std::make_unique<Md3Model>());
  upper_ = std::exchange(other.upper_, std::make_unique<Md3Model>());
  head_ = std::exchange(other.head_, std::make_unique<Md3Model>());
  return *this;
}

Character Character::load(std::string_view folder) {
  Character character;
  const std::string base(folder);
  struct PartFiles {
    Md3Model& model;
    const char* name;
  };
  for (const PartFiles& part : {PartFiles{*character.lower_, "Lower"}, PartFiles{*character.upper_, "Upper"},
                                PartFiles{*character.head_, "Head"}}) {
    part.model = Md3Model::load(base + "\\" + part.name + ".md3");
    part.model.loadSkinTga(base + "\\" + part.name + "_default.skin", base);
  }
  character.lower_->attach("tag_torso", character.upper_.get());
  character.upper_->attach("tag_head", character.head_.get());
  character.readAnimations(base + "\\Animation.cfg");
  return character;
}

void Character::readAnimations(std::string_view fileName) {
  const auto bytes = platform::readWholeFile(fileName);
  animations_ = {};
  if (bytes) {
    animations_ = parseAnimationConfig(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size())).table;
  }
  // Applied with or without a file, as the loader always does: zero entries stay zero.
  shiftLowerBodyFrames(animations_);
}

void Character::setAnimation(std::int32_t n) {
  if (n < 0 || n > kLastLowerOnly) return;
  const AnimationRange& range = animations_[static_cast<size_t>(n)];
  const std::int32_t start = range.firstFrame;
  const std::int32_t end = saturate(std::int64_t{range.firstFrame} + range.frameCount);
  auto play = [start, end](Md3Model& part) {
    FrameState& s = part.frameState();
    s.start = start;
    s.end = end;
    s.current = start;
    s.next = start;
  };
  if (n < kFirstUpperOnly) {
    play(*lower_);
    play(*upper_);
    lowerAnimation_ = n;
    upperAnimation_ = n;
  } else if (n < kFirstLowerOnly) {
    play(*upper_);
    upperAnimation_ = n;
  } else {
    play(*lower_);
    lowerAnimation_ = n;
  }
}

void Character::draw(float speed) {
  glScalef(0.25f, 0.25f, 0.25f);
  glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);
  glRotatef(-90.0f, 0.0f, 0.0f, 1.0f);
  lower_->advanceFrame();
  upper_->advanceFrame();
  lower_->draw(speed);
}

void Character::advance(float speed) {
  lower_->advanceFrame();
  upper_->advanceFrame();
  lower_->advance(speed);
}

Character::AnimationState Character::animationState() const {
  return {lowerAnimation_, upperAnimation_, lower_->frameState(), upper_->frameState(), head_->frameState()};
}

void Character::setAnimationState(const AnimationState& state) {
  lowerAnimation_ = state.lowerAnimation;
  upperAnimation_ = state.upperAnimation;
  lower_->frameState() = state.lower;
  upper_->frameState() = state.upper;
  head_->frameState() = state.head;
}

void Character::destroy() {
  lower_->destroy();
  upper_->destroy();
  head_->destroy();
}

}  // namespace world
