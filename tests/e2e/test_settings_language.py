"""Choose French in Options > Settings, press OK, quit, start again: the menu
bar reads in French, accents drawn."""
import os
import subprocess

import e2e_lib
from e2e_lib import QUIT_ITEM, FILE_MENU, E2EFailure, Editor, decode_scene

OPTIONS_MENU = (217, 9)
SETTINGS_ITEM = (235, 30)
LANGUAGE_COMBO = (340, 88)
FRENCH_ITEM = (293, 126)
SETTINGS_OK = (365, 329)
SETTINGS_WINDOW = (200, 50, 300, 300)
MENU_STRIP = (0, 0, 400, 19)


def menu_captions(path):
    """The menu bar's captions as lists of ink columns: (x, top row) per column."""
    x0, y0, w, h = MENU_STRIP
    pgm = subprocess.run(["convert", path, "-crop", "%dx%d+%d+%d" % (w, h, x0, y0), "+repage",
                          "-colorspace", "Gray", "-depth", "8", "pgm:-"],
                         capture_output=True, check=True).stdout
    # P5 header: magic, width, height, maximum, then the pixels.
    fields = pgm.split(maxsplit=4)
    width, height, pixels = int(fields[1]), int(fields[2]), fields[4]
    tops = []
    for x in range(width):
        ink = [y for y in range(height) if pixels[y * width + x] < 110]
        tops.append(min(ink) if ink else None)
    captions, current, gap = [], [], 0
    for x, top in enumerate(tops):
        if top is None:
            gap += 1
            if gap >= 6 and current:
                captions.append(current)
                current = []
            continue
        gap = 0
        current.append((x, top))
    if current:
        captions.append(current)
    return captions


def has_accent(caption):
    """Ink above the lower-case letters after the capital: an accent."""
    tops = [top for _, top in caption]
    lower = max(set(tops), key=tops.count)  # most columns belong to lower-case letters
    seen_lower = False
    for _, top in caption:
        if top == lower:
            seen_lower = True
        elif seen_lower and top < lower - 1:
            return True
    return False


def test(runtime):
    with Editor(runtime, "settings-english") as editor:
        english = editor.wait_first_frame()
        editor.click(*OPTIONS_MENU)
        editor.click(*SETTINGS_ITEM)
        opened = editor.wait_screen_change(english, "settings-window", *SETTINGS_WINDOW)
        editor.click(*LANGUAGE_COMBO)
        listed = editor.wait_screen_change(opened, "language-list", 270, 98, 140, 40)
        editor.click(*FRENCH_ITEM)
        chosen = editor.wait_screen_change(listed, "french-chosen", 270, 78, 140, 40)
        editor.click(*SETTINGS_OK)
        message = editor.wait_screen_change(chosen, "saved-message", 0, 0, 1000, 750)
        editor.key("Return")
        editor.wait_screen_change(message, "message-closed", 0, 0, 1000, 750)
        editor.click(*FILE_MENU)
        editor.click(*QUIT_ITEM)
        code = editor.wait_exit(30)
        if code != 0:
            raise E2EFailure("the editor exited with %s" % code)
        written = decode_scene(open(os.path.join(editor.work, "config.xml"), "rb").read())
        for name in ("langage", "language"):
            if '<setting name="%s" value="fr" />' % name not in written:
                raise E2EFailure("config.xml lacks %s = fr:\n%s" % (name, written))

    with Editor(runtime, "settings-french", config_text=written) as editor:
        french = editor.wait_first_frame()
        x, y, w, h = MENU_STRIP
        if editor.regions_differ(english, french, x, y, w, h) == 0:
            raise E2EFailure("the menu bar reads as before")
        before, after = menu_captions(english), menu_captions(french)
        if len(before) < 6 or len(after) < 6:
            raise E2EFailure("menu captions not found: %d and %d" % (len(before), len(after)))
        # File View Scene Camera becomes Fichier Affichage Scène Caméra.
        if any(has_accent(caption) for caption in before[2:4]):
            raise E2EFailure("accents found in the English captions: the check is wrong")
        if not all(has_accent(caption) for caption in after[2:4]):
            raise E2EFailure("the accents of Scène and Caméra are not drawn")
        if [len(c) for c in before[:4]] == [len(c) for c in after[:4]]:
            raise E2EFailure("the captions have the English widths")


if __name__ == "__main__":
    e2e_lib.main(test)
