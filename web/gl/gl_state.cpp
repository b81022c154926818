// The fixed-function state: enables, blending, depth, stencil, fog, lights, texture
// environments, matrices, the attribute stacks and the queries. Raster state that WebGL keeps
// itself goes through at once; the rest waits for the next draw's program.
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "gl/gl_layer.h"
#include "gl/webgl.h"

namespace gl11 {

Layer& layer() {
  static Layer instance;
  return instance;
}

bool recording() { return layer().compiling != 0; }
void record(ListCommand command) { layer().compiled.commands.push_back(std::move(command)); }

Mat4 multiply(const Mat4& a, const Mat4& b) {
  Mat4 r;
  for (int c = 0; c < 4; ++c)
    for (int row = 0; row < 4; ++row) {
      float sum = 0;
      for (int k = 0; k < 4; ++k) sum += a.m[k * 4 + row] * b.m[c * 4 + k];
      r.m[c * 4 + row] = sum;
    }
  return r;
}

std::array<float, 4> transform(const Mat4& m, const std::array<float, 4>& v) {
  std::array<float, 4> r{};
  for (int row = 0; row < 4; ++row)
    r[row] = m.m[row] * v[0] + m.m[4 + row] * v[1] + m.m[8 + row] * v[2] + m.m[12 + row] * v[3];
  return r;
}

namespace {

// Keeps a value of the state and hands it to WebGL, which keeps its own copy.
template <typename T, typename Apply>
void keep(T& field, T value, Apply apply) {
  field = value;
  apply(value);
}

void setError(GLenum e) {
  if (layer().error == GL_NO_ERROR) layer().error = e;
}

std::vector<Mat4>& stack(GLenum mode) {
  Layer& l = layer();
  if (mode == GL_PROJECTION) return l.projection;
  if (mode == GL_TEXTURE) return l.texMatrix[l.s.texture.activeUnit];
  return l.modelview;
}

std::size_t stackDepth(GLenum mode) { return mode == GL_MODELVIEW ? 32 : mode == GL_PROJECTION ? 4 : 10; }

void multiplyCurrent(const Mat4& m) {
  Mat4& top = topMatrix(layer().s.matrixMode);
  top = multiply(top, m);
}

Mat4 fromFloats(const GLfloat* m) {
  Mat4 r;
  std::copy(m, m + 16, r.m.begin());
  return r;
}

Mat4 fromDoubles(const GLdouble* m) {
  Mat4 r;
  for (int i = 0; i < 16; ++i) r.m[i] = static_cast<float>(m[i]);
  return r;
}

// The capabilities WebGL keeps, told only when they change: the show switches them often.
void applyCapability(GLenum cap, bool on, bool always = false) {
  switch (cap) {
    case GL_BLEND: case GL_DEPTH_TEST: case GL_CULL_FACE: case GL_SCISSOR_TEST: case GL_STENCIL_TEST:
    case GL_DITHER: {
      auto [it, added] = layer().webglCapabilities.emplace(cap, on);
      if (!added && !always && it->second == on) return;
      it->second = on;
      (on ? emscripten_glEnable : emscripten_glDisable)(cap);
      break;
    }
    default: break;
  }
}

bool* capability(GLenum cap) {
  EnableGroup& e = layer().s.enable;
  if (cap >= GL_LIGHT0 && cap < GL_LIGHT0 + kLights) return &e.light[cap - GL_LIGHT0];
  switch (cap) {
    case GL_TEXTURE_2D: return &e.texture2d[layer().s.texture.activeUnit];
    case GL_BLEND: return &e.blend;
    case GL_DEPTH_TEST: return &e.depthTest;
    case GL_CULL_FACE: return &e.cullFace;
    case GL_FOG: return &e.fog;
    case GL_LIGHTING: return &e.lighting;
    case GL_SCISSOR_TEST: return &e.scissor;
    case GL_STENCIL_TEST: return &e.stencil;
    case GL_ALPHA_TEST: return &e.alphaTest;
    case GL_LINE_SMOOTH: return &e.lineSmooth;
    case GL_NORMALIZE: return &e.normalize;
    case GL_COLOR_MATERIAL: return &e.colourMaterial;
    case GL_DITHER: return &e.dither;
    default: return nullptr;
  }
}

void setCapability(GLenum cap, bool on) {
  if (bool* flag = capability(cap)) {
    *flag = on;
    applyCapability(cap, on);
  } else if (cap != GL_TEXTURE_1D && cap != GL_POLYGON_SMOOTH && cap != GL_POINT_SMOOTH) {
    setError(GL_INVALID_ENUM);
  }
}

void copyColour(float* to, const GLfloat* from) { std::copy(from, from + 4, to); }

TexEnv& activeEnv() { return layer().s.texture.env[layer().s.texture.activeUnit]; }

void setTexEnv(GLenum pname, GLfloat value) {
  TexEnv& env = activeEnv();
  const auto e = static_cast<GLenum>(value);
  switch (pname) {
    case GL_TEXTURE_ENV_MODE: env.mode = e; return;
    case GL_COMBINE_RGB: env.combineRgb = e; return;
    case GL_COMBINE_ALPHA: env.combineAlpha = e; return;
    case GL_RGB_SCALE: env.rgbScale = value; return;
    case GL_ALPHA_SCALE: env.alphaScale = value; return;
    default: break;
  }
  if (pname >= GL_SOURCE0_RGB && pname <= GL_SOURCE2_RGB) env.sourceRgb[pname - GL_SOURCE0_RGB] = e;
  else if (pname >= GL_SOURCE0_ALPHA && pname <= GL_SOURCE2_ALPHA) env.sourceAlpha[pname - GL_SOURCE0_ALPHA] = e;
  else if (pname >= GL_OPERAND0_RGB && pname <= GL_OPERAND2_RGB) env.operandRgb[pname - GL_OPERAND0_RGB] = e;
  else if (pname >= GL_OPERAND0_ALPHA && pname <= GL_OPERAND2_ALPHA) env.operandAlpha[pname - GL_OPERAND0_ALPHA] = e;
  else setError(GL_INVALID_ENUM);
}

void setFog(GLenum pname, const GLfloat* v) {
  FogGroup& f = layer().s.fog;
  switch (pname) {
    case GL_FOG_MODE: f.mode = static_cast<GLenum>(v[0]); break;
    case GL_FOG_DENSITY: f.density = v[0]; break;
    case GL_FOG_START: f.start = v[0]; break;
    case GL_FOG_END: f.end = v[0]; break;
    case GL_FOG_COLOR: for (int i = 0; i < 4; ++i) f.colour[i] = std::clamp(v[i], 0.0f, 1.0f); break;
    case GL_FOG_COORDINATE_SOURCE_EXT: f.source = static_cast<GLenum>(v[0]); break;
    case GL_FOG_INDEX: break;
    default: setError(GL_INVALID_ENUM);
  }
}

void setLight(GLenum id, GLenum pname, const GLfloat* v) {
  if (id < GL_LIGHT0 || id >= GL_LIGHT0 + kLights) return setError(GL_INVALID_ENUM);
  Light& light = layer().s.lighting.light[id - GL_LIGHT0];
  switch (pname) {
    case GL_AMBIENT: copyColour(light.ambient, v); break;
    case GL_DIFFUSE: copyColour(light.diffuse, v); break;
    case GL_SPECULAR: copyColour(light.specular, v); break;
    case GL_POSITION: {
      // Placed by the modelview matrix of the moment; a point light's place is the point.
      auto eye = transform(layer().modelview.back(), {v[0], v[1], v[2], v[3]});
      if (eye[3] != 0.0f) {
        for (int i = 0; i < 3; ++i) eye[i] /= eye[3];
        eye[3] = 1.0f;
      }
      std::copy(eye.begin(), eye.end(), light.position);
      break;
    }
    case GL_CONSTANT_ATTENUATION: light.attenuation[0] = v[0]; break;
    case GL_LINEAR_ATTENUATION: light.attenuation[1] = v[0]; break;
    case GL_QUADRATIC_ATTENUATION: light.attenuation[2] = v[0]; break;
    default: break;  // spot lights: never asked for
  }
}

// The frame has no alpha to keep (as a window without alpha bits): it stays 1. Blending
// leaves the frame's alpha as it is; drawing without blending writes 1 (the programs give
// it), and clears clear to 1. So where red, green and blue are all written the alpha channel
// is written too, and the renderer stores whole pixels instead of merging each into the one
// below it.
void applyBlendFunc(GLenum src, GLenum dst) { emscripten_glBlendFuncSeparate(src, dst, GL_ZERO, GL_ONE); }

void applyColourMask(const bool* m) {
  emscripten_glColorMask(m[0], m[1], m[2], m[0] && m[1] && m[2]);
}

void applyClearColour(const float* c) { emscripten_glClearColor(c[0], c[1], c[2], 1.0f); }

}  // namespace

Mat4& topMatrix(GLenum mode) { return stack(mode).back(); }

void syncRasterState() {
  const ServerState& s = layer().s;
  for (GLenum cap : {GL_BLEND, GL_DEPTH_TEST, GL_CULL_FACE, GL_SCISSOR_TEST, GL_STENCIL_TEST, GL_DITHER})
    applyCapability(cap, *capability(cap), true);
  applyBlendFunc(s.colour.blendSrc, s.colour.blendDst);
  applyColourMask(s.colour.mask);
  applyClearColour(s.colour.clear);
  emscripten_glDepthFunc(s.depth.func);
  emscripten_glDepthMask(s.depth.mask);
  emscripten_glClearDepthf(s.depth.clear);
  emscripten_glCullFace(s.polygon.cullMode);
  emscripten_glFrontFace(s.polygon.frontFace);
  emscripten_glStencilFunc(s.stencil.func, s.stencil.ref, s.stencil.mask);
  emscripten_glStencilOp(s.stencil.fail, s.stencil.depthFail, s.stencil.pass);
  emscripten_glStencilMask(s.stencil.writeMask);
  emscripten_glClearStencil(s.stencil.clear);
  const GLint* v = s.view.viewport;
  emscripten_glViewport(v[0], v[1], v[2], v[3]);
  const GLint* b = s.view.scissor;
  emscripten_glScissor(b[0], b[1], b[2], b[3]);
}

}  // namespace gl11

