#include "toolbox/TerrainSkyRows.h"

#include "app/EditorState.h"
#include "app/PathText.h"
#include "app/Translate.h"
#include "files/UserTexture.h"
#include "toolbox/ToolBoxRows.h"

using namespace irr;

namespace sorn {

namespace {

void addImageRows(gui::IGUIElement* parent) {
    gui::IGUIEnvironment* env = editor.device->getGUIEnvironment();
    env->addStaticText(L"Image:", core::rect<s32>(10, 10, 60, 35), false, false, parent, -1);
    env->addEditBox(L"", core::rect<s32>(22, 36, 150, 56), true, parent, ids::ImagePathEdit);
    addBrowseButton(parent, core::rect<s32>(155, 38, 173, 54), ids::ImagePathBrowse);
    env->addButton(core::rect<s32>(98, 66, 158, 87), parent, ids::ImagePathApply, translate(L"action_update").c_str());
}

} // namespace

void addTerrainTab() {
    auto* tabs = static_cast<gui::IGUITabControl*>(toolBoxElement(ids::ToolBoxTabControl));
    if (!tabs)
        return;
    addImageRows(tabs->addTab(translate(L"window_toolbox_tab_terrain").c_str(), -1));
}

void addSkyDomeRows() {
    gui::IGUIElement* tab = toolBoxElement(ids::ToolBoxFirstTab);
    if (!tab)
        return;
    addImageRows(tab);
    fillSkyDomeRow(editor.selectedNode);
}

void fillSkyDomeRow(scene::ISceneNode* node) {
    gui::IGUIElement* box = toolBoxElement(ids::ImagePathEdit);
    if (!box || !node || node->getType() != scene::ESNT_SKY_DOME || node->getMaterialCount() == 0)
        return;
    video::ITexture* texture = node->getMaterial(0).getTexture(0);
    if (texture && !texture->getName().getPath().empty())
        box->setText(widePath(texture->getName().getPath().c_str()).c_str());
}

void applyImageRow() {
    scene::ISceneNode* node = editor.selectedNode;
    gui::IGUIElement* box = toolBoxElement(ids::ImagePathEdit);
    if (!node || !editor.nodeSelected || !box || node->getMaterialCount() == 0)
        return;
    const scene::ESCENE_NODE_TYPE type = node->getType();
    if (type != scene::ESNT_TERRAIN && type != scene::ESNT_SKY_DOME)
        return;
    const std::string path = narrowPath(box->getText());
    if (path.empty())
        return;
    node->getMaterial(0).setTexture(0, loadUserTexture(path));
}

} // namespace sorn
