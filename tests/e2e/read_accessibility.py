"""Waits until the running applications called NAME, read through AT-SPI, says every EXPECTED line, then
prints what it read: each text field a line with its name, description and text, tab-separated,
and each list item (the ROIs of the measuring window) a line with its name.
Reads again every 50 ms and gives up after 10 s, naming what it did not hear."""
import sys
import time

import pyatspi

SECONDS = 10


def walk(node):
    yield node
    for child in node:
        if child is not None:
            yield from walk(child)


def applications(name, deadline):
    while time.monotonic() < deadline:
        apps = [app for app in pyatspi.Registry.getDesktop(0) if app is not None and app.name == name]
        if apps:
            return apps
        time.sleep(0.05)
    sys.exit(f"no application '{name}' on the accessibility bus within {SECONDS} s")


def fields(app):
    heard = []
    for node in walk(app):
        if node.getRole() == pyatspi.ROLE_TEXT:
            heard.append(f"{node.name}\t{node.description}\t{node.queryText().getText(0, -1)}")
        elif node.getRole() == pyatspi.ROLE_LIST_ITEM:
            heard.append(node.name)
    return heard


deadline = time.monotonic() + SECONDS
expected = sys.argv[2:]
while True:
    heard = [line for app in applications(sys.argv[1], deadline) for line in fields(app)]
    missing = [line for line in expected if line not in heard]
    if not missing:
        break
    if time.monotonic() >= deadline:
        sys.exit("not heard within {} s: {}; heard:{}".format(
            SECONDS, ", ".join(f"'{line}'" for line in missing),
            "".join(f"\n  {line}" for line in heard)))
    time.sleep(0.05)
print("\n".join(heard))
