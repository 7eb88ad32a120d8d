#include "app/MenuBar.h"


#include "app/EditorState.h"
#include "app/TextConvert.h"
#include "app/Translate.h"

using namespace irr;

namespace sorn {

namespace {

const MenuEntry Separator = {nullptr, -1, false, false};

const MenuEntry TopEntries[] = {
    {L"menu_file", -1, true, false},   {L"menu_view", -1, true, false},
    {L"menu_scene", -1, true, false},  {L"menu_camera", -1, true, false},
    {L"menu_options", -1, true, false}, {L"menu_help", -1, true, false},
};

const MenuEntry FileEntries[] = {
    {L"menu_create_new_scene", ids::CmdNewScene, false, false},
    {L"menu_open_scene", ids::CmdOpenScene, false, false},
    Separator,
    {L"menu_save", ids::CmdSave, false, false},
    {L"menu_save_as", ids::CmdSaveAs, false, false},
    Separator,
    {L"menu_recent", ids::CmdRecentMenu, true, false},
    Separator,
    {L"menu_quit", ids::CmdQuit, false, false},
};

const MenuEntry ViewEntries[] = {
    {L"menu_window", ids::CmdWindowMenu, true, false},
    {L"menu_sky_box_visible", ids::CmdSkyVisible, false, true},
    {L"menu_grid_visible", ids::CmdGridVisible, false, true},
    {L"menu_toggle_model_debug", ids::CmdDebugMenu, true, false},
    Separator,
    {L"menu_play_animation", ids::CmdPlayAnimation, false, false},
    Separator,
    {L"menu_view_snap", ids::CmdSnap, false, false},
    {L"menu_view_frame_selection", ids::CmdFrameSelection, false, false},
};

const MenuEntry WindowEntries[] = {
    {L"menu_toolbox", ids::CmdToolBox, false, false},
    {L"menu_scenebox", ids::CmdSceneBox, false, false},
};

const MenuEntry DebugEntries[] = {
    {L"menu_toggle_model_debug_off", ids::CmdDebugOff, false, false},
    {L"menu_toggle_model_debug_bouding_box", ids::CmdDebugBoundingBox, false, false},
    {L"menu_toggle_model_debug_normals", ids::CmdDebugNormals, false, false},
    {L"menu_toggle_model_debug_skeleton", ids::CmdDebugSkeleton, false, false},
    {L"menu_toggle_model_debug_wire_overlay", ids::CmdDebugWireOverlay, false, false},
    {L"menu_toggle_model_debug_half_transparent", ids::CmdDebugHalfTransparent, false, false},
    {L"menu_toggle_model_debug_buffers_bouding_boxes", ids::CmdDebugBufferBoxes, false, false},
    {L"menu_toggle_model_debug_set_model_archive", ids::CmdDebugAll, false, false},
};

const MenuEntry SceneEntries[] = {
    {L"menu_scene_add", ids::CmdAddMenu, true, false},
    {L"menu_scene_undo", ids::CmdUndo, false, false},
    {L"menu_scene_redo", ids::CmdRedo, false, false},
    Separator,
    {L"menu_scene_copy", ids::CmdCopy, false, false},
    {L"menu_scene_cut", ids::CmdCut, false, false},
    {L"menu_scene_paste", ids::CmdPaste, false, false},
    {L"menu_scene_duplicate", ids::CmdDuplicate, false, false},
    {L"menu_scene_delete", ids::CmdDelete, false, false},
};

const MenuEntry AddEntries[] = {
    {L"menu_scene_add_3dmodel", ids::CmdAddModel, false, false},
    {L"menu_scene_add_3danimatedmodel", ids::CmdAddAnimatedModel, false, false},
    Separator,
    {L"menu_scene_add_plane", ids::CmdAddPlane, false, false},
    {L"menu_scene_add_cube", ids::CmdAddCube, false, false},
    {L"menu_scene_add_sphere", ids::CmdAddSphere, false, false},
    {L"menu_scene_add_cylinder", ids::CmdAddCylinder, false, false},
    {L"menu_scene_add_cone", ids::CmdAddCone, false, false},
    {L"menu_scene_add_light", ids::CmdAddLight, false, false},
    {L"menu_scene_add_particle", ids::CmdAddParticle, false, false},
    {L"menu_scene_add_skybox", ids::CmdAddSkyBox, false, false},
    {L"menu_scene_add_skydome", ids::CmdAddSkyDome, false, false},
    {L"menu_scene_add_terrain", ids::CmdAddTerrain, false, false},
    {L"menu_scene_add_text", ids::CmdAddText, false, false},
    {L"menu_scene_add_volume_light", ids::CmdAddVolumeLight, false, false},
    {L"menu_scene_add_water_surface", ids::CmdAddWaterSurface, false, false},
};

const MenuEntry CameraEntries[] = {
    {L"menu_camera_maya1", ids::CmdCameraMaya1, false, true},
    {L"menu_camera_maya2", ids::CmdCameraMaya2, false, false},
    {L"menu_camera_fps", ids::CmdCameraFps, false, false},
};

const MenuEntry OptionsEntries[] = {
    {L"menu_options_settings", ids::CmdSettings, false, false},
};

const MenuEntry HelpEntries[] = {
    {L"menu_help_help", ids::CmdHelp, false, false},
    {L"menu_help_about", ids::CmdAbout, false, false},
};

template <size_t N>
void addEntries(gui::IGUIContextMenu* menu, const MenuEntry (&entries)[N]) {
    if (!menu)
        return;
    for (const MenuEntry& entry : entries) {
        if (!entry.key) {
            menu->addSeparator();
            continue;
        }
        // Auto-checking stays off: the command handlers set the check marks.
        menu->addItem(translate(entry.key).c_str(), entry.commandId, true, entry.hasSubMenu,
                      entry.checked, false);
    }
}

gui::IGUIContextMenu* searchMenu(gui::IGUIContextMenu* menu, s32 commandId, s32& index) {
    if (!menu)
        return nullptr;
    index = menu->findItemWithCommandId(commandId);
    if (index >= 0)
        return menu;
    for (u32 i = 0; i < menu->getItemCount(); ++i)
        if (gui::IGUIContextMenu* found = searchMenu(menu->getSubMenu(i), commandId, index))
            return found;
    return nullptr;
}

gui::IGUIStaticText* addToolBarText(gui::IGUIToolBar* toolBar, const wchar_t* text,
                                    const core::rect<s32>& rect, bool border, s32 id) {
    gui::IGUIEnvironment* gui = editor.device->getGUIEnvironment();
    return gui->addStaticText(text, rect, border, false, toolBar, id, false);
}

} // namespace

gui::IGUIContextMenu* buildMenuBar() {
    gui::IGUIEnvironment* gui = editor.device->getGUIEnvironment();
    gui::IGUIContextMenu* menuBar = gui->addMenu(gui->getRootGUIElement(), -1);
    menuBar->setID(ids::MenuBar);
    addEntries(menuBar, TopEntries);

    gui::IGUIContextMenu* view = menuBar->getSubMenu(1);
    gui::IGUIContextMenu* scene = menuBar->getSubMenu(2);
    addEntries(menuBar->getSubMenu(0), FileEntries);
    addEntries(view, ViewEntries);
    addEntries(view ? view->getSubMenu(0) : nullptr, WindowEntries);
    addEntries(view ? view->getSubMenu(3) : nullptr, DebugEntries);
    addEntries(scene, SceneEntries);
    addEntries(scene ? scene->getSubMenu(0) : nullptr, AddEntries);
    addEntries(menuBar->getSubMenu(3), CameraEntries);
    addEntries(menuBar->getSubMenu(4), OptionsEntries);
    addEntries(menuBar->getSubMenu(5), HelpEntries);
    return menuBar;
}

gui::IGUIToolBar* buildToolBar() {
    struct ToolButton {
        s32 id;
        const wchar_t* icon;
        const wchar_t* tooltipKey;
    };
    static const ToolButton Buttons[] = {
        {ids::ButtonOpenSceneBox, L"format-justify-fill.png", L"bar_image_btn_open_scenebox"},
        {ids::ButtonOpenToolBox, L"document-properties.png", L"bar_image_btn_open_toolbox"},
        {ids::ButtonCameraZero, L"view-refresh.png", L"bar_image_btn_camera_zero"},
        {ids::ButtonAbout, L"help-browser.png", L"bar_image_btn_open_help"},
    };

    gui::IGUIEnvironment* gui = editor.device->getGUIEnvironment();
    video::IVideoDriver* driver = editor.device->getVideoDriver();
    gui::IGUIToolBar* toolBar = gui->addToolBar(gui->getRootGUIElement(), -1);
    for (const ToolButton& button : Buttons) {
        video::ITexture* image = driver->getTexture(narrowPath(mediaPath(button.icon)).c_str());
        toolBar->addButton(button.id, nullptr, translate(button.tooltipKey).c_str(), image, nullptr,
                           false, true);
    }
    // Snapping: a push button, down while snapping is on (showSnapState).
    toolBar->addButton(ids::ButtonSnap, nullptr, translate(L"bar_image_btn_snap").c_str(),
                       driver->getTexture(narrowPath(mediaPath(L"snap.png")).c_str()), nullptr, true, true);

    // The status line starts after the fifth button (x 116 to 132).
    addToolBarText(toolBar, L"", core::rect<s32>(140, 4, 590, 23), true, -1);
    editor.statusText = addToolBarText(toolBar, L"", core::rect<s32>(145, 7, 585, 23), false, ids::StatusText);
    addToolBarText(toolBar, L"", core::rect<s32>(780, 4, 940, 23), true, -1);
    addToolBarText(toolBar, L"Sens: ", core::rect<s32>(780, 4, 836, 23), false, -1);
    gui::IGUIScrollBar* sensitivity =
        gui->addScrollBar(true, core::rect<s32>(840, 10, 935, 18), toolBar, ids::SensitivityScrollBar);
    sensitivity->setMax(5000);
    sensitivity->setMin(100);
    sensitivity->setPos(100);
    sensitivity->setSmallStep(1);
    return toolBar;
}

gui::IGUIContextMenu* menuHoldingCommand(s32 commandId, s32& index) {
    index = -1;
    return searchMenu(static_cast<gui::IGUIContextMenu*>(findElement(ids::MenuBar)), commandId, index);
}

bool menuBarOpen() {
    auto* menuBar = static_cast<gui::IGUIContextMenu*>(findElement(ids::MenuBar));
    if (!menuBar)
        return false;
    for (u32 i = 0; i < menuBar->getItemCount(); ++i)
        if (gui::IGUIContextMenu* menu = menuBar->getSubMenu(i))
            if (menu->isVisible())
                return true;
    return false;
}

void closeMenuBar() {
    gui::IGUIElement* menuBar = findElement(ids::MenuBar);
    if (!menuBar || !editor.device)
        return;
    // The menu bar closes its menus when it loses the focus.
    gui::IGUIEnvironment* gui = editor.device->getGUIEnvironment();
    gui->setFocus(menuBar);
    gui->removeFocus(menuBar);
}

void showAnimationPlaying(bool playing) {
    s32 index = -1;
    if (gui::IGUIContextMenu* menu = menuHoldingCommand(ids::CmdPlayAnimation, index))
        menu->setItemText(index, translate(playing ? L"menu_stop_animation" : L"menu_play_animation").c_str());
}

void buildFpsText(gui::IGUIToolBar* toolBar) {
    editor.fpsText = addToolBarText(toolBar, L"", core::rect<s32>(600, 4, 770, 23), true, -1);
}

} // namespace sorn
