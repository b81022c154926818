// Screen-space pictures, the white fade, the stencil window and the mesh drawing in a real GL
// context (Xvfb, Mesa), read back pixel by pixel.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <vector>

#include "fx/procedural_meshes.h"
#include "fx/screen_pictures.h"
#include "support/drawing_test.h"

namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 120;

struct Rgb {
  int r, g, b;
  bool operator==(const Rgb&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Rgb& c) {
  return out << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

class ScreenDrawing : public testing_support::DrawingTest<kWidth, kHeight> {
 protected:
  void prepare() override {
    glMatrixMode(GL_PROJECTION);
    gluPerspective(60.0, 4.0 / 3.0, 1.0, 700.0);
    glMatrixMode(GL_MODELVIEW);
    glEnable(GL_DEPTH_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  }
  void TearDown() override {
    glStencilFunc(GL_ALWAYS, 0, ~0u);
    glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
    if (texture_) glDeleteTextures(1, &texture_);
    ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  }

  // Window pixel (x from the left, y from the bottom, as GL counts).
  static Rgb pixel(int x, int y) {
    unsigned char rgba[4];
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    return {rgba[0], rgba[1], rgba[2]};
  }
  static std::vector<unsigned char> allPixels() {
    std::vector<unsigned char> rgba(static_cast<size_t>(kWidth) * kHeight * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return rgba;
  }

  // A full-window quad of one colour under a pixel projection, depth test off.
  static void fillWindow(float r, float g, float b) {
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, kWidth, 0, kHeight, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glColor3f(r, g, b);
    glRecti(0, 0, kWidth, kHeight);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
  }

  // A 2 x 2 texture, nearest filtering: red, green (first row), blue, yellow.
  GLuint fourColourTexture() {
    static const unsigned char texels[] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 0, 255};
    glGenTextures(1, &texture_);
    glBindTexture(GL_TEXTURE_2D, texture_);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture_;
  }

  static GLint integer(GLenum what) {
    GLint value = 0;
    glGetIntegerv(what, &value);
    return value;
  }

  GLuint texture_ = 0;
};


const Rgb kBlack{0, 0, 0};
const Rgb kRed{255, 0, 0};
const Rgb kWhite{255, 255, 255};

TEST_F(ScreenDrawing, CentredPixelProjectionUsesIntegerHalves) {
  const GLint depth = integer(GL_PROJECTION_STACK_DEPTH);
  fx::setCentredPixelProjection(161, 121);  // halves 80 and 60
  EXPECT_EQ(integer(GL_MATRIX_MODE), GL_MODELVIEW);
  EXPECT_EQ(integer(GL_PROJECTION_STACK_DEPTH), depth + 1);
  float m[16];
  glGetFloatv(GL_PROJECTION_MATRIX, m);
  EXPECT_FLOAT_EQ(m[0], 2.0f / 160.0f);
  EXPECT_FLOAT_EQ(m[5], 2.0f / 120.0f);
  EXPECT_FLOAT_EQ(m[10], -2.0f / 110.0f);
  EXPECT_FLOAT_EQ(m[14], -90.0f / 110.0f);
  EXPECT_FLOAT_EQ(m[12], 0.0f);
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
}

TEST_F(ScreenDrawing, PictureCoversTheWholeWindowTopRowOfTheTextureAtTheTop) {
  glEnable(GL_TEXTURE_2D);
  fx::drawPicture(fourColourTexture(), kWidth, kHeight, 0.0f, false);
  const auto rgba = allPixels();
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const unsigned char* p = &rgba[(static_cast<size_t>(y) * kWidth + x) * 4];
      const bool top = y >= kHeight / 2, right = x >= kWidth / 2;
      const Rgb expected = top ? (right ? Rgb{0, 255, 0} : kRed) : (right ? Rgb{255, 255, 0} : Rgb{0, 0, 255});
      ASSERT_EQ((Rgb{p[0], p[1], p[2]}), expected) << "at " << x << ", " << y;
    }
  // Enables and colour come back; the texture binding is cleared.
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_EQ(integer(GL_TEXTURE_BINDING_2D), 0);
  EXPECT_EQ(integer(GL_DEPTH_WRITEMASK), GL_TRUE);
  EXPECT_EQ(integer(GL_MATRIX_MODE), GL_MODELVIEW);
  EXPECT_EQ(integer(GL_PROJECTION_STACK_DEPTH), 1);
  EXPECT_EQ(integer(GL_MODELVIEW_STACK_DEPTH), 1);
  float colour[4];
  glGetFloatv(GL_CURRENT_COLOR, colour);
  EXPECT_EQ(colour[3], 1.0f);
}

TEST_F(ScreenDrawing, PictureAlphaBlendsTowardsWhatWasThere) {
  glEnable(GL_TEXTURE_2D);
  const GLuint texture = fourColourTexture();
  fillWindow(0, 0, 1);
  fx::drawPicture(texture, kWidth, kHeight, 0.25f, false);
  // Upper left is red: 0.75 of it over 0.25 of the blue underneath.
  const Rgb mixed = pixel(10, kHeight - 10);
  EXPECT_NEAR(mixed.r, 191, 2);
  EXPECT_EQ(mixed.g, 0);
  EXPECT_NEAR(mixed.b, 64, 2);

  // Alpha 1 leaves the screen as it was, yet with keepDepth depth writes end up off.
  fillWindow(0, 0, 1);
  fx::drawPicture(texture, kWidth, kHeight, 1.0f, true);
  EXPECT_EQ(pixel(10, kHeight - 10), (Rgb{0, 0, 255}));
  EXPECT_EQ(pixel(kWidth - 1, 0), (Rgb{0, 0, 255}));
  EXPECT_EQ(integer(GL_DEPTH_WRITEMASK), GL_FALSE);
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
}

TEST_F(ScreenDrawing, PictureWithKeepDepthStillHonoursTheDepthTest) {
  glEnable(GL_TEXTURE_2D);
  const GLuint texture = fourColourTexture();
  // Depth 0 at the right half: the picture (at depth 0.5 of its projection) loses there.
  glClearDepth(0);
  glEnable(GL_SCISSOR_TEST);
  glScissor(kWidth / 2, 0, kWidth / 2, kHeight);
  glClear(GL_DEPTH_BUFFER_BIT);
  glDisable(GL_SCISSOR_TEST);
  glClearDepth(1);
  fx::drawPicture(texture, kWidth, kHeight, 0.0f, true);
  EXPECT_EQ(pixel(10, kHeight - 10), kRed);
  EXPECT_EQ(pixel(kWidth - 10, kHeight - 10), kBlack);
  fx::drawPicture(texture, kWidth, kHeight, 0.0f, false);
  EXPECT_EQ(pixel(kWidth - 10, kHeight - 10), (Rgb{0, 255, 0}));
}

TEST_F(ScreenDrawing, WhiteFadeFromWhiteToClearThenNothing) {
  fx::whiteFade(kWidth, kHeight, 10.0, 10.0, 4.0);
  EXPECT_EQ(pixel(0, 0), kWhite);
  EXPECT_EQ(pixel(kWidth - 1, kHeight - 1), kWhite);
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST)) << "the enables come back";
  EXPECT_FALSE(glIsEnabled(GL_BLEND));

