// The fixed-function pipeline as shaders: one program per combination of the state that
// changes what is computed (texture units and their environments, lights, fog, alpha test),
// written when the combination is first drawn and kept. The numbers (matrices, colours, fog
// and light parameters) are uniforms set at each draw.
//
// Per vertex, as OpenGL 1.1 lights: emission + scene ambient, and for each light its ambient
// and diffuse terms (the show's materials have no specular) under the light's attenuation;
// normals as the inverse transpose of the modelview makes them, not renormalised. The fog
// coordinate is |z| in eye space or the given coordinate; the fog factor is computed per
// fragment, as Mesa does.
#include <GL/gl.h>
#include <GL/glext.h>

#include <cmath>
#include <algorithm>
#include <cstdio>
#include <string>

#include "gl/gl_layer.h"
#include "gl/webgl.h"

namespace gl11 {
namespace {

enum EnvCode : std::uint64_t { kOff = 0, kModulate, kReplace, kDecal, kBlend, kAdd, kCombine };

std::uint64_t envCode(GLenum mode) {
  switch (mode) {
    case GL_MODULATE: return kModulate;
    case GL_REPLACE: return kReplace;
    case GL_DECAL: return kDecal;
    case GL_BLEND: return kBlend;
    case GL_ADD: return kAdd;
    case GL_COMBINE: return kCombine;
    default: return kModulate;
  }
}

const GLenum kCombineFunctions[] = {GL_REPLACE,       GL_MODULATE, GL_ADD, GL_ADD_SIGNED, GL_INTERPOLATE,
                                    GL_SUBTRACT,      0x8744 /* MODULATE_ADD_ATI */,
                                    0x8745 /* MODULATE_SIGNED_ADD_ATI */, 0x8746 /* MODULATE_SUBTRACT_ATI */};
const GLenum kSources[] = {GL_TEXTURE, GL_CONSTANT, GL_PRIMARY_COLOR, GL_PREVIOUS, GL_ZERO, GL_ONE};
const GLenum kOperands[] = {GL_SRC_COLOR, GL_ONE_MINUS_SRC_COLOR, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA};

template <std::size_t N>
std::uint64_t indexOf(const GLenum (&table)[N], GLenum value) {
  for (std::size_t i = 0; i < N; ++i)
    if (table[i] == value) return i;
  return 0;
}

// 40 bits per unit: mode (3), alpha in the texture (1), and for combine the functions (4 + 4),
// three sources (3 bits each) and operands (2 bits) for colour and for alpha.
std::uint64_t unitBits(int unit) {
  const ServerState& s = layer().s;
  if (!unitEnabled(unit)) return 0;
  const TexEnv& env = s.texture.env[unit];
  const TextureObject& t = textureObject(s.texture.binding[unit]);
  std::uint64_t bits = envCode(env.mode) | (t.hasAlpha ? 8u : 0u);
  if (env.mode != GL_COMBINE) return bits;
  bits |= indexOf(kCombineFunctions, env.combineRgb) << 4;
  bits |= indexOf(kCombineFunctions, env.combineAlpha) << 8;
  for (int i = 0; i < 3; ++i) {
    bits |= indexOf(kSources, env.sourceRgb[i]) << (12 + 5 * i);
    bits |= indexOf(kOperands, env.operandRgb[i]) << (15 + 5 * i);
    bits |= indexOf(kSources, env.sourceAlpha[i]) << (27 + 4 * i);
    bits |= (env.operandAlpha[i] == GL_ONE_MINUS_SRC_ALPHA ? 1ull : 0ull) << (30 + 4 * i);
  }
  return bits;
}

ProgramKey currentKey(bool pretransformed) {
  const ServerState& s = layer().s;
  ProgramKey key;
  key.a = unitBits(0);
  key.b = unitBits(1);
  std::uint64_t lights = 0, positional = 0;
  if (s.enable.lighting && !pretransformed) {
    lights = 1;
    for (int i = 0; i < kLights; ++i)
      if (s.enable.light[i]) {
        lights |= 1ull << (i + 1);
        if (s.lighting.light[i].position[3] != 0) positional |= 1ull << i;
      }
  }
  std::uint64_t fog = 0;
  if (s.enable.fog) {
    fog = s.fog.mode == GL_LINEAR ? 1 : s.fog.mode == GL_EXP ? 2 : 3;
    if (s.fog.source == GL_FOG_COORDINATE_EXT || pretransformed) fog |= 4;
  }
  std::uint64_t alpha = s.enable.alphaTest ? (s.colour.alphaFunc - GL_NEVER + 1) : 0;
  key.a |= lights << 44 | fog << 53 | alpha << 56 | (pretransformed ? 1ull : 0ull) << 60 |
           (s.enable.blend ? 0ull : 1ull) << 61;
  key.b |= positional << 44;
  return key;
}

// What a program's key says a unit and the fog do: both shader stages read it the same way.
std::uint64_t unitKeyBits(const ProgramKey& key, int unit) {
  return (unit == 0 ? key.a : key.b) & 0xffffffffffull;
}
bool unitOn(const ProgramKey& key, int unit) { return (unitKeyBits(key, unit) & 7) != 0; }
std::uint64_t fogMode(const ProgramKey& key) { return (key.a >> 53) & 3; }

const char* kVertexHead = R"(#version 300 es
layout(location = 0) in vec4 aPosition;
layout(location = 1) in vec4 aColour;
layout(location = 2) in vec3 aNormal;
layout(location = 3) in vec4 aTex0;
layout(location = 4) in vec4 aTex1;
layout(location = 5) in float aFog;
uniform mat4 uModelview, uProjection, uTexMatrix[2];
uniform mat3 uNormalMatrix;
uniform vec4 uSceneColour;
uniform vec4 uLightPosition[8];
uniform vec3 uLightAmbient[8], uLightDiffuse[8], uLightAttenuation[8];
out vec4 vColour;
)";

std::string vertexShader(const ProgramKey& key) {
  const bool pretransformed = (key.a >> 60) & 1;
  const std::uint64_t lights = (key.a >> 44) & 0x1ff;
  // The fragment stage reads a unit's coordinates only while the unit is on, the fog
  // distance only with fog: nothing else is passed on.
  const bool tex[2] = {unitOn(key, 0), unitOn(key, 1)}, fog = fogMode(key) != 0;
  std::string s = kVertexHead;
  for (int u = 0; u < kUnits; ++u)
    if (tex[u]) s += "out vec4 vTex" + std::to_string(u) + ";\n";
  if (fog) s += "out float vFog;\n";
  s += "void main() {\n";
  if (pretransformed) {
    s += "  gl_Position = aPosition;\n";
    if (fog) s += "  vFog = aFog;\n";
  } else {
    s += "  vec4 eye = uModelview * aPosition;\n  gl_Position = uProjection * eye;\n";
    if (fog) s += ((key.a >> 53) & 4) ? "  vFog = aFog;\n" : "  vFog = abs(eye.z);\n";
  }
  if (lights & 1) {
    s += "  vec3 n = uNormalMatrix * aNormal;\n  vec3 c = uSceneColour.rgb;\n";
    for (int i = 0; i < kLights; ++i) {
      if (!(lights & (2ull << i))) continue;
      const std::string k = std::to_string(i);
      if ((key.b >> (44 + i)) & 1) {
        s += "  { vec3 d = uLightPosition[" + k + "].xyz - eye.xyz / eye.w; float dist = length(d);\n"
             "    vec3 L = d / dist; vec3 a = uLightAttenuation[" + k + "];\n"
             "    float att = 1.0 / (a.x + a.y * dist + a.z * dist * dist);\n";
      } else {
        s += "  { vec3 L = normalize(uLightPosition[" + k + "].xyz); float att = 1.0;\n";
      }
      s += "    c += att * (uLightAmbient[" + k + "] + max(dot(n, L), 0.0) * uLightDiffuse[" + k + "]); }\n";
    }
    s += "  vColour = clamp(vec4(c, uSceneColour.a), 0.0, 1.0);\n";
  } else {
    s += "  vColour = clamp(aColour, 0.0, 1.0);\n";
  }
  for (int u = 0; u < kUnits; ++u) {
    const std::string n = std::to_string(u);
    if (tex[u]) s += "  vTex" + n + " = uTexMatrix[" + n + "] * aTex" + n + ";\n";
  }
  s += "}\n";
  return s;
}

std::string combineSource(std::uint64_t source, int unit) {
  switch (source) {
    case 0: return "t" + std::to_string(unit);
    case 1: return "uEnvColour[" + std::to_string(unit) + "]";
    case 2: return "vColour";
    case 3: return "c";
    case 4: return "vec4(0.0)";
    default: return "vec4(1.0)";
  }
}

std::string combineArgument(std::uint64_t source, std::uint64_t operand, bool alpha, int unit) {
  const std::string v = combineSource(source, unit);
  if (alpha) return operand ? "(1.0 - " + v + ".a)" : v + ".a";
  switch (operand) {
    case 0: return v + ".rgb";
    case 1: return "(1.0 - " + v + ".rgb)";
    case 2: return "vec3(" + v + ".a)";
    default: return "vec3(1.0 - " + v + ".a)";
  }
}

std::string combineFunction(std::uint64_t f, const std::string a[3]) {
  switch (f) {
    case 0: return a[0];
    case 1: return a[0] + " * " + a[1];
    case 2: return a[0] + " + " + a[1];
    case 3: return a[0] + " + " + a[1] + " - 0.5";
    case 4: return a[0] + " * " + a[2] + " + " + a[1] + " * (1.0 - " + a[2] + ")";
    case 5: return a[0] + " - " + a[1];
    case 6: return a[0] + " * " + a[2] + " + " + a[1];
    case 7: return a[0] + " * " + a[2] + " + " + a[1] + " - 0.5";
    default: return a[0] + " * " + a[2] + " - " + a[1];
  }
}

// One unit's environment applied to c (the colour so far) with its texel t<unit>.
std::string unitCode(std::uint64_t bits, int unit) {
  const std::string u = std::to_string(unit), t = "t" + u;
  const bool texAlpha = bits & 8;
  std::string s = "  vec4 " + t + " = texture(uTexture" + u + ", vTex" + u + ".st / vTex" + u + ".q);\n";
  switch (bits & 7) {
    case kModulate: return s + "  c *= " + t + ";\n";
    case kReplace: return s + (texAlpha ? "  c = " + t + ";\n" : "  c.rgb = " + t + ".rgb;\n");
    case kDecal: return s + (texAlpha ? "  c.rgb = mix(c.rgb, " + t + ".rgb, " + t + ".a);\n" : "  c.rgb = " + t + ".rgb;\n");
    case kBlend:
      return s + "  c.rgb = mix(c.rgb, uEnvColour[" + u + "].rgb, " + t + ".rgb);\n  c.a *= " + t + ".a;\n";
    case kAdd: return s + "  c.rgb = min(c.rgb + " + t + ".rgb, 1.0);\n  c.a *= " + t + ".a;\n";
    default: break;
  }
  std::string rgb[3], alpha[3];
  for (int i = 0; i < 3; ++i) {
    rgb[i] = combineArgument((bits >> (12 + 5 * i)) & 7, (bits >> (15 + 5 * i)) & 3, false, unit);
    alpha[i] = combineArgument((bits >> (27 + 4 * i)) & 7, (bits >> (30 + 4 * i)) & 1, true, unit);
  }
  return s + "  c = vec4(clamp((" + combineFunction((bits >> 4) & 15, rgb) + ") * uEnvScale[" + u + "].x, 0.0, 1.0),\n" +
         "           clamp((" + combineFunction((bits >> 8) & 15, alpha) + ") * uEnvScale[" + u + "].y, 0.0, 1.0));\n";
}

std::string fragmentShader(const ProgramKey& key) {
  std::string s = R"(#version 300 es
precision highp float;
uniform sampler2D uTexture0, uTexture1;
uniform vec4 uEnvColour[2];
uniform vec2 uEnvScale[2];
uniform vec4 uFogColour;
uniform vec3 uFogParams;
uniform float uAlphaRef;
in vec4 vColour;
)";
  // Only what this combination reads is interpolated: each input costs the renderer work at
  // every pixel.
  for (int u = 0; u < kUnits; ++u)
    if (unitOn(key, u)) s += "in vec4 vTex" + std::to_string(u) + ";\n";
  if (fogMode(key)) s += "in float vFog;\n";
  s += "out vec4 fragColour;\nvoid main() {\n  vec4 c = vColour;\n";
  for (int u = 0; u < kUnits; ++u)
    if (unitOn(key, u)) s += unitCode(unitKeyBits(key, u), u);
  const std::uint64_t alphaFunc = (key.a >> 56) & 15;
  if (alphaFunc) {
    static const char* tests[] = {"false", "c.a < uAlphaRef", "c.a == uAlphaRef", "c.a <= uAlphaRef",
                                  "c.a > uAlphaRef", "c.a != uAlphaRef", "c.a >= uAlphaRef", "true"};
    s += std::string("  if (!(") + tests[(alphaFunc - 1) & 7] + ")) discard;\n";
  }
  switch (fogMode(key)) {
    case 1: s += "  float f = (uFogParams.y - vFog) * uFogParams.z;\n"; break;
    case 2: s += "  float f = exp(-uFogParams.x * vFog);\n"; break;
    case 3: s += "  float f = exp(-(uFogParams.x * vFog) * (uFogParams.x * vFog));\n"; break;
    default: break;
  }
  if (fogMode(key)) s += "  c.rgb = mix(uFogColour.rgb, c.rgb, clamp(f, 0.0, 1.0));\n";
  // Without blending the frame's alpha is written as the 1 it holds (see applyColourMask).
  s += ((key.a >> 61) & 1) ? "  fragColour = vec4(c.rgb, 1.0);\n}\n" : "  fragColour = c;\n}\n";
  return s;
}

