#pragma once
// Walking the user's part of the scene graph.
#include <irrlicht.h>

#include <vector>

namespace sorn {

// Calls visit(node) for every node under the scene's root at any depth,
// leaving out the editor's own nodes (debug objects: cameras, grid, gizmo,
// default sky) with everything under them. An explicit stack: scenes can
// nest deeper than the call stack allows.
template <typename Visit>
void forEachUserNode(irr::scene::ISceneManager* sceneManager, Visit visit) {
    if (!sceneManager)
        return;
    std::vector<irr::scene::ISceneNode*> pending{sceneManager->getRootSceneNode()};
    while (!pending.empty()) {
        irr::scene::ISceneNode* node = pending.back();
        pending.pop_back();
        for (irr::scene::ISceneNode* child : node->getChildren()) {
            if (child->isDebugObject())
                continue;
            visit(child);
            pending.push_back(child);
        }
    }
}

} // namespace sorn
