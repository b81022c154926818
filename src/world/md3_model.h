// A vertex-animated MD3 model: surfaces of triangles whose vertices move from frame to frame,
// textured from a skin file, lit by normals computed here at load, and carrying other models
// on its tags (the character joins its body parts that way).
//
// The file is read by its layout: header, frames, tags and surfaces back to back, each
// surface's arrays at the offsets of its own header. Where the header places the tags or the
// first surface elsewhere inside the file (a file with gaps between its sections), the header
// is followed instead; offsets outside the file are ignored. The file is not trusted: counts and offsets that point outside the file keep only the
// whole records that are really there, a surface's arrays are looked for only within that
// surface, a triangle with a corner outside its surface is dropped, and a frame that a
// surface or tag list lacks is simply not drawn.
//
// Drawing needs the GL context current and platform::glext loaded (multitexture).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "resources/texture_record.h"
#include "world/md3_format.h"
#include "world/vec3.h"

namespace world {

// ---- pure pieces (no GL) ----

// A stored vertex in model units: 64 stored units are 1.
Vec3 decodeVertex(const md3::Md3Vertex& vertex);

// normalise((c2 - c0) x (c1 - c0)) for corners in file order. Nothing for collinear corners,
// whose cross product has no direction.
std::optional<Vec3> faceNormal(const Vec3& c0, const Vec3& c1, const Vec3& c2);

// a + (b - a) x t, component by component.
Vec3 lerp(const Vec3& a, const Vec3& b, float t);

// Each of the twelve floats interpolated linearly; the name is a's.
md3::Md3Tag interpolateTag(const md3::Md3Tag& a, const md3::Md3Tag& b, float t);

// Column-major 4 x 4 (as glMultMatrixf takes it): the three axes with w = 0, then the
// origin with w = 1. The axes are taken as they are, not re-orthonormalised.
std::array<float, 16> tagMatrix(const md3::Md3Tag& tag);

// The animation state of a model. The loop runs from start (inclusive) to end (exclusive).
struct FrameState {
  float frac = 0.0f;
  std::int32_t current = 0;
  std::int32_t next = 0;
  std::int32_t start = 0;
  std::int32_t end = 0;
};

// Once frac has reached 1: frac back to 0 (the excess is dropped) and one frame on, both
// frames wrapping to start when they reach end. Below 1 nothing changes.
void advanceFrame(FrameState& state);

// How much one drawn surface adds to frac per unit of speed (one ninetieth).
constexpr float kFracPerSurface = 0.011111111f;

// Whether a skin line names the surface: the name occurs in the line (case-sensitive); an
// empty line or name never matches.
bool skinLineNames(std::string_view line, std::string_view surfaceName);
// The image file of a skin line: what follows its last "/" at a position >= 1. Nothing when
// there is no such "/".
std::optional<std::string> skinImageName(std::string_view line);

// What a skin file gives the surfaces: a line names every surface whose name it holds, and
// of the lines naming one surface (with an image) the last one wins. The winners come in the
// order of their lines, surfaces of one line in the order given. Lines end at '\n'; a '\r'
// before it is not part of the line.
struct SkinChoice {
  std::size_t surface;  // index into the names given
  std::string image;    // the line's image file name
};
std::vector<SkinChoice> parseSkin(std::string_view text, std::span<const std::string> surfaceNames);

// One surface as read, plus what load computes for it.
struct Md3Surface {
  md3::Md3SurfaceHeader header{};
  std::string name;                          // header name up to its NUL (at most 64 bytes)
  std::int32_t vertexCount = 0;              // V, never negative
  std::int32_t frameCount = 0;               // frames whose V vertices are all in the file
  std::vector<md3::Md3Triangle> triangles;   // only those whose corners lie in 0..V-1
  std::int32_t droppedTriangles = 0;         // read but with a corner outside the surface
  std::vector<md3::Md3TexCoord> texCoords;   // V; missing records read as (0, 0)
  std::vector<md3::Md3Vertex> vertices;      // frameCount x V, frame-major
  std::vector<Vec3> normals;                 // normalFrames x V, frame-major
  std::int32_t normalFrames = 0;             // frames with normals: min(F, frameCount)
  resources::TextureRecord texture;          // set by the skin; name 0 binds no texture

