#!/usr/bin/env python3
"""The real vemo under Xvfb and openbox, driven by real key presses, clicks and the real
clipboard; what is checked is what the X server, the window manager and AT-SPI (what a
screen reader reads) report.

Usage: vemo_e2e.py path/to/vemo [test name...]
VEMO_E2E_WM="kwin_x11" (or "xfwm4") runs it under another window manager, for a trial by
hand: the tests of placement and frames expect openbox.
Exit status 0 when every test passes, 1 on a failure, 77 when a tool is missing.
"""

import ctypes
import json
import os
import re
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time

TOOLS = ["Xvfb", "openbox", "xdotool", "xclip", "xprop", "xwininfo", "dbus-daemon", "dbus-send"]
MAIN_CAPTION = "VeMo V 1.0 By TaReX: La SiCuReZzA pRiMa Di TuTtO"
HELP_CAPTION = "Help on Line: Guida in Linea ad Vemo 1.0"
ABOUT_CAPTION = "Informazioni su Vemo"


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def wait_for(predicate, what, timeout=30.0):
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


AT_SPI_BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"

# Run by a Python that has pyatspi: prints the program's accessible tree as JSON.
ATSPI_READER = r"""
import json, sys
import pyatspi

def node(a):
    relations = {}
    for r in a.getRelationSet():
        kind = r.getRelationType().value_nick
        relations.setdefault(kind, []).extend(
            r.getTarget(i).name for i in range(r.getNTargets()))
    state = a.getState()
    children = [a.getChildAtIndex(i) for i in range(a.childCount)]
    return {"role": a.getRoleName(), "name": a.name, "description": a.description,
            "relations": relations, "focused": state.contains(pyatspi.STATE_FOCUSED),
            "showing": state.contains(pyatspi.STATE_SHOWING),
            "children": [node(c) for c in children if c is not None]}

desktop = pyatspi.Registry.getDesktop(0)
for i in range(desktop.childCount):
    app = desktop.getChildAtIndex(i)
    if app is not None and app.get_process_id() == int(sys.argv[1]):
        print(json.dumps(node(app)))
        break
else:
    sys.exit("the program is not on the accessibility bus")
"""


def atspi_python():
    """A Python interpreter that can import pyatspi (Debian's, beside another one first in
    PATH)."""
    for python in dict.fromkeys([sys.executable, "/usr/bin/python3"]):
        if python and subprocess.run([python, "-c", "import pyatspi"],
                                     capture_output=True).returncode == 0:
            return python
    return None


def accessibles(tree):
    """Every node of an accessible tree, depth first."""
    yield tree
    for child in tree["children"]:
        yield from accessibles(child)


def die_with_parent():
    """Run in a child before exec: ends the child when this script ends, even by a kill."""
    ctypes.CDLL(None, use_errno=True).prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG


def read_line(fd):
    """The line that a child writes into the pipe `fd`, which is then closed; b"" when the
    child closes its end first."""
    data = b""
    while not data.endswith(b"\n"):
        chunk = os.read(fd, 256)
        if not chunk:
            break
        data += chunk
    os.close(fd)
    return data if data.endswith(b"\n") else b""


