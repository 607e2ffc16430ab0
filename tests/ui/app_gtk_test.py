#!/usr/bin/python3
# The real program, in a fresh folder on a display server of its own, worked
# as a user would: keys through the display server (xdotool on X11, wtype on
# Wayland), fields, buttons and boxes found and read through at-spi, which is
# the same on both. One table of cases for both:
#   app_gtk_test.py x11|wayland PROGRAM [CASE...]
# or runs a command on such a display server: app_gtk_test.py wayland -- COMMAND...
# Wayland is a headless sway, as nobody when we are root (sway refuses root).
# TAV_SHOTS names a folder for screenshots of the dialog and the About box.
import glob, json, os, pwd, signal, subprocess, sys, tempfile, time
import gi
gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib

KEYS = {"Tab", "Return", "Escape", "shift+F10"}


def poll(what, timeout=20):  # what may fail while windows come and go
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        try:
            if value := what():
                return value
        except GLib.Error:
            pass
        time.sleep(0.05)


def run(*argv, env):
    return subprocess.run(argv, capture_output=True, text=True, timeout=30, env=env).stdout


def walk(node, depth=99):  # a child that has just gone is None
    if node is not None:
        yield node
        for i in range(max(node.get_child_count(), 0) if depth else 0):
            yield from walk(node.get_child_at_index(i), depth - 1)


class X11:
    def __init__(self, env):
        read, write = os.pipe()
        self.server = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x1024x24", "-nolisten",
                                        "tcp", "-noreset"], pass_fds=[write], stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as f:
            self.env = dict(env, DISPLAY=":" + f.readline().strip(), GDK_BACKEND="x11")

    def windows(self, pid):  # (title, x, y, width, height), the topmost last
        xdotool = lambda *a: run("xdotool", *a, env=self.env)
        shell = lambda w: dict(line.split("=") for line in xdotool("getwindowgeometry", "--shell", w).split())
        return [(xdotool("getwindowname", w).strip(), *(int(shell(w)[k]) for k in ("X", "Y", "WIDTH", "HEIGHT")))
                for w in xdotool("search", "--onlyvisible", "--pid", str(pid), "--name", ".").split()]

    def keys(self, pid, items, titles):
        # No window manager gives the focus here: the keys go to the topmost window.
        top = run("xdotool", "search", "--onlyvisible", "--pid", str(pid), "--name", ".", env=self.env).split()[-1]
        run("xdotool", "windowfocus", "--sync", top, env=self.env)
        for item in items:
            run("xdotool", *(["key"] if item in KEYS else ["type", "--delay", "10"]), item, env=self.env)

    def shot(self, path, rect):
        run("import", "-window", "root", "-crop", "%dx%d+%d+%d" % (rect[3:] + rect[1:3]), path, env=self.env)

    def close(self, kill=False):
        self.server.kill() if kill else self.server.terminate()
        self.server.wait()


# GTK matches its key bindings (Tab, Return, ...) by the key codes of the first
# keymap it was given, while each wtype keyboard has a keymap of its own: each
# starts by releasing these keys, which gives them the same codes in all.
SAME_CODES = [a for key in ("Tab", "Return", "Escape", "F10") for a in ("-p", key)]