GLuint compile(GLenum type, const std::string& source) {
  const GLuint shader = emscripten_glCreateShader(type);
  const char* text = source.c_str();
  emscripten_glShaderSource(shader, 1, &text, nullptr);
  emscripten_glCompileShader(shader);
  GLint ok = 0;
  emscripten_glGetShaderiv(shader, kWebglCompileStatus, &ok);
  if (!ok) {
    char log[1024] = {};
    emscripten_glGetShaderInfoLog(shader, sizeof log, nullptr, log);
    std::fprintf(stderr, "gl: shader does not compile: %s\n%s\n", log, text);
  }
  return shader;
}

Program build(const ProgramKey& key) {
  Program p;
  p.id = emscripten_glCreateProgram();
  const GLuint vs = compile(kWebglVertexShader, vertexShader(key));
  const GLuint fs = compile(kWebglFragmentShader, fragmentShader(key));
  emscripten_glAttachShader(p.id, vs);
  emscripten_glAttachShader(p.id, fs);
  emscripten_glLinkProgram(p.id);
  emscripten_glDeleteShader(vs);
  emscripten_glDeleteShader(fs);
  GLint ok = 0;
  emscripten_glGetProgramiv(p.id, kWebglLinkStatus, &ok);
  if (!ok) {
    char log[1024] = {};
    emscripten_glGetProgramInfoLog(p.id, sizeof log, nullptr, log);
    std::fprintf(stderr, "gl: program does not link: %s\n", log);
  }
  auto at = [&](const char* name) { return emscripten_glGetUniformLocation(p.id, name); };
  p.modelview = at("uModelview");
  p.projection = at("uProjection");
  p.normalMatrix = at("uNormalMatrix");
  p.texMatrix[0] = at("uTexMatrix[0]");
  p.texMatrix[1] = at("uTexMatrix[1]");
  p.sampler[0] = at("uTexture0");
  p.sampler[1] = at("uTexture1");
  p.envColour[0] = at("uEnvColour[0]");
  p.envColour[1] = at("uEnvColour[1]");
  p.envScale[0] = at("uEnvScale[0]");
  p.envScale[1] = at("uEnvScale[1]");
  p.fogColour = at("uFogColour");
  p.fogParams = at("uFogParams");
  p.sceneColour = at("uSceneColour");
  p.alphaRef = at("uAlphaRef");
  p.lightPosition = at("uLightPosition");
  p.lightAmbient = at("uLightAmbient");
  p.lightDiffuse = at("uLightDiffuse");
  p.lightAttenuation = at("uLightAttenuation");
  emscripten_glUseProgram(p.id);
  if (p.sampler[0] >= 0) emscripten_glUniform1i(p.sampler[0], 0);
  if (p.sampler[1] >= 0) emscripten_glUniform1i(p.sampler[1], 1);
  return p;
}

