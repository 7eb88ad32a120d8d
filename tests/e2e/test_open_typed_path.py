"""File > Open, the full path of a scene in a nested folder typed into the
dialog's path field, Enter: the scene opens (the caption names it, its nodes
are in the scene box) and the folder is remembered in config.xml."""
import os
import subprocess

import e2e_lib
from e2e_lib import FILE_MENU, SCENE_BOX_BUTTON, Editor, pick, tree_row, type_path_in_dialog, wait_for

OPEN_ITEM = (40, 43)
LEVEL = """<?xml version="1.0" encoding="UTF-8"?>
<irr_scene>
<node type="light">
 <attributes><string name="Name" value="Lamp" /><vector3d name="Position" value="0, 80, 0" /></attributes>
</node>
<node type="cube">
 <attributes><string name="Name" value="Crate" /><vector3d name="Scale" value="1, 1, 1" />
  <bool name="Visible" value="true" /></attributes>
</node>
</irr_scene>
"""


def caption(editor):
    return subprocess.run(["xdotool", "getwindowname", editor.window], env=editor.env,
                          capture_output=True, text=True).stdout.strip()


def test(runtime):
    with Editor(runtime, "typed-path") as editor:
        folder = os.path.join(editor.work, "maps", "first level")
        os.makedirs(folder)
        level = os.path.join(folder, "level.irr")
        with open(level, "w") as f:
            f.write(LEVEL)
        before = editor.wait_first_frame()
        editor.click(*SCENE_BOX_BUTTON)
        editor.click(*FILE_MENU)
        editor.click(*OPEN_ITEM)
        type_path_in_dialog(editor, level, before)
        wait_for(lambda: "level.irr" in caption(editor), 20, what="the caption naming the opened scene")
        pick(editor, tree_row(1), "Lamp")
        pick(editor, tree_row(2), "Crate")

        def remembered():
            with open(os.path.join(editor.work, "config.xml"), "rb") as f:
                data = f.read()
            return folder.encode("utf-32-le") in data or folder.encode("utf-16-le") in data
        wait_for(remembered, 10, what="the scene's folder kept in config.xml")


if __name__ == "__main__":
    e2e_lib.main(test)
