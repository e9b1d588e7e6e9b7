#!/usr/bin/python3
"""The program starts at once on a desktop whose accessibility bus is
frozen: its accessibility switched on, the bus launcher answering on the
session bus, but the bus's own daemon stopped (SIGSTOP), so that it takes
connections and never answers them.

    startup_frozen_bus.py VELMORA

Each start must show the main window within 1.5 s, with or without
--screen-reader=off, and a second start just as fast; the window must then
follow its page (its title changes as the page loads), not wait on the bus;
and a second instance, which hands over to the first and ends, must end as
fast (a question left to the frozen bus must not hold up the program's end).

Exits 77 (skipped) where the machine cannot run the bus: no Xvfb, no
session bus, no xdotool, no at-spi2-core.
"""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

from screenreader_bus import LAUNCHER, fail, set_bus_flag, skip, wait_for

LIMIT = 1.5
# Qt's accessibility bridge, let loose on the frozen bus, holds the program
# 25 s at a time, before its window shows or after.
FOLLOW = 10
TITLE = "NORVALE system"

# name, the bus flag that is on, the program's arguments
CASES = [
    ("accessibility on", "IsEnabled", []),
    ("accessibility on, --screen-reader=off", "IsEnabled", ["--screen-reader=off"]),
    ("accessibility on, started again", "IsEnabled", []),
    ("screen reader's flag", "ScreenReaderEnabled", []),
]


def outside(velmora):
    """Checks what the test needs, then runs itself on a virtual screen and
    a private session bus, in a home of its own."""
    for tool in ("xvfb-run", "dbus-run-session", "xdotool"):
        if not shutil.which(tool):
            skip(f"{tool} is not installed")
    if not os.access(LAUNCHER, os.X_OK):
        skip("at-spi2-core is not installed (no at-spi-bus-launcher)")
    with tempfile.TemporaryDirectory(prefix="velmora-frozen-") as home:
        env = {key: value for key, value in os.environ.items() if not key.startswith("XDG_")}
        env.update(HOME=home, XDG_RUNTIME_DIR=os.path.join(home, "run"))
        os.mkdir(env["XDG_RUNTIME_DIR"], 0o700)
        # The screen keeps the bus's address the launcher puts on it, as an
        # X desktop does; Qt reads it there as its first window is made.
        return subprocess.run(["xvfb-run", "-a", "-s", "-screen 0 1024x768x24 -noreset", "dbus-run-session", "--",
                               sys.executable, __file__, "--inside", velmora], env=env).returncode


def bus_daemon(launcher):
    """The accessibility bus's daemon: the launcher's child."""
    for entry in os.listdir("/proc"):
        try:
            with open(f"/proc/{entry}/stat") as stat:
                command, fields = stat.read().split("(", 1)[1].rsplit(")", 1)
        except (OSError, ValueError):
            continue
        if command == "dbus-daemon" and int(fields.split()[1]) == launcher.pid:
            return int(entry)
    return None


def window_of(process):
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(process.pid), "--name", TITLE],
                           capture_output=True, text=True).stdout.split()
    return found[0] if found else None


def title(window):
    return subprocess.run(["xdotool", "getwindowname", window], capture_output=True, text=True).stdout.strip()


def launch(velmora, arguments, env):
    return subprocess.Popen([velmora, "--no-sandbox", *arguments], env=env,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def check(name, velmora, arguments, env):
    began = time.monotonic()
    first = launch(velmora, arguments, env)
    try:
        window = wait_for(lambda: first.poll() is None and window_of(first), 4 * LIMIT, 0.05)
        shown = time.monotonic() - began
        if first.poll() is not None:
            fail(f"{name}: the program ended with status {first.returncode} before its window came")
        if not window or shown > LIMIT:
            fail(f"{name}: no main window {LIMIT} s after the start"
                 + (f" (it came after {shown:.2f} s)" if window else ""))
        shown_as = title(window)
        if not wait_for(lambda: title(window) not in ("", shown_as), FOLLOW):
            fail(f"{name}: the window did not follow its page for {FOLLOW} s: still {shown_as!r}")

        began = time.monotonic()
        second = launch(velmora, arguments, env)
        try:
            status = second.wait(4 * LIMIT)
        except subprocess.TimeoutExpired:
            second.kill()
            status = second.wait()
        ended = time.monotonic() - began
        if status != 0 or ended > LIMIT:
            fail(f"{name}: a second instance ended after {ended:.2f} s with status {status}")
        print(f"{name}: window in {shown:.2f} s; a second instance ended in {ended:.2f} s", flush=True)
    finally:
        first.terminate()
        first.wait(20)


def inside(velmora):
    launcher = subprocess.Popen([LAUNCHER, "--launch-immediately"], stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)
    daemon = None
    try:
        if not wait_for(lambda: set_bus_flag("IsEnabled", True), 10):
            skip("the accessibility bus did not start")
        daemon = wait_for(lambda: bus_daemon(launcher), 10)
        if not daemon:
            skip("the accessibility bus has no daemon of its own")
        os.kill(daemon, signal.SIGSTOP)
        # Nothing of the engine's leaves the machine.
        env = dict(os.environ, QT_QPA_PLATFORM="xcb", QTWEBENGINE_CHROMIUM_FLAGS="--proxy-server=http://127.0.0.1:9")
        env.pop("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY", None)
        for name, flag, arguments in CASES:
            for each in ("IsEnabled", "ScreenReaderEnabled"):
                set_bus_flag(each, each == flag)
            check(name, velmora, arguments, env)
    finally:
        if daemon:
            os.kill(daemon, signal.SIGKILL)
        launcher.terminate()
        launcher.wait(10)
    print("PASS", flush=True)


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "--inside":
        inside(sys.argv[2])
    elif len(sys.argv) == 2:
        sys.exit(outside(sys.argv[1]))
    else:
        print(__doc__)
        sys.exit(2)
