"""Add a sky box and give it an image set (a ".skybox" marker beside six faces
made from the engine's sample images, one face only as ".bmp") through the
"action_load" button and the file dialog; add a text node, type a text and
apply it; save; reopen the file from the command line: the view shows the new
faces, and the saved file and the reopened scene hold the text."""
import gzip
import os
import shutil
import subprocess
import tempfile
import time

import e2e_lib
from e2e_lib import (ADD_ITEM, FILE_MENU, PATH_BOX, SAVE_BUTTON, SAVE_ITEM, SAVE_WINDOW, SCENE_BOX_BUTTON,
                     SCENE_MENU, TOOL_BOX_BUTTON, TREE, TREE_ROWS, TREE_ROW_X, E2EFailure, Editor,
                     add_node, decode_scene)

SAMPLES = "/usr/share/doc/libirrlicht-dev/media"
# Scene > Add entries (menu item rows 14 pixels apart, cube at y = 85).
SKY_BOX_ITEM = (210, 85 + 14 * 6)
TEXT_ITEM = (210, 85 + 14 * 9)
# Tool box (window at x = 800, y = 50).
LOAD_BUTTON = (861, 322)
TEXT_TAB = (872, 80)
TEXT_BOX = (918, 150)
TEXT_APPLY = (943, 182)
# The file dialog (350 x 250, centred).
DIALOG = (325, 250, 350, 250)
DIALOG_LIST_TOP = (400, 312)
DIALOG_OK = (630, 290)
# Save window.
# A band of sky in the view, clear of the scene box and the tool box.
SKY_BAND = (260, 60, 480, 120)

TYPED = "Hello sky 1,5"
FACES = {"up": "irrlicht2_up.jpg", "dn": "irrlicht2_dn.jpg", "lf": "irrlicht2_lf.jpg",
         "rt": "irrlicht2_rt.jpg", "ft": "irrlicht2_ft.jpg", "bk": "irrlicht2_bk.jpg"}


def sample(name, target):
    """Copies a sample image, unpacking it when the package keeps it gzipped."""
    source = os.path.join(SAMPLES, name)
    if os.path.exists(source):
        shutil.copy(source, target)
    else:
        with gzip.open(source + ".gz", "rb") as packed, open(target, "wb") as out:
            shutil.copyfileobj(packed, out)


def make_image_set(folder):
    for suffix, name in FACES.items():
        if suffix == "rt":  # this face exists only as ".bmp"
            jpg = os.path.join(folder, "rt-source.jpg")
            sample(name, jpg)
            subprocess.run(["convert", jpg, os.path.join(folder, "zenith_rt.bmp")], check=True)
            os.remove(jpg)
        else:
            sample(name, os.path.join(folder, "zenith_%s.jpg" % suffix))
    open(os.path.join(folder, "zenith.skybox"), "w").close()


def highlighted_row(editor, shot):
    """Middle of the highlighted entry of the dialog's file list, or None."""
    x, top = DIALOG_LIST_TOP[0], DIALOG_LIST_TOP[1] - 6
    out = subprocess.run(["convert", shot, "-crop", "1x170+%d+%d" % (x, top), "+repage", "txt:-"],
                         capture_output=True, text=True, check=True).stdout
    rows = [top + int(line.split(",")[1].split(":")[0]) for line in out.splitlines()[1:]
            if "(203,223,254)" in line.replace(" ", "")]
    return (rows[0] + rows[-1]) // 2 if rows else None


def difference(editor, path_a, path_b, region):
    """Mean absolute difference (0..1) between two screenshots in a region."""
    x, y, w, h = region
    crops = []
    for i, path in enumerate((path_a, path_b)):
        out = os.path.join(editor.work, "diff%d.png" % i)
        subprocess.run(["convert", path, "-crop", "%dx%d+%d+%d" % (w, h, x, y), "+repage", out], check=True)
        crops.append(out)
    result = subprocess.run(["compare", "-metric", "MAE"] + crops + ["null:"], capture_output=True, text=True)
    return float(result.stderr.split("(")[1].split(")")[0])


