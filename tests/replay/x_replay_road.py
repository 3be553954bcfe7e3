#!/usr/bin/env python3
"""The replay road on a real X display.

x_replay_road.py BIN_DIR SOURCE_DIR

Starts Xvfb, makes a heat with make_heat, starts the program as the run
command does (xcb platform, the heat file on its command line), and drives it
with xdotool: in the start-up window, shown first, "View recordings" and
"Go"; in the replay window, which has opened the heat, a click on the
slider's handle, three steps to the right, the digit 4. The heat file's header must then hold lane 4's time, read with
Python's own XML parser. Exit code 77 (skipped) without Xvfb or xdotool.
"""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from x_display import program_env, register_capture_library, start_xvfb, wait_for  # noqa: E402

SKIP = 77



def main():
    bin_dir, source_dir = sys.argv[1], sys.argv[2]
    if not shutil.which("Xvfb") or not shutil.which("xdotool"):
        print("Xvfb or xdotool missing")
        return SKIP
    work = tempfile.mkdtemp(prefix="tidewick-x-")
    env = program_env(work)
    # The settings file is there already: no question at the first start.
    open(os.path.join(work, "Tidewick_HDMI.ini"), "w").close()
    heat = os.path.join(work, "Heat4_x.qf3")
    subprocess.run([os.path.join(bin_dir, "make_heat"), heat, "20", "64", "48"], check=True, env=env)
    register_capture_library(bin_dir, env, work)

    xvfb = start_xvfb(env, "1366x768", 90)
    program = None
    try:
        program = subprocess.Popen([os.path.join(bin_dir, "Tidewick_HDMI"), heat], env=env,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

        def window(name):
            r = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", name],
                               env=env, capture_output=True, text=True)
            return r.stdout.split()[0] if r.returncode == 0 and r.stdout.split() else None

        def x(*args):
            subprocess.run(["xdotool", *args], env=env, check=True)

        # The start-up window comes first, also with a heat on the command
        # line: "View recordings", then "Go" (in the window's own pixels).
        startup = wait_for("the start-up window", lambda: window("^Tidewick Startup$"), 90)
        time.sleep(1.0)
        for at in ((34, 146), (112, 208)):
            x("mousemove", "--window", startup, str(at[0]), str(at[1]))
            x("click", "1")
            time.sleep(0.3)
        win = wait_for("the replay window", lambda: window("Tidewick Video Replay"), 60)
        time.sleep(1.0)
        title = subprocess.run(["xdotool", "getwindowname", win], env=env, capture_output=True,
                               text=True).stdout
        if "Heat4_x.qf3" not in title:
            print("the replay window shows", title, "- expected the heat of the command line")
            return 1

        # No window manager on the bare display: the focus is set directly.
        x("windowfocus", "--sync", win)
        # The slider's handle: the left end of the "Play" panel's slider,
        # right of the picture, in the window's own pixels.
        hx, hy = 90, 54
        x("mousemove", "--window", win, str(hx), str(hy))
        x("click", "1")
        time.sleep(0.3)
        for _ in range(3):
            x("key", "Right")
            time.sleep(0.2)
        x("key", "4")
        time.sleep(1.0)
        if shutil.which("import"):
            shots = os.path.join(bin_dir, "..", "test-output")
            os.makedirs(shots, exist_ok=True)
            subprocess.run(["import", "-window", "root", os.path.join(shots, "replay_road_x.png")], env=env)

        out = subprocess.run([sys.executable, os.path.join(source_dir, "tests/replay/lane_records.py"), heat],
                             capture_output=True, text=True, check=True).stdout
        lane4 = out.splitlines()[4].split()
        print(out)
        # Field 4 is the second field of frame 2: 80 + 20 ms.
        if lane4[1] != "100" or lane4[3] != "4":
            print("lane 4 holds", lane4, "- expected 100 ms at field 4")
            return 1
        return 0
    finally:
        if program:
            program.send_signal(signal.SIGTERM)
            try:
                program.wait(10)
            except subprocess.TimeoutExpired:
                program.kill()
        xvfb.terminate()
        xvfb.wait(10)
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
