"""Drives the real editor under Xvfb as a person would: xdotool for the mouse
and keyboard, ImageMagick for screenshots. Every wait polls for a condition
with a generous bound; the editor and Xvfb are always stopped."""
import os
import random
import shutil
import subprocess
import sys
import tempfile
import time


class E2EFailure(Exception):
    pass


def wait_for(condition, timeout=30.0, interval=0.1, what="condition"):
    deadline = time.time() + timeout
    while time.time() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(interval)
    raise E2EFailure("timed out waiting for " + what)


class Editor:
    def __init__(self, runtime_dir, name, args=None, config_text=None, env=None):
        self.runtime = os.path.abspath(runtime_dir)
        self.name = name
        self.args = args or []
        self.config_text = config_text
        # The settings a restart carries over (what the editor wrote).
        self.config_bytes = None
        # Variables for the editor alone (a locale, for instance).
        self.extra_env = dict(env or {})
        self.work = tempfile.mkdtemp(prefix="sorn-e2e-")
        self.artifacts = os.environ.get("E2E_ARTIFACTS", self.work)
        os.makedirs(self.artifacts, exist_ok=True)
        self.xvfb = None
        self.proc = None
        self.window = None
        self.output_path = os.path.join(self.work, "stdout.txt")

    # -- life cycle ---------------------------------------------------------
    def __enter__(self):
        for attempt in range(3):
            try:
                self._start_display()
                self._start_editor()
                return self
            except E2EFailure as failure:
                self.stop(keep_work=True)
                # The display was lost under the editor (a server that a
                # parallel test was shutting down): start afresh.
                lost = ("Could not open display" in str(failure) or
                        "Need running XServer" in str(failure))
                if not lost or attempt == 2:
                    self.stop()
                    raise
            except BaseException:
                self.stop()
                raise
        return self

    def __exit__(self, *exc):
        self.stop()
        return False

    def _start_display(self):
        # Each run takes a display number of its own from a wide range rather
        # than the lowest free one: a server that another test is just
        # shutting down may still remove the socket of the number it held.
        for _ in range(10):
            number = random.randint(200, 899)
            if os.path.exists("/tmp/.X%d-lock" % number) or os.path.exists("/tmp/.X11-unix/X%d" % number):
                continue
            read_end, write_end = os.pipe()
            self.xvfb = subprocess.Popen(
                ["Xvfb", ":%d" % number, "-displayfd", str(write_end), "-screen", "0", "1024x768x24",
                 "-nolisten", "tcp", "-noreset"],
                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, pass_fds=(write_end,))
            os.close(write_end)
            with os.fdopen(read_end) as reader:
                ready = reader.readline().strip()
            self.display = ":%d" % number
            self.env = dict(os.environ, DISPLAY=self.display)
            if ready and self.xvfb.poll() is None and subprocess.call(
                    ["xdpyinfo"], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL) == 0:
                return
            self.xvfb.kill()
            self.xvfb.wait()
        raise E2EFailure("could not start Xvfb")

    def _start_editor(self):
        for sub in ("media", "lang", "doc"):
            os.symlink(os.path.join(self.runtime, sub), os.path.join(self.work, sub))
        if self.config_bytes is not None:
            with open(os.path.join(self.work, "config.xml"), "wb") as f:
                f.write(self.config_bytes)
        elif self.config_text is None:
            shutil.copy(os.path.join(self.runtime, "config.xml"), self.work)
        else:
            with open(os.path.join(self.work, "config.xml"), "w") as f:
                f.write(self.config_text)
        self.output = open(self.output_path, "w")
        editor_env = dict(self.env, **self.extra_env)
        # Libraries the editor alone preloads (the sanitizer build keeps the
        # OpenGL driver loaded to the end, so its leaks are named and suppressed).
        if os.environ.get("E2E_EDITOR_PRELOAD"):
            editor_env["LD_PRELOAD"] = os.environ["E2E_EDITOR_PRELOAD"]
        self.proc = subprocess.Popen(
            [os.path.join(self.runtime, "sorn-editor")] + self.args, cwd=self.work,
            env=editor_env, stdout=self.output, stderr=subprocess.STDOUT)
        self.window = wait_for(self._find_window, 60, 0.2, "the editor window")
        self.focus()

    def _find_window(self):
        if self.proc.poll() is not None:
            raise E2EFailure("the editor exited early with %s:\n%s" % (self.proc.returncode, self.stdout()))
        out = subprocess.run(["xdotool", "search", "--name", "Sorn Editor"], env=self.env,
                             capture_output=True, text=True).stdout.split()
        return out[0] if out else None

    def stop(self, keep_work=False):
        if self.proc and self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        if self.xvfb and self.xvfb.poll() is None:
            self.xvfb.terminate()
            try:
                self.xvfb.wait(10)
            except subprocess.TimeoutExpired:
                self.xvfb.kill()
        self.proc = self.xvfb = None
        if keep_work:
            # Ready for another start in the same folder.
            for sub in ("media", "lang", "doc", "config.xml"):
                path = os.path.join(self.work, sub)
                if os.path.lexists(path):
                    os.remove(path)
        else:
            shutil.rmtree(self.work, ignore_errors=True)

    def restart(self, args):
        """Starts the editor again in the same folder, with the settings it
        wrote (its recent scenes, for instance), after it has exited."""
        with open(os.path.join(self.work, "config.xml"), "rb") as f:
            self.config_bytes = f.read()
        self.stop(keep_work=True)
        self.args = args
        self.__enter__()

    def wait_exit(self, timeout=30):
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            raise E2EFailure("the editor did not exit")

    # -- input --------------------------------------------------------------
    def xdotool(self, *args):
        subprocess.run(["xdotool"] + [str(a) for a in args], env=self.env, check=True)

    def focus(self):
        self.xdotool("windowfocus", "--sync", self.window)

    def click(self, x, y, button=1):
        """Clicks at window coordinates (the window sits at the screen's corner)."""
        self.xdotool("mousemove", "--window", self.window, x, y)
        time.sleep(0.15)
        self.xdotool("mousedown", button)
        time.sleep(0.1)
        self.xdotool("mouseup", button)
        time.sleep(0.25)

    def drag(self, x0, y0, x1, y1, steps=10):
        self.xdotool("mousemove", "--window", self.window, x0, y0)
        time.sleep(0.15)
        self.xdotool("mousedown", 1)
        for i in range(1, steps + 1):
            self.xdotool("mousemove", "--window", self.window,
                         x0 + (x1 - x0) * i // steps, y0 + (y1 - y0) * i // steps)
            time.sleep(0.05)
        self.xdotool("mouseup", 1)
        time.sleep(0.25)

    def key(self, *keys):
        for k in keys:
            self.xdotool("key", "--window", self.window, k)
            time.sleep(0.15)

    def type(self, text):
        self.xdotool("type", "--delay", 60, text)
        time.sleep(0.2)

    # -- output -------------------------------------------------------------
    def stdout(self):
        self.output.flush()
        with open(self.output_path, errors="replace") as f:
            return f.read()

    def wait_output(self, text, timeout=30):
        wait_for(lambda: text in self.stdout(), timeout, what=repr(text) + " on standard output")

    def screenshot(self, label):
        path = os.path.join(self.artifacts, "%s-%s.png" % (self.name, label))
        subprocess.run(["import", "-display", self.display, "-window", "root", path],
                       env=self.env, check=True)
        return path

    def region_mean(self, path, x, y, w, h):
        """Mean grey level (0..1) of a screen region."""
        out = subprocess.run(["convert", path, "-crop", "%dx%d+%d+%d" % (w, h, x, y), "+repage",
                              "-colorspace", "Gray", "-format", "%[fx:mean]", "info:"],
                             capture_output=True, text=True, check=True).stdout
        return float(out)

    def region_stddev(self, path, x, y, w, h):
        out = subprocess.run(["convert", path, "-crop", "%dx%d+%d+%d" % (w, h, x, y), "+repage",
                              "-colorspace", "Gray", "-format", "%[fx:standard_deviation]", "info:"],
                             capture_output=True, text=True, check=True).stdout
        return float(out)

    def pixel(self, path, x, y):
        out = subprocess.run(["convert", path, "-format", "%%[pixel:p{%d,%d}]" % (x, y), "info:"],
                             capture_output=True, text=True, check=True).stdout
        return out.strip()

    def regions_differ(self, path_a, path_b, x, y, w, h, fuzz=None):
        """Number of pixels that differ between two screenshots in a region
        (by more than the fuzz, a percentage text such as "8%", when given)."""
        crop = "%dx%d+%d+%d" % (w, h, x, y)
        cropped = []
        for i, path in enumerate((path_a, path_b)):
            out = os.path.join(self.work, "crop%d.png" % i)
            subprocess.run(["convert", path, "-crop", crop, "+repage", out], check=True)
            cropped.append(out)
        fuzzing = ["-fuzz", fuzz] if fuzz else []
        result = subprocess.run(["compare"] + fuzzing + ["-metric", "AE"] + cropped + ["null:"],
                                capture_output=True, text=True)
        return int(float(result.stderr.split()[0]))

    def wait_region_replaced(self, before, label, x, y, w, h, share=0.3, fuzz="8%", timeout=30):
        """Screenshot once most of a region differs from `before` (a sky given
        new faces), not just a few pixels (particles flying through it)."""
        def replaced():
            after = self.screenshot(label)
            return after if self.regions_differ(before, after, x, y, w, h, fuzz=fuzz) > share * w * h else None
        return wait_for(replaced, timeout, 0.3, "most of the region to change (%s)" % label)

    def wait_first_frame(self):
        """Screenshot once the editor has drawn (the view is no longer flat)."""
        def drawn():
            shot = self.screenshot("start")
            return shot if self.region_stddev(shot, 0, 0, 1000, 750) > 0.02 else None
        return wait_for(drawn, 30, 0.5, "the first frame")

    def wait_screen_change(self, before, label, x, y, w, h, timeout=20):
        def changed():
            after = self.screenshot(label)
            return after if self.regions_differ(before, after, x, y, w, h) > 0 else None
        return wait_for(changed, timeout, 0.3, "the screen to change (%s)" % label)


def main(test):
    runtime = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.getcwd(), "runtime")
    try:
        test(runtime)
    except E2EFailure as failure:
        print("FAILED:", failure)
        sys.exit(1)
    print("PASSED")


