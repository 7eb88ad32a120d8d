"""Everything a node holds, edited in a scene written the way exporters write
it (a camera, an empty node with a custom property, a light): the camera is
picked in the scene box and its field of view changed on the attributes tab;
the empty node gets a rotation animator on the animators tab and a custom
property "spawnPoint" = 3 on the custom tab; Ctrl+S saves the opened file,
which then holds all three changes and everything it held before."""
import os
import re

import e2e_lib
from e2e_lib import (SCENE_BOX_BUTTON, TOOL_BOX, TOOL_BOX_BUTTON, E2EFailure, Editor, chord, decode_scene,
                     node_attributes, numbers, pick, replace_text, tree_row, wait_for)

LEVEL = """<?xml version="1.0" encoding="UTF-8"?>
<irr_scene>
<node type="camera">
 <attributes>
  <string name="Name" value="Main camera" />
  <vector3d name="Position" value="0, 20, -60" />
  <vector3d name="Scale" value="1, 1, 1" />
  <bool name="Visible" value="true" />
  <vector3d name="Target" value="0, 0, 0" />
  <vector3d name="UpVector" value="0, 1, 0" />
  <float name="Fovy" value="1.256637" />
  <float name="Aspect" value="1.333333" />
  <float name="ZNear" value="1" />
  <float name="ZFar" value="3000" />
 </attributes>
</node>
<node type="empty">
 <attributes>
  <string name="Name" value="Spawn" />
  <vector3d name="Position" value="10, 0, 5" />
  <vector3d name="Scale" value="1, 1, 1" />
  <bool name="Visible" value="true" />
 </attributes>
 <userData><attributes><string name="team" value="blue" /></attributes></userData>
</node>
<node type="light">
 <attributes>
  <string name="Name" value="Lamp" />
  <vector3d name="Position" value="0, 80, 0" />
  <vector3d name="Scale" value="1, 1, 1" />
  <bool name="Visible" value="true" />
 </attributes>
</node>
</irr_scene>
"""
# The tool box's tab headers: the second one, and the arrow that scrolls the
# headers on; scrolled twice, the animators and custom tabs are the first two.
ATTRIBUTES_HEADER = (893, 88)
HEADERS_ON = (981, 88)
ANIMATORS_HEADER = (839, 88)
CUSTOM_HEADER = (903, 88)
# The camera's field of view on the attributes tab (the engine writes a
# camera's attributes in a fixed order: "Fovy" is the thirteenth row).
FOVY_BOX = (935, 408)
# The animators tab's Add (its kind combo starts at "rotation").
ANIMATOR_ADD = (956, 216)
# The custom tab: Add, the name box, the type combo and its "int" entry, the value box.
PROPERTY_ADD = (850, 268)
PROPERTY_NAME = (923, 294)
PROPERTY_TYPE = (923, 320)
TYPE_INT = (868, 339)
PROPERTY_VALUE = (936, 376)


def rebuilds(editor):
    return editor.stdout().count("ToolBoxbyType()")


def after_rebuild(editor, action, what):
    """Runs the action and waits for the tool box to be built again for it."""
    before = rebuilds(editor)
    action()
    wait_for(lambda: rebuilds(editor) > before, 20, what="the tool box rebuilt after " + what)


def show_tab(editor, header, label):
    """Scrolls the tab headers on twice and clicks the header; waits for the page."""
    for _ in range(2):
        editor.click(*HEADERS_ON)
    before = editor.screenshot("before-" + label)
    editor.click(*header)
    editor.wait_screen_change(before, label, *TOOL_BOX)


def saved_scene(path):
    with open(path, "rb") as f:
        return decode_scene(f.read())


def node_block(text, type_name):
    found = re.search(r'<node type="%s">(.*?)</node>' % type_name, text, re.S)
    return found.group(1) if found else ""


def test(runtime):
    with Editor(runtime, "everything") as editor:
        level = os.path.join(editor.work, "level.irr")
        with open(level, "w") as f:
            f.write(LEVEL)
        editor.restart(["level.irr"])
        editor.wait_first_frame()
        editor.click(*SCENE_BOX_BUTTON)

        # The scene's own camera is in the tree: its field of view is edited.
        pick(editor, tree_row(1), "Main camera")
        editor.click(*TOOL_BOX_BUTTON)
        editor.wait_output("createToolBox()")
        before = editor.screenshot("object-tab")
        editor.click(*ATTRIBUTES_HEADER)
        editor.wait_screen_change(before, "attributes-tab", *TOOL_BOX)
        replace_text(editor, FOVY_BOX, "0.9")
        after_rebuild(editor, lambda: editor.key("Return"), "the field of view")

        # The empty node: a rotation animator, then the custom property.
        pick(editor, tree_row(2), "Spawn")
        show_tab(editor, ANIMATORS_HEADER, "animators-tab")
        after_rebuild(editor, lambda: editor.click(*ANIMATOR_ADD), "Add animator")
        show_tab(editor, CUSTOM_HEADER, "custom-tab")
        after_rebuild(editor, lambda: editor.click(*PROPERTY_ADD), "Add property")
        replace_text(editor, PROPERTY_NAME, "spawnPoint")
        after_rebuild(editor, lambda: editor.key("Return"), "the rename")
        opened = editor.screenshot("before-type")
        editor.click(*PROPERTY_TYPE)
        editor.wait_screen_change(opened, "type-list", *TOOL_BOX)
        after_rebuild(editor, lambda: editor.click(*TYPE_INT), "the type")
        replace_text(editor, PROPERTY_VALUE, "3")
        after_rebuild(editor, lambda: editor.key("Return"), "the value")

        # Ctrl+S writes the opened file: every change is in it.
        chord(editor, "ctrl+s")
        wait_for(lambda: 'name="spawnPoint"' in saved_scene(level), 20, what="the saved custom property")
        text = saved_scene(level)
        camera = node_attributes(text, "camera")
        if len(camera) != 1 or abs(float(camera[0].get("Fovy", "0")) - 0.9) > 1e-5:
            raise E2EFailure("the camera's field of view was not saved: %r" % camera)
        if numbers(camera[0]["Position"]) != [0.0, 20.0, -60.0]:
            raise E2EFailure("the camera moved: " + camera[0]["Position"])
        empty = node_block(text, "empty")
        if not re.search(r'<animators>\s*<attributes>\s*<string name="Type" value="rotation"', empty):
            raise E2EFailure("no rotation animator on the empty node:\n" + empty)
        if '<int name="spawnPoint" value="3"' not in empty:
            raise E2EFailure("no spawnPoint = 3 on the empty node:\n" + empty)
        if '<string name="team" value="blue"' not in empty:
            raise E2EFailure("the custom property the file had was lost:\n" + empty)
        if [a["Name"] for a in node_attributes(text, "light")] != ["Lamp"]:
            raise E2EFailure("the light was lost")


if __name__ == "__main__":
    e2e_lib.main(test)
