"""Pick a cube in the scene box, type a position into the tool box, then move
the cube with the X key and a mouse drag in the 3D view."""
import time

import e2e_lib
from e2e_lib import E2EFailure, Editor

SCENE_BOX_BUTTON = (19, 32)
TOOL_BOX_BUTTON = (46, 32)
SCENE_MENU = (104, 9)
ADD_ITEM = (110, 30)
CUBE_ITEM = (210, 85)
CUBE_ROW = (35, 170)
POSITION_X_BOX = (900, 150)
POSITION_SET = (940, 238)
POSITION_X_AREA = (850, 140, 110, 20)
TOOL_BOX = (800, 50, 200, 670)
STATUS = (125, 25, 360, 16)
VIEW = (230, 100, 560, 640)


def test(runtime):
    with Editor(runtime, "edit") as editor:
        start = editor.wait_first_frame()
        editor.click(*SCENE_BOX_BUTTON)
        editor.click(*SCENE_MENU)
        editor.click(*ADD_ITEM)
        editor.click(*CUBE_ITEM)
        e2e_lib.wait_for(lambda: editor.stdout().count("updateTreeview()") >= 1, 20, what="the tree refresh")
        time.sleep(0.5)
        editor.click(*CUBE_ROW)
        editor.wait_output("Selection => Cube")
        editor.click(*TOOL_BOX_BUTTON)
        editor.wait_output("createToolBox()")
        filled = editor.wait_screen_change(start, "toolbox", *TOOL_BOX)

        # Type into position X and apply: the box then shows the value as stored.
        editor.click(*POSITION_X_BOX)
        editor.key("ctrl+a", "BackSpace")
        editor.type("2.5abc")
        typed = editor.screenshot("typed")
        if "createToolBox" in editor.stdout().split("createToolBox()", 1)[1]:
            raise E2EFailure("typing rebuilt the tool box")
        editor.click(*POSITION_SET)
        applied = editor.wait_screen_change(typed, "applied", *POSITION_X_AREA)
        if editor.regions_differ(filled, applied, *POSITION_X_AREA) == 0:
            raise E2EFailure("position X did not change")

        # X starts moving along X: the blue axis line shows, the tool box hides.
        editor.key("x")
        moving = editor.wait_screen_change(applied, "move-mode", *TOOL_BOX)
        if e2e_lib.colour_fraction(moving, "#0000ff", *VIEW) <= 0:
            raise E2EFailure("no X axis line in move mode")
        before_drag = editor.screenshot("before-drag")
        editor.drag(500, 400, 700, 400, steps=20)
        dragged = editor.wait_screen_change(before_drag, "dragged", *STATUS)
        if editor.regions_differ(before_drag, dragged, *VIEW) == 0:
            raise E2EFailure("the cube did not move in the view")

        # X again leaves the mode: the tool box is back with the new position.
        editor.key("x")
        back = editor.wait_screen_change(dragged, "move-done", *TOOL_BOX)
        if editor.regions_differ(applied, back, *POSITION_X_AREA) == 0:
            raise E2EFailure("the tool box does not show the moved position")


if __name__ == "__main__":
    e2e_lib.main(test)
