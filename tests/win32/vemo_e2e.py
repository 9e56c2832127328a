#!/usr/bin/env python3
"""vemo.exe under Wine on the Wine session's X display (Xvfb with openbox), driven by real
key presses, clicks and the X clipboard; what is checked is what the X server and the window
manager report.

Usage: vemo_e2e.py wine path/to/vemo.exe
Exit status 0 when every test passes, 1 on a failure, 77 when a tool or the display is missing.
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from vemo_e2e import (ABOUT_CAPTION, HELP_CAPTION, MAIN_CAPTION, Desktop, Failure,  # noqa: E402
                      check, cp1252_char, crypt, wait_for)


# The progress window's caption, as that of the program's messages.
PROGRESS_CAPTION = "Vemo"


class SessionDesktop(Desktop):
    """The display the Wine session already runs on, with its openbox."""

    def __init__(self):
        self.home = tempfile.mkdtemp(prefix="vemo-win-e2e-")
        self.clipboard_owner = self.wm = self.xvfb = None
        self.env = dict(os.environ)


class WineVemo:
    def __init__(self, d, command):
        self.d = d
        # Under Wine's heap checking, which fills what is freed: a use after free fails
        # at once, and a damaged heap is reported.
        self.log = tempfile.TemporaryFile()
        self.process = subprocess.Popen(command, env=dict(d.env, WINEDEBUG="warn+heap"),
                                        stdout=subprocess.DEVNULL, stderr=self.log)
        self.main = wait_for(lambda: self.window(MAIN_CAPTION), "the main window", 60)
        d.activate(self.main)

    def window(self, caption):
        out = self.d.run("xdotool", "search", "--onlyvisible", "--name", caption,
                         check_status=False)
        for w in out.split():
            if self.d.prop(int(w), "WM_NAME") == '"%s"' % caption:
                return int(w)
        return None

    def gone(self, caption, timeout=30):
        # A search can miss a window while Wine makes or ends others: gone is gone for a
        # few looks in a row.
        looks = []

        def absent():
            looks.append(self.window(caption) is None)
            return looks[-3:] == [True] * 3
        wait_for(absent, caption + " to go", timeout)

    def menu(self, letter):
        self.menu_keys("alt+g", letter)

    def menu_keys(self, *keys):
        self.d.activate(self.main)
        for key in keys:
            self.d.keys(key)

    def back_from_help(self, help_window):
        # The first click can come before Wine takes clicks on the new window; then another
        # one does.
        self.d.activate(help_window)
        for _ in range(5):
            self.d.click(1 + 120 + 44, 282 + 64 + 24)
            try:
                wait_for(lambda: self.window(HELP_CAPTION) is None, "the help window to go", 2)
                break
            except Failure:
                pass
        self.gone(HELP_CAPTION)

    def active(self):
        out = self.d.run("xdotool", "getactivewindow", check_status=False).strip()
        return int(out) if out.isdigit() else None

    def answer_dialog(self, path):
        """Types a Windows path into the file dialog that opens, then confirms the message
        that follows."""
        dialog = wait_for(lambda: (lambda w: w if w not in (None, self.main) else None)(
            self.active()), "the file dialog")
        self.d.keys("ctrl+a")
        self.d.type(path)
        self.d.keys("Return")
        # The dialog's window, going, or another of Wine's can have the focus for a moment
        # on the way; the progress window, 360 pixels wide, has the message's caption.
        def message():
            w = self.active()
            try:
                return (w is not None and self.d.prop(w, "WM_NAME") == '"Vemo"'
                        and self.d.geometry(w)["width"] != 360)
            except Failure:
                return False
        wait_for(message, "the message after the dialog")
        self.d.keys("Return")
        wait_for(lambda: self.active() == self.main, "the main window back")

    def client_origin(self):
        g = self.d.geometry(self.main)
        return g["x"], g["y"] + g["height"] - 526

    def click(self, x, y):
        ox, oy = self.client_origin()
        self.d.click(ox + x, oy + y)

    def pane_text(self, pane):
        self.click(150 if pane == 1 else 630, 300)
        self.d.set_clipboard("\u2063")
        self.d.keys("ctrl+a", "ctrl+c")
        return wait_for(lambda: (lambda t: t if t != "\u2063" else None)(self.d.get_clipboard()),
                        "the copied text")

    def heap_errors(self):
        self.log.seek(0)
        return [line for line in self.log.read().decode("utf-8", "replace").splitlines()
                if ":heap:" in line]

    def stop(self):
        if self.process.poll() is None:
            self.d.keys("alt+F4")
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        errors = self.heap_errors()
        self.log.close()
        check(not errors, "heap errors: %r" % errors[:5])


def window_image(d, window):
    """The window's pixels as the X server has them: width, height and RGB bytes."""
    g = d.geometry(window)
    raw = subprocess.run(["import", "-window", str(window), "-depth", "8", "rgb:-"],
                         env=d.env, capture_output=True, timeout=20).stdout
    check(len(raw) == g["width"] * g["height"] * 3, "no image of window %d" % window)
    return g["width"], g["height"], raw


