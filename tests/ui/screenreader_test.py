#!/usr/bin/python3
# What a screen reader reads from the real program's dialog through at-spi, as
# Orca does: dbus-run-session -- screenreader_test.py PROGRAM. Each edit is
# known by the value the settings file gives it, its Browse button by its row.
import os, signal, subprocess, sys, tempfile, time
import pyatspi

# Field value: the edit's label, and the description of its Browse button.
FIELDS = {"in.txt": ("Source File:", "Choose the source file"),
          "out": ("Destination Folder:", "Choose the destination folder"),
          "10": ("Lines Per File:", None), "64": ("Or KB Per File:", None)}
SETTINGS = "CREATOR=TAVENDRILLOX 1.0\r\nSOURCE=in.txt\r\nDEST=out\r\nKB=64\r\nLINES=10\r\n\r\n"


def find(app, role):
    return pyatspi.findAllDescendants(app, lambda a: a.getRole() == role)


def related(accessible, kind):
    return [r.getTarget(i) for r in accessible.getRelationSet() if r.getRelationType() == kind
            for i in range(r.getNTargets())]


def check(pid):
    """What the program's dialog reads, printed; the failures."""
    for _ in range(300):
        apps = [a for a in pyatspi.Registry.getDesktop(0) if a is not None and a.get_process_id() == pid]
        edits = {e.queryText().getText(0, -1): e for app in apps for e in find(app, pyatspi.ROLE_TEXT)}
        if set(FIELDS) <= set(edits):
            break
        time.sleep(0.1)
    else:
        return ["the dialog did not show its fields on the accessibility bus"]
    buttons = [b for b in find(apps[0], pyatspi.ROLE_PUSH_BUTTON) if b.name == "Browse"]
    failures = []
    for value, (label, description) in FIELDS.items():
        edit = edits[value]
        labels = related(edit, pyatspi.RELATION_LABELLED_BY)
        got = (edit.name, [a.name for a in labels])
        print(f"edit showing {value!r}: name {got[0]!r}, labelled by {got[1]}")
        if got != (label, [label]):
            failures.append(f"edit showing {value!r} reads {got}, not {label!r}")
        elif related(labels[0], pyatspi.RELATION_LABEL_FOR) != [edit]:
            failures.append(f"{label!r} labels more or other than the edit showing {value!r}")
        if description:
            top = lambda a: a.queryComponent().getExtents(pyatspi.DESKTOP_COORDS).y
            got = [(b.name, b.description) for b in buttons if top(b) == top(edit)]
            print(f"button beside it: {got}")
            if got != [("Browse", description)]:
                failures.append(f"button beside {value!r} reads {got}, not ('Browse', {description!r})")
    return failures


with tempfile.TemporaryDirectory() as folder:
    with open(os.path.join(folder, "tavendrillox.ini"), "w", newline="") as f:
        f.write(SETTINGS)
    # As a desktop session with accessibility on has it.
    env = dict(os.environ, GTK_MODULES="gail:atk-bridge")
    env.pop("NO_AT_BRIDGE", None)
    program = subprocess.Popen([os.path.abspath(sys.argv[1])], cwd=folder, env=env)
    failures = []
    try:
        failures = check(program.pid)
    finally:
        program.send_signal(signal.SIGTERM)
        if program.wait(timeout=30) != 0:
            failures.append(f"the program ended with {program.returncode}")
for failure in failures:
    print("FAIL:", failure)
sys.exit(1 if failures else 0)
