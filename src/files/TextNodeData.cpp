#include "files/TextNodeData.h"

#include <map>

#include "app/EditorState.h"

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

class TextNodeUserData : public scene::ISceneUserDataSerializer {
public:
    void OnCreateNode(scene::ISceneNode*) override {}

    void OnReadUserData(scene::ISceneNode* node, io::IAttributes* userData) override {
        if (!node || !userData || node->getType() != scene::ESNT_TEXT)
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
        const TextNodeRecord* record = node && node->getType() == scene::ESNT_TEXT ? findTextNodeData(node) : nullptr;
        if (!record || !editor.device)
            return nullptr;
        io::IAttributes* userData = editor.device->getFileSystem()->createEmptyAttributes();
        userData->addString(TextAttribute, record->text.c_str());
        userData->addColor(ColourAttribute, record->colour);
        return userData; // the scene writer drops it
    }
};

} // namespace

void setTextNodeData(scene::ITextSceneNode* node, const wchar_t* text, video::SColor colour) {
    if (!node)
        return;
    node->setText(text);
    node->setTextColor(colour);
    records()[node] = TextNodeRecord{text, colour};
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
}

scene::ISceneUserDataSerializer* textNodeUserData() {
    static TextNodeUserData serializer;
    return &serializer;
}

} // namespace sorn
