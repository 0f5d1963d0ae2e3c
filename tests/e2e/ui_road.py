#!/usr/bin/python3
"""The user interface driven the way a person would drive it, with the mouse and the keyboard.

Three runs of the program on one private X server (Xvfb, openbox, trayer), each with sandbox
folders of its own:
  1. a second start opens the main window; Insert opens the editor ("Reminder"); a subject and a
     one-time schedule some seconds ahead are entered and confirmed; data.xml holds the
     reminder; the editor opened on it four times keeps its place, and so does the time-bounds
     dialog of a second editor; it fires on time as a sticker while that editor's "Next dates of
     run" box is open, and the box, then the editor's question whether to save, stay above the
     sticker and keep the keyboard;
  2. a reminder repeating every minute fires; its sticker's menu opens the editor, which is left
     with Escape and "No" to saving; the reminder fires again at its next minute; "Close and
     remind in ..." for one minute closes the sticker, which comes back a minute later and stays;
  3. the data-folder switch on the Options page is applied while the main window is open, then
     `tolvane stop`: control2.dat holds the switch and the log, in the new folder, ends with
     "Program stop".

Assertions come from files and window titles. Screenshots go to --artefacts, with three window
pictures for the README: main-window.png (run 1), editor.png and sticker.png (run 2).

Exit codes: 0 passed, 1 failed, 77 skipped (a tool is missing).
"""

import datetime
import os
import shutil
import sys
import time
import xml.etree.ElementTree as ET

# No byte code beside the sources, where the shared module is imported from.
sys.dont_write_bytecode = True
from e2e_session import (Failed, SmtpSink, find_window, iso, log, read_text,
                         reminder_item, require_tools, run_road, wait_for, write_store)

NEW_SUBJECT = "Water the plants"
MINUTELY_SUBJECT = "Stretch your legs"
MINUTELY_ID = "7C2A1E40-3B5D-4F6E-9A8B-1C2D3E4F5A6B"
# How far ahead the new reminder is set: enough for typing it, checking the list and the editor's
# places, and opening a box for its sticker to fire under.
NEW_DUE_AFTER = 45  # seconds
FIRST_MINUTELY_RUN = 8  # seconds after the program started
# A sticker must show within this span of its due moment (the tick comes a tenth of a second
# into each second; the search polls).
EARLY, LATE = 0.5, 2.0

# Window-relative places of controls, from the .ui layouts at 1024x768 with openbox.
MAIN_LOCAL_FOLDER = (116, 325)     # Options: "Save all data in programs folder"
MAIN_APPLY = (-41, 30)             # Options: Apply, from the window's right edge
EDITOR_TAB_MAIN = (26, 24)
EDITOR_TAB_TIMETABLE = (105, 24)
EDITOR_SUBJECT = (125, 111)
EDITOR_TEXT = (100, 300)
EDITOR_ONCE = (41, 84)             # Timetable: the "Once" type
EDITOR_ONCE_TIME = (90, 132)       # Timetable: the time of a one-time reminder
EDITOR_OK = (283, 646)
EDITOR_NEXT_RUN = (150, 107)       # Timetable: the "Next run" link of a one-time reminder
EDITOR_START_BOUND = (160, 197)    # Timetable: the start bound's link
AFTER_ENABLE = (25, 43)            # "Close and remind in ...": Enable
AFTER_VALUE = (144, 70)            # its number
AFTER_OK = (157, 110)


