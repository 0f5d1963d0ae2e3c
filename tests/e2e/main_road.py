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

import argparse
import datetime
import os
import shutil
import socket
import struct
import subprocess
import sys
import tempfile
import time
import wave
import xml.etree.ElementTree as ET

SKIP = 77
SUBJECT = "E2E sticker subject"
REMINDER_ID = "4B1D2E3F-0A1B-4C2D-8E3F-5A6B7C8D9E0F"
DUE_AFTER_START = 8  # seconds


class Failed(Exception):
    pass


class Skipped(Exception):
    pass


def log(text):
    print(f"[{time.strftime('%H:%M:%S')}] {text}", flush=True)


def wait_for(what, predicate, timeout, interval=0.1):
    """Polls until predicate() gives a true value, which is returned; raises Failed after timeout."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failed(f"timed out after {timeout} s waiting for {what}")
        time.sleep(interval)


class Session:
    """The X server, the desktop pieces and the sandbox folders; everything is stopped at the end."""

    def __init__(self, artefacts):
        self.root = tempfile.mkdtemp(prefix="tolvane-e2e-")
        self.artefacts = artefacts
        self.processes = []
        self.home = os.path.join(self.root, "home")
        self.program_dir = os.path.join(self.root, "program")
        self.runtime_dir = os.path.join(self.root, "runtime")
        for folder in (self.home, self.program_dir, self.runtime_dir):
            os.makedirs(folder, mode=0o700)
        self.data_dir = os.path.join(self.home, "Documents", "Tolvane")
        os.makedirs(self.data_dir)
        self.env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "HOME": self.home,
            "XDG_CONFIG_HOME": os.path.join(self.home, ".config"),
            "XDG_RUNTIME_DIR": self.runtime_dir,
            "TOLVANE_PROGRAM_DIR": self.program_dir,
            "LANG": "C.UTF-8",
            "TZ": "UTC",
            "SDL_AUDIODRIVER": "dummy",
            "QT_QPA_PLATFORM": "xcb",
        }
        # A sanitizer build of the program: the X11 platform's D-Bus library keeps its memory.
        suppressions = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "runtime",
                                    "lsan-x11.supp")
        for name in ("ASAN_OPTIONS", "UBSAN_OPTIONS"):
            if name in os.environ:
                self.env[name] = os.environ[name]
        self.env["LSAN_OPTIONS"] = f"suppressions={os.path.normpath(suppressions)}"

    def start(self, argv, name, env=None):
        out = open(os.path.join(self.artefacts, f"{name}.out"), "wb")
        process = subprocess.Popen(argv, env=env or self.env, stdout=out, stderr=subprocess.STDOUT)
        self.processes.append(process)
        return process

    def start_display(self):
        # Xvfb chooses a free display itself and tells its number; its messages go to a log.
        read_end, write_end = os.pipe()
        xvfb_log = os.path.join(self.artefacts, "xvfb.log")
        with open(xvfb_log, "wb") as messages:
            xvfb = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24",
                 "-nolisten", "tcp"],
                pass_fds=(write_end,), stdout=messages, stderr=subprocess.STDOUT)
        self.processes.append(xvfb)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 15
        while not number.endswith(b"\n") and time.monotonic() < deadline:
            chunk = os.read(read_end, 16)
            if not chunk:
                break
            number += chunk
        os.close(read_end)
        if not number.strip():
            with open(xvfb_log, errors="replace") as messages:
                raise Skipped("Xvfb did not start: " + messages.read().strip())
        self.env["DISPLAY"] = ":" + number.decode().strip()
        wait_for("the X server", lambda: self.run(["xdpyinfo"], check=False).returncode == 0, 15)
        self.start(["openbox"], "openbox")
        self.start(["trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel",
                    "--width", "120", "--height", "24"], "trayer")
        wait_for("the window manager", lambda: self.run(
            ["xdotool", "search", "--class", "trayer"], check=False).returncode == 0, 15)

    def run(self, argv, check=True, timeout=30):
        result = subprocess.run(argv, env=self.env, capture_output=True, text=True, timeout=timeout)
        if check and result.returncode != 0:
            raise Failed(f"{' '.join(argv)} gave {result.returncode}: {result.stderr.strip()}")
        return result

    def screenshot(self, name):
        path = os.path.join(self.artefacts, name)
        self.run(["import", "-window", "root", path], check=False)
        log(f"screenshot: {path}")

    def stop(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
        shutil.rmtree(self.root, ignore_errors=True)


class SmtpSink:
    """An aiosmtpd server on 127.0.0.1 that keeps every message it receives."""

    def __init__(self, folder):
        from aiosmtpd.controller import Controller

        self.messages = []
        self.folder = folder
        sink = self

        class Handler:
            async def handle_DATA(self, server, session, envelope):
                sink.messages.append(envelope)
                name = os.path.join(sink.folder, f"mail-{len(sink.messages)}.eml")
                with open(name, "wb") as f:
                    f.write(envelope.content)
                return "250 OK"

        with socket.socket() as probe:
            probe.bind(("127.0.0.1", 0))
            self.port = probe.getsockname()[1]
        self.controller = Controller(Handler(), hostname="127.0.0.1", port=self.port)
        self.controller.start()

    def stop(self):
        self.controller.stop()


def iso(moment):
    return moment.strftime("%Y-%m-%dT%H:%M:%S.") + f"{moment.microsecond // 1000:03d}"


def font(name="DejaVu Sans", size=14, bold=False):
    return (f"<font><name>{name}</name><color>clBlack</color><styleBold>{str(bold).lower()}"
            f"</styleBold><styleItalic>false</styleItalic><styleUnderline>false</styleUnderline>"
            f"<styleStrikeout>false</styleStrikeout><size>{size}</size><charset>1</charset></font>")


def text_block(tag, alignment, bold=False):
    return (f"<{tag}><enable>true</enable><alignment>{alignment}</alignment>{font(bold=bold)}"
            f"<position><left>0</left><top>0</top><width>0</width><height>0</height>"
            f"<autoSize>true</autoSize></position></{tag}>")


def write_store(path, due, sound, program, marker, created):
    item = f"""<?xml version="1.0" encoding="UTF-8"?>
