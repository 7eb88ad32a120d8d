"""Add a sky box and give it an image set (a ".skybox" marker beside six faces
made from the engine's sample images, one face only as ".bmp") through the
"action_load" button and the file dialog; add a text node, type a text and
apply it; save; reopen the file from the command line: the view shows the new
faces, and the saved file and the reopened scene hold the text."""
import os
import shutil
import tempfile

import e2e_lib
from e2e_lib import (SCENE_BOX_BUTTON, SKY_BAND, SKY_BOX_ITEM, TEXT_ITEM, TOOL_BOX_BUTTON, TREE, TREE_ROWS,
                     TREE_ROW_X, E2EFailure, Editor, add_node, decode_scene)

# Tool box (window at x = 800, y = 50).
LOAD_BUTTON = (861, 322)
TEXT_TAB = (872, 80)
TEXT_BOX = (918, 150)
TEXT_APPLY = (943, 209)

TYPED = "Hello sky 1,5"
FACES = e2e_lib.SKY_FACES


def difference(editor, path_a, path_b, region):
    return e2e_lib.mean_difference(editor.work, path_a, path_b, region)


def save_scene(editor, name):
    return e2e_lib.save_through_window(editor, name)


def test(runtime):
    keep = tempfile.mkdtemp(prefix="sorn-e2e-sky-")
    try:
        with Editor(runtime, "sky-text") as editor:
            e2e_lib.make_image_set(editor.work)
            plain = editor.wait_first_frame()
            editor.click(*SCENE_BOX_BUTTON)
            editor.wait_output("createSceneBox()")
            add_node(editor, SKY_BOX_ITEM, "sky box")
            add_node(editor, TEXT_ITEM, "text")
            editor.click(*TOOL_BOX_BUTTON)
            editor.wait_output("createToolBox()")

            # The sky box: "action_load", then the marker in the file dialog.
            editor.click(TREE_ROW_X, TREE_ROWS[1])
            editor.wait_output("Selection => SkyBox")
            before = editor.screenshot("sky-selected")
            editor.click(*LOAD_BUTTON)
            # The marker is the first entry starting with "z": zenith.skybox.
            e2e_lib.choose_in_dialog(editor, "z", before)
            applied = editor.wait_screen_change(before, "set-applied", *SKY_BAND)
            if difference(editor, plain, applied, SKY_BAND) < 0.03:
                raise E2EFailure("the sky did not change after applying the image set")

            # The text node: type a text in the text tab and apply it.
            editor.click(TREE_ROW_X, TREE_ROWS[2])
            editor.wait_output("Selection => Text")
            editor.click(*TEXT_TAB)
            editor.click(*TEXT_BOX)
            editor.key("ctrl+a", "BackSpace")
            editor.type(TYPED)
            editor.click(*TEXT_APPLY)

            saved = save_scene(editor, "level.irr")
            text = decode_scene(open(saved, "rb").read())
            if 'value="%s"' % TYPED not in text:
                raise E2EFailure("the saved scene lacks the typed text")
            for suffix in FACES:
                if "zenith_%s." % suffix not in text:
                    raise E2EFailure("the saved scene lacks the face " + suffix)
            for name in os.listdir(editor.work):
                if name.startswith("zenith") or name == "level.irr":
                    shutil.copy(os.path.join(editor.work, name), keep)

        reopened = Editor(runtime, "sky-text-reopen", args=["level.irr"])
        for name in os.listdir(keep):
            shutil.copy(os.path.join(keep, name), reopened.work)
        with reopened as editor:
            start = editor.wait_first_frame()
            if difference(editor, start, applied, SKY_BAND) > difference(editor, start, plain, SKY_BAND):
                raise E2EFailure("the reopened scene does not show the new sky faces")
            editor.click(*SCENE_BOX_BUTTON)
            editor.wait_output("createSceneBox()")
            editor.wait_screen_change(start, "reopened-tree", *TREE)
            editor.click(TREE_ROW_X, TREE_ROWS[2])
            editor.wait_output("Selection => Text")
            # What the reopened scene holds goes into the next save.
            again = decode_scene(open(save_scene(editor, "again.irr"), "rb").read())
            if 'value="%s"' % TYPED not in again:
                raise E2EFailure("the reopened scene lost the typed text")
    finally:
        shutil.rmtree(keep, ignore_errors=True)


if __name__ == "__main__":
    e2e_lib.main(test)
