#pragma once
// The editor's operations on its one ground grid (editor.gridNode).
#include <irrlicht.h>

namespace sorn {

constexpr irr::f32 kDefaultGridSize = 2000.f;
constexpr irr::f32 kDefaultGridSpacing = 100.f;

// Creates the white "Sorn::Grid" debug node under the root and keeps it in
// editor.gridNode; its parent holds the only lasting reference.
void createGrid(irr::f32 size, irr::f32 spacing);
// Square size and line spacing of grid 0. Sizes and spacings that give no
// drawable lines leave the grid empty at the next frame.
void setGridSizeAndSpacing(irr::f32 size, irr::f32 spacing);
// Back to 2000 and 100, in the grid and in the values the tool box shows.
void resetGrid();

} // namespace sorn