class Desktop:
    """xdotool and xwininfo on the session's display: windows by title, clicks relative to a
    window, keys through XTEST to the focused window."""

    def __init__(self, session):
        self.session = session

    def xdotool(self, *argv):
        self.session.run(["xdotool", *map(str, argv)])

    def window(self, title, timeout=15):
        return wait_for(f"the window '{title}'", lambda: find_window(self.session, title), timeout)

    def gone(self, window, title, timeout=15):
        wait_for(f"the window '{title}' to close",
                 lambda: window not in self.windows(title), timeout)

    def windows(self, title):
        found = self.session.run(["xdotool", "search", "--onlyvisible", "--name", f"^{title}$"],
                                 check=False)
        return found.stdout.split()

    def activate(self, window):
        self.xdotool("windowactivate", "--sync", window)

    def click(self, window, at, button=1):
        self.xdotool("mousemove", "--window", window, at[0], at[1], "click", button)

    def key(self, *keys):
        self.xdotool("key", "--delay", 40, *keys)

    def type(self, text):
        self.xdotool("type", "--delay", 30, text)

    def active(self):
        return self.session.run(["xdotool", "getactivewindow"], check=False).stdout.strip()

    def client_at(self, window):
        """Where the X server has the window's inside on the screen."""
        info = self.session.run(["xwininfo", "-id", window]).stdout
        field = dict(line.strip().partition(":")[::2] for line in info.splitlines() if ":" in line)
        return (int(field["Absolute upper-left X"]), int(field["Absolute upper-left Y"]))

    def stacking(self):
        """The managed windows from the bottom to the top, as the window manager stacks them."""
        out = self.session.run(["xprop", "-root", "_NET_CLIENT_LIST_STACKING"], check=False).stdout
        return [int(word.strip(","), 16) for word in out.split() if word.startswith("0x")]

    def width(self, window):
        info = self.session.run(["xwininfo", "-id", window]).stdout
        field = dict(line.strip().partition(":")[::2] for line in info.splitlines() if ":" in line)
        return int(field["Width"])

    def title(self, window):
        return self.session.run(["xdotool", "getwindowname", window], check=False).stdout.strip()

    def shot_of(self, window, name):
        """The window as it shows on the screen, windows above it included (a grab of the
        window alone leaves black holes where an always-on-top sticker covers it)."""
        info = self.session.run(["xwininfo", "-id", window]).stdout
        field = {}
        for line in info.splitlines():
            key, _, value = line.strip().partition(":")
            field[key] = value.strip()
        geometry = (f"{field['Width']}x{field['Height']}"
                    f"+{field['Absolute upper-left X']}+{field['Absolute upper-left Y']}")
        path = os.path.join(self.session.artefacts, name)
        self.session.run(["import", "-window", "root", "-crop", geometry, "+repage", path])
        log(f"window picture: {path}")


class Program:
    """One running copy of the program in the session's current sandbox."""

    def __init__(self, args, session, name):
        self.args = args
        self.session = session
        self.name = name
        self.process = None

    @property
    def log_file(self):
        return os.path.join(self.session.data_dir, "tolvane.log")

    def start(self):
        self.process = self.session.start([self.args.tolvane], self.name)
        wait_for("'Program start' in the log",
                 lambda: "Program start" in read_text(self.log_file) or
                 self.process.poll() is not None, 20)
        if self.process.poll() is not None:
            raise Failed(f"the program ended at once with code {self.process.returncode}")
        log("the program runs")

    def second_start(self):
        """A second start hands over to the running copy, which opens its main window."""
        second = self.session.run([self.args.tolvane], check=False, timeout=30)
        if second.returncode != 0:
            raise Failed(f"the second start gave {second.returncode}: {second.stderr.strip()}")

    def stop(self):
        stop = self.session.run([self.args.tolvane, "stop"], check=False, timeout=60)
        if stop.returncode != 0:
            raise Failed(f"'tolvane stop' gave {stop.returncode}: {stop.stderr.strip()}")
        wait_for("the program to end", lambda: self.process.poll() is not None, 30)
        log("the program ended")

    def keep_files(self, folder=None):
        for name in ("tolvane.log", "data.xml"):
            source = os.path.join(folder or self.session.data_dir, name)
            if os.path.exists(source):
                shutil.copy(source, os.path.join(self.session.artefacts, f"{self.name}-{name}"))


def prepare_sandbox(args, session, sink, name):
    """Fresh folders, the program folder's files as an install has them, and mail settings that
    point at the local sink, so that nothing leaves the machine."""
    session.use_sandbox(name)
    program_folder = os.path.dirname(os.path.abspath(args.tolvane))
    for file_name in ("tolvane_default.lng", "tolvane.html"):
        source = os.path.join(program_folder, file_name)
        if os.path.exists(source):
            shutil.copy(source, session.program_dir)
    session.run([args.settings_tool, "main", "set", "Mail", "Host", "127.0.0.1",
                 "Mail", "Port", str(sink.port)])


def utc_now():
    return datetime.datetime.now(datetime.timezone.utc).replace(tzinfo=None)


def epoch(moment):
    return moment.replace(tzinfo=datetime.timezone.utc).timestamp()


def items_with(data_file, subject):
    try:
        root = ET.parse(data_file).getroot()
    except (ET.ParseError, FileNotFoundError):
        return []
    return [item for item in root.findall("item") if item.findtext("subject", "") == subject]


