"""What the end-to-end runs share: a private X server (Xvfb) with a window manager (openbox) and a
tray host (trayer), sandbox folders for the program, a local SMTP sink, and small helpers to find
windows and write reminder files.
"""

import argparse
import os
import shutil
import socket
import struct
import subprocess
import tempfile
import time
import wave

SKIP = 77
TOOLS = ["Xvfb", "xdotool", "openbox", "trayer", "import", "xwininfo", "xdpyinfo"]


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
        self.env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "LANG": "C.UTF-8",
            "TZ": "UTC",
            "SDL_AUDIODRIVER": "dummy",
            "QT_QPA_PLATFORM": "xcb",
        }
        self.use_sandbox("")
        # A sanitizer build of the program: the X11 platform's D-Bus library keeps its memory.
        suppressions = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "runtime",
                                    "lsan-x11.supp")
        for name in ("ASAN_OPTIONS", "UBSAN_OPTIONS"):
            if name in os.environ:
                self.env[name] = os.environ[name]
        self.env["LSAN_OPTIONS"] = f"suppressions={os.path.normpath(suppressions)}"

    def use_sandbox(self, name):
        """Fresh home, program and runtime folders below the session's root: a user of their own,
        with a single-instance lock of their own, on the same display."""
        base = os.path.join(self.root, name)
        self.home = os.path.join(base, "home")
        self.program_dir = os.path.join(base, "program")
        self.runtime_dir = os.path.join(base, "runtime")
        for folder in (self.home, self.program_dir, self.runtime_dir):
            os.makedirs(folder, mode=0o700)
        self.data_dir = os.path.join(self.home, "Documents", "Tolvane")
        os.makedirs(self.data_dir)
        # Every start also locks in the private folder /tmp/tolvane-<uid>, which all sandboxes
        # (and every other run on this machine) share: the test folder keeps the lock apart.
        self.env.update({
            "HOME": self.home,
            "XDG_CONFIG_HOME": os.path.join(self.home, ".config"),
            "XDG_RUNTIME_DIR": self.runtime_dir,
            "TOLVANE_RUNTIME_DIR": self.runtime_dir,
            "TOLVANE_PROGRAM_DIR": self.program_dir,
        })

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

    def screenshot(self, name, window="root"):
        path = os.path.join(self.artefacts, name)
        self.run(["import", "-window", window, path], check=False)
        log(f"screenshot: {path}")
        return path

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


def reminder_item(reminder_id, subject, text, created, repeat, start_bound=None, stop_bound=None,
                  sticker_at=(200, 150), mail=None, sound=None, program=None):
    """One <item> of data.xml with a sticker. repeat is (type, value1, measure1, dt); start_bound
    a fixed moment (None: from 2000 on); stop_bound a fixed moment or None (no stop); mail
    (to, from); sound a file name; program (file, parameters)."""
    repeat_type, value1, measure1, repeat_dt = repeat
    start = iso(start_bound) if start_bound else "2000-01-01T00:00:00.000"
    # Stop type 1 is "until a date and time"; 0, "until a time of day", stands for no stop.
    stop_enable, stop_type = ("true", 1) if stop_bound else ("false", 0)
    stop = iso(stop_bound) if stop_bound else "2000-01-01T00:00:00.000"
    mail_to, mail_from = mail or ("", "")
    program_file, program_params = program or ("", "")
    left, top = sticker_at
    return f"""  <item id="{{{reminder_id}}}" user="e2e">
    <type>0</type><state>0</state><createDt>{iso(created)}</createDt>
    <enable>true</enable><default>false</default><hintEnable>false</hintEnable>
    <subject>{subject}</subject>
    <text>{text}</text>
    <repeat><type>{repeat_type}</type><value1><value>{value1}</value><measure>{measure1}</measure></value1>
      <value2><value>0</value><measure>0</measure></value2><dt>{iso(repeat_dt)}</dt><days></days></repeat>
    <startBound><type>1</type><dt>{start}</dt></startBound>
    <stopBound><enable>{stop_enable}</enable><type>{stop_type}</type><dt>{stop}</dt>
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
      <position><left>{left}</left><top>{top}</top><width>0</width><height>0</height><autoSize>true</autoSize></position>
      <background><transparent>false</transparent><color>clInfoBk</color></background>
      <frame><enable>true</enable><color>clBlack</color><style>0</style></frame>
      <image><enable>false</enable><transparent>true</transparent></image>
      <movingImage><enable>false</enable><transparent>true</transparent></movingImage>
    </sticker>
    <mail><enable>{str(mail is not None).lower()}</enable><to>{mail_to}</to><from>{mail_from}</from>
      <cc></cc><bcc></bcc><files></files></mail>
    <sound><enable>{str(sound is not None).lower()}</enable><fileName>{sound or ""}</fileName><volume>50</volume><repeat>false</repeat></sound>
    <shellExec><enable>{str(program is not None).lower()}</enable><fileName>{program_file}</fileName><params>{program_params}</params>
      <folder></folder><flag>1</flag></shellExec>
  </item>
"""


def write_store(path, items):
    with open(path, "w", encoding="utf-8") as f:
        f.write('<?xml version="1.0" encoding="UTF-8"?>\n<root>\n' + "".join(items) + "</root>\n")


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


def require_tools():
    """Raises Skipped, naming what is missing, when the desktop pieces or the SMTP sink are not
    installed."""
    missing = [t for t in TOOLS if shutil.which(t) is None]
    if missing:
        raise Skipped("missing tools: " + ", ".join(missing))
    try:
        import aiosmtpd  # noqa: F401
    except ImportError:
        raise Skipped("python3-aiosmtpd is not installed")


def run_road(road, keep=()):
    """Runs road(args, session) with the command line's --tolvane, --settings-tool and --artefacts;
    the files named in keep (from the data folder) are copied to the artefacts at the end. Returns
    the exit code: 0 passed, 1 failed, SKIP skipped."""
    parser = argparse.ArgumentParser()
    parser.add_argument("--tolvane", required=True)
    parser.add_argument("--settings-tool", required=True)
    parser.add_argument("--artefacts", required=True)
    args = parser.parse_args()
    os.makedirs(args.artefacts, exist_ok=True)
    session = Session(args.artefacts)
    started = time.monotonic()
    try:
        road(args, session)
    except Skipped as e:
        log(f"skipped: {e}")
        return SKIP
    except Failed as e:
        log(f"FAILED: {e}")
        session.screenshot("failure.png")
        return 1
    finally:
        for name in keep:
            source = os.path.join(session.data_dir, name)
            if os.path.exists(source):
                shutil.copy(source, os.path.join(args.artefacts, name))
        session.stop()
    log(f"passed in {time.monotonic() - started:.0f} s")
    return 0
