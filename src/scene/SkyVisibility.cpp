#include "scene/SkyVisibility.h"

#include <vector>

#include "app/EditorState.h"
#include "app/EngineRef.h"
#include "app/MenuBar.h"
#include "scene/UserNodes.h"

using namespace irr;

namespace sorn {

namespace {

bool isSky(scene::ISceneNode* node) {
    const scene::ESCENE_NODE_TYPE type = node->getType();
    return type == scene::ESNT_SKY_BOX || type == scene::ESNT_SKY_DOME;
}

// Every user sky at any depth.
std::vector<scene::ISceneNode*> userSkies() {
    std::vector<scene::ISceneNode*> skies;
    forEachUserNode(editor.sceneManager, [&](scene::ISceneNode* node) {
        if (isSky(node))
            skies.push_back(node);
    });
    return skies;
}

void setSkyCheckMark(bool checked) {
    s32 index = -1;
    if (gui::IGUIContextMenu* menu = menuHoldingCommand(ids::CmdSkyVisible, index))
        menu->setItemChecked(index, checked);
}

// The skies that the check mark showed or hid, each held with the visibility
// it had before; undo gives each its own back, redo the check mark's.
class SkyVisibilityStep : public UndoStep {
public:
    SkyVisibilityStep(const std::vector<scene::ISceneNode*>& skies, bool visible) : visible_(visible) {
        for (scene::ISceneNode* sky : skies)
            skies_.emplace_back(sky);
    }
    void undo() override {
        for (const auto& sky : skies_)
            sky->setVisible(!visible_);
        setSkyCheckMark(!visible_);
    }
    void redo() override {
        for (const auto& sky : skies_)
            sky->setVisible(visible_);
        setSkyCheckMark(visible_);
    }
    std::size_t memoryCost() const override { return sizeof(*this) + skies_.capacity() * sizeof(void*); }
    scene::ISceneNode* node() const override { return skies_.front().get(); }
    ChangeKind kind() const override { return ChangeKind::Sky; }

private:
    std::vector<EngineRef<scene::ISceneNode>> skies_;
    bool visible_;
};

} // namespace

// Looked up where the item is (the View menu), by its command id.
bool skyCheckMarkOn() {
    s32 index = -1;
    gui::IGUIContextMenu* menu = menuHoldingCommand(ids::CmdSkyVisible, index);
    return !menu || menu->isItemChecked(index);
}

void setUserSkiesVisible(bool visible) {
    for (scene::ISceneNode* sky : userSkies())
        sky->setVisible(visible);
}

std::unique_ptr<UndoStep> showUserSkiesRecorded(bool visible) {
    std::vector<scene::ISceneNode*> changed;
    for (scene::ISceneNode* sky : userSkies()) {
        if (sky->isVisible() == visible)
            continue;
        sky->setVisible(visible);
        changed.push_back(sky);
    }
    if (changed.empty())
        return nullptr;
    return std::make_unique<SkyVisibilityStep>(changed, visible);
}

void followSkyCheckMark(scene::ISceneNode* node) {
    if (node && isSky(node))
        node->setVisible(skyCheckMarkOn());
}

} // namespace sorn
