"""Undo and redo as a person uses them: add a cube, drag it, delete it, undo
twice, redo; then quitting asks about the unsaved scene (from File > Quit and
from the window's close button): Cancel keeps the editor, Discard quits."""
import e2e_lib
from e2e_lib import (QUIT_ITEM, CUBE_ITEM, FILE_MENU, SCENE_BOX_BUTTON, TREE_ROWS, TREE_ROW_X, VIEW, E2EFailure,
                     Editor, add_node, send_close_request)

REMOVE_BUTTON = (66, 100)
# The unsaved-changes question, centred on the window, and its buttons.
QUESTION = (330, 322, 340, 105)
CANCEL_BUTTON = (404, 398)
DISCARD_BUTTON = (594, 398)


def chord(editor, keys):
    """A key chord typed on the focused window as a keyboard does it (the
    modifiers are held while the key goes down and up)."""
    editor.focus()
    editor.xdotool("key", "--clearmodifiers", keys)


def same_view(editor, a, b):
    return editor.regions_differ(a, b, *VIEW) == 0


def test(runtime):
    with Editor(runtime, "undo") as editor:
        start = editor.wait_first_frame()
        editor.click(*SCENE_BOX_BUTTON)
        add_node(editor, CUBE_ITEM, "cube")
        editor.click(TREE_ROW_X, TREE_ROWS[1])
        editor.wait_output("Selection => Cube")
        added = editor.screenshot("added")

        # Move the cube along X with a drag: one step in the history.
        editor.key("x")
        moving = editor.wait_screen_change(added, "move-mode", *VIEW)
        editor.drag(500, 400, 700, 400, steps=20)
        editor.key("x")
        dragged = editor.wait_screen_change(moving, "dragged", *VIEW)
        if same_view(editor, added, dragged):
            raise E2EFailure("the drag did not move the cube")
        # Escape drops the selection, and with it the outline the editor
        # draws around the cube: the view then shows the scene alone, as it
        # will after the undo below (a restored node comes back unselected).
        editor.key("Escape")
        dragged = editor.wait_screen_change(dragged, "dragged-unselected", *VIEW)

        # Pick it again and delete it with the scene box's remove button.
        editor.click(TREE_ROW_X, TREE_ROWS[1])
        editor.wait_output("Selection => Cube")
        editor.click(*REMOVE_BUTTON)
        deleted = editor.wait_screen_change(dragged, "deleted", *VIEW)

        # Ctrl+Z brings the cube back where the drag left it.
        chord(editor, "ctrl+z")
        restored = editor.wait_screen_change(deleted, "undo-delete", *VIEW)
        if not same_view(editor, dragged, restored):
            raise E2EFailure("undoing the delete did not bring the cube back where it was")
        # Ctrl+Z again undoes the whole drag at once.
        chord(editor, "ctrl+z")
        undrag = editor.wait_screen_change(restored, "undo-drag", *VIEW)
        if same_view(editor, restored, undrag):
            raise E2EFailure("undoing the drag changed nothing")
        # Ctrl+Y redoes the drag.
        chord(editor, "ctrl+y")
        redone = editor.wait_screen_change(undrag, "redo-drag", *VIEW)
        if not same_view(editor, dragged, redone):
            raise E2EFailure("redoing the drag did not put the cube back where the drag left it")
        # The cube the undo put back is still named: a pick in the tree says so.
        picks = editor.stdout().count("Selection => Cube")
        editor.click(TREE_ROW_X, TREE_ROWS[1])
        e2e_lib.wait_for(lambda: editor.stdout().count("Selection => Cube") > picks,
                         what="the restored cube named by a pick")
        redone = editor.wait_screen_change(redone, "picked-again", *VIEW)

        # File > Quit asks; Cancel keeps the editor and the scene.
        editor.click(*FILE_MENU)
        editor.click(*QUIT_ITEM)
        asked = editor.wait_screen_change(redone, "quit-asks", *QUESTION)
        editor.click(*CANCEL_BUTTON)
        kept = editor.wait_screen_change(asked, "quit-cancelled", *QUESTION)
        if editor.proc.poll() is not None:
            raise E2EFailure("Cancel let the editor quit")
        if not same_view(editor, redone, kept):
            raise E2EFailure("Cancel changed the scene")

        # The window's close button asks the same question.
        send_close_request(editor)
        asked = editor.wait_screen_change(kept, "close-asks", *QUESTION)
        if editor.proc.poll() is not None:
            raise E2EFailure("the close button quit without asking")
        editor.click(*CANCEL_BUTTON)
        kept = editor.wait_screen_change(asked, "close-cancelled", *QUESTION)

        # Quit again and discard: the editor exits cleanly.
        editor.click(*FILE_MENU)
        editor.click(*QUIT_ITEM)
        editor.wait_screen_change(kept, "quit-asks-again", *QUESTION)
        editor.click(*DISCARD_BUTTON)
        code = editor.wait_exit(60)
        if code != 0:
            raise E2EFailure("the editor exited with %s" % code)


if __name__ == "__main__":
    e2e_lib.main(test)
