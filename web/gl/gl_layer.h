// OpenGL 1.1 (with multitexture, the fog coordinate and texture-env combine) on WebGL 2:
// the state the fixed-function pipeline keeps, what the drawing calls turn into (vertex
// streams drawn by shaders generated per state combination) and the frame the layer draws
// into. Inside the layer only; the show calls the GL entry points.
//
// The picture is drawn into a framebuffer of the layer's own, as big as the window, which
// keeps what a frame leaves for the next frame's copies (a WebGL canvas forgets it once the
// browser has shown it); presentFrame puts it on the canvas.
//
// Where WebGL cannot do what OpenGL 1.1 defines, the closest result:
//   - lines wider than a pixel are bands across their minor axis (WebGL draws one pixel);
//     antialiased lines are drawn aliased;
//   - the depth buffer has 24 bits whatever was asked (WebGL has no 16-bit depth with a
//     stencil), and the colour buffer keeps no alpha, as a window without alpha bits;
//   - GL_CLAMP clamps to the edge (no border colour); luminance and alpha images are kept as
//     RGB(A);
//   - left out, as the show never asks for them: spot lights, specular light, two-sided
//     lighting, colour material, texture coordinate generation, flat shading, point polygons
//     (drawn as outlines), GL_ATI_texture_env_combine3 (not advertised, so the echo trail adds
//     its layers one by one).
#pragma once

#include <GL/gl.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

namespace gl11 {

constexpr int kUnits = 2;
constexpr int kLights = 8;

struct Mat4 {
  std::array<float, 16> m{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};  // column-major
};
Mat4 multiply(const Mat4& a, const Mat4& b);
std::array<float, 4> transform(const Mat4& m, const std::array<float, 4>& v);

// One vertex as it goes to WebGL: position (x, y, z, w), colour, normal, the two units'
// texture coordinates (s, t, r, q) and the fog coordinate.
struct Vertex {
  float pos[4];
  float colour[4];
  float normal[3];
  float tex[kUnits][4];
  float fog;
};

struct CurrentGroup {
  float colour[4] = {1, 1, 1, 1};
  float normal[3] = {0, 0, 1};
  float tex[kUnits][4] = {{0, 0, 0, 1}, {0, 0, 0, 1}};
  float fog = 0;
};

struct EnableGroup {
  bool texture2d[kUnits] = {};
  bool blend = false, depthTest = false, cullFace = false, fog = false, lighting = false;
  bool light[kLights] = {};
  bool scissor = false, stencil = false, alphaTest = false, lineSmooth = false, normalize = false;
  bool colourMaterial = false, dither = true;
};

struct TexEnv {
  GLenum mode = GL_MODULATE;
  float colour[4] = {0, 0, 0, 0};
  GLenum combineRgb = GL_MODULATE, combineAlpha = GL_MODULATE;
  GLenum sourceRgb[3] = {GL_TEXTURE, 0x8578 /* PREVIOUS */, 0x8576 /* CONSTANT */};
  GLenum sourceAlpha[3] = {GL_TEXTURE, 0x8578, 0x8576};
  GLenum operandRgb[3] = {GL_SRC_COLOR, GL_SRC_COLOR, GL_SRC_ALPHA};
  GLenum operandAlpha[3] = {GL_SRC_ALPHA, GL_SRC_ALPHA, GL_SRC_ALPHA};
  float rgbScale = 1, alphaScale = 1;
};

struct TextureGroup {
  int activeUnit = 0;
  GLuint binding[kUnits] = {};
  TexEnv env[kUnits];
};

struct ColourBufferGroup {
  GLenum blendSrc = GL_ONE, blendDst = GL_ZERO;
  bool mask[4] = {true, true, true, true};
  float clear[4] = {0, 0, 0, 0};
  GLenum alphaFunc = GL_ALWAYS;
  float alphaRef = 0;
};

struct DepthGroup {
  GLenum func = GL_LESS;
  bool mask = true;
  float clear = 1;
};

struct FogGroup {
  GLenum mode = GL_EXP;
  float density = 1, start = 0, end = 1;
  float colour[4] = {0, 0, 0, 0};
  GLenum source = 0x8452;  // GL_FRAGMENT_DEPTH_EXT
};

struct Light {
  float ambient[4] = {0, 0, 0, 1};
  float diffuse[4] = {0, 0, 0, 1};
  float specular[4] = {0, 0, 0, 1};
  float position[4] = {0, 0, 1, 0};  // eye coordinates, divided by w when w is not 0
  float attenuation[3] = {1, 0, 0};  // constant, linear, quadratic
};

struct LightingGroup {
  Light light[kLights];
  float modelAmbient[4] = {0.2f, 0.2f, 0.2f, 1};
  float materialAmbient[4] = {0.2f, 0.2f, 0.2f, 1};
  float materialDiffuse[4] = {0.8f, 0.8f, 0.8f, 1};
  float materialEmission[4] = {0, 0, 0, 1};
  GLenum shadeModel = GL_SMOOTH;
};

struct PolygonGroup {
  GLenum cullMode = GL_BACK, frontFace = GL_CCW;
  GLenum modeFront = GL_FILL, modeBack = GL_FILL;
};

struct StencilGroup {
  GLenum func = GL_ALWAYS;
  GLint ref = 0;
  GLuint mask = ~0u, writeMask = ~0u;
  GLenum fail = GL_KEEP, depthFail = GL_KEEP, pass = GL_KEEP;
  GLint clear = 0;
};

struct ViewportGroup {
  GLint viewport[4] = {0, 0, 0, 0};
  GLint scissor[4] = {0, 0, 0, 0};
};

// Everything glPushAttrib can save, group by group.
struct ServerState {
  CurrentGroup current;
  EnableGroup enable;
  TextureGroup texture;
  ColourBufferGroup colour;
  DepthGroup depth;
  FogGroup fog;
  LightingGroup lighting;
  PolygonGroup polygon;
  StencilGroup stencil;
  ViewportGroup view;
  float lineWidth = 1;
  GLenum matrixMode = GL_MODELVIEW;
};

struct ClientArray {
  bool enabled = false;
  GLint size = 4;
  GLenum type = GL_FLOAT;
  GLsizei stride = 0;
  const void* pointer = nullptr;
};

struct ClientState {
  ClientArray vertex, normal, colour, tex[kUnits];
  int clientActiveUnit = 0;
  GLint unpackAlignment = 4, packAlignment = 4;
};

struct TextureObject {
  GLuint webgl = 0;
  GLint width = 0, height = 0;
  bool hasAlpha = false;
  std::uint32_t levels = 0;  // bit n: level n holds an image of the chain's size
  GLenum minFilter = GL_NEAREST_MIPMAP_LINEAR, magFilter = GL_LINEAR;
  GLenum wrapS = GL_REPEAT, wrapT = GL_REPEAT;
  bool complete() const;
};

// Geometry compiled into a display list: the vertices as triangles (or lines) in a buffer of
// their own, and as given, for drawing them another way (polygon outlines).
struct ListGeometry {
  GLenum mode = GL_TRIANGLES;
  std::vector<Vertex> given;
  GLenum drawMode = GL_TRIANGLES;
  GLuint buffer = 0, vertexArray = 0;
  GLsizei count = 0;
};

using ListCommand = std::function<void()>;
struct DisplayList {
  std::vector<ListCommand> commands;
  std::vector<std::unique_ptr<ListGeometry>> geometry;
};

struct Program {
  GLuint id = 0;
  GLint modelview = -1, projection = -1, normalMatrix = -1, texMatrix[kUnits] = {-1, -1}, sampler[kUnits] = {-1, -1};
  GLint envColour[kUnits] = {-1, -1}, envScale[kUnits] = {-1, -1};
  GLint fogColour = -1, fogParams = -1, sceneColour = -1, alphaRef = -1;
  GLint lightPosition = -1, lightAmbient = -1, lightDiffuse = -1, lightAttenuation = -1;
  mutable std::unordered_map<GLint, std::vector<float>> sent;  // what each uniform was last given
};

struct ProgramKey {
  std::uint64_t a = 0, b = 0;
  bool operator==(const ProgramKey&) const = default;
};
struct ProgramKeyHash {
  std::size_t operator()(const ProgramKey& k) const { return std::hash<std::uint64_t>()(k.a * 0x9E3779B97F4A7C15ull ^ k.b); }
};

struct Layer {
  ServerState s;
  ClientState client;
  std::vector<ServerState> attribStack;
  std::vector<std::uint32_t> attribMasks;
  std::vector<ClientState> clientStack;

