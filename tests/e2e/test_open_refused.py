"""A scene the editor refuses (100,000 nested nodes, which overflow the
engine's recursive reader) named on the command line: the editor comes up
with its own scene, shows the message box in the middle of the window, and
keeps running; the same start with a good scene shows no box there."""
import os
import shutil
import tempfile

import e2e_lib
from e2e_lib import E2EFailure, Editor

# Where the engine centres a message box in the 1000 x 750 window.
MESSAGE_AREA = (350, 300, 300, 150)


def test(runtime):
    scenes = tempfile.mkdtemp(prefix="sorn-e2e-refused-")
    try:
        deep = os.path.join(scenes, "deep.irr")
        with open(deep, "w") as out:
            out.write("<irr_scene>" + '<node type="empty">' * 100000 + "</node>" * 100000 + "</irr_scene>")
        good = os.path.join(scenes, "good.irr")
        with open(good, "w") as out:
            out.write('<irr_scene><node type="empty"></node></irr_scene>')

        with Editor(runtime, "good-scene", args=[good]) as editor:
            plain = editor.wait_first_frame()

        with Editor(runtime, "refused-scene", args=[deep]) as editor:
            editor.wait_first_frame()
            shown = e2e_lib.wait_for(
                lambda: editor.regions_differ(plain, editor.screenshot("message"), *MESSAGE_AREA) > 2000,
                20, 0.5, "the message box")
            if not shown:
                raise E2EFailure("no message box")
            if editor.proc.poll() is not None:
                raise E2EFailure("the editor stopped after refusing the scene")
    finally:
        shutil.rmtree(scenes, ignore_errors=True)


if __name__ == "__main__":
    e2e_lib.main(test)
