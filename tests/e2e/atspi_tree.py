#!/usr/bin/python3
# Prints what a screen reader finds of one program through AT-SPI: a line per object, indented
# by depth, "role | name | readable text" (the text interface's first 60 characters, where it
# has one). The program is found by its process id; waits up to 20 s until it shows up.
# With "--focus COMMAND... --then NEXT...": runs COMMAND and prints "role | name" of each object
# that takes the focus; NEXT runs once a menu item has, and it ends when a second one has (a menu
# is in no tree: a reader hears of its items as they take the focus), or after 10 s.
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

pid = int(sys.argv[1])


def find_app():
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        try:
            if app is not None and app.get_process_id() == pid:
                return app
        except Exception:
            pass
    return None


def text_of(node):
    try:
        text = node.queryText()
    except NotImplementedError:
        return None
    return text.getText(0, min(text.characterCount, 60))


def walk(node, depth, out):
    if depth > 12 or len(out) > 2000:
        return
    try:
        role = node.getRoleName()
        name = node.name or ""
    except Exception as error:
        out.append("  " * depth + "<gone: %s>" % error)
        return
    line = "%s%s | %s" % ("  " * depth, role, name.replace("\t", "\\t"))
    readable = text_of(node)
    if readable is not None:
        line += " | text=%r" % readable
    out.append(line)
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            walk(child, depth + 1, out)


deadline = time.monotonic() + 20
app = find_app()
while app is None and time.monotonic() < deadline:
    time.sleep(0.2)
    app = find_app()
if app is None:
    sys.exit("no accessible application with process id %d" % pid)
if len(sys.argv) > 2 and sys.argv[2] == "--focus":
    words = sys.argv[3:]
    then = words.index("--then")
    command, next_command = words[:then], words[then + 1 :]
    seen = []

    def focused(event):
        if not event.detail1:
            return
        try:
            role = event.source.getRoleName()
            seen.append("%s | %s" % (role, (event.source.name or "").replace("\t", "\\t")))
        except Exception as error:
            seen.append("<gone: %s>" % error)
            return
        items = sum(line.startswith("menu item") for line in seen)
        if role == "menu item" and items == 1:
            subprocess.Popen(next_command)
        elif items >= 2:
            pyatspi.Registry.stop()

    pyatspi.Registry.registerEventListener(focused, "object:state-changed:focused")
    GLib.idle_add(lambda: subprocess.Popen(command) and False)
    GLib.timeout_add(10000, lambda: pyatspi.Registry.stop() or False)
    pyatspi.Registry.start()
    print("\n".join(seen))
    sys.exit(0)
lines = []
walk(app, 0, lines)
print("\n".join(lines))
