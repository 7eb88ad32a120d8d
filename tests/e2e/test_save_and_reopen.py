"""Add two nodes, save the scene with File > Save (mouse and keyboard), then
open the written file from the command line and find the same nodes."""
import os
import shutil
import tempfile

import e2e_lib
from e2e_lib import (CUBE_ITEM, FILE_MENU, PATH_BOX, SAVE_BUTTON, SAVE_ITEM, SAVE_WINDOW, SCENE_BOX_BUTTON,
                     SPHERE_ITEM, TREE, TREE_ROWS, TREE_ROW_X, E2EFailure, Editor, add_node, decode_scene)



def test(runtime):
    keep = tempfile.mkdtemp(prefix="sorn-e2e-saved-")
    try:
        with Editor(runtime, "save") as editor:
            editor.wait_first_frame()
            editor.click(*SCENE_BOX_BUTTON)
            add_node(editor, CUBE_ITEM, "cube")
            add_node(editor, SPHERE_ITEM, "sphere")

            before = editor.screenshot("before-save")
            editor.click(*FILE_MENU)
            editor.click(*SAVE_ITEM)
            editor.wait_screen_change(before, "save-window", *SAVE_WINDOW)
            editor.click(*PATH_BOX)
            editor.key("End")
            editor.type("level.irr")
            saved = os.path.join(editor.work, "level.irr")
            folder = os.path.dirname(saved)
            present = set(os.listdir(folder))
            editor.click(*SAVE_BUTTON)
            editor.wait_output("File successfully renamed")
            e2e_lib.wait_for(lambda: os.path.exists(saved), 10, what="the saved file")
            # Whatever the save writes on the way, only the scene stays beside it.
            left = set(os.listdir(folder)) - present - {"level.irr"}
            if left:
                raise E2EFailure("the save left files behind: " + ", ".join(sorted(left)))
            shutil.copy(saved, keep)

        text = decode_scene(open(os.path.join(keep, "level.irr"), "rb").read())
        for name in ("Cube", "Sphere"):
            if 'value="%s"' % name not in text:
                raise E2EFailure("the saved scene lacks " + name)
        if "Sorn::" in text:
            raise E2EFailure("the saved scene holds the editor's own nodes")

        with Editor(runtime, "reopen", args=[os.path.join(keep, "level.irr")]) as editor:
            start = editor.wait_first_frame()
            editor.click(*SCENE_BOX_BUTTON)
            editor.wait_output("createSceneBox()")
            editor.wait_screen_change(start, "reopened-tree", *TREE)
            for name, row_y in (("Cube", TREE_ROWS[1]), ("Sphere", TREE_ROWS[2])):
                editor.click(TREE_ROW_X, row_y)
                editor.wait_output("Selection => " + name)
    finally:
        shutil.rmtree(keep, ignore_errors=True)


if __name__ == "__main__":
    e2e_lib.main(test)
