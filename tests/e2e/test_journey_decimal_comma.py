"""A whole scene built in a decimal-comma locale (de_DE.UTF-8): a light with a
changed colour and radius (the change undone with Ctrl+Z and brought back with
Scene > Redo), a particle system with a ring emitter, a sky box given an image
set, a text node with typed text and a volume light with changed colours and
subdivisions; saved through the save window, quit, reopened from the command
line in the same locale. Every value is in the file as set, with points as
decimal separators, and the reopened tool box shows the rows as before."""
import os
import re
import shutil
import tempfile

import e2e_lib
from e2e_lib import (QUIT_ITEM, FILE_MENU, LIGHT_ITEM, PARTICLE_ITEM, SCENE_BOX_BUTTON, SCENE_MENU, SECOND_TAB,
                     SKY_BOX_ITEM, TEXT_ITEM, TOOL_BOX, TOOL_BOX_BUTTON, TREE, VOLUME_LIGHT_ITEM,
                     E2EFailure, Editor, REDO_ITEM, TREE_ROW_X, add_node, choose_in_dialog, chord, decode_scene,
                     make_image_set, node_attributes, numbers, on_page, pick, replace_text,
                     row_box, save_through_window, tree_row, wait_for)

LOCALE = {"LANG": "de_DE.UTF-8", "LC_ALL": "de_DE.UTF-8"}
OBJECT_TAB = (829, 88)
OBJECT_ROWS = (803, 130, 190, 330)
SCENE_FILE = "komma.irr"
# Light tab: rows 0 (diffuse) and 3 (radius), "action_update"; the rows' area.
LIGHT_UPDATE = on_page(140, 300)
LIGHT_ROWS = (803, 140, 190, 265)
# Particle tab: its header, the emitter combo, "action_update"; the rows' area.
PARTICLE_TAB = (880, 85)
EMITTER_COMBO = (900, 195)
EMITTER_UPDATE = on_page(135, 20)
EMITTER_ROWS = (808, 180, 185, 450)
# Sky box rows: "action_load".
SKY_LOAD = on_page(58, 218)
# A band of sky clear of the camera read-out.
SKY_BAND = (260, 66, 480, 120)
# Text tab: its header, the text box, "action_update".
TEXT_TAB = (872, 80)
TEXT_BOX = on_page(115, 46)
TEXT_UPDATE = on_page(140, 106)
# Object tab: the position X box and the group's "action_set".
POSITION_X_BOX = on_page(102, 46)
POSITION_SET = on_page(137, 134)
# Volume-light tab: tail, foot, U, V and the lower "action_update"; the rows' area.
TAIL_BOX = on_page(115, 46)
FOOT_BOX = on_page(115, 74)
SUBDIV_U_BOX = on_page(115, 166)
SUBDIV_V_BOX = on_page(115, 193)
VOLUME_UPDATE = on_page(140, 225)
VOLUME_ROWS = (803, 135, 190, 175)

DIFFUSE = "255,200,100,50"
RADIUS = "123.5"
RING_RADIUS = "12.5"
RING_THICKNESS = "2.25"
MIN_LIFE = "1500"
TYPED = "Hallo Welt, 1,5"
TAIL = "128,255,10,20"
FOOT = "200,10,20,30"
SUBDIV_U = "12"
SUBDIV_V = "24"
VOLUME_X = "7.25"

# Tree rows of the nodes, in the order they are added at the root.
NODES = ("Light", "Particle System", "SkyBox", "Text", "Volume Light")


def add_at_root(editor, item, label):
    """Picks the tree's scene label first, so the new node hangs at the root."""
    editor.click(TREE_ROW_X, tree_row(0))
    add_node(editor, item, label)


def select(editor, name):
    pick(editor, tree_row(1 + NODES.index(name)), name)


def show_tab(editor, tab, label):
    before = editor.screenshot("before-" + label)
    editor.click(*tab)
    return editor.wait_screen_change(before, label, *TOOL_BOX)


