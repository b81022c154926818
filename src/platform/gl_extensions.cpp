#include "platform/gl_extensions.h"

#include <SDL.h>

#include <cstring>

namespace platform {

GlExtensions glext;

namespace {

// GLX hands out a pointer for any name, so an entry point only counts when its extension is
// in the context's list as well.
bool hasExtension(const char* name) {
  const char* list = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
  if (!list) return false;
  const size_t length = std::strlen(name);
  for (const char* p = std::strstr(list, name); p; p = std::strstr(p + 1, name)) {
    const bool startOk = p == list || p[-1] == ' ';
    const bool endOk = p[length] == ' ' || p[length] == '\0';
    if (startOk && endOk) return true;
  }
  return false;
}

template <typename Fn>
bool fetch(Fn& slot, const char* name, const char* extension) {
  slot = nullptr;
  if (!hasExtension(extension)) return false;
  slot = reinterpret_cast<Fn>(SDL_GL_GetProcAddress(name));
  return slot != nullptr;
}

}  // namespace

const char* loadGlExtensions() {
  const char* missing = nullptr;
  if (!fetch(glext.activeTexture, "glActiveTextureARB", "GL_ARB_multitexture") && !missing)
    missing = "glActiveTextureARB";
  if (!fetch(glext.clientActiveTexture, "glClientActiveTextureARB", "GL_ARB_multitexture") && !missing)
    missing = "glClientActiveTextureARB";
  if (!fetch(glext.multiTexCoord2f, "glMultiTexCoord2fARB", "GL_ARB_multitexture") && !missing)
    missing = "glMultiTexCoord2fARB";
  if (!fetch(glext.fogCoordf, "glFogCoordfEXT", "GL_EXT_fog_coord") && !missing)
    missing = "glFogCoordfEXT";
  return missing;
}

}  // namespace platform
