// What the drawing calls turn into: glBegin/glEnd and the client arrays give a stream of
// vertices with the current attributes; quads and polygons become triangles, polygon outlines
// and wide lines are built here, and display lists keep their geometry in buffers of their own.
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cmath>

#include "gl/gl_layer.h"
#include "gl/webgl.h"

namespace gl11 {
namespace {

constexpr std::uint32_t kTouchedColour = 1, kTouchedNormal = 2, kTouchedTex0 = 4, kTouchedTex1 = 8,
                        kTouchedFog = 16;

void touch(std::uint32_t what) {
  if (recording() && layer().inBegin) layer().listTouched |= what;
}

// Records the setting of a current attribute outside glBegin/glEnd; inside, the geometry
// block's end records where the attributes stand.
template <typename Set>
void setCurrent(std::uint32_t what, Set set) {
  if (recording() && !layer().inBegin) record([set] { set(layer().s.current); });
  touch(what);
  set(current());
}

Vertex makeVertex(float x, float y, float z, float w) {
  const CurrentGroup& c = current();
  Vertex v;
  v.pos[0] = x, v.pos[1] = y, v.pos[2] = z, v.pos[3] = w;
  std::copy(c.colour, c.colour + 4, v.colour);
  std::copy(c.normal, c.normal + 3, v.normal);
  for (int u = 0; u < kUnits; ++u) std::copy(c.tex[u], c.tex[u] + 4, v.tex[u]);
  v.fog = c.fog;
  return v;
}

bool isPolygonMode(GLenum mode) {
  return mode == GL_TRIANGLES || mode == GL_TRIANGLE_STRIP || mode == GL_TRIANGLE_FAN || mode == GL_QUADS ||
         mode == GL_QUAD_STRIP || mode == GL_POLYGON;
}

// The polygons of a primitive as lists of corner indices, in the order the corners are given:
// emit(corners, count).
template <typename Emit>
void forEachPolygon(GLenum mode, std::size_t n, Emit emit) {
  std::size_t c[4];
  switch (mode) {
    case GL_TRIANGLES:
      for (std::size_t i = 0; i + 2 < n; i += 3) c[0] = i, c[1] = i + 1, c[2] = i + 2, emit(c, 3);
      break;
    case GL_TRIANGLE_STRIP:
      // Every other triangle turned round, so all keep the strip's winding.
      for (std::size_t i = 0; i + 2 < n; ++i) {
        c[0] = i % 2 ? i + 1 : i, c[1] = i % 2 ? i : i + 1, c[2] = i + 2;
        emit(c, 3);
      }
      break;
    case GL_TRIANGLE_FAN:
      for (std::size_t i = 1; i + 1 < n; ++i) c[0] = 0, c[1] = i, c[2] = i + 1, emit(c, 3);
      break;
    case GL_QUADS:
      for (std::size_t i = 0; i + 3 < n; i += 4) c[0] = i, c[1] = i + 1, c[2] = i + 2, c[3] = i + 3, emit(c, 4);
      break;
    case GL_QUAD_STRIP:
      for (std::size_t i = 0; i + 3 < n; i += 2) c[0] = i, c[1] = i + 1, c[2] = i + 3, c[3] = i + 2, emit(c, 4);
      break;
    case GL_POLYGON:
      if (n >= 3) {
        std::vector<std::size_t> all(n);
        for (std::size_t i = 0; i < n; ++i) all[i] = i;
        emit(all.data(), n);
      }
      break;
    default: break;
  }
}

// Filled polygons as triangles. A quad (a, b, c, d) splits into (a, b, d) and (b, c, d);
// a polygon into a fan from its first corner.
void appendTriangles(GLenum mode, const Vertex* v, std::size_t n, std::vector<Vertex>& out) {
  forEachPolygon(mode, n, [&](const std::size_t* c, std::size_t count) {
    if (count == 4) {
      for (std::size_t i : {c[0], c[1], c[3], c[1], c[2], c[3]}) out.push_back(v[i]);
      return;
    }
    for (std::size_t i = 1; i + 1 < count; ++i)
      for (std::size_t k : {c[0], c[i], c[i + 1]}) out.push_back(v[k]);
  });
}

Mat4 modelviewProjection() {
  const Layer& l = layer();
  return multiply(l.projection.back(), l.modelview.back());
}

// Window coordinates of a clip-space point (x, y only).
std::array<float, 2> toWindow(const std::array<float, 4>& clip) {
  const GLint* vp = layer().s.view.viewport;
  return {vp[0] + (clip[0] / clip[3] + 1.0f) * 0.5f * vp[2], vp[1] + (clip[1] / clip[3] + 1.0f) * 0.5f * vp[3]};
}

// Polygons in line mode: the edges of each polygon that culling keeps, in the polygon's
// order from its last corner round, as lines.
void appendOutlines(GLenum mode, const Vertex* v, std::size_t n, std::vector<Vertex>& out) {
  const ServerState& s = layer().s;
  const Mat4 mvp = modelviewProjection();
  std::vector<std::array<float, 4>> clip(n);
  for (std::size_t i = 0; i < n; ++i) clip[i] = transform(mvp, {v[i].pos[0], v[i].pos[1], v[i].pos[2], v[i].pos[3]});
  forEachPolygon(mode, n, [&](const std::size_t* c, std::size_t count) {
    double area = 0;
    bool behind = false;
    for (std::size_t i = 0; i < count; ++i) {
      if (!(clip[c[i]][3] > 0)) behind = true;
      const auto a = toWindow(clip[c[i]]), b = toWindow(clip[c[(i + 1) % count]]);
      area += static_cast<double>(a[0]) * b[1] - static_cast<double>(b[0]) * a[1];
    }
    const bool front = (area > 0) == (s.polygon.frontFace == GL_CCW);
    if (!behind && s.enable.cullFace) {
      const GLenum cull = s.polygon.cullMode;
      if (cull == GL_FRONT_AND_BACK || (cull == GL_FRONT && front) || (cull == GL_BACK && !front)) return;
    }
    const GLenum fill = front ? s.polygon.modeFront : s.polygon.modeBack;
    if (fill == GL_FILL) {
      std::vector<Vertex> corner;
      for (std::size_t i = 0; i < count; ++i) corner.push_back(v[c[i]]);
      std::vector<Vertex> triangles;
      appendTriangles(count == 4 ? GL_QUADS : GL_POLYGON, corner.data(), corner.size(), triangles);
      // Filled among outlines: drawn at once as triangles.
      drawVertices(GL_TRIANGLES, triangles.data(), triangles.size());
      return;
    }
    for (std::size_t i = 0; i < count; ++i) {
      out.push_back(v[c[(i + count - 1) % count]]);
      out.push_back(v[c[i]]);
    }
  });
}

// Lines as separate segments.
void appendSegments(GLenum mode, const Vertex* v, std::size_t n, std::vector<Vertex>& out) {
  if (mode == GL_LINES) {
    out.insert(out.end(), v, v + (n & ~std::size_t{1}));
    return;
  }
  for (std::size_t i = 0; i + 1 < n; ++i) out.insert(out.end(), {v[i], v[i + 1]});
  if (mode == GL_LINE_LOOP && n > 2) out.insert(out.end(), {v[n - 1], v[0]});
}

// Lines wider than a pixel, which WebGL does not draw: each segment becomes a band of the
// width across its minor axis, as OpenGL widens aliased lines, placed in clip space.
void drawWideLines(const std::vector<Vertex>& segments, float width) {
  const Layer& l = layer();
  const Mat4 mvp = modelviewProjection();
  const Mat4& mv = l.modelview.back();
  const GLint* vp = l.s.view.viewport;
  std::vector<Vertex> band;
  for (std::size_t i = 0; i + 1 < segments.size(); i += 2) {
    Vertex end[2] = {segments[i], segments[i + 1]};
    std::array<float, 4> clip[2];
    for (int k = 0; k < 2; ++k) {
      const std::array<float, 4> p{end[k].pos[0], end[k].pos[1], end[k].pos[2], end[k].pos[3]};
      clip[k] = transform(mvp, p);
      if (!(clip[k][3] > 0)) return;
      const auto eye = transform(mv, p);
      if (l.s.fog.source != GL_FOG_COORDINATE_EXT) end[k].fog = std::fabs(eye[2]);
    }
    const auto a = toWindow(clip[0]), b = toWindow(clip[1]);
    const bool xMajor = std::fabs(b[0] - a[0]) >= std::fabs(b[1] - a[1]);
    Vertex corner[4];
    for (int k = 0; k < 4; ++k) {
      corner[k] = end[k / 2];
      const std::array<float, 4>& c = clip[k / 2];
      const float side = (k == 0 || k == 3) ? -0.5f : 0.5f;
      float dx = 0, dy = 0;
      if (xMajor) dy = side * width * 2.0f / static_cast<float>(vp[3]);
      else dx = side * width * 2.0f / static_cast<float>(vp[2]);
      corner[k].pos[0] = c[0] + dx * c[3];
      corner[k].pos[1] = c[1] + dy * c[3];
      corner[k].pos[2] = c[2];
      corner[k].pos[3] = c[3];
    }
    for (int k : {0, 1, 2, 0, 2, 3}) band.push_back(corner[k]);
  }
  if (band.empty()) return;
  useProgram(true);
  bindArrays(l.streamArray, l.streamBuffer);
  emscripten_glBufferData(kWebglArrayBuffer, static_cast<GLsizeiptr>(band.size() * sizeof(Vertex)), band.data(),
                          kWebglStreamDraw);
  emscripten_glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(band.size()));
}

void drawStream(GLenum mode, const Vertex* v, std::size_t n) {
  if (n == 0) return;
  const Layer& l = layer();
  useProgram(false);
  bindArrays(l.streamArray, l.streamBuffer);
  emscripten_glBufferData(kWebglArrayBuffer, static_cast<GLsizeiptr>(n * sizeof(Vertex)), v, kWebglStreamDraw);
  emscripten_glDrawArrays(mode, 0, static_cast<GLsizei>(n));
}

bool outlined() {
  const PolygonGroup& p = layer().s.polygon;
  return p.modeFront != GL_FILL || p.modeBack != GL_FILL;
}

void drawLines(std::vector<Vertex>& segments) {
  const float width = layer().s.lineWidth;
  // Widths round to whole pixels, as for aliased lines.
  if (std::lround(width) > 1) drawWideLines(segments, static_cast<float>(std::lround(width)));
  else drawStream(GL_LINES, segments.data(), segments.size());
}

// Reads component `i` of an array element as a float.
float readComponent(const ClientArray& a, const std::uint8_t* element, int i) {
  switch (a.type) {
    case GL_FLOAT: return reinterpret_cast<const float*>(element)[i];
    case GL_DOUBLE: return static_cast<float>(reinterpret_cast<const double*>(element)[i]);
    case GL_INT: return static_cast<float>(reinterpret_cast<const std::int32_t*>(element)[i]);
    case GL_SHORT: return static_cast<float>(reinterpret_cast<const std::int16_t*>(element)[i]);
    case GL_UNSIGNED_BYTE: return element[i] / 255.0f;  // colours only
    case GL_BYTE: return static_cast<float>(reinterpret_cast<const std::int8_t*>(element)[i]);
    default: return 0;
  }
}

std::size_t typeSize(GLenum type) {
  switch (type) {
    case GL_DOUBLE: return 8;
    case GL_FLOAT: case GL_INT: case GL_UNSIGNED_INT: return 4;
    case GL_SHORT: case GL_UNSIGNED_SHORT: return 2;
    default: return 1;
  }
}

const std::uint8_t* element(const ClientArray& a, std::size_t index) {
  const std::size_t stride = a.stride ? static_cast<std::size_t>(a.stride) : typeSize(a.type) * static_cast<std::size_t>(a.size);
  return static_cast<const std::uint8_t*>(a.pointer) + stride * index;
}

// The vertex of array element `index`, with the current attributes where no array is on.
Vertex arrayVertex(std::size_t index) {
  const ClientState& c = layer().client;
  Vertex v = makeVertex(0, 0, 0, 1);
  if (c.colour.enabled && c.colour.pointer) {
    const auto* e = element(c.colour, index);
    for (int i = 0; i < c.colour.size && i < 4; ++i) v.colour[i] = readComponent(c.colour, e, i);
  }
  if (c.normal.enabled && c.normal.pointer) {
    const auto* e = element(c.normal, index);
    for (int i = 0; i < 3; ++i) v.normal[i] = readComponent(c.normal, e, i);
  }
  for (int u = 0; u < kUnits; ++u) {
    const ClientArray& t = c.tex[u];
    if (!t.enabled || !t.pointer) continue;
    const auto* e = element(t, index);
    v.tex[u][2] = 0, v.tex[u][3] = 1;
    for (int i = 0; i < t.size && i < 4; ++i) v.tex[u][i] = readComponent(t, e, i);
  }
  const auto* e = element(c.vertex, index);
  for (int i = 0; i < c.vertex.size && i < 4; ++i) v.pos[i] = readComponent(c.vertex, e, i);
  return v;
}

void endGeometry(GLenum mode, std::vector<Vertex>& vertices) {
  if (!recording()) {
    drawVertices(mode, vertices.data(), vertices.size());
    return;
  }
  auto geometry = std::make_unique<ListGeometry>();
  geometry->mode = mode;
  geometry->given = vertices;
  compileGeometry(*geometry);
  const ListGeometry* g = geometry.get();
  layer().compiled.geometry.push_back(std::move(geometry));
  record([g] { drawListGeometry(*g); });
  // What the block left current is current after the list has run.
  const std::uint32_t touched = std::exchange(layer().listTouched, 0u);
  if (touched) {
    const CurrentGroup after = layer().listCurrent;
    record([touched, after] {
      CurrentGroup& c = layer().s.current;
      if (touched & kTouchedColour) std::copy(after.colour, after.colour + 4, c.colour);
      if (touched & kTouchedNormal) std::copy(after.normal, after.normal + 3, c.normal);
      if (touched & kTouchedTex0) std::copy(after.tex[0], after.tex[0] + 4, c.tex[0]);
      if (touched & kTouchedTex1) std::copy(after.tex[1], after.tex[1] + 4, c.tex[1]);
      if (touched & kTouchedFog) c.fog = after.fog;
    });
  }
}

void setTexCoord(int unit, float s, float t) {
  setCurrent(unit == 0 ? kTouchedTex0 : kTouchedTex1, [unit, s, t](CurrentGroup& c) {
    c.tex[unit][0] = s, c.tex[unit][1] = t, c.tex[unit][2] = 0, c.tex[unit][3] = 1;
  });
}

void setColour(float r, float g, float b, float a) {
  setCurrent(kTouchedColour, [r, g, b, a](CurrentGroup& c) {
    c.colour[0] = r, c.colour[1] = g, c.colour[2] = b, c.colour[3] = a;
  });
}

void addVertex(float x, float y, float z) {
  Layer& l = layer();
  if (!l.inBegin) return;  // outside glBegin/glEnd a vertex means nothing
  l.vertices.push_back(makeVertex(x, y, z, 1));
}

ClientArray* clientArray(GLenum array) {
  ClientState& c = layer().client;
  switch (array) {
    case GL_VERTEX_ARRAY: return &c.vertex;
    case GL_NORMAL_ARRAY: return &c.normal;
    case GL_COLOR_ARRAY: return &c.colour;
    case GL_TEXTURE_COORD_ARRAY: return &c.tex[c.clientActiveUnit];
    default: return nullptr;
  }
}

void setPointer(ClientArray& a, GLint size, GLenum type, GLsizei stride, const void* pointer) {
  a.size = size, a.type = type, a.stride = stride, a.pointer = pointer;
}

}  // namespace

