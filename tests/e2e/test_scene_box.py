"""Open the scene box from the toolbar, add a cube and a sphere from
Scene > Add, see both in the tree and pick one."""
import e2e_lib
from e2e_lib import (CUBE_ITEM, SCENE_BOX_BUTTON, SPHERE_ITEM, TREE, TREE_ROW_X, TREE_ROWS,
                     E2EFailure, Editor, add_node)

STATUS = (125, 25, 360, 16)


def test(runtime):
    with Editor(runtime, "scenebox") as editor:
        start = editor.wait_first_frame()
        editor.click(*SCENE_BOX_BUTTON)
        editor.wait_output("createSceneBox()")
        empty = editor.wait_screen_change(start, "scenebox", *TREE)

        previous = empty
        for item, label in ((CUBE_ITEM, "cube"), (SPHERE_ITEM, "sphere")):
            add_node(editor, item, label)
            previous = editor.wait_screen_change(previous, "tree-" + label, *TREE)

        # Three rows now: the label, the cube and the sphere, each with text.
        for row_y in TREE_ROWS:
            if editor.region_stddev(previous, 30, row_y - 6, 60, 12) < 0.05:
                raise E2EFailure("tree row at y=%d is empty" % row_y)

        editor.click(TREE_ROW_X, TREE_ROWS[1])
        editor.wait_output("Selection => Cube")
        editor.wait_screen_change(previous, "picked", *STATUS)


if __name__ == "__main__":
    e2e_lib.main(test)
