#!/usr/bin/python3
"""The main road of the program, driven the way a person would drive it.

A private X server (Xvfb) with a window manager (openbox) and a tray host (trayer); a store with
one Once reminder due a few seconds after start, with a sticker, a sound, a program that writes a
marker file and a mail to a local SMTP sink. The program starts; at the due second the sticker
appears, the marker file and the mail arrive and the log has the firing's line. The sticker's
popup menu closes the reminder, `tolvane stop` ends the program, and data.xml then holds the Once
reminder disabled.

Exit codes: 0 passed, 1 failed, 77 skipped (a tool is missing, or the program does not run as a
background program yet). Artefacts (screenshots, the log, the program's output) go to --artefacts.
"""

import datetime
import os
import sys
import time
import xml.etree.ElementTree as ET

# No byte code beside the sources, where the shared module is imported from.
sys.dont_write_bytecode = True
from e2e_session import (Failed, Skipped, SmtpSink, find_window, iso, log, read_text,
                         reminder_item, require_tools, wait_for, write_program, write_sound,
                         run_road, write_store)

SUBJECT = "E2E sticker subject"
REMINDER_ID = "4B1D2E3F-0A1B-4C2D-8E3F-5A6B7C8D9E0F"
DUE_AFTER_START = 8  # seconds


def write_main_store(path, due, sound, program, marker, created):
    item = reminder_item(REMINDER_ID, SUBJECT, "The main road, end to end.", created,
                         repeat=(0, 1, 0, due), mail=("rcpt@example.org", "tolvane@example.org"),
                         sound=sound, program=(program, marker))
    write_store(path, [item])


def reminder_enabled(data_file):
    item = ET.parse(data_file).getroot().find("item")
    if item is None:
        raise Failed("data.xml lost its reminder")
    return item.findtext("enable", "").strip().lower() == "true"


def main_road(args, session):
    require_tools()
    session.start_display()
    sink = SmtpSink(args.artefacts)
    try:
        drive(args, session, sink)
    finally:
        sink.stop()


def drive(args, session, sink):
    session.run([args.settings_tool, "main", "set", "Mail", "Host", "127.0.0.1",
                 "Mail", "Port", str(sink.port)])
    sound = os.path.join(session.root, "bell.wav")
    program = os.path.join(session.root, "mark.sh")
    marker = os.path.join(session.root, "marker")
    write_sound(sound)
    write_program(program)
    data_file = os.path.join(session.data_dir, "data.xml")
    log_file = os.path.join(session.data_dir, "tolvane.log")
    now = datetime.datetime.utcnow()
    due = (now + datetime.timedelta(seconds=DUE_AFTER_START)).replace(microsecond=0)
    write_main_store(data_file, due, sound, program, marker, now)
    due_epoch = due.replace(tzinfo=datetime.timezone.utc).timestamp()
    log(f"the reminder is due at {iso(due)} UTC")

    tolvane = session.start([args.tolvane], "tolvane")
    try:
        wait_for("'Program start' in the log",
                 lambda: "Program start" in read_text(log_file) or tolvane.poll() is not None, 15)
    except Failed:
        raise Failed("the program wrote no 'Program start' line")
    if tolvane.poll() is not None:
        if tolvane.returncode == 0 and "Program start" not in read_text(log_file):
            output = read_text(os.path.join(args.artefacts, "tolvane.out")).strip()
            raise Skipped(f"the program does not run in the background yet ({output})")
        raise Failed(f"the program ended at once with code {tolvane.returncode}")
    log("the program runs")

    window = wait_for("the sticker window", lambda: find_window(session, SUBJECT),
                      DUE_AFTER_START + 10)
    seen = time.time()
    log(f"the sticker window {window} appeared {seen - due_epoch:+.2f} s from the due moment")
    if seen < due_epoch - 0.5 or seen > due_epoch + 2.0:
        raise Failed(f"the sticker appeared {seen - due_epoch:+.2f} s from its due moment")
    session.screenshot("sticker.png")

    wait_for("the marker file of the program action", lambda: os.path.exists(marker), 5)
    log("the program action ran")
    wait_for("the mail at the sink", lambda: sink.messages, 15)
    mail = sink.messages[0]
    if "rcpt@example.org" not in mail.rcpt_tos or SUBJECT.encode() not in mail.content:
        raise Failed(f"the mail is not the reminder's: {mail.rcpt_tos} {mail.content[:200]!r}")
    log("the mail arrived")
    fire_line = wait_for("the firing's log line", lambda: next(
        (line for line in read_text(log_file).splitlines()
         if "\tStart\t" in line and SUBJECT in line), None), 5)
    if REMINDER_ID not in fire_line or "Sticker" not in fire_line:
        raise Failed(f"the log line misses its fields: {fire_line!r}")
    log("the log line is written")

    # The sticker's popup menu: Edit, Sound, Close and remind in ..., Close.
    session.run(["xdotool", "mousemove", "--window", window, "10", "5", "click", "3"])
    time.sleep(0.5)
    session.screenshot("popup.png")
    session.run(["xdotool", "key", "Down", "Down", "Down", "Down", "Return"])
    wait_for("the sticker to close", lambda: find_window(session, SUBJECT) is None, 10)
    log("the sticker closed through its popup menu")

    stop = session.run([args.tolvane, "stop"], check=False, timeout=60)
    log(f"'tolvane stop' gave {stop.returncode}")
    wait_for("the program to end", lambda: tolvane.poll() is not None, 30)
    if "Program stop" not in read_text(log_file):
        raise Failed("no 'Program stop' line in the log")
    log("the program ended with 'Program stop' in the log")
    if reminder_enabled(data_file):
        raise Failed("the closed Once reminder is still enabled in data.xml")
    log("data.xml holds the Once reminder disabled")


if __name__ == "__main__":
    sys.exit(run_road(main_road, keep=("tolvane.log", "data.xml")))