  fillWindow(1, 0, 0);
  fx::whiteFade(kWidth, kHeight, 10.0, 11.0, 4.0);  // a quarter through: 3/4 white
  const Rgb quarter = pixel(kWidth / 2, kHeight / 2);
  EXPECT_EQ(quarter.r, 255);
  EXPECT_NEAR(quarter.g, 191, 2);
  EXPECT_NEAR(quarter.b, 191, 2);

  fillWindow(1, 0, 0);
  fx::whiteFade(kWidth, kHeight, 10.0, 14.0, 4.0);
  fx::whiteFade(kWidth, kHeight, 10.0, 20.0, 4.0);
  EXPECT_EQ(pixel(kWidth / 2, kHeight / 2), kRed);

  EXPECT_EQ(fx::whiteFadeAlpha(10, 12, 4), 0.5f);
  EXPECT_FALSE(fx::whiteFadeAlpha(10, 14, 4).has_value());
  EXPECT_EQ(fx::whiteFadeAlpha(10, 10, 4), 0.0f);
}

TEST_F(ScreenDrawing, WhiteFadeIsUntexturedEvenWithTexturingOn) {
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, fourColourTexture());
  fx::whiteFade(kWidth, kHeight, 0.0, 0.0, 1.0);
  EXPECT_EQ(pixel(10, 10), kWhite);
  EXPECT_EQ(pixel(kWidth - 10, kHeight - 10), kWhite);
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  glBindTexture(GL_TEXTURE_2D, 0);
}

