"""The editor's typical request as a person does it: Scene > Add > Cube, pick
"Cube" in the scene box, type a new X position and press the position group's
"action_set", give the cube a texture from the engine's sample images through
the material tab's browse button and file dialog (and turn its lighting off so
the texture shows without a light), save through the save window, quit. Then
start the editor again with the saved file on the command line: the cube is
there, at the new position, with its texture, in the view, in the reopened tool
box and in the file."""
import os
import shutil
import tempfile

import e2e_lib
from e2e_lib import (QUIT_ITEM, CUBE_ITEM, FILE_MENU, SCENE_BOX_BUTTON, SECOND_TAB, TOOL_BOX, TOOL_BOX_BUTTON, TREE,
                     TREE_ROWS, VIEW, E2EFailure, Editor, add_node, choose_in_dialog, colour_fraction,
                     decode_scene, mean_difference, node_attributes, node_materials, numbers, on_page, pick,
                     replace_text, sample, save_through_window)

OBJECT_TAB = (829, 88)
TEXTURE = "redskin.jpg"  # the engine's red ninja skin; its first letter is unique in the folder
NEW_X = "12.5"
# Object tab: the position X box and the group's "action_set".
POSITION_X_BOX = on_page(102, 46)
POSITION_SET = on_page(137, 134)
POSITION_ROWS = (853, 139, 105, 76)
# Material tab, texture page: browse button, "action_set"; the nested flags
# page: its tab header, the "EMF_LIGHTING:" box and "action_set".
BROWSE_BUTTON = on_page(164, 44, nested=True)
TEXTURE_SET = on_page(132, 86, nested=True)
TEXTURE_BOX = (872, 188, 80, 11)  # inside the border
FLAGS_TAB = (892, 132)
LIGHTING_BOX = on_page(160, 85, nested=True)
FLAGS_SET = on_page(135, 440, nested=True)


def red_fraction(path, region):
    """Share of pixels near the texture's dark red in a region."""
    return colour_fraction(path, "rgb(110,25,30)", *region, fuzz="18%")


def first_session(runtime, keep):
    with Editor(runtime, "journey-cube") as editor:
        sample("nskinrd.jpg", os.path.join(editor.work, TEXTURE))
        start = editor.wait_first_frame()
        editor.click(*SCENE_BOX_BUTTON)
        add_node(editor, CUBE_ITEM, "cube")
        pick(editor, TREE_ROWS[1], "Cube")
        editor.click(*TOOL_BOX_BUTTON)
        editor.wait_output("createToolBox()")
        shown = editor.wait_screen_change(start, "toolbox", *TOOL_BOX)

        # A new X position, typed and set: the cube moves in the view.
        replace_text(editor, POSITION_X_BOX, NEW_X)
        typed = editor.screenshot("x-typed")
        editor.click(*POSITION_SET)
        moved = editor.wait_screen_change(typed, "moved", *VIEW)
        if editor.regions_differ(shown, moved, *VIEW) == 0:
            raise E2EFailure("setting the X position did not move the cube")

        # The texture: browse, pick the image in the dialog, "action_set".
        editor.click(*SECOND_TAB)
        material = editor.wait_screen_change(moved, "material-tab", *TOOL_BOX)
        editor.click(*BROWSE_BUTTON)
        choose_in_dialog(editor, TEXTURE[0], material)
        chosen = editor.wait_screen_change(material, "texture-chosen", *TEXTURE_BOX)
        editor.click(*TEXTURE_SET)
        # Without a light the lit cube stays black: turn its lighting off.
        editor.click(*FLAGS_TAB)
        flags = editor.wait_screen_change(chosen, "flags-tab", *TOOL_BOX)
        editor.click(*LIGHTING_BOX)
        unchecked = editor.wait_screen_change(flags, "lighting-unchecked", *TOOL_BOX)
        editor.click(*FLAGS_SET)
        textured = editor.wait_screen_change(unchecked, "textured", *VIEW)
        before, after = red_fraction(moved, VIEW), red_fraction(textured, VIEW)
        if not (after > 0.005 and after > 10 * before):
            raise E2EFailure("the texture's red does not show on the cube (red share %.4f -> %.4f)"
                             % (before, after))

        # The position rows as the object tab shows them now.
        editor.click(*OBJECT_TAB)
        rows = editor.wait_screen_change(textured, "rows-before-save", *TOOL_BOX)

        saved = save_through_window(editor, "journey.irr")
        for name in (saved, os.path.join(editor.work, TEXTURE)):
            shutil.copy(name, keep)
        shutil.copy(textured, os.path.join(keep, "textured.png"))
        shutil.copy(rows, os.path.join(keep, "rows.png"))

        # Quit: the scene is saved, so the editor closes without asking.
        editor.click(*FILE_MENU)
        editor.click(*QUIT_ITEM)
        code = editor.wait_exit(60)
        if code != 0:
            raise E2EFailure("File > Quit ended the editor with %s" % code)


