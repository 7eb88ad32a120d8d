"""A model that crashes the engine's loader, opened from the command line and
from Scene > Add > 3D model: the window stays, a message box names the file,
and the scene box shows no node for it. A model from which the engine loads
nothing, added the same way, gets a message of its own."""
import gzip
import os

import e2e_lib
from e2e_lib import (CUBE_ITEM, DIALOG, DIALOG_PATH, DIALOG_TITLE, MODEL_ITEM, SCENE_BOX_BUTTON, TREE_ROW_X,
                     TREE_ROWS, E2EFailure, Editor, add_node, click_add_entry)

MEDIA = "/usr/share/doc/libirrlicht-dev/media"
# The message box sits in the middle of the window.
MESSAGE = (250, 300, 500, 150)


def write_crashing_model(folder):
    """The engine's sample .x model cut short: its loader crashes on it."""
    with gzip.open(os.path.join(MEDIA, "earth.x.gz"), "rb") as f:
        data = f.read()
    with open(os.path.join(folder, "crash.x"), "wb") as f:
        f.write(data[:1000])


def close_message(editor, shown):
    """The message box is there: Return closes it and the screen behind comes back."""
    if editor.proc.poll() is not None:
        raise E2EFailure("the editor exited with %s" % editor.proc.returncode)
    editor.focus()
    editor.key("Return")
    closed = editor.wait_screen_change(shown, "message-closed", *MESSAGE)
    if editor.regions_differ(shown, closed, *MESSAGE) < 2000:
        raise E2EFailure("no message box went away")
    return closed


def expect_only_a_cube(editor):
    """The first node in the scene box is the cube added afterwards, not the model."""
    editor.click(*SCENE_BOX_BUTTON)
    editor.wait_output("createSceneBox()")
    add_node(editor, CUBE_ITEM, "cube")
    editor.click(TREE_ROW_X, TREE_ROWS[1])
    editor.wait_output("Selection => Cube")
    if "Selection => crash.x" in editor.stdout():
        raise E2EFailure("the refused model is in the scene")
    if editor.proc.poll() is not None:
        raise E2EFailure("the editor exited")


def test_command_line(runtime):
    editor = Editor(runtime, "refused-cli", args=["crash.x"])
    write_crashing_model(editor.work)
    with editor:
        shown = editor.wait_first_frame()
        close_message(editor, shown)
        expect_only_a_cube(editor)


def add_model_through_menu(editor, start, name):
    """Scene > Add > 3D model, the file's name typed into the dialog's path
    field and Enter: the message box shown for it, and the screen once it is
    closed."""
    click_add_entry(editor, MODEL_ITEM)
    editor.wait_screen_change(start, "dialog-" + name, *DIALOG)
    editor.click(*DIALOG_PATH)
    editor.type(name)
    selected = editor.screenshot("selected-" + name)
    editor.key("Return")
    # The dialog's title bar goes; then a box stands where the start
    # screen had none.
    editor.wait_screen_change(selected, "dialog-closed-" + name, *DIALOG_TITLE)

    def message_shown():
        shot = editor.screenshot("message-" + name)
        return shot if editor.regions_differ(start, shot, *MESSAGE) > 2000 else None
    shown = e2e_lib.wait_for(message_shown, 60, 0.5, "the message box for " + name)
    closed = close_message(editor, shown)
    if editor.regions_differ(start, closed, *MESSAGE) > 200:
        raise E2EFailure("the message box for %s did not go away" % name)
    return shown, closed


def test_add_model_menu(runtime):
    editor = Editor(runtime, "refused-menu")
    write_crashing_model(editor.work)
    # A model file its loader takes and makes nothing of: no geometry at all.
    with open(os.path.join(editor.work, "hollow.obj"), "w") as f:
        f.write("# a model with no vertices and no faces\n")
    with editor:
        start = editor.wait_first_frame()
        crashed, closed = add_model_through_menu(editor, start, "crash.x")
        hollow, closed = add_model_through_menu(editor, closed, "hollow.obj")
        # Each box tells its own reason: their texts differ on screen.
        if editor.regions_differ(crashed, hollow, *MESSAGE) < 200:
            raise E2EFailure("the model that loads nothing got the crash's message")
        if "Selection => hollow.obj" in editor.stdout():
            raise E2EFailure("the hollow model is in the scene")
        expect_only_a_cube(editor)


def test(runtime):
    test_command_line(runtime)
    test_add_model_menu(runtime)


if __name__ == "__main__":
    e2e_lib.main(test)