TEST_F(ScreenDrawing, StencilWindowLimitsLaterDrawingToItsRectangle) {
  // Bounds in centred pixels: x -60..60, y -30..40, i.e. window columns 20..140, rows 30..100.
  glEnable(GL_STENCIL_TEST);
  glEnable(GL_CULL_FACE);
  glEnable(GL_BLEND);
  // A texture left bound and enabled (its red texel at the current coordinates) must not
  // tint the frame line.
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, fourColourTexture());
  glTexCoord2f(0.1f, 0.1f);
  // The stencil function as the previous frame leaves it, against the cleared buffer.
  glStencilFunc(GL_EQUAL, 1, 1);
  fx::stencilWindow(-60, 60, -30, 40, kWidth, kHeight);
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  glDisable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, 0);
  EXPECT_TRUE(glIsEnabled(GL_CULL_FACE)) << "enables restored";
  EXPECT_TRUE(glIsEnabled(GL_BLEND));
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_EQ(integer(GL_STENCIL_FUNC), GL_EQUAL);
  EXPECT_EQ(integer(GL_STENCIL_REF), 1);
  EXPECT_EQ(integer(GL_STENCIL_VALUE_MASK), 1);
  GLboolean mask[4];
  glGetBooleanv(GL_COLOR_WRITEMASK, mask);
  EXPECT_TRUE(mask[0] && mask[1] && mask[2] && mask[3]);
  EXPECT_EQ(integer(GL_POLYGON_MODE), GL_FILL);
  float width = 0;
  glGetFloatv(GL_LINE_WIDTH, &width);
  EXPECT_EQ(width, 1.0f);
  EXPECT_EQ(integer(GL_PROJECTION_STACK_DEPTH), 1);

  // The frame line: white, 2 pixels inside the bounds; black around it.
  EXPECT_EQ(pixel(80, 100 - 2), kWhite);
  EXPECT_EQ(pixel(80, 30 + 2), kWhite);
  EXPECT_EQ(pixel(20 + 2, 65), kWhite);
  EXPECT_EQ(pixel(140 - 2, 65), kWhite);
  EXPECT_EQ(pixel(80, 65), kBlack);
  EXPECT_EQ(pixel(10, 65), kBlack);

  // Red drawn over everything lands only inside, from 3 pixels in.
  glDisable(GL_BLEND);
  fillWindow(1, 0, 0);
  glDisable(GL_STENCIL_TEST);
  for (int x = 0; x < kWidth; x += 1) {
    const bool inside = x >= 23 && x < 137;
    ASSERT_EQ(pixel(x, 65) == kRed, inside) << "column " << x;
  }
  for (int y = 0; y < kHeight; y += 1) {
    const bool inside = y >= 33 && y < 97;
    ASSERT_EQ(pixel(80, y) == kRed, inside) << "row " << y;
  }
  EXPECT_EQ(pixel(5, 5), kBlack);
  EXPECT_EQ(pixel(kWidth - 5, kHeight - 5), kBlack);
}

TEST_F(ScreenDrawing, StencilWindowWritesNothingUnlessTheCallerEnabledTheTest) {
  fx::stencilWindow(-60, 60, -30, 40, kWidth, kHeight);
  glEnable(GL_STENCIL_TEST);
  fillWindow(1, 0, 0);
  glDisable(GL_STENCIL_TEST);
  EXPECT_EQ(pixel(80, 65), kBlack);
}

// ---- meshes in the window ----

// Covered pixels of the window (anything not black).
int coverage() {
  const auto rgba = [] {
    std::vector<unsigned char> p(static_cast<size_t>(kWidth) * kHeight * 4);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, p.data());
    return p;
  }();
  int count = 0;
  for (size_t i = 0; i < rgba.size(); i += 4) count += (rgba[i] | rgba[i + 1] | rgba[i + 2]) != 0;
  return count;
}

