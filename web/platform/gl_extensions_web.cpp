// In a browser the extension entry points are the OpenGL layer's own, always there.
#include "platform/gl_extensions.h"

#include <GL/glext.h>

namespace platform {

GlExtensions glext;

const char* loadGlExtensions() {
  glext.activeTexture = glActiveTextureARB;
  glext.clientActiveTexture = glClientActiveTextureARB;
  glext.multiTexCoord2f = glMultiTexCoord2fARB;
  glext.fogCoordf = glFogCoordfEXT;
  return nullptr;
}

}  // namespace platform