using namespace gl11;

#define GL_LISTED(call)                        \
  do {                                         \
    if (recording()) {                         \
      record([=] { call; });                   \
      return;                                  \
    }                                          \
  } while (0)

extern "C" {

void glEnable(GLenum cap) {
  GL_LISTED(glEnable(cap));
  setCapability(cap, true);
}

void glDisable(GLenum cap) {
  GL_LISTED(glDisable(cap));
  setCapability(cap, false);
}

GLboolean glIsEnabled(GLenum cap) {
  const ClientState& c = layer().client;
  switch (cap) {
    case GL_VERTEX_ARRAY: return c.vertex.enabled;
    case GL_NORMAL_ARRAY: return c.normal.enabled;
    case GL_COLOR_ARRAY: return c.colour.enabled;
    case GL_TEXTURE_COORD_ARRAY: return c.tex[c.clientActiveUnit].enabled;
    default: break;
  }
  const bool* flag = capability(cap);
  return flag && *flag;
}

void glBlendFunc(GLenum src, GLenum dst) {
  GL_LISTED(glBlendFunc(src, dst));
  layer().s.colour.blendSrc = src;
  layer().s.colour.blendDst = dst;
  applyBlendFunc(src, dst);
}

void glAlphaFunc(GLenum func, GLclampf ref) {
  GL_LISTED(glAlphaFunc(func, ref));
  layer().s.colour.alphaFunc = func;
  layer().s.colour.alphaRef = std::clamp(ref, 0.0f, 1.0f);
}

void glDepthFunc(GLenum func) {
  GL_LISTED(glDepthFunc(func));
  keep(layer().s.depth.func, func, emscripten_glDepthFunc);
}

void glDepthMask(GLboolean flag) {
  GL_LISTED(glDepthMask(flag));
  keep(layer().s.depth.mask, flag != GL_FALSE, [flag](bool) { emscripten_glDepthMask(flag); });
}

void glColorMask(GLboolean r, GLboolean g, GLboolean b, GLboolean a) {
  GL_LISTED(glColorMask(r, g, b, a));
  bool* m = layer().s.colour.mask;
  m[0] = r, m[1] = g, m[2] = b, m[3] = a;
  applyColourMask(m);
}

void glCullFace(GLenum mode) {
  GL_LISTED(glCullFace(mode));
  keep(layer().s.polygon.cullMode, mode, emscripten_glCullFace);
}

void glFrontFace(GLenum mode) {
  GL_LISTED(glFrontFace(mode));
  keep(layer().s.polygon.frontFace, mode, emscripten_glFrontFace);
}

void glPolygonMode(GLenum face, GLenum mode) {
  GL_LISTED(glPolygonMode(face, mode));
  PolygonGroup& p = layer().s.polygon;
  if (face == GL_FRONT || face == GL_FRONT_AND_BACK) p.modeFront = mode;
  if (face == GL_BACK || face == GL_FRONT_AND_BACK) p.modeBack = mode;
}

void glLineWidth(GLfloat width) {
  GL_LISTED(glLineWidth(width));
  if (width <= 0) return setError(GL_INVALID_VALUE);
  layer().s.lineWidth = width;
}

void glShadeModel(GLenum mode) {
  GL_LISTED(glShadeModel(mode));
  layer().s.lighting.shadeModel = mode;
}

// Hints ask for quality WebGL gives anyway: perspective-correct interpolation and fog per
// fragment.
void glHint(GLenum, GLenum) {}

void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
  GL_LISTED(glClearColor(r, g, b, a));
  float* c = layer().s.colour.clear;
  c[0] = std::clamp(r, 0.0f, 1.0f), c[1] = std::clamp(g, 0.0f, 1.0f), c[2] = std::clamp(b, 0.0f, 1.0f);
  c[3] = std::clamp(a, 0.0f, 1.0f);
  applyClearColour(c);
}

