"""Open the scene box from the toolbar, add a cube and a sphere from
Scene > Add, see both in the tree and pick one; rename it with F2, drag its
row onto the sphere's, save, and find it in the file under its new name,
inside the sphere."""
import xml.etree.ElementTree as ElementTree

import e2e_lib
from e2e_lib import (CUBE_ITEM, SCENE_BOX_BUTTON, SPHERE_ITEM, TREE, TREE_ROW_X, TREE_ROWS,
                     E2EFailure, Editor, add_node, decode_scene, save_through_window, wait_for)

STATUS = (125, 25, 360, 16)


def node_name(element):
    for attribute in element.iter("string"):
        if attribute.get("name") == "Name":
            return attribute.get("value")
    return None


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
        picked = editor.wait_screen_change(previous, "picked", *STATUS)

        # F2 edits the picked row's name in place; Enter applies it, and the
        # status line names the node anew.
        editor.key("F2")
        editor.key("ctrl+a", "BackSpace")
        editor.type("Crate")
        editor.key("Return")
        renamed = editor.wait_screen_change(picked, "renamed", *STATUS)

        # The cube's row dragged onto the sphere's: the tree is rebuilt at once.
        refreshes = editor.stdout().count("updateTreeview()")
        editor.drag(TREE_ROW_X, TREE_ROWS[1], TREE_ROW_X, TREE_ROWS[2])
        wait_for(lambda: editor.stdout().count("updateTreeview()") > refreshes, 20,
                 what="the tree rebuilt after the drop")
        editor.wait_screen_change(renamed, "reparented", *TREE)

        saved = save_through_window(editor, "arranged.irr")
        with open(saved, "rb") as f:
            text = decode_scene(f.read())
        root = ElementTree.fromstring(text)
        tops = [(node.get("type"), node_name(node)) for node in root.findall("node")]
        if ("sphere", "Sphere") not in tops or any(name == "Crate" for _, name in tops):
            raise E2EFailure("top-level nodes in the saved file: %r" % tops)
        sphere = next(node for node in root.findall("node") if node.get("type") == "sphere")
        inside = [(node.get("type"), node_name(node)) for node in sphere.findall("node")]
        if inside != [("cube", "Crate")]:
            raise E2EFailure("nodes inside the sphere in the saved file: %r" % inside)


if __name__ == "__main__":
    e2e_lib.main(test)
