// The one quadric the drawing code shares, made when the show loads.
#include <memory>

#include "platform/gl_extensions.h"

namespace platform {

namespace {
struct QuadricDeleter {
  void operator()(GLUquadric* q) const { gluDeleteQuadric(q); }
};
std::unique_ptr<GLUquadric, QuadricDeleter> quadric;
}  // namespace

void createSharedQuadric() {
  quadric.reset(gluNewQuadric());
  if (!quadric) return;
  gluQuadricNormals(quadric.get(), GLU_SMOOTH);
  gluQuadricTexture(quadric.get(), GL_TRUE);
}

GLUquadric* sharedQuadric() { return quadric.get(); }

void releaseSharedQuadric() { quadric.reset(); }

}  // namespace platform