void glClearDepth(GLclampd depth) {
  GL_LISTED(glClearDepth(depth));
  layer().s.depth.clear = static_cast<float>(std::clamp(depth, 0.0, 1.0));
  emscripten_glClearDepthf(layer().s.depth.clear);
}

void glClearStencil(GLint s) {
  GL_LISTED(glClearStencil(s));
  keep(layer().s.stencil.clear, s, emscripten_glClearStencil);
}

void glClear(GLbitfield mask) {
  GL_LISTED(glClear(mask));
  emscripten_glClear(mask & (GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT));
}

void glViewport(GLint x, GLint y, GLsizei w, GLsizei h) {
  GL_LISTED(glViewport(x, y, w, h));
  if (w < 0 || h < 0) return setError(GL_INVALID_VALUE);
  GLint* v = layer().s.view.viewport;
  v[0] = x, v[1] = y, v[2] = w, v[3] = h;
  emscripten_glViewport(x, y, w, h);
}

void glScissor(GLint x, GLint y, GLsizei w, GLsizei h) {
  GL_LISTED(glScissor(x, y, w, h));
  if (w < 0 || h < 0) return setError(GL_INVALID_VALUE);
  GLint* b = layer().s.view.scissor;
  b[0] = x, b[1] = y, b[2] = w, b[3] = h;
  emscripten_glScissor(x, y, w, h);
}

