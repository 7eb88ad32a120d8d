"""Two cubes picked in the 3D view: a click on the first names it on standard
output, Control and a click on the second adds it, the Delete key takes both
out, one Ctrl+Z brings both back. Then in the scene box the first is renamed
with F2, dragged under the second and copied and pasted under itself; the
saved scene holds both cubes where they were, nested as arranged, without the
selection's outline in their debug drawing."""
import os
import time
from xml.etree import ElementTree

import e2e_lib
from e2e_lib import (CUBE_ITEM, SCENE_BOX_BUTTON, TREE, TREE_ROW_X, TREE_ROWS, E2EFailure, Editor, add_node,
                     chord, decode_scene, node_attributes, save_through_window, wait_for)

# The camera looks at (0, 30, 0) from beside it: a cube at the origin is seen
# below the view's middle; one moved along Z is seen beside it.
COLUMN_X = 500
SEARCH_ROWS = range(430, 720, 15)
SEARCH_COLUMNS = [x for step in range(60, 420, 20) for x in (COLUMN_X - step, COLUMN_X + step)]


def clicks_until(editor, points, trace, control=False):
    """Clicks the points in turn until the trace line appears once more;
    returns the point that did it, or None."""
    for x, y in points:
        seen = editor.stdout().count(trace)
        if control:
            editor.xdotool("mousemove", "--window", editor.window, x, y)
            editor.xdotool("keydown", "ctrl")
            editor.click(x, y)
            editor.xdotool("keyup", "ctrl")
        else:
            editor.click(x, y)
        try:
            wait_for(lambda: editor.stdout().count(trace) > seen, 1.5, what=trace)
            return (x, y)
        except E2EFailure:
            continue
    return None


def arrange(editor, shown):
    """The first cube's row: F2 renames it "Crate", a drag puts it under the
    second cube, Ctrl+C and Ctrl+V paste a copy under it."""
    e2e_lib.pick(editor, TREE_ROWS[1], "Cube")
    editor.key("F2")
    editor.key("ctrl+a", "BackSpace")
    editor.type("Crate")
    editor.key("Return")
    renamed = editor.wait_screen_change(shown, "renamed", *TREE)
    refreshes = editor.stdout().count("updateTreeview()")
    editor.drag(TREE_ROW_X, TREE_ROWS[1], TREE_ROW_X, TREE_ROWS[2])
    wait_for(lambda: editor.stdout().count("updateTreeview()") > refreshes, 20,
             what="the tree rebuilt after the drop")
    editor.wait_screen_change(renamed, "reparented", *TREE)
    pasted = editor.stdout().count("Selection => Crate")
    chord(editor, "ctrl+c")
    chord(editor, "ctrl+v")
    wait_for(lambda: editor.stdout().count("Selection => Crate") > pasted, 30, what="the pasted copy selected")


def check_arranged(text):
    """One cube at the root; inside it the renamed one, inside that its copy."""
    def name_of(element):
        return next((a.get("value") for a in element.iter("string") if a.get("name") == "Name"), None)

    def cubes_under(element):
        return [node for node in element.findall("node") if node.get("type") == "cube"]

    tops = cubes_under(ElementTree.fromstring(text))
    inner = cubes_under(tops[0]) if len(tops) == 1 else []
    copies = cubes_under(inner[0]) if len(inner) == 1 else []
    arranged = [[name_of(n) for n in level] for level in (tops, inner, copies)]
    if arranged[1:] != [["Crate"], ["Crate"]]:
        raise E2EFailure("the cubes are not nested as arranged (by level): %r" % arranged)
    # The second cube was moved 25 along Z; the first, put under it, kept its
    # place in the world: 25 back along Z from its new parent.
    def z_of(element):
        value = next(a.get("value") for a in element.iter("vector3d") if a.get("name") == "Position")
        return float(value.split(",")[2])

    if abs(z_of(tops[0]) - 25) > 1e-3 or abs(z_of(inner[0]) + 25) > 1e-3:
        raise E2EFailure("the cubes did not keep their places: top Z %g, inner Z %g" % (z_of(tops[0]), z_of(inner[0])))


def test(runtime):
    with Editor(runtime, "select-in-view") as editor:
        start = editor.wait_first_frame()
        editor.click(*SCENE_BOX_BUTTON)
        editor.wait_output("createSceneBox()")
        add_node(editor, CUBE_ITEM, "cube")
        add_node(editor, CUBE_ITEM, "second cube")
        # The second cube goes 25 units along Z: picked in the tree, Z, a drag.
        e2e_lib.pick(editor, TREE_ROWS[2], "Cube")
        editor.key("z")
        editor.drag(COLUMN_X, 300, COLUMN_X + 150, 300, steps=25)
        editor.key("z")
        editor.key("Escape")  # nothing selected: the view shows no outline
        before_picks = editor.screenshot("before-picks")

        first = clicks_until(editor, [(COLUMN_X, y) for y in SEARCH_ROWS], "Selection => Cube")
        if not first:
            raise E2EFailure("no click in the view picked the first cube")
        picked = editor.wait_screen_change(before_picks, "first-picked", *TREE)
        second = clicks_until(editor, [(x, first[1]) for x in SEARCH_COLUMNS], "Selection => Cube", control=True)
        if not second:
            raise E2EFailure("no Control click in the view added the second cube")
        # Both rows are highlighted in the tree.
        both = editor.wait_screen_change(picked, "both-picked", *TREE)

        editor.focus()
        editor.key("Delete")
        deleted = editor.wait_screen_change(both, "deleted", *TREE, timeout=60)
        chord(editor, "ctrl+z")
        undone = editor.wait_screen_change(deleted, "undone", *TREE, timeout=60)

        arrange(editor, undone)
        saved = save_through_window(editor, "two-cubes.irr")
        with open(saved, "rb") as f:
            text = decode_scene(f.read())
        check_arranged(text)
        cubes = node_attributes(text, "cube")
        if len(cubes) != 3:
            raise E2EFailure("the saved scene holds %d cubes, not both and the pasted copy" % len(cubes))
        for cube in cubes:
            if cube.get("DebugDataVisible", "0") != "0":
                raise E2EFailure("the selection reached a cube's debug drawing: %r" % cube)


if __name__ == "__main__":
    e2e_lib.main(test)