CurrentGroup& current() { return recording() ? layer().listCurrent : layer().s.current; }

void drawVertices(GLenum mode, const Vertex* v, std::size_t n) {
  if (n == 0) return;
  std::vector<Vertex> out;
  if (isPolygonMode(mode) && outlined()) {
    appendOutlines(mode, v, n, out);
    drawLines(out);
    return;
  }
  switch (mode) {
    case GL_POINTS:
    case GL_TRIANGLES:
    case GL_TRIANGLE_STRIP:
    case GL_TRIANGLE_FAN:
      drawStream(mode, v, n);
      return;
    case GL_LINES:
    case GL_LINE_STRIP:
    case GL_LINE_LOOP:
      if (std::lround(layer().s.lineWidth) <= 1) return drawStream(mode, v, n);
      appendSegments(mode, v, n, out);
      drawLines(out);
      return;
    default:
      appendTriangles(mode, v, n, out);
      drawStream(GL_TRIANGLES, out.data(), out.size());
  }
}

void bindArrays(GLuint vertexArray, GLuint buffer) {
  Layer& l = layer();
  if (l.boundArray != vertexArray) emscripten_glBindVertexArray(vertexArray);
  if (l.boundBuffer != buffer) emscripten_glBindBuffer(kWebglArrayBuffer, buffer);
  l.boundArray = vertexArray, l.boundBuffer = buffer;
}