void glStencilFunc(GLenum func, GLint ref, GLuint mask) {
  GL_LISTED(glStencilFunc(func, ref, mask));
  StencilGroup& s = layer().s.stencil;
  s.func = func, s.ref = ref, s.mask = mask;
  emscripten_glStencilFunc(func, ref, mask);
}

void glStencilOp(GLenum fail, GLenum depthFail, GLenum pass) {
  GL_LISTED(glStencilOp(fail, depthFail, pass));
  StencilGroup& s = layer().s.stencil;
  s.fail = fail, s.depthFail = depthFail, s.pass = pass;
  emscripten_glStencilOp(fail, depthFail, pass);
}

void glStencilMask(GLuint mask) {
  GL_LISTED(glStencilMask(mask));
  keep(layer().s.stencil.writeMask, mask, emscripten_glStencilMask);
}

void glFogf(GLenum pname, GLfloat param) {
  GL_LISTED(glFogf(pname, param));
  const GLfloat v[4] = {param, 0, 0, 0};
  setFog(pname, v);
}

void glFogi(GLenum pname, GLint param) { glFogf(pname, static_cast<GLfloat>(param)); }

void glFogfv(GLenum pname, const GLfloat* params) {
  const std::array<GLfloat, 4> v{params[0], pname == GL_FOG_COLOR ? params[1] : 0,
                                 pname == GL_FOG_COLOR ? params[2] : 0, pname == GL_FOG_COLOR ? params[3] : 0};
  GL_LISTED(glFogfv(pname, v.data()));
  setFog(pname, v.data());
}

void glFogiv(GLenum pname, const GLint* params) {
  const GLfloat v[4] = {static_cast<GLfloat>(params[0]), 0, 0, 0};
  glFogfv(pname, v);
}

void glLightfv(GLenum id, GLenum pname, const GLfloat* params) {
  const bool vector = pname == GL_AMBIENT || pname == GL_DIFFUSE || pname == GL_SPECULAR || pname == GL_POSITION;
  const std::array<GLfloat, 4> v{params[0], vector ? params[1] : 0, vector ? params[2] : 0, vector ? params[3] : 0};
  GL_LISTED(glLightfv(id, pname, v.data()));
  setLight(id, pname, v.data());
}

