"""Pick a cube, delete it with the scene box's remove button, then press X:
with nothing selected the key does nothing, so the tool box and the scene box
stay on screen; a node picked again makes X start editing as before."""
import e2e_lib
from e2e_lib import (CUBE_ITEM, SCENE_BOX_BUTTON, SPHERE_ITEM, TOOL_BOX_BUTTON, TREE, TREE_ROW_X, TREE_ROWS,
                     E2EFailure, Editor, add_node)

REMOVE_BUTTON = (66, 100)
TOOL_BOX = (800, 50, 200, 670)
STATUS = (125, 25, 360, 16)
CAMERA_READOUT = (230, 50, 330, 30)


def test(runtime):
    with Editor(runtime, "delete") as editor:
        start = editor.wait_first_frame()
        editor.click(*SCENE_BOX_BUTTON)
        editor.wait_output("createSceneBox()")
        add_node(editor, SPHERE_ITEM, "sphere")
        add_node(editor, CUBE_ITEM, "cube")
        editor.click(*TOOL_BOX_BUTTON)
        editor.wait_output("createToolBox()")
        scene_tab = editor.wait_screen_change(start, "toolbox", *TOOL_BOX)
        editor.click(TREE_ROW_X, TREE_ROWS[2])
        editor.wait_output("Selection => Cube")
        picked = editor.wait_screen_change(scene_tab, "picked", *TOOL_BOX)

        # The tool box goes back to its scene tab and the status line to "Scene".
        rebuilt = editor.stdout().count("updateToolBox()")
        editor.click(*REMOVE_BUTTON)
        e2e_lib.wait_for(lambda: editor.stdout().count("updateToolBox()") > rebuilt, 60,
                         what="the tool box rebuild after the delete")
        deleted = editor.wait_screen_change(picked, "deleted", *TOOL_BOX, timeout=60)
        if editor.regions_differ(picked, deleted, *STATUS) == 0:
            raise E2EFailure("the status line still names the deleted node")

        # X with nothing selected, then F1 as a marker that both keys were handled.
        editor.key("x")
        editor.key("F1")
        after_keys = editor.wait_screen_change(deleted, "after-keys", *CAMERA_READOUT, timeout=60)
        if editor.regions_differ(deleted, after_keys, *TOOL_BOX) != 0:
            raise E2EFailure("X without a selection changed the tool box")
        if editor.regions_differ(deleted, after_keys, *TREE) != 0:
            raise E2EFailure("X without a selection changed the scene box")

        # Picking the sphere makes X work again: both windows hide.
        editor.click(TREE_ROW_X, TREE_ROWS[1])
        editor.wait_output("Selection => Sphere")
        sphere = editor.wait_screen_change(after_keys, "sphere", *TOOL_BOX, timeout=60)
        editor.key("x")
        editing = editor.wait_screen_change(sphere, "editing", *TOOL_BOX, timeout=60)
        if editor.regions_differ(sphere, editing, *TREE) == 0:
            raise E2EFailure("the scene box stayed while editing")


if __name__ == "__main__":
    e2e_lib.main(test)