  std::vector<Mat4> modelview{Mat4{}}, projection{Mat4{}}, texMatrix[kUnits]{{Mat4{}}, {Mat4{}}};
  GLenum error = GL_NO_ERROR;

  // Immediate mode.
  bool inBegin = false;
  GLenum beginMode = 0;
  std::vector<Vertex> vertices;

  // Display lists: while one compiles, commands are recorded instead of run, and the
  // current attributes it sets go to a copy so that the real ones stay as they are.
  std::unordered_map<GLuint, DisplayList> lists;
  GLuint nextList = 1;
  GLuint compiling = 0;
  DisplayList compiled;
  CurrentGroup listCurrent;
  std::uint32_t listTouched = 0;  // current attributes set inside the list's glBegin/glEnd

  std::unordered_map<GLuint, TextureObject> textures;
  GLuint nextTexture = 1;
  GLuint boundWebgl[kUnits] = {};
  int webglActiveUnit = -1;

  std::unordered_map<ProgramKey, Program, ProgramKeyHash> programs;
  const Program* usedProgram = nullptr;
  GLuint streamBuffer = 0, streamArray = 0;
  GLuint boundArray = 0, boundBuffer = 0;  // as WebGL has them, so that binds are not repeated
  std::unordered_map<GLenum, bool> webglCapabilities;

  // The frame: a colour and a depth-stencil buffer of the window's size.
  GLuint framebuffer = 0, colourBuffer = 0, depthBuffer = 0;
  int width = 0, height = 0;
};
Layer& layer();

// Current attributes the next vertex takes: the list's copy while one compiles.
CurrentGroup& current();
bool recording();
void record(ListCommand command);
Mat4& topMatrix(GLenum mode);

// Drawing.
void drawVertices(GLenum mode, const Vertex* vertices, std::size_t count);
void drawListGeometry(const ListGeometry& geometry);
void compileGeometry(ListGeometry& geometry);
void setupVertexArray(GLuint vertexArray, GLuint buffer);
void bindArrays(GLuint vertexArray, GLuint buffer);

// Programs: chosen from the state, uniforms filled in.
const Program& useProgram(bool pretransformed);

// Textures.
TextureObject& textureObject(GLuint name);
void bindForDraw(int unit, GLuint webglTexture);
bool unitEnabled(int unit);

// The raster state WebGL keeps (blend, depth, stencil, masks, boxes), sent again after a
// glPopAttrib.
void syncRasterState();

}  // namespace gl11
