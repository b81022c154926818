// Texture objects, the copy of the frame into a texture, reading pixels back, bitmaps, and
// the frame the layer draws into.
//
// Texture names are the layer's own: a name becomes an object when it is first bound, as in
// OpenGL 1.1, and a unit whose texture is incomplete (no image, or a mipmap filter without
// the chain) draws as if texturing were off there, as OpenGL 1.1 does; WebGL would sample
// black instead.
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "gl/gl_layer.h"
#include "gl/gl_frame.h"
#include "gl/webgl.h"

namespace gl11 {

bool TextureObject::complete() const {
  if (!(levels & 1u) || width <= 0 || height <= 0) return false;
  const bool mipmapped = minFilter != GL_NEAREST && minFilter != GL_LINEAR;
  if (!mipmapped) return true;
  int w = width, h = height, level = 0;
  while (w > 1 || h > 1) {
    w = std::max(1, w / 2), h = std::max(1, h / 2), ++level;
    if (level >= 32 || !(levels & (1u << level))) return false;
  }
  return true;
}

TextureObject& textureObject(GLuint name) {
  Layer& l = layer();
  auto it = l.textures.find(name);
  if (it != l.textures.end()) return it->second;
  TextureObject& t = l.textures[name];
  emscripten_glGenTextures(1, &t.webgl);
  return t;
}

void bindForDraw(int unit, GLuint webglTexture) {
  Layer& l = layer();
  if (l.boundWebgl[unit] == webglTexture) return;
  if (l.webglActiveUnit != unit) {
    emscripten_glActiveTexture(kWebglTexture0 + static_cast<GLenum>(unit));
    l.webglActiveUnit = unit;
  }
  emscripten_glBindTexture(GL_TEXTURE_2D, webglTexture);
  l.boundWebgl[unit] = webglTexture;
}

bool unitEnabled(int unit) {
  const ServerState& s = layer().s;
  return s.enable.texture2d[unit] && textureObject(s.texture.binding[unit]).complete();
}

namespace {

// The texture bound to the active unit, bound in WebGL too for changing it.
TextureObject& activeTexture() {
  const ServerState& s = layer().s;
  const int unit = s.texture.activeUnit;
  TextureObject& t = textureObject(s.texture.binding[unit]);
  bindForDraw(unit, t.webgl);
  return t;
}

int components(GLenum format) {
  switch (format) {
    case GL_RGBA: return 4;
    case GL_RGB: return 3;
    case GL_LUMINANCE_ALPHA: return 2;
    case GL_LUMINANCE: case GL_ALPHA: case GL_RED: return 1;
    default: return 0;
  }
}

bool internalHasAlpha(GLint internal) {
  return internal == 4 || internal == GL_RGBA || internal == GL_RGBA8 || internal == 2 || internal == GL_LUMINANCE_ALPHA ||
         internal == GL_ALPHA;
}

// Client rows at the unpack alignment, made into tight RGB or RGBA rows for WebGL.
std::vector<std::uint8_t> unpack(GLsizei w, GLsizei h, GLenum format, const void* pixels, bool alpha) {
  const int n = components(format);
  const int out = alpha ? 4 : 3;
  std::vector<std::uint8_t> tight(static_cast<std::size_t>(w) * h * out, alpha ? 255 : 0);
  if (!pixels || n == 0) return tight;
  const int align = layer().client.unpackAlignment;
  const std::size_t stride = (static_cast<std::size_t>(w) * n + align - 1) / align * align;
  const auto* src = static_cast<const std::uint8_t*>(pixels);
  for (GLsizei y = 0; y < h; ++y)
    for (GLsizei x = 0; x < w; ++x) {
      const std::uint8_t* p = src + y * stride + static_cast<std::size_t>(x) * n;
      std::uint8_t* q = &tight[(static_cast<std::size_t>(y) * w + x) * out];
      switch (format) {
        case GL_RGBA: case GL_RGB:
          for (int i = 0; i < 3; ++i) q[i] = p[i];
          if (alpha) q[3] = n == 4 ? p[3] : 255;
          break;
        case GL_LUMINANCE_ALPHA:
          q[0] = q[1] = q[2] = p[0];
          if (alpha) q[3] = p[1];
          break;
        case GL_ALPHA:
          q[0] = q[1] = q[2] = 255;
          if (alpha) q[3] = p[0];
          break;
        default:
          q[0] = q[1] = q[2] = p[0];
          if (alpha) q[3] = 255;
      }
    }
  return tight;
}

GLenum webglWrap(GLint wrap) { return wrap == GL_CLAMP ? kWebglClampToEdge : static_cast<GLenum>(wrap); }

// A bitmap's set pixels in the current raster colour at the raster position; the position
// then moves by the advance.
struct RasterState {
  float position[2] = {0, 0};
  float colour[4] = {1, 1, 1, 1};
  GLuint texture = 0;
};
RasterState raster;

void drawBitmap(GLsizei w, GLsizei h, GLfloat xorig, GLfloat yorig, const std::vector<std::uint8_t>& rgba) {
  Layer& l = layer();
  if (!raster.texture) emscripten_glGenTextures(1, &raster.texture);
  bindForDraw(0, raster.texture);
  emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  emscripten_glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  emscripten_glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  // A window-space quad drawn with the raster colour on unit 0 alone, texture alpha deciding.
  const ServerState saved = l.s;
  const auto savedModelview = l.modelview.back(), savedProjection = l.projection.back();
  l.modelview.back() = Mat4{};
  Mat4 ortho;
  const GLint* vp = l.s.view.viewport;
  ortho.m[0] = 2.0f / static_cast<float>(vp[2]);
  ortho.m[5] = 2.0f / static_cast<float>(vp[3]);
  ortho.m[12] = -1.0f - 2.0f * static_cast<float>(vp[0]) / static_cast<float>(vp[2]);
  ortho.m[13] = -1.0f - 2.0f * static_cast<float>(vp[1]) / static_cast<float>(vp[3]);
  l.projection.back() = ortho;
  l.s.enable.lighting = l.s.enable.fog = false;
  l.s.enable.texture2d[1] = false;
  l.s.enable.alphaTest = true;
  l.s.colour.alphaFunc = GL_GREATER;
  l.s.colour.alphaRef = 0.5f;
  const float x0 = raster.position[0] - xorig, y0 = raster.position[1] - yorig;
  Vertex v[4] = {};
  const float corners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  for (int i = 0; i < 4; ++i) {
    v[i].pos[0] = x0 + corners[i][0] * static_cast<float>(w);
    v[i].pos[1] = y0 + corners[i][1] * static_cast<float>(h);
    v[i].pos[3] = 1;
    std::copy(raster.colour, raster.colour + 4, v[i].colour);
    v[i].tex[0][0] = corners[i][0], v[i].tex[0][1] = corners[i][1], v[i].tex[0][3] = 1;
  }
  // The unit samples the bitmap through a stand-in object of the layer's own.
  TextureObject& stand = l.textures[0xffffffffu];
  stand.webgl = raster.texture, stand.width = w, stand.height = h, stand.levels = 1, stand.hasAlpha = true;
  stand.minFilter = GL_NEAREST;
  l.s.enable.texture2d[0] = true;
  l.s.texture.binding[0] = 0xffffffffu;
  l.s.texture.env[0].mode = GL_REPLACE;
  l.s.polygon.modeFront = l.s.polygon.modeBack = GL_FILL;
  emscripten_glDisable(GL_CULL_FACE);
  drawVertices(GL_QUADS, v, 4);
  l.s = saved;
  l.modelview.back() = savedModelview;
  l.projection.back() = savedProjection;
  syncRasterState();
}

}  // namespace

void initFrame(int width, int height) {
  Layer& l = layer();
  l.width = width, l.height = height;
  if (!l.framebuffer) {
    emscripten_glGenFramebuffers(1, &l.framebuffer);
    emscripten_glGenRenderbuffers(1, &l.colourBuffer);
    emscripten_glGenRenderbuffers(1, &l.depthBuffer);
    emscripten_glGenBuffers(1, &l.streamBuffer);
    emscripten_glGenVertexArrays(1, &l.streamArray);
    setupVertexArray(l.streamArray, l.streamBuffer);
  }
  emscripten_glBindRenderbuffer(kWebglRenderbuffer, l.colourBuffer);
  emscripten_glRenderbufferStorage(kWebglRenderbuffer, kWebglRgba8, width, height);
  emscripten_glBindRenderbuffer(kWebglRenderbuffer, l.depthBuffer);
  emscripten_glRenderbufferStorage(kWebglRenderbuffer, kWebglDepth24Stencil8, width, height);
  emscripten_glBindFramebuffer(kWebglFramebuffer, l.framebuffer);
  emscripten_glFramebufferRenderbuffer(kWebglFramebuffer, kWebglColorAttachment0, kWebglRenderbuffer, l.colourBuffer);
  emscripten_glFramebufferRenderbuffer(kWebglFramebuffer, kWebglDepthStencilAttachment, kWebglRenderbuffer,
                                       l.depthBuffer);
  // Alpha starts at 1 and stays 1 (see applyColourMask): the frame is opaque, as a window
  // without alpha.
  emscripten_glDisable(GL_SCISSOR_TEST);
  emscripten_glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  emscripten_glClearColor(0, 0, 0, 1);
  emscripten_glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  GLint* vp = l.s.view.viewport;
  vp[0] = vp[1] = 0, vp[2] = width, vp[3] = height;
  GLint* box = l.s.view.scissor;
  box[0] = box[1] = 0, box[2] = width, box[3] = height;
  syncRasterState();
}

bool frameComplete() {
  return emscripten_glCheckFramebufferStatus(kWebglFramebuffer) == kWebglFramebufferComplete;
}

void presentFrame(int canvasWidth, int canvasHeight) {
  const Layer& l = layer();
  emscripten_glBindFramebuffer(kWebglDrawFramebuffer, 0);
  emscripten_glBindFramebuffer(kWebglReadFramebuffer, l.framebuffer);
  emscripten_glDisable(GL_SCISSOR_TEST);
  emscripten_glBlitFramebuffer(0, 0, l.width, l.height, 0, 0, canvasWidth, canvasHeight, GL_COLOR_BUFFER_BIT,
                               canvasWidth == l.width && canvasHeight == l.height ? GL_NEAREST : GL_LINEAR);
  emscripten_glBindFramebuffer(kWebglFramebuffer, l.framebuffer);
  if (l.s.enable.scissor) emscripten_glEnable(GL_SCISSOR_TEST);
}

}  // namespace gl11

