"""Keys and saving as in any desktop editor: a scene opened from the command
line is saved back to its own file with Ctrl+S (no window, the caption loses
its "*"), the S of Ctrl+S starts no scale mode, a value typed into the tool box
is applied by Enter, and after a restart File > Recent opens the scene again."""
import os
import subprocess

import e2e_lib
from e2e_lib import (CUBE_ITEM, FILE_MENU, QUIT_ITEM, RECENT_ITEM, SAVE_WINDOW, SCENE_BOX_BUTTON, TOOL_BOX_BUTTON,
                     E2EFailure, Editor, add_node, chord, click_submenu_entry, decode_scene, node_attributes,
                     numbers, on_page, pick, replace_text, tree_row, wait_for)

# A scene as an exporter writes it: UTF-8, one light.
LEVEL = """<?xml version="1.0" encoding="UTF-8"?>
<irr_scene>
<node type="light">
 <attributes><string name="Name" value="Lamp" /><vector3d name="Position" value="0, 80, 0" /></attributes>
</node>
</irr_scene>
"""
POSITION_X_BOX = on_page(102, 46)


def caption(editor):
    return subprocess.run(["xdotool", "getwindowname", editor.window], env=editor.env,
                          capture_output=True, text=True).stdout.strip()


def wait_caption(editor, test, what):
    return wait_for(lambda: test(caption(editor)), 20, what="the caption " + what)


def saved_cubes(path):
    with open(path, "rb") as f:
        return node_attributes(decode_scene(f.read()), "cube")


def test(runtime):
    with Editor(runtime, "shortcuts") as editor:
        # The scene is written beside the settings, then opened from the command line.
        level = os.path.join(editor.work, "level.irr")
        with open(level, "w") as f:
            f.write(LEVEL)
        editor.restart(["level.irr"])
        editor.wait_first_frame()
        wait_caption(editor, lambda c: "level.irr" in c and "*" not in c, "naming the opened scene")
        editor.click(*SCENE_BOX_BUTTON)
        add_node(editor, CUBE_ITEM, "cube")
        wait_caption(editor, lambda c: "*" in c, "marking the unsaved cube")
        pick(editor, tree_row(2), "Cube")

        # Ctrl+S writes the opened file at once: no save window.
        before = editor.screenshot("before-ctrl-s")
        chord(editor, "ctrl+s")
        wait_for(lambda: len(saved_cubes(level)) == 1, 20, what="the cube in the saved file")
        wait_caption(editor, lambda c: "level.irr" in c and "*" not in c, "without its * after Ctrl+S")
        after = editor.screenshot("after-ctrl-s")
        if editor.regions_differ(before, after, *SAVE_WINDOW, fuzz="8%") > 0.2 * SAVE_WINDOW[2] * SAVE_WINDOW[3]:
            raise E2EFailure("Ctrl+S opened a window")

        # A drag in the view: the S of Ctrl+S started no scale mode.
        editor.drag(500, 400, 650, 450, steps=15)
        editor.click(*TOOL_BOX_BUTTON)
        replace_text(editor, POSITION_X_BOX, "25")
        editor.key("Return")
        wait_caption(editor, lambda c: "*" in c, "marking the position applied by Enter")
        chord(editor, "ctrl+s")
        wait_for(lambda: any(numbers(c.get("Position", "0, 0, 0"))[0] == 25.0 for c in saved_cubes(level)),
                 20, what="X = 25 in the saved file")
        wait_caption(editor, lambda c: "*" not in c, "without its * after the second Ctrl+S")
        cube = saved_cubes(level)[0]
        if numbers(cube["Scale"]) != [1.0, 1.0, 1.0]:
            raise E2EFailure("the drag after Ctrl+S scaled the cube: " + cube["Scale"])

        # Nothing unsaved: File > Quit quits at once.
        editor.click(*FILE_MENU)
        editor.click(*QUIT_ITEM)
        if editor.wait_exit(60) != 0:
            raise E2EFailure("the editor did not quit cleanly")

        # Started again without a file: File > Recent lists the scene and opens it.
        editor.restart([])
        editor.wait_first_frame()
        if "level.irr" in caption(editor):
            raise E2EFailure("the scene was open before it was chosen")
        refreshes = editor.stdout().count("updateTreeview()")
        click_submenu_entry(editor, FILE_MENU, RECENT_ITEM, RECENT_ITEM[1])
        wait_caption(editor, lambda c: "level.irr" in c and "*" not in c, "naming the scene chosen in File > Recent")
        editor.click(*SCENE_BOX_BUTTON)
        wait_for(lambda: editor.stdout().count("updateTreeview()") > refreshes, 20, what="the reopened tree")


if __name__ == "__main__":
    e2e_lib.main(test)
