#include "demo/final_scene.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

#include "demo/scene_drawing.h"
#include "demo/scene_objects.h"
#include "fx/pixel_scale.h"
#include "fx/screen_pictures.h"
#include "fx/veils.h"
#include "platform/settings.h"
#include "resources/jpeg_texture.h"
#include "resources/texture_table.h"

namespace demo {

namespace {

constexpr float kRadiansPerDegree = 0.017453292f;

}  // namespace

FinalScene::FinalScene(int width, int height) : width_(width), height_(height), grid_(10.0f, 25, 2.5f, 20) {
  sphere_ = std::make_unique<fx::WobbleSphere>(1.0f, 64, 64);
  try {
    largeSphere_ = std::make_unique<fx::WobbleSphere>(4.0f, 64, 64);
  } catch (...) {
    sphere_->destroy();
    throw;
  }
  second_ = resources::loadJpegTexture(kSecondPicture);
  first_ = resources::loadJpegTexture(kFirstPicture);
  if (second_.empty() || first_.empty()) {
    destroy();
    throw fx::MeshError("Texture not found");
  }
}

void FinalScene::setTimes(float start, float a, float b, float fadeLength) {
  start_ = start;
  a_ = a;
  b_ = b;
  fadeLength_ = fadeLength;
}

void FinalScene::draw(float t) {
  if (t < a_) {
    fx::drawPicture(first_.name, width_, height_, 0.0f, false);
    fx::whiteFade(width_, height_, start_, t, 3.0);
  }
  if (a_ < t && t < b_) {
    glEnable(GL_STENCIL_TEST);
    windowPass(t);
    glDisable(GL_STENCIL_TEST);
    // Drawn over everything, the painting melts away and uncovers the window.
    if (t - a_ < fadeLength_) fx::drawPicture(first_.name, width_, height_, (t - a_) / fadeLength_, false);
  }
  if (t > b_) {
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    fx::drawPicture(second_.name, width_, height_, 0.0f, true);
    outlinePass(t);
    fx::whiteFade(width_, height_, b_, t, 5.0);
  }
}

// The backdrop's fog: linear and black from 5 to 20. The settings stay after the pass.
void FinalScene::setWindowFog() {
  const GLfloat clear[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  glFogi(GL_FOG_MODE, GL_LINEAR);
  glFogfv(GL_FOG_COLOR, clear);
  glFogf(GL_FOG_DENSITY, 0.01f);
  glFogf(GL_FOG_START, 5.0f);
  glFogf(GL_FOG_END, 20.0f);
  glHint(GL_FOG_HINT, GL_FASTEST);
}

// The grid's fine smooth lines; the width stays set after the pass.
void FinalScene::setGridLineWidth() {
  glEnable(GL_LINE_SMOOTH);
  fx::setLineWidth(0.2f);
}

void FinalScene::advance(float t) const {
  if (!(a_ < t && t < b_)) return;
  setWindowFog();
  glDisable(GL_FOG);
  setGridLineWidth();
  glDisable(GL_LINE_SMOOTH);
}

void FinalScene::windowPass(float t) {
  const float w = static_cast<float>(width_);
  const float h = static_cast<float>(height_);
  fx::stencilWindow(-w / 2.0f, w / 2.0f, -0.4f * h, 0.4f * h, width_, height_);
  const fx::MaskedRect window = fx::stencilWindowInterior(-w / 2.0f, w / 2.0f, -0.4f * h, 0.4f * h, width_, height_);

  setWindowFog();
  glEnable(GL_FOG);

  // The rendered backdrop, far behind.
  glEnable(GL_DEPTH_TEST);
  glDisable(GL_BLEND);
  glColor3f(1.0f, 1.0f, 1.0f);
  glDisable(GL_CULL_FACE);
  glPushMatrix();
  glLoadIdentity();
  glTranslatef(0.0f, 0.0f, -8.0f);
  bindOnUnit0(resources::textureTable.backdropTexture);
  glScalef(8.0f, 8.0f, 8.0f);
  fx::drawVeilQuad();
  glPopMatrix();

  // The ring mesh, filled and then in fine lines.
  glDisable(GL_FOG);
  glDisable(GL_DEPTH_TEST);
  glDepthMask(GL_FALSE);
  glDisable(GL_TEXTURE_2D);
  glPushMatrix();
  glTranslatef(-15.0f, 0.0f, -70.0f);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glEnable(GL_BLEND);
  glColor4f(0.2f, 0.2f, 0.6f, 0.6f);
  grid_.setPolygonMode(GL_FILL);
  grid_.animate(t);
  grid_.draw();
  setGridLineWidth();
  grid_.setPolygonMode(GL_LINE);
  glColor4f(0.8f, 0.8f, 0.8f, 0.2f);
  grid_.draw();
  glDisable(GL_LINE_SMOOTH);
  glPopMatrix();
  glEnable(GL_TEXTURE_2D);

  // The sphere: opaque outside the window, half transparent inside it.
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_CULL_FACE);
  glDepthMask(GL_TRUE);
  glTranslatef(0.0f, 0.0f, -5.0f);
  glRotatef(15.0f * t, 0.0f, 1.0f, 0.0f);
  glRotatef(20.0f * t, 1.0f, 0.0f, 0.0f);
  glStencilFunc(GL_NOTEQUAL, 1, 1);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  sphere_->setPosition(1.1f * std::sin(t * kRadiansPerDegree), 1.1f * std::sin(t * kRadiansPerDegree),
                       2.0f * std::cos(15.0f * t * kRadiansPerDegree));
  sphere_->setPolygonMode(GL_FILL);
  sphere_->animate(3.0 * t, false);
  // Outside the window only: what would land inside it is masked.
  sphere_->draw(&window);
  glStencilFunc(GL_EQUAL, 1, 1);
  glColor4f(1.0f, 1.0f, 1.0f, 0.5f);
  sphere_->draw();
}

void FinalScene::outlinePass(float t) {
  glEnable(GL_CULL_FACE);
  glEnable(GL_DEPTH_TEST);
  glDisable(GL_BLEND);
  glStencilFunc(GL_ALWAYS, 1, 1);
  glStencilOp(GL_KEEP, GL_KEEP, GL_REPLACE);
  glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
  glEnable(GL_STENCIL_TEST);

  // The sphere marks itself in the stencil buffer...
  glTranslatef(0.0f, 0.0f, -4.25f);
  glRotatef(15.0f * t, 0.0f, 1.0f, 0.0f);
  glRotatef(20.0f * t, 1.0f, 0.0f, 0.0f);
  sphere_->setPosition(1.1f * std::sin(t * kRadiansPerDegree), 1.1f * std::sin(t * kRadiansPerDegree),
                       1.5f * std::cos(15.0f * t * kRadiansPerDegree));
  sphere_->setPolygonMode(GL_FILL);
  sphere_->animate(3.0 * t, true);
  sphere_->draw();

  // ...so that a slightly larger one shows only as its rim.
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glColor3f(0.9f, 0.5f, 0.5f);
  glPushMatrix();
  glScalef(1.1f, 1.1f, 1.1f);
  glStencilFunc(GL_NOTEQUAL, 1, 1);
  sphere_->draw();
  glPopMatrix();

  // And a smaller wire sphere inside.
  glDisable(GL_STENCIL_TEST);
  glScalef(0.8f, 0.8f, 0.8f);
  sphere_->setPolygonMode(GL_LINE);
  sphere_->draw();
}

void FinalScene::destroy() {
  if (sphere_) sphere_->destroy();
  if (largeSphere_) largeSphere_->destroy();
  resources::releaseTexture(second_);
  resources::releaseTexture(first_);
}

void drawFinalBackdrop(float s) {
  const auto& settings = platform::settings;
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glViewport(0, 0, settings.screenWidth, settings.screenHeight);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluLookAt(0.0, 0.0, 0.0, 0.0, 0.0, -10.0, 0.0, 1.0, 0.0);
  gluPerspective(160.0, settings.aspectRatio, 1.0, 700.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glViewport(0, 0, resources::textureTable.targetSize, resources::textureTable.targetSize);
  glDisable(GL_SCISSOR_TEST);
  bindOnUnit0(resources::tableTextureName(resources::kSpherePicture));
  glRotatef(s / 30.0f, 2.5f * std::cos(s / 60.0f), 2.5f * std::cos(s / 120.0f), 2.5f * std::sin(s / 120.0f));
  glRotatef(s / 10.0f, 0.0f, 0.0f, 1.0f);
  if (sceneObjects.stripSphere) fx::drawStripSphere(4.0f, 32);
  fx::copyToTexture(resources::textureTable.targetSize, resources::textureTable.backdropTexture);
  setWindowProjection(1.0, 700.0);
  glPopMatrix();
}

}  // namespace demo