def check_on_time(what, seen, due, late=LATE):
    delta = seen - due
    log(f"{what} showed {delta:+.2f} s from its due moment")
    if delta < -EARLY or delta > late:
        raise Failed(f"{what} showed {delta:+.2f} s from its due moment")


def wait_sticker(desktop, subject, due, what, late=LATE):
    """Waits for the sticker whose title is the subject; checks that it came at its due moment."""
    timeout = max(due - time.time(), 0) + late + 10
    window = desktop.window(subject, timeout)
    check_on_time(what, time.time(), due, late)
    return window


def check_above_with_keys(desktop, box, sticker, what):
    """The box lies above the sticker that fired while it was open, and still has the keys."""
    stacking = desktop.stacking()
    if int(box) not in stacking or int(sticker) not in stacking:
        raise Failed(f"{what} or the sticker is not among the managed windows: {stacking}")
    if stacking.index(int(box)) < stacking.index(int(sticker)):
        names = [desktop.title(str(w)) for w in stacking]
        raise Failed(f"the sticker that fired lies above {what}; from the bottom up: {names}")
    active = desktop.active()
    if active != box:
        raise Failed(f"{what} lost the keyboard to '{desktop.title(active)}'")
    log(f"{what} stays above the sticker that fired and keeps the keyboard")


def check_kept_place(what, places):
    log(f"{what} opened at {places}")
    if any(abs(x - places[0][0]) + abs(y - places[0][1]) > 3 for x, y in places):
        raise Failed(f"{what} moved between openings: {places}")


def fire_lines(log_file, subject):
    return [line for line in read_text(log_file).splitlines()
            if "\tStart\t" in line and subject in line]


# --- 1. A new reminder through the main window and the editor ------------------------------------

def new_reminder(args, session, desktop, sink):
    log("1. a new reminder through the main window and the editor")
    prepare_sandbox(args, session, sink, "new-reminder")
    program = Program(args, session, "new-reminder")
    data_file = os.path.join(session.data_dir, "data.xml")
    try:
        program.start()
        program.second_start()
        main = desktop.window("Tolvane")
        desktop.activate(main)
        log(f"the second start opened the main window {main}")
        session.screenshot("1-main-window.png")

        # The list has the keys as soon as the window opens on it: no click first.
        desktop.key("Insert")
        editor = desktop.window("Reminder")
        log(f"Insert opened the editor {editor}")
        desktop.click(editor, EDITOR_SUBJECT)
        desktop.key("ctrl+a")
        desktop.type(NEW_SUBJECT)
        session.screenshot("1-editor.png")

        desktop.click(editor, EDITOR_TAB_TIMETABLE)
        desktop.click(editor, EDITOR_ONCE)
        # The time is typed from its first section on; the date stays today's. Near midnight
        # "today" would be gone before the reminder is due.
        while utc_now().time() > datetime.time(23, 59, 30):
            time.sleep(1)
        due = (utc_now() + datetime.timedelta(seconds=NEW_DUE_AFTER + 1)).replace(microsecond=0)
        desktop.click(editor, EDITOR_ONCE_TIME)
        desktop.key("Home", "shift+Right", "shift+Right", *due.strftime("%H%M%S"))
        session.screenshot("1-editor-timetable.png")
        log(f"the reminder is set for {iso(due)} UTC")
        desktop.click(editor, EDITOR_OK)
        desktop.gone(editor, "Reminder")
        log("OK closed the editor")

        items = wait_for("the new reminder in data.xml", lambda: items_with(data_file, NEW_SUBJECT),
                         10)
        item = items[0]
        stored = item.findtext("repeat/dt", "")
        if (len(items) != 1 or item.findtext("repeat/type") != "0" or
                item.findtext("enable") != "true" or not stored.startswith(iso(due)[:19])):
            raise Failed(f"data.xml holds {len(items)} such reminders, type "
                         f"{item.findtext('repeat/type')}, enable {item.findtext('enable')}, "
                         f"at {stored}")
        log("data.xml holds the new one-time reminder at its moment")
        # The row the editor added is the selected one: Return on the list edits it, and an
        # unchanged editor closes on Escape without a question.
        desktop.activate(main)
        desktop.shot_of(main, "main-window.png")
        # Opened four times, the editor comes back where it was: it used to creep up by the
        # height of its title bar at every opening.
        places = []
        for opening in range(4):
            desktop.key("Return")
            again = desktop.window("Reminder")
            time.sleep(0.5)  # the window manager frames and places it
            places.append(desktop.client_at(again))
            if opening == 0:
                session.screenshot("1-row-edited.png")
            desktop.key("Escape")
            desktop.gone(again, "Reminder")
            desktop.activate(main)
        log("the list holds the new row: Return on it opened the editor")
        check_kept_place("the editor", places)

        # A second editor, for a new reminder: its time-bounds dialog keeps its place too.
        desktop.key("Insert")
        other = desktop.window("Reminder")
        desktop.click(other, EDITOR_TAB_TIMETABLE)
        desktop.click(other, EDITOR_ONCE)
        places = []
        for opening in range(4):
            desktop.click(other, EDITOR_START_BOUND)
            bounds = desktop.window("Time bounds")
            time.sleep(0.5)
            places.append(desktop.client_at(bounds))
            desktop.key("Escape")
            desktop.gone(bounds, "Time bounds")
        check_kept_place("the time-bounds dialog", places)

        # "Next dates of run" is open when the first reminder's sticker fires: the box stays
        # above it, and Return still closes it.
        desktop.click(other, EDITOR_NEXT_RUN)
        box = wait_for("the box of the next dates", lambda: (
            (w := desktop.active()) and w not in (other, main) and
            desktop.title(w) == "Tolvane" and w), 10)
        if time.time() > epoch(due) - 1:
            raise Failed("the box opened too late for the sticker to fire under it")
        sticker = wait_sticker(desktop, NEW_SUBJECT, epoch(due), "the new reminder's sticker")
        time.sleep(0.5)
        session.screenshot("1-sticker.png")
        check_above_with_keys(desktop, box, sticker, "the box of the next dates")
        desktop.key("Return")
        desktop.gone(box, "Tolvane")
        # So does the editor's question whether to save the new reminder.
        desktop.key("Escape")
        question = wait_for("the question whether to save", lambda: (
            (w := desktop.active()) and w not in (other, main) and
            desktop.title(w) == "Tolvane" and w), 10)
        session.screenshot("1-save-question.png")
        check_above_with_keys(desktop, question, sticker, "the question whether to save")
        desktop.key("alt+n")
        desktop.gone(question, "Tolvane")
        desktop.gone(other, "Reminder")
        wait_for("the firing's log line", lambda: fire_lines(program.log_file, NEW_SUBJECT), 5)
        program.stop()
        if "Program stop" not in read_text(program.log_file):
            raise Failed("no 'Program stop' line in the log")
    finally:
        program.keep_files()


