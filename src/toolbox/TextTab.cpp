#include "toolbox/TextTab.h"

#include <irrlicht.h>

#include "app/EditorState.h"
#include "app/Translate.h"
#include "scene/TextNodeData.h"
#include "toolbox/ColourSwatch.h"
#include "toolbox/ColourText.h"
#include "toolbox/ToolBoxRows.h"

using namespace irr;

namespace sorn {

void addTextTab() {
    auto* tabs = static_cast<gui::IGUITabControl*>(toolBoxElement(ids::ToolBoxTabControl));
    if (!tabs)
        return;
    gui::IGUIEnvironment* env = editor.device->getGUIEnvironment();
    gui::IGUITab* tab = tabs->addTab(translate(L"window_toolbox_tab_text").c_str(), -1);
    env->addStaticText(L"Text:", core::rect<s32>(10, 10, 60, 35), false, false, tab, -1);
    env->addStaticText(L"Text:", core::rect<s32>(22, 38, 60, 56), false, false, tab, -1);
    // The box starts with the selected node's own text, so that Update after
    // a small change keeps the rest of it.
    const scene::ISceneNode* node = editor.selectedNode;
    const TextNodeRecord* record =
        node && node->getType() == scene::ESNT_TEXT ? findTextNodeData(node) : nullptr;
    env->addEditBox(record ? record->text.c_str() : kDefaultNodeText, core::rect<s32>(60, 36, 170, 56), true, tab,
                    ids::TextEdit);
    // The colour row: the node's colour as colour text, and its swatch.
    env->addStaticText(L"Color:", core::rect<s32>(22, 66, 60, 84), false, false, tab, -1);
    const video::SColor colour = record ? record->colour : kDefaultTextColour;
    gui::IGUIEditBox* box = env->addEditBox(formatColourText(colour).c_str(), core::rect<s32>(60, 64, 151, 84), true,
                                            tab, ids::TextColourEdit);
    box->setToolTipText(L"ARGB: u32(A), u32(R), u32(G), u32(B)");
    addColourSwatch(tab, core::rect<s32>(153, 65, 170, 83), ids::TextColourSwatch, box,
                    [box](video::SColor chosen) { enterColourIntoRow(box, chosen); });
    env->addButton(core::rect<s32>(110, 96, 170, 117), tab, ids::TextApply, translate(L"action_update").c_str());
}

void applyTextTab() {
    scene::ISceneNode* node = editor.selectedNode;
    gui::IGUIElement* box = toolBoxElement(ids::TextEdit);
    if (!node || !editor.nodeSelected || node->getType() != scene::ESNT_TEXT || !box)
        return;
    // A colour row that reads as no colour keeps the colour in force.
    const TextNodeRecord* record = findTextNodeData(node);
    video::SColor colour = record ? record->colour : kDefaultTextColour;
    if (gui::IGUIElement* colourBox = toolBoxElement(ids::TextColourEdit))
        readColourText(colourBox->getText(), colour);
    setTextNodeData(static_cast<scene::ITextSceneNode*>(node), box->getText(), colour);
}

} // namespace sorn