void setupVertexArray(GLuint vertexArray, GLuint buffer) {
  bindArrays(vertexArray, buffer);
  const auto stride = static_cast<GLsizei>(sizeof(Vertex));
  const struct {
    GLuint index;
    GLint size;
    std::size_t offset;
  } attributes[] = {{0, 4, offsetof(Vertex, pos)},    {1, 4, offsetof(Vertex, colour)},
                    {2, 3, offsetof(Vertex, normal)}, {3, 4, offsetof(Vertex, tex)},
                    {4, 4, offsetof(Vertex, tex) + 4 * sizeof(float)}, {5, 1, offsetof(Vertex, fog)}};
  for (const auto& a : attributes) {
    emscripten_glEnableVertexAttribArray(a.index);
    emscripten_glVertexAttribPointer(a.index, a.size, GL_FLOAT, GL_FALSE, stride,
                                     reinterpret_cast<const void*>(a.offset));
  }
}

void compileGeometry(ListGeometry& g) {
  std::vector<Vertex> filled;
  g.drawMode = g.mode;
  if (g.mode == GL_QUADS || g.mode == GL_QUAD_STRIP || g.mode == GL_POLYGON) {
    appendTriangles(g.mode, g.given.data(), g.given.size(), filled);
    g.drawMode = GL_TRIANGLES;
  } else {
    filled = g.given;
  }
  g.count = static_cast<GLsizei>(filled.size());
  if (filled.empty()) return;
  emscripten_glGenBuffers(1, &g.buffer);
  emscripten_glGenVertexArrays(1, &g.vertexArray);
  setupVertexArray(g.vertexArray, g.buffer);
  emscripten_glBufferData(kWebglArrayBuffer, static_cast<GLsizeiptr>(filled.size() * sizeof(Vertex)), filled.data(),
                          kWebglStaticDraw);
}

