#pragma once
#include <irrlicht.h>

namespace sorn {

// The six debug-drawing items of the View menu and the bit each stands for.
struct DebugCommand {
    irr::s32 commandId;
    irr::u32 bit;
};
extern const DebugCommand DebugCommands[6];

// Checks exactly the debug items whose bits the node draws. Nothing changes
// for a null node (the marks then stand for the next node selected).
void showDebugChecksOf(irr::scene::ISceneNode* node);

// Runs the command of the item chosen in a menu (the sub-menu holding it).
void handleMenuCommand(irr::gui::IGUIContextMenu* menu);

// Switches input off for the active camera and on for the given one, and makes
// it the scene manager's active camera.
void activateCamera(irr::scene::ICameraSceneNode* camera);

// Opens one of the editor's modal file-open dialogs with a translated title,
// for the kind of file its id stands for (app/FileDialog.h).
void openFileDialog(irr::s32 dialogId, const wchar_t* titleKey);

// The dialog that adds a static mesh file to the scene (menu item and scene box button).
void openAddModelDialog();

// Sets a check mark of the View > Window sub-menu (tool box, scene box items).
void setWindowMenuCheck(irr::s32 commandId, bool checked);

// The help page for the configured "langage", under the program's doc folder.
irr::core::stringw helpPagePath();

} // namespace sorn