def white_fraction(path, x, y, w, h):
    """Share of pure white pixels in a region (the grid lines are pure white)."""
    out = subprocess.run(["convert", path, "-crop", "%dx%d+%d+%d" % (w, h, x, y), "+repage",
                          "-fill", "black", "+opaque", "white", "-colorspace", "Gray",
                          "-format", "%[fx:mean]", "info:"],
                         capture_output=True, text=True, check=True).stdout
    return float(out)


def colour_fraction(path, colour, x, y, w, h, fuzz="10%"):
    """Share of pixels of about the given colour in a region."""
    out = subprocess.run(["convert", path, "-crop", "%dx%d+%d+%d" % (w, h, x, y), "+repage",
                          # White of the picture itself first goes black, so
                          # only the colour looked for ends up white.
                          "-fuzz", fuzz, "-fill", "black", "-opaque", "white",
                          "-fill", "white", "-opaque", colour,
                          "-fill", "black", "+opaque", "white", "-colorspace", "Gray",
                          "-format", "%[fx:mean]", "info:"],
                         capture_output=True, text=True, check=True).stdout
    return float(out)


# Where things are on the editor's 1000 x 750 window (window coordinates).
FILE_MENU = (18, 9)
SCENE_MENU = (104, 9)
ADD_ITEM = (110, 30)
# Scene > Add entries are the submenu's rows, given by their height alone: the
# submenu opens at the Scene menu's right edge, which moves with the width of
# the Undo and Redo captions ("Undo Light (Ctrl+Z)"), so its column is found on
# screen (see click_add_entry).
ADD_ROW_HEIGHT = 14
MODEL_ITEM = 33
CUBE_ITEM = 85
SPHERE_ITEM = CUBE_ITEM + ADD_ROW_HEIGHT
# The highlight of the open "Add" row, which ends where the submenu begins.
MENU_HIGHLIGHT = "#CBDFFE"
SCENE_BOX_BUTTON = (19, 32)
TOOL_BOX_BUTTON = (46, 32)
TREE = (10, 140, 180, 100)
# The 3D view, clear of the scene box and the tool box.
VIEW = (230, 100, 560, 640)
# File > Save, File > Save as and the save window: its path box, its
# "action_save" button, its area. Save opens the window only while the scene
# has no file; Save as always does.
SAVE_ITEM = (40, 67)
SAVE_AS_ITEM = (40, 81)
# File > Recent scenes (its first entry opens level with it) and File > Quit.
RECENT_ITEM = (40, 101)
QUIT_ITEM = (30, 127)
PATH_BOX = (300, 139)
SAVE_BUTTON = (450, 480)
SAVE_WINDOW = (100, 100, 400, 400)
# Tree rows: the label, then the first and second node.
TREE_ROWS = (152, 170, 188)
TREE_ROW_X = 35


