#pragma once
// Copy, cut and paste of nodes through the system clipboard, as scene text
// (files/SceneClipboard.h): Ctrl+C, Ctrl+X, Ctrl+V and the Scene menu's items.
#include <irrlicht.h>

#include <vector>

namespace sorn {

// Puts the nodes (the topmost of them, each with everything under it) on the
// clipboard. False, with nothing changed, when there is nothing to copy.
bool copyNodes(const std::vector<irr::scene::ISceneNode*>& nodes);
// Copies the nodes, then takes them out of the scene as one undo step.
bool cutNodes(const std::vector<irr::scene::ISceneNode*>& nodes);
// The clipboard's scene under the selected node (the root when none), as one
// undo step, the first pasted node selected. Text that is no scene, or a
// scene refused, pastes nothing and the status line says so.
bool pasteFromClipboard();

// The selection as copy and cut act on it.
std::vector<irr::scene::ISceneNode*> nodesToCopy();

// Ctrl+C, Ctrl+X, Ctrl+V when no edit box has the focus and no modal window
// is open (their releases are swallowed, so X never starts a move). Returns
// whether the key was such a command.
bool handleClipboardKey(const irr::SEvent::SKeyInput& key);

// Copy and Cut are enabled with a node selected, Paste while any program
// holds the clipboard.
void updateClipboardMenuItems();

} // namespace sorn
