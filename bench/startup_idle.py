#!/usr/bin/python3
"""Start-up and idle cost of the program with many reminders, measured over /proc.

    bench/startup_idle.py --tolvane build-cc/app/tolvane [--count 10000] [--idle 30]
    bench/startup_idle.py --tolvane build-cc/app/tolvane --log-lines 1000000 [--idle 5]

Runs the program twice in a private sandbox (HOME, XDG folders, program folder) on a private X
server with a tray host (Xvfb and trayer; without them on the offscreen platform, where no tray
icon can be seen): once with an empty store, once with --count reminders, none of which comes due
(enabled one-time reminders a year ahead, each with a sticker). For each run it prints

  icon      seconds from the start until the program's tray icon has docked in the tray
  painted   seconds from the start until that icon shows its picture (needs ImageMagick's import)
  cpu10     CPU seconds (user + system, /proc/PID/stat) the program used in its first 10 s
  rss       resident memory (/proc/PID/status VmRSS) after 10 s
  idle      CPU used over the next --idle seconds, in percent of one core

and the memory per reminder: (rss with the reminders - rss without) / count.
Goals: the icon docked and painted within 0.5 s at 10,000 reminders; idle under 0.1 % of a
core at 1,000.

With --log-lines both runs have an empty store; the second starts with a log of that many lines
(the first half older than the 30 days the log keeps, so the start-up purge has them to drop),
and the difference of the icon times is printed. Goal: within 0.1 s at 1,000,000 lines.
"""

import argparse
import datetime
import os
import shutil
import subprocess
import sys
import tempfile
import time

CLK_TCK = os.sysconf("SC_CLK_TCK")


def iso(moment):
    return moment.strftime("%Y-%m-%dT%H:%M:%S.000")


def write_store(path, count):
    due = iso(datetime.datetime.now() + datetime.timedelta(days=365))
    parts = ['<?xml version="1.0" encoding="UTF-8"?>\n<root>\n']
    for i in range(count):
        parts.append(
            f'<item id="{{{i:08X}-0000-4000-8000-000000000000}}" user="bench"><type>0</type>'
            f"<state>0</state><enable>true</enable><subject>Reminder {i}</subject>"
            f"<text>Text of reminder {i}</text><repeat><type>0</type><dt>{due}</dt></repeat>"
            "<startBound><type>1</type><dt>2000-01-01T00:00:00.000</dt></startBound>"
            "<sticker><enable>true</enable></sticker></item>\n")
    parts.append("</root>\n")
    with open(path, "w", encoding="utf-8") as f:
        f.write("".join(parts))


def write_log(path, lines):
    epoch = datetime.datetime(1899, 12, 30)
    now = datetime.datetime.now()
    with open(path, "w", encoding="utf-8", newline="") as f:
        chunk = []
        for i in range(lines):
            moment = now - datetime.timedelta(days=60 if i < lines // 2 else 0,
                                              seconds=lines - i)
            days = (moment - epoch).total_seconds() / 86400
            chunk.append(f"{moment:%d.%m.%y    %H:%M:%S}\t{days:.10f}\tbench\tStart\t"
                         f"Reminder {i % 97}\tSticker\t    \t    \t    \t    \t"
                         f"Take the medicine\t{{{i % 97:08X}-0000-4000-8000-000000000000}}\t\r\n")
            if len(chunk) == 10000:
                f.write("".join(chunk))
                chunk = []
        f.write("".join(chunk))


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / CLK_TCK  # utime, stime


