#include "events/SornEventReceiver.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "app/EditorState.h"
#include "app/FileDialog.h"
#include "app/MenuBar.h"
#include "app/NumericLocale.h"
#include "app/SmallWindows.h"
#include "app/StatusLine.h"
#include "app/TextConvert.h"
#include "app/WindowPlaces.h"
#include "app/WorkProgress.h"
#include "events/ClipboardCommands.h"
#include "events/EditingKeys.h"
#include "events/FileCommands.h"
#include "events/KeyboardMouseEditing.h"
#include "events/MenuCommands.h"
#include "events/SaveWindow.h"
#include "events/SceneBoxCommands.h"
#include "events/SceneFileCommands.h"
#include "events/Selection.h"
#include "events/ToolBoxRowCommands.h"
#include "events/TreeEditCommands.h"
#include "events/UndoCommands.h"
#include "events/UnsavedChanges.h"
#include "events/ViewClick.h"
#include "events/ViewNavigation.h"
#include "scene/NodeLifetime.h"
#include "scene/SceneBox.h"
#include "scene/SelectedNodes.h"
#include "scene/TreeView.h"
#include "toolbox/DialogOwners.h"
#include "toolbox/LightTab.h"
#include "toolbox/MaterialTab.h"
#include "toolbox/ObjectTab.h"
#include "toolbox/ParticleTab.h"
#include "toolbox/SceneTab.h"
#include "toolbox/SkyBoxRows.h"
#include "toolbox/TerrainSkyRows.h"
#include "toolbox/TextTab.h"
#include "toolbox/ToolBox.h"
#include "toolbox/VolumeLightTab.h"

using namespace irr;