TEST_F(ScreenDrawing, MeshWithoutArraysDrawsNothing) {
  const fx::MeshObject empty;
  empty.draw();
  EXPECT_EQ(coverage(), 0);
  EXPECT_EQ(integer(GL_MODELVIEW_STACK_DEPTH), 1);
}

TEST_F(ScreenDrawing, WaveGridDrawsAtItsPositionAndLeavesTheMatrixAlone) {
  glDisable(GL_DEPTH_TEST);
  fx::WaveGrid grid(10, 25, 2.5f, 20);
  grid.animate(0.7);
  grid.setPolygonMode(GL_FILL);
  grid.setPosition(0, 0, -70);
  grid.draw();
  EXPECT_EQ(integer(GL_MODELVIEW_STACK_DEPTH), 1);
  const int filled = coverage();
  EXPECT_GT(filled, 1000);
  EXPECT_EQ(pixel(kWidth / 2, kHeight / 2), kWhite);
  EXPECT_EQ(pixel(2, kHeight / 2), kBlack);

  // Lines cover less than the filled mesh; moved left, the right of the window stays empty.
  glClear(GL_COLOR_BUFFER_BIT);
  grid.setPolygonMode(GL_LINE);
  grid.draw();
  const int lines = coverage();
  EXPECT_GT(lines, 100);
  EXPECT_LT(lines, filled);
  EXPECT_EQ(integer(GL_POLYGON_MODE), GL_LINE);
  glClear(GL_COLOR_BUFFER_BIT);
  grid.setPolygonMode(GL_FILL);
  grid.setPosition(-40, 0, -70);
  grid.draw();
  EXPECT_GT(coverage(), 500);
  EXPECT_EQ(pixel(kWidth / 2, kHeight / 2), kBlack);
  EXPECT_EQ(pixel(kWidth / 2 - 59, kHeight / 2), kWhite);  // x = -40 at 1.48 pixels a unit
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
}

TEST_F(ScreenDrawing, LineModeGivesThePixelsOfTheDriversPolygonOutlines) {
  // The final scene's fine lines: smooth, blended, nothing culled.
  glDisable(GL_DEPTH_TEST);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glEnable(GL_LINE_SMOOTH);
  glColor4f(0.8f, 0.8f, 0.8f, 0.2f);
  fx::WaveGrid grid(10, 25, 2.5f, 20);
  grid.animate(1.3);
  grid.setPolygonMode(GL_LINE);
  glTranslatef(-15, 0, -70);
  grid.draw();
  const auto drawn = allPixels();
  // The same triangles outlined by the driver itself.
  glClear(GL_COLOR_BUFFER_BIT);
  glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
  glBegin(GL_TRIANGLES);
  for (const auto& t : grid.triangles())
    for (std::uint32_t i : t) glVertex3d(grid.drawnVertices()[i].x, grid.drawnVertices()[i].y, grid.drawnVertices()[i].z);
  glEnd();
  EXPECT_EQ(allPixels(), drawn);
  glDisable(GL_LINE_SMOOTH);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
}

// Rows and columns of the window that anything was drawn into.
std::array<int, 2> coveredExtent() {
  std::vector<unsigned char> p(static_cast<size_t>(kWidth) * kHeight * 4);
  glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, p.data());
  int left = kWidth, right = -1, bottom = kHeight, top = -1;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x)
      if (p[(static_cast<size_t>(y) * kWidth + x) * 4] != 0) {
        left = std::min(left, x);
        right = std::max(right, x);
        bottom = std::min(bottom, y);
        top = std::max(top, y);
      }
  return {right - left + 1, top - bottom + 1};
}

TEST_F(ScreenDrawing, MeshRotationTurnsTheUprightGridOnItsSide) {
  glDisable(GL_DEPTH_TEST);
  fx::WaveGrid grid(10, 25, 2.5f, 20);
  grid.animate(0);
  grid.setPolygonMode(GL_FILL);
  grid.setPosition(0, 0, -90);
  grid.draw();
  const auto upright = coveredExtent();
  EXPECT_GT(upright[1], upright[0]);
  glClear(GL_COLOR_BUFFER_BIT);
  grid.setRotation(0, 0, 90);
  grid.draw();
  const auto lying = coveredExtent();
  EXPECT_GT(lying[0], lying[1]);
  EXPECT_NEAR(lying[0], upright[1], 4);
}