def refreshed(editor, count):
    wait_for(lambda: editor.stdout().count("updateTreeview()") > count, 20, what="the refresh after undo or redo")


def light_journey(editor):
    add_at_root(editor, LIGHT_ITEM, "light")
    select(editor, "Light")
    editor.click(*TOOL_BOX_BUTTON)
    editor.wait_output("createToolBox()")
    light_tab = show_tab(editor, SECOND_TAB, "light-tab")
    replace_text(editor, row_box(0), DIFFUSE)
    replace_text(editor, row_box(3), RADIUS)
    editor.click(*LIGHT_UPDATE)
    typed = editor.screenshot("light-set")

    # Ctrl+Z takes the change back: the rebuilt tool box stays on the light
    # tab and shows the light as added.
    count = editor.stdout().count("updateTreeview()")
    chord(editor, "ctrl+z")
    refreshed(editor, count)
    undone = editor.wait_screen_change(typed, "light-undone", *LIGHT_ROWS)
    if editor.regions_differ(light_tab, undone, *LIGHT_ROWS) != 0:
        raise E2EFailure("after Ctrl+Z the light tab does not show the light as it was added")
    # Scene > Redo brings it back.
    count = editor.stdout().count("updateTreeview()")
    editor.click(*SCENE_MENU)
    editor.click(*REDO_ITEM)
    refreshed(editor, count)
    redone = editor.wait_screen_change(undone, "light-redone", *LIGHT_ROWS)
    if editor.regions_differ(undone, redone, *LIGHT_ROWS) == 0:
        raise E2EFailure("Scene > Redo did not bring the light's change back")
    if editor.regions_differ(typed, redone, *LIGHT_ROWS) == 0:
        raise E2EFailure("the redone light tab shows the typed text, not the light's values")


def particle_journey(editor):
    add_at_root(editor, PARTICLE_ITEM, "particle system")
    select(editor, "Particle System")
    particle_tab = show_tab(editor, PARTICLE_TAB, "particle-tab")
    # Open and close the list, then step to the last type and one back: RING.
    editor.click(*EMITTER_COMBO)
    editor.click(*EMITTER_COMBO)
    editor.key("End", "Up")
    editor.wait_screen_change(particle_tab, "ring-rows", *EMITTER_ROWS)
    replace_text(editor, row_box(4, nested=True), MIN_LIFE)
    replace_text(editor, row_box(12, nested=True), RING_RADIUS)
    replace_text(editor, row_box(13, nested=True), RING_THICKNESS)
    editor.click(*EMITTER_UPDATE)


def sky_journey(editor):
    add_at_root(editor, SKY_BOX_ITEM, "sky box")
    select(editor, "SkyBox")
    before = editor.screenshot("sky-picked")
    editor.click(*SKY_LOAD)
    # The marker is the folder's one entry starting with "z": zenith.skybox.
    choose_in_dialog(editor, "z", before)
    # Particles fly through the band: any change would be seen before the
    # chosen set is applied on a slow machine; the new faces change most of it.
    return editor.wait_region_replaced(before, "sky-set", *SKY_BAND)


def text_journey(editor):
    add_at_root(editor, TEXT_ITEM, "text")
    select(editor, "Text")
    show_tab(editor, TEXT_TAB, "text-tab")
    replace_text(editor, TEXT_BOX, TYPED)
    editor.click(*TEXT_UPDATE)


def volume_journey(editor):
    add_at_root(editor, VOLUME_LIGHT_ITEM, "volume light")
    select(editor, "Volume Light")
    # A position with a decimal point, typed after the file dialog was used.
    replace_text(editor, POSITION_X_BOX, VOLUME_X)
    editor.click(*POSITION_SET)
    show_tab(editor, SECOND_TAB, "volume-tab")
    replace_text(editor, TAIL_BOX, TAIL)
    replace_text(editor, FOOT_BOX, FOOT)
    replace_text(editor, SUBDIV_U_BOX, SUBDIV_U)
    replace_text(editor, SUBDIV_V_BOX, SUBDIV_V)
    editor.click(*VOLUME_UPDATE)


