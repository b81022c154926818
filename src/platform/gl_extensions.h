// The four OpenGL extension entry points the drawing code calls: multitexture (units and
// texture coordinates) and the fog coordinate. Fetched once when the window opens.
#pragma once

#include <GL/gl.h>
#include <GL/glu.h>

namespace platform {

struct GlExtensions {
  void (*activeTexture)(GLenum texture) = nullptr;        // glActiveTextureARB
  void (*clientActiveTexture)(GLenum texture) = nullptr;  // glClientActiveTextureARB
  void (*multiTexCoord2f)(GLenum target, GLfloat s, GLfloat t) = nullptr;  // glMultiTexCoord2fARB
  void (*fogCoordf)(GLfloat coord) = nullptr;             // glFogCoordfEXT
};
extern GlExtensions glext;

// Fetches the entry points from the current context. Returns the name of the first one the
// driver lacks, or nullptr when all four are there.
const char* loadGlExtensions();

// The one quadric the drawing code shares: smooth normals, texture coordinates on.
void createSharedQuadric();
GLUquadric* sharedQuadric();
void releaseSharedQuadric();

}  // namespace platform
