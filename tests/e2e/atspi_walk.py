#!/usr/bin/python3
# The real program in an X server with a session bus and the accessibility bus, read as
# a screen reader reads it (pyatspi): no shown control of the main window is nameless,
# the calendar is a table whose selected cell names today's date, an arrow key in the
# calendar moves the selection and the focus to the next day's cell (and says so in
# events) while the keyboard focus stays there, and at 200 % on 1280 x 1024 the window
# starts wholly on the screen.
#
# Usage: atspi_walk.py <program>. Exits 77 (skipped) when the buses cannot be had.

import datetime
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SKIPPED = 77
BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
TITLE = "The Korvo Group 2009 e-Calendar"


def skip(reason):
    print("SKIP: " + reason)
    sys.exit(SKIPPED)


def spoken(day):
    return "%s %d %s %d" % (day.strftime("%A"), day.day, day.strftime("%B"), day.year)


def outer():
    """Runs this script again inside a private session bus."""
    for tool in ("Xvfb", "xdpyinfo", "dbus-run-session", "dbus-send", "xdotool"):
        if not shutil.which(tool):
            skip(tool + " is not installed")
    if not os.path.exists(BUS_LAUNCHER):
        skip("at-spi2-core is not installed")
    env = dict(os.environ, VISTELLE_ATSPI_INNER="1")
    return subprocess.call(["dbus-run-session", "--", sys.executable] + sys.argv, env=env)


class Session:
    def __init__(self, program, size="1280x1024"):
        self.program = program
        self.processes = []
        self.folder = tempfile.mkdtemp(prefix="vistelle-atspi-")
        for _ in range(3):
            number = self.start_server(size)
            if number is not None:
                break
        else:
            skip("Xvfb did not start")
        self.display = ":" + number
        os.environ["DISPLAY"] = self.display

    def start_server(self, size):
        """Starts Xvfb on a display it picks; its number once a client can connect."""
        read, write = os.pipe()
        server = self.start(["Xvfb", "-displayfd", str(write), "-screen", "0", size + "x24", "-nolisten", "tcp"],
                            pass_fds=(write,))
        os.close(write)
        number = b""
        while not number.endswith(b"\n"):
            chunk = os.read(read, 16)
            if not chunk:
                break
            number += chunk
        os.close(read)
        number = number.decode().strip()
        probe = ["xdpyinfo", "-display", ":" + number]
        for _ in range(50):
            if number and subprocess.call(probe, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL) == 0:
                return number
            if server.poll() is not None:
                break
            time.sleep(0.1)
        server.kill()
        return None

    def start(self, args, log=subprocess.DEVNULL, **kw):
        p = subprocess.Popen(args, stdout=log, stderr=log, **kw)
        self.processes.append(p)
        return p

    def run_program(self, extra_env):
        work = tempfile.mkdtemp(dir=self.folder)
        home = tempfile.mkdtemp(dir=self.folder)
        env = dict(os.environ, HOME=home, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                   TZ="UTC", LC_ALL="C.UTF-8", **extra_env)
        self.log = os.path.join(self.folder, "program.log")
        with open(self.log, "ab") as log:
            return self.start([self.program], log=log, cwd=work, env=env)

    def program_output(self):
        with open(self.log, errors="replace") as f:
            return f.read()[-2000:]

    def end(self):
        for p in reversed(self.processes):
            if p.poll() is None:
                p.send_signal(signal.SIGTERM)
                try:
                    p.wait(20)
                except subprocess.TimeoutExpired:
                    p.kill()
        shutil.rmtree(self.folder, ignore_errors=True)


def main_frame(pyatspi, timeout=60):
    from gi.repository import GLib
    deadline = time.time() + timeout
    while time.time() < deadline:
        # The list of applications is kept up to date by events: let them in, and ask anew.
        while GLib.MainContext.default().iteration(False):
            pass
        try:
            desktop = pyatspi.Registry.getDesktop(0)
            desktop.clear_cache()
            for app in desktop:
                if app is None or app.name != "vistelle":
                    continue
                for window in app:
                    if window is not None and window.name.startswith(TITLE):
                        return window
        except Exception:
            pass
        time.sleep(0.25)
    return None


CONTROL_ROLES = {"push button", "toggle button", "check box", "radio button", "text", "entry", "image", "link",
                 "table", "label", "table cell", "column header", "panel"}


