#include "terrain_preview.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/gl_extensions.h"
#include "platform/file_system.h"
#include "world/terrain.h"

namespace view {
namespace {

constexpr float kPi = 3.14159265f;

// The side of a square height file, or the show's 1024 when the file is not square.
std::int32_t fieldSide(const std::string& heightFile) {
  const auto bytes = platform::readWholeFile(heightFile);
  if (!bytes) return 0;
  const auto size = static_cast<std::int64_t>(bytes->size());
  const auto side = static_cast<std::int32_t>(std::lround(std::sqrt(static_cast<double>(size))));
  return static_cast<std::int64_t>(side) * side == size && side > 0 ? side : 1024;
}

class TerrainPreview final : public Preview {
 public:
  explicit TerrainPreview(const ViewOptions& options) : options_(options) {}

  bool load() override {
    const std::int32_t side = fieldSide(options_.file);
    if (side == 0) {
      std::fprintf(stderr, "tolvek-view: no height file '%s'\n", options_.file.c_str());
      return false;
    }
    terrain_ = world::Terrain::load(side, options_.file, options_.moreFiles[0], options_.moreFiles[1]);
    terrain_.buildList(10);
    int lowest = 255, highest = 0;
    for (const auto h : terrain_.heights()) {
      lowest = std::min<int>(lowest, h);
      highest = std::max<int>(highest, h);
    }
    std::printf("%s: %d x %d heights from %d to %d, %lld quads; ground %dx%d%s, detail %dx%d%s\n",
                options_.file.c_str(), side, side, lowest, highest, static_cast<long long>(terrain_.quadCount()),
                terrain_.texture().width, terrain_.texture().height, terrain_.texture().empty() ? " (missing)" : "",
                terrain_.detail().width, terrain_.detail().height, terrain_.detail().empty() ? " (missing)" : "");
    extent_ = 2.0f * static_cast<float>(side);
    // The island scene's far plane.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(options_.fieldOfView, options_.aspectRatio, 1.0, 3700.0);
    glMatrixMode(GL_MODELVIEW);
    return true;
  }

  bool frame(float deltaMs) override {
    angle_ += deltaMs * 0.01f;  // an orbit in 36 seconds
    glClearColor(0.55f, 0.68f, 0.8f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const float c = extent_ / 2;
    const float a = angle_ * kPi / 180.0f;
    gluLookAt(c + 0.62f * extent_ * std::cos(a), 0.2f * extent_, c + 0.62f * extent_ * std::sin(a), c, 60, c, 0, 1, 0);

    glDisable(GL_LIGHTING);
    glColor4f(1, 1, 1, 1);
    glEnable(GL_CULL_FACE);  // the list chooses the face, the caller turns culling on
    world::Terrain::setFog(0.6f, 0.7f, 0.7f, 0.3f, 50.0f, 100.0f);  // the fog above water
    glCallList(terrain_.list());

    // Back to plain drawing for the sea: no textures, no fog, added blue at y = 48.
    platform::glext.activeTexture(GL_TEXTURE1_ARB);
    glDisable(GL_TEXTURE_2D);
    platform::glext.activeTexture(GL_TEXTURE0_ARB);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_FOG);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDepthMask(GL_FALSE);
    glColor4f(0.05f, 0.2f, 0.5f, 1.0f);
    glBegin(GL_QUADS);
    glVertex3f(0, 48, 0);
    glVertex3f(0, 48, 1920);
    glVertex3f(1920, 48, 1920);
    glVertex3f(1920, 48, 0);
    glEnd();
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
    glColor4f(1, 1, 1, 1);
    platform::glext.activeTexture(GL_TEXTURE0_ARB);
    glEnable(GL_TEXTURE_2D);
    return true;
  }

  void unload() override { terrain_.destroy(); }

 private:
  ViewOptions options_;
  world::Terrain terrain_;
  float extent_ = 2048.0f;
  float angle_ = 0.0f;
};

}  // namespace

std::unique_ptr<Preview> makeTerrainPreview(const ViewOptions& options) {
  return std::make_unique<TerrainPreview>(options);
}

}  // namespace view