def click_submenu_entry(editor, menu, item, row_y):
    """Opens the menu, then its item's submenu, and clicks the submenu entry at
    height row_y, a little inside the submenu's left edge (the end of the open
    item's highlight: the submenu opens at the menu's right edge, which moves
    with the width of its captions)."""
    editor.click(*menu)
    editor.click(*item)

    def submenu_left():
        shot = editor.screenshot("submenu")
        row = subprocess.run(["convert", shot, "-crop", "400x1+0+%d" % item[1], "+repage",
                              "-depth", "8", "txt:-"], capture_output=True, text=True, check=True).stdout
        lit = [int(line.split(",")[0]) for line in row.splitlines()[1:] if MENU_HIGHLIGHT in line]
        return max(lit) + 1 if lit and max(lit) > item[0] else None

    left = wait_for(submenu_left, 20, 0.2, "the submenu of the item at %s" % (item,))
    editor.click(left + 40, row_y)


def click_add_entry(editor, row_y):
    """Scene > Add, then the entry at height row_y."""
    click_submenu_entry(editor, SCENE_MENU, ADD_ITEM, row_y)


def add_node(editor, item, label):
    """Scene > Add > item, then wait until the scene box tree has been rebuilt."""
    refreshes = editor.stdout().count("updateTreeview()")
    click_add_entry(editor, item)
    wait_for(lambda: editor.stdout().count("updateTreeview()") > refreshes, 20,
             what="the tree refresh after adding a " + label)