void glLightf(GLenum id, GLenum pname, GLfloat param) { glLightfv(id, pname, &param); }

void glLightModelfv(GLenum pname, const GLfloat* params) {
  if (pname != GL_LIGHT_MODEL_AMBIENT) return;  // one-sided, infinite viewer: the defaults
  const std::array<GLfloat, 4> v{params[0], params[1], params[2], params[3]};
  GL_LISTED(glLightModelfv(pname, v.data()));
  copyColour(layer().s.lighting.modelAmbient, v.data());
}

void glMaterialfv(GLenum face, GLenum pname, const GLfloat* params) {
  const std::array<GLfloat, 4> v{params[0], params[1], params[2], params[3]};
  GL_LISTED(glMaterialfv(face, pname, v.data()));
  LightingGroup& l = layer().s.lighting;
  if (face == GL_BACK) return;  // two-sided lighting is never on: back materials go unused
  if (pname == GL_AMBIENT || pname == GL_AMBIENT_AND_DIFFUSE) copyColour(l.materialAmbient, v.data());
  if (pname == GL_DIFFUSE || pname == GL_AMBIENT_AND_DIFFUSE) copyColour(l.materialDiffuse, v.data());
  if (pname == GL_EMISSION) copyColour(l.materialEmission, v.data());
}

void glTexEnvf(GLenum target, GLenum pname, GLfloat param) {
  GL_LISTED(glTexEnvf(target, pname, param));
  if (target == GL_TEXTURE_ENV) setTexEnv(pname, param);
}

void glTexEnvi(GLenum target, GLenum pname, GLint param) { glTexEnvf(target, pname, static_cast<GLfloat>(param)); }

void glTexEnvfv(GLenum target, GLenum pname, const GLfloat* params) {
  if (pname != GL_TEXTURE_ENV_COLOR) return glTexEnvf(target, pname, params[0]);
  const std::array<GLfloat, 4> v{params[0], params[1], params[2], params[3]};
  GL_LISTED(glTexEnvfv(target, pname, v.data()));
  for (int i = 0; i < 4; ++i) activeEnv().colour[i] = std::clamp(v[i], 0.0f, 1.0f);
}

void glActiveTextureARB(GLenum unit) {
  GL_LISTED(glActiveTextureARB(unit));
  const int index = static_cast<int>(unit) - static_cast<int>(GL_TEXTURE0_ARB);
  if (index < 0 || index >= kUnits) return setError(GL_INVALID_ENUM);
  layer().s.texture.activeUnit = index;
}

void glActiveTexture(GLenum unit) { glActiveTextureARB(unit); }

void glClientActiveTextureARB(GLenum unit) {
  const int index = static_cast<int>(unit) - static_cast<int>(GL_TEXTURE0_ARB);
  if (index < 0 || index >= kUnits) return setError(GL_INVALID_ENUM);
  layer().client.clientActiveUnit = index;
}

void glClientActiveTexture(GLenum unit) { glClientActiveTextureARB(unit); }

// ---- Matrices ------------------------------------------------------------------------------

void glMatrixMode(GLenum mode) {
  GL_LISTED(glMatrixMode(mode));
  if (mode != GL_MODELVIEW && mode != GL_PROJECTION && mode != GL_TEXTURE) return setError(GL_INVALID_ENUM);
  layer().s.matrixMode = mode;
}

void glLoadIdentity() {
  GL_LISTED(glLoadIdentity());
  topMatrix(layer().s.matrixMode) = Mat4{};
}

void glLoadMatrixf(const GLfloat* m) {
  const Mat4 matrix = fromFloats(m);
  GL_LISTED(topMatrix(layer().s.matrixMode) = matrix);
  topMatrix(layer().s.matrixMode) = matrix;
}

void glMultMatrixf(const GLfloat* m) {
  const Mat4 matrix = fromFloats(m);
  GL_LISTED(multiplyCurrent(matrix));
  multiplyCurrent(matrix);
}

void glMultMatrixd(const GLdouble* m) {
  const Mat4 matrix = fromDoubles(m);
  GL_LISTED(multiplyCurrent(matrix));
  multiplyCurrent(matrix);
}

void glPushMatrix() {
  GL_LISTED(glPushMatrix());
  auto& s = stack(layer().s.matrixMode);
  if (s.size() >= stackDepth(layer().s.matrixMode)) return setError(GL_STACK_OVERFLOW);
  s.push_back(s.back());
}