<root>
  <item id="{{{REMINDER_ID}}}" user="e2e">
    <type>0</type><state>0</state><createDt>{iso(created)}</createDt>
    <enable>true</enable><default>false</default><hintEnable>false</hintEnable>
    <subject>{SUBJECT}</subject>
    <text>The main road, end to end.</text>
    <repeat><type>0</type><value1><value>1</value><measure>0</measure></value1>
      <value2><value>0</value><measure>0</measure></value2><dt>{iso(due)}</dt><days></days></repeat>
    <startBound><type>1</type><dt>2000-01-01T00:00:00.000</dt></startBound>
    <stopBound><enable>false</enable><type>0</type><dt>2000-01-01T00:00:00.000</dt>
      <value><value>1</value><measure>1</measure></value></stopBound>
    <duration><enable>false</enable><value1><value>0</value><measure>1</measure></value1>
      <value2><value>10</value><measure>0</measure></value2></duration>
    <remindBefore><enable>false</enable><value><value>10</value><measure>0</measure></value></remindBefore>
    <remindAfter><enable>false</enable><value><value>5</value><measure>0</measure></value>
      <dtStart>1899-12-30T00:00:00.000</dtStart><dtStop>1899-12-30T00:00:00.000</dtStop></remindAfter>
    <tray>false</tray>
    <sticker>
      <enable>true</enable><textAsHintEnable>true</textAsHintEnable>
      <subjectAsHintEnable>true</subjectAsHintEnable><onTop>true</onTop><opacity>0</opacity>
      {text_block("text", 0)}{text_block("subject", 2, bold=True)}{text_block("time", 1)}{text_block("date", 0)}
      <position><left>200</left><top>150</top><width>0</width><height>0</height><autoSize>true</autoSize></position>
      <background><transparent>false</transparent><color>clInfoBk</color></background>
      <frame><enable>true</enable><color>clBlack</color><style>0</style></frame>
      <image><enable>false</enable><transparent>true</transparent></image>
      <movingImage><enable>false</enable><transparent>true</transparent></movingImage>
    </sticker>
    <mail><enable>true</enable><to>rcpt@example.org</to><from>tolvane@example.org</from>
      <cc></cc><bcc></bcc><files></files></mail>
    <sound><enable>true</enable><fileName>{sound}</fileName><volume>50</volume><repeat>false</repeat></sound>
    <shellExec><enable>true</enable><fileName>{program}</fileName><params>{marker}</params>
      <folder></folder><flag>1</flag></shellExec>
  </item>
</root>
"""
    with open(path, "w", encoding="utf-8") as f:
        f.write(item)


def write_sound(path):
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(8000)
        w.writeframes(struct.pack("<h", 0) * 8000)


def write_program(path):
    with open(path, "w") as f:
        f.write('#!/bin/sh\ntouch "$1"\n')
    os.chmod(path, 0o755)


def read_text(path):
    try:
        with open(path, encoding="utf-8", errors="replace") as f:
            return f.read()
    except FileNotFoundError:
        return ""


def find_window(session, name):
    result = session.run(["xdotool", "search", "--onlyvisible", "--name", f"^{name}$"], check=False)
    ids = result.stdout.split()
    for window in ids:
        info = session.run(["xwininfo", "-id", window], check=False).stdout
        if "IsViewable" in info:
            return window
    return None


def reminder_enabled(data_file):
    item = ET.parse(data_file).getroot().find("item")
    if item is None:
        raise Failed("data.xml lost its reminder")
    return item.findtext("enable", "").strip().lower() == "true"


def main_road(args, session):
    tools = ["Xvfb", "xdotool", "openbox", "trayer", "import", "xwininfo", "xdpyinfo"]
    missing = [t for t in tools if shutil.which(t) is None]
    if missing:
        raise Skipped("missing tools: " + ", ".join(missing))
    try:
        import aiosmtpd  # noqa: F401
    except ImportError:
        raise Skipped("python3-aiosmtpd is not installed")

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
    write_store(data_file, due, sound, program, marker, now)
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


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tolvane", required=True)
    parser.add_argument("--settings-tool", required=True)
    parser.add_argument("--artefacts", required=True)
    args = parser.parse_args()
    os.makedirs(args.artefacts, exist_ok=True)
    session = Session(args.artefacts)
    try:
        main_road(args, session)
    except Skipped as e:
        log(f"skipped: {e}")
        return SKIP
    except Failed as e:
        log(f"FAILED: {e}")
        session.screenshot("failure.png")
        return 1
    finally:
        for name in ("tolvane.log", "data.xml"):
            source = os.path.join(session.data_dir, name)
            if os.path.exists(source):
                shutil.copy(source, os.path.join(args.artefacts, name))
        session.stop()
    log("passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