def send_close_request(editor):
    """Clicks the window's close button the way a window manager reports it:
    a WM_DELETE_WINDOW client message sent to the window."""
    import ctypes

    class ClientMessage(ctypes.Structure):
        _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                    ("display", ctypes.c_void_p), ("window", ctypes.c_ulong),
                    ("message_type", ctypes.c_ulong), ("format", ctypes.c_int),
                    ("data", ctypes.c_long * 5)]

    class Event(ctypes.Union):
        _fields_ = [("xclient", ClientMessage), ("pad", ctypes.c_long * 24)]

    x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                               ctypes.POINTER(Event)]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    display = x11.XOpenDisplay(editor.display.encode())
    if not display:
        raise E2EFailure("cannot open the display to send the close request")
    try:
        window = int(editor.window)
        event = Event()
        event.xclient.type = 33  # ClientMessage
        event.xclient.window = window
        event.xclient.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
        event.xclient.format = 32
        event.xclient.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
        event.xclient.data[1] = 0  # CurrentTime
        x11.XSendEvent(display, window, 0, 0, ctypes.byref(event))
        x11.XFlush(display)
    finally:
        x11.XCloseDisplay(display)


def decode_scene(data):
    """The text of a file the editor wrote: UTF-32 or UTF-16 with a byte-order
    mark (config.xml, scenes of earlier versions), or 8-bit text (scenes): UTF-8
    where its bytes spell it, and a byte that spells none (a node name's
    Latin-1 letter, written as the byte the engine holds) as that letter."""
    if data.startswith(b"\xff\xfe\x00\x00"):
        return data[4:].decode("utf-32-le")
    if data.startswith(b"\xff\xfe"):
        return data[2:].decode("utf-16-le")
    text = data.decode("utf-8", "surrogateescape")
    return "".join(chr(ord(c) - 0xDC00) if 0xDC80 <= ord(c) <= 0xDCFF else c for c in text)


