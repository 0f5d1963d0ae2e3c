#!/usr/bin/python3
"""Notices that hold nothing up, driven on the real program.

A private X server (Xvfb) with a window manager (openbox) and a tray host (trayer). Two runs:

1. Another program rewrites data.xml while reminders are due in the next seconds. The next
   firing keeps that version aside and shows "The reminder file was changed by another program";
   while the box is open, the reminders after it still run their programs on time. `tolvane stop`
   with the box open returns 0, the program ends, and nothing fires after "Program stop".
2. The data folder stops taking files while the program runs (a regular file takes its name, so
   it works for root too, and the log in that folder cannot be written either). The next firing
   tells that once; `tolvane stop` then ends the program at once, without a second box that
   waits for the user.

Exit codes: 0 passed, 1 failed, 77 skipped (a tool is missing). Artefacts go to --artefacts.
"""

import datetime
import os
import sys
import time

# No byte code beside the sources, where the shared module is imported from.
sys.dont_write_bytecode = True
from e2e_session import (Failed, find_window, log, read_text, reminder_item, require_tools,
                         run_road, wait_for, write_program, write_store)

SLACK = 2.0  # seconds a program action may come after its due second


def due_items(now, program, marks, plan):
    return [reminder_item(f"4B1D2E3F-0A1B-4C2D-8E3F-5A6B7C8D9E{i:02X}", f"Due {name}", "t", now,
                          repeat=(0, 1, 0, now + datetime.timedelta(seconds=offset)),
                          program=(program, os.path.join(marks, name)),
                          sticker_at=(40 + 70 * i, 420))
            for i, (name, offset) in enumerate(plan.items())]


def notice_boxes(session):
    # The notices' title; the main window, which has the same one, is not opened here.
    window = find_window(session, "Tolvane")
    return [window] if window else []


def start(args, session, log_file):
    tolvane = session.start([args.tolvane], "tolvane")
    wait_for("'Program start' in the log", lambda: "Program start" in read_text(log_file), 15)
    return tolvane


def stop(args, session, tolvane, limit):
    began = time.monotonic()
    result = session.run([args.tolvane, "stop"], check=False, timeout=60)
    if result.returncode != 0:
        raise Failed(f"'tolvane stop' gave {result.returncode}")
    wait_for("the program to end", lambda: tolvane.poll() is not None, limit)
    log(f"'tolvane stop' gave 0; the program ended after {time.monotonic() - began:.2f} s")


def check_marks(marks, plan, t0, fired, never=()):
    for name in fired:
        path = os.path.join(marks, name)
        if not os.path.exists(path):
            raise Failed(f"the program action of reminder {name} never ran")
        late = os.stat(path).st_mtime - (t0 + plan[name])
        if not -0.5 <= late <= SLACK:
            raise Failed(f"reminder {name} ran its program {late:+.2f} s from its due second")
        log(f"reminder {name} ran its program {late:+.2f} s from its due second")
    for name in never:
        if os.path.exists(os.path.join(marks, name)):
            raise Failed(f"reminder {name} ran its program after the program stopped")


def conflict_run(args, session):
    program = os.path.join(session.root, "mark.sh")
    marks = os.path.join(session.root, "marks")
    write_program(program)
    os.makedirs(marks)
    data_file = os.path.join(session.data_dir, "data.xml")
    log_file = os.path.join(session.data_dir, "tolvane.log")
    now = datetime.datetime.utcnow().replace(microsecond=0)
    t0 = now.replace(tzinfo=datetime.timezone.utc).timestamp()
    plan = {"A": 6, "B": 6, "C": 9, "D": 12, "E": 17}
    write_store(data_file, due_items(now, program, marks, plan))
    tolvane = start(args, session, log_file)

    while time.time() < t0 + 3:
        time.sleep(0.05)
    with open(data_file, encoding="utf-8") as f:
        text = f.read().replace("<text>t</text>", "<text>changed elsewhere</text>", 1)
    with open(data_file, "w", encoding="utf-8") as f:  # in place, as a sync tool does
        f.write(text)
    log("another program rewrote data.xml")
    wait_for("the notice of the changed file", lambda: notice_boxes(session), 12)
    log(f"the notice is open {time.time() - t0:.2f} s after the start")
    kept = [n for n in os.listdir(session.data_dir) if n.startswith("data_conflict-")]
    if not kept:
        raise Failed("the other program's version was not kept aside")

    while time.time() < t0 + plan["D"] + SLACK + 0.5:
        time.sleep(0.1)
    if not notice_boxes(session):
        raise Failed("the notice closed by itself")
    check_marks(marks, plan, t0, fired=("A", "B", "C", "D"))
    stop(args, session, tolvane, 10)
    time.sleep(max(0.0, t0 + plan["E"] + SLACK - time.time()))
    lines = read_text(log_file).splitlines()
    ends = [i for i, line in enumerate(lines) if "\tProgram stop\t" in line]
    if not ends:
        raise Failed("no 'Program stop' line in the log")
    if any("\tStart\t" in line for line in lines[ends[-1] + 1:]):
        raise Failed("a reminder fired after 'Program stop'")
    check_marks(marks, plan, t0, fired=(), never=("E",))


def blocked_folder_run(args, session):
    session.use_sandbox("blocked")
    program = os.path.join(session.root, "mark-blocked.sh")
    marks = os.path.join(session.root, "marks-blocked")
    write_program(program)
    os.makedirs(marks)
    log_file = os.path.join(session.data_dir, "tolvane.log")
    now = datetime.datetime.utcnow().replace(microsecond=0)
    t0 = now.replace(tzinfo=datetime.timezone.utc).timestamp()
    plan = {"F": 5, "G": 8}
    write_store(os.path.join(session.data_dir, "data.xml"), due_items(now, program, marks, plan))
    tolvane = start(args, session, log_file)
    aside = session.data_dir + ".aside"
    while time.time() < t0 + 2:
        time.sleep(0.05)
    os.rename(session.data_dir, aside)
    open(session.data_dir, "w").close()
    log("the data folder takes no file any more")
    try:
        wait_for("the notice of the failed save", lambda: notice_boxes(session), 10)
        shown = [time.time()]
        while time.time() < t0 + plan["G"] + SLACK:
            if not notice_boxes(session):
                raise Failed("the notice closed by itself")
            time.sleep(0.2)
        check_marks(marks, plan, t0, fired=("F", "G"))
        log(f"one notice, open since {shown[0] - t0:.2f} s after the start")
        stop(args, session, tolvane, 5)
    finally:
        os.remove(session.data_dir)
        os.rename(aside, session.data_dir)


def notice_road(args, session):
    require_tools()
    session.start_display()
    conflict_run(args, session)
    blocked_folder_run(args, session)


if __name__ == "__main__":
    sys.exit(run_road(notice_road, keep=("tolvane.log",)))
