#include "world/terrain.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <utility>

#include "platform/gl_extensions.h"
#include "platform/file_system.h"
#include "resources/jpeg_texture.h"

namespace world {

namespace {

size_t fieldBytes(std::int32_t size) {
  return size > 0 ? static_cast<size_t>(size) * static_cast<size_t>(size) : 0;
}

}  // namespace

float terrainFogCoordinate(int height) { return height <= 100 ? static_cast<float>(100 - height) : 30.0f; }

std::array<TerrainVertex, 4> terrainQuad(std::int32_t x, std::int32_t z, std::int32_t step, std::int32_t size) {
  const std::int64_t n = size;
  const std::int64_t x1 = std::int64_t{x} + step;
  const std::int64_t z1 = std::int64_t{z} + step;
  const std::int64_t z1Row = n > 0 ? z1 % n : 0;  // the wrap in z, for the height only
  const float fn = static_cast<float>(size);
  auto vertex = [&](std::int64_t px, std::int64_t pz, std::int64_t row) {
    return TerrainVertex{static_cast<std::int32_t>(px), static_cast<std::int32_t>(pz), px + row * n,
                         static_cast<float>(px) / fn, static_cast<float>(pz) / fn};
  };
  return {vertex(x, z, z), vertex(x, z1, z1Row), vertex(x1, z1, z1Row), vertex(x1, z, z)};
}

void forEachTerrainQuad(std::int32_t size, std::int32_t step,
                        const std::function<void(std::int32_t x, std::int32_t z)>& quad) {
  if (size < 1 || step < 1) return;  // a step of 0 would never leave the first column
  for (std::int64_t x = 0; x < size; x += step)
    for (std::int64_t z = 0; z < size; z += step) quad(static_cast<std::int32_t>(x), static_cast<std::int32_t>(z));
}

int terrainHeightAt(std::span<const std::uint8_t> heights, std::int64_t index) {
  if (index < 0 || index >= static_cast<std::int64_t>(heights.size())) return 0;
  return heights[static_cast<size_t>(index)];
}

HeightField parseHeightField(std::span<const std::uint8_t> file, std::int32_t size) {
  HeightField field;
  field.size = size > 0 ? size : 0;
  const size_t bytes = fieldBytes(size);
  field.bytesRead = static_cast<std::int64_t>(std::min(file.size(), bytes));
  field.heights.assign(bytes, 0);
  std::copy_n(file.begin(), static_cast<size_t>(field.bytesRead), field.heights.begin());
  return field;
}

std::vector<TerrainMeshVertex> terrainMesh(std::span<const std::uint8_t> heights, std::int32_t size, std::int32_t step) {
  std::vector<TerrainMeshVertex> mesh;
  if (size > 0 && step > 0) {
    const auto side = static_cast<size_t>((std::int64_t{size} + step - 1) / step);
    mesh.reserve(side * side * 4);
  }
  forEachTerrainQuad(size, step, [&](std::int32_t x, std::int32_t z) {
    for (const TerrainVertex& v : terrainQuad(x, z, step, size)) {
      const int h = terrainHeightAt(heights, v.heightIndex);
      mesh.push_back({v.x, h, v.z, v.s, v.t, terrainFogCoordinate(h)});
    }
  });
  return mesh;
}

Terrain Terrain::load(std::int32_t size, std::string_view heightFile, std::string_view textureFile,
                      std::string_view detailFile) {
  const auto file = platform::readFileStart(heightFile, fieldBytes(size));
  HeightField field = parseHeightField(file ? std::span<const std::uint8_t>(*file) : std::span<const std::uint8_t>{}, size);
  const std::int64_t read = field.bytesRead;
  Terrain terrain = fromHeights(size, std::move(field.heights), resources::loadJpegTexture(textureFile),
                                resources::loadJpegTexture(detailFile));
  terrain.heightBytesRead_ = read;
  return terrain;
}

Terrain Terrain::fromHeights(std::int32_t size, std::vector<std::uint8_t> heights, resources::TextureRecord texture,
                             resources::TextureRecord detail) {
  Terrain terrain;
  HeightField field = parseHeightField(heights, size);
  terrain.size_ = field.size;
  terrain.heightBytesRead_ = field.bytesRead;
  terrain.heights_ = std::move(field.heights);
  terrain.texture_ = texture;
  terrain.detail_ = detail;
  return terrain;
}

void Terrain::buildList(std::int32_t step) {
  if (list_ != 0) glDeleteLists(list_, 1);
  list_ = glGenLists(1);
  glNewList(list_, GL_COMPILE);

  platform::glext.activeTexture(GL_TEXTURE0_ARB);
  glBindTexture(GL_TEXTURE_2D, texture_.name);
  glEnable(GL_TEXTURE_2D);

  // Unit 1 modulates the ground by the detail picture and doubles it, so a mid-grey detail
  // leaves the ground's colour as it is on average.
  platform::glext.activeTexture(GL_TEXTURE1_ARB);
  glEnable(GL_TEXTURE_2D);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE_ARB);
  glTexEnvf(GL_TEXTURE_ENV, GL_RGB_SCALE_ARB, 2.0f);
  glBindTexture(GL_TEXTURE_2D, detail_.name);
  glMatrixMode(GL_TEXTURE);
  glLoadIdentity();
  glScalef(16.0f, 16.0f, 1.0f);
  glMatrixMode(GL_MODELVIEW);

