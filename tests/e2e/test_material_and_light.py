"""Give a cube a wire-frame material and a light a red diffuse colour through
the tool box, save the scene with the save window and find both in the file."""
import os
import re
import shutil
import subprocess
import tempfile

import e2e_lib
from e2e_lib import (CUBE_ITEM, FILE_MENU, LIGHT_ITEM, PATH_BOX, SAVE_AS_ITEM, SAVE_BUTTON, SAVE_WINDOW, SCENE_BOX_BUTTON,
                     TOOL_BOX_BUTTON, TREE_ROWS, TREE_ROW_X, VIEW, E2EFailure, Editor, add_node,
                     decode_scene)

# Tool box tab headers: the second top-level tab, the nested flags tab.
SECOND_TAB = (887, 88)
FLAGS_TAB = (892, 132)
# Flags tab: the "EMF_WIREFRAME:" box and "action_set".
WIREFRAME_BOX = (969, 175)
FLAGS_SET = (944, 590)
# Light tab: the "DiffuseColor:" box and "action_update".
DIFFUSE_BOX = (938, 212)
LIGHT_UPDATE = (943, 405)
TOOL_BOX = (800, 50, 200, 670)



def dark_fraction(path, x, y, w, h):
    """Share of near-black pixels in a region."""
    out = subprocess.run(["convert", path, "-crop", "%dx%d+%d+%d" % (w, h, x, y), "+repage",
                          "-colorspace", "Gray", "-threshold", "8%", "-negate", "-format", "%[fx:mean]", "info:"],
                         capture_output=True, text=True, check=True).stdout
    return float(out)


def node_blocks(text, type_code):
    """The attribute text of every node of the type, up to its first child."""
    return re.findall(r'<node type="%s">(.*?)(?:<node |</node>)' % type_code, text, re.S)


def test(runtime):
    keep = tempfile.mkdtemp(prefix="sorn-e2e-material-")
    try:
        with Editor(runtime, "material") as editor:
            start = editor.wait_first_frame()
            editor.click(*SCENE_BOX_BUTTON)
            add_node(editor, CUBE_ITEM, "cube")
            editor.click(TREE_ROW_X, TREE_ROWS[1])
            editor.wait_output("Selection => Cube")
            editor.click(*TOOL_BOX_BUTTON)
            editor.wait_output("createToolBox()")
            shown = editor.wait_screen_change(start, "toolbox", *TOOL_BOX)

            # Material tab, flags tab, check "EMF_WIREFRAME:", "action_set".
            editor.click(*SECOND_TAB)
            material = editor.wait_screen_change(shown, "material-tab", *TOOL_BOX)
            editor.click(*FLAGS_TAB)
            flags = editor.wait_screen_change(material, "flags-tab", *TOOL_BOX)
            editor.click(*WIREFRAME_BOX)
            checked = editor.wait_screen_change(flags, "wireframe-checked", *TOOL_BOX)
            editor.click(*FLAGS_SET)
            wire = editor.wait_screen_change(checked, "wireframe", *VIEW)
            # The unlit cube is black. As a wire frame only its edges stay
            # black and the sky shows through its faces.
            before = dark_fraction(checked, *VIEW)
            after = dark_fraction(wire, *VIEW)
            if not (before > 0.005 and 0 < after < before * 0.3):
                raise E2EFailure("the cube is not drawn as a wire frame (black share %.4f -> %.4f)"
                                 % (before, after))

            # A light at the root: pick the scene entry first, then add it.
            editor.click(TREE_ROW_X, TREE_ROWS[0])
            add_node(editor, LIGHT_ITEM, "light")
            editor.click(TREE_ROW_X, TREE_ROWS[2])
            editor.wait_output("Selection => Light")
            light_shown = editor.screenshot("light-picked")
            editor.click(*SECOND_TAB)
            light_tab = editor.wait_screen_change(light_shown, "light-tab", *TOOL_BOX)
            editor.click(*DIFFUSE_BOX)
            editor.key("ctrl+a", "BackSpace")
            editor.type("255,255,0,0")
            editor.wait_screen_change(light_tab, "diffuse-typed", *TOOL_BOX)
            editor.click(*LIGHT_UPDATE)

            before_save = editor.screenshot("before-save")
            editor.click(*FILE_MENU)
            editor.click(*SAVE_AS_ITEM)
            editor.wait_screen_change(before_save, "save-window", *SAVE_WINDOW)
            editor.click(*PATH_BOX)
            editor.key("End")
            editor.type("level.irr")
            editor.click(*SAVE_BUTTON)
            editor.wait_output("File successfully renamed")
            saved = os.path.join(editor.work, "level.irr")
            e2e_lib.wait_for(lambda: os.path.exists(saved), 10, what="the saved file")
            shutil.copy(saved, keep)

        text = decode_scene(open(os.path.join(keep, "level.irr"), "rb").read())
        cubes = node_blocks(text, "cube")
        lights = node_blocks(text, "light")
        if len(cubes) != 1 or len(lights) != 1:
            raise E2EFailure("expected one cube and one light in the saved scene, found %d and %d"
                             % (len(cubes), len(lights)))
        if not re.search(r'<bool name="Wireframe" value="true"', cubes[0]):
            raise E2EFailure("the cube's material is not saved as wire frame")
        diffuse = re.search(r'<colorf name="DiffuseColor" value="([^"]*)"', lights[0])
        if not diffuse:
            raise E2EFailure("the light has no diffuse colour in the saved scene")
        channels = [float(v) for v in diffuse.group(1).replace(" ", "").split(",")]
        if channels != [1.0, 0.0, 0.0, 1.0]:
            raise E2EFailure("the light's diffuse colour is saved as " + diffuse.group(1))
    finally:
        shutil.rmtree(keep, ignore_errors=True)


if __name__ == "__main__":
    e2e_lib.main(test)