# The rows each node's tab shows when the node is picked: (node, tab, area).
# A node picked right after another node shows its object tab.
SHOWN_ROWS = (("Light", SECOND_TAB, LIGHT_ROWS), ("Particle System", PARTICLE_TAB, EMITTER_ROWS),
              ("Volume Light", OBJECT_TAB, OBJECT_ROWS), ("Volume Light", SECOND_TAB, VOLUME_ROWS))


def shown_rows(editor, keep, session):
    """Picks each node (after another one) and keeps a screenshot of its tab."""
    shots = {}
    picked = None
    for name, tab, _ in SHOWN_ROWS:
        label = "%s-%s-%d" % (session, name.replace(" ", "-"), tab[0])
        before = editor.screenshot(label + "-before")
        if name != picked:
            select(editor, name)
            picked = name
        if tab == OBJECT_TAB:
            shot = editor.wait_screen_change(before, label, *TOOL_BOX)
        else:
            shot = show_tab(editor, tab, label)
        shots[name, tab] = os.path.join(keep, label + ".png")
        shutil.copy(shot, shots[name, tab])
    return shots


def first_session(runtime, keep):
    with Editor(runtime, "journey-comma", env=LOCALE) as editor:
        make_image_set(editor.work)
        shutil.copy(editor.wait_first_frame(), os.path.join(keep, "plain.png"))
        editor.click(*SCENE_BOX_BUTTON)
        editor.wait_output("createSceneBox()")
        light_journey(editor)
        particle_journey(editor)
        sky = sky_journey(editor)
        shutil.copy(sky, os.path.join(keep, "sky.png"))
        text_journey(editor)
        volume_journey(editor)
        shots = shown_rows(editor, keep, "set")

        saved = save_through_window(editor, SCENE_FILE)
        for name in os.listdir(editor.work):
            if name.startswith("zenith") or name == SCENE_FILE:
                shutil.copy(os.path.join(editor.work, name), keep)
        editor.click(*FILE_MENU)
        editor.click(*QUIT_ITEM)
        code = editor.wait_exit(60)
        if code != 0:
            raise E2EFailure("File > Quit ended the editor with %s" % code)
        return shots


NUMERIC_ELEMENT = re.compile(r'<(float|int|vector2d|vector3d|colorf|color|dimension2d|position|rect|matrix|quaternion)'
                             r' name="([^"]+)" value="([^"]*)"')


def close(values, expected, what):
    if len(values) != len(expected) or any(abs(a - b) > 1e-4 for a, b in zip(values, expected)):
        raise E2EFailure("%s is saved as %s, not %s" % (what, values, expected))


def the_one(text, type_name):
    nodes = node_attributes(text, type_name)
    if len(nodes) != 1:
        raise E2EFailure("the saved scene holds %d nodes of type %s" % (len(nodes), type_name))
    return nodes[0]