# -- whole journeys: the tool box, the file dialog, the save window ----------

SAMPLES = "/usr/share/doc/libirrlicht-dev/media"
# Scene > Add entries: menu rows 14 pixels apart from the cube's.
def add_item(row):
    return CUBE_ITEM + ADD_ROW_HEIGHT * row


LIGHT_ITEM = add_item(4)
PARTICLE_ITEM = add_item(5)
SKY_BOX_ITEM = add_item(6)
TEXT_ITEM = add_item(9)
VOLUME_LIGHT_ITEM = add_item(10)
# Scene > Redo, under "Add" and "Undo".
REDO_ITEM = (110, 58)
# The tool box window and the top-left corner of its tab pages: a page of the
# main tab control, a page of a nested one (material, particle).
TOOL_BOX = (800, 50, 200, 670)
PAGE = (803, 103)
NESTED_PAGE = (808, 145)
# The second tab header of the main tab control (material, light, volume light).
SECOND_TAB = (887, 88)
# The modal file dialog (460 x 380, centred): its list, its OK button, its
# path field and its title bar.
DIALOG = (270, 185, 460, 380)
DIALOG_LIST_TOP = (400, 262)
DIALOG_OK = (680, 546)
DIALOG_PATH = (500, 239)
DIALOG_TITLE = (275, 188, 380, 16)


def type_path_in_dialog(editor, path, before):
    """In the file dialog (shown after the screenshot `before`), types a path
    into its path field and presses Enter."""
    editor.wait_screen_change(before, "dialog", *DIALOG)
    editor.click(*DIALOG_PATH)
    editor.type(path)
    editor.key("Return")


def tree_row(k):
    """Window y of the k-th row of the scene box tree (0: the scene label)."""
    return TREE_ROWS[0] + 18 * k


def on_page(x, y, nested=False):
    """Window coordinates of a point given relative to a tool box tab page."""
    origin = NESTED_PAGE if nested else PAGE
    return (origin[0] + x, origin[1] + y)


def row_box(k, nested=False):
    """The edit box of the k-th label/edit row of the light and emitter tabs."""
    return on_page(135, 107 + 28 * k, nested)


def replace_text(editor, box, text):
    """Clicks into an edit box, empties it and types the text."""
    editor.click(*box)
    editor.key("ctrl+a", "BackSpace")
    editor.type(text)


def pick(editor, row, name):
    """Picks a scene box tree row and waits for the selection trace."""
    picks = editor.stdout().count("Selection => " + name)
    editor.click(TREE_ROW_X, row)
    wait_for(lambda: editor.stdout().count("Selection => " + name) > picks, 20,
             what="the selection of " + name)


def chord(editor, keys):
    """A key chord typed on the focused window as a keyboard does it (the
    modifiers are held while the key goes down and up)."""
    editor.focus()
    editor.xdotool("key", "--clearmodifiers", keys)


def sample(name, target):
    """Copies one of the engine's sample files, unpacked when the package keeps it gzipped."""
    import gzip
    source = os.path.join(SAMPLES, name)
    if os.path.exists(source):
        shutil.copy(source, target)
    else:
        with gzip.open(source + ".gz", "rb") as packed, open(target, "wb") as out:
            shutil.copyfileobj(packed, out)


def highlighted_row(shot):
    """Middle of the highlighted entry of the file dialog's list, or None."""
    x, top = DIALOG_LIST_TOP[0], DIALOG_LIST_TOP[1] - 6
    out = subprocess.run(["convert", shot, "-crop", "1x170+%d+%d" % (x, top), "+repage", "txt:-"],
                         capture_output=True, text=True, check=True).stdout
    rows = [top + int(line.split(",")[1].split(":")[0]) for line in out.splitlines()[1:]
            if "(203,223,254)" in line.replace(" ", "")]
    return (rows[0] + rows[-1]) // 2 if rows else None


