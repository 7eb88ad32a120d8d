#include "scene/NodeName.h"

#include "app/EditorState.h"
#include "app/EngineRef.h"
#include "app/TextConvert.h"
#include "scene/UndoHistory.h"

using namespace irr;

namespace sorn {

namespace {

class RenameStep : public UndoStep {
public:
    RenameStep(scene::ISceneNode* node, const core::stringc& before, const core::stringc& after)
        : node_(node), before_(before), after_(after) {}
    void undo() override { node_->setName(before_); }
    void redo() override { node_->setName(after_); }
    std::size_t memoryCost() const override { return sizeof(*this) + before_.size() + after_.size(); }
    scene::ISceneNode* node() const override { return node_.get(); }
    ChangeKind kind() const override { return ChangeKind::Rename; }

private:
    EngineRef<scene::ISceneNode> node_;
    core::stringc before_, after_;
};

} // namespace

core::stringw nodeNameText(const scene::ISceneNode* node) {
    return node ? widenBytes(node->getName()) : core::stringw();
}

void setNodeNameText(scene::ISceneNode* node, const wchar_t* text) {
    if (node)
        node->setName(narrowToBytes(text ? text : L"").c_str());
}

core::stringw unnamedNodeLabel(const scene::ISceneNode* node) {
    if (!node || !editor.sceneManager)
        return core::stringw();
    const c8* type = editor.sceneManager->getSceneNodeTypeName(node->getType());
    return core::stringw(type ? type : "");
}

std::unique_ptr<UndoStep> makeRenameStep(scene::ISceneNode* node, const core::stringc& before,
                                         const core::stringc& after) {
    if (!node || before == after)
        return nullptr;
    return std::make_unique<RenameStep>(node, before, after);
}

} // namespace sorn