def marked(image, left, top, width, height, test):
    """The columns and rows of a rectangle with a pixel that passes `test`."""
    w, _, raw = image
    columns, rows = set(), set()
    for y in range(top, top + height):
        for x in range(left, left + width):
            if test(raw[(y * w + x) * 3:(y * w + x) * 3 + 3]):
                columns.add(x)
                rows.add(y)
    return columns, rows


def test_designed_texts_fit(d, vemo):
    # The key pane's hint on its one line, white on black: its last word ends near the
    # label's right end (233 pixels from x = 528) instead of wrapping behind the pane.
    image = window_image(d, vemo.main)
    menu = image[1] - 526
    columns, _ = marked(image, 528, menu + 56, 233, 16, lambda p: min(p) > 160)
    check(columns and max(columns) > 528 + 215, "the key hint ends at %r" % max(columns or [0]))
    # "ESCI DA VEMO", black on the button's face at (448, 64), 89 x 49, on one line.
    vemo.menu("g")
    help_window = wait_for(lambda: vemo.window(HELP_CAPTION), "the help window")
    time.sleep(1)
    _, rows = marked(window_image(d, help_window), 452, 68, 81, 41, lambda p: max(p) < 90)
    check(rows and max(rows) - min(rows) < 16, "ESCI DA VEMO takes rows %r" % sorted(rows))
    vemo.back_from_help(help_window)


def test_windows_where_designed(d, vemo):
    g = d.geometry(vemo.main)
    menu = g["height"] - 526
    check(g["x"] == 1 and g["y"] + menu == 42 and g["width"] == 796 and 10 <= menu <= 60,
          "main window at %r" % g)
    check(vemo.main in d.client_list(), "the main window is not in _NET_CLIENT_LIST")
    check("SKIP_TASKBAR" not in (d.prop(vemo.main, "_NET_WM_STATE") or ""), "no task-bar entry")
    check(d.frame(vemo.main)[2] > 0, "the main window has no title bar")

    vemo.menu("g")
    help_window = wait_for(lambda: vemo.window(HELP_CAPTION), "the help window")
    check(d.geometry(help_window) == {"x": 1, "y": 282, "width": 796, "height": 118,
                                      "mapped": True}, "help at %r" % d.geometry(help_window))
    check(d.frame(help_window) == [0, 0, 0, 0], "the help window has a frame")
    check(d.geometry(vemo.main)["mapped"], "the main window went with the help window")
    # TORNA AL MENU' hides the help window; the main window stays.
    vemo.back_from_help(help_window)
    check(d.geometry(vemo.main)["mapped"], "the main window went")

    for close in ("Escape", "Return", "alt+F4"):
        vemo.menu("a")
        about = wait_for(lambda: vemo.window(ABOUT_CAPTION), "the about box")
        g = d.geometry(about)
        check((g["x"], g["y"], g["width"], g["height"]) == (156, 129, 382, 237),
              "about box at %r" % g)
        d.activate(about)
        d.keys(close)
        vemo.gone(ABOUT_CAPTION)


def test_bytes_through_the_clipboard_and_the_button(d, vemo):
    # Every byte that the X clipboard carries as it is: Wine turns LF into CR LF on the way
    # in, so no line ending goes through, before or after the transform with a blank.
    text = "".join(cp1252_char(b) for b in range(1, 256)
                   if b not in (0x0A, 0x0D, 0x0A ^ 0x20, 0x0D ^ 0x20))
    d.set_clipboard(text)
    vemo.click(150, 300)
    d.keys("ctrl+a", "ctrl+v")
    vemo.click(630, 300)
    d.keys("ctrl+a", "space")
    check(vemo.pane_text(1) == text, "the pasted document came back changed")
    vemo.click(344 + 64, 416 + 12)
    check(vemo.pane_text(1) == crypt(text, " "), "Cripta gave another text")
    vemo.click(344 + 64, 416 + 12)
    check(vemo.pane_text(1) == text, "Decripta did not give the document back")
    check(vemo.pane_text(2) == " ", "the key changed")


def test_device_names_are_refused_before_any_question(d, vemo):
    vemo.click(150, 300)
    d.type("testo")
    for typed, command in (("NUL", "Right"), ("com1.txt", "Right"), ("Lpt1.TXT", "Right"),
                           ("NUL.txt", "c"), ("aux.txt", "c")):
        d.activate(vemo.main)
        d.keys("alt+f", command, "d")  # Salva or Carica, Documento da criptare
        wait_for(lambda: vemo.active() not in (None, vemo.main), "the file dialog")
        time.sleep(0.5)
        d.keys("ctrl+a")
        d.type(typed)
        d.keys("Return")
        box = wait_for(lambda: vemo.window("Vemo"), "the message", 20)
        # The replace question would take N for its No and bring the dialog back; the
        # message has only OK.
        d.activate(box)
        d.keys("n")
        time.sleep(1)
        check(vemo.window("Vemo") == box, "%s: a question was asked" % typed)
        d.keys("Return")
        vemo.gone("Vemo")
        time.sleep(0.5)
        check(vemo.active() == vemo.main, "%s: something followed the message" % typed)



