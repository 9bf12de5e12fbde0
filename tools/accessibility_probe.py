#!/usr/bin/python3
"""Looks at Kodexa as a screen reader does, through the desktop's accessibility bus (AT-SPI).

Starts the program, waits for its main window, prints the accessible tree of its windows (role,
name, description, states, relations, text) and logs the AT-SPI events a screen reader listens to
(focus, object:state-changed:focused/expanded/showing of notifications, property changes of
names and descriptions, window activation) while it drives the program from the keyboard: into
the grid, a search, two sorts, Ctrl+Enter into the tree, collapsing and expanding a node, the
about box. Keys are sent through AT-SPI's own key synthesis (the registry daemon uses the X
server's XTEST extension), so nothing beyond at-spi2-core is needed.

Run it through tools/accessibility_probe.sh, which provides the X server, a private session bus
and the accessibility bus; on its own it needs all three. Needs Debian's python3-pyatspi (use
/usr/bin/python3, not another interpreter without the gi bindings).

    accessibility_probe.py PROGRAM [--log FILE]
    accessibility_probe.py --run-orca DEBUG_LOG     (Orca as the shell script runs it)
"""

import argparse
import os
import subprocess
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
import pyatspi  # noqa: E402
from gi.repository import GLib  # noqa: E402

KEYSYMS = {
    "Tab": 0xFF09,
    "Return": 0xFF0D,
    "Escape": 0xFF1B,
    "Left": 0xFF51,
    "Up": 0xFF52,
    "Right": 0xFF53,
    "Down": 0xFF54,
    "Home": 0xFF50,
    "End": 0xFF57,
    "b": 0x62,
    "c": 0x63,
    "Udiaeresis": 0xDC,
    "t": 0x74,
    "space": 0x20,
    "Insert": 0xFF63,
}
MODIFIER_MASKS = {"shift": 1, "ctrl": 4, "alt": 8}
# Containers whose children are rows: only the first few are printed.
ROW_CONTAINERS = {"table", "tree table", "tree", "list"}
ROWS_SHOWN = 6
MAIN_WINDOW_TITLE = "Suche in den CPV-Codes 2007"

started = time.monotonic()
outputs = [sys.stdout]


def say(line=""):
    for output in outputs:
        output.write(line + "\n")
        output.flush()


def stamp():
    return "%6.2fs" % (time.monotonic() - started)


# ---- What an object says ----------------------------------------------------------------------


def short_states(obj):
    try:
        states = obj.getState().getStates()
    except Exception:  # the object went away
        return "?"
    names = sorted(pyatspi.stateToString(s) for s in states)
    interesting = [n for n in names if n not in ("enabled", "sensitive", "visible", "showing")]
    if "showing" not in names:
        interesting.append("NOT-showing")
    return ",".join(interesting)


def relations_of(obj):
    parts = []
    try:
        for relation in obj.getRelationSet():
            kind = pyatspi.relationToString(relation.getRelationType())
            for i in range(relation.getNTargets()):
                target = relation.getTarget(i)
                parts.append("%s->%s %r" % (kind, target.getRoleName(), target.name))
    except Exception:
        pass
    return parts


def text_of(obj):
    try:
        text = obj.queryText()
    except NotImplementedError:
        return None
    except Exception:
        return None
    try:
        return text.getText(0, -1)
    except Exception:
        return None


def describe(obj):
    try:
        line = "[%s] %r" % (obj.getRoleName(), obj.name)
        if obj.description:
            line += " desc=%r" % obj.description
        line += " {%s}" % short_states(obj)
        relations = relations_of(obj)
        if relations:
            line += " " + "; ".join(relations)
        text = text_of(obj)
        if text:
            line += " text=%r" % (text if len(text) < 200 else text[:200] + "...")
        return line
    except Exception as error:
        return "<gone: %s>" % error


def dump(obj, depth=0, max_depth=14):
    say("  " * depth + describe(obj))
    if depth >= max_depth:
        return
    try:
        count = obj.childCount
        role = obj.getRoleName()
    except Exception:
        return
    limit = ROWS_SHOWN if role in ROW_CONTAINERS else count
    for i in range(min(count, limit)):
        try:
            child = obj.getChildAtIndex(i)
        except Exception:
            child = None
        if child is None:
            say("  " * (depth + 1) + "<null child %d>" % i)
            continue
        dump(child, depth + 1, max_depth)
    if count > limit:
        say("  " * (depth + 1) + "... %d more children" % (count - limit))


# ---- Events -----------------------------------------------------------------------------------

LOGGED_EVENTS = [
    "focus:",
    "object:state-changed:focused",
    "object:state-changed:showing",
    "object:state-changed:expanded",
    "object:state-changed:collapsed",
    "object:state-changed:checked",
    "object:state-changed:selected",
    "object:property-change:accessible-name",
    "object:property-change:accessible-description",
    "window:activate",
]


# The object last reported focused: where a screen reader believes the user is.
last_focused = None