def rss_kb(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def docked():
    """The window of the program's icon in the tray, or None."""
    tree = subprocess.run(["xwininfo", "-root", "-tree"], capture_output=True, text=True).stdout
    inside, depth = False, 0
    for line in tree.splitlines():
        indent = len(line) - len(line.lstrip())
        if '("panel" "trayer")' in line:
            inside, depth = True, indent
        elif inside and indent <= depth:
            inside = False
        elif inside and '("tolvane" "Tolvane")' in line:
            return line.split()[0]
    return None


def painted(window):
    """Whether the icon's window shows more than one colour (its picture)."""
    if not shutil.which("import"):
        return False
    shown = subprocess.run(["import", "-window", window, "-format", "%[fx:standard_deviation]",
                            "info:"], capture_output=True, text=True).stdout.strip()
    try:
        return float(shown or 0) > 0.01
    except ValueError:
        return False


class Display:
    """Xvfb with trayer, or nothing (offscreen) when they are missing."""

    def __init__(self, folder):
        self.procs = []
        self.env = {}
        if not (shutil.which("Xvfb") and shutil.which("trayer") and shutil.which("xwininfo")):
            self.env["QT_QPA_PLATFORM"] = "offscreen"
            return
        number = next(n for n in range(150, 250) if not os.path.exists(f"/tmp/.X11-unix/X{n}"))
        self.procs.append(subprocess.Popen(["Xvfb", f":{number}", "-screen", "0", "800x600x24",
                                            "-nolisten", "tcp"], stderr=subprocess.DEVNULL))
        while not os.path.exists(f"/tmp/.X11-unix/X{number}"):
            time.sleep(0.05)
        self.env.update(DISPLAY=f":{number}", QT_QPA_PLATFORM="xcb")
        os.environ["DISPLAY"] = f":{number}"
        self.procs.append(subprocess.Popen(["trayer", "--edge", "top", "--height", "24"],
                                           stderr=subprocess.DEVNULL))
        time.sleep(1.0)

    @property
    def tray(self):
        return self.env.get("QT_QPA_PLATFORM") == "xcb"

    def stop(self):
        for p in reversed(self.procs):
            p.terminate()
            p.wait()


def measure(tolvane, count, idle, display, log_lines=0):
    root = tempfile.mkdtemp(prefix="tolvane-bench-")
    try:
        home = os.path.join(root, "home")
        data = os.path.join(home, "Documents", "Tolvane")
        os.makedirs(data)
        os.makedirs(os.path.join(root, "program"))
        os.makedirs(os.path.join(root, "run"), mode=0o700)
        write_store(os.path.join(data, "data.xml"), count)
        if log_lines:
            write_log(os.path.join(data, "tolvane.log"), log_lines)
        env = {k: v for k, v in os.environ.items() if k not in ("DBUS_SESSION_BUS_ADDRESS",
                                                                "WAYLAND_DISPLAY")}
        env.update(HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
                   XDG_RUNTIME_DIR=os.path.join(root, "run"),
                   TOLVANE_RUNTIME_DIR=os.path.join(root, "run"),
                   TOLVANE_PROGRAM_DIR=os.path.join(root, "program"), SDL_AUDIODRIVER="dummy",
                   **display.env)
        start = time.monotonic()
        program = subprocess.Popen([tolvane], env=env, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        icon = picture = window = None
        while time.monotonic() - start < 10:
            if window is None and display.tray:
                window = docked()
                if window is not None:
                    icon = time.monotonic() - start
            if window is not None and picture is None and painted(window):
                picture = time.monotonic() - start
            time.sleep(0.02)
        cpu10, rss = cpu_seconds(program.pid), rss_kb(program.pid)
        time.sleep(max(0.0, 10 - (time.monotonic() - start)))
        before = cpu_seconds(program.pid)
        time.sleep(idle)
        idle_percent = (cpu_seconds(program.pid) - before) / idle * 100
        subprocess.run([tolvane, "stop"], env=env, timeout=30)
        program.wait(timeout=30)
        return icon, picture, cpu10, rss, idle_percent
    finally:
        shutil.rmtree(root, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--tolvane", required=True)
    parser.add_argument("--count", type=int, default=10000)
    parser.add_argument("--idle", type=float, default=30)
    parser.add_argument("--log-lines", type=int, default=0)
    args = parser.parse_args()
    display = Display(tempfile.gettempdir())
    try:
        if args.log_lines:
            icons = {}
            for lines in (0, args.log_lines):
                icon, picture, cpu10, rss, idle = measure(os.path.abspath(args.tolvane), 0,
                                                          args.idle, display, lines)
                icons[lines] = icon
                icon_text = f"{icon:.2f} s" if icon is not None else "not seen"
                picture_text = f"{picture:.2f} s" if picture is not None else "not seen"
                print(f"{lines:8d} log lines: icon {icon_text}, picture {picture_text}, "
                      f"cpu10 {cpu10:.2f} s, rss {rss / 1024:.1f} MB", flush=True)
            if None not in icons.values():
                print(f"icon later by {icons[args.log_lines] - icons[0]:.2f} s "
                      "(goal: under 0.1 s)")
            return
        rows = {}
        for count in (0, args.count):
            rows[count] = measure(os.path.abspath(args.tolvane), count, args.idle, display)
            icon, picture, cpu10, rss, idle = rows[count]
            icon_text = f"{icon:.2f} s" if icon is not None else "not seen"
            picture_text = f"{picture:.2f} s" if picture is not None else "not seen"
            print(f"{count:6d} reminders: icon {icon_text}, painted {picture_text} (goal 0.5 s), "
                  f"cpu10 {cpu10:.2f} s, rss {rss / 1024:.1f} MB, idle {idle:.3f} % of a core",
                  flush=True)
        if args.count:
            per = (rows[args.count][3] - rows[0][3]) / args.count
            print(f"memory per reminder: {per:.1f} kB")
    finally:
        display.stop()


if __name__ == "__main__":
    sys.exit(main())