def check_file(path):
    text = decode_scene(open(path, "rb").read())
    for kind, name, value in NUMERIC_ELEMENT.findall(text):
        if re.search(r"\d,\d", value):
            raise E2EFailure("%s %s is saved with a decimal comma: %s" % (kind, name, value))

    light = the_one(text, "light")
    a, r, g, b = (int(v) for v in DIFFUSE.split(","))
    close(numbers(light.get("DiffuseColor", "")), [r / 255, g / 255, b / 255, a / 255], "the light's DiffuseColor")
    close(numbers(light.get("Radius", "")), [float(RADIUS)], "the light's Radius")

    particles = the_one(text, "particleSystem")
    if particles.get("Emitter") != "Ring":
        raise E2EFailure("the emitter is saved as %r, not a ring" % particles.get("Emitter"))
    close(numbers(particles.get("Radius", "")), [float(RING_RADIUS)], "the ring's Radius")
    close(numbers(particles.get("RingThickness", "")), [float(RING_THICKNESS)], "the ring's RingThickness")
    close(numbers(particles.get("MinLifeTime", "")), [float(MIN_LIFE)], "the emitter's MinLifeTime")

    the_one(text, "skyBox")
    for suffix in e2e_lib.SKY_FACES:
        if "zenith_%s." % suffix not in text:
            raise E2EFailure("the saved sky box lacks the face " + suffix)
    if 'value="%s"' % TYPED not in text:
        raise E2EFailure("the saved scene lacks the typed text")

    # The engine names these attributes in lower camel case.
    volume = {key.lower(): value for key, value in the_one(text, "volumeLight").items()}
    for name, typed in (("tailcolor", TAIL), ("footcolor", FOOT)):
        a, r, g, b = (int(v) for v in typed.split(","))
        if volume.get(name, "").lower() != "%02x%02x%02x%02x" % (a, r, g, b):
            raise E2EFailure("the volume light's %s is saved as %r (%s)" % (name, volume.get(name), volume))
    close(numbers(volume.get("position", "")), [float(VOLUME_X), 0.0, 0.0], "the volume light's Position")
    for name, typed in (("subdivideu", SUBDIV_U), ("subdividev", SUBDIV_V)):
        if volume.get(name) != typed:
            raise E2EFailure("the volume light's %s is saved as %r (%s)" % (name, volume.get(name), volume))


def second_session(runtime, keep, shots):
    reopened = Editor(runtime, "journey-comma-reopen", args=[SCENE_FILE], env=LOCALE)
    for name in os.listdir(keep):
        if name.startswith("zenith") or name == SCENE_FILE:
            shutil.copy(os.path.join(keep, name), reopened.work)
    with reopened as editor:
        start = editor.wait_first_frame()
        # Particles fly through the band: far fewer pixels differ from the new
        # faces than from the old ones.
        to_set = editor.regions_differ(start, os.path.join(keep, "sky.png"), *SKY_BAND, fuzz="8%")
        to_plain = editor.regions_differ(start, os.path.join(keep, "plain.png"), *SKY_BAND, fuzz="8%")
        if not to_set < 0.4 * to_plain:
            raise E2EFailure("the reopened scene does not show the image set on its sky box")
        editor.click(*SCENE_BOX_BUTTON)
        editor.wait_output("createSceneBox()")
        editor.wait_screen_change(start, "reopened-tree", *TREE)
        editor.click(*TOOL_BOX_BUTTON)
        editor.wait_output("createToolBox()")
        again = shown_rows(editor, keep, "reopened")
        for name, tab, area in SHOWN_ROWS:
            if editor.regions_differ(shots[name, tab], again[name, tab], *area) != 0:
                raise E2EFailure("the reopened %s shows other values than the ones set" % name)


def comma_locale_installed():
    import locale
    try:
        locale.setlocale(locale.LC_NUMERIC, LOCALE["LC_ALL"])
        return locale.localeconv()["decimal_point"] == ","
    except locale.Error:
        return False
    finally:
        locale.setlocale(locale.LC_NUMERIC, "C")


def test(runtime):
    if not comma_locale_installed():
        raise E2EFailure(LOCALE["LC_ALL"] + " is not installed: run scripts/install-deps.sh")
    keep = tempfile.mkdtemp(prefix="sorn-e2e-journey-comma-")
    try:
        shots = first_session(runtime, keep)
        check_file(os.path.join(keep, SCENE_FILE))
        second_session(runtime, keep, shots)
    finally:
        shutil.rmtree(keep, ignore_errors=True)


if __name__ == "__main__":
    e2e_lib.main(test)
