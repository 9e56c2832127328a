#!/usr/bin/env python3
"""The real vemo under Xvfb and openbox, driven by real key presses, clicks and the real
clipboard; what is checked is what the X server and the window manager report.

Usage: vemo_e2e.py path/to/vemo [test name...]
Exit status 0 when every test passes, 1 on a failure, 77 when a tool is missing.
"""

import ctypes
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

TOOLS = ["Xvfb", "openbox", "xdotool", "xclip", "xprop", "xwininfo"]
MAIN_CAPTION = "VeMo V 1.0 By TaReX: La SiCuReZzA pRiMa Di TuTtO"
HELP_CAPTION = "Help on Line: Guida in Linea ad Vemo 1.0"
ABOUT_CAPTION = "Informazioni su Vemo"


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def wait_for(predicate, what, timeout=10.0):
    end = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > end:
            raise Failure("timed out waiting for " + what)
        time.sleep(0.05)


def cp1252_char(byte):
    """The character of one Windows-1252 byte; the five unassigned ones are C1 codes."""
    try:
        return bytes([byte]).decode("cp1252")
    except UnicodeDecodeError:
        return chr(byte)


CP1252_BYTES = {cp1252_char(b): b for b in range(256)}


def crypt(text, key):
    """The program's keyed XOR on the Windows-1252 codes; a code equal to its key's stays."""
    out = []
    for i, char in enumerate(text):
        b, k = CP1252_BYTES[char], CP1252_BYTES[key[i % len(key)]]
        out.append(cp1252_char(b if b == k else b ^ k))
    return "".join(out)


def die_with_parent():
    """Run in a child before exec: ends the child when this script ends, even by a kill."""
    ctypes.CDLL(None, use_errno=True).prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG


class Desktop:
    """An X server of our own (a free display chosen by Xvfb) with openbox managing it."""

    def __init__(self):
        self.home = tempfile.mkdtemp(prefix="vemo-e2e-")
        self.clipboard_owner = None
        self.wm = self.xvfb = None
        # Other X servers come and go on this machine; a display number that was free a
        # moment ago may be gone again, so start over on another one.
        for attempt in range(3):
            try:
                self._start()
                return
            except Failure:
                self._stop_servers()
                if attempt == 2:
                    raise

    def _start(self):
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24",
             "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            preexec_fn=die_with_parent)
        os.close(write_end)
        number = b""
        while not number.endswith(b"\n"):
            chunk = os.read(read_end, 16)
            if not chunk:
                break
            number += chunk
        os.close(read_end)
        if not number.endswith(b"\n"):
            raise Failure("Xvfb did not start")
        self.env = dict(os.environ)
        self.env.update({
            "DISPLAY": ":" + number.decode().strip(),
            "HOME": self.home,
            "XDG_CONFIG_HOME": os.path.join(self.home, "config"),
            "XDG_RUNTIME_DIR": self.home,
            "QT_QPA_PLATFORM": "xcb",
            "LC_ALL": "C.UTF-8",
        })
        self.env.pop("WAYLAND_DISPLAY", None)
        # openbox with Debian's own configuration: Alt+F4 closes, a frame with buttons.
        self.wm_log = os.path.join(self.home, "openbox.log")
        with open(self.wm_log, "w") as log:
            self.wm = subprocess.Popen(["openbox", "--sm-disable"], env=self.env,
                                       stdout=log, stderr=subprocess.STDOUT,
                                       preexec_fn=die_with_parent)
        try:
            wait_for(lambda: self.root_prop("_NET_SUPPORTING_WM_CHECK") or self.wm.poll(),
                     "openbox")
        finally:
            if self.wm.poll() is not None:
                with open(self.wm_log) as log:
                    raise Failure("openbox did not start on %s: %s"
                                  % (self.env["DISPLAY"], log.read()))

    def _stop_servers(self):
        for process in (self.clipboard_owner, self.wm, self.xvfb):
            if process and process.poll() is None:
                process.terminate()
                try:
                    process.wait(5)
                except subprocess.TimeoutExpired:
                    process.kill()

    def close(self):
        self._stop_servers()
        shutil.rmtree(self.home, ignore_errors=True)

    def run(self, *args, check_status=True):
        result = subprocess.run(args, env=self.env, capture_output=True, timeout=20)
        if check_status and result.returncode != 0:
            raise Failure("%s failed: %s" % (" ".join(args), result.stderr.decode()))
        return result.stdout.decode("utf-8", errors="replace")

    def prop(self, window, name):
        return self._value(name, self.run("xprop", "-id", str(window), "-notype", name,
                                          check_status=False))

    def root_prop(self, name):
        return self._value(name, self.run("xprop", "-root", "-notype", name, check_status=False))

    @staticmethod
    def _value(name, out):
        """What xprop prints after "NAME = " or "NAME: "; None for a missing property."""
        match = re.match(re.escape(name) + r"(?: = |: )(.*)", out.strip(), re.S)
        if not match or match.group(1).strip() in ("not found.", "no such atom on any window."):
            return None
        return match.group(1).strip()

    def client_list(self):
        value = self.root_prop("_NET_CLIENT_LIST") or ""
        return [int(w, 16) for w in re.findall(r"0x[0-9a-f]+", value)]

    def geometry(self, window):
        out = self.run("xwininfo", "-id", str(window))
        field = lambda name: re.search(name + r":\s+(\S+)", out).group(1)
        return {"x": int(field("Absolute upper-left X")), "y": int(field("Absolute upper-left Y")),
                "width": int(field("Width")), "height": int(field("Height")),
                "mapped": field("Map State") == "IsViewable"}

    def frame(self, window):
        value = self.prop(window, "_NET_FRAME_EXTENTS")
        return [int(v) for v in value.split(",")] if value else None

    def keys(self, *keys):
        self.run("xdotool", "key", "--delay", "40", *keys)
        time.sleep(0.15)

    def type(self, text):
        self.run("xdotool", "type", "--delay", "20", text)
        time.sleep(0.1)

    def click(self, x, y):
        self.run("xdotool", "mousemove", str(x), str(y), "sleep", "0.1", "click", "1")
        time.sleep(0.15)

    def activate(self, window):
        self.run("xdotool", "windowactivate", "--sync", str(window), check_status=False)
        time.sleep(0.1)

    def set_clipboard(self, text):
        if self.clipboard_owner and self.clipboard_owner.poll() is None:
            self.clipboard_owner.terminate()
            self.clipboard_owner.wait()
        self.clipboard_owner = subprocess.Popen(
            ["xclip", "-selection", "clipboard", "-i", "-quiet"], env=self.env,
            stdin=subprocess.PIPE, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.clipboard_owner.stdin.write(text.encode("utf-8"))
        self.clipboard_owner.stdin.close()
        wait_for(lambda: self.get_clipboard() == text, "the clipboard to take the text")

    def offer_clipboard(self, data, target):
        """Offers bytes under one target only, as a program with its own charset does."""
        if self.clipboard_owner and self.clipboard_owner.poll() is None:
            self.clipboard_owner.terminate()
            self.clipboard_owner.wait()
        self.clipboard_owner = subprocess.Popen(
            ["xclip", "-selection", "clipboard", "-t", target, "-i", "-quiet"], env=self.env,
            stdin=subprocess.PIPE, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.clipboard_owner.stdin.write(data)
        self.clipboard_owner.stdin.close()
        wait_for(lambda: target in subprocess.run(
            ["xclip", "-selection", "clipboard", "-o", "-t", "TARGETS"], env=self.env,
            capture_output=True, timeout=10).stdout.decode(errors="replace").split(),
            "the clipboard to offer " + target)

    def get_clipboard(self):
        result = subprocess.run(["xclip", "-selection", "clipboard", "-o"], env=self.env,
                                capture_output=True, timeout=10)
        return result.stdout.decode("utf-8") if result.returncode == 0 else None


class Vemo:
    """One run of the program, with its windows as the X server sees them."""

    def __init__(self, desktop, program):
        self.d = desktop
        self.program = program
        self.log = tempfile.NamedTemporaryFile(dir=desktop.home, prefix="vemo-", suffix=".log")
        self.process = subprocess.Popen([program], env=desktop.env,
                                        stdout=self.log, stderr=subprocess.STDOUT)
        self.main = wait_for(lambda: self.window(MAIN_CAPTION), "the main window")
        self.d.activate(self.main)
        self.menu_height = self.d.geometry(self.main)["height"] - 526

    def mapped(self):
        out = self.d.run("xdotool", "search", "--onlyvisible", "--pid", str(self.process.pid),
                         check_status=False)
        return [int(w) for w in out.split()]

    def window(self, caption):
        for w in self.mapped():
            if self.d.prop(w, "WM_NAME") == '"%s"' % caption:
                return w
        return None

    def expect_mapped(self, count, what):
        wait_for(lambda: len(self.mapped()) == count, "%d mapped window(s) %s" % (count, what))
        time.sleep(0.2)
        check(len(self.mapped()) == count,
              "%s: %d windows mapped, expected %d" % (what, len(self.mapped()), count))

    def menu(self, letter):
        """Guida in Linea, then the entry with that access key."""
        self.d.activate(self.main)
        self.d.keys("alt+g")
        self.d.keys(letter)

    def open_help(self):
        self.menu("g")
        return wait_for(lambda: self.window(HELP_CAPTION), "the help window")

    def open_about(self):
        self.menu("a")
        return wait_for(lambda: self.window(ABOUT_CAPTION), "the about box")

    def pane_text(self, pane):
        """A pane's whole text, copied out through the clipboard."""
        g = self.d.geometry(self.main)
        x = 16 + 140 if pane == 1 else 496 + 140
        self.d.click(g["x"] + x, g["y"] + self.menu_height + 300)
        self.d.set_clipboard("\u2063")
        self.d.keys("ctrl+a", "ctrl+c")
        return wait_for(lambda: (lambda t: t if t != "\u2063" else None)(self.d.get_clipboard()),
                        "the copied text")

    def click_button(self):
        g = self.d.geometry(self.main)
        self.d.click(g["x"] + 344 + 64, g["y"] + self.menu_height + 416 + 12)

    def ended(self, timeout=10):
        try:
            return self.process.wait(timeout) == 0
        except subprocess.TimeoutExpired:
            return False

    def stop(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        self.log.close()


# The tests. Each starts the program afresh.

def test_main_window_can_be_found(d, vemo):
    w = vemo.main
    g = d.geometry(w)
    check(g["width"] == 796 and 10 <= vemo.menu_height <= 60,
          "client area with its menu bar: %r" % g)
    check(g["x"] == 1 and g["y"] + vemo.menu_height == 42, "client area not at (1, 42): %r" % g)
    check(w in d.client_list(), "the main window is not in _NET_CLIENT_LIST")
    state = d.prop(w, "_NET_WM_STATE") or ""
    check("SKIP_TASKBAR" not in state and "SKIP_PAGER" not in state, "state: " + state)
    check(d.prop(w, "_NET_WM_WINDOW_TYPE") == "_NET_WM_WINDOW_TYPE_NORMAL",
          "type: %s" % d.prop(w, "_NET_WM_WINDOW_TYPE"))
    check(d.prop(w, "WM_TRANSIENT_FOR") is None, "the main window is transient")
    check(d.frame(w)[2] > 0, "no title bar: %r" % d.frame(w))
    actions = d.prop(w, "_NET_WM_ALLOWED_ACTIONS")
    for action in ("CLOSE", "MINIMIZE", "MOVE"):
        check("_NET_WM_ACTION_" + action in actions, "cannot " + action + ": " + actions)
    for action in ("MAXIMIZE", "RESIZE"):
        check("_NET_WM_ACTION_" + action not in actions, "can " + action + ": " + actions)
    vemo.expect_mapped(1, "at start")


def test_main_window_closes_every_way(d, vemo):
    def close_button(v):
        g, f = d.geometry(v.main), d.frame(v.main)
        d.click(g["x"] + g["width"] + f[1] - 10, g["y"] - f[2] // 2)

    ways = [
        ("Alt+F4", lambda v: d.keys("alt+F4")),
        ("close control", close_button),
        ("Esci da Vemo", lambda v: d.keys("alt+f", "e")),
    ]
    for i, (name, close) in enumerate(ways):
        run = vemo if i == 0 else Vemo(d, vemo.program)
        try:
            close(run)
            check(run.ended(), "the program did not end after " + name)
        finally:
            run.stop()


def test_help_window(d, vemo):
    help_window = vemo.open_help()
    vemo.expect_mapped(2, "with the help window")
    check(d.geometry(help_window) == {"x": 1, "y": 282, "width": 796, "height": 118,
                                      "mapped": True}, "help at %r" % d.geometry(help_window))
    check(d.frame(help_window) == [0, 0, 0, 0], "the help window has a frame")
    check("_NET_WM_WINDOW_TYPE_UTILITY" in d.prop(help_window, "_NET_WM_WINDOW_TYPE"),
          "help type")
    check(d.prop(help_window, "WM_TRANSIENT_FOR") == "window id # %s" % hex(vemo.main),
          "the help window does not belong to the main window")
    vemo.open_help()
    vemo.expect_mapped(2, "after the help entry twice")

    # "TORNA AL MENU'" by mouse hides it; the next help entry shows the same window.
    d.click(1 + 120 + 44, 282 + 64 + 24)
    vemo.expect_mapped(1, "after TORNA AL MENU'")
    check(vemo.open_help() == help_window, "a new help window instead of the hidden one")
    # A close request of the window manager closes it.
    d.activate(help_window)
    d.keys("alt+F4")
    vemo.expect_mapped(1, "after closing the help window")
    # "ESCI DA VEMO" with the keyboard: the focus starts on "TORNA AL MENU'".
    vemo.open_help()
    d.keys("Tab", "space")
    check(vemo.ended(), "ESCI DA VEMO did not end the program")


def test_about_box_closes_every_way(d, vemo):
    def close_button(about):
        g, f = d.geometry(about), d.frame(about)
        d.click(g["x"] + g["width"] + f[1] - 10, g["y"] - f[2] // 2)

    ways = [
        ("OK", lambda about: d.click(d.geometry(about)["x"] + 283 + 42,
                                     d.geometry(about)["y"] + 175 + 11)),
        ("Enter", lambda about: d.keys("Return")),
        ("Escape", lambda about: d.keys("Escape")),
        ("Alt+F4", lambda about: d.keys("alt+F4")),
        ("close control", close_button),
    ]
    for name, close in ways:
        about = vemo.open_about()
        vemo.open_about()
        vemo.expect_mapped(2, "with the about box, asked for twice (%s)" % name)
        check(d.geometry(about) == {"x": 156, "y": 129, "width": 382, "height": 237,
                                    "mapped": True}, "about box at %r" % d.geometry(about))
        check(d.frame(about)[2] > 0, "the about box has no title bar")
        check("_NET_WM_WINDOW_TYPE_DIALOG" in d.prop(about, "_NET_WM_WINDOW_TYPE"), "about type")
        check(d.prop(about, "WM_TRANSIENT_FOR") == "window id # %s" % hex(vemo.main),
              "the about box does not belong to the main window")
        d.activate(about)
        close(about)
        vemo.expect_mapped(1, "after closing the about box with " + name)
    check(vemo.open_about(), "the about box does not open again")


def test_owned_windows_follow_the_main_window(d, vemo):
    help_window = vemo.open_help()
    about = vemo.open_about()
    vemo.expect_mapped(3, "with the help window and the about box")
    d.run("xdotool", "windowminimize", "--sync", str(vemo.main))
    vemo.expect_mapped(0, "with the main window minimised")
    d.activate(vemo.main)
    vemo.expect_mapped(3, "with the main window restored")

    # Left alone, the two are windows of their own that the task bar lists.
    d.activate(vemo.main)
    d.keys("alt+F4")
    vemo.expect_mapped(2, "after closing the main window")
    for w in (vemo.window(HELP_CAPTION), vemo.window(ABOUT_CAPTION)):
        check(w in d.client_list(), "a window left alone is not in _NET_CLIENT_LIST")
        check(d.prop(w, "WM_TRANSIENT_FOR") is None, "a window left alone is still transient")
        types = d.prop(w, "_NET_WM_WINDOW_TYPE")
        check("_NET_WM_WINDOW_TYPE_NORMAL" in types and "UTILITY" not in types and
              "DIALOG" not in types, "a window left alone is of type " + types)
        check("SKIP_TASKBAR" not in (d.prop(w, "_NET_WM_STATE") or ""), "left alone, skipped")
    d.activate(vemo.window(ABOUT_CAPTION))
    d.keys("Escape")
    vemo.expect_mapped(1, "with only the help window left")
    check(vemo.process.poll() is None, "the program ended with the help window open")
    # Back to a fresh main window; the help window is hidden, and closing the main window
    # then ends the program.
    d.activate(vemo.window(HELP_CAPTION))
    d.keys("Return")
    vemo.main = wait_for(lambda: vemo.window(MAIN_CAPTION), "a fresh main window")
    vemo.expect_mapped(1, "after TORNA AL MENU' with Enter")
    d.activate(vemo.main)
    d.keys("alt+F4")
    check(vemo.ended(), "the program lives on with no window visible")


def test_keyboard_and_button(d, vemo):
    # The focus starts on the button: a letter types nothing anywhere.
    d.type("z")
    d.keys("Tab")                      # document pane
    d.type("ab")
    d.keys("ctrl+Tab")                 # types a tab
    d.type("c")
    d.keys("alt+x", "alt+q")           # no access keys: nothing typed
    d.keys("Tab")                      # key pane
    d.type("k")
    d.keys("Tab", "space")             # button, clicked by Space
    d.keys("shift+Tab")                # key pane again
    d.type("e")
    d.keys("shift+Tab", "shift+Tab")   # document pane, then the button
    d.keys("Return")                   # clicked by Enter
    expected = crypt(crypt("ab\tc", "k"), "ke")
    key, document = vemo.pane_text(2), vemo.pane_text(1)
    check(key == "ke", "key pane: %r" % key)
    check(document == expected, "document pane: %r, expected %r" % (document, expected))
    vemo.click_button()                # clicked by the mouse
    document = vemo.pane_text(1)
    check(document == crypt(expected, "ke"), "after a click: %r" % document)


def test_every_byte_through_the_clipboard(d, vemo):
    # Bytes 0x80-0xFF travel as their Windows-1252 characters, control codes as themselves.
    text = "".join(cp1252_char(b) for b in range(1, 256))
    d.set_clipboard(text)
    d.keys("Tab", "ctrl+v", "Tab")
    d.type("Vemo")
    d.keys("Tab", "space")             # Cripta
    encrypted = vemo.pane_text(1)
    check(encrypted == crypt(text, "Vemo"), "after Cripta: %r" % encrypted)
    vemo.click_button()                # Decripta
    copied = vemo.pane_text(1)
    check(copied == text, "round trip differs: lost %r, got %r"
          % (sorted(set(text) - set(copied)), copied))


def test_paste_takes_each_charset_exactly(d, vemo):
    d.keys("Tab")                      # document pane
    d.type("[]")
    d.keys("Left")
    d.offer_clipboard("caff\u00e8 \u00a9".encode("latin-1"), "text/plain;charset=ISO-8859-1")
    d.keys("ctrl+v")
    text = vemo.pane_text(1)
    check(text == "[caff\u00e8 \u00a9]", "after pasting ISO-8859-1: %r" % text)
    # Invalid UTF-8 offered as UTF-8: the message, and nothing inserted.
    d.offer_clipboard(b"ok \xe8 no", "UTF8_STRING")
    d.keys("ctrl+End", "ctrl+v")
    wait_for(lambda: vemo.window("Vemo"), "the message about the clipboard")
    d.keys("Return")
    vemo.expect_mapped(1, "after the message")
    text = vemo.pane_text(1)
    check(text == "[caff\u00e8 \u00a9]", "after pasting invalid UTF-8: %r" % text)


def test_load_and_save_through_the_dialogs(d, vemo):
    original = "Caff\u00e8 \u20ac 1\r\nriga due\rtre\n".encode("cp1252")
    loaded = os.path.join(d.home, "lettera.txt")
    with open(loaded, "wb") as f:
        f.write(original)
    # A pasted character Vemo cannot hold does not stand in the way of a load replacing it.
    d.set_clipboard("\u0151")
    d.keys("Tab", "ctrl+v")

    def answer(caption, name):
        wait_for(lambda: vemo.window(caption), "the dialog " + caption)
        d.keys("ctrl+a")
        d.type(name)
        d.keys("Return")
        wait_for(lambda: vemo.window("Vemo"), "the message after " + caption)
        d.keys("Return")
        vemo.expect_mapped(1, "after the message")

    d.activate(vemo.main)
    d.keys("alt+f", "c", "d")          # Carica, Documento da criptare
    answer("Apri", loaded)
    saved = os.path.join(d.home, "copia")
    d.activate(vemo.main)
    d.keys("alt+f", "Right", "d")      # Salva (the first entry), Documento da criptare
    answer("Salva come", saved)
    with open(saved, "rb") as f:
        check(f.read() == original, "the saved file differs from the loaded one")


TESTS = [(name[5:], f) for name, f in sorted(globals().items()) if name.startswith("test_")]


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    missing = [t for t in TOOLS if shutil.which(t) is None]
    if missing:
        print("missing: " + ", ".join(missing))
        return 77
    program = os.path.abspath(sys.argv[1])
    chosen = sys.argv[2:]
    try:
        desktop = Desktop()
    except Failure as failure:
        print("FAIL starting the desktop: %s" % failure)
        return 1
    failures = 0
    try:
        for name, test in TESTS:
            if chosen and name not in chosen:
                continue
            started = time.monotonic()
            vemo = None
            try:
                vemo = Vemo(desktop, program)
                test(desktop, vemo)
                check(vemo.process.poll() in (None, 0),
                      "the program failed with status %s" % vemo.process.poll())
                print("PASS %s (%.1f s)" % (name, time.monotonic() - started), flush=True)
            except Failure as failure:
                failures += 1
                print("FAIL %s: %s" % (name, failure), flush=True)
                if vemo:
                    vemo.log.seek(0)
                    print(vemo.log.read().decode(errors="replace")[-3000:], flush=True)
            finally:
                if vemo:
                    vemo.stop()
    finally:
        desktop.close()
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