  glPushMatrix();
  glCullFace(GL_BACK);
  glScalef(2.0f, 2.0f, 2.0f);
  glBegin(GL_QUADS);
  const std::vector<TerrainMeshVertex> mesh = terrainMesh(heights_, size_, step);
  quadCount_ = static_cast<std::int64_t>(mesh.size() / 4);
  for (const TerrainMeshVertex& v : mesh) {
    platform::glext.fogCoordf(v.fog);
    platform::glext.multiTexCoord2f(GL_TEXTURE0_ARB, v.s, v.t);
    platform::glext.multiTexCoord2f(GL_TEXTURE1_ARB, v.s, v.t);
    glVertex3i(v.x, v.y, v.z);
  }
  glEnd();
  glCullFace(GL_FRONT);
  glDisable(GL_CULL_FACE);
  glPopMatrix();
  glEndList();
  glEnable(GL_CULL_FACE);
}

void Terrain::setFog(float red, float green, float blue, float alpha, float start, float end) {
  glEnable(GL_FOG);
  glFogi(GL_FOG_MODE, GL_LINEAR);
  const GLfloat colour[4] = {red, green, blue, alpha};
  glFogfv(GL_FOG_COLOR, colour);
  glFogf(GL_FOG_START, start);
  glFogf(GL_FOG_END, end);
  glFogi(GL_FOG_COORDINATE_SOURCE_EXT, GL_FOG_COORDINATE_EXT);
}

Terrain::Terrain(Terrain&& other) noexcept { *this = std::move(other); }

Terrain& Terrain::operator=(Terrain&& other) noexcept {
  if (this == &other) return *this;
  destroy();
  size_ = std::exchange(other.size_, 0);
  texture_ = std::exchange(other.texture_, {});
  detail_ = std::exchange(other.detail_, {});
  heights_ = std::exchange(other.heights_, {});
  heightBytesRead_ = std::exchange(other.heightBytesRead_, 0);
  list_ = std::exchange(other.list_, 0u);
  quadCount_ = std::exchange(other.quadCount_, 0);
  return *this;
}

void Terrain::destroy() {
  resources::releaseTexture(texture_);
  resources::releaseTexture(detail_);
  if (list_ != 0) glDeleteLists(list_, 1);
  list_ = 0;
  heights_ = {};
  size_ = 0;
  heightBytesRead_ = 0;
  quadCount_ = 0;
}

}  // namespace world
