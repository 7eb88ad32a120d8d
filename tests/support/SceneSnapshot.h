#pragma once
// What the soak compares: a canonical text of the user's scene and the count
// of its nodes, both leaving out the editor's own nodes (debug objects).
#include <irrlicht.h>

#include <map>
#include <string>

namespace sorn {
namespace test {

// The scene as the engine writes it (with the editor's text-node user data)
// into scratchFile, plus the grid, which undo restores too. The lines that
// only say how the scene is viewed (debug drawing, sky visibility: the View
// and Debug menus, not scene edits) are left out.
std::string canonicalSceneText(irr::scene::ISceneManager* smgr, const std::string& scratchFile, irr::f32 gridSize,
                               irr::f32 gridSpacing);

// Removes the view-only attribute lines from a scene file's text, and the
// sign of the zeros written as -0.000000.
std::string withoutViewAttributes(const std::string& sceneText);

// Nodes under the root at any depth, debug objects and everything under them
// left out: what a save writes.
unsigned countUserNodes(irr::scene::ISceneNode* root);

// The same nodes tallied by type name (as the engine names the types).
std::map<std::string, unsigned> tallyUserNodes(irr::scene::ISceneManager* smgr);

} // namespace test
} // namespace sorn
