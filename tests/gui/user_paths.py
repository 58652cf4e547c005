#!/usr/bin/env python3
"""The user's paths through the real program.

Starts the built `mixorel` under a private Xvfb with a private session bus and private
home, config, data, runtime and temporary folders (so a run never meets another instance
through the single-instance socket), and drives it with real key presses and mouse moves
through xdotool. Every case gets a fresh program run on playlists made for it by
`mixorel-cli playlist create`; results are read from what the program wrote (playlists
saved with Ctrl+S and read back with `mixorel-cli playlist dump`, music files byte for
byte), never from pixels.

Positions on screen are derived from the main window's geometry and the layout the
settings fix (a main window at 0,0 of known size, playlist windows tiled one above the other);
see Layout below.

To add a case: write a function taking a Run, decorate it with @case, and read its result
from files. Exit status: 0 all passed, 1 a case failed, 77 a tool is missing (skipped).

Usage: user_paths.py --mixorel PATH --cli PATH [--keep] [--shots DIR] [CASE...]
"""

import argparse
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import traceback

SKIP = 77
TOOLS = ("Xvfb", "xdotool", "dbus-run-session", "sox", "ffprobe")

# ---- Layout ---------------------------------------------------------------------------
# The main window is placed at 0,0 with the size below (no window manager runs, so there
# is no frame). The playlist windows are tiled ("rearrangeonnew"): full-width windows one
# above the other over the MDI area, in the order they opened. The offsets were measured
# once under Xvfb with the default font (menu bar and main toolbar above the area; window
# title, the window's toolbar and the list header above the first line; 18-pixel lines)
# and hold while the bars and fonts stay as they are; when they change, take screenshots
# (--shots DIR) and measure again.
MAIN_WIDTH = 1280
MAIN_HEIGHT = 960
AREA_TOP = 50        # the MDI area's top below the main window's top
AREA_HEIGHT = 774    # the MDI area's height, shared by the tiled windows
FIRST_ROW_Y = 81     # y of the first line's centre below its playlist window's top
ROW_HEIGHT = 18      # pixels from one line to the next
LIST_X = 100         # x of the song column from a playlist window's left
BAR_ENTRY_Y = 97     # the playlists bar's icons: y above the main window's bottom
BAR_ENTRY_X = 46     # x of the first entry's icon
BAR_ENTRY_STEP = 98  # pixels from one entry to the next

SETTINGS = """[global]
loadlastused=0
newfileatstart=0
maximizechild=0
rearrangeonnew=1
autosaveonexit=0
emptylastproject=1
[winamp]
winamppath=none
[misc]
noplaylisttooltips=1
showalertaftersetnext=0
[position]
x=0
y=0
width={width}
height={height}
cmdshow=1
"""

CASES = []


def case(function):
    CASES.append(function)
    return function


class Failure(Exception):
    pass


def check(condition, text):
    if not condition:
        raise Failure(text)


def wait_for(what, probe, timeout=15.0, step=0.05):
    """Polls probe until it answers something true; fails after timeout seconds."""
    end = time.monotonic() + timeout
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() > end:
            raise Failure("timed out waiting for " + what)
        time.sleep(step)


class Display:
    """A private Xvfb for the whole script; it finds a free display number itself."""

    def __init__(self):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24",
             "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        number = b""
        with os.fdopen(read_end, "rb") as pipe:
            while not number.endswith(b"\n"):
                chunk = pipe.read(1)
                if not chunk:
                    break
                number += chunk
        if not number.strip():
            self.process.kill()
            raise Failure("Xvfb did not start")
        self.name = ":" + number.decode().strip()

    def close(self):
        self.process.terminate()
        try:
            self.process.wait(5)
        except subprocess.TimeoutExpired:
            self.process.kill()


