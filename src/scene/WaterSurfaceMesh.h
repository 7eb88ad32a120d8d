#pragma once
// A water surface read from a scene, or made afresh by its type and given
// another's attributes, animates a copy of its mesh that the mesh cache does
// not know: the engine would save it with an empty "Mesh" and reopen it with
// no surface at all. Given its mesh again by the name the cache knows, it
// saves that name like a water surface made from the mesh.
#include <irrlicht.h>

namespace sorn {

// Gives the water surface node the cached mesh named meshName; nothing when
// the node is no water surface or the cache holds no such mesh (no file is
// read here).
void keepWaterSurfaceMesh(irr::scene::ISceneManager* sceneManager, irr::scene::ISceneNode* node,
                          const irr::io::path& meshName);

} // namespace sorn