class Wayland:
    def __init__(self, env):
        self.runtime = tempfile.mkdtemp()
        with open(self.runtime + "/config", "w") as f:
            f.write("xwayland disable\noutput HEADLESS-1 resolution 1280x1024\n")
        user = os.getuid() == 0 and pwd.getpwnam("nobody")
        if user:
            os.chown(self.runtime, user.pw_uid, user.pw_gid)
        self.server = subprocess.Popen(
            ["sway", "-c", self.runtime + "/config"], stderr=subprocess.DEVNULL,
            preexec_fn=lambda: user and (os.setgroups([]), os.setgid(user.pw_gid), os.setuid(user.pw_uid)),
            env=dict(PATH=os.environ["PATH"], HOME=self.runtime, XDG_RUNTIME_DIR=self.runtime,
                     WLR_BACKENDS="headless", WLR_LIBINPUT_NO_DEVICES="1", WLR_RENDERER="pixman"))
        sockets = poll(lambda: len(found := glob.glob(self.runtime + "/wayland-?") + glob.glob(
            self.runtime + "/sway-ipc.*")) == 2 and found)
        assert sockets, "sway did not start"
        self.env = dict(env, XDG_RUNTIME_DIR=self.runtime, WAYLAND_DISPLAY=os.path.basename(sockets[0]),
                        SWAYSOCK=sockets[1], GDK_BACKEND="wayland")
        # A keyboard that stays: without one the seat has none, and each
        # wtype's first key would come before the program has asked for it.
        self.typists = [subprocess.Popen(["wtype", *SAME_CODES, "-s", "86400000"], env=self.env)]

    def windows(self, pid):  # and whether it has the keyboard
        def of(node):
            if node.get("pid") == pid:
                yield (node["name"], *node["rect"].values(), node["focused"])
            for child in node["nodes"] + node["floating_nodes"]:
                yield from of(child)
        return list(of(json.loads(run("swaymsg", "-t", "get_tree", env=self.env))))

    def keys(self, pid, items, titles):
        # Once the compositor has given the keyboard to one of the program's
        # windows, not one that is going. A wtype keyboard must stay until
        # the program has read its keys, so each stays until the next.
        poll(lambda: any(w[-1] and w[0] in titles for w in self.windows(pid)))
        args = [a for i in items for a in (["-M", "shift", "-k", "F10", "-m", "shift"] if i == "shift+F10" else
                                           ["-k", i] if i in KEYS else [i])]
        self.typists.append(subprocess.Popen(["wtype", *SAME_CODES, *args, "-s", "86400000"], env=self.env))
        if len(self.typists) > 2:
            self.typists.pop(1).kill()

    def shot(self, path, rect):
        run("grim", "-g", "%d,%d %dx%d" % rect[1:], path, env=self.env)

    def close(self, kill=False):
        for p in self.typists:
            p.kill()
        self.server.kill() if kill else self.server.terminate()
        self.server.wait()
        subprocess.run(["rm", "-rf", self.runtime])


# The main dialog in dialog units, as drawn: the window, then each control by
# what a screen reader reads (the Browse buttons by their descriptions).
TEMPLATE = {"Tavendrillox": (0, 0, 320, 63), "Quit": (263, 7, 50, 14), "Source File:": (68, 7, 105, 14),
            "Destination Folder:": (68, 21, 105, 14), "Choose the source file": (174, 7, 30, 14),
            "Choose the destination folder": (174, 21, 30, 14), "Help": (213, 21, 50, 14), "Go": (213, 7, 50, 14),
            "Lines Per File:": (68, 35, 40, 14), "Or KB Per File:": (164, 35, 40, 14)}
# Each label's width, in the dialog's order.
LABELS = {"Source File:": 38, "Destination Folder:": 60, "Tavendrillox - v1.01": 189, "Lines Per File:": 45,
          "Or KB Per File:": 47}