void drawListGeometry(const ListGeometry& g) {
  const bool lines = g.drawMode == GL_LINES || g.drawMode == GL_LINE_STRIP || g.drawMode == GL_LINE_LOOP;
  if ((isPolygonMode(g.mode) && outlined()) || (lines && std::lround(layer().s.lineWidth) > 1) || g.count == 0) {
    drawVertices(g.mode, g.given.data(), g.given.size());
    return;
  }
  useProgram(false);
  bindArrays(g.vertexArray, g.buffer);
  emscripten_glDrawArrays(g.drawMode, 0, g.count);
}

}  // namespace gl11

using namespace gl11;

extern "C" {

void glBegin(GLenum mode) {
  Layer& l = layer();
  if (l.inBegin) return;
  l.inBegin = true;
  l.beginMode = mode;
  l.vertices.clear();
}

void glEnd() {
  Layer& l = layer();
  if (!l.inBegin) return;
  endGeometry(l.beginMode, l.vertices);
  l.inBegin = false;
  l.vertices.clear();
}

void glVertex2f(GLfloat x, GLfloat y) { addVertex(x, y, 0); }
void glVertex2i(GLint x, GLint y) { addVertex(static_cast<float>(x), static_cast<float>(y), 0); }
void glVertex2d(GLdouble x, GLdouble y) { addVertex(static_cast<float>(x), static_cast<float>(y), 0); }
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) { addVertex(x, y, z); }
void glVertex3fv(const GLfloat* v) { addVertex(v[0], v[1], v[2]); }
void glVertex3i(GLint x, GLint y, GLint z) {
  addVertex(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
}
void glVertex3d(GLdouble x, GLdouble y, GLdouble z) {
  addVertex(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
}

void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) { setColour(r, g, b, a); }
void glColor3f(GLfloat r, GLfloat g, GLfloat b) { setColour(r, g, b, 1); }
void glColor3fv(const GLfloat* v) { setColour(v[0], v[1], v[2], 1); }
void glColor4fv(const GLfloat* v) { setColour(v[0], v[1], v[2], v[3]); }
void glColor3ub(GLubyte r, GLubyte g, GLubyte b) { setColour(r / 255.0f, g / 255.0f, b / 255.0f, 1); }
void glColor4ub(GLubyte r, GLubyte g, GLubyte b, GLubyte a) {
  setColour(r / 255.0f, g / 255.0f, b / 255.0f, a / 255.0f);
}
void glColor3d(GLdouble r, GLdouble g, GLdouble b) {
  setColour(static_cast<float>(r), static_cast<float>(g), static_cast<float>(b), 1);
}

void glNormal3f(GLfloat x, GLfloat y, GLfloat z) {
  setCurrent(kTouchedNormal, [x, y, z](CurrentGroup& c) { c.normal[0] = x, c.normal[1] = y, c.normal[2] = z; });
}
void glNormal3fv(const GLfloat* v) { glNormal3f(v[0], v[1], v[2]); }

void glTexCoord2f(GLfloat s, GLfloat t) { setTexCoord(0, s, t); }
void glTexCoord2fv(const GLfloat* v) { setTexCoord(0, v[0], v[1]); }
void glTexCoord2d(GLdouble s, GLdouble t) { setTexCoord(0, static_cast<float>(s), static_cast<float>(t)); }

void glMultiTexCoord2fARB(GLenum unit, GLfloat s, GLfloat t) {
  const int index = static_cast<int>(unit) - static_cast<int>(GL_TEXTURE0_ARB);
  if (index >= 0 && index < kUnits) setTexCoord(index, s, t);
}
void glMultiTexCoord2f(GLenum unit, GLfloat s, GLfloat t) { glMultiTexCoord2fARB(unit, s, t); }

void glFogCoordfEXT(GLfloat coord) {
  setCurrent(kTouchedFog, [coord](CurrentGroup& c) { c.fog = coord; });
}
void glFogCoordf(GLfloat coord) { glFogCoordfEXT(coord); }

// ---- Client arrays -------------------------------------------------------------------------

void glEnableClientState(GLenum array) {
  if (ClientArray* a = clientArray(array)) a->enabled = true;
}

void glDisableClientState(GLenum array) {
  if (ClientArray* a = clientArray(array)) a->enabled = false;
}

void glVertexPointer(GLint size, GLenum type, GLsizei stride, const void* pointer) {
  setPointer(layer().client.vertex, size, type, stride, pointer);
}

void glNormalPointer(GLenum type, GLsizei stride, const void* pointer) {
  setPointer(layer().client.normal, 3, type, stride, pointer);
}

void glColorPointer(GLint size, GLenum type, GLsizei stride, const void* pointer) {
  setPointer(layer().client.colour, size, type, stride, pointer);
}

void glTexCoordPointer(GLint size, GLenum type, GLsizei stride, const void* pointer) {
  ClientState& c = layer().client;
  setPointer(c.tex[c.clientActiveUnit], size, type, stride, pointer);
}

void glDrawArrays(GLenum mode, GLint first, GLsizei count) {
  const ClientState& c = layer().client;
  if (count <= 0 || first < 0 || !c.vertex.enabled || !c.vertex.pointer) return;
  std::vector<Vertex> vertices(static_cast<std::size_t>(count));
  for (GLsizei i = 0; i < count; ++i) vertices[static_cast<std::size_t>(i)] = arrayVertex(static_cast<std::size_t>(first + i));
  endGeometry(mode, vertices);
}

// The elements are gathered one by one: every element is read as the driver would read it,
// and the arrays may change between calls (a model's frame is written into the same arrays).
void glDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices) {
  const ClientState& c = layer().client;
  if (count <= 0 || !indices || !c.vertex.enabled || !c.vertex.pointer) return;
  static std::vector<Vertex> vertices;
  vertices.resize(static_cast<std::size_t>(count));
  for (GLsizei i = 0; i < count; ++i) {
    std::size_t index = 0;
    if (type == GL_UNSIGNED_INT) index = static_cast<const std::uint32_t*>(indices)[i];
    else if (type == GL_UNSIGNED_SHORT) index = static_cast<const std::uint16_t*>(indices)[i];
    else index = static_cast<const std::uint8_t*>(indices)[i];
    vertices[static_cast<std::size_t>(i)] = arrayVertex(index);
  }
  endGeometry(mode, vertices);
}