def on_event(event):
    global last_focused
    source = event.source
    if event.type.startswith("focus:") or (event.type.startswith("object:state-changed:focused") and event.detail1):
        last_focused = source
    try:
        role = source.getRoleName()
    except Exception:
        role = "?"
    # Everything that shows or hides makes a lot of noise; a screen reader speaks notifications.
    if event.type.startswith("object:state-changed:showing") and role != "notification":
        return
    if event.type.startswith("object:state-changed:focused") and not event.detail1:
        return
    say("%s EVENT %s(%s) %s" % (stamp(), event.type, event.detail1, describe(source)))


# ---- Driving the program ----------------------------------------------------------------------


def key(name, *modifiers):
    mask = 0
    for modifier in modifiers:
        mask |= MODIFIER_MASKS[modifier]
    if mask:
        pyatspi.Registry.generateKeyboardEvent(mask, None, pyatspi.KEY_LOCKMODIFIERS)
    pyatspi.Registry.generateKeyboardEvent(KEYSYMS[name], None, pyatspi.KEY_SYM)
    if mask:
        pyatspi.Registry.generateKeyboardEvent(mask, None, pyatspi.KEY_UNLOCKMODIFIERS)


def type_text(text):
    pyatspi.Registry.generateKeyboardEvent(0, text, pyatspi.KEY_STRING)


def find_app(name):
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and app.name == name:
            return app
    return None


def find(root, predicate, max_depth=8):
    if root is None:
        return None
    try:
        if predicate(root):
            return root
        if max_depth == 0 or root.getRoleName() in ROW_CONTAINERS:
            return None
        for i in range(root.childCount):
            found = find(root.getChildAtIndex(i), predicate, max_depth - 1)
            if found is not None:
                return found
    except Exception:
        return None
    return None


def windows_of(app):
    result = []
    for i in range(app.childCount):
        window = app.getChildAtIndex(i)
        if window is not None:
            result.append(window)
    return result


