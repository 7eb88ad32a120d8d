"""Add a particle system, pick it, choose a ring emitter in the tool box's
particle tab, type its particles per second and update; the saved scene holds
a ring emitter with that rate. A rate of 4000000000 is held to the largest
rate allowed and the editor keeps drawing frames."""
import os
import re
import shutil
import tempfile

import e2e_lib
from e2e_lib import (FILE_MENU, PARTICLE_ITEM, PATH_BOX, SAVE_AS_ITEM, SAVE_BUTTON, SAVE_WINDOW, SCENE_BOX_BUTTON,
                     TOOL_BOX_BUTTON, TREE_ROWS, TREE_ROW_X, VIEW, E2EFailure, Editor, add_node,
                     decode_scene, wait_for)

PARTICLE_TAB = (880, 85)
EMITTER_COMBO = (900, 195)
UPDATE_BUTTON = (940, 124)
MIN_RATE_BOX = (940, 418)
MAX_RATE_BOX = (940, 446)
EMITTER_TAB = (805, 110, 190, 600)
LARGEST_RATE = 20000


def replace_text(editor, box, text):
    editor.click(*box)
    editor.key("ctrl+a", "BackSpace")
    editor.type(text)


def save_as(editor, name, keep):
    saves = editor.stdout().count("File successfully renamed")
    before = editor.screenshot("before-" + name)
    editor.click(*FILE_MENU)
    editor.click(*SAVE_AS_ITEM)
    editor.wait_screen_change(before, "save-window-" + name, *SAVE_WINDOW)
    editor.click(*PATH_BOX)
    editor.key("End")
    editor.type(name)
    editor.click(*SAVE_BUTTON)
    wait_for(lambda: editor.stdout().count("File successfully renamed") > saves, 30, what="the save of " + name)
    saved = os.path.join(editor.work, name)
    wait_for(lambda: os.path.exists(saved), 10, what=name)
    shutil.copy(saved, keep)
    return decode_scene(open(os.path.join(keep, name), "rb").read())


def emitter_of(text):
    """The attributes of the one particle system in a saved scene."""
    match = re.search(r'<node type="particleSystem">(.*?)</attributes>', text, re.S)
    if not match:
        raise E2EFailure("the saved scene holds no particle system")
    block = match.group(1)
    values = dict(re.findall(r'name="([^"]+)" value="([^"]*)"', block))
    return values


def test(runtime):
    keep = tempfile.mkdtemp(prefix="sorn-e2e-particles-")
    try:
        with Editor(runtime, "particles") as editor:
            start = editor.wait_first_frame()
            editor.click(*SCENE_BOX_BUTTON)
            add_node(editor, PARTICLE_ITEM, "particle system")
            editor.click(TREE_ROW_X, TREE_ROWS[1])
            editor.wait_output("Selection => Particle System")
            editor.click(*TOOL_BOX_BUTTON)
            editor.wait_output("createToolBox()")
            toolbox = editor.wait_screen_change(start, "toolbox", *EMITTER_TAB)

            editor.click(*PARTICLE_TAB)
            particle_tab = editor.wait_screen_change(toolbox, "particle-tab", *EMITTER_TAB)
            # Open and close the list, then step to the last type and one back: RING.
            editor.click(*EMITTER_COMBO)
            editor.click(*EMITTER_COMBO)
            editor.key("End", "Up")
            editor.wait_screen_change(particle_tab, "ring-rows", *EMITTER_TAB)

            replace_text(editor, MIN_RATE_BOX, "1234")
            replace_text(editor, MAX_RATE_BOX, "1234")
            editor.click(*UPDATE_BUTTON)
            values = emitter_of(save_as(editor, "ring.irr", keep))
            if values.get("Emitter") != "Ring":
                raise E2EFailure("the saved emitter is %r, not a ring" % values.get("Emitter"))
            for name in ("MinParticlesPerSecond", "MaxParticlesPerSecond"):
                if values.get(name) != "1234":
                    raise E2EFailure("%s saved as %r" % (name, values.get(name)))

            # A rate in the billions is held to the largest rate allowed, and
            # frames keep coming (the particles move in the view).
            replace_text(editor, MIN_RATE_BOX, "4000000000")
            replace_text(editor, MAX_RATE_BOX, "4000000000")
            editor.click(*UPDATE_BUTTON)
            shown = editor.screenshot("huge-rate")
            for i in range(3):
                shown = editor.wait_screen_change(shown, "drawing-%d" % i, *VIEW)
            if editor.proc.poll() is not None:
                raise E2EFailure("the editor stopped")
            values = emitter_of(save_as(editor, "ring-huge.irr", keep))
            for name in ("MinParticlesPerSecond", "MaxParticlesPerSecond"):
                if values.get(name) != str(LARGEST_RATE):
                    raise E2EFailure("%s saved as %r after typing 4000000000" % (name, values.get(name)))
            after_save = editor.screenshot("after-save")
            editor.wait_screen_change(after_save, "still-drawing", *VIEW)
    finally:
        shutil.rmtree(keep, ignore_errors=True)


if __name__ == "__main__":
    e2e_lib.main(test)
