#include "level_preview.h"

#include <GL/gl.h>

#include <cstdio>

#include "fx/view_frustum.h"
#include "platform/file_system.h"
#include "world/bsp_level.h"
#include "world/camera_path.h"

namespace view {
namespace {

class LevelPreview final : public Preview {
 public:
  explicit LevelPreview(const ViewOptions& options) : options_(options) {}

  bool load() override {
    if (!platform::fileExists(options_.pathFile)) {
      std::fprintf(stderr, "tolvek-view: no path file '%s'\n", options_.pathFile.c_str());
      return false;
    }
    if (!level_.load(options_.file, options_.lightmapScale)) {
      std::fprintf(stderr, "tolvek-view: cannot read the level '%s'\n", options_.file.c_str());
      return false;
    }
    camera_ = world::CameraPath::load(options_.pathFile);
    int missing = 0;
    for (const auto& texture : level_.textures()) missing += texture.empty() ? 1 : 0;
    std::printf("%s: %zu faces, %zu leaves, %zu lightmaps, %zu textures (%d not found), path of %d points\n",
                options_.file.c_str(), level_.data().faces.size(), level_.data().leaves.size(),
                level_.lightmapTextures().size(), level_.textures().size(), missing, camera_.pointCount());
    return true;
  }

  bool frame(float deltaMs) override {
    camera_.advance(deltaMs * options_.rate);
    if (camera_.finished()) return false;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    camera_.applyLookAt();
    frustum_.extract();
    level_.render(camera_, [this](float x0, float y0, float z0, float x1, float y1, float z1) {
      return frustum_.containsBox(x0, y0, z0, x1, y1, z1);
    }, 1, 1);
    return true;
  }

  void unload() override {
    level_.destroy();
    camera_.destroy();
  }

 private:
  ViewOptions options_;
  world::BspLevel level_;
  world::CameraPath camera_;
  fx::ViewFrustum frustum_;
};

}  // namespace

std::unique_ptr<Preview> makeLevelPreview(const ViewOptions& options) {
  return std::make_unique<LevelPreview>(options);
}

}  // namespace view
