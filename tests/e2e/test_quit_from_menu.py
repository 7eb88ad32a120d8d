"""Start the editor, see its menu bar and toolbar, quit with File > Quit."""
import subprocess

import e2e_lib
from e2e_lib import QUIT_ITEM, FILE_MENU, E2EFailure, Editor



def test(runtime):
    with Editor(runtime, "quit") as editor:
        shot = editor.wait_first_frame()
        # The menu bar is a light strip with captions on it; the toolbar holds icons.
        if editor.region_mean(shot, 0, 0, 1000, 19) < 0.7:
            raise E2EFailure("no menu bar at the top of the window")
        if editor.region_stddev(shot, 0, 0, 300, 19) < 0.05:
            raise E2EFailure("the menu bar shows no captions")
        if editor.region_stddev(shot, 4, 22, 110, 20) < 0.05:
            raise E2EFailure("the toolbar shows no icons")

        # The window carries the program's 32 x 32 icon.
        icon = subprocess.run(["xprop", "-id", editor.window, "-notype", "32c", "_NET_WM_ICON"], env=editor.env,
                              capture_output=True, text=True).stdout
        if not icon.startswith("_NET_WM_ICON = 32, 32,") or len(icon.split(",")) != 2 + 32 * 32:
            raise E2EFailure("the window has no icon: " + icon[:80])
        title = subprocess.run(["xdotool", "getwindowname", editor.window], env=editor.env,
                               capture_output=True, text=True).stdout.strip()
        if not title.startswith("Sorn Editor 0.3 Beta - [") or not title.endswith("]"):
            raise E2EFailure("unexpected window title " + repr(title))

        editor.click(*FILE_MENU)
        opened = editor.wait_screen_change(shot, "file-menu", 0, 20, 120, 90)
        if editor.region_mean(opened, 5, 25, 100, 70) < 0.7:
            raise E2EFailure("the File menu did not open")
        editor.click(*QUIT_ITEM)
        code = editor.wait_exit(30)
        if code != 0:
            raise E2EFailure("the editor exited with %s" % code)


if __name__ == "__main__":
    e2e_lib.main(test)
