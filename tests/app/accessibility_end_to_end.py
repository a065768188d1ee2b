#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The player's window as a screen reader reads it through AT-SPI, driven by the keys
alone (run by accessibility_end_to_end.sh, with the player started on the demo disc):
  1. every button is named in words and described; the status lines are said in words;
     the mode is the time display's description;
  2. Tab reaches Play and Space starts the disc, the time display's name following it;
     Tab on to Pause and Space pauses it;
  3. the mode is announced once for each change while the name runs with the position.
Prints the tree it read (role "name" [description]) before and after.
"""
import re
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

DEADLINE_SECONDS = 60  # generous: the sanitizer build starts slowly
TITLE = "Lyrabox  Version 1.00"
WORDS = re.compile(r"[A-Z][a-z]+( ([a-z]+|&|[A-Z][a-z]+))*")


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


events = []


def wait_for(what, predicate):
    """Runs the event loop until predicate() gives something true; fails after the
    deadline."""
    context = GLib.MainContext.default()
    deadline = time.monotonic() + DEADLINE_SECONDS
    while time.monotonic() < deadline:
        try:
            value = predicate()
        except GLib.Error:  # the window is not there yet
            value = None
        if value:
            return value
        while context.pending():
            context.iteration(False)
        time.sleep(0.05)
    fail("gave up waiting for " + what)


def find_frame():
    for app in pyatspi.Registry.getDesktop(0):
        for child in app or []:
            if child is not None and child.name == TITLE:
                return child
    return None


def nodes(root):
    yield root
    for child in root:
        if child is not None:
            yield from nodes(child)


def tree(root, depth=0):
    line = "  " * depth + f'{root.getRoleName()} "{root.name}"'
    if root.description:
        line += f" [{root.description}]"
    return "\n".join([line] + [tree(c, depth + 1) for c in root if c is not None])


def key(name):
    subprocess.run(["xdotool", "key", name], check=True)


frame = wait_for("the window on the accessibility bus", find_frame)
display = wait_for("the time display", lambda: next(
    (n for n in nodes(frame) if n.getRole() == pyatspi.ROLE_TEXT), None))
wait_for('the disc on the time display ("Track 1, 0 seconds")',
         lambda: display.name == "Track 1, 0 seconds")
print("Before playing:\n" + tree(frame))

# --- 1. Names in words ------------------------------------------------------------------
buttons = [n for n in nodes(frame) if n.getRole() == pyatspi.ROLE_PUSH_BUTTON]
if len(buttons) != 9:
    fail(f"expected 9 buttons, found {len(buttons)}")
for button in buttons:
    if not WORDS.fullmatch(button.name) or not button.description:
        fail(f'button "{button.name}" is not named in words with a description')
labels = sorted(n.name for n in nodes(frame) if n.getRole() == pyatspi.ROLE_LABEL)
if labels != ["12 tracks, 53 minutes 40 seconds", "Track length 3 minutes 42 seconds"]:
    fail(f"the status lines read {labels}")
if not display.description.startswith("Stopped, track 1"):
    fail(f'the stopped disc\'s mode reads "{display.description}"')

# --- 2. Tab and Space alone -------------------------------------------------------------
descriptions = []
names = []
pyatspi.Registry.registerEventListener(
    lambda event: descriptions.append(event.source.description),
    "object:property-change:accessible-description")
pyatspi.Registry.registerEventListener(
    lambda event: names.append(event.source.name), "object:property-change:accessible-name")

window = subprocess.run(["xdotool", "search", "--name", f"^{TITLE}$"], check=True,
                        capture_output=True, text=True).stdout.split()[0]
subprocess.run(["xdotool", "windowfocus", "--sync", window], check=True)


def focused(name):
    return next(b for b in buttons if b.name == name).getState().contains(
        pyatspi.STATE_FOCUSED)


for _ in range(12):
    if wait_for("the focus in the window", lambda: any(
            b.getState().contains(pyatspi.STATE_FOCUSED) for b in buttons)) and focused("Play"):
        break
    key("Tab")
if not focused("Play"):
    fail("Tab never reached Play")
key("space")
wait_for("the mode to read Playing", lambda: display.description.startswith("Playing, track 1"))
# The name runs with the position: the time display says each new second.
wait_for("the time display to follow the disc", lambda: re.fullmatch(
    r"Track 1, [1-9][0-9]* seconds?", display.name))
wait_for("two more seconds said", lambda: len(set(names)) >= 3)
key("Tab")
wait_for("the focus on Pause", lambda: focused("Pause"))
key("space")
wait_for("the mode to read Paused", lambda: display.description.startswith("Paused, track 1"))
print("After playing and pausing:\n" + tree(frame))

# --- 3. Announced once ------------------------------------------------------------------
said = [d for d in descriptions if d]
if [d.split(",")[0] for d in said] != ["Playing", "Paused"]:
    fail(f"the mode was announced as {said}, not once for each change")
print("accessibility end to end: passed")