def save_scene(editor, name):
    before = editor.screenshot("before-save-" + name)
    editor.click(*FILE_MENU)
    editor.click(*SAVE_ITEM)
    editor.wait_screen_change(before, "save-window-" + name, *SAVE_WINDOW)
    done = editor.stdout().count("File successfully renamed")
    editor.click(*PATH_BOX)
    editor.key("End")
    editor.type(name)
    editor.click(*SAVE_BUTTON)
    saved = os.path.join(editor.work, name)
    e2e_lib.wait_for(lambda: os.path.exists(saved) and editor.stdout().count("File successfully renamed") > done,
                     20, what="the saved file " + name)
    return saved


def test(runtime):
    keep = tempfile.mkdtemp(prefix="sorn-e2e-sky-")
    try:
        with Editor(runtime, "sky-text") as editor:
            make_image_set(editor.work)
            plain = editor.wait_first_frame()
            editor.click(*SCENE_BOX_BUTTON)
            editor.wait_output("createSceneBox()")
            add_node(editor, SKY_BOX_ITEM, "sky box")
            add_node(editor, TEXT_ITEM, "text")
            editor.click(*TOOL_BOX_BUTTON)
            editor.wait_output("createToolBox()")

            # The sky box: "action_load", then the marker in the file dialog.
            editor.click(TREE_ROW_X, TREE_ROWS[1])
            editor.wait_output("Selection => SkyBox")
            before = editor.screenshot("sky-selected")
            editor.click(*LOAD_BUTTON)
            editor.wait_screen_change(before, "dialog", *DIALOG)
            editor.click(*DIALOG_LIST_TOP)
            editor.type("z")  # the list jumps to the first entry starting with "z": zenith.skybox
            # A click on the highlighted entry chooses it; OK then reports it.
            row = e2e_lib.wait_for(lambda: highlighted_row(editor, editor.screenshot("dialog-z")), 10,
                                   what="the marker highlighted in the file list")
            time.sleep(0.6)  # a second click within the list's double-click time would already choose it
            editor.click(DIALOG_LIST_TOP[0], row)
            editor.click(*DIALOG_OK)
            applied = editor.wait_screen_change(before, "set-applied", *SKY_BAND)
            if difference(editor, plain, applied, SKY_BAND) < 0.03:
                raise E2EFailure("the sky did not change after applying the image set")

            # The text node: type a text in the text tab and apply it.
            editor.click(TREE_ROW_X, TREE_ROWS[2])
            editor.wait_output("Selection => Text")
            editor.click(*TEXT_TAB)
            editor.click(*TEXT_BOX)
            editor.key("ctrl+a", "BackSpace")
            editor.type(TYPED)
            editor.click(*TEXT_APPLY)

            saved = save_scene(editor, "level.irr")
            text = decode_scene(open(saved, "rb").read())
            if 'value="%s"' % TYPED not in text:
                raise E2EFailure("the saved scene lacks the typed text")
            for suffix in FACES:
                if "zenith_%s." % suffix not in text:
                    raise E2EFailure("the saved scene lacks the face " + suffix)
            for name in os.listdir(editor.work):
                if name.startswith("zenith") or name == "level.irr":
                    shutil.copy(os.path.join(editor.work, name), keep)

        reopened = Editor(runtime, "sky-text-reopen", args=["level.irr"])
        for name in os.listdir(keep):
            shutil.copy(os.path.join(keep, name), reopened.work)
        with reopened as editor:
            start = editor.wait_first_frame()
            if difference(editor, start, applied, SKY_BAND) > difference(editor, start, plain, SKY_BAND):
                raise E2EFailure("the reopened scene does not show the new sky faces")
            editor.click(*SCENE_BOX_BUTTON)
            editor.wait_output("createSceneBox()")
            editor.wait_screen_change(start, "reopened-tree", *TREE)
            editor.click(TREE_ROW_X, TREE_ROWS[2])
            editor.wait_output("Selection => Text")
            # What the reopened scene holds goes into the next save.
            again = decode_scene(open(save_scene(editor, "again.irr"), "rb").read())
            if 'value="%s"' % TYPED not in again:
                raise E2EFailure("the reopened scene lost the typed text")
    finally:
        shutil.rmtree(keep, ignore_errors=True)


if __name__ == "__main__":
    e2e_lib.main(test)