// ---- Display lists -------------------------------------------------------------------------

GLuint glGenLists(GLsizei range) {
  Layer& l = layer();
  if (range <= 0) return 0;
  const GLuint first = l.nextList;
  l.nextList += static_cast<GLuint>(range);
  for (GLuint i = first; i < l.nextList; ++i) l.lists[i];
  return first;
}

void glNewList(GLuint list, GLenum) {
  Layer& l = layer();
  if (list == 0 || recording()) return;
  l.compiling = list;
  l.compiled = DisplayList{};
  l.listCurrent = l.s.current;
  l.listTouched = 0;
}

void glEndList() {
  Layer& l = layer();
  if (!recording()) return;
  l.lists[l.compiling] = std::move(l.compiled);
  l.compiled = DisplayList{};
  l.compiling = 0;
}

void glCallList(GLuint list) {
  if (recording()) {
    record([list] { glCallList(list); });
    return;
  }
  static int depth = 0;
  auto it = layer().lists.find(list);
  if (it == layer().lists.end() || depth >= 64) return;
  ++depth;
  // Copied: a list may delete itself while it runs.
  const std::vector<ListCommand> commands = it->second.commands;
  for (const ListCommand& command : commands) command();
  --depth;
}

GLboolean glIsList(GLuint list) { return layer().lists.count(list) != 0; }

void glDeleteLists(GLuint list, GLsizei range) {
  for (GLsizei i = 0; i < range; ++i) {
    auto it = layer().lists.find(list + static_cast<GLuint>(i));
    if (it == layer().lists.end()) continue;
    for (auto& g : it->second.geometry) {
      if (g->vertexArray == layer().boundArray) bindArrays(0, 0);
      if (g->buffer) emscripten_glDeleteBuffers(1, &g->buffer);
      if (g->vertexArray) emscripten_glDeleteVertexArrays(1, &g->vertexArray);
    }
    layer().lists.erase(it);
  }
}

}  // extern "C"