class Run:
    """One program run in its own private world, and the user's hands on it."""

    def __init__(self, script, display, name):
        self.script = script
        self.display = display
        self.name = name
        self.root = tempfile.mkdtemp(prefix="mixorel-gui-" + name + "-")
        self.music = self.folder("music")
        self.env = self.make_environment()
        self.process = None
        self.main_window = None
        self.last_click = 0.0

    # -- the world --------------------------------------------------------------------
    def folder(self, name):
        path = os.path.join(self.root, name)
        os.makedirs(path, exist_ok=True)
        return path

    def make_environment(self):
        env = {key: value for key, value in os.environ.items()
               if not key.startswith(("XDG_", "DBUS_", "QT_", "WAYLAND", "MIXOREL"))}
        home = self.folder("home")
        runtime = self.folder("runtime")
        os.chmod(runtime, 0o700)
        env.update({
            "DISPLAY": self.display.name,
            "HOME": home,
            "TMPDIR": self.folder("tmp"),
            "XDG_RUNTIME_DIR": runtime,
            "XDG_CONFIG_HOME": os.path.join(home, ".config"),
            "XDG_DATA_HOME": os.path.join(home, ".local", "share"),
            "XDG_CACHE_HOME": os.path.join(home, ".cache"),
            "QT_QPA_PLATFORM": "xcb",
            "MIXOREL_AUDIO_SINK": "fakesink sync=true",
            "LANG": "C.UTF-8",
        })
        config = os.path.join(env["XDG_CONFIG_HOME"], "Mixorel")
        os.makedirs(config, exist_ok=True)
        with open(os.path.join(config, "Mixorel.ini"), "w") as ini:
            ini.write(SETTINGS.format(width=MAIN_WIDTH, height=MAIN_HEIGHT))
        return env

    def settings(self, text):
        """More settings (whole sections the common ones lack), before the start."""
        with open(os.path.join(self.env["XDG_CONFIG_HOME"], "Mixorel", "Mixorel.ini"),
                  "a") as ini:
            ini.write(text)

    def songs(self, count, prefix="song", seconds=1):
        """Short generated songs; answers their paths."""
        paths = []
        for index in range(count):
            path = os.path.join(self.music, "%s%02d.wav" % (prefix, index + 1))
            subprocess.run(["sox", "-n", "-r", "8000", "-c", "1", path, "synth", str(seconds),
                            "sine", str(220 + 40 * index)], check=True,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            paths.append(path)
        return paths

    def playlist(self, name, songs):
        path = os.path.join(self.root, name)
        subprocess.run([self.script.cli, "playlist", "create", path] + songs, check=True,
                       stdout=subprocess.DEVNULL, env=self.env)
        return path

    def dump(self, path):
        out = subprocess.run([self.script.cli, "playlist", "dump", path], check=True,
                             capture_output=True, env=self.env).stdout
        return json.loads(out)

    def paths_in(self, playlist):
        return [song["path"] for song in self.dump(playlist)["songs"]]

    # -- the program ------------------------------------------------------------------
    def start(self, *files):
        log = open(os.path.join(self.root, "mixorel.log"), "wb")
        self.process = subprocess.Popen(
            ["dbus-run-session", "--", self.script.mixorel] + list(files),
            env=self.env, stdout=log, stderr=subprocess.STDOUT, start_new_session=True)
        # The main window is the one of the size the settings give it.
        self.main_window = wait_for(
            "the main window",
            lambda: next((w for w in self.windows("^Mixorel")
                          if self.geometry(w)[2:] == (MAIN_WIDTH, MAIN_HEIGHT)), None),
            timeout=30)
        # Without a sound server the volume control cannot attach and says so once per
        # window; those boxes are closed as the user would. The playlist windows are
        # tiled meanwhile.
        quiet_since = time.monotonic()
        end = quiet_since + 15
        while time.monotonic() - quiet_since < 1.0 and time.monotonic() < end:
            boxes = self.windows("^Mixorel$")
            if boxes:
                self.xdotool("windowfocus", "--sync", boxes[-1])
                self.key("Return")
                wait_for("the box to close", lambda: boxes[-1] not in self.windows("^Mixorel$"))
                quiet_since = time.monotonic()
            time.sleep(0.1)
        time.sleep(0.5)

    def stop(self):
        if self.process is None:
            return
        try:
            os.killpg(self.process.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        self.process.wait(10)
        self.process = None

    def cleanup(self):
        self.stop()
        if not self.script.keep:
            shutil.rmtree(self.root, ignore_errors=True)

    # -- the user's hands ---------------------------------------------------------------
    def xdotool(self, *args):
        return subprocess.run(["xdotool"] + [str(a) for a in args], env=self.env,
                              capture_output=True, text=True).stdout

    def windows(self, name):
        """The visible windows whose title matches name (a regular expression), the main
        window left out: the message boxes carry its title too."""
        found = self.xdotool("search", "--onlyvisible", "--name", name).split()
        return [int(w) for w in found if int(w) != self.main_window]

    def wait_window(self, name, timeout=15.0):
        return wait_for("a window named " + name, lambda: (self.windows(name) or [None])[-1],
                        timeout)

    def wait_no_window(self, name, timeout=15.0):
        wait_for("no window named " + name, lambda: not self.windows(name), timeout)

    def geometry(self, window):
        out = self.xdotool("getwindowgeometry", "--shell", window)
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return (int(values.get("X", 0)), int(values.get("Y", 0)),
                int(values.get("WIDTH", 0)), int(values.get("HEIGHT", 0)))

    def key(self, *keys):
        self.xdotool("key", "--clearmodifiers", "--delay", "60", *keys)

    def type(self, text):
        self.xdotool("type", "--delay", "20", text)

    def click(self, point, button=1):
        self.xdotool("mousemove", point[0], point[1])
        time.sleep(0.05)
        self.xdotool("click", button)
        self.last_click = time.monotonic()
        time.sleep(0.15)

    def let_clicks_pass(self):
        """A press soon after a click at the same place is a double click (which plays
        the song): waits out the double-click time."""
        time.sleep(max(0.0, self.last_click + 0.6 - time.monotonic()))

    def drag(self, start, end, hold=None):
        """Presses at start, moves in small steps (Qt starts a drag only after some
        motion), optionally holds a key down once the drag runs, and releases at end."""
        self.let_clicks_pass()
        self.xdotool("mousemove", start[0], start[1])
        time.sleep(0.1)
        self.xdotool("mousedown", 1)
        time.sleep(0.1)
        steps = 12
        for step in range(1, steps + 1):
            x = start[0] + (end[0] - start[0]) * step // steps
            y = start[1] + (end[1] - start[1]) * step // steps
            self.xdotool("mousemove", x, y)
            time.sleep(0.04)
            if step == 3 and hold:
                self.xdotool("keydown", hold)
        for wiggle in (1, 0):
            self.xdotool("mousemove", end[0], end[1] + wiggle)
            time.sleep(0.08)
        self.xdotool("mouseup", 1)
        time.sleep(0.2)
        if hold:
            self.xdotool("keyup", hold)

    def shot(self, label):
        if self.script.shots:
            os.makedirs(self.script.shots, exist_ok=True)
            subprocess.run(["import", "-window", "root",
                            os.path.join(self.script.shots, "%s-%s.png" % (self.name, label))],
                           env=self.env, check=False)

    # -- where things are ---------------------------------------------------------------
    def row(self, line, window=0, windows=1):
        """The centre of a line's song cell in playlist window `window` of `windows`
        tiled one above the other, in the order they opened."""
        x, y, _, _ = self.geometry(self.main_window)
        top = y + AREA_TOP + AREA_HEIGHT // windows * window
        return (x + LIST_X, top + FIRST_ROW_Y + ROW_HEIGHT * line)

    def bar_entry(self, index):
        """The icon of an entry of the playlists bar (in the order the lists opened)."""
        x, y, _, height = self.geometry(self.main_window)
        return (x + BAR_ENTRY_X + BAR_ENTRY_STEP * index, y + height - BAR_ENTRY_Y)

    def save(self, playlist, line=0, window=0, windows=1):
        """Activates a playlist window with a click on one of its lines, saves it with
        Ctrl+S and waits until the file on disk changed."""
        before = os.stat(playlist).st_mtime_ns
        self.let_clicks_pass()
        self.click(self.row(line, window, windows))
        self.key("ctrl+s")
        wait_for("the save of " + os.path.basename(playlist),
                 lambda: os.stat(playlist).st_mtime_ns != before)

    def answer(self, name, keys):
        """Answers a dialog (a window of its own whose title matches name) with keys and
        waits for it to close."""
        box = wait_for("a window named " + name, lambda: self.windows(name))[-1]
        self.xdotool("windowfocus", "--sync", box)
        self.key(*keys.split())
        wait_for("the dialog to close", lambda: box not in self.windows(name))

    def answer_message(self, keys="Return"):
        """Answers the program's message box (titled "Mixorel" like the main window)."""
        self.answer("^Mixorel$", keys)


def names(paths):
    return [os.path.basename(p) for p in paths]


# ---- Cases ----------------------------------------------------------------------------

@case
def drag_within_one_list(run):
    songs = run.songs(5)
    playlist = run.playlist("one.qmx", songs)
    run.start(playlist)
    run.click(run.row(0))
    run.drag(run.row(0), run.row(2))
    run.shot("after-drag")
    run.save(playlist, line=4)
    a, b, c, d, e = songs
    check(run.paths_in(playlist) == [b, c, a, d, e],
          "line 1 dragged onto line 3 lands below it: %s" % names(run.paths_in(playlist)))


def two_lists(run, shared=0):
    first = run.songs(4, "first")
    second = run.songs(2, "second")
    source = run.playlist("source.qmx", first)
    target = run.playlist("target.qmx", second + first[:shared])
    run.start(source, target)  # the source, opened first, is tiled on top
    return first, second, source, target


def select_two(run):
    run.click(run.row(1, 0, 2))
    run.xdotool("keydown", "shift")
    run.click(run.row(2, 0, 2))
    run.xdotool("keyup", "shift")


@case
def drag_copy_to_another_list(run):
    first, second, source, target = two_lists(run)
    select_two(run)
    run.drag(run.row(1, 0, 2), run.row(1, 1, 2))
    run.shot("after-copy")
    run.save(target, line=0, window=1, windows=2)
    check(run.paths_in(target) == [second[0], first[1], first[2], second[1]],
          "copied in before the drop line: %s" % names(run.paths_in(target)))
    check(run.paths_in(source) == first, "the source keeps its songs")


@case
def drag_move_with_shift(run):
    first, second, source, target = two_lists(run)
    select_two(run)
    run.drag(run.row(1, 0, 2), run.row(1, 1, 2), hold="shift")
    run.shot("after-move")
    run.save(target, line=0, window=1, windows=2)
    run.save(source, line=0, window=0, windows=2)
    check(run.paths_in(target) == [second[0], first[1], first[2], second[1]],
          "moved in before the drop line: %s" % names(run.paths_in(target)))
    check(run.paths_in(source) == [first[0], first[3]],
          "the source gave the moved songs up: %s" % names(run.paths_in(source)))


@case
def move_declined_as_duplicate_keeps_the_source(run):
    # The target already holds the first song of the source: the move asks about it.
    first, second, source, target = two_lists(run, shared=4)
    run.click(run.row(0, 0, 2))
    run.drag(run.row(0, 0, 2), run.row(0, 1, 2), hold="shift")
    run.answer("^Question$", "alt+n")
    run.shot("after-declined-move")
    run.save(target, line=0, window=1, windows=2)
    # Nothing was inserted, so the source must not have lost anything: touch it and
    # save to be sure its content is what the program holds.
    run.click(run.row(0, 0, 2))
    run.key("ctrl+Down", "ctrl+Up")
    run.save(source, line=0, window=0, windows=2)
    check(run.paths_in(target) == second + first,
          "the declined song was not inserted: %s" % names(run.paths_in(target)))
    check(run.paths_in(source) == first,
          "the source keeps a song the target declined: %s" % names(run.paths_in(source)))


@case
def drag_onto_the_playlists_bar_moves_with_ctrl(run):
    first, second, source, target = two_lists(run)
    run.click(run.row(1, 0, 2))
    run.drag(run.row(1, 0, 2), run.bar_entry(1), hold="ctrl")
    run.shot("after-bar-move")
    run.save(target, line=0, window=1, windows=2)
    run.save(source, line=0, window=0, windows=2)
    check(run.paths_in(target) == second + [first[1]],
          "moved to the end of the entry's list: %s" % names(run.paths_in(target)))
    check(run.paths_in(source) == [first[0]] + first[2:],
          "the source gave the song up: %s" % names(run.paths_in(source)))


@case
def stop_key_with_the_focus_on_the_playlists_bar(run):
    # Plain sequence (no mix) of 2-second songs, every start in the play log.
    log = os.path.join(run.folder("log"), "play.log")
    run.settings("[internal]\nusemixer=0\n[onairix]\nkeeponairixlog=1\nlogpath=%s\n" % log)
    songs = run.songs(4, seconds=2)
    playlist = run.playlist("party.qmx", songs)
    run.start(playlist)
    run.click(run.row(0))
    run.key("F10")
    started = lambda: [line for line in open(log).read().splitlines()
                       if line.endswith(tuple(songs))] if os.path.exists(log) else []
    wait_for("the first song in the play log", started)
    run.key("alt+0")  # the focus goes to the playlists bar
    run.key("F9")
    run.shot("after-stop")
    time.sleep(5)  # longer than the rest of the list would have played
    check([line.split(" -> ")[-1] for line in started()] == songs[:1],
          "F9 from the playlists bar stopped the loop: %s" % started())


def lock(playlist):
    """Sets the locked flag of a saved playlist: the flag is the 32-bit value before the
    last one (player commands disabled) at the file's end."""
    with open(playlist, "r+b") as file:
        data = bytearray(file.read())
        data[-8:-4] = (1).to_bytes(4, "little")
        file.seek(0)
        file.write(data)


@case
def fast_move_in_a_locked_list_changes_nothing(run):
    songs = run.songs(8)
    playlist = run.playlist("locked.qmx", songs)
    lock(playlist)
    check(run.dump(playlist)["locked"], "the playlist is locked")
    with open(playlist, "rb") as file:
        before = file.read()
    run.start(playlist)
    run.click(run.row(0))
    run.key("ctrl+Right")
    run.answer_message()
    run.shot("after-locked-fast-move")
    # Save, then compare: the save writes what the program holds.
    run.click(run.row(0))
    run.key("ctrl+s")
    time.sleep(1.0)
    with open(playlist, "rb") as file:
        after = file.read()
    check(run.paths_in(playlist) == songs, "the locked list's songs stay in order")
    check(after == before, "the locked playlist's file is unchanged")


def choose_in_file_dialog(run, path):
    """Types a path into the open "Copy file" dialog and accepts it; a question to
    replace an existing file (it carries the dialog's title too) is answered yes."""
    run.wait_window("^Copy file$")
    run.key("ctrl+a")
    run.type(path)
    run.key("Return")
    wait_for("the dialog to go",
             lambda: len(run.windows("^Copy file$")) == 2 or run.windows("^Mixorel$"))
    if not run.windows("^Mixorel$"):
        run.answer("^Copy file$", "alt+y")


@case
def copy_file_through_a_link_keeps_the_song(run):
    songs = run.songs(2)
    playlist = run.playlist("copy.qmx", songs)
    linked = os.path.join(run.root, "linked")
    os.symlink(run.music, linked)
    with open(songs[0], "rb") as file:
        before = file.read()
    inode = os.stat(songs[0]).st_ino
    run.start(playlist)
    run.click(run.row(0))
    run.click(run.row(0), button=3)
    time.sleep(0.3)
    # "&Copy" and "&Copy file..." share their letter: the second press reaches the
    # second item without running the first.
    run.key("c", "c", "Return")
    choose_in_file_dialog(run, os.path.join(linked, os.path.basename(songs[0])))
    run.shot("copy-refused")
    # "Error: ... Retry?": No chooses another path, where the copy is made.
    run.answer_message("alt+n")
    copy = os.path.join(run.folder("copies"), "copy.wav")
    choose_in_file_dialog(run, copy)
    run.answer_message("Return")  # "File copied successfully"
    with open(songs[0], "rb") as file:
        after = file.read()
    check(after == before, "the song is byte for byte what it was")
    check(os.stat(songs[0]).st_ino == inode, "the song's file was not replaced")
    with open(copy, "rb") as file:
        check(file.read() == before, "the copy is byte for byte the song")


def keep_play_log(run):
    """Turns the play log on for the run; answers its path."""
    log = os.path.join(run.root, "play.log")
    ini = os.path.join(run.env["XDG_CONFIG_HOME"], "Mixorel", "Mixorel.ini")
    with open(ini, "a") as settings:
        settings.write("[onairix]\nkeeponairixlog=1\nlogpath=%s\n" % log)
    return log


def log_lines(log):
    if not os.path.exists(log):
        return []
    with open(log, errors="replace") as text:
        return [line.rstrip("\n") for line in text if line.strip()]


def started(log):
    """The songs the play log says were started, in order (the program's lines left out)."""
    return [line.split(" -> ", 1)[1] for line in log_lines(log)
            if " -> " in line and not line.endswith(("PROGRAM STARTED", "PROGRAM ENDED"))]


def focus_main(run):
    run.xdotool("windowfocus", "--sync", run.main_window)
    time.sleep(0.2)


@case
def broadcast_key_records_the_show(run):
    # Recording only (no stream, so no password is asked): Ctrl+Shift+B goes on air while
    # the loop plays and off again; the show's file holds the time in between.
    folder = run.folder("shows")
    run.settings("[broadcast]\nstream=0\nrecord=1\nrecordformat=0\nrecordsplit=1\n"
                 "recordfolder=%s\n" % folder)
    log = keep_play_log(run)
    songs = run.songs(3, seconds=20)
    run.start(run.playlist("show.qmx", songs))
    focus_main(run)
    run.key("F10")
    wait_for("the first song to start", lambda: started(log)[:1] == [songs[0]])
    focus_main(run)
    run.key("ctrl+shift+b")
    wait_for("the show's file", lambda: os.listdir(folder))
    time.sleep(4)
    focus_main(run)
    run.key("ctrl+shift+b")
    time.sleep(1)
    shows = os.listdir(folder)
    check(len(shows) == 1 and shows[0].startswith("Mixorel ") and shows[0].endswith(".ogg"),
          "one show file named by date and time: %s" % shows)
    probe = subprocess.run(["ffprobe", "-v", "error", "-show_entries", "format=duration",
                            "-of", "csv=p=0", os.path.join(folder, shows[0])],
                           capture_output=True, text=True)
    seconds = float(probe.stdout.strip() or 0)
    check(3.0 <= seconds <= 7.0, "the show holds the time on air: %.2f s" % seconds)


@case
def walker_keys_queue_the_next_song(run):
    # Songs long enough that none ends by itself while the case runs.
    songs = []
    for index in range(4):
        path = os.path.join(run.music, "walk%02d.wav" % (index + 1))
        subprocess.run(["sox", "-n", "-r", "8000", "-c", "1", path, "synth", "20",
                        "sine", str(300 + 50 * index)], check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        songs.append(path)
    log = keep_play_log(run)
    playlist = run.playlist("party.qmx", songs)
    run.start(playlist)
    focus_main(run)
    run.key("F10")  # the loop starts at the first line
    wait_for("the first song to start", lambda: started(log)[:1] == [songs[0]])
    focus_main(run)
    run.key("ctrl+w")
    walker = wait_for("the walker or its question",
                      lambda: run.windows("^Media Walker") or run.windows("^Mixorel$"))
    if not run.windows("^Media Walker"):
        run.answer_message("alt+y")  # songs still being read: go on
    walker = run.wait_window("^Media Walker")
    run.xdotool("windowfocus", "--sync", walker)
    time.sleep(0.2)
    # The song list by its label's letter; its last title is the last song (Ctrl+End goes
    # there without choosing it, Up and Down choose it). F4 queues it next in the looping
    # list, and F7 moves on to it at once.
    run.key("alt+g", "ctrl+End", "Up", "Down")
    run.shot("walker-chosen")
    run.key("F4")
    run.key("F7")
    wait_for("the queued song to start", lambda: len(started(log)) >= 2)
    check(started(log)[:2] == [songs[0], songs[3]],
          "the song queued in the walker played next: %s" % names(started(log)))


@case
def close_signal_during_the_auto_tagger_ends_the_program(run):
    source = os.path.join(run.music, "source.wav")
    subprocess.run(["sox", "-n", "-r", "8000", "-c", "1", source, "synth", "0.5", "sine",
                    "440"], check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    mp3 = os.path.join(run.music, "source.mp3")
    subprocess.run(["lame", "--quiet", "-b", "32", source, mp3], check=True)
    songs = []
    for index in range(600):
        path = os.path.join(run.music, "Band %03d-Song %03d.mp3" % (index, index))
        shutil.copyfile(mp3, path)
        songs.append(path)
    os.remove(source)
    os.remove(mp3)
    log = keep_play_log(run)
    playlist = run.playlist("many.qmx", songs)
    run.start(playlist)
    focus_main(run)
    run.key("ctrl+a", "ctrl+shift+3")
    dialog = run.wait_window("^Auto tagger")
    run.xdotool("windowfocus", "--sync", dialog)
    time.sleep(0.2)
    run.key("Return", "alt+u")  # {ARTIST} with the first separator, then Use
    run.wait_window("^Auto-tagging the files of")
    pid = int(run.xdotool("getwindowpid", run.main_window).strip())
    os.kill(pid, signal.SIGTERM)
    wait_for("the program to end", lambda: run.process.poll() is not None, timeout=10)
    run.process = None
    lines = log_lines(log)
    check(lines and lines[-1].endswith(" -> PROGRAM ENDED"),
          "the play log ends with the program's end: %s" % lines[-2:])


# ---- Running ----------------------------------------------------------------------------

class Script:
    def __init__(self, args):
        self.mixorel = os.path.abspath(args.mixorel)
        self.cli = os.path.abspath(args.cli)
        self.keep = args.keep
        self.shots = args.shots


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--mixorel", required=True)
    parser.add_argument("--cli", required=True)
    parser.add_argument("--keep", action="store_true", help="keep each run's folder")
    parser.add_argument("--shots", help="a folder for screenshots of each case")
    parser.add_argument("cases", nargs="*", help="names of the cases to run (default all)")
    args = parser.parse_args()
    missing = [tool for tool in TOOLS if shutil.which(tool) is None]
    if missing:
        print("skipped: missing " + ", ".join(missing))
        return SKIP
    script = Script(args)
    chosen = [c for c in CASES if not args.cases or c.__name__ in args.cases]
    display = Display()
    failed = []
    try:
        for function in chosen:
            run = Run(script, display, function.__name__)
            started = time.monotonic()
            try:
                function(run)
                print("PASS %s (%.1f s)" % (function.__name__, time.monotonic() - started))
            except Exception as error:  # a failed case must not stop the others
                failed.append(function.__name__)
                run.shot("failed")
                print("FAIL %s: %s" % (function.__name__, error))
                if not isinstance(error, Failure):
                    traceback.print_exc()
                log = os.path.join(run.root, "mixorel.log")
                if os.path.exists(log):
                    with open(log, errors="replace") as text:
                        tail = text.read()[-2000:]
                    if tail.strip():
                        print("  program output:\n" + tail)
            finally:
                run.cleanup()
            sys.stdout.flush()
    finally:
        display.close()
    print("%d of %d cases passed" % (len(chosen) - len(failed), len(chosen)))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
