"""Prints every text field of the running application NAME as read through AT-SPI, a line each:
name, description and text, tab-separated. Waits up to 10 s for the application to appear."""
import sys
import time

import pyatspi


def walk(node):
    yield node
    for child in node:
        if child is not None:
            yield from walk(child)


def application(name):
    deadline = time.time() + 10
    while time.time() < deadline:
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == name:
                return app
        time.sleep(0.1)
    sys.exit(f"no application '{name}' on the accessibility bus")


for node in walk(application(sys.argv[1])):
    if node.getRole() == pyatspi.ROLE_TEXT:
        text = node.queryText().getText(0, -1)
        print(f"{node.name}\t{node.description}\t{text}")