def choose_in_dialog(editor, first_letter, before):
    """In the open file dialog (shown after the screenshot `before`), types the
    first letter of an entry of the working folder, clicks the entry it
    highlights and presses OK."""
    editor.wait_screen_change(before, "dialog", *DIALOG)
    editor.click(*DIALOG_LIST_TOP)
    editor.type(first_letter)  # the list jumps to the first entry starting with it
    row = wait_for(lambda: highlighted_row(editor.screenshot("dialog-" + first_letter)), 10,
                   what="an entry highlighted in the file list")
    # A second click within the list's double-click time would already choose it.
    time.sleep(0.6)
    editor.click(DIALOG_LIST_TOP[0], row)
    editor.click(*DIALOG_OK)


def save_through_window(editor, name):
    """File > Save as, the name typed after the folder in the save window's path
    box, "action_save"; waits for the finished save and returns the file."""
    before = editor.screenshot("before-save-" + name)
    editor.click(*FILE_MENU)
    editor.click(*SAVE_AS_ITEM)
    editor.wait_screen_change(before, "save-window-" + name, *SAVE_WINDOW)
    done = editor.stdout().count("File successfully renamed")
    editor.click(*PATH_BOX)
    editor.key("End")
    editor.type(name)
    editor.click(*SAVE_BUTTON)
    saved = os.path.join(editor.work, name)
    wait_for(lambda: os.path.exists(saved) and editor.stdout().count("File successfully renamed") > done,
             30, what="the saved file " + name)
    return saved


def mean_difference(work, path_a, path_b, region):
    """Mean absolute difference (0..1) between two screenshots in a region."""
    x, y, w, h = region
    crops = []
    for i, path in enumerate((path_a, path_b)):
        out = os.path.join(work, "diff%d.png" % i)
        subprocess.run(["convert", path, "-crop", "%dx%d+%d+%d" % (w, h, x, y), "+repage", out], check=True)
        crops.append(out)
    result = subprocess.run(["compare", "-metric", "MAE"] + crops + ["null:"], capture_output=True, text=True)
    return float(result.stderr.split("(")[1].split(")")[0])


def node_attributes(text, type_name):
    """The attributes of every node of the type in a saved scene, one
    name -> value map per node, in file order (a node's own attributes only)."""
    import re
    found = []
    for block in re.findall(r'<node type="%s">\s*<attributes>(.*?)</attributes>' % re.escape(type_name),
                            text, re.S):
        found.append(dict(re.findall(r'name="([^"]+)" value="([^"]*)"', block)))
    return found


def node_materials(text, type_name):
    """The material attributes of every node of the type, one list of maps per node."""
    import re
    found = []
    for block in re.findall(r'<node type="%s">(.*?)(?:<node |</node>)' % re.escape(type_name), text, re.S):
        materials = re.findall(r'<attributes>(.*?)</attributes>', block, re.S)
        found.append([dict(re.findall(r'name="([^"]+)" value="([^"]*)"', m)) for m in materials[1:]])
    return found


def numbers(value):
    """The numbers of an attribute value ("1.5, 2.000000, -3" -> [1.5, 2.0, -3.0])."""
    return [float(part) for part in value.replace(" ", "").split(",")]


# A sky box image set made from the engine's sample sky: a ".skybox" marker
# beside six faces (the right face only as ".bmp").
SKY_FACES = {"up": "irrlicht2_up.jpg", "dn": "irrlicht2_dn.jpg", "lf": "irrlicht2_lf.jpg",
             "rt": "irrlicht2_rt.jpg", "ft": "irrlicht2_ft.jpg", "bk": "irrlicht2_bk.jpg"}
# A band of sky in the view, clear of the scene box and the tool box.
SKY_BAND = (260, 60, 480, 120)


def make_image_set(folder, stem="zenith"):
    for suffix, name in SKY_FACES.items():
        if suffix == "rt":
            jpg = os.path.join(folder, "rt-source.jpg")
            sample(name, jpg)
            subprocess.run(["convert", jpg, os.path.join(folder, "%s_rt.bmp" % stem)], check=True)
            os.remove(jpg)
        else:
            sample(name, os.path.join(folder, "%s_%s.jpg" % (stem, suffix)))
    open(os.path.join(folder, stem + ".skybox"), "w").close()
