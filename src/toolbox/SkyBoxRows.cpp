#include "toolbox/SkyBoxRows.h"

#include "app/EditorState.h"
#include "app/PathText.h"
#include "app/Translate.h"
#include "files/SkyboxSet.h"
#include "files/UserTexture.h"
#include "toolbox/ToolBoxRows.h"

using namespace irr;

namespace sorn {

const SkyBoxRow kSkyBoxRows[6] = {
    {L"Back:", ids::SkyBoxBackEdit, ids::SkyBoxBackBrowse, 1, 2},
    {L"Left:", ids::SkyBoxLeftEdit, ids::SkyBoxLeftBrowse, 2, 1},
    {L"Front:", ids::SkyBoxFrontEdit, ids::SkyBoxFrontBrowse, 3, 0},
    {L"Right:", ids::SkyBoxRightEdit, ids::SkyBoxRightBrowse, 4, 3},
    {L"Up:", ids::SkyBoxUpEdit, ids::SkyBoxUpBrowse, 5, 4},
    {L"Down:", ids::SkyBoxDownEdit, ids::SkyBoxDownBrowse, 6, 5},
};

namespace {

// Indices into kSkyBoxRows in the order the update button applies them.
const int kApplyOrder[6] = {4, 5, 1, 3, 0, 2};

bool isSelectedSkyBox(scene::ISceneNode* node) {
    return node && editor.nodeSelected && node->getType() == scene::ESNT_SKY_BOX && node->getMaterialCount() >= 6;
}

} // namespace

void addSkyBoxRows() {
    gui::IGUIElement* tab = toolBoxElement(ids::ToolBoxFirstTab);
    if (!tab)
        return;
    gui::IGUIEnvironment* env = editor.device->getGUIEnvironment();
    env->addStaticText(L"Images:", core::rect<s32>(10, 10, 60, 35), false, false, tab, -1);
    for (s32 k = 0; k < 6; ++k) {
        const SkyBoxRow& row = kSkyBoxRows[k];
        const s32 y = 28 * k;
        env->addStaticText(row.label, core::rect<s32>(22, 38 + y, 60, 56 + y), false, false, tab, -1);
        env->addEditBox(L"", core::rect<s32>(60, 36 + y, 150, 56 + y), true, tab, row.editBox);
        addBrowseButton(tab, core::rect<s32>(155, 38 + y, 173, 54 + y), row.browseButton);
    }
    env->addButton(core::rect<s32>(98, 208, 158, 229), tab, ids::SkyBoxApply, translate(L"action_update").c_str());
    env->addButton(core::rect<s32>(28, 208, 88, 229), tab, ids::SkyBoxSetButton, translate(L"action_load").c_str());
    fillSkyBoxRows(editor.selectedNode);
}

void fillSkyBoxRows(scene::ISceneNode* node) {
    if (!findElement(ids::ToolBoxWindow) || !node || node->getType() != scene::ESNT_SKY_BOX ||
        node->getMaterialCount() < 6)
        return;
    for (const SkyBoxRow& row : kSkyBoxRows) {
        gui::IGUIElement* box = toolBoxElement(row.editBox);
        if (!box)
            continue;
        video::ITexture* texture = node->getMaterial(row.material).getTexture(0);
        // A face left without an image must not keep showing the old file.
        box->setText(texture ? widePath(texture->getName().getPath().c_str()).c_str() : L"");
    }
}

void applySkyBoxRows() {
    scene::ISceneNode* node = editor.selectedNode;
    if (!isSelectedSkyBox(node))
        return;
    for (int index : kApplyOrder) {
        const SkyBoxRow& row = kSkyBoxRows[index];
        gui::IGUIElement* box = toolBoxElement(row.editBox);
        if (!box)
            continue;
        const std::string path = narrowPath(box->getText());
        if (!path.empty())
            node->getMaterial(row.material).setTexture(0, loadUserTexture(path));
    }
}

void applySkyBoxSetFromDialog(const std::string& markerPath) {
    if (applySkyboxSet(markerPath))
        fillSkyBoxRows(editor.selectedNode);
}

} // namespace sorn
