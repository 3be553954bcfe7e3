#!/usr/bin/env python3
"""Damaged, cut and foreign heat files opened on a real X display.

x_damaged_heats.py BIN_DIR SOURCE_DIR

Starts Xvfb (1366 x 768, as a race laptop), makes a heat with make_heat and
damages copies of it the way a full disk, a pulled stick or a stopped copy
does. Each copy is opened once from the command line and once from the open
box (Ctrl+O, the path typed), after a whole heat. For each open it checks
that at most one message box shows and never the error report window, that
the replay window lies within the screen, and, for a heat that opens, that
End then the digit 1 stores lane 1's time of the last whole frame and never
one past it (Python's own XML parser reads the header). Screenshots go to
build/test-output/x_damaged_*.png. Exit code 77 (skipped) without Xvfb or
xdotool.
"""
import os
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from x_display import program_env, register_capture_library, start_xvfb, wait_for  # noqa: E402

SKIP = 77
FRAMES = 20
BLOCK = 32016
SCREEN_W, SCREEN_H = 1366, 768
REPLAY = "Tidewick Video Replay"



def record_at(data, n):
    slot = struct.unpack_from("<i", data, BLOCK + 44)[0]
    return BLOCK + (n - 1) * (slot + 56)


def cut(at):
    return lambda data: data[:at(data)]


def poke(at, value):
    def damage(data):
        data = bytearray(data)
        struct.pack_into("<i", data, at(data), value)
        return bytes(data)
    return damage


def overwrite_picture(n):
    def damage(data):
        data = bytearray(data)
        start = record_at(data, n) + 52
        data[start:start + 300] = b"\x42" * 300
        return bytes(data)
    return damage


def count_too_high(data):
    return data.replace(b"<num_frames>20</num_frames>", b"<num_frames>90</num_frames>")


# name, damage, message shown (0 or 1 box), whole frames offered (0: refused),
# whether the last of them is damaged.
CASES = [
    ("cut_inside_header", cut(lambda d: 20000), 1, 0, False),
    ("cut_inside_first_record_head", cut(lambda d: record_at(d, 1) + 20), 1, 0, False),
    ("cut_inside_record_head", cut(lambda d: record_at(d, 8) + 30), 1, 7, False),
    ("cut_inside_jpeg", cut(lambda d: record_at(d, 8) + 900), 1, 7, False),
    ("cut_between_records", cut(lambda d: record_at(d, 8)), 1, 7, False),
    ("header_count_too_high", count_too_high, 1, 20, False),
    ("record_length_beyond_file", poke(lambda d: record_at(d, FRAMES) + 44, 1000000), 0, 20, True),
    ("picture_overwritten", overwrite_picture(9), 0, 20, False),
    ("foreign_text_file", lambda d: b"Regatta start list\r\nHeat 1: lane 1 Storsjo\r\n", 1, 0, False),
    ("empty_file", lambda d: b"", 1, 0, False),
]


class Display:
    def __init__(self, env):
        self.env = env

    def run(self, *args, check=True):
        return subprocess.run(["xdotool", *args], env=self.env, check=check, capture_output=True, text=True)

    def windows(self):
        r = self.run("search", "--onlyvisible", "--name", ".", check=False)
        found = {}
        for w in r.stdout.split():
            name = self.run("getwindowname", w, check=False).stdout.strip()
            if name:
                found[w] = name
        return found

    def geometry(self, w):
        out = self.run("getwindowgeometry", "--shell", w).stdout
        g = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return int(g["X"]), int(g["Y"]), int(g["WIDTH"]), int(g["HEIGHT"])

    def replay(self):
        for w, name in self.windows().items():
            if name.startswith(REPLAY):
                return w
        return None

    def start_replay(self):
        # The start-up window comes first, also with a heat on the command
        # line: "View recordings", then "Go" (in the window's own pixels).
        def startup():
            r = self.run("search", "--onlyvisible", "--name", "^Tidewick Startup$", check=False)
            return r.stdout.split()[0] if r.returncode == 0 and r.stdout.split() else None

        w = wait_for("the start-up window", startup, 90)
        time.sleep(1.0)
        for at in ((34, 146), (112, 208)):
            self.run("mousemove", "--window", w, str(at[0]), str(at[1]))
            self.run("click", "1")
            time.sleep(0.3)

    def shot(self, bin_dir, name):
        if not shutil.which("import"):
            return
        shots = os.path.join(bin_dir, "..", "test-output")
        os.makedirs(shots, exist_ok=True)
        subprocess.run(["import", "-window", "root", os.path.join(shots, "x_damaged_" + name + ".png")],
                       env=self.env)


def lane_time(source_dir, heat, lane):
    out = subprocess.run([sys.executable, os.path.join(source_dir, "tests/replay/lane_records.py"), heat],
                         capture_output=True, text=True, check=True).stdout
    return int(out.splitlines()[lane].split()[1])


