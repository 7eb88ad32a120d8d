"""Add two nodes, save the scene with File > Save (mouse and keyboard), then
open the written file from the command line and find the same nodes. Then a
scene as an exporter writes it, naming files that are not there: the editor
says so in one message, and saving it again keeps the paths, the custom
properties and the particle affector the engine's reader drops."""
import os
import shutil
import tempfile

import e2e_lib
from e2e_lib import (CUBE_ITEM, FILE_MENU, PATH_BOX, SAVE_AS_ITEM, SAVE_BUTTON, SAVE_WINDOW, SCENE_BOX_BUTTON,
                     SPHERE_ITEM, TREE, TREE_ROWS, TREE_ROW_X, E2EFailure, Editor, add_node, decode_scene,
                     save_through_window)

# Where the engine centres a message box in the 1000 x 750 window.
MESSAGE_AREA = (350, 300, 300, 150)

EXPORTED = """<?xml version="1.0"?>
<irr_scene>
<node type="mesh">
 <attributes><string name="Name" value="Statue" /><vector3d name="Position" value="1, 2, 3" />
  <vector3d name="Scale" value="1, 1, 1" /><bool name="Visible" value="true" />
  <string name="Mesh" value="models/gone.3ds" /></attributes>
 <materials><attributes><texture name="Texture1" value="textures/gone.jpg" /></attributes></materials>
 <userData><attributes><int name="spawnPoint" value="3" /><string name="trigger" value="R&amp;D" /></attributes></userData>
</node>
<node type="particleSystem">
 <attributes><string name="Name" value="Smoke" /><vector3d name="Scale" value="1, 1, 1" />
  <bool name="Visible" value="true" /><enum name="Emitter" value="Point" />
  <int name="MinParticlesPerSecond" value="5" /><int name="MaxParticlesPerSecond" value="10" />
  <enum name="Affector" value="Gravity" /><vector3d name="Gravity" value="0, -0.5, 0" />
  <float name="TimeForceLost" value="900" /></attributes>
</node>
</irr_scene>
"""



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
            editor.click(*SAVE_AS_ITEM)
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

        with Editor(runtime, "plain") as editor:
            plain = editor.wait_first_frame()
        exported = Editor(runtime, "exported", args=["exported.irr"])
        with open(os.path.join(exported.work, "exported.irr"), "w") as out:
            out.write(EXPORTED)
        with exported as editor:
            editor.wait_first_frame()
            e2e_lib.wait_for(
                lambda: editor.regions_differ(plain, editor.screenshot("missing"), *MESSAGE_AREA) > 2000,
                20, 0.5, "the message naming the missing files")
            editor.key("Return")
            e2e_lib.wait_for(
                lambda: editor.regions_differ(plain, editor.screenshot("dismissed"), *MESSAGE_AREA) < 2000,
                20, 0.5, "the message to go")
            text = decode_scene(open(save_through_window(editor, "again.irr"), "rb").read())
        for kept in ('value="models/gone.3ds"', 'value="textures/gone.jpg"', 'name="spawnPoint" value="3"',
                     'name="trigger" value="R&amp;D"', 'name="Affector" value="Gravity"',
                     'name="TimeForceLost" value="900.000000"'):
            if kept not in text:
                raise E2EFailure("the scene saved again lost " + kept)
    finally:
        shutil.rmtree(keep, ignore_errors=True)


if __name__ == "__main__":
    e2e_lib.main(test)