def showing(pyatspi, node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


def nameless(pyatspi, node, found):
    if not showing(pyatspi, node):
        return
    role = node.getRoleName()
    if role in CONTROL_ROLES and not node.name.strip():
        selectable = node.getState().contains(pyatspi.STATE_SELECTABLE)
        if role != "table cell" or selectable:
            found.append("%s (%s)" % (role, node.description or "no description"))
    for child in node:
        if child is not None:
            nameless(pyatspi, child, found)


def find(node, role, name):
    if node.getRoleName() == role and node.name == name:
        return node
    for child in node:
        if child is None:
            continue
        hit = find(child, role, name)
        if hit is not None:
            return hit
    return None


def selected_cells(pyatspi, table):
    return [c for c in table if c is not None and c.getState().contains(pyatspi.STATE_SELECTED)]


def wait_for_accessibility_bus(timeout=20):
    ask = ["dbus-send", "--session", "--dest=org.a11y.Bus", "--print-reply", "/org/a11y/bus", "org.a11y.Bus.GetAddress"]
    deadline = time.time() + timeout
    while time.time() < deadline:
        if subprocess.call(ask, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL) == 0:
            return True
        time.sleep(0.2)
    return False


def inner(program):
    failures = []
    session = Session(program)
    try:
        session.start([BUS_LAUNCHER, "--launch-immediately"])
        if not wait_for_accessibility_bus():
            skip("the accessibility bus did not start")
        try:
            # Imported once the bus is there: the library connects to it on import.
            import pyatspi
            from gi.repository import GLib
        except ImportError:
            skip("python3-pyatspi is not installed")
        session.run_program({})
        frame = main_frame(pyatspi)
        if frame is None:
            skip("the program did not appear on the accessibility bus; its output:\n" + session.program_output())
        time.sleep(1.0)  # the first activation has loaded the editor

        found = []
        nameless(pyatspi, frame, found)
        if found:
            failures.append("nameless controls: " + ", ".join(found))

        table = find(frame, "table", "Calendar")
        if table is None:
            failures.append("no calendar table")
            return failures
        t = table.queryTable()
        if (t.nRows, t.nColumns) != (7, 7):
            failures.append("table of %d x %d" % (t.nRows, t.nColumns))
        today = datetime.date.today()
        cells = selected_cells(pyatspi, table)
        if [c.name for c in cells] != [spoken(today)]:
            failures.append("selected cells %s, wanted %s" % ([c.name for c in cells], spoken(today)))

        # One week on, or back when the month has no day a week later.
        step = 7 if (today + datetime.timedelta(days=7)).month == today.month else -7
        target = today + datetime.timedelta(days=step)
        heard = []

        def listen(event):
            try:
                heard.append((event.type, event.detail1, event.source.name if event.source else ""))
            except Exception:
                pass

        kinds = ["object:state-changed:selected", "object:state-changed:focused", "focus:",
                 "object:property-change:accessible-name"]
        pyatspi.Registry.registerEventListener(listen, *kinds)

        def act():
            table.queryComponent().grabFocus()
            time.sleep(0.5)
            subprocess.call(["xdotool", "key", "Down" if step > 0 else "Up"])
            time.sleep(0.5)
            subprocess.call(["xdotool", "key", "ctrl+Next"])
            return False

        GLib.timeout_add(200, act)
        GLib.timeout_add(4000, lambda: pyatspi.Registry.stop() or False)
        pyatspi.Registry.start()
        pyatspi.Registry.deregisterEventListener(listen, *kinds)

        next_day = target + datetime.timedelta(days=1)
        cells = selected_cells(pyatspi, table)
        wanted = spoken(next_day) if next_day.month == target.month else None
        if wanted and [c.name for c in cells] != [wanted]:
            failures.append("after the keys the selected cells are %s, wanted %s" % ([c.name for c in cells], wanted))
        if cells and not cells[0].getState().contains(pyatspi.STATE_FOCUSED):
            failures.append("the selected cell has not the focus: the focus left the calendar")
        if ("object:state-changed:selected", 1, spoken(target)) not in heard:
            failures.append("no selected-state event for %s; heard %s" % (spoken(target), heard))
        if not any(kind in ("focus:", "object:state-changed:focused") and name == spoken(target)
                   for kind, _, name in heard):
            failures.append("no focus event for %s; heard %s" % (spoken(target), heard))
        if not any(kind == "object:property-change:accessible-name" and name == "Entry for " + spoken(target)
                   for kind, _, name in heard):
            failures.append("the day editor's name did not follow the date; heard %s" % heard)
        # At 200 % on 1280 x 1024 the window starts wholly on the screen.
        session.processes[-1].send_signal(signal.SIGTERM)
        session.processes[-1].wait(30)
        session.run_program({"QT_SCALE_FACTOR": "2"})
        time.sleep(1.0)
        frame = main_frame(pyatspi)
        if frame is None:
            failures.append("no main window at 200 %")
        else:
            time.sleep(1.5)
            box = frame.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
            if box.x < 0 or box.y < 0 or box.x + box.width > 1280 or box.y + box.height > 1024:
                failures.append("at 200 %% the window lies at %d,%d %dx%d" % (box.x, box.y, box.width, box.height))
    finally:
        session.end()
    return failures


if __name__ == "__main__":
    if len(sys.argv) != 2:
        print("usage: atspi_walk.py <program>")
        sys.exit(2)
    if not os.environ.get("VISTELLE_ATSPI_INNER"):
        sys.exit(outer())
    problems = inner(os.path.abspath(sys.argv[1]))
    for p in problems:
        print("FAIL: " + p)
    print("PASS" if not problems else "%d failure(s)" % len(problems))
    sys.exit(1 if problems else 0)
