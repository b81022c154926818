// The show's one look: dark stone, warm fire, cold water, white light. The palette and the
// few recipes that every picture family shares live here.
#pragma once

#include <cstdint>
#include <string_view>

#include "image.h"
#include "text_render.h"

namespace showkit {

namespace palette {
inline constexpr Rgba night{0.015f, 0.02f, 0.03f, 1};
inline constexpr Rgba stoneDark{0.07f, 0.065f, 0.07f, 1};
inline constexpr Rgba stone{0.25f, 0.23f, 0.22f, 1};
inline constexpr Rgba stoneLight{0.48f, 0.45f, 0.42f, 1};
inline constexpr Rgba ember{0.62f, 0.16f, 0.03f, 1};
inline constexpr Rgba fire{1.0f, 0.55f, 0.16f, 1};
inline constexpr Rgba flame{1.0f, 0.85f, 0.55f, 1};
inline constexpr Rgba waterDeep{0.015f, 0.06f, 0.11f, 1};
inline constexpr Rgba water{0.08f, 0.34f, 0.48f, 1};
inline constexpr Rgba waterLight{0.55f, 0.86f, 0.96f, 1};
inline constexpr Rgba white{1.0f, 0.98f, 0.94f, 1};
}  // namespace palette

// Font files of the show: titles and captions in the serif faces.
inline constexpr std::string_view kSerifBold = "LiberationSerif-Bold.ttf";
inline constexpr std::string_view kSerifItalic = "LiberationSerif-Italic.ttf";
inline constexpr std::string_view kSerifRegular = "LiberationSerif-Regular.ttf";

// A light-emitting picture for additive drawing: `mask` at full strength in `core` (its
// alpha is the coverage), surrounded by a halo of `halo` whose alpha falls off over
// `haloRadius` pixels.
Image glowingMask(const Field& mask, Rgba core, Rgba halo, int haloRadius, float haloStrength);

// Places `mask` into `canvas` (a coverage field of the whole picture) at (x, y), keeping
// the larger coverage.
void stamp(Field& canvas, const Field& mask, int x, int y);

// Masonry: height (0 in the joints, up to 1 on the faces), a per-block shade and the block's
// id at (x, y) in pixels. Rows `blockHeight` high, blocks `blockWidth` wide, every other row
// shifted by half a block (or, when `irregular`, by a different amount per row, with
// blocks of uneven length); tiles when the picture is a multiple of the pattern.
struct Masonry {
  float height = 0;
  float shade = 0;
  std::uint32_t id = 0;
};
Masonry masonry(float x, float y, float blockWidth, float blockHeight, float joint,
                std::uint32_t seed, int periodX = 0, bool irregular = false);

// Water light: the bright network that sunlight draws through ripples, 0..1, tiling over
// periodX x periodY cells when the periods are > 0 (a negative periodY repeats periodX).
float caustics(float x, float y, std::uint32_t seed, int periodX = 0, int periodY = -1);

// Turns a rendered picture into a painting: colours are carried along short strokes that
// follow a smooth flow field, then a canvas grain is laid over it.
void paintify(Image& image, std::uint32_t seed, float strokeLength);

// A hooded monk in silhouette: coverage (0..1) at (x, y) for a figure standing with its
// feet at (footX, footY), `size` pixels tall, facing right when facingRight.
float monkSilhouette(float x, float y, float footX, float footY, float size, bool facingRight);

}  // namespace showkit
