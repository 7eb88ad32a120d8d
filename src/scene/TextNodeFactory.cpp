#include "scene/TextNodeFactory.h"

#include "app/EditorState.h"
#include "app/PathText.h"
#include "scene/TextNodeData.h"

using namespace irr;

namespace sorn {

namespace {

const c8* const TextTypeName = "text";

class TextNodeFactory : public scene::ISceneNodeFactory {
public:
    scene::ISceneNode* addSceneNode(scene::ESCENE_NODE_TYPE type, scene::ISceneNode* parent) override {
        if (type != scene::ESNT_TEXT || !editor.device)
            return nullptr;
        gui::IGUIFont* font =
            editor.device->getGUIEnvironment()->getFont(narrowPath(mediaPath(L"fonthaettenschweiler.bmp")).c_str());
        if (!font)
            return nullptr;
        if (!parent)
            parent = editor.sceneManager->getRootSceneNode();
        scene::ITextSceneNode* node = editor.sceneManager->addTextSceneNode(
            font, kDefaultNodeText, kDefaultTextColour, parent, core::vector3df(0, 0, 0), -1);
        setTextNodeData(node, kDefaultNodeText, kDefaultTextColour);
        return node;
    }

    scene::ISceneNode* addSceneNode(const c8* typeName, scene::ISceneNode* parent) override {
        if (!typeName || core::stringc(typeName) != TextTypeName)
            return nullptr;
        return addSceneNode(scene::ESNT_TEXT, parent);
    }

    u32 getCreatableSceneNodeTypeCount() const override { return 1; }

    scene::ESCENE_NODE_TYPE getCreateableSceneNodeType(u32 idx) const override {
        return idx == 0 ? scene::ESNT_TEXT : scene::ESNT_UNKNOWN;
    }

    const c8* getCreateableSceneNodeTypeName(u32 idx) const override { return idx == 0 ? TextTypeName : nullptr; }

    const c8* getCreateableSceneNodeTypeName(scene::ESCENE_NODE_TYPE type) const override {
        return type == scene::ESNT_TEXT ? TextTypeName : nullptr;
    }
};

} // namespace

void registerTextNodeFactory() {
    forgetTextNodeData(); // the nodes of an earlier scene manager are gone
    if (!editor.sceneManager)
        return;
    auto* factory = new TextNodeFactory();
    editor.sceneManager->registerSceneNodeFactory(factory);
    factory->drop(); // the scene manager holds it
}

} // namespace sorn