// The inverse transpose of the modelview's upper 3 x 3, which carries normals to eye space.
std::array<float, 9> normalMatrix(const Mat4& mv) {
  const auto& m = mv.m;
  const float a = m[0], b = m[4], c = m[8], d = m[1], e = m[5], f = m[9], g = m[2], h = m[6], i = m[10];
  const float A = e * i - f * h, B = -(d * i - f * g), C = d * h - e * g;
  const float det = a * A + b * B + c * C;
  if (det == 0.0f) return {0, 0, 0, 0, 0, 0, 0, 0, 0};
  const float k = 1.0f / det;
  // (M^-1)^T is the cofactor matrix over the determinant; stored column by column.
  return {A * k, -(b * i - c * h) * k, (b * f - c * e) * k,
          B * k, (a * i - c * g) * k, -(a * f - c * d) * k,
          C * k, -(a * h - b * g) * k, (a * e - b * d) * k};
}

// Sends a uniform only when it differs from what the program was last given: each call goes
// through JavaScript and the browser's command buffer, and most draws change only a matrix.
template <typename Send>
void send(const Program& p, GLint location, const float* v, std::size_t n, Send upload) {
  if (location < 0) return;
  std::vector<float>& last = p.sent[location];
  if (last.size() == n && std::equal(v, v + n, last.begin())) return;
  last.assign(v, v + n);
  upload(location, v);
}