TEST_F(ScreenDrawing, WobbleSphereDrawsWithItsOwnTextureOnUnitZero) {
  const GLuint name = fourColourTexture();
  resources::TextureRecord record;
  record.name = name;
  fx::WobbleSphere sphere(1, 16, 8, record);
  sphere.animate(0.5, true);
  sphere.setPolygonMode(GL_FILL);
  sphere.setPosition(0, 0, -4);
  glDisable(GL_TEXTURE_2D);
  sphere.draw();
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_EQ(integer(GL_TEXTURE_BINDING_2D), static_cast<GLint>(name));
  // Textured: the texture's colours show, not the plain white of the current colour.
  std::vector<unsigned char> p(static_cast<size_t>(kWidth) * kHeight * 4);
  glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, p.data());
  int red = 0, white = 0;
  for (size_t i = 0; i < p.size(); i += 4) {
    red += p[i] == 255 && p[i + 1] == 0 && p[i + 2] == 0;
    white += p[i] == 255 && p[i + 1] == 255 && p[i + 2] == 255;
  }
  EXPECT_GT(red, 50);
  EXPECT_EQ(white, 0);
  glDisable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, 0);
}

TEST_F(ScreenDrawing, AMaskedDrawLeavesOutOnlyWhatTheStencilWindowHides) {
  // A sphere across the window's left edge (window columns 60..140, sphere about 54..106),
  // drawn where the stencil is not 1, as the final scene does outside its window.
  resources::TextureRecord record;
  record.name = fourColourTexture();
  fx::WobbleSphere sphere(1, 32, 16, record);
  sphere.animate(0.5, false);
  sphere.setPolygonMode(GL_FILL);
  glTranslatef(0, 0, -4);
  const fx::MaskedRect window = fx::stencilWindowInterior(-20, 60, -40, 40, kWidth, kHeight);
  auto drawOutsideTheWindow = [&](const fx::MaskedRect* masked) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glEnable(GL_STENCIL_TEST);
    fx::stencilWindow(-20, 60, -40, 40, kWidth, kHeight);
    glStencilFunc(GL_NOTEQUAL, 1, 1);
    sphere.draw(masked);
    glDisable(GL_STENCIL_TEST);
    return allPixels();
  };
  const auto whole = drawOutsideTheWindow(nullptr);
  EXPECT_EQ(drawOutsideTheWindow(&window), whole) << "the same picture";
  const size_t kept = sphere.trianglesOutside(window).size();
  EXPECT_GT(kept, 0u);
  EXPECT_LT(kept, sphere.triangles().size() * 3 / 4) << "most of the sphere lies in the window";
  // Nothing is left out where the stencil does not hide it.
  EXPECT_EQ(sphere.trianglesOutside({0, 0, 1, 1}).size(), sphere.triangles().size());
  glDisable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, 0);
}

TEST_F(ScreenDrawing, StripSphereIsARoundDiscAndTurnsCullingBackOn) {
  glDisable(GL_DEPTH_TEST);
  glTranslatef(0, 0, -10);
  fx::drawStripSphere(4, 32);
  glLoadIdentity();
  EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
  // Radius 4 at distance 10 under a 60-degree view: about 0.41 / tan(30) of the half height.
  const double radiusPixels = std::tan(std::asin(0.4)) / std::tan(30 * 3.14159265358979 / 180) * kHeight / 2;
  const int expected = static_cast<int>(3.14159265358979 * radiusPixels * radiusPixels);
  EXPECT_NEAR(coverage(), expected, expected / 20);
  EXPECT_EQ(pixel(kWidth / 2, kHeight / 2 + static_cast<int>(radiusPixels) - 2), kWhite);
  EXPECT_EQ(pixel(kWidth / 2, kHeight / 2 + static_cast<int>(radiusPixels) + 2), kBlack);
}

}  // namespace