def main():
    bin_dir, source_dir = sys.argv[1], sys.argv[2]
    if not shutil.which("Xvfb") or not shutil.which("xdotool"):
        print("Xvfb or xdotool missing")
        return SKIP
    work = tempfile.mkdtemp(prefix="tidewick-xd-")
    env = program_env(work)
    open(os.path.join(work, "Tidewick_HDMI.ini"), "w").close()
    pristine = os.path.join(work, "pristine.qf3")
    subprocess.run([os.path.join(bin_dir, "make_heat"), pristine, str(FRAMES), "320", "240"], check=True, env=env)
    with open(pristine, "rb") as f:
        whole = f.read()
    register_capture_library(bin_dir, env, work)

    xvfb = start_xvfb(env, "%dx%d" % (SCREEN_W, SCREEN_H), 90)
    x = Display(env)
    failures = []
    try:
        for name, damage, messages, frames, last_damaged in CASES:
            heat = os.path.join(work, "Heat_" + name + ".qf3")
            good = os.path.join(work, "Heat_good_" + name + ".qf3")
            with open(heat, "wb") as f:
                f.write(damage(whole))
            with open(good, "wb") as f:
                f.write(whole)
            program = subprocess.Popen([os.path.join(bin_dir, "Tidewick_HDMI"), heat], env=env,
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            try:
                failures += run_case(x, bin_dir, source_dir, name, heat, good, messages, frames, last_damaged)
            finally:
                program.send_signal(signal.SIGTERM)
                try:
                    program.wait(10)
                except subprocess.TimeoutExpired:
                    program.kill()
    finally:
        xvfb.terminate()
        xvfb.wait(10)
        shutil.rmtree(work, ignore_errors=True)
    for f in failures:
        print("FAIL", f)
    return 1 if failures else 0


def check_open(x, bin_dir, name, how, messages):
    """The boxes shown by an open (a box of an open from the command line shows
    before the window does), then the window's place; the boxes are closed."""
    failures = []
    wait_for("a window", x.windows, 60)
    time.sleep(2.0)
    shown = x.windows()
    others = {w: n for w, n in shown.items()
              if not n.startswith(REPLAY) and n not in ("Tidewick Results", "Tidewick Startup")}
    print(name, how, "windows:", sorted(shown.values()))
    if any(n.endswith(" error") for n in shown.values()):
        failures.append("%s %s: the error report window showed" % (name, how))
    if len(others) != messages:
        failures.append("%s %s: %d boxes shown, %d expected: %s" % (name, how, len(others), messages,
                                                                  sorted(others.values())))
    x.shot(bin_dir, how + "_" + name)
    for w in others:
        x.run("windowactivate", "--sync", w, check=False)
        x.run("windowfocus", "--sync", w, check=False)
        x.run("key", "Return", check=False)
    if how == "cmdline":
        # A heat on the command line is opened while the start-up window
        # loads (its boxes come first); the replay window shows after "Go".
        x.start_replay()
    replay = wait_for("the replay window", x.replay, 60)
    time.sleep(1.0)
    if any(n.endswith(" error") for n in x.windows().values()):
        failures.append("%s %s: the error report window showed after the message" % (name, how))
    left, top, width, height = x.geometry(replay)
    print(name, how, "replay window", left, top, width, height)
    if left < 0 or top < 0 or left + width > SCREEN_W or top + height > SCREEN_H:
        failures.append("%s %s: the replay window %dx%d at %d,%d leaves the screen" % (name, how, width, height,
                                                                                     left, top))
    if width < 300 or height < 200:
        failures.append("%s %s: the replay window shrank to %dx%d" % (name, how, width, height))
    x.shot(bin_dir, how + "_" + name + "_after")
    return failures, replay


def attach_at_end(x, bin_dir, source_dir, name, how, replay, heat, frames, last_damaged):
    """End, then 1: lane 1 holds the last whole frame's time, or none when it is damaged."""
    x.run("windowfocus", "--sync", replay)
    x.run("key", "End")
    time.sleep(0.4)
    x.run("key", "1")
    time.sleep(1.0)
    x.shot(bin_dir, how + "_" + name + "_end")
    stored = lane_time(source_dir, heat, 1)
    expected = None if last_damaged else 40 * frames + 20
    print(name, how, "lane 1 after End, 1:", stored)
    if expected is None and 0 < stored < 999999999:
        return ["%s %s: a time (%d) was taken from a damaged frame" % (name, how, stored)]
    if expected is not None and stored != expected:
        return ["%s %s: lane 1 holds %d, the last whole frame is %d" % (name, how, stored, expected)]
    return []


def run_case(x, bin_dir, source_dir, name, heat, good, messages, frames, last_damaged):
    failures, replay = check_open(x, bin_dir, name, "cmdline", messages)
    if frames:
        failures += attach_at_end(x, bin_dir, source_dir, name, "cmdline", replay, heat, frames, last_damaged)
    # From the open box, after a whole heat.
    for path, boxes in ((good, 0), (heat, messages)):
        x.run("windowfocus", "--sync", replay)
        x.run("key", "ctrl+o")
        box = wait_for("the open box", lambda: [w for w, n in x.windows().items() if n == "Open"], 20)[0]
        x.run("windowfocus", "--sync", box)
        time.sleep(0.3)
        x.run("type", "--delay", "5", path)
        x.run("key", "Return")
        if path == good:
            time.sleep(1.5)
            continue
        more, replay = check_open(x, bin_dir, name, "dialog", boxes)
        failures += more
    return failures


if __name__ == "__main__":
    sys.exit(main())
