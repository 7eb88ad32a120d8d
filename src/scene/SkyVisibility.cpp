#include "scene/SkyVisibility.h"

#include <vector>

#include "app/EditorState.h"
#include "app/MenuBar.h"

using namespace irr;

namespace sorn {

namespace {

bool isSky(scene::ISceneNode* node) {
    const scene::ESCENE_NODE_TYPE type = node->getType();
    return type == scene::ESNT_SKY_BOX || type == scene::ESNT_SKY_DOME;
}

} // namespace

// Looked up where the item is (the View menu), by its command id.
bool skyCheckMarkOn() {
    s32 index = -1;
    gui::IGUIContextMenu* menu = menuHoldingCommand(ids::CmdSkyVisible, index);
    return !menu || menu->isItemChecked(index);
}

void setUserSkiesVisible(bool visible) {
    if (!editor.sceneManager)
        return;
    // An explicit stack: scenes can nest deeper than the call stack allows.
    std::vector<scene::ISceneNode*> pending{editor.sceneManager->getRootSceneNode()};
    while (!pending.empty()) {
        scene::ISceneNode* node = pending.back();
        pending.pop_back();
        for (scene::ISceneNode* child : node->getChildren()) {
            if (child->isDebugObject())
                continue;
            if (isSky(child))
                child->setVisible(visible);
            pending.push_back(child);
        }
    }
}

void followSkyCheckMark(scene::ISceneNode* node) {
    if (node && isSky(node))
        node->setVisible(skyCheckMarkOn());
}

} // namespace sorn
