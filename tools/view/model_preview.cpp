#include "model_preview.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <string>

#include "platform/file_system.h"
#include "world/character.h"
#include "world/md3_model.h"

namespace view {
namespace {

struct Bounds {
  world::Vec3 low{1e30f, 1e30f, 1e30f};
  world::Vec3 high{-1e30f, -1e30f, -1e30f};
  bool empty() const { return low.x > high.x; }
  world::Vec3 centre() const { return {(low.x + high.x) / 2, (low.y + high.y) / 2, (low.z + high.z) / 2}; }
  float radius() const {
    const float dx = high.x - low.x, dy = high.y - low.y, dz = high.z - low.z;
    return 0.5f * std::sqrt(dx * dx + dy * dy + dz * dz);
  }
};

// Frame 0 of every surface, in file units (z up).
Bounds frameZeroBounds(const world::Md3Model& model) {
  Bounds b;
  for (const auto& s : model.data().surfaces) {
    if (!s.hasFrame(0)) continue;
    for (std::int32_t v = 0; v < s.vertexCount; ++v) {
      const world::Vec3 p = s.position(0, v);
      b.low = {std::min(b.low.x, p.x), std::min(b.low.y, p.y), std::min(b.low.z, p.z)};
      b.high = {std::max(b.high.x, p.x), std::max(b.high.y, p.y), std::max(b.high.z, p.z)};
    }
  }
  return b;
}

// A white light from the upper left behind the viewer, fixed to the eye; fog off.
void lightFromTheViewer() {
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  const GLfloat position[4] = {-0.5f, 0.7f, 1.0f, 0.0f};
  const GLfloat ambient[4] = {0.35f, 0.35f, 0.35f, 1.0f};
  const GLfloat diffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  glLightfv(GL_LIGHT0, GL_POSITION, position);
  glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
  glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
  glEnable(GL_LIGHT0);
  glEnable(GL_LIGHTING);
  glDisable(GL_FOG);
  glColor4f(1, 1, 1, 1);
}

// The skin's images decide the loader: TGA when any line names a .tga file.
bool skinUsesTga(const std::string& skinFile) {
  const auto bytes = platform::readWholeFile(skinFile);
  if (!bytes) return false;
  std::string text(bytes->begin(), bytes->end());
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text.find(".tga") != std::string::npos;
}

std::string folderOf(const std::string& file) {
  const size_t slash = file.find_last_of("/\\");
  return slash == std::string::npos ? std::string(".") : file.substr(0, slash);
}

int missingTextures(const world::Md3Model& model) {
  int missing = 0;
  for (const auto& s : model.data().surfaces) missing += s.texture.empty() ? 1 : 0;
  return missing;
}

void describe(const char* label, const world::Md3Model& model) {
  size_t triangles = 0, vertices = 0, dropped = 0;
  for (const auto& s : model.data().surfaces) {
    triangles += s.triangles.size();
    vertices += static_cast<size_t>(s.vertexCount);
    dropped += static_cast<size_t>(s.droppedTriangles);
  }
  const Bounds b = frameZeroBounds(model);
  std::printf("%s: %d frames, %d tags, %zu surfaces (%d without texture), %zu triangles (%zu dropped), %zu vertices",
              label, model.data().frameCount, model.data().tagCount, model.data().surfaces.size(),
              missingTextures(model), triangles, dropped, vertices);
  if (!b.empty())
    std::printf(", frame 0 from (%.1f %.1f %.1f) to (%.1f %.1f %.1f)", b.low.x, b.low.y, b.low.z, b.high.x, b.high.y,
                b.high.z);
  std::printf("\n");
}

class ModelPreview final : public Preview {
 public:
  explicit ModelPreview(const ViewOptions& options) : options_(options) {}

  bool load() override {
    model_ = world::Md3Model::load(options_.file);
    if (!model_.loaded()) {
      std::fprintf(stderr, "tolvek-view: cannot read the model '%s'\n", options_.file.c_str());
      return false;
    }
    const std::string folder = options_.skinFolder.empty() ? folderOf(options_.skinFile) : options_.skinFolder;
    if (skinUsesTga(options_.skinFile))
      model_.loadSkinTga(options_.skinFile, folder);
    else
      model_.loadSkinJpeg(options_.skinFile, folder);
    describe(options_.file.c_str(), model_);
    bounds_ = frameZeroBounds(model_);
    if (bounds_.empty()) bounds_ = Bounds{{-1, -1, -1}, {1, 1, 1}};
    return true;
  }

