"""Copy and paste through the system clipboard: a cube picked in the scene
box, Ctrl+C, Ctrl+V pastes its copy under it (the copy is then the selection),
and the saved file holds two cubes. Another program (xclip) reads what the
editor copied as UTF-8 scene text, and bare <node> text that it puts on the
clipboard, with a name beyond ASCII, pastes as a node; plain text pastes
nothing. A group of 3,000 cubes (megabytes of text, handed over in pieces
between the programs) pastes from xclip and copies back to it whole."""
import ctypes
import os
import re
import shutil
import subprocess

import e2e_lib
from e2e_lib import (CUBE_ITEM, SCENE_BOX_BUTTON, TREE_ROWS, TREE_ROW_X, E2EFailure, Editor, add_node, chord,
                     decode_scene, pick, save_through_window)

TEXT_NODE = ('<node type="empty"><attributes><string name="Name" value="Caf\u00e9" />'
             '<vector3d name="Position" value="7, 8, 9" /><vector3d name="Scale" value="1, 1, 1" />'
             '<bool name="Visible" value="true" /></attributes></node>\n')


def group_of_cubes(count):
    cube = ('<node type="cube"><attributes><string name="Name" value="Cube%d" /><vector3d name="Position" '
            'value="%d, 0, 0" /><vector3d name="Scale" value="1, 1, 1" /><bool name="Visible" value="true" />'
            '</attributes></node>\n')
    return ('<?xml version="1.0"?>\n<irr_scene>\n<node type="empty"><attributes><string name="Name" '
            'value="Group" /><vector3d name="Scale" value="1, 1, 1" /><bool name="Visible" value="true" />'
            '</attributes>\n' + "".join(cube % (i, i) for i in range(count)) + '</node>\n</irr_scene>\n')


def clipboard_owned_by(editor, text):
    """Puts text on the editor's display's clipboard with xclip, which keeps
    serving it from the background until another program takes it."""
    owner = subprocess.Popen(["xclip", "-selection", "clipboard", "-i"], env=editor.env,
                             stdin=subprocess.PIPE, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    owner.communicate(text.encode("utf-8"))


def clipboard_text(editor):
    return subprocess.run(["xclip", "-selection", "clipboard", "-o"], env=editor.env, capture_output=True,
                          timeout=20).stdout.decode("utf-8", "replace")


def ask_for_clipboard_from_vanished_window(editor):
    """Asks the clipboard's owner for its text on behalf of a window that
    does not exist, as a program that quits right after asking does: the
    owner's answer then fails on the X server."""
    x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XConvertSelection.argtypes = [ctypes.c_void_p] + [ctypes.c_ulong] * 5
    x11.XDefaultRootWindow.restype = ctypes.c_ulong
    x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    x11.XCreateSimpleWindow.restype = ctypes.c_ulong
    x11.XCreateSimpleWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + [ctypes.c_int] * 2 + \
        [ctypes.c_uint] * 3 + [ctypes.c_ulong] * 2
    x11.XDestroyWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    display = x11.XOpenDisplay(editor.env["DISPLAY"].encode())
    if not display:
        raise E2EFailure("cannot open the editor's display")
    atom = lambda name: x11.XInternAtom(display, name, 0)
    gone = x11.XCreateSimpleWindow(display, x11.XDefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0)
    x11.XConvertSelection(display, atom(b"CLIPBOARD"), atom(b"UTF8_STRING"), atom(b"GONE"), gone, 0)
    x11.XDestroyWindow(display, gone)
    x11.XSync(display, 0)
    x11.XCloseDisplay(display)


def pastes(editor, name):
    count = editor.stdout().count("Selection => " + name)
    chord(editor, "ctrl+v")
    e2e_lib.wait_for(lambda: editor.stdout().count("Selection => " + name) > count, 30,
                     what="the pasted node " + name + " selected")


def test(runtime):
    if not shutil.which("xclip"):
        raise E2EFailure("xclip is not installed (scripts/install-deps.sh installs it)")
    with Editor(runtime, "clipboard") as editor:
        editor.wait_first_frame()
        editor.click(*SCENE_BOX_BUTTON)
        editor.wait_output("createSceneBox()")
        add_node(editor, CUBE_ITEM, "cube")
        pick(editor, TREE_ROWS[1], "Cube")

        chord(editor, "ctrl+c")
        copied = e2e_lib.wait_for(lambda: clipboard_text(editor) or None, 30, what="the copied scene text")
        if '<node type="cube">' not in copied or "<irr_scene>" not in copied:
            raise E2EFailure("another program reads no scene from the clipboard:\n" + copied[:400])
        # A requestor that is gone before the answer does not end the editor.
        ask_for_clipboard_from_vanished_window(editor)

        def still_serving():
            if editor.proc.poll() is not None:
                raise E2EFailure("the editor ended after a vanished requestor")
            return clipboard_text(editor) == copied

        e2e_lib.wait_for(still_serving, 30, what="the clipboard served again after a vanished requestor")

        pastes(editor, "Cube")
        two = decode_scene(open(save_through_window(editor, "two.irr"), "rb").read())
        if two.count('<node type="cube">') != 2:
            raise E2EFailure("the saved file does not hold two cubes:\n" + two)
        # Pasted under the picked cube: the second cube node opens inside the first.
        first = two.index('<node type="cube">')
        if two.find('</node>', first) < two.find('<node type="cube">', first + 1):
            raise E2EFailure("the copy was not pasted under the selected cube")

        clipboard_owned_by(editor, TEXT_NODE)
        pastes(editor, "Caf")
        three = decode_scene(open(save_through_window(editor, "three.irr"), "rb").read())
        if 'value="Caf\u00e9"' not in three or not re.search(r'value="7\.0+, 8\.0+, 9\.0+"', three):
            raise E2EFailure("the node pasted from text is not in the saved file:\n" + three)

        clipboard_owned_by(editor, "a shopping list, no scene")
        shown = editor.screenshot("before-plain-text")
        nodes = three.count("<node ")
        chord(editor, "ctrl+v")
        editor.wait_screen_change(shown, "told", 125, 25, 360, 16)
        four = decode_scene(open(save_through_window(editor, "four.irr"), "rb").read())
        if four.count("<node ") != nodes:
            raise E2EFailure("plain text pasted nodes")

        # Megabytes each way: the group pasted from xclip is the selection,
        # and its copy reaches xclip whole.
        clipboard_owned_by(editor, group_of_cubes(3000))
        pastes(editor, "Group")
        chord(editor, "ctrl+c")
        big = e2e_lib.wait_for(lambda: (lambda text: text if "Cube2999" in text else None)(clipboard_text(editor)),
                               60, what="the copied group read by xclip")
        if big.count('<node type="cube">') != 3000 or not big.rstrip().endswith("</irr_scene>"):
            raise E2EFailure("the group's copy came over cut: %d cubes" % big.count('<node type="cube">'))


if __name__ == "__main__":
    e2e_lib.main(test)