class Case:
    """The program on a display: the steps the table names, and how it ended."""

    def __init__(self, display, program, folder):
        self.display, self.folder, self.failures, self.signalled = display, folder, [], None
        env = dict(display.env, GTK_MODULES="gail:atk-bridge", PATH=folder + "/.bin:" + os.environ["PATH"])
        env.pop("NO_AT_BRIDGE", None)  # as in a desktop session with accessibility on
        self.process = subprocess.Popen([program], cwd=folder, env=env)
        desktop = Atspi.get_desktop(0)
        self.app = poll(lambda: next((a for a in list(walk(desktop, 1))[1:] if a.get_process_id() == self.process.pid
                                      and self.find("Go", a)), None), 30)
        assert self.app, "the dialog did not show on the accessibility bus"

    def check(self, ok, failure):
        if not ok:
            self.failures.append(failure)

    def find(self, name, root=None):  # a control by name or description, or a window
        return [a for a in walk(root or self.app) if name in (a.get_name(), a.get_description())
                and a.get_role() != Atspi.Role.LABEL]

    def windows(self):
        return list(walk(self.app, 1))[1:]

    def keys(self, *items):
        self.display.keys(self.process.pid, items, [w.get_name() for w in self.windows()])

    def set(self, field, text):
        self.find(field)[0].set_text_contents(text)

    def press(self, name):  # a button or a menu entry
        self.check(self.find(name)[0].do_action(0), f"{name!r} was not pressed")

    def up(self, caption, text=None):  # waits for a window with this caption, saying this
        said = lambda w: [a.get_name() for a in walk(w) if a.get_role() == Atspi.Role.LABEL]
        window = poll(lambda: next((w for w in self.windows() if w.get_name() == caption
                                    and (text is None or text in said(w))), None))
        assert window, f"no window {caption!r} saying {text!r}"
        return window

    def box(self, caption, text=None):  # and it stands over the dialog
        box = self.up(caption, text)
        at = poll(lambda: {w[0]: w[1:5] for w in self.display.windows(self.process.pid) if w[0] in (
            caption, "Tavendrillox")} if caption in [w[0] for w in self.display.windows(self.process.pid)] else None)
        (x, y, w, h), (bx, by, bw, bh) = at["Tavendrillox"], at[caption]
        self.check(abs(2 * bx + bw - 2 * x - w) <= 4 and abs(2 * by + bh - 2 * y - h) <= 4,
                   f"{caption!r} at {at[caption]} is not centred over the dialog at {at['Tavendrillox']}")
        return box

    def ok(self, caption, text=None):
        box = self.box(caption, text)
        self.keys("Return")
        poll(lambda: box not in self.windows())

    def menu(self):
        self.keys("shift+F10")
        assert poll(lambda: [a for a in self.find("About Tavendrillox...")
                             if a.get_state_set().contains(Atspi.StateType.SHOWING)]), "no context menu"

    def signal(self, number):  # or None: the display server is killed
        self.signalled = time.monotonic()
        self.process.send_signal(number) if number else self.display.close(kill=True)

    def opened(self, page):  # by xdg-open, which the program starts and leaves
        got = poll(lambda: os.path.exists(self.folder + "/.opened") and open(self.folder + "/.opened").read())
        self.check(got == page, f"opened {got!r}, not {page!r}")

    def pause(self, seconds):  # lets a split get going
        time.sleep(seconds)

    def shot(self, name):
        if os.environ.get("TAV_SHOTS"):
            self.display.shot(f"{os.environ['TAV_SHOTS']}/{name}.png", self.display.windows(self.process.pid)[-1][:5])

    def layout(self):
        """Each control where the template puts it, within a pixel, in the dialog units of its font: the average
        width of its letters, widened just enough for a label whose text would not fit, and their height."""
        at = lambda a, text=None: a.get_range_extents(0, len(text), Atspi.CoordType.WINDOW) if text else \
            a.get_extents(Atspi.CoordType.WINDOW)
        edit, letters = self.find("Source File:")[0], "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
        edit.set_text_contents(letters)
        measured = poll(lambda: at(edit, letters).width > 0 and at(edit, letters))
        x, y = ((measured.width // 26 + 1) // 2) / 4, measured.height / 8
        for text, units in LABELS.items():
            label = next(a for a in walk(self.app) if a.get_role() == Atspi.Role.LABEL and a.get_name() == text)
            x = max(x, at(label, text).width / units) if at(label, text).width > int(units * x + 0.5) else x
        for name, units in TEMPLATE.items():
            e, want = at(self.find(name)[0]), [int(u * s + 0.5) for u, s in zip(units, (x, y, x, y))]
            self.check(all(abs(g - w) <= 1 for g, w in zip((e.x, e.y, e.width, e.height), want)),
                       f"{name!r} at {(e.x, e.y, e.width, e.height)}, not {want}")

    def names(self):
        """Each edit read by its own label; each Browse described by what it chooses, beside its edit."""
        related = lambda a, kind: [r.get_target(i) for r in a.get_relation_set() if r.get_relation_type() == kind
                                   for i in range(r.get_n_targets())]
        for label in "Source File:", "Destination Folder:", "Lines Per File:", "Or KB Per File:":
            edit = [a for a in self.find(label) if a.get_role() == Atspi.Role.TEXT]
            by = [b for e in edit for b in related(e, Atspi.RelationType.LABELLED_BY)]
            self.check(len(edit) == 1 and [b.get_name() for b in by] == [label]
                       and related(by[0], Atspi.RelationType.LABEL_FOR) == edit, f"{label!r}: {edit}, {by}")
        for label, description in ("Source File:", "Choose the source file"), ("Destination Folder:",
                                                                               "Choose the destination folder"):
            row = self.find(label)[0].get_extents(Atspi.CoordType.WINDOW).y
            beside = [(b.get_name(), b.get_description()) for b in self.find("Browse")
                      if b.get_extents(Atspi.CoordType.WINDOW).y == row]
            self.check(beside == [("Browse", description)], f"beside {label!r}: {beside}")

    def end(self, status=0):
        try:
            got = self.process.wait(timeout=20 if self.signalled is None else 5)
        except subprocess.TimeoutExpired:
            self.process.kill()
            got = f"still running, killed {self.process.wait()}"
        if self.signalled is not None:
            took = time.monotonic() - self.signalled
            print(f"   ended {took:.2f} s after the close request")
            self.check(took < 3, f"took {took:.2f} s to end")
        self.check(got == status or status is None, f"ended with {got}, not {status}")


def settings(source="", dest="", kb="1024", lines=""):
    return f"CREATOR=TAVENDRILLOX 1.0\r\nSOURCE={source}\r\nDEST={dest}\r\nKB={kb}\r\nLINES={lines}\r\n\r\n"


INI, TERM = "tavendrillox.ini", signal.SIGTERM
# Piece 1 leads to /dev/null, so that an endless source fills no disk.
ENDLESS = {INI: settings("/dev/zero", "out", "", "1"), "out/tavendrillox1.txt": ("link", "/dev/null")}
SOURCES = {"in.txt": "one\ntwo\nthree\n", "long.txt": "x" * 1000 + "\n" + "y" * 100, "out/": None}
FIELDS = lambda source, dest, kb, lines: [("set", "Source File:", source), ("set", "Destination Folder:", dest),
                                          ("set", "Or KB Per File:", kb), ("set", "Lines Per File:", lines)]
PIECES = lambda *texts: {f"out/tavendrillox{n}.txt": text for n, text in enumerate(texts, 1)}
OUTFILES = lambda n: [("ok", "Outfile", f"out/tavendrillox{i}.txt") for i in range(1, n + 1)]
ABOUT = [("menu",), ("press", "About Tavendrillox..."), ("box", "About Tavendrillox", "Tavendrillox Version 1.0")]
HELP = next((os.path.normpath(p) + "\n" for p in (os.path.join(os.path.dirname(os.path.realpath(sys.argv[2])), d,
             "tavendrillox.html") for d in (".", "../share/tavendrillox")) if os.path.exists(p)), None)
# Name, files in the start-up folder (None: a folder), steps, and what must
# follow: the exit status (0 unless named), the settings file and the pieces
# byte for byte.
CASES = [
    ("Enter saves what was typed", {}, [("keys", "Tab", "typed.txt", "Return")], {INI: settings("typed.txt")}),
    ("Enter on a first start saves the defaults", {}, [("keys", "Return")], {INI: settings()}),
    *[(f"Esc keeps the loaded values ({why})", files, [("keys", "Tab", "ignored", "Escape")], {INI: ini})
      for why, files, ini in (("first start", {}, settings()),
                              ("a settings file", {INI: settings("in.txt", "out", "", "10")},
                               settings("in.txt", "out", "", "10")))],
    ("A split by lines, every notice answered", SOURCES,
     FIELDS("in.txt", "out", "", "2") + [("press", "Go"), ("ok", "Get out", "0 2"), *OUTFILES(2), ("keys", "Escape")],
     {INI: settings("in.txt", "out", "", "2"), **PIECES("one\r\ntwo\r\n", "three\r\n")}),
    ("A split by KB, every notice answered", SOURCES,
     FIELDS("long.txt", "out", "1", "") + [("press", "Go"), ("ok", "Get out", "1024 0"), *OUTFILES(2),
                                          ("press", "Quit")],
     {INI: settings("long.txt", "out", "1", ""), **PIECES("x" * 1000 + "\r\n" + "y" * 23, "y" * 77)}),
    ("Lines and KB both given are refused", {}, FIELDS("in.txt", "out", "1024", "5") + [
        ("press", "Go"), ("ok", "Error", "Please enter or select a number of lines or file size in KB"),
        ("keys", "Escape")], {INI: settings("in.txt", "out", "1024", "5")}),
    ("Help opens the local help page", {}, [("press", "Help"), ("opened", HELP), ("keys", "Escape")],
     {INI: settings()}),
    ("The About box from the context menu", {},
     ABOUT + [("shot", "about"), ("ok", "About Tavendrillox"), ("keys", "Escape")], {INI: settings()}),
    ("The dialog as drawn and as a screen reader reads it", {INI: settings("in.txt", "out", "64", "10")},
     [("names",), ("layout",), ("shot", "dialog"), ("signal", TERM)], {INI: settings("in.txt", "out", "64", "10")}),
    # Ctrl+C, the session ending or the terminal going away close the dialog
    # as its close box would, whatever is up, even in the middle of a split
    # that would never end: a source without end, one whose reads wait for
    # ever; the values of the last button press are saved.
    *[(f"{signal.strsignal(s)} when idle", {}, [("signal", s)], {INI: settings()})
      for s in (TERM, signal.SIGINT, signal.SIGHUP)],
    *[(f"{signal.strsignal(s)} during an endless source", ENDLESS, [
        ("press", "Go"), ("ok", "Get out", "0 1"), ("box", "Outfile", "out/tavendrillox1.txt"), ("keys", "Return"),
        ("pause", 0.3), ("signal", s)], {INI: ENDLESS[INI]}) for s in (TERM, signal.SIGHUP)],
    ("Interrupt during a source that waits",
     {INI: settings("fifo", "out", "", "1"), "fifo": ("fifo", ""), "out/": None},
     [("press", "Go"), ("box", "Get out", "0 1"), ("keys", "Return"), ("pause", 0.3), ("signal", signal.SIGINT)],
     {INI: settings("fifo", "out", "", "1")}),
    ("Terminated at a notice", ENDLESS, [("press", "Go"), ("box", "Get out", "0 1"), ("signal", TERM)],
     {INI: ENDLESS[INI]}),
    *[(f"Terminated with the {what} up", {}, [("set", "Lines Per File:", "7"), *steps, ("signal", TERM)],
       {INI: settings(lines=lines)})
      for what, steps, lines in (
          ("source chooser", [("press", "Choose the source file"), ("up", "Select a file")], "7"),
          ("destination chooser", [("press", "Choose the destination folder"), ("up", "Browse for Folders")], "7"),
          ("context menu", [("menu",)], ""), ("About box", ABOUT, ""))],
    # A stop at a piece's notice costs no old piece.
    ("Terminated at the second piece's notice", {INI: settings("fifo", "out", "", "1"), "fifo": ("fifo", "line\n"),
                                                "out/tavendrillox2.txt": "last week\r\n"},
     [("press", "Go"), ("ok", "Get out", "0 1"), *OUTFILES(1), ("box", "Outfile", "out/tavendrillox2.txt"),
      ("signal", TERM)], {INI: settings("fifo", "out", "", "1"), **PIECES("line\r\n", "last week\r\n")}),
    ("A failed save at close is shown; a second close request ends it", {INI + "/": None},
     [("signal", TERM), ("box", "Error Writing File", "Save to File"), ("signal", TERM)], {}),
    ("The display going away saves as the close box would", {},
     [("set", "Lines Per File:", "3"), ("press", "Help"), ("opened", HELP), ("signal", None)],
     {INI: settings(lines="3"), "status": None}),
]


def lay_out(folder, files):
    """The case's files; a FIFO's writer sends its text and waits: its descriptors are returned."""
    files = dict(files, **{".bin/xdg-open": '#!/bin/sh\necho "$@" >> "$(dirname "$0")/../.opened"\n'})
    writers = []
    for name, text in files.items():
        path = os.path.join(folder, name)
        os.makedirs(path if text is None else os.path.dirname(path), exist_ok=True)
        if isinstance(text, tuple) and text[0] == "link":
            os.symlink(text[1], path)
        elif isinstance(text, tuple):
            os.mkfifo(path)
            writers.append(os.open(path, os.O_RDWR))
            os.write(writers[-1], text[1].encode())
        elif text is not None:
            with open(path, "w", newline="") as f:
                f.write(text)
    os.chmod(folder + "/.bin/xdg-open", 0o755)
    return writers


def main(backend, program, *only):
    if program == "--":  # runs a command on the display server, as xvfb-run does
        display = {"x11": X11, "wayland": Wayland}[backend](dict(os.environ))
        try:
            return subprocess.run(only, env=display.env).returncode
        finally:
            display.close()
    results = []
    for name, files, steps, expect in (c for c in CASES if not only or c[0] in only):
        print(f"== {backend}: {name}", flush=True)
        started, case, display, failures = time.monotonic(), None, None, []
        with tempfile.TemporaryDirectory() as folder:
            writers = lay_out(folder, files)
            try:
                display = {"x11": X11, "wayland": Wayland}[backend](dict(os.environ))
                case = Case(display, os.path.abspath(program), folder)
                failures = case.failures
                for step, *args in steps:
                    getattr(case, step)(*args)
                case.end(expect.get("status", 0))
                for file, text in ((f, t) for f, t in expect.items() if f != "status"):
                    path = os.path.join(folder, file)
                    got = open(path, newline="").read() if os.path.isfile(path) else None
                    case.check(got == text, f"{file} holds {got!r}, not {text!r}")
            except Exception as e:  # this case ends here, the others run
                failures.append(repr(e))
            finally:
                if case and case.process.poll() is None:
                    case.process.kill()
                    case.process.wait()
                if display:
                    display.close()
                for fd in writers:
                    os.close(fd)
        for failure in failures:
            print("   FAIL:", failure)
        print(f"   {'FAILED' if failures else 'passed'} in {time.monotonic() - started:.1f} s", flush=True)
        results.append(not failures)
    print(f"{backend}: {sum(results)} passed, {len(results) - sum(results)} failed")
    return 0 if results and all(results) else 1


if __name__ == "__main__":
    if os.environ.get("TAV_APP_TEST") != "in a session":
        # A D-Bus session of our own, where at-spi starts on demand, with its
        # socket in a folder of our own: by default it goes in ~/.cache, where
        # another run would take it away. Without the display we were started
        # on: at-spi would publish its bus there, for every run on it to find.
        with tempfile.TemporaryDirectory() as runtime:
            env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
            env.update(TAV_APP_TEST="in a session", XDG_RUNTIME_DIR=runtime)
            sys.exit(subprocess.run(["dbus-run-session", "--", sys.executable, *sys.argv], env=env).returncode)
    sys.exit(main(*sys.argv[1:]))
