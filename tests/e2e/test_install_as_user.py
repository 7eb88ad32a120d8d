"""cmake --install of the current build into a temporary prefix, then the
installed program under Xvfb as a user who cannot write there: it opens a
scene named by a relative path, the magnet button switches snapping on, File >
Quit. The setting is in the user's $XDG_CONFIG_HOME/sorn-editor/config.xml,
the prefix is unchanged, and a second start reads it back (a press turns it off)."""
import os
import shutil
import subprocess
import sys
import tempfile

import e2e_lib
from e2e_lib import FILE_MENU, QUIT_ITEM, E2EFailure, Editor, decode_scene, wait_for

USER = 65534  # nobody
AS_USER = ["setpriv", "--reuid=%d" % USER, "--regid=%d" % USER, "--clear-groups"]
SNAP_BUTTON = (127, 32)  # the toolbar's fifth button
SCENE = ('<?xml version="1.0"?><irr_scene><node type="cube"><attributes><string name="Name" value="Crate" />'
         '<vector3d name="Scale" value="1, 1, 1" /><bool name="Visible" value="true" /></attributes></node></irr_scene>')


class InstalledEditor(Editor):
    """The installed program started as the user, in the user's home, with nothing beside it."""

    def __init__(self, program, home, args):
        super().__init__(os.path.dirname(program), "install", args)
        self.program, self.home = program, home

    def _start_editor(self):
        self.output = open(self.output_path, "w")
        env = dict(self.env, HOME=self.home, XDG_CONFIG_HOME=os.path.join(self.home, "conf"))
        self.proc = subprocess.Popen(AS_USER + [self.program] + self.args, cwd=self.home, env=env,
                                     stdout=self.output, stderr=subprocess.STDOUT)
        self.window = wait_for(self._find_window, 60, 0.2, "the installed editor's window")
        self.focus()

    def toggle_snap_and_quit(self, expected):
        shot = self.wait_first_frame()
        self.click(*SNAP_BUTTON)
        wait_for(lambda: '"snap_on" value="%s"' % expected in settings(self.home), 20, what="snap_on " + expected)
        self.wait_screen_change(shot, "snap-" + expected, 110, 22, 30, 22)
        self.click(*FILE_MENU)
        self.click(*QUIT_ITEM)
        if self.wait_exit(30) != 0:
            raise E2EFailure("the installed editor failed:\n" + self.stdout())


def settings(home):
    path = os.path.join(home, "conf", "sorn-editor", "config.xml")
    return decode_scene(open(path, "rb").read()) if os.path.exists(path) else ""


def tree(root):
    found = {}
    for folder, _, files in os.walk(root):
        for name in files:
            path = os.path.join(folder, name)
            found[path] = (os.stat(path).st_mtime_ns, open(path, "rb").read())
    return found


def test(runtime):
    if os.geteuid() != 0 or subprocess.run(AS_USER + ["true"], capture_output=True).returncode != 0:
        print("SKIPPED: cannot start a program as the unprivileged user %d here (not root, or setpriv refused)" % USER)
        sys.exit(77)
    base = tempfile.mkdtemp(prefix="sorn-install-")
    try:
        os.chmod(base, 0o755)
        prefix = os.path.join(base, "Logiciels é", "sorn")  # a space and a letter past ASCII
        done = subprocess.run(["cmake", "--install", os.path.dirname(os.path.abspath(runtime)), "--prefix", prefix],
                              capture_output=True, text=True)
        if done.returncode != 0:
            raise E2EFailure("cmake --install failed:\n" + done.stdout + done.stderr)
        entry = open(os.path.join(prefix, "share/applications/sorn-editor.desktop"), encoding="utf-8").read()
        if 'Exec="%s/bin/sorn-editor" %%f' % prefix not in entry:
            raise E2EFailure("the desktop entry does not start the installed program:\n" + entry)
        for relative in ("bin/sorn-filecheck", "share/sorn-editor/media/fonthaettenschweiler.bmp",
                         "share/icons/hicolor/128x128/apps/sorn-editor.png", "share/mime/packages/sorn-editor.xml"):
            if not os.path.isfile(os.path.join(prefix, relative)):
                raise E2EFailure("the install holds no " + relative)

        home = os.path.join(base, "home")
        os.makedirs(os.path.join(home, "Mes scènes"))
        with open(os.path.join(home, "Mes scènes", "crate.irr"), "w") as f:
            f.write(SCENE)
        for folder, _, files in os.walk(home):
            for path in [folder] + [os.path.join(folder, name) for name in files]:
                os.chown(path, USER, USER)
        before = tree(prefix)
        program = os.path.join(prefix, "bin", "sorn-editor")

        with InstalledEditor(program, home, [os.path.join("Mes scènes", "crate.irr")]) as editor:
            wait_for(lambda: "crate.irr" in subprocess.run(["xdotool", "getwindowname", editor.window], env=editor.env,
                                                           capture_output=True, text=True).stdout,
                     30, what="the scene named relative to the start folder in the caption")
            editor.toggle_snap_and_quit("1")
        if "crate.irr" not in settings(home) or '"langage" value="en"' not in settings(home):
            raise E2EFailure("the user's settings lack the recent scene or the defaults:\n" + settings(home))
        with InstalledEditor(program, home, []) as editor:
            editor.toggle_snap_and_quit("0")  # read back as on
        if tree(prefix) != before:
            raise E2EFailure("the installed tree changed while the program ran")
    finally:
        shutil.rmtree(base, ignore_errors=True)


if __name__ == "__main__":
    e2e_lib.main(test)