void glPopMatrix() {
  GL_LISTED(glPopMatrix());
  auto& s = stack(layer().s.matrixMode);
  if (s.size() <= 1) return setError(GL_STACK_UNDERFLOW);
  s.pop_back();
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
  GL_LISTED(glTranslatef(x, y, z));
  multiplyCurrent(fromFloats(std::array<GLfloat, 16>{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1}.data()));
}

// The double forms work in single precision, as the matrices are kept.
void glTranslated(GLdouble x, GLdouble y, GLdouble z) {
  glTranslatef(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
}
void glScalef(GLfloat x, GLfloat y, GLfloat z) {
  GL_LISTED(glScalef(x, y, z));
  multiplyCurrent(fromFloats(std::array<GLfloat, 16>{x, 0, 0, 0, 0, y, 0, 0, 0, 0, z, 0, 0, 0, 0, 1}.data()));
}

void glScaled(GLdouble x, GLdouble y, GLdouble z) {
  glScalef(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
}

void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
  GL_LISTED(glRotatef(angle, x, y, z));
  const float length = std::sqrt(x * x + y * y + z * z);
  if (length == 0.0f) return;
  x /= length, y /= length, z /= length;
  const float radians = angle * 3.14159265358979323846f / 180.0f;
  const float c = std::cos(radians), s = std::sin(radians), k = 1.0f - c;
  Mat4 r;
  r.m = {x * x * k + c,     y * x * k + z * s, x * z * k - y * s, 0,
         x * y * k - z * s, y * y * k + c,     y * z * k + x * s, 0,
         x * z * k + y * s, y * z * k - x * s, z * z * k + c,     0,
         0,                 0,                 0,                 1};
  multiplyCurrent(r);
}

void glRotated(GLdouble angle, GLdouble x, GLdouble y, GLdouble z) {
  glRotatef(static_cast<float>(angle), static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
}

void glOrtho(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
  GL_LISTED(glOrtho(l, r, b, t, n, f));
  if (l == r || b == t || n == f) return setError(GL_INVALID_VALUE);
  const GLdouble m[16] = {2 / (r - l), 0, 0, 0, 0, 2 / (t - b), 0, 0, 0, 0, -2 / (f - n), 0,
                          -(r + l) / (r - l), -(t + b) / (t - b), -(f + n) / (f - n), 1};
  multiplyCurrent(fromDoubles(m));
}

void glFrustum(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
  GL_LISTED(glFrustum(l, r, b, t, n, f));
  if (n <= 0 || f <= 0 || l == r || b == t || n == f) return setError(GL_INVALID_VALUE);
  const GLdouble m[16] = {2 * n / (r - l), 0, 0, 0, 0, 2 * n / (t - b), 0, 0, (r + l) / (r - l), (t + b) / (t - b),
                          -(f + n) / (f - n), -1, 0, 0, -2 * f * n / (f - n), 0};
  multiplyCurrent(fromDoubles(m));
}

// ---- Attribute stacks ----------------------------------------------------------------------

void glPushAttrib(GLbitfield mask) {
  GL_LISTED(glPushAttrib(mask));
  Layer& l = layer();
  if (l.attribStack.size() >= 16) return setError(GL_STACK_OVERFLOW);
  l.attribStack.push_back(l.s);
  l.attribMasks.push_back(mask);
}

void glPopAttrib() {
  GL_LISTED(glPopAttrib());
  Layer& l = layer();
  if (l.attribStack.empty()) return setError(GL_STACK_UNDERFLOW);
  const ServerState saved = l.attribStack.back();
  const std::uint32_t mask = l.attribMasks.back();
  l.attribStack.pop_back();
  l.attribMasks.pop_back();
  ServerState& s = l.s;
  if (mask & GL_CURRENT_BIT) s.current = saved.current;
  if (mask & GL_ENABLE_BIT) s.enable = saved.enable;
  if (mask & GL_TEXTURE_BIT) {
    s.texture = saved.texture;
    // The enables of texturing belong to both groups.
    std::copy(saved.enable.texture2d, saved.enable.texture2d + kUnits, s.enable.texture2d);
  }
  if (mask & GL_COLOR_BUFFER_BIT) {
    s.colour = saved.colour;
    s.enable.blend = saved.enable.blend, s.enable.alphaTest = saved.enable.alphaTest;
    s.enable.dither = saved.enable.dither;
  }
  if (mask & GL_DEPTH_BUFFER_BIT) s.depth = saved.depth, s.enable.depthTest = saved.enable.depthTest;
  if (mask & GL_FOG_BIT) s.fog = saved.fog, s.enable.fog = saved.enable.fog;
  if (mask & GL_LIGHTING_BIT) {
    s.lighting = saved.lighting;
    s.enable.lighting = saved.enable.lighting;
    std::copy(saved.enable.light, saved.enable.light + kLights, s.enable.light);
  }
  if (mask & GL_POLYGON_BIT) s.polygon = saved.polygon, s.enable.cullFace = saved.enable.cullFace;
  if (mask & GL_STENCIL_BUFFER_BIT) s.stencil = saved.stencil, s.enable.stencil = saved.enable.stencil;
  if (mask & GL_VIEWPORT_BIT) std::copy(saved.view.viewport, saved.view.viewport + 4, s.view.viewport);
  if (mask & GL_SCISSOR_BIT) {
    std::copy(saved.view.scissor, saved.view.scissor + 4, s.view.scissor);
    s.enable.scissor = saved.enable.scissor;
  }
  if (mask & GL_LINE_BIT) s.lineWidth = saved.lineWidth, s.enable.lineSmooth = saved.enable.lineSmooth;
  if (mask & GL_TRANSFORM_BIT) s.matrixMode = saved.matrixMode, s.enable.normalize = saved.enable.normalize;
  syncRasterState();
}

void glPushClientAttrib(GLbitfield) {
  Layer& l = layer();
  if (l.clientStack.size() >= 16) return setError(GL_STACK_OVERFLOW);
  l.clientStack.push_back(l.client);
}

void glPopClientAttrib() {
  Layer& l = layer();
  if (l.clientStack.empty()) return setError(GL_STACK_UNDERFLOW);
  l.client = l.clientStack.back();
  l.clientStack.pop_back();
}

// ---- Queries -------------------------------------------------------------------------------

void glGetFloatv(GLenum pname, GLfloat* params) {
  Layer& l = layer();
  switch (pname) {
    case GL_MODELVIEW_MATRIX: std::copy(l.modelview.back().m.begin(), l.modelview.back().m.end(), params); return;
    case GL_PROJECTION_MATRIX:
      std::copy(l.projection.back().m.begin(), l.projection.back().m.end(), params);
      return;
    case GL_TEXTURE_MATRIX: {
      const Mat4& m = l.texMatrix[l.s.texture.activeUnit].back();
      std::copy(m.m.begin(), m.m.end(), params);
      return;
    }
    case GL_CURRENT_COLOR: std::copy(l.s.current.colour, l.s.current.colour + 4, params); return;
    case GL_COLOR_CLEAR_VALUE: std::copy(l.s.colour.clear, l.s.colour.clear + 4, params); return;
    case GL_FOG_COLOR: std::copy(l.s.fog.colour, l.s.fog.colour + 4, params); return;
    case GL_FOG_DENSITY: params[0] = l.s.fog.density; return;
    case GL_FOG_START: params[0] = l.s.fog.start; return;
    case GL_FOG_END: params[0] = l.s.fog.end; return;
    case GL_LINE_WIDTH: params[0] = l.s.lineWidth; return;
    case GL_DEPTH_CLEAR_VALUE: params[0] = l.s.depth.clear; return;
    default: break;
  }
  GLint values[4] = {};
  glGetIntegerv(pname, values);
  const int n = pname == GL_VIEWPORT || pname == GL_SCISSOR_BOX ? 4 : 1;
  for (int i = 0; i < n; ++i) params[i] = static_cast<GLfloat>(values[i]);
}

void glGetDoublev(GLenum pname, GLdouble* params) {
  GLfloat values[16] = {};
  glGetFloatv(pname, values);
  const bool matrix = pname == GL_MODELVIEW_MATRIX || pname == GL_PROJECTION_MATRIX || pname == GL_TEXTURE_MATRIX;
  const bool vector = pname == GL_VIEWPORT || pname == GL_SCISSOR_BOX || pname == GL_CURRENT_COLOR ||
                      pname == GL_COLOR_CLEAR_VALUE || pname == GL_FOG_COLOR;
  const int n = matrix ? 16 : vector ? 4 : 1;
  for (int i = 0; i < n; ++i) params[i] = values[i];
}

void glGetIntegerv(GLenum pname, GLint* params) {
  Layer& l = layer();
  switch (pname) {
    case GL_VIEWPORT: std::copy(l.s.view.viewport, l.s.view.viewport + 4, params); return;
    case GL_SCISSOR_BOX: std::copy(l.s.view.scissor, l.s.view.scissor + 4, params); return;
    case GL_MAX_TEXTURE_UNITS_ARB: params[0] = kUnits; return;
    case GL_MAX_TEXTURE_SIZE: params[0] = 4096; return;
    case GL_MAX_LIGHTS: params[0] = kLights; return;
    case GL_UNPACK_ALIGNMENT: params[0] = l.client.unpackAlignment; return;
    case GL_PACK_ALIGNMENT: params[0] = l.client.packAlignment; return;
    case GL_MATRIX_MODE: params[0] = static_cast<GLint>(l.s.matrixMode); return;
    case GL_ACTIVE_TEXTURE_ARB: params[0] = static_cast<GLint>(GL_TEXTURE0_ARB + l.s.texture.activeUnit); return;
    case GL_CLIENT_ACTIVE_TEXTURE_ARB:
      params[0] = static_cast<GLint>(GL_TEXTURE0_ARB + l.client.clientActiveUnit);
      return;
    case GL_TEXTURE_BINDING_2D: params[0] = static_cast<GLint>(l.s.texture.binding[l.s.texture.activeUnit]); return;
    case GL_MODELVIEW_STACK_DEPTH: params[0] = static_cast<GLint>(l.modelview.size()); return;
    case GL_PROJECTION_STACK_DEPTH: params[0] = static_cast<GLint>(l.projection.size()); return;
    case GL_STENCIL_BITS: params[0] = 8; return;
    case GL_DEPTH_BITS: params[0] = 24; return;
    case GL_RED_BITS: case GL_GREEN_BITS: case GL_BLUE_BITS: params[0] = 8; return;
    case GL_ALPHA_BITS: params[0] = 0; return;
    case GL_POLYGON_MODE:
      params[0] = static_cast<GLint>(l.s.polygon.modeFront);
      params[1] = static_cast<GLint>(l.s.polygon.modeBack);
      return;
    case GL_BLEND_SRC: params[0] = static_cast<GLint>(l.s.colour.blendSrc); return;
    case GL_BLEND_DST: params[0] = static_cast<GLint>(l.s.colour.blendDst); return;
    case GL_DEPTH_FUNC: params[0] = static_cast<GLint>(l.s.depth.func); return;
    case GL_FOG_MODE: params[0] = static_cast<GLint>(l.s.fog.mode); return;
    case GL_ATTRIB_STACK_DEPTH: params[0] = static_cast<GLint>(l.attribStack.size()); return;
    default: params[0] = 0; setError(GL_INVALID_ENUM);
  }
}

void glGetBooleanv(GLenum pname, GLboolean* params) {
  if (pname == GL_COLOR_WRITEMASK) {
    for (int i = 0; i < 4; ++i) params[i] = layer().s.colour.mask[i];
    return;
  }
  if (pname == GL_DEPTH_WRITEMASK) {
    params[0] = layer().s.depth.mask;
    return;
  }
  params[0] = glIsEnabled(pname);
}

const GLubyte* glGetString(GLenum name) {
  const char* text = "";
  switch (name) {
    case GL_VENDOR: text = "Tolvek"; break;
    case GL_RENDERER: text = "OpenGL 1.1 on WebGL 2"; break;
    case GL_VERSION: text = "1.1 Tolvek"; break;
    case GL_EXTENSIONS:
      text = "GL_ARB_multitexture GL_EXT_fog_coord GL_ARB_texture_env_combine GL_EXT_texture_env_combine "
             "GL_EXT_texture_edge_clamp GL_SGIS_texture_edge_clamp";
      break;
    default: setError(GL_INVALID_ENUM); return nullptr;
  }
  return reinterpret_cast<const GLubyte*>(text);
}

GLenum glGetError() { return std::exchange(layer().error, static_cast<GLenum>(GL_NO_ERROR)); }

void glPixelStorei(GLenum pname, GLint param) {
  if (param != 1 && param != 2 && param != 4 && param != 8) return setError(GL_INVALID_VALUE);
  if (pname == GL_UNPACK_ALIGNMENT) layer().client.unpackAlignment = param;
  else if (pname == GL_PACK_ALIGNMENT) layer().client.packAlignment = param;
}

// One colour buffer to draw into and read from: the choice changes nothing.
void glReadBuffer(GLenum) {}
void glDrawBuffer(GLenum) {}
void glFlush() {}
void glFinish() {}

}  // extern "C"