class Desktop:
    """An X server of our own with openbox managing it: the display in VEMO_XVFB_DISPLAY, else
    a free one chosen by Xvfb."""

    session_bus = a11y_bus = None

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
        chosen = os.environ.get("VEMO_XVFB_DISPLAY")
        self.xvfb = subprocess.Popen(
            ["Xvfb"] + ([":" + chosen] if chosen else []) +
            ["-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            preexec_fn=die_with_parent)
        os.close(write_end)
        number = read_line(read_end)
        if not number:
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
        self._start_session_bus()
        # openbox with Debian's own configuration: Alt+F4 closes, a frame with buttons.
        self.wm_log = os.path.join(self.home, "openbox.log")
        # VEMO_E2E_WM runs the suite under another window manager, for a trial by hand.
        wm = os.environ.get("VEMO_E2E_WM", "openbox --sm-disable").split()
        with open(self.wm_log, "w") as log:
            self.wm = subprocess.Popen(wm, env=self.env,
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

    def _start_session_bus(self):
        """A session bus of our own, which the window manager and, for the screen reader
        tests, the accessibility bus use; the machine's own buses are never touched."""
        read_end, write_end = os.pipe()
        self.session_bus = subprocess.Popen(
            ["dbus-daemon", "--session", "--nofork", "--nosyslog",
             "--address=unix:dir=" + self.home,
             "--print-address=%d" % write_end],
            pass_fds=(write_end,), env=self.env, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL, preexec_fn=die_with_parent)
        os.close(write_end)
        address = read_line(read_end)
        if not address:
            raise Failure("dbus-daemon did not start")
        self.env["DBUS_SESSION_BUS_ADDRESS"] = address.decode().strip()

    def start_accessibility(self):
        """The accessibility bus, on which screen readers and the program meet."""
        if self.a11y_bus:
            return
        if not os.access(AT_SPI_BUS_LAUNCHER, os.X_OK) or not atspi_python():
            raise Failure("AT-SPI missing: install at-spi2-core and python3-pyatspi")
        self.a11y_bus = subprocess.Popen(
            [AT_SPI_BUS_LAUNCHER, "--launch-immediately"], env=self.env,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, preexec_fn=die_with_parent)
        wait_for(lambda: "org.a11y.Bus" in self.run(
            "dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus",
            "/org/freedesktop/DBus", "org.freedesktop.DBus.ListNames", check_status=False),
            "the accessibility bus")

    def accessible_tree(self, pid):
        """The tree that AT-SPI gives a screen reader for the program with that process."""
        result = subprocess.run([atspi_python(), "-c", ATSPI_READER, str(pid)], env=self.env,
                                capture_output=True, timeout=60)
        if result.returncode != 0:
            raise Failure("reading AT-SPI failed: " + result.stderr.decode(errors="replace"))
        return json.loads(result.stdout)

    def _stop_servers(self):
        for process in (self.clipboard_owner, self.wm, self.a11y_bus, self.session_bus,
                        self.xvfb):
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
        # A busy owner may not answer in time: no answer yet, as from an empty clipboard.
        try:
            result = subprocess.run(["xclip", "-selection", "clipboard", "-o"], env=self.env,
                                    capture_output=True, timeout=10)
        except subprocess.TimeoutExpired:
            return None
        return result.stdout.decode("utf-8") if result.returncode == 0 else None


class Vemo:
    """One run of the program, with its windows as the X server sees them."""

    def __init__(self, desktop, program, extra_env=None):
        self.d = desktop
        self.program = program
        self.log = tempfile.NamedTemporaryFile(dir=desktop.home, prefix="vemo-", suffix=".log")
        self.process = subprocess.Popen([program], env=dict(desktop.env, **(extra_env or {})),
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
        # On a busy machine the menu can open late: its access key must not come before it.
        before = len(self.mapped())
        self.d.keys("alt+g")
        wait_for(lambda: len(self.mapped()) > before, "the menu Guida in Linea")
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


def test_keys_go_line_by_line_through_many_short_lines(d, vemo):
    # Short lines share a paragraph in the pane; the keys still go a line at a time.
    lines = ["riga %d" % n for n in range(1, 401)]
    d.set_clipboard("\n".join(lines))
    d.keys("Tab", "ctrl+v", "ctrl+Home")
    d.keys(*["Down"] * 250)
    d.keys("End")
    d.type("!")
    d.keys("Down", "Home", "BackSpace")    # joins the next line to it
    expected = lines[:250] + ["riga 251!riga 252"] + lines[252:]
    text = vemo.pane_text(1)
    check(text == "\n".join(expected), "lines 249-253: %r" % text.split("\n")[248:253])


def test_triple_click_selects_one_line(d, vemo):
    # The short lines share a paragraph in the pane; a triple click still takes one line.
    d.set_clipboard("uno\ndue\ntre")
    d.keys("Tab", "ctrl+v", "ctrl+Home")
    g = d.geometry(vemo.main)
    d.run("xdotool", "mousemove", str(g["x"] + 16 + 40), str(g["y"] + vemo.menu_height + 72 + 10),
          "click", "--repeat", "3", "--delay", "80", "1")
    d.set_clipboard("\u2063")
    d.keys("ctrl+c")
    line = wait_for(lambda: (lambda t: t if t != "\u2063" else None)(d.get_clipboard()),
                    "the copied line")
    check(line == "uno\n", "a triple click selected %r" % line)


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
    typed = os.path.join(d.home, "copia")
    d.activate(vemo.main)
    d.keys("alt+f", "Right", "d")      # Salva (the first entry), Documento da criptare
    answer("Salva come", typed)
    # A name without an extension gets the one that the load dialogs list.
    check(not os.path.exists(typed), "saved under the name as typed, which *.txt hides")
    with open(typed + ".txt", "rb") as f:
        check(f.read() == original, "the saved file differs from the loaded one")


def test_saving_over_a_file_keeps_its_acl_attributes_and_names(d, vemo):
    target = os.path.join(d.home, "condiviso.txt")
    other = os.path.join(d.home, "altro nome.txt")
    with open(target, "w") as f:
        f.write("vecchio")
    os.link(target, other)
    # user::rw- user:nobody:rw- group::r-- mask::rw- other::r--
    acl = struct.pack("<I" + "HHI" * 5, 2, 1, 6, 0xFFFFFFFF, 2, 6, 65534, 4, 4, 0xFFFFFFFF,
                      0x10, 6, 0xFFFFFFFF, 0x20, 4, 0xFFFFFFFF)
    try:
        os.setxattr(target, "system.posix_acl_access", acl)
        os.setxattr(target, "user.nota", b"x")
    except OSError:
        return                         # no ACLs here: the core's tests say why
    d.keys("Tab")
    d.type("nuovo")
    d.activate(vemo.main)
    d.keys("alt+f", "Right", "d")      # Salva, Documento da criptare
    wait_for(lambda: vemo.window("Salva come"), "the save dialog")
    d.keys("ctrl+a")
    d.type(target)
    d.keys("Return")
    wait_for(lambda: vemo.window("Vemo"), "the question")
    d.keys("alt+s")                    # Sì
    time.sleep(0.3)
    wait_for(lambda: vemo.window("Vemo"), "the message")
    d.keys("Return")
    vemo.expect_mapped(1, "after the message")
    with open(other) as f:
        check(f.read() == "nuovo", "the other name keeps the old text")
    check(os.getxattr(target, "system.posix_acl_access") == acl, "the ACL changed")
    check(os.getxattr(target, "user.nota") == b"x", "the attribute was lost")
    check(sorted(os.listdir(d.home)).count("condiviso.txt") == 1 and
          not [n for n in os.listdir(d.home) if ".vemo-" in n], "left: %r" % os.listdir(d.home))


class OpenedFiles:
    """The names of the files in a folder that anything opens or reads, seen by inotify."""

    def __init__(self, folder):
        self.libc = ctypes.CDLL(None, use_errno=True)
        self.fd = self.libc.inotify_init1(os.O_NONBLOCK | os.O_CLOEXEC)
        self.libc.inotify_add_watch(self.fd, folder.encode(), 0x20 | 0x01)  # IN_OPEN, IN_ACCESS

    def names(self):
        names = set()
        try:
            data = os.read(self.fd, 65536)
        except BlockingIOError:
            data = b""
        os.close(self.fd)
        at = 0
        while at < len(data):
            length = struct.unpack_from("iIII", data, at)[3]
            name = data[at + 16:at + 16 + length].rstrip(b"\0")
            if name:
                names.add(name.decode(errors="replace"))
            at += 16 + length
        return names


def test_open_dialog_reads_no_file_it_lists(d, vemo):
    folder = os.path.join(d.home, "cartella")
    os.mkdir(folder)
    with open(os.path.join(folder, "dati.zzz"), "wb") as f:
        f.write(b"x" * 4096)
    opened = OpenedFiles(folder)
    d.activate(vemo.main)
    d.keys("alt+f", "c", "d")          # Carica, Documento da criptare
    dialog = wait_for(lambda: vemo.window("Apri"), "the open dialog")
    d.type(folder + "/")
    time.sleep(1.5)
    # As root, guessing types from content read /proc/kmsg, which waits for ever.
    d.keys("ctrl+a")
    d.type("/proc/")
    time.sleep(1.5)
    for _ in range(2):                 # the first may close the completer's list
        if vemo.window("Apri"):
            d.activate(dialog)
            d.keys("Escape")
            time.sleep(0.5)
    vemo.expect_mapped(1, "after Escape in the open dialog")
    names = opened.names()
    check("dati.zzz" not in names, "the dialog opened the files it lists: %r" % names)


def test_names_with_markup_are_shown_as_they_are(d, vemo):
    d.keys("Tab")
    d.type("testo")
    heights = []
    for name in ("a" + "x" * 12 + "b.txt", "a<br><br><br>b.txt"):
        path = os.path.join(d.home, name)
        d.activate(vemo.main)
        d.keys("alt+f", "Right", "d")  # Salva, Documento da criptare
        wait_for(lambda: vemo.window("Salva come"), "the save dialog")
        d.keys("ctrl+a")
        d.type(path)
        d.keys("Return")
        heights.append(d.geometry(wait_for(lambda: vemo.window("Vemo"), "the message"))["height"])
        d.keys("Return")
        vemo.expect_mapped(1, "after the message")
        check(os.path.isfile(path), "not saved as " + name)
    # As markup, each <br> would be a line more.
    check(abs(heights[0] - heights[1]) <= 2, "message heights %r" % heights)


def accessible_run(d, vemo):
    """The program started again, with Qt on the accessibility bus."""
    d.start_accessibility()
    d.keys("alt+F4")
    check(vemo.ended(), "the first run did not end")
    return Vemo(d, vemo.program, {"QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1"})


def accessible_windows(d, vemo):
    """The program's visible windows in AT-SPI, by name."""
    return {w["name"]: w for w in d.accessible_tree(vemo.process.pid)["children"]
            if w["showing"]}


def test_screen_reader_names(d, vemo):
    vemo = accessible_run(d, vemo)
    try:
        def windows():
            return accessible_windows(d, vemo)

        def named(window, role, name):
            found = [a for a in accessibles(window) if a["role"] == role and a["name"] == name]
            check(found, "no %s named %r in %r" % (role, name, window["name"]))
            return found[0]

        def all_named(window):
            for a in accessibles(window):
                if a["role"] in ("text", "image", "label", "push button", "menu item",
                                 "frame", "dialog", "check box", "combo box", "list"):
                    check(a["name"].strip(), "an unnamed %s in %r" % (a["role"], window["name"]))

        main = windows()[MAIN_CAPTION]
        check(main["role"] == "frame", "the main window is a " + main["role"])
        for pane, hint in (("Frase", "Inserire il testo da criptare/decriptare"),
                           ("Chiave", "Inserire la chiave per criptare / decriptare il testo")):
            a = named(main, "text", pane)
            check(hint in a["relations"].get("labelled-by", []),
                  "the pane %s is not labelled by its hint: %r" % (pane, a["relations"]))
            check(a["description"] == hint, "the pane %s says %r" % (pane, a["description"]))
        named(main, "image", "Logo di VeMo, Versione 1.00")
        named(main, "push button", "Cripta")
        all_named(main)

        vemo.open_help()
        help_window = wait_for(lambda: windows().get(HELP_CAPTION), "the help window in AT-SPI")
        check(help_window["role"] == "frame", "the help window is a " + help_window["role"])
        named(help_window, "push button", "TORNA AL MENU'")
        named(help_window, "push button", "ESCI DA VEMO")
        all_named(help_window)

        vemo.open_about()
        about = wait_for(lambda: windows().get(ABOUT_CAPTION), "the about box in AT-SPI")
        check(about["role"] == "dialog", "the about box is a " + about["role"])
        all_named(about)
        # Tab from OK lands on the icon, which says what it is.
        d.keys("Tab")
        focused = wait_for(lambda: [a for a in accessibles(windows()[ABOUT_CAPTION])
                                    if a["focused"]], "the focus in the about box")
        check(focused[0]["role"] == "image" and
              focused[0]["name"] == "Icona di Vemo: un lucchetto grigio",
              "Tab lands on %r" % {k: focused[0][k] for k in ("role", "name")})
    finally:
        vemo.stop()


def test_file_chooser_speaks_italian(d, vemo):
    os.makedirs(os.path.join(d.home, "lettere"), exist_ok=True)
    vemo = accessible_run(d, vemo)
    try:
        d.keys("alt+f", "c", "d")      # Carica, Documento da criptare
        wait_for(lambda: vemo.window("Apri"), "the file chooser")
        d.type(d.home)
        d.keys("Return")               # into that folder
        wait_for(lambda: any(a["name"] == "lettere" for a in
                             accessibles(accessible_windows(d, vemo)["Apri"])),
                 "the folder in the chooser's list")
        # The folder's row: name, size, type and date, the date written the Italian way
        # whatever the system's locale (C here).
        names = [a["name"] for a in accessibles(accessible_windows(d, vemo)["Apri"])]
        at = names.index("lettere")
        row = names[at:at + 4]
        check(row[2] == "Cartella" and "Folder" not in names, "the folder's row: %r" % row)
        check(re.fullmatch(r"\d\d/\d\d/\d\d \d\d:\d\d", row[3]), "the folder's date: %r" % row)
        d.keys("Escape")
    finally:
        vemo.stop()


def test_owned_windows_have_no_task_bar_button(d, vemo):
    help_window = vemo.open_help()
    about = vemo.open_about()
    for w, what in ((help_window, "help window"), (about, "about box")):
        wait_for(lambda: "_NET_WM_STATE_SKIP_TASKBAR" in (d.prop(w, "_NET_WM_STATE") or ""),
                 "skip-taskbar on the " + what)
    check("SKIP_TASKBAR" not in (d.prop(vemo.main, "_NET_WM_STATE") or ""),
          "the main window skips the task bar")
    # Hidden by its back button and shown again, the help window still has none.
    d.activate(help_window)
    d.keys("Return")
    vemo.expect_mapped(2, "after TORNA AL MENU'")
    help_window = vemo.open_help()
    wait_for(lambda: "_NET_WM_STATE_SKIP_TASKBAR" in (d.prop(help_window, "_NET_WM_STATE") or ""),
             "skip-taskbar on the help window shown again")


def motif_functions(d, window):
    """The functions of _MOTIF_WM_HINTS (flags, functions, decorations...) when given."""
    value = d.prop(window, "_MOTIF_WM_HINTS")
    fields = [int(v, 0) for v in value.split(",")] if value else []
    return fields[1] if fields and fields[0] & 1 else None


def check_fixed_dialog_frame(d, window, what):
    MINIMIZE, MAXIMIZE = 8, 16
    functions = motif_functions(d, window)
    check(functions is not None and not functions & (MINIMIZE | MAXIMIZE | 1),
          "the %s asks for minimise or maximise: %r" % (what, functions))
    actions = d.prop(window, "_NET_WM_ALLOWED_ACTIONS") or ""
    check("_NET_WM_ACTION_CLOSE" in actions, "the %s cannot close: %s" % (what, actions))
    for action in ("MAXIMIZE_HORZ", "MAXIMIZE_VERT", "RESIZE"):
        check("_NET_WM_ACTION_" + action not in actions,
              "the %s can %s: %s" % (what, action, actions))


def test_boxes_have_no_minimise_or_maximise(d, vemo):
    about = vemo.open_about()
    check_fixed_dialog_frame(d, about, "about box")
    d.keys("Escape")
    vemo.expect_mapped(1, "after the about box")
    vemo.menu("s")                     # Special thanks: a message box
    box = wait_for(lambda: vemo.window("Vemo"), "the message box")
    check_fixed_dialog_frame(d, box, "message box")
    d.keys("Return")
    vemo.expect_mapped(1, "after the message box")


def active_window(d):
    """The window that _NET_ACTIVE_WINDOW names (xfwm4 adds a second, empty one)."""
    found = re.findall(r"0x[0-9a-f]+", d.root_prop("_NET_ACTIVE_WINDOW") or "")
    return int(found[0], 16) if found else None


def test_about_comes_back_minimised_or_covered(d, vemo):
    about = vemo.open_about()
    d.run("xdotool", "windowminimize", str(about), check_status=False)
    time.sleep(0.5)
    check(vemo.open_about() == about, "a new about box")
    wait_for(lambda: d.geometry(about)["mapped"], "the about box shown again")
    wait_for(lambda: active_window(d) == about, "the about box active again")
    check("HIDDEN" not in (d.prop(about, "_NET_WM_STATE") or ""), "the about box is hidden")
    # Covered by the help window, it comes to the top.
    help_window = vemo.open_help()
    stacking = lambda: [w for w in re.findall(r"0x[0-9a-f]+", d.root_prop(
        "_NET_CLIENT_LIST_STACKING") or "")]
    wait_for(lambda: stacking().index(hex(help_window)) > stacking().index(hex(about)),
             "the help window above the about box")
    vemo.open_about()
    wait_for(lambda: stacking().index(hex(about)) > stacking().index(hex(help_window)),
             "the about box above the help window")
    wait_for(lambda: active_window(d) == about, "the about box active")


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