def test_escape_keeps_the_window_and_the_text(d, vemo):
    def escape(where):
        d.keys("Escape")
        time.sleep(1)
        check(vemo.process.poll() is None and vemo.window(MAIN_CAPTION) == vemo.main,
              "Escape %s closed the main window" % where)

    for pane, x in ((1, 150), (2, 630)):
        vemo.click(x, 300)
        d.type("testo")
        escape("in pane %d" % pane)
    # Tab from the key pane goes to the button.
    d.keys("Tab")
    escape("on the button")
    check(vemo.pane_text(1) == "testo", "the document changed")
    check(vemo.pane_text(2) == "testo", "the key changed")


def test_exit_after_work_ends_cleanly(d, vemo):
    # A document, the about box and the help window have each been open when the end
    # command ends the program: nothing may fail while it ends.
    document = os.path.join(d.home, "lungo.txt")
    with open(document, "wb") as f:
        f.write(b"Lorem ipsum dolor sit amet.\r\n" * 7000)
    vemo.menu_keys("alt+f", "c", "d")
    vemo.answer_dialog("Z:" + document.replace("/", "\\"))
    vemo.click(150, 300)
    d.set_clipboard("x")
    d.keys("ctrl+a", "ctrl+v")

    def pasted():
        try:
            return vemo.pane_text(1) == "x"
        except Failure:
            return False
    wait_for(pasted, "the paste", 90)
    vemo.menu("a")
    about = wait_for(lambda: vemo.window(ABOUT_CAPTION), "the about box")
    d.activate(about)
    d.keys("Return")
    vemo.gone(ABOUT_CAPTION)
    vemo.menu("g")
    vemo.back_from_help(wait_for(lambda: vemo.window(HELP_CAPTION), "the help window"))
    before = set(d.client_list())
    vemo.menu_keys("alt+f", "e")
    try:
        status = vemo.process.wait(20)
    except subprocess.TimeoutExpired:
        status = None
    # Wine's crash dialog is a window of its own.
    time.sleep(1)
    new = [d.prop(w, "WM_NAME") for w in set(d.client_list()) - before]
    check(status == 0 and not new, "the program ended with status %r, windows %r" % (status, new))


def test_a_long_load_can_be_given_up_while_the_pane_fills(d, vemo):
    document = os.path.join(d.home, "grande.txt")
    with open(document, "wb") as f:
        f.write(b"Lorem ipsum dolor sit amet, consectetur adipiscing elit.\r\n" * 150000)
    vemo.click(150, 300)
    d.type("prima")
    vemo.menu_keys("alt+f", "c", "d")
    dialog = wait_for(lambda: (lambda w: w if w not in (None, vemo.main) else None)(
        vemo.active()), "the file dialog")
    d.keys("ctrl+a")
    d.type("Z:" + document.replace("/", "\\"))
    d.keys("Return")
    progress = wait_for(lambda: (lambda w: w if w not in (None, dialog, vemo.main) else None)(
        vemo.window(PROGRESS_CAPTION)), "the progress window", 30)
    # Reading the file takes a second at most: then the pane is being filled, which the
    # control would do for many seconds without a look at the mouse. "Annulla" is at the
    # bottom right of the window's 360 x 112 client area.
    time.sleep(3)
    g = d.geometry(progress)
    d.click(g["x"] + g["width"] - 52, g["y"] + g["height"] - 27)
    # Wine's heap checking, which the program runs under here, takes seconds to free the
    # half-filled control.
    vemo.gone(PROGRESS_CAPTION, 120)
    time.sleep(1)
    check(vemo.window(PROGRESS_CAPTION) is None, "a message after the load was given up")
    check(vemo.window(MAIN_CAPTION) == vemo.main, "the main window or its caption changed")
    check(vemo.pane_text(1) == "prima", "the document changed")


TESTS = [test_windows_where_designed, test_designed_texts_fit,
         test_bytes_through_the_clipboard_and_the_button,
         test_device_names_are_refused_before_any_question,
         test_escape_keeps_the_window_and_the_text, test_exit_after_work_ends_cleanly,
         test_a_long_load_can_be_given_up_while_the_pane_fills]


def main():
    if len(sys.argv) < 2 or not os.environ.get("DISPLAY"):
        print("no display or no program given; skipped")
        return 77
    missing = [t for t in ("xdotool", "xclip", "xprop", "xwininfo") if not shutil.which(t)]
    if missing:
        print("missing: " + ", ".join(missing) + "; skipped")
        return 77
    d = SessionDesktop()
    failed = 0
    try:
        for test in TESTS:
            vemo = WineVemo(d, sys.argv[1:])
            try:
                try:
                    test(d, vemo)
                finally:
                    vemo.stop()
                print("PASS " + test.__name__)
            except Failure as e:
                failed += 1
                print("FAIL %s: %s" % (test.__name__, e))
    finally:
        d.close()
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
