"""Files dropped on the window from a file manager, through the X11
drag-and-drop protocol (sorn-drop-files plays the file manager): a scene opens
in place of the current one, a model joins it, a scene dropped over unsaved
work asks first; a source that never hands its list over or vanishes
mid-drag, or a list of links that are no local files, leaves the editor working."""
import os
import subprocess

import e2e_lib
from e2e_lib import SCENE_BOX_BUTTON, TREE_ROWS, TREE_ROW_X, E2EFailure, Editor, wait_for

# The unsaved-changes question, centred on the window, and its Discard button.
QUESTION = (330, 322, 340, 105)
DISCARD_BUTTON = (594, 398)

SCENE = """<?xml version="1.0"?>
<irr_scene><node type="cube"><attributes>
<string name="Name" value="Crate"/>
<vector3d name="Position" value="0.000000, 30.000000, 0.000000"/>
<vector3d name="Scale" value="2.000000, 2.000000, 2.000000"/>
<bool name="Visible" value="true"/>
</attributes></node></irr_scene>
"""
TRIANGLE = "v -20 10 0\nv 20 10 0\nv 0 50 0\nf 1 2 3\n"
MODEL_NAME = "bateau \u00e9t\u00e9 #1.obj"


def drop_tool(runtime):
    tool = os.environ.get("SORN_DROP_FILES") or os.path.join(runtime, "..", "tests", "sorn-drop-files")
    if not os.path.exists(tool):
        raise E2EFailure("the drag source program is missing: " + tool)
    return tool


def drop(editor, tool, *args):
    """Drops as a file manager does; returns the source's exit code and output."""
    result = subprocess.run([tool] + list(args[:-1]) + [editor.window] + list(args[-1]),
                            env=editor.env, capture_output=True, text=True, timeout=60)
    return result.returncode, result.stdout + result.stderr


def tree_refreshes(editor):
    return editor.stdout().count("updateTreeview()")


def pick_row(editor, row):
    """Clicks a row of the scene box and returns the name its selection line
    printed (a node's name is one byte a character, Latin-1), or None."""
    before = editor.stdout().count("Selection => ")
    editor.click(TREE_ROW_X, TREE_ROWS[row])
    try:
        wait_for(lambda: editor.stdout().count("Selection => ") > before, 5, what="a selection line")
    except E2EFailure:
        return None
    editor.output.flush()
    with open(editor.output_path, "rb") as f:
        return f.read().decode("latin-1").split("Selection => ")[-1].split("\n")[0]


def test(runtime):
    tool = drop_tool(runtime)
    with Editor(runtime, "drop") as editor:
        editor.wait_first_frame()
        editor.click(*SCENE_BOX_BUTTON)
        folder = os.path.join(editor.work, "dropped files")
        os.makedirs(folder)
        scene = os.path.join(folder, "level.irr")
        with open(scene, "w") as f:
            f.write(SCENE)
        model = os.path.join(folder, MODEL_NAME)
        with open(model, "w") as f:
            f.write(TRIANGLE)

        # A scene dropped on a fresh editor opens at once.
        refreshes = tree_refreshes(editor)
        code, out = drop(editor, tool, [scene])
        if code != 0:
            raise E2EFailure("the scene drop was not accepted: " + out)
        wait_for(lambda: tree_refreshes(editor) > refreshes, 20, what="the tree after the scene drop")
        if pick_row(editor, 1) != "Crate":
            raise E2EFailure("the dropped scene's cube is not in the scene box")

        # A model dropped next joins the scene, named after its file.
        refreshes = tree_refreshes(editor)
        code, out = drop(editor, tool, [model])
        if code != 0:
            raise E2EFailure("the model drop was not accepted: " + out)
        wait_for(lambda: tree_refreshes(editor) > refreshes, 30, what="the tree after the model drop")
        if pick_row(editor, 2) != MODEL_NAME:
            raise E2EFailure("the dropped model is not the scene box's second row")

        # A source that never hands its list over: the drop is given up and
        # the editor goes on (the source hears a refusal).
        code, out = drop(editor, tool, "--silent", [model])
        if code != 1 or "refused" not in out:
            raise E2EFailure("a drop whose list never came was not refused: %s %s" % (code, out))
        # A source that goes away in the middle of its drag (its window with
        # it): the editor's answers to it go nowhere, and it carries on.
        code, out = drop(editor, tool, "--vanish", [model])
        if code != 0:
            raise E2EFailure("the vanishing source failed to start its drag: " + out)
        # Links that are no local files add nothing.
        refreshes = tree_refreshes(editor)
        code, out = drop(editor, tool, "--list", "http://example.com/a.irr\r\nfile://elsewhere/b.obj\r\n", [])
        if code != 0:
            raise E2EFailure("a list of links was not taken: " + out)

        # The scene dropped again over the unsaved model asks first; Discard
        # opens it, and the model is gone.
        before = editor.screenshot("before-question")
        code, out = drop(editor, tool, [scene])
        if code != 0:
            raise E2EFailure("the second scene drop was not accepted: " + out)
        editor.wait_screen_change(before, "question", *QUESTION)
        if tree_refreshes(editor) != refreshes:
            raise E2EFailure("the scene changed before the question was answered")
        editor.click(*DISCARD_BUTTON)
        wait_for(lambda: tree_refreshes(editor) > refreshes, 20, what="the tree after the scene reopened")
        if pick_row(editor, 2) is not None:
            raise E2EFailure("the model is still in the scene after the dropped scene replaced it")
        if pick_row(editor, 1) != "Crate":
            raise E2EFailure("the reopened scene's cube is not in the scene box")
        if editor.proc.poll() is not None:
            raise E2EFailure("the editor exited")


if __name__ == "__main__":
    e2e_lib.main(test)
