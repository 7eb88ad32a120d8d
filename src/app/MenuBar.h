#pragma once
#include <irrlicht.h>

namespace sorn {

// One entry of a menu: a translated caption (or a separator when key is null),
// its command id, whether it opens a sub-menu and whether it starts checked.
struct MenuEntry {
    const wchar_t* key;
    irr::s32 commandId;
    bool hasSubMenu;
    bool checked;
};

// The menu bar across the top of the window (GUI id 0x5007b) with every entry.
irr::gui::IGUIContextMenu* buildMenuBar();

// The toolbar under it: four image buttons, the status line, the "Sens: "
// control; stores statusText. The frame-rate read-out comes after the first
// status line (buildFpsText).
irr::gui::IGUIToolBar* buildToolBar();
void buildFpsText(irr::gui::IGUIToolBar* toolBar);

// The menu (the menu bar or one of its sub-menus, searched depth first) that
// holds the item with the command id, and the item's index there; null when
// no menu holds it.
irr::gui::IGUIContextMenu* menuHoldingCommand(irr::s32 commandId, irr::s32& index);
// Whether one of the menu bar's menus is open (shown under its title).
bool menuBarOpen();
// Closes the open menu as a click elsewhere does (the engine's menu bar keeps
// its menus open on Escape).
void closeMenuBar();

// The View menu's animation item says what choosing it will do: play the
// scene's animation, or stop it.
void showAnimationPlaying(bool playing);

} // namespace sorn