  bool frame(float deltaMs) override {
    angle_ += deltaMs * 0.02f;  // a turn in 18 seconds
    glClearColor(0.18f, 0.2f, 0.24f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    lightFromTheViewer();
    const float r = bounds_.radius();
    gluLookAt(0, 0.35 * r, 2.1 * r, 0, 0, 0, 0, 1, 0);
    glRotatef(angle_, 0, 1, 0);
    glRotatef(-90, 1, 0, 0);  // the file's z up to the scene's y up, as the scenes draw models
    const world::Vec3 c = bounds_.centre();
    glTranslatef(-c.x, -c.y, -c.z);
    model_.draw(0.0f);
    glDisable(GL_LIGHTING);
    return true;
  }

  void unload() override { model_.destroy(); }

 private:
  ViewOptions options_;
  world::Md3Model model_;
  Bounds bounds_;
  float angle_ = 0.0f;
};

class CharacterPreview final : public Preview {
 public:
  explicit CharacterPreview(const ViewOptions& options) : options_(options) {}

  bool load() override {
    if (!platform::folderExists(options_.file)) {
      std::fprintf(stderr, "tolvek-view: no character folder '%s'\n", options_.file.c_str());
      return false;
    }
    character_ = world::Character::load(options_.file);
    describe("lower body", character_.lowerBody());
    describe("upper body", character_.upperBody());
    describe("head", character_.head());
    if (!character_.lowerBody().loaded()) {
      std::fprintf(stderr, "tolvek-view: '%s' has no lower body to carry the figure\n", options_.file.c_str());
      return false;
    }
    // As the scenes do: write the index field, then switch to it.
    character_.setLowerAnimationIndex(options_.lowerAnimation);
    character_.setAnimation(character_.lowerAnimation());
    character_.setUpperAnimationIndex(options_.upperAnimation);
    character_.setAnimation(character_.upperAnimation());
    for (const int n : {options_.lowerAnimation, options_.upperAnimation}) {
      if (n < 0 || n >= world::kAnimationCount) continue;
      const auto& a = character_.animations()[static_cast<size_t>(n)];
      std::printf("animation %d: frames %d to %d\n", n, a.firstFrame, a.firstFrame + a.frameCount - 1);
    }
    const Bounds b = frameZeroBounds(character_.lowerBody());
    // The legs are about half the figure; it is drawn at 3 x 0.25 of the file size.
    if (!b.empty()) {
      height_ = std::max(10.0f, (b.high.z - b.low.z) * 2.0f * 0.75f);
      middle_ = b.low.z * 0.75f + height_ / 2;
    }
    return true;
  }

  bool frame(float deltaMs) override {
    angle_ += deltaMs * 0.015f;
    glClearColor(0.18f, 0.2f, 0.24f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    lightFromTheViewer();
    const float h = height_;
    gluLookAt(0, middle_ + 0.15f * h, 1.15f * h, 0, middle_, 0, 0, 1, 0);
    glRotatef(angle_, 0, 1, 0);
    glPushMatrix();
    glScalef(3, 3, 3);  // the size the intro draws it at
    character_.draw(deltaMs * 1.5f);
    glPopMatrix();
    glDisable(GL_LIGHTING);
    return true;
  }

  void unload() override { character_.destroy(); }

 private:
  ViewOptions options_;
  world::Character character_;
  float height_ = 40.0f;  // of the whole figure as drawn
  float middle_ = 0.0f;   // its middle above the lower body's origin
  float angle_ = 0.0f;
};

}  // namespace

std::unique_ptr<Preview> makeModelPreview(const ViewOptions& options) { return std::make_unique<ModelPreview>(options); }

std::unique_ptr<Preview> makeCharacterPreview(const ViewOptions& options) {
  return std::make_unique<CharacterPreview>(options);
}

}  // namespace view