void sendMatrix4(const Program& p, GLint location, const float* m) {
  send(p, location, m, 16, [](GLint at, const float* v) { emscripten_glUniformMatrix4fv(at, 1, GL_FALSE, v); });
}

void sendVec(const Program& p, GLint location, const float* v, int size, int count = 1) {
  send(p, location, v, static_cast<std::size_t>(size * count), [size, count](GLint at, const float* values) {
    switch (size) {
      case 1: emscripten_glUniform1f(at, values[0]); break;
      case 2: emscripten_glUniform2fv(at, count, values); break;
      case 3: emscripten_glUniform3fv(at, count, values); break;
      default: emscripten_glUniform4fv(at, count, values);
    }
  });
}

void setUniforms(const Program& p, const ProgramKey& key) {
  Layer& l = layer();
  const ServerState& s = l.s;
  sendMatrix4(p, p.modelview, l.modelview.back().m.data());
  sendMatrix4(p, p.projection, l.projection.back().m.data());
  for (int u = 0; u < kUnits; ++u) {
    sendMatrix4(p, p.texMatrix[u], l.texMatrix[u].back().m.data());
    if (!unitEnabled(u)) continue;
    bindForDraw(u, textureObject(s.texture.binding[u]).webgl);
    const TexEnv& env = s.texture.env[u];
    sendVec(p, p.envColour[u], env.colour, 4);
    const GLfloat scale[2] = {env.rgbScale, env.alphaScale};
    sendVec(p, p.envScale[u], scale, 2);
  }
  if (fogMode(key)) {
    sendVec(p, p.fogColour, s.fog.colour, 4);
    const float range = s.fog.end - s.fog.start;
    const GLfloat params[3] = {s.fog.density, s.fog.end, range != 0 ? 1.0f / range : 0.0f};
    sendVec(p, p.fogParams, params, 3);
  }
  sendVec(p, p.alphaRef, &s.colour.alphaRef, 1);
  if ((key.a >> 44) & 1) {
    const LightingGroup& lg = s.lighting;
    const auto nm = normalMatrix(l.modelview.back());
    send(p, p.normalMatrix, nm.data(), 9, [](GLint at, const float* v) { emscripten_glUniformMatrix3fv(at, 1, GL_FALSE, v); });
    GLfloat scene[4];
    for (int i = 0; i < 3; ++i) scene[i] = lg.materialEmission[i] + lg.materialAmbient[i] * lg.modelAmbient[i];
    scene[3] = lg.materialDiffuse[3];
    sendVec(p, p.sceneColour, scene, 4);
    GLfloat position[kLights * 4], ambient[kLights * 3], diffuse[kLights * 3], attenuation[kLights * 3];
    for (int i = 0; i < kLights; ++i) {
      const Light& light = lg.light[i];
      for (int k = 0; k < 4; ++k) position[i * 4 + k] = light.position[k];
      for (int k = 0; k < 3; ++k) {
        ambient[i * 3 + k] = light.ambient[k] * lg.materialAmbient[k];
        diffuse[i * 3 + k] = light.diffuse[k] * lg.materialDiffuse[k];
        attenuation[i * 3 + k] = light.attenuation[k];
      }
    }
    sendVec(p, p.lightPosition, position, 4, kLights);
    sendVec(p, p.lightAmbient, ambient, 3, kLights);
    sendVec(p, p.lightDiffuse, diffuse, 3, kLights);
    sendVec(p, p.lightAttenuation, attenuation, 3, kLights);
  }
}

}  // namespace

const Program& useProgram(bool pretransformed) {
  Layer& l = layer();
  const ProgramKey key = currentKey(pretransformed);
  auto it = l.programs.find(key);
  if (it == l.programs.end()) it = l.programs.emplace(key, build(key)).first;
  const Program& p = it->second;
  if (l.usedProgram != &p) {
    emscripten_glUseProgram(p.id);
    l.usedProgram = &p;
  }
  setUniforms(p, key);
  return p;
}

}  // namespace gl11
