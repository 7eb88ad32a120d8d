"""Open the scene box from the toolbar, add a cube and a sphere from
Scene > Add, see both in the tree and pick one."""
import e2e_lib
from e2e_lib import E2EFailure, Editor

SCENE_BOX_BUTTON = (19, 32)
SCENE_MENU = (104, 9)
ADD_ITEM = (110, 30)
CUBE_ITEM = (210, 85)
SPHERE_ITEM = (210, 99)
TREE = (10, 140, 180, 100)
CUBE_ROW = (35, 170)
STATUS = (125, 25, 360, 16)


def test(runtime):
    with Editor(runtime, "scenebox") as editor:
        start = editor.wait_first_frame()
        editor.click(*SCENE_BOX_BUTTON)
        editor.wait_output("createSceneBox()")
        empty = editor.wait_screen_change(start, "scenebox", *TREE)

        previous = empty
        for item, label in ((CUBE_ITEM, "cube"), (SPHERE_ITEM, "sphere")):
            refreshes = editor.stdout().count("updateTreeview()")
            editor.click(*SCENE_MENU)
            editor.click(*ADD_ITEM)
            editor.click(*item)
            e2e_lib.wait_for(lambda: editor.stdout().count("updateTreeview()") > refreshes, 20,
                             what="the tree refresh after adding a " + label)
            previous = editor.wait_screen_change(previous, "tree-" + label, *TREE)

        # Three rows now: the label, the cube and the sphere, each with text.
        for row_y in (152, 170, 188):
            if editor.region_stddev(previous, 30, row_y - 6, 60, 12) < 0.05:
                raise E2EFailure("tree row at y=%d is empty" % row_y)

        editor.click(*CUBE_ROW)
        editor.wait_output("Selection => Cube")
        editor.wait_screen_change(previous, "picked", *STATUS)


if __name__ == "__main__":
    e2e_lib.main(test)
