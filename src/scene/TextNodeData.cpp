#include "scene/TextNodeData.h"

#include <map>

#include "app/EditorState.h"
#include "scene/NodeUserData.h"

using namespace irr;

namespace sorn {

const wchar_t* const kDefaultNodeText = L"Text";
const video::SColor kDefaultTextColour(0x64FFFFFF);

namespace {

const c8* const TextAttribute = "Text";
const c8* const ColourAttribute = "Color";

std::map<const scene::ISceneNode*, TextNodeRecord>& records() {
    static std::map<const scene::ISceneNode*, TextNodeRecord> byNode;
    return byNode;
}

// The text and colour become entries of the node's user data: updated where
// the node's user data has them, added at its end where it does not.
void recordInUserData(scene::ITextSceneNode* node, const wchar_t* text, video::SColor colour) {
    io::IAttributes* userData = nodeUserDataForChange(node);
    if (!userData)
        return;
    if (userData->existsAttribute(TextAttribute))
        userData->setAttribute(TextAttribute, text);
    else
        userData->addString(TextAttribute, text);
    if (userData->existsAttribute(ColourAttribute))
        userData->setAttribute(ColourAttribute, colour);
    else
        userData->addColor(ColourAttribute, colour);
}

// Records whose node is gone go from both stores together.
void releaseUnheldRecords() {
    for (const scene::ISceneNode* gone : releaseUnheldNodeUserData())
        records().erase(gone);
}

class SceneUserData : public scene::ISceneUserDataSerializer {
public:
    void OnCreateNode(scene::ISceneNode*) override {}

    void OnReadUserData(scene::ISceneNode* node, io::IAttributes* userData) override {
        if (!node || !userData)
            return;
        // Kept as read, every entry in its order.
        setNodeUserData(node, userData);
        if (node->getType() != scene::ESNT_TEXT)
            return;
        auto* textNode = static_cast<scene::ITextSceneNode*>(node);
        const TextNodeRecord* known = findTextNodeData(node);
        core::stringw text = known ? known->text : core::stringw(kDefaultNodeText);
        video::SColor colour = known ? known->colour : kDefaultTextColour;
        if (userData->existsAttribute(TextAttribute))
            text = userData->getAttributeAsStringW(TextAttribute);
        if (userData->existsAttribute(ColourAttribute))
            colour = userData->getAttributeAsColor(ColourAttribute);
        setTextNodeData(textNode, text.c_str(), colour);
    }

    io::IAttributes* createUserData(scene::ISceneNode* node) override {
        // The scene writer starts with the root: a save is the time to let go
        // of the records of nodes deleted for good.
        if (node && editor.sceneManager && node == editor.sceneManager->getRootSceneNode())
            releaseUnheldRecords();
        io::IAttributes* userData = findNodeUserData(node);
        if (userData)
            userData->grab(); // the scene writer drops it
        return userData;
    }
};

} // namespace

void setTextNodeData(scene::ITextSceneNode* node, const wchar_t* text, video::SColor colour) {
    if (!node)
        return;
    node->setText(text);
    node->setTextColor(colour);
    records()[node] = TextNodeRecord{text, colour};
    recordInUserData(node, text, colour);
}

void setTextNodeText(scene::ITextSceneNode* node, const wchar_t* text) {
    if (!node)
        return;
    const TextNodeRecord* known = findTextNodeData(node);
    setTextNodeData(node, text, known ? known->colour : kDefaultTextColour);
}

const TextNodeRecord* findTextNodeData(const scene::ISceneNode* node) {
    auto found = records().find(node);
    return found == records().end() ? nullptr : &found->second;
}

void forgetTextNodeData() {
    records().clear();
    forgetAllNodeUserData();
}

scene::ISceneUserDataSerializer* textNodeUserData() {
    static SceneUserData serializer;
    return &serializer;
}

} // namespace sorn