def check_file(path):
    text = decode_scene(open(path, "rb").read())
    cubes = node_attributes(text, "cube")
    if len(cubes) != 1:
        raise E2EFailure("the saved scene holds %d cubes" % len(cubes))
    cube = cubes[0]
    if cube.get("Name") != "Cube":
        raise E2EFailure("the saved cube is named %r" % cube.get("Name"))
    if numbers(cube.get("Position", "")) != [float(NEW_X), 0.0, 0.0]:
        raise E2EFailure("the cube's position is saved as %r" % cube.get("Position"))
    materials = node_materials(text, "cube")[0]
    if not materials:
        raise E2EFailure("the saved cube has no material")
    texture = materials[0].get("Texture1", "")
    if os.path.basename(texture) != TEXTURE:
        raise E2EFailure("the cube's Texture1 is saved as %r" % texture)
    if materials[0].get("Lighting") != "false":
        raise E2EFailure("the cube's lighting is saved as %r" % materials[0].get("Lighting"))


def second_session(runtime, keep):
    reopened = Editor(runtime, "journey-cube-reopen", args=["journey.irr"])
    for name in ("journey.irr", TEXTURE):
        shutil.copy(os.path.join(keep, name), reopened.work)
    with reopened as editor:
        start = editor.wait_first_frame()
        textured = os.path.join(keep, "textured.png")
        # The same view as before the save: the red cube at its new place.
        if red_fraction(start, VIEW) < 0.5 * red_fraction(textured, VIEW):
            raise E2EFailure("the reopened cube does not show its texture")
        drift = mean_difference(editor.work, start, textured, VIEW)
        if drift > 0.02:
            raise E2EFailure("the reopened view differs from the saved one (mean difference %.4f)" % drift)

        editor.click(*SCENE_BOX_BUTTON)
        editor.wait_output("createSceneBox()")
        tree = editor.wait_screen_change(start, "reopened-tree", *TREE)
        pick(editor, TREE_ROWS[1], "Cube")
        editor.click(*TOOL_BOX_BUTTON)
        editor.wait_output("createToolBox()")
        shown = editor.wait_screen_change(tree, "reopened-toolbox", *TOOL_BOX)
        # The position rows read as they did before the save.
        if editor.regions_differ(os.path.join(keep, "rows.png"), shown, *POSITION_ROWS) != 0:
            raise E2EFailure("the reopened tool box shows another position than the one set")
        # The texture row names the image.
        editor.click(*SECOND_TAB)
        material = editor.wait_screen_change(shown, "reopened-material", *TOOL_BOX)
        if editor.region_stddev(material, *TEXTURE_BOX) < 0.05:
            raise E2EFailure("the reopened texture row is empty")
        out = editor.stdout()
        for line in ("createSceneBox()", "updateTreeview()", "Selection => Cube", "createToolBox()"):
            if line not in out:
                raise E2EFailure("the reopened editor did not print " + line)


def test(runtime):
    keep = tempfile.mkdtemp(prefix="sorn-e2e-journey-cube-")
    try:
        first_session(runtime, keep)
        check_file(os.path.join(keep, "journey.irr"))
        second_session(runtime, keep)
    finally:
        shutil.rmtree(keep, ignore_errors=True)


if __name__ == "__main__":
    e2e_lib.main(test)
