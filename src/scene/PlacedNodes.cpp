#include "scene/PlacedNodes.h"

#include <utility>
#include <vector>

#include "app/EditorState.h"
#include "app/EngineRef.h"
#include "app/NodeIndex.h"
#include "scene/SceneBox.h"

using namespace irr;

namespace sorn {

namespace {

struct Noted {
    EngineRef<scene::ISceneNode> node, formerParent;
    bool namesKept;
};

std::vector<Noted>& noted() {
    static std::vector<Noted> list;
    return list;
}

bool isInScene(scene::ISceneNode* node, scene::ISceneNode* root) {
    while (node && node != root)
        node = node->getParent();
    return node == root;
}

} // namespace

void notePlacedNode(scene::ISceneNode* node, scene::ISceneNode* formerParent, bool namesKept) {
    if (node)
        noted().push_back(
            {EngineRef<scene::ISceneNode>(node), EngineRef<scene::ISceneNode>(formerParent), namesKept});
}

bool showPlacedNodes() {
    std::vector<Noted> list;
    list.swap(noted());
    if (list.empty() || !editor.sceneManager)
        return !list.empty();
    scene::ISceneNode* root = editor.sceneManager->getRootSceneNode();
    std::vector<NodePlacement> placed;
    for (const Noted& n : list) {
        if (!n.namesKept && isInScene(n.node.get(), root))
            indexSubtreeNames(n.node.get());
        placed.push_back({n.node.get(), n.formerParent.get()});
    }
    showNodesPlaced(placed);
    return true;
}

void forgetPlacedNodes() { noted().clear(); }

} // namespace sorn
