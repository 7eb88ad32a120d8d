#include "toolbox/ToolBox.h"

#include <irrlicht.h>

#include <array>
#include <cstdio>

#include "app/EditorState.h"
#include "app/Translate.h"
#include "app/WindowPlaces.h"
#include "toolbox/AnimatorsTab.h"
#include "toolbox/AttributesTab.h"
#include "toolbox/CustomPropertiesTab.h"
#include "toolbox/LightTab.h"
#include "toolbox/MaterialTab.h"
#include "toolbox/ObjectTab.h"
#include "toolbox/ParticleTab.h"
#include "toolbox/SceneTab.h"
#include "toolbox/SkyBoxRows.h"
#include "toolbox/TerrainSkyRows.h"
#include "toolbox/TextTab.h"
#include "toolbox/ToolBoxRowGroups.h"
#include "toolbox/VolumeLightTab.h"

using namespace irr;

namespace sorn {

namespace {

// Adds one group of rows or one tab for the selected node and shows its values.
using TabBuilder = void (*)();

// What a node type gets after its object tab, in the order the rows and tabs
// appear. Each property page of the tool box adds its builder to the types it
// serves; a type that is not listed gets an empty object tab.
struct NodeTypeTabs {
    scene::ESCENE_NODE_TYPE type;
    std::array<TabBuilder, 6> builders; // unused entries are null
};

const NodeTypeTabs kTabsByType[] = {
    {scene::ESNT_CUBE, {addPositionRows, addRotationRows, addScaleRows, addMaterialTab}},
    {scene::ESNT_SPHERE, {addPositionRows, addRotationRows, addScaleRows, addMaterialTab}},
    {scene::ESNT_MESH, {addPositionRows, addRotationRows, addScaleRows, addMaterialTab}},
    {scene::ESNT_ANIMATED_MESH, {addPositionRows, addRotationRows, addScaleRows, addMaterialTab, addFrameRateRow}},
    {scene::ESNT_EMPTY, {addPositionRows, addRotationRows, addScaleRows}},
    {scene::ESNT_PARTICLE_SYSTEM, {addPositionRows, addRotationRows, addScaleRows, addParticleTab, addMaterialTab}},
    {scene::ESNT_TERRAIN, {addPositionRows, addRotationRows, addScaleRows, addTerrainTab, addMaterialTab}},
    {scene::ESNT_VOLUME_LIGHT, {addPositionRows, addRotationRows, addScaleRows, addVolumeLightTab}},
    {scene::ESNT_LIGHT, {addPositionRows, addRotationRows, addLightTab}},
    {scene::ESNT_TEXT, {addPositionRows, addTextTab}},
    {scene::ESNT_SKY_BOX, {addSkyBoxRows}},
    {scene::ESNT_SKY_DOME, {addSkyDomeRows}},
    // Nodes that scenes made elsewhere bring: the rest of what they hold is
    // on the attributes tab.
    {scene::ESNT_CAMERA, {addPositionRows, addRotationRows}},
    {scene::ESNT_BILLBOARD, {addPositionRows, addMaterialTab}},
    {scene::ESNT_OCTREE, {addPositionRows, addRotationRows, addScaleRows, addMaterialTab}},
};

void buildTabsFor(scene::ESCENE_NODE_TYPE type) {
    for (const NodeTypeTabs& entry : kTabsByType) {
        if (entry.type != type)
            continue;
        for (TabBuilder build : entry.builders) {
            if (build)
                build();
        }
        return;
    }
}

// The node the tab control was last built for (compared, never used) and
// the caption of the tab it showed: a rebuild for the same node (after an
// edit, an undo) shows the same tab again instead of the first one.
const scene::ISceneNode* tabsBuiltFor = nullptr;

core::stringw activeTabCaption(gui::IGUIElement* tabControl) {
    auto* tabs = static_cast<gui::IGUITabControl*>(tabControl);
    gui::IGUITab* active = tabs ? tabs->getTab(tabs->getActiveTab()) : nullptr;
    return active ? core::stringw(active->getText()) : core::stringw();
}

void showTabWithCaption(gui::IGUITabControl* tabs, const core::stringw& caption) {
    for (s32 i = 0; !caption.empty() && i < tabs->getTabCount(); ++i)
        if (caption == tabs->getTab(i)->getText()) {
            tabs->setActiveTab(i);
            return;
        }
}

} // namespace

void createToolBox() {
    puts("createToolBox()");
    if (!editor.device)
        return;
    if (gui::IGUIElement* old = findElement(ids::ToolBoxWindow)) {
        rememberWindowPlace(old);
        old->remove();
    }
    forgetTypedRows();
    openWindowWhereLeft(editor.device->getGUIEnvironment()->addWindow(
        core::rect<s32>(800, 50, 1000, 720), false, translate(L"window_toolbox_caption").c_str(), nullptr,
        ids::ToolBoxWindow));
    ToolBoxbyType();
}

void ToolBoxbyType() {
    puts("ToolBoxbyType()");
    gui::IGUIElement* window = findElement(ids::ToolBoxWindow);
    if (!window)
        return;
    // The second test only holds when there is no root node at all.
    const bool sceneMode =
        !editor.nodeSelected || (!editor.selectedNode && editor.selectedNode == editor.rootNode);
    noteToolBoxNode(sceneMode ? nullptr : editor.selectedNode);

    const scene::ISceneNode* shown = sceneMode ? nullptr : editor.selectedNode;
    core::stringw keptTab;
    if (gui::IGUIElement* old = window->getElementFromId(ids::ToolBoxTabControl, true)) {
        if (shown && shown == tabsBuiltFor)
            keptTab = activeTabCaption(old);
        old->remove();
    }
    tabsBuiltFor = shown;
    gui::IGUITabControl* tabs = editor.device->getGUIEnvironment()->addTabControl(
        core::rect<s32>(2, 20, 196, 668), window, true, true, ids::ToolBoxTabControl);

    if (sceneMode) {
        tabs->addTab(translate(L"window_toolbox_tab_scene").c_str(), ids::ToolBoxFirstTab);
        addSceneTabRows();
        return;
    }
    tabs->addTab(translate(L"window_toolbox_tab_object").c_str(), ids::ToolBoxFirstTab);
    if (!editor.selectedNode)
        return;
    buildTabsFor(editor.selectedNode->getType());
    addNameRow();
    addAttributesTab();
    addAnimatorsTab();
    addCustomPropertiesTab();
    showTabWithCaption(tabs, keptTab);
}

void updateToolBox() {
    puts("updateToolBox()");
    if (!findElement(ids::ToolBoxWindow))
        return;
    // Rebuilt for the node it showed (a refresh), the rows keep what the
    // user typed and did not apply yet.
    TypedRowsKept typed;
    ToolBoxbyType();
    fillSkyBoxRows(editor.selectedNode);
    fillPositionRows(editor.selectedNode);
    fillRotationRows(editor.selectedNode);
    fillScaleRows(editor.selectedNode);
    typed.restore();
}

void ToolBoxClose() {
    puts("ToolBoxClose()");
    if (gui::IGUIElement* window = findElement(ids::ToolBoxWindow)) {
        rememberWindowPlace(window);
        window->remove();
    }
    forgetTypedRows();
}

} // namespace sorn
