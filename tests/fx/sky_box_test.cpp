#include "fx/sky_box.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>

#include "drawing_fixture.h"
#include "resources/texture_table.h"

namespace {

TEST(SkyBoxExtents, TheIslandBoxReachesFromMinus626To2674) {
  const fx::SkyBoxExtents box = fx::skyBoxExtents(1024, 0, 1024, 3300, 3300, 3300);
  EXPECT_FLOAT_EQ(box.x0, -626.0f);
  EXPECT_FLOAT_EQ(box.x1, 2674.0f);
  EXPECT_FLOAT_EQ(box.z0, -626.0f);
  EXPECT_FLOAT_EQ(box.z1, 2674.0f);
  EXPECT_FLOAT_EQ(box.y0, -1650.0f);
  EXPECT_FLOAT_EQ(box.y1, 1650.0f);
  // Every corner, seen from the centre, lies inside the island's far plane of 3700.
  for (const fx::SkyBoxFace& face : fx::skyBoxFaces(box))
    for (const fx::SkyBoxVertex& v : face.corners)
      EXPECT_LT(std::hypot(v.x - 1024.0f, v.y, v.z - 1024.0f), 3700.0f);
}

TEST(SkyBoxExtents, EachFaceLiesOnItsSideWithTheWholePicture) {
  const fx::SkyBoxExtents box = fx::skyBoxExtents(0, 100, 0, 10, 20, 30);
  const auto faces = fx::skyBoxFaces(box);
  const float planes[6] = {box.z0, box.z1, box.y0, box.y1, box.x0, box.x1};
  const int axes[6] = {2, 2, 1, 1, 0, 0};
  for (int f = 0; f < 6; ++f) {
    EXPECT_EQ(faces[f].tableIndex, 13 + f);
    float sMin = 1, sMax = 0, tMin = 1, tMax = 0;
    for (const fx::SkyBoxVertex& v : faces[f].corners) {
      const float coordinate[3] = {v.x, v.y, v.z};
      EXPECT_FLOAT_EQ(coordinate[axes[f]], planes[f]) << f;
      sMin = std::min(sMin, v.s);
      sMax = std::max(sMax, v.s);
      tMin = std::min(tMin, v.t);
      tMax = std::max(tMax, v.t);
    }
    EXPECT_EQ(sMin, 0.0f);
    EXPECT_EQ(sMax, 1.0f);
    EXPECT_EQ(tMin, 0.0f);
    EXPECT_EQ(tMax, 1.0f);
  }
}

class SkyBoxDrawing : public fx_test::DrawingTest {
 protected:
  void prepare() override {
    DrawingTest::prepare();
    // Each face a picture of four quadrants: its own colour in the first texel, grey elsewhere
    // except a dark texel at (1, 0).
    for (int f = 0; f < 6; ++f) {
      const std::uint8_t own[3] = {static_cast<std::uint8_t>(f & 1 ? 255 : 0),
                                   static_cast<std::uint8_t>(f & 2 ? 255 : 0),
                                   static_cast<std::uint8_t>(f & 4 ? 255 : 60)};
      const std::vector<std::uint8_t> texels = {own[0], own[1], own[2], 255, 10, 10, 10, 255,
                                                128, 128, 128, 255, 128, 128, 128, 255};
      resources::textureTable.entries[13 + f].name = makeTexture(2, texels);
    }
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(90.0, static_cast<double>(fx_test::kWidth) / fx_test::kHeight, 1, 3700);
    glMatrixMode(GL_MODELVIEW);
    glDisable(GL_CULL_FACE);  // as the terrain leaves it in the island
    glDisable(GL_FOG);
  }
  void TearDown() override {
    for (int f = 0; f < 6; ++f) {
      GLuint name = resources::textureTable.entries[13 + f].name;
      glDeleteTextures(1, &name);
      resources::textureTable.entries[13 + f] = {};
    }
  }
};

TEST_F(SkyBoxDrawing, FromItsCentreEachDirectionShowsItsFaceUpright) {
  struct View {
    float dx, dy, dz, ux, uy, uz;
    int face;
  };
  // Back, front, bottom, top, left, right.
  const View views[] = {{0, 0, -1, 0, 1, 0, 0}, {0, 0, 1, 0, 1, 0, 1},  {0, -1, 0, 0, 0, 1, 2},
                        {0, 1, 0, 0, 0, -1, 3}, {-1, 0, 0, 0, 1, 0, 4}, {1, 0, 0, 0, 1, 0, 5}};
  for (const View& v : views) {
    startFrame();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(90.0, static_cast<double>(fx_test::kWidth) / fx_test::kHeight, 1, 3700);
    glMatrixMode(GL_MODELVIEW);
    glDisable(GL_CULL_FACE);
    glDisable(GL_FOG);
    gluLookAt(1024, 0, 1024, 1024 + v.dx, v.dy, 1024 + v.dz, v.ux, v.uy, v.uz);
    fx::drawSkyBox(1024, 0, 1024, 3300, 3300, 3300);
    const int f = v.face;
    const auto own = pixel(320 - 100, 240 - 100);
    const auto other = pixel(320 + 100, 240 + 100);
    SCOPED_TRACE(f);
    EXPECT_EQ(other.r, 128);
    if (f != 2 && f != 3) {
      // The side faces show their picture's first row at the top, first column on the left.
      EXPECT_EQ(own.r, f & 1 ? 255 : 0);
      EXPECT_EQ(own.g, f & 2 ? 255 : 0);
      EXPECT_EQ(own.b, f & 4 ? 255 : 60);
      EXPECT_EQ(pixel(320 + 100, 240 - 100).r, 10);
    } else {
      // Elsewhere: the face's own colour is somewhere in its picture.
      bool found = false;
      for (const auto& [x, y] : {std::pair{220, 140}, {420, 140}, {220, 340}, {420, 340}}) {
        const auto p = pixel(x, y);
        found |= p.r == (f & 1 ? 255 : 0) && p.g == (f & 2 ? 255 : 0) && p.b == (f & 4 ? 255 : 60);
      }
      EXPECT_TRUE(found);
    }
  }
}

TEST_F(SkyBoxDrawing, FacesAreClampedToTheirEdges) {
  fx::drawSkyBox(1024, 0, 1024, 3300, 3300, 3300);
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  for (int f = 0; f < 6; ++f) {
    glBindTexture(GL_TEXTURE_2D, resources::textureTable.entries[13 + f].name);
    GLint s = 0, t = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &s);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &t);
    EXPECT_EQ(s, GL_CLAMP_TO_EDGE) << f;
    EXPECT_EQ(t, GL_CLAMP_TO_EDGE) << f;
  }
}

}  // namespace