using namespace gl11;

extern "C" {

void glGenTextures(GLsizei n, GLuint* names) {
  for (GLsizei i = 0; i < n; ++i) names[i] = layer().nextTexture++;
}

GLboolean glIsTexture(GLuint name) { return name != 0 && layer().textures.count(name) != 0; }

void glDeleteTextures(GLsizei n, const GLuint* names) {
  Layer& l = layer();
  for (GLsizei i = 0; i < n; ++i) {
    const GLuint name = names[i];
    auto it = l.textures.find(name);
    if (name == 0 || it == l.textures.end()) continue;
    for (int u = 0; u < kUnits; ++u) {
      if (l.boundWebgl[u] == it->second.webgl) l.boundWebgl[u] = 0;
      if (l.s.texture.binding[u] == name) l.s.texture.binding[u] = 0;
    }
    emscripten_glDeleteTextures(1, &it->second.webgl);
    l.textures.erase(it);
  }
}

void glBindTexture(GLenum target, GLuint name) {
  if (recording()) {
    record([target, name] { glBindTexture(target, name); });
    return;
  }
  if (target != GL_TEXTURE_2D) return;
  textureObject(name);
  layer().s.texture.binding[layer().s.texture.activeUnit] = name;
}

void glTexParameteri(GLenum target, GLenum pname, GLint param) {
  if (recording()) {
    record([=] { glTexParameteri(target, pname, param); });
    return;
  }
  if (target != GL_TEXTURE_2D) return;
  TextureObject& t = activeTexture();
  switch (pname) {
    case GL_TEXTURE_MIN_FILTER: t.minFilter = static_cast<GLenum>(param); break;
    case GL_TEXTURE_MAG_FILTER: t.magFilter = static_cast<GLenum>(param); break;
    case GL_TEXTURE_WRAP_S: t.wrapS = static_cast<GLenum>(param); param = static_cast<GLint>(webglWrap(param)); break;
    case GL_TEXTURE_WRAP_T: t.wrapT = static_cast<GLenum>(param); param = static_cast<GLint>(webglWrap(param)); break;
    default: return;
  }
  emscripten_glTexParameteri(GL_TEXTURE_2D, pname, param);
}

void glTexParameterf(GLenum target, GLenum pname, GLfloat param) {
  glTexParameteri(target, pname, static_cast<GLint>(param));
}

void glTexImage2D(GLenum target, GLint level, GLint internal, GLsizei w, GLsizei h, GLint border, GLenum format,
                  GLenum type, const void* pixels) {
  if (target != GL_TEXTURE_2D || level < 0 || level >= 32 || w < 0 || h < 0 || border != 0 ||
      type != GL_UNSIGNED_BYTE || components(format) == 0)
    return;
  TextureObject& t = activeTexture();
  const bool alpha = internalHasAlpha(internal);
  const std::vector<std::uint8_t> tight = unpack(w, h, format, pixels, alpha);
  emscripten_glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  emscripten_glTexImage2D(GL_TEXTURE_2D, level, static_cast<GLint>(alpha ? kWebglRgba8 : kWebglRgb8), w, h, 0,
                          alpha ? GL_RGBA : GL_RGB, GL_UNSIGNED_BYTE, tight.data());
  if (level == 0) {
    t.width = w, t.height = h, t.hasAlpha = alpha;
    t.levels = (w > 0 && h > 0) ? 1u : 0u;
  } else if (std::max(1, t.width >> level) == w && std::max(1, t.height >> level) == h) {
    t.levels |= 1u << level;
  }
}

void glCopyTexSubImage2D(GLenum target, GLint level, GLint xoffset, GLint yoffset, GLint x, GLint y, GLsizei w,
                         GLsizei h) {
  if (recording()) {
    record([=] { glCopyTexSubImage2D(target, level, xoffset, yoffset, x, y, w, h); });
    return;
  }
  if (target != GL_TEXTURE_2D) return;
  TextureObject& t = activeTexture();
  if (!(t.levels & (1u << level)) || xoffset < 0 || yoffset < 0 || xoffset + w > (t.width >> level) ||
      yoffset + h > (t.height >> level))
    return;
  emscripten_glCopyTexSubImage2D(GL_TEXTURE_2D, level, xoffset, yoffset, x, y, w, h);
}

void glReadPixels(GLint x, GLint y, GLsizei w, GLsizei h, GLenum format, GLenum type, void* pixels) {
  const int n = components(format);
  if (w <= 0 || h <= 0 || !pixels || type != GL_UNSIGNED_BYTE || (n != 3 && n != 4)) return;
  std::vector<std::uint8_t> rgba(static_cast<std::size_t>(w) * h * 4);
  emscripten_glPixelStorei(GL_PACK_ALIGNMENT, 4);
  emscripten_glReadPixels(x, y, w, h, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  const int align = layer().client.packAlignment;
  const std::size_t stride = (static_cast<std::size_t>(w) * n + align - 1) / align * align;
  auto* out = static_cast<std::uint8_t*>(pixels);
  for (GLsizei row = 0; row < h; ++row)
    for (GLsizei col = 0; col < w; ++col)
      std::memcpy(out + row * stride + static_cast<std::size_t>(col) * n, &rgba[(static_cast<std::size_t>(row) * w + col) * 4],
                  static_cast<std::size_t>(n));
}

void glRasterPos2f(GLfloat x, GLfloat y) {
  if (recording()) {
    record([=] { glRasterPos2f(x, y); });
    return;
  }
  const Layer& l = layer();
  const auto clip = transform(multiply(l.projection.back(), l.modelview.back()), {x, y, 0, 1});
  if (clip[3] == 0) return;
  const GLint* vp = l.s.view.viewport;
  raster.position[0] = vp[0] + (clip[0] / clip[3] + 1) * 0.5f * vp[2];
  raster.position[1] = vp[1] + (clip[1] / clip[3] + 1) * 0.5f * vp[3];
  std::copy(l.s.current.colour, l.s.current.colour + 4, raster.colour);
}

void glBitmap(GLsizei w, GLsizei h, GLfloat xorig, GLfloat yorig, GLfloat xmove, GLfloat ymove, const GLubyte* bits) {
  if (w < 0 || h < 0) return;
  // Rows of bits at the unpack alignment, first bit leftmost; kept as RGBA with alpha for set bits.
  const int align = layer().client.unpackAlignment;
  const std::size_t stride = (static_cast<std::size_t>(w) + 7) / 8;
  const std::size_t rowBytes = (stride + align - 1) / align * align;
  std::vector<std::uint8_t> rgba(static_cast<std::size_t>(w) * h * 4, 255);
  for (GLsizei y = 0; y < h; ++y)
    for (GLsizei x = 0; x < w; ++x) {
      const bool set = bits && (bits[y * rowBytes + x / 8] >> (7 - x % 8)) & 1;
      rgba[(static_cast<std::size_t>(y) * w + x) * 4 + 3] = set ? 255 : 0;
    }
  auto run = [=] {
    if (w > 0 && h > 0) drawBitmap(w, h, xorig, yorig, rgba);
    raster.position[0] += xmove;
    raster.position[1] += ymove;
  };
  if (recording()) record(run);
  else run();
}

}  // extern "C"
