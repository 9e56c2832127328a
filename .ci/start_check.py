#!/usr/bin/env python3
"""Runs a command that starts Vemo as a person would, on an X server and a window manager of
its own, and checks what they report: the main window appears with its caption, mapped and
managed; closed through the window manager, the program ends with status 0.

Usage: start_check.py [--within SECONDS] -- COMMAND [ARG...]
--within is how long the main window may take to appear (a first start builds the program).
The display is the one in VEMO_XVFB_DISPLAY, else a free one that Xvfb chooses.
"""

import ctypes
import os
import re
import signal
import subprocess
import sys
import tempfile
import time

MAIN_CAPTION = "VeMo V 1.0 By TaReX: La SiCuReZzA pRiMa Di TuTtO"


def die_with_parent():
    ctypes.CDLL(None, use_errno=True).prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG


def output(*command, env):
    result = subprocess.run(command, env=env, capture_output=True, text=True)
    return result.stdout if result.returncode == 0 else ""


def start_display(home):
    read_end, write_end = os.pipe()
    chosen = os.environ.get("VEMO_XVFB_DISPLAY")
    xvfb = subprocess.Popen(
        ["Xvfb"] + ([":" + chosen] if chosen else []) +
        ["-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
        pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
        preexec_fn=die_with_parent)
    os.close(write_end)
    with os.fdopen(read_end, "rb") as pipe:
        number = pipe.readline().strip().decode()
    if not number:
        sys.exit("Xvfb did not start")
    env = dict(os.environ, DISPLAY=":" + number, HOME=home, XDG_RUNTIME_DIR=home)
    env.pop("WAYLAND_DISPLAY", None)
    wm = subprocess.Popen(["openbox", "--sm-disable"], env=env, stdin=subprocess.DEVNULL,
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                          preexec_fn=die_with_parent)
    end = time.monotonic() + 20
    while "window id" not in output("xprop", "-root", "_NET_SUPPORTING_WM_CHECK", env=env):
        if time.monotonic() > end or wm.poll() is not None:
            sys.exit("openbox did not start on :" + number)
        time.sleep(0.1)
    return env, [wm, xvfb]


def main_window(env):
    for window in output("xdotool", "search", "--name", re.escape(MAIN_CAPTION),
                         env=env).split():
        if output("xdotool", "getwindowname", window, env=env).rstrip("\n") == MAIN_CAPTION:
            return window
    return None


def main():
    args = sys.argv[1:]
    within = 60.0
    if args[:1] == ["--within"]:
        within, args = float(args[1]), args[2:]
    if args[:1] == ["--"]:
        args = args[1:]
    if not args:
        sys.exit(__doc__)

    home = tempfile.mkdtemp(prefix="vemo-start-")
    env, servers = start_display(home)
    print("on display %s: %s" % (env["DISPLAY"], " ".join(args)), flush=True)
    started = time.monotonic()
    # A group of its own, so that a build it started ends with it.
    program = subprocess.Popen(args, env=env, stdin=subprocess.DEVNULL, start_new_session=True)
    failure = None
    try:
        window = None
        while window is None:
            if program.poll() is not None:
                raise RuntimeError("ended with status %d before its main window appeared"
                                   % program.returncode)
            if time.monotonic() - started > within:
                raise RuntimeError("no main window captioned %r within %g s"
                                   % (MAIN_CAPTION, within))
            time.sleep(0.2)
            window = main_window(env)
        print("main window after %.1f s" % (time.monotonic() - started), flush=True)
        # Mapped and viewable, and among the windows that the window manager manages.
        end = time.monotonic() + 10
        while "IsViewable" not in output("xwininfo", "-id", window, env=env):
            if time.monotonic() > end:
                raise RuntimeError("the main window is not viewable")
            time.sleep(0.1)
        managed = output("xprop", "-root", "_NET_CLIENT_LIST", env=env)
        if int(window) not in [int(w, 16) for w in re.findall(r"0x[0-9a-f]+", managed)]:
            raise RuntimeError("the window manager does not manage the main window")
        # Closed as the close button does: the window manager asks the program to close it.
        subprocess.run(["wmctrl", "-i", "-c", hex(int(window))], env=env, check=True)
        try:
            status = program.wait(30)
        except subprocess.TimeoutExpired:
            raise RuntimeError("still running 30 s after its main window was closed")
        if status != 0:
            raise RuntimeError("ended with status %d" % status)
        print("closed by the window manager; exit status 0")
    except RuntimeError as error:
        failure = str(error)
    finally:
        if program.poll() is None:
            os.killpg(program.pid, signal.SIGTERM)
            program.wait(10)
        for process in servers:
            process.terminate()
            process.wait(10)
        subprocess.run(["rm", "-rf", home])
    if failure:
        sys.exit("FAILED: %s: %s" % (" ".join(args), failure))


if __name__ == "__main__":
    main()
