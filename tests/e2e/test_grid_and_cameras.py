"""The grid is drawn at start; View > Grid visible hides and shows it; the
first-person camera takes the mouse until Escape hands it back."""
import time

import e2e_lib
from e2e_lib import E2EFailure, Editor

VIEW_MENU = (57, 9)
GRID_ITEM = (90, 58)
CAMERA_MENU = (158, 9)
FPS_ITEM = (190, 58)
GROUND = (0, 395, 1000, 350)
VIEW_AREA = (0, 85, 1000, 660)


def test(runtime):
    with Editor(runtime, "grid") as editor:
        shot = e2e_lib.wait_for(lambda: _grid_drawn(editor), 30, 0.5, "the grid to be drawn")
        shown = e2e_lib.white_fraction(shot, *GROUND)

        editor.click(*VIEW_MENU)
        editor.click(*GRID_ITEM)
        hidden_shot = editor.wait_screen_change(shot, "grid-hidden", *GROUND)
        hidden = e2e_lib.white_fraction(hidden_shot, *GROUND)
        if hidden > shown / 10:
            raise E2EFailure("the grid is still drawn (%.4f of %.4f)" % (hidden, shown))

        editor.click(*VIEW_MENU)
        editor.click(*GRID_ITEM)
        again = e2e_lib.wait_for(lambda: _grid_drawn(editor), 20, 0.5, "the grid to come back")
        if e2e_lib.white_fraction(again, *GROUND) < shown / 2:
            raise E2EFailure("the grid did not come back")

        # The first-person camera looks from elsewhere and turns with the mouse.
        editor.click(*CAMERA_MENU)
        editor.click(*FPS_ITEM)
        fps = editor.wait_screen_change(again, "fps", *VIEW_AREA)

        # Escape stops it taking the mouse: moving the pointer changes nothing.
        editor.key("Escape")
        time.sleep(0.5)
        still = editor.screenshot("fps-released")
        editor.xdotool("mousemove", "--window", editor.window, 700, 500)
        time.sleep(1.0)
        after_move = editor.screenshot("fps-released-moved")
        if editor.regions_differ(still, after_move, *VIEW_AREA) > 0:
            raise E2EFailure("the camera still turns with the mouse after Escape")

        # Escape again gives the mouse back to the camera.
        editor.key("Escape")
        editor.xdotool("mousemove", "--window", editor.window, 300, 200)
        editor.wait_screen_change(after_move, "fps-turned", *VIEW_AREA)
        if fps is None:
            raise E2EFailure("no first-person view")


def _grid_drawn(editor):
    shot = editor.screenshot("grid")
    return shot if e2e_lib.white_fraction(shot, *GROUND) > 0.005 else None


if __name__ == "__main__":
    e2e_lib.main(test)