# --- 2. A firing sticker's menu: Edit, then Close and remind in ... -----------------------------

def sticker_menu(args, session, desktop, sink):
    log("2. a firing sticker's menu")
    prepare_sandbox(args, session, sink, "sticker-menu")
    program = Program(args, session, "sticker-menu")
    data_file = os.path.join(session.data_dir, "data.xml")
    now = utc_now().replace(microsecond=0)
    first = now + datetime.timedelta(seconds=FIRST_MINUTELY_RUN)
    second = first + datetime.timedelta(minutes=1)
    # The stop lies after the second run: the sticker that comes back after that can only be the
    # remind-again one, not the third run.
    stop = second + datetime.timedelta(seconds=30)
    write_store(data_file, [reminder_item(
        MINUTELY_ID, MINUTELY_SUBJECT, "Every minute", now, repeat=(1, 1, 0, first),
        start_bound=first, stop_bound=stop, sticker_at=(20, 640))])
    log(f"the reminder runs every minute from {iso(first)} UTC until {iso(stop)} UTC")
    try:
        program.start()
        sticker = wait_sticker(desktop, MINUTELY_SUBJECT, epoch(first), "the first run's sticker")
        session.screenshot("2-first-run.png")
        desktop.shot_of(sticker, "sticker.png")

        desktop.click(sticker, (10, 5), button=3)
        time.sleep(0.3)
        session.screenshot("2-sticker-menu.png")
        desktop.key("Down", "Return")  # Edit
        editor = desktop.window("Reminder")
        log(f"Edit opened the editor {editor}")
        desktop.shot_of(editor, "editor.png")
        desktop.click(editor, EDITOR_TEXT)
        desktop.type("A changed text")
        desktop.key("Escape")
        question = wait_for("the question whether to save", lambda: (
            (w := desktop.active()) and w != editor and desktop.title(w) == "Tolvane" and w), 10)
        session.screenshot("2-save-question.png")
        desktop.key("alt+n")
        desktop.gone(question, "Tolvane")
        desktop.gone(editor, "Reminder")
        log("Escape and No closed the editor")
        item = items_with(data_file, MINUTELY_SUBJECT)[0]
        if item.findtext("text") != "Every minute":
            raise Failed(f"the discarded change reached data.xml: {item.findtext('text')!r}")
        if find_window(session, MINUTELY_SUBJECT):
            raise Failed("the sticker is still shown after the editor closed")

        sticker = wait_sticker(desktop, MINUTELY_SUBJECT, epoch(second),
                               "the second run's sticker")
        session.screenshot("2-second-run.png")
        desktop.click(sticker, (10, 5), button=3)
        time.sleep(0.3)
        # Edit, (Sound: disabled without a sound, so the keys pass it by), Close and remind in ...
        desktop.key("Down", "Down", "Return")
        dialog = desktop.window("Close and remind in ...")
        desktop.click(dialog, AFTER_ENABLE)
        desktop.click(dialog, AFTER_VALUE)
        desktop.key("ctrl+a", "1")
        session.screenshot("2-remind-in.png")
        desktop.click(dialog, AFTER_OK)
        closed = time.time()
        desktop.gone(dialog, "Close and remind in ...")
        wait_for("the sticker to close", lambda: find_window(session, MINUTELY_SUBJECT) is None, 10)
        log("the sticker closed; it is to come back in a minute")

        # Its moment is a minute after the click, not a whole second: the tick after it fires it.
        again = wait_sticker(desktop, MINUTELY_SUBJECT, closed + 60, "the remind-again sticker",
                             LATE + 1)
        session.screenshot("2-remind-again.png")
        # Without a duration it waits for the user, as the run it stands for did.
        time.sleep(3)
        if find_window(session, MINUTELY_SUBJECT) != again:
            raise Failed("the remind-again sticker closed by itself")
        lines = wait_for("three firings in the log",
                         lambda: len(fire_lines(program.log_file, MINUTELY_SUBJECT)) >= 3 and
                         fire_lines(program.log_file, MINUTELY_SUBJECT), 5)
        if len(lines) != 3:
            raise Failed(f"the log has {len(lines)} firings: {lines}")
        program.stop()
    finally:
        program.keep_files()


