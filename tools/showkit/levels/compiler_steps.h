// The compiler's steps, in the order compileLevel runs them. Internal to the library.
#pragma once

#include "cell_grid.h"
#include "level_compiler.h"

namespace levelc {

// Rectangles between air and solid cells, merged where neighbours share plane and material.
std::vector<LevelFace> extractFaces(const LevelDescription& description, const CellGrid& grid);

// Splits the grid into convex leaves of one room each (or of solid space) and fills planes,
// nodes, leaves (with their faces) and the cluster of each leaf.
void buildTree(const CellGrid& grid, CompiledLevel& level);

// Visibility rows between clusters, from rays between points of their leaves.
void computeVisibility(const CellGrid& grid, CompiledLevel& level);

// Bakes one lightmap rectangle per face, packs them into pages and writes the vertices.
void bakeLightmaps(const LevelDescription& description, const CellGrid& grid,
                   CompiledLevel& level);

}  // namespace levelc
