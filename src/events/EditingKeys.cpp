#include "events/EditingKeys.h"

#include "app/EditorState.h"
#include "app/MenuBar.h"
#include "app/PlatformKeys.h"
#include "events/KeyboardMouseEditing.h"
#include "events/MenuCommands.h"
#include "events/SceneBoxCommands.h"
#include "events/ToolBoxRowCommands.h"
#include "toolbox/ToolBoxRowGroups.h"

using namespace irr;

namespace sorn {

namespace {

bool altKeyDown = false;

// How each letter went down: unseen (its release decides by its own
// modifiers), plain, or with a modifier or into an edit box.
enum class LetterDown : u8 { Unseen, Plain, Modified };
LetterDown letters[KEY_KEY_Z - KEY_KEY_A + 1] = {};

bool isLetter(EKEY_CODE key) { return key >= KEY_KEY_A && key <= KEY_KEY_Z; }

bool isAlt(EKEY_CODE key) { return key == KEY_MENU || key == KEY_LMENU || key == KEY_RMENU; }

KeyOutcome filterLetter(const SEvent::SKeyInput& key) {
    LetterDown& down = letters[key.Key - KEY_KEY_A];
    if (key.PressedDown) {
        down = key.Control || altHeld() || typingIntoEditBox() ? LetterDown::Modified : LetterDown::Plain;
        return KeyOutcome::Continue;
    }
    const bool modified = down == LetterDown::Unseen ? key.Control || altHeld() : down == LetterDown::Modified;
    down = LetterDown::Unseen;
    return modified ? KeyOutcome::Ignored : KeyOutcome::Continue;
}

void setItemEnabled(s32 commandId, bool enabled) {
    s32 index = -1;
    if (gui::IGUIContextMenu* menu = menuHoldingCommand(commandId, index))
        menu->setItemEnabled(index, enabled);
}

} // namespace

bool altHeld() {
    bool known = false;
    const bool held = platform::altHeld(editor.device, known);
    return known ? held : altKeyDown;
}

KeyOutcome filterEditingKey(const SEvent::SKeyInput& key) {
    if (isAlt(key.Key)) {
        altKeyDown = key.PressedDown;
        return KeyOutcome::Continue;
    }
    switch (controlChord(key, {KEY_KEY_D}, false)) {
    case ChordKey::Run:
        // As the scene box's Duplicate button: every selected node, one step.
        duplicateSelectedNode();
        return KeyOutcome::Taken;
    case ChordKey::Taken:
        return KeyOutcome::Taken;
    case ChordKey::Other:
        break;
    }
    if (key.Key == KEY_TAB && key.PressedDown && !key.Control && !altHeld() && !modalDialogOpen() &&
        moveToNeighbourRow(key.Shift))
        return KeyOutcome::Taken;
    if (isLetter(key.Key))
        return filterLetter(key);
    return KeyOutcome::Continue;
}

void updateSelectionMenuItems() {
    const bool selected = editor.selectedNode && editor.nodeSelected;
    setItemEnabled(ids::CmdDuplicate, selected);
    setItemEnabled(ids::CmdDelete, editor.selectedNode != nullptr);
}

void resetEditingKeys() {
    altKeyDown = false;
    for (LetterDown& down : letters)
        down = LetterDown::Unseen;
    forgetTypedRows();
    noteToolBoxNode(nullptr);
}

} // namespace sorn