# --- 3. The data-folder switch, then tolvane stop ------------------------------------------------

def data_folder(args, session, desktop, sink):
    log("3. the data-folder switch, then tolvane stop")
    prepare_sandbox(args, session, sink, "data-folder")
    program = Program(args, session, "data-folder")
    try:
        program.start()
        program.second_start()
        main = desktop.window("Tolvane")
        desktop.activate(main)
        desktop.key("alt+v")
        time.sleep(0.3)
        desktop.key("o")
        time.sleep(0.3)
        desktop.click(main, MAIN_LOCAL_FOLDER)
        # The window is as wide as the reminder list's columns need: Apply sits at its right.
        desktop.click(main, (desktop.width(main) + MAIN_APPLY[0], MAIN_APPLY[1]))
        wait_for("data.xml in the program folder",
                 lambda: os.path.exists(os.path.join(session.program_dir, "data.xml")), 10)
        session.screenshot("3-options-applied.png")
        program.stop()
    finally:
        program.keep_files(session.program_dir)
    settings = session.run([args.settings_tool, "local", "show"]).stdout
    if "UseLocalFolder=1" not in settings.replace(" ", ""):
        raise Failed(f"control2.dat does not hold the switch:\n{settings}")
    log("control2.dat holds the switch")
    lines = [line for line in read_text(os.path.join(session.program_dir, "tolvane.log"))
             .splitlines() if line.strip()]
    if not lines or "Program stop" not in lines[-1]:
        raise Failed(f"the log in the program folder ends with {lines[-1:]!r}")
    log("the log in the program folder ends with 'Program stop'")


def ui_road(args, session):
    require_tools()
    session.start_display()
    sink = SmtpSink(args.artefacts)
    desktop = Desktop(session)
    try:
        new_reminder(args, session, desktop, sink)
        sticker_menu(args, session, desktop, sink)
        data_folder(args, session, desktop, sink)
    finally:
        sink.stop()


if __name__ == "__main__":
    sys.exit(run_road(ui_road))