namespace sorn {

namespace {

// Buttons whose command needs nothing but its id. The tool box's Set and
// Update buttons apply their rows through the table of row groups.
struct ButtonCommand {
    s32 id;
    void (*run)();
};

void openSceneBoxFromToolBar() {
    createSceneBox();
    setWindowMenuCheck(ids::CmdSceneBox, true);
}

void openToolBoxFromToolBar() {
    createToolBox();
    setWindowMenuCheck(ids::CmdToolBox, true);
}

void resetFirstOrbitCamera() {
    if (!editor.cameraMaya1)
        return;
    editor.cameraMaya1->setTarget(core::vector3df(0, 30, 0));
    editor.cameraMaya1->setRotation(core::vector3df(0, 0, 0));
}

void openSkyBoxSetDialog() {
    openFileDialog(ids::DialogSkyBoxSet, L"file_open_dialog_open_skybox");
}

void openMaterialTextureDialog() {
    openFileDialog(ids::DialogMaterialTexture, L"file_open_dialog_open_img");
}

void saveFromSaveWindow() {
    saveWindow.save();
}

void cancelSaveWindow() {
    saveWindow.cancel();
}

const ButtonCommand ButtonCommands[] = {
    {ids::SceneBoxAdd, openAddModelDialog},
    {ids::SceneBoxDuplicate, duplicateSelectedNode},
    {ids::SceneBoxRemove, deleteSelectedNode},
    {ids::ButtonAbout, openAboutWindow},
    {ids::ButtonOpenSceneBox, openSceneBoxFromToolBar},
    {ids::ButtonOpenToolBox, openToolBoxFromToolBar},
    {ids::ButtonCameraZero, resetFirstOrbitCamera},
    {ids::SettingsOk, settingsOk},
    {ids::SettingsCancel, closeSettingsWindow},
    {ids::AboutOk, aboutOk},
    {ids::SaveButton, saveFromSaveWindow},
    {ids::SaveCancel, cancelSaveWindow},
    {ids::SkyBoxSetButton, openSkyBoxSetDialog},
    {ids::MaterialBrowse, openMaterialTextureDialog},
    {ids::MaterialFlagsSet, applyMaterialFlags},
    {ids::MaterialFlagsDefault, applyDefaultMaterialFlags},
    {ids::ButtonSnap, toggleSnapFromButton},
};

// Combo boxes of the tool box whose change takes effect at once. The light
// type combo is absent on purpose: its choice is applied by "action_update".
struct ComboCommand {
    s32 id;
    void (*run)(gui::IGUIComboBox* combo);
};

void showEmitterRowsOfCombo(gui::IGUIComboBox* combo) {
    showEmitterRows(combo->getSelected());
}

const ComboCommand ComboCommands[] = {
    {ids::MaterialTypeCombo, onMaterialTypeChanged},
    {ids::EmitterTypeCombo, showEmitterRowsOfCombo},
};

// Tool box image buttons: each names the edit box that the image dialog fills.
struct ImageTarget {
    s32 buttonId;
    s32 target;
    s32 editBoxId;
};

// The sky-box rows' browse buttons, then the terrain and sky-dome image row's.
std::array<ImageTarget, 7> imageTargets() {
    std::array<ImageTarget, 7> targets{};
    for (size_t i = 0; i < 6; ++i)
        targets[i] = {kSkyBoxRows[i].browseButton, kSkyBoxRows[i].dialogTarget, kSkyBoxRows[i].editBox};
    targets[6] = {ids::ImagePathBrowse, ids::ImagePathDialogTarget, ids::ImagePathEdit};
    return targets;
}

// The live nodes of the rows from the anchor's to the clicked one, the
// clicked one last (it becomes the primary). Without an anchor row shown,
// the clicked node alone.
std::vector<scene::ISceneNode*> nodesOfTreeRange(CTreeView* tree, gui::IGUITreeViewNode* anchor,
                                                 gui::IGUITreeViewNode* clicked) {
    std::vector<CTreeViewNode*> rows = tree->rowsBetween(anchor ? anchor : clicked, clicked);
    if (!rows.empty() && rows.front() == clicked)
        std::reverse(rows.begin(), rows.end());
    std::vector<scene::ISceneNode*> nodes;
    for (CTreeViewNode* row : rows)
        if (scene::ISceneNode* node = liveNodeOfTreeItem(row))
            nodes.push_back(node);
    if (nodes.empty())
        if (scene::ISceneNode* node = liveNodeOfTreeItem(clicked))
            nodes.push_back(node);
    return nodes;
}

std::string chosenFile(gui::IGUIElement* dialog) {
    auto* fileDialog = static_cast<gui::IGUIFileOpenDialog*>(dialog);
    return narrowPath(fileDialog->getFileName());
}

} // namespace

// The scene box's rows are renamed and dragged through the commands that
// record them.
SornEventReceiver::SornEventReceiver() { installSceneBoxEditing(); }

bool SornEventReceiver::OnEvent(const SEvent& event) {
    // While long work runs, only its progress window acts.
    if (workInProgress())
        return filterEventWhileBusy(event);
    // A file dialog may have changed the number locale since the last event.
    keepNumbersInCLocale();
    switch (event.EventType) {
    case EET_KEY_INPUT_EVENT: {
        if (handleFileDialogKey(event.KeyInput))
            return true;
        if (handleUndoKey(event.KeyInput) || handleClipboardKey(event.KeyInput))
            return true;
        if (handleFileKey(event.KeyInput))
            return true;
        switch (filterEditingKey(event.KeyInput)) {
        case KeyOutcome::Taken:
            return true;
        case KeyOutcome::Ignored:
            return false;
        case KeyOutcome::Continue:
            break;
        }
        // F frames the selection.
        handleViewKey(event.KeyInput);
        // An Escape pressed in a field (a row being renamed, a tool box row)
        // cancels there, and one pressed on an open menu closes it; its
        // release must not also clear the selection.
        static bool escapeWasTyped = false;
        if (event.KeyInput.Key == KEY_ESCAPE && event.KeyInput.PressedDown) {
            escapeWasTyped = typingIntoEditBox() || menuBarOpen();
            if (menuBarOpen())
                closeMenuBar();
        }
        if (event.KeyInput.PressedDown)
            return false;
        if (event.KeyInput.Key == KEY_ESCAPE && escapeWasTyped) {
            escapeWasTyped = false;
            return false;
        }
        // The lighting key changes the selected node's materials.
        RecordedChange change;
        return handleKeyRelease(event.KeyInput.Key);
    }
    case EET_MOUSE_INPUT_EVENT:
        switch (event.MouseInput.Event) {
        case EMIE_LMOUSE_PRESSED_DOWN:
            // The press reaches the menu bar after this: a menu opened by it
            // shows whether Copy, Cut and Paste can act.
            updateClipboardMenuItems();
            updateSelectionMenuItems();
            // A whole drag, from the button going down to it coming up, is
            // one change of the selected node.
            beginDragChange();
            onLeftButtonDown();
            onViewLeftButtonDown(event.MouseInput);
            break;
        case EMIE_LMOUSE_LEFT_UP:
            onLeftButtonUp();
            endDragChange();
            rememberMovedWindowPlaces();
            onViewLeftButtonUp(event.MouseInput);
            break;
        case EMIE_RMOUSE_LEFT_UP: {
            RecordedChange change;
            onRightButtonUp();
            break;
        }
        case EMIE_MOUSE_WHEEL:
            onMouseWheel(event.MouseInput);
            break;
        case EMIE_MOUSE_MOVED:
            onMouseMoved(event.MouseInput.X, event.MouseInput.Y);
            onViewPointerMoved(event.MouseInput);
            break;
        default:
            break;
        }
        return false;
    case EET_GUI_EVENT:
        // A dialog opened by a tool box element reports to that element.
        if (passDialogReport(event))
            return true;
        onGuiEvent(event.GUIEvent);
        return false;
    default:
        return false;
    }
}

void SornEventReceiver::onGuiEvent(const SEvent::SGUIEvent& event) {
    gui::IGUIElement* caller = event.Caller;
    s32 id = caller ? caller->getID() : -1;
    if (handleToolBoxRowEvent(event))
        return;

    switch (event.EventType) {
    case gui::EGET_ELEMENT_CLOSED:
        rememberWindowPlace(caller);
        if (id == ids::ToolBoxWindow)
            setWindowMenuCheck(ids::CmdToolBox, false);
        else if (id == ids::SceneBoxWindow)
            setWindowMenuCheck(ids::CmdSceneBox, false);
        else if (id == ids::SaveWindow)
            onSaveAbandoned();
        break;
    case gui::EGET_MESSAGEBOX_YES:
    case gui::EGET_MESSAGEBOX_NO:
    case gui::EGET_MESSAGEBOX_CANCEL:
        if (id == ids::UnsavedChangesBox)
            onUnsavedChangesAnswer(event.EventType);
        else if (id == ids::ReplaceFileBox)
            saveWindow.onReplaceAnswer(event.EventType);
        break;
    case gui::EGET_BUTTON_CLICKED: {
        // Every tool box apply and step is one change when it changed anything.
        RecordedChange change;
        onButtonClicked(id);
        break;
    }
    case gui::EGET_SCROLL_BAR_CHANGED:
        if (id == ids::AnimationSpeedScrollBar) {
            RecordedChange change;
            onAnimationSpeedChanged(static_cast<gui::IGUIScrollBar*>(caller));
        } else if (id == ids::SensitivityScrollBar)
            editor.moveSensitivity = static_cast<gui::IGUIScrollBar*>(caller)->getPos();
        break;
    case gui::EGET_LISTBOX_SELECTED_AGAIN:
        if (id == ids::SaveFileList)
            saveWindow.chooseEntry(false);
        break;
    case gui::EGET_LISTBOX_CHANGED:
        if (id == ids::SaveFileList)
            saveWindow.takeSelectedName();
        break;
    case gui::EGET_FILE_SELECTED: {
        // A sky box image set applies as soon as it is chosen.
        RecordedChange change;
        onFileSelected(id, caller);
        break;
    }
    case gui::EGET_MENU_ITEM_SELECTED:
        handleMenuCommand(static_cast<gui::IGUIContextMenu*>(caller));
        break;
    case gui::EGET_COMBO_BOX_CHANGED: {
        // The material type applies as soon as it is chosen: one change.
        RecordedChange change;
        for (const ComboCommand& combo : ComboCommands)
            if (combo.id == id)
                combo.run(static_cast<gui::IGUIComboBox*>(caller));
        break;
    }
    case gui::EGET_TREEVIEW_NODE_SELECT:
        onTreeNodeSelected(caller);
        break;
    case gui::EGET_EDITBOX_ENTER:
    case gui::EGET_EDITBOX_CHANGED:
        handleNameAndFilterBoxes(event.EventType, id);
        break;
    default:
        break;
    }
}

void SornEventReceiver::onButtonClicked(s32 id) {
    if (runRowGroupButton(id))
        return;
    for (const ButtonCommand& button : ButtonCommands)
        if (button.id == id) {
            button.run();
            return;
        }
    for (const ImageTarget& image : imageTargets())
        if (image.buttonId == id) {
            editor.imageDialogTarget = image.target;
            openFileDialog(ids::DialogToolBoxImage, L"file_open_dialog_open_img");
            return;
        }
    handleObjectTabButton(id);
}

void SornEventReceiver::onFileSelected(s32 id, gui::IGUIElement* dialog) {
    if (!dialog)
        return;
    switch (id) {
    case ids::DialogAddStaticMesh:
        addModelFromDialog(chosenFile(dialog), false);
        break;
    case ids::DialogAddAnimatedMesh:
        addModelFromDialog(chosenFile(dialog), true);
        break;
    case ids::DialogOpenScene:
        openSceneFromDialog(chosenFile(dialog));
        break;
    case ids::DialogToolBoxImage: {
        if (!findElement(ids::ToolBoxWindow))
            break;
        for (const ImageTarget& image : imageTargets())
            if (image.target == editor.imageDialogTarget) {
                if (gui::IGUIElement* box = findElement(image.editBoxId))
                    box->setText(static_cast<gui::IGUIFileOpenDialog*>(dialog)->getFileName());
            }
        break;
    }
    case ids::DialogMaterialTexture:
        setMaterialTexturePath(static_cast<gui::IGUIFileOpenDialog*>(dialog)->getFileName());
        break;
    case ids::DialogSkyBoxSet:
        applySkyBoxSetFromDialog(chosenFile(dialog));
        break;
    default:
        break;
    }
}

void SornEventReceiver::onTreeNodeSelected(gui::IGUIElement* caller) {
    treeView = static_cast<gui::IGUITreeView*>(caller);
    if (!treeView)
        return;
    treeNode = treeView->getSelected();
    if (!treeNode)
        return;

    // An item can outlive its node's place in the scene until the tree is
    // rebuilt after a deletion: only a node still in the scene graph becomes
    // the selection.
    scene::ISceneNode* node = liveNodeOfTreeItem(treeNode);
    // The scene box's own tree tells whether Control or Shift was held.
    auto* sceneTree = caller->getID() == ids::SceneBoxTree ? dynamic_cast<CTreeView*>(caller) : nullptr;
    if (node && sceneTree && sceneTree->pickedWithShift() && editor.selectedNode)
        pickNodes(nodesOfTreeRange(sceneTree, treeItemOfNode(editor.selectedNode), treeNode));
    else if (node && sceneTree && sceneTree->pickedWithControl())
        pickNode(node, PickHow::Toggle, false);
    else
        pickNode(node, PickHow::Only, false);
}

} // namespace sorn