class Scenario:
    def __init__(self, program, app_name):
        self.program = program
        self.app_name = app_name
        self.process = None
        self.app = None
        self.steps = []
        self.failed = False

    def add(self, title, action, wait_ms=800):
        self.steps.append((title, action, wait_ms))

    def start(self):
        env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb")
        self.process = subprocess.Popen([self.program], env=env)
        self.waited = 0
        GLib.timeout_add(250, self.wait_for_window)

    def wait_for_window(self):
        self.waited += 250
        if self.process.poll() is not None:
            say("The program ended early with status %s" % self.process.returncode)
            self.failed = True
            self.finish()
            return False
        self.app = find_app(self.app_name)
        main = None
        if self.app is not None:
            main = find(self.app, lambda o: o.getRoleName() == "frame" and o.name == MAIN_WINDOW_TITLE, 1)
        if main is None or not main.getState().contains(pyatspi.STATE_ACTIVE):
            if self.waited > 30000:
                say("The main window did not come up within 30 s; the desktop holds:")
                desktop = pyatspi.Registry.getDesktop(0)
                for i in range(desktop.childCount):
                    app = desktop.getChildAtIndex(i)
                    if app is not None:
                        say("  " + describe(app))
                        for window in windows_of(app):
                            say("    " + describe(window))
                self.failed = True
                self.finish()
                return False
            return True
        say("%s main window is up" % stamp())
        GLib.timeout_add(1000, self.run_step, 0)
        return False

    def run_step(self, index):
        if index >= len(self.steps):
            self.finish()
            return False
        title, action, wait_ms = self.steps[index]
        say("")
        say("%s ---- %s" % (stamp(), title))
        try:
            action(self)
        except Exception as error:
            say("step failed: %s" % error)
            self.failed = True
        GLib.timeout_add(wait_ms, self.run_step, index + 1)
        return False

    def finish(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                self.process.kill()
        pyatspi.Registry.stop()


def dump_windows(scenario):
    for window in windows_of(scenario.app):
        say("")
        dump(window)


def dump_focus(scenario):
    say("focus now: " + (describe(last_focused) if last_focused is not None else "none"))


def dump_tree_view(scenario):
    tree = None
    for window in windows_of(scenario.app):
        tree = find(window, lambda o: o.getRoleName() == "tree", 12)
        if tree is not None:
            break
    if tree is None:
        say("no tree found")
        return
    say(describe(tree) + " with %d children" % tree.childCount)
    for i in range(tree.childCount):
        node = tree.getChildAtIndex(i)
        if node is None:
            say("  <null child %d>" % i)
            continue
        states = node.getState()
        if i < 4 or states.contains(pyatspi.STATE_FOCUSED) or states.contains(pyatspi.STATE_SELECTED):
            say("  %d: %s" % (i, describe(node)))


def build_scenario(program):
    s = Scenario(program, "Kodexa")
    s.add("main window at start (focus on the tab strip)", lambda sc: (dump_windows(sc), dump_focus(sc)))
    s.add("Right on the tab strip: the tree page", lambda sc: key("Right"), 2500)
    s.add("Left: back to the table page", lambda sc: key("Left"), 1200)
    s.add("Tab into the grid", lambda sc: key("Tab"), 1200)
    s.add("where am I", dump_focus, 100)
    s.add("Down in the grid", lambda sc: key("Down"))
    s.add("Tab to 'Code beginnend mit', type 03, Enter", lambda sc: (key("Tab"), type_text("03"), key("Return")), 2000)
    s.add("Ctrl+Left in the filled input", lambda sc: key("Left", "ctrl"), 1200)
    s.add("Ctrl+Right", lambda sc: key("Right", "ctrl"), 1200)
    s.add("Home", lambda sc: key("Home"), 1200)
    s.add("End", lambda sc: key("End"), 1200)
    s.add("Tab, then Shift+Tab: the focus enters the filled input", lambda sc: (key("Tab"), key("Tab", "shift")), 1500)
    s.add("Alt+B: sort by description", lambda sc: key("b", "alt"), 2000)
    s.add("Alt+C: sort by code", lambda sc: key("c", "alt"), 2000)
    s.add("Shift+Tab four times, back into the grid",
          lambda sc: [key("Tab", "shift") for _ in range(4)], 1500)
    s.add("where am I", dump_focus, 100)
    s.add("Ctrl+Enter: the row's code in the tree", lambda sc: key("Return", "ctrl"), 2500)
    s.add("the tree", lambda sc: (dump_tree_view(sc), dump_focus(sc)), 100)
    s.add("Left: collapse the node", lambda sc: key("Left"), 1200)
    s.add("Right: expand it again", lambda sc: key("Right"), 1200)
    s.add("Down: its first child", lambda sc: key("Down"), 1200)
    s.add("where am I", dump_focus, 100)
    # Not through the menu item's AT-SPI action: the toolkit answers it only once the modal box
    # has closed again.
    s.add("Alt+Ü: the about box", lambda sc: key("Udiaeresis", "alt"), 2000)
    s.add("the about box", dump_windows, 100)
    s.add("Escape closes it", lambda sc: key("Escape"), 1200)
    # The keyword search and the Merkliste, as a buyer goes through them.
    s.add("Ctrl+Tab: the page 'Stichwortsuche'", lambda sc: key("Tab", "ctrl"), 2000)
    s.add("Alt+T: into 'Stichwörter'", lambda sc: key("t", "alt"), 1500)
    s.add("type 'reinigung schule'", lambda sc: [(type_text(c), time.sleep(0.15)) for c in "reinigung schule"], 2500)
    s.add("Left in the input", lambda sc: key("Left"), 1200)
    s.add("Ctrl+Left in the input", lambda sc: key("Left", "ctrl"), 1200)
    s.add("Down: into the results", lambda sc: key("Down"), 1500)
    s.add("Down: the next result", lambda sc: key("Down"), 1200)
    s.add("Insert: onto the Merkliste", lambda sc: key("Insert"), 2000)
    s.add("Up twice: back into the input", lambda sc: (key("Up"), key("Up")), 1500)
    s.add("Ctrl+Tab: the page 'Merkliste'", lambda sc: key("Tab", "ctrl"), 2000)
    s.add("Tab: into the list", lambda sc: key("Tab"), 1500)
    s.add("where am I", dump_focus, 100)
    s.add("Tab: to 'Als Hauptgegenstand'", lambda sc: key("Tab"), 1200)
    s.add("Space on it", lambda sc: key("space"), 1500)
    s.add("where am I", dump_focus, 100)
    return s


def run_orca(debug_log):
    """Runs Orca with speech and braille off and its debug log written line by line, so that the
    log keeps what Orca would have said even when Orca is ended by a signal."""
    real_open = open

    def line_buffered_open(file, mode="r", *args, **kwargs):
        if file == debug_log and "b" not in mode:
            kwargs["buffering"] = 1
        return real_open(file, mode, *args, **kwargs)

    import builtins
    import runpy

    builtins.open = line_buffered_open
    sys.argv = ["orca", "--replace", "--disable", "speech", "--disable", "braille", "--debug-file", debug_log]
    runpy.run_path("/usr/bin/orca", run_name="__main__")


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--run-orca":
        run_orca(sys.argv[2])
        return 0
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("program", help="the Kodexa executable")
    parser.add_argument("--log", help="also write the output to this file")
    args = parser.parse_args()
    if args.log:
        outputs.append(open(args.log, "w", encoding="utf-8"))

    if not os.environ.get("DISPLAY"):
        sys.exit("accessibility_probe.py: no X display (run it through tools/accessibility_probe.sh)")
    scenario = build_scenario(args.program)
    pyatspi.Registry.registerEventListener(on_event, *LOGGED_EVENTS)
    scenario.start()
    pyatspi.Registry.start()
    return 1 if scenario.failed else 0


if __name__ == "__main__":
    sys.exit(main())
