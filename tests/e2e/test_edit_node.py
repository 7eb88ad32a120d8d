"""Pick a cube in the scene box, type a position into the tool box, then move
the cube with the X key and a mouse drag in the 3D view."""
import e2e_lib
from e2e_lib import (CUBE_ITEM, SCENE_BOX_BUTTON, TOOL_BOX_BUTTON, TREE_ROWS, TREE_ROW_X, VIEW, E2EFailure,
                     Editor, add_node)

POSITION_X_BOX = (900, 150)
POSITION_SET = (940, 238)
POSITION_X_AREA = (850, 140, 110, 20)
TOOL_BOX = (800, 50, 200, 670)
STATUS = (125, 25, 360, 16)


def test(runtime):
    with Editor(runtime, "edit") as editor:
        start = editor.wait_first_frame()
        editor.click(*SCENE_BOX_BUTTON)
        add_node(editor, CUBE_ITEM, "cube")
        editor.click(TREE_ROW_X, TREE_ROWS[1])
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