  Vec3 position(std::int32_t frame, std::int32_t vertex) const;
  const Vec3& normal(std::int32_t frame, std::int32_t vertex) const;
  // Whether frame f can be drawn: it has both vertices and normals.
  bool hasFrame(std::int32_t frame) const { return frame >= 0 && frame < normalFrames; }
};

// One surface's vertices as a frame draws them: each vertex once, with the normal and position
// blended between the current and the next frame and the texture coordinates with t flipped
// (the images are stored with their first row at t = 0, the model's t runs the other way),
// and the triangles' corners in their order.
struct BlendedSurface {
  std::vector<Vec3> positions, normals;
  std::vector<float> texCoords;  // s, t per vertex
  std::vector<std::uint32_t> indices;
};

// Fills `out` for frames a and b at `frac`; false (and nothing to draw) when the surface
// lacks either frame or has no triangles.
bool blendSurface(const Md3Surface& surface, std::int32_t a, std::int32_t b, float frac, BlendedSurface& out);

// What a model file holds, as read. Pure data: no GL.
struct Md3Data {
  md3::Md3Header header{};
  std::int32_t frameCount = 0;    // F, never negative
  std::int32_t tagCount = 0;      // T, never negative: the stride of the tag records
  std::vector<md3::Md3Tag> tags;  // the whole records present of the F x T
  std::vector<Md3Surface> surfaces;
};

// Reads a model file held in memory and computes its normals.
Md3Data parseMd3(std::span<const std::uint8_t> file);

// The per-frame normals of one surface from its vertices (collinear faces add nothing).
void computeNormals(Md3Surface& surface, std::int32_t modelFrameCount);

class Md3Model {
 public:
  // One owner per set of surface textures: a copy would delete them twice. A moved-from
  // model is empty, and moving over a model gives its textures back first.
  Md3Model() = default;
  Md3Model(const Md3Model&) = delete;
  Md3Model& operator=(const Md3Model&) = delete;
  Md3Model(Md3Model&& other) noexcept;
  Md3Model& operator=(Md3Model&& other) noexcept;

  // Reads the file (through the path resolver). A missing file gives an empty model that
  // draws nothing; loaded() tells.
  static Md3Model load(std::string_view fileName);
  static Md3Model fromMemory(std::span<const std::uint8_t> file);
  // A model already read (no textures yet: the skins upload them).
  static Md3Model fromData(Md3Data data);

  // Reads the skin file (parseSkin) and gives every surface named in it the image its line
  // names, loaded from `folder`; an image an earlier skin gave is released.
  void loadSkinTga(std::string_view skinFile, std::string_view folder);
  void loadSkinJpeg(std::string_view skinFile, std::string_view folder);

  // Carries `child` (not owned; it must outlive this model) on every tag whose name in frame
  // 0 is exactly `tagName`.
  void attach(std::string_view tagName, Md3Model* child);

  // Draws at the current matrix: the surfaces, then the attached models through the
  // interpolated tag matrices. frac grows by speed / 90 for every surface.
  void draw(float speed);
  // What draw does to the frames, without drawing: the same steps in the same order.
  void advance(float speed);
  void advanceFrame() { world::advanceFrame(state_); }
  // Deletes the surface textures and empties the model.
  void destroy();

  bool loaded() const { return loaded_; }
  const Md3Data& data() const { return data_; }
  FrameState& frameState() { return state_; }
  const FrameState& frameState() const { return state_; }
  std::span<Md3Model* const> attachments() const { return attachments_; }
  // The interpolated matrix of tag i for the current frames and frac; nothing when a frame's
  // record is missing.
  std::optional<std::array<float, 16>> currentTagMatrix(std::int32_t tag) const;

 private:
  void loadSkin(std::string_view skinFile, std::string_view folder,
                resources::TextureRecord (*loader)(std::string_view));
  void drawAt(float speed, int depth, bool drawing);
  void drawSurface(const Md3Surface& surface) const;

  Md3Data data_;
  std::vector<Md3Model*> attachments_;  // one per tag of frame 0, not owned
  FrameState state_;
  bool loaded_ = false;
  mutable BlendedSurface scratch_;  // refilled by each surface drawn
};

}  // namespace world
