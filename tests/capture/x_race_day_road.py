#!/usr/bin/env python3
"""The race day on a real X display, from the camera to the printed results.

x_race_day_road.py BIN_DIR SOURCE_DIR

Starts Xvfb and the program as the run command does (xcb, the capture
library registered, the synthetic camera of the README), and drives it with
xdotool as an operator would:

  1. start-up window: "Go" for capture; no source yet, so the source
     selection window: enumerate, pick the synthetic camera, "Select Done";
     Form > Exit, OK (the program asks to be started again);
  2. start-up window again: "Go"; the capture window runs the camera;
  3. Form > "Video preview": 6 lanes on the up-down, Reset lane positions,
     Reset Goal line, one goal-line end and one mark dragged, Save options,
     Close;
  4. Heat A: heat ID, New file, Start, Capture held, Finish;
  5. Form > "View last Finished heat": the replay and results windows;
  6. the slider clicked, lanes 1-4 by digit keys, lane 5 by F + click on its
     mark, lane 6 DNF and lane 4 DSQ from the right-click result menu;
  7. results: CSV export, XML export, print to PDF; Form > Exit, OK.

The heat file's header is read with Python's XML parser (goal line, lanes,
results), the CSV with Python's csv module, the XML with its XML parser, the
PDF with pdftotext. A picture of the screen at each step goes to
build/test-output/race_day_*.png. Exit code 77 (skipped) without Xvfb or
xdotool.

Controls are found at their places in the windows' own pixels (a window's
layout is fixed in twips, 15 to the pixel, below its menu bar); menus are
opened by a click on their title and walked with the arrow keys.
"""
import csv
import io
import os
import re
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from x_display import program_env, register_capture_library, start_xvfb, wait_for  # noqa: E402
import xml.etree.ElementTree as ET

SKIP = 77
SYNTHETIC = "video|Synthetic HDMI|Test pattern|/synthetic/0||RGB24 1920x1080@50"


class Road:
    def __init__(self, bin_dir, source_dir):
        self.bin_dir, self.source_dir = bin_dir, source_dir
        self.work = tempfile.mkdtemp(prefix="tidewick-raceday-")
        self.heats = os.path.join(self.work, "heats")
        self.export = os.path.join(self.work, "export")
        self.pdf = os.path.join(self.work, "results.pdf")
        os.makedirs(self.heats)
        os.makedirs(self.export)
        self.shots = os.path.join(bin_dir, "..", "test-output")
        os.makedirs(self.shots, exist_ok=True)
        self.step = 0
        self.program = None
        env = program_env(self.work, TIDEWICK_REGISTRY=os.path.join(self.work, "registry.txt"),
                          TIDEWICK_SYNTHETIC_DEVICES=SYNTHETIC, TIDEWICK_PRINTER_PDF=self.pdf)
        os.chmod(self.work, 0o700)
        self.env = env
        # A station set up before: its folders and event name are known; the
        # camera is not chosen yet.
        with open(os.path.join(self.work, "Tidewick_HDMI.ini"), "w", newline="") as ini:
            ini.write("[Canoe]\r\nsave_folder1=%s\r\nexport_folder=%s\r\nevent_name=Regatta\r\n"
                      % (self.heats, self.export))

    # ---- the display and the program ----

    def x(self, *args):
        subprocess.run(["xdotool", *args], env=self.env, check=True)

    def windows(self, name):
        r = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", name], env=self.env,
                           capture_output=True, text=True)
        return r.stdout.split() if r.returncode == 0 else []

    def wait_for(self, what, test, seconds=40):
        return wait_for(what, test, seconds, on_timeout=lambda: self.shot("timed_out"))

    def window(self, name, seconds=40):
        w = self.wait_for("the window " + name, lambda: self.windows(name)[:1], seconds)[0]
        time.sleep(0.5)
        return w

    def gone(self, name, seconds=20):
        self.wait_for("the window " + name + " to go", lambda: not self.windows(name), seconds)

    def shot(self, name):
        self.step += 1
        path = os.path.join(self.shots, "race_day_%02d_%s.png" % (self.step, name))
        subprocess.run(["import", "-window", "root", path], env=self.env,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def start(self):
        self.program = subprocess.Popen([os.path.join(self.bin_dir, "Tidewick_HDMI")], env=self.env,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def ended(self, seconds=30):
        self.wait_for("the program to end", lambda: self.program.poll() is not None, seconds)
        self.program = None

    # ---- the operator's hand ----

    def click(self, win, x, y, button="1"):
        self.x("mousemove", "--window", win, str(x), str(y))
        self.x("click", button)
        time.sleep(0.3)

    def drag(self, win, points):
        """Presses the left button at the first point, moves through the others and lets go at the last."""
        self.x("mousemove", "--window", win, str(points[0][0]), str(points[0][1]))
        time.sleep(0.2)
        self.x("mousedown", "1")
        time.sleep(0.3)
        for px, py in points[1:]:
            self.x("mousemove", "--window", win, str(px), str(py))
            time.sleep(0.3)
        self.x("mouseup", "1")
        time.sleep(0.3)

    def menu(self, win, downs):
        """Opens the window's first menu ("Form") and takes its item number downs."""
        self.click(win, 15, 9)
        time.sleep(0.4)
        self.x("key", *(["Down"] * downs), "Return")
        time.sleep(0.5)

    def answer(self, title, ok):
        """Answers the program's OK/Cancel question with that title; its default is Cancel."""
        box = self.window("^" + title + "$")
        self.x("windowfocus", "--sync", box)
        if ok:
            self.x("key", "Tab")
            time.sleep(0.2)
            self.x("key", "space")
        else:
            self.x("key", "Return")
        time.sleep(0.5)

    # ---- what the files say ----

    def header(self, path):
        data = open(path, "rb").read()
        length = struct.unpack_from("<i", data, 8)[0]
        return ET.fromstring(data[12:12 + length].decode("latin-1"))

    @staticmethod
    def field(root, name):
        node = root.find(".//" + name)
        return node.text.strip() if node is not None and node.text else ""

    def lane_results(self, path):
        root = self.header(path)
        heat = [h for h in root.iter("heat_record") if h.get("id") == "1"][0]
        return {int(l.get("id")): int(l.find("heat_time_mill").text) for l in heat.iter("lane_record")}


def fail(message):
    print("FAIL:", message)
    return 1


def run(road):
    r = road
    xvfb = start_xvfb(r.env, "1920x1080", 500)
    try:
        register_capture_library(r.bin_dir, r.env, r.work)

        # 1. The first start: the camera is chosen.
        r.start()
        startup = r.window("^Tidewick Startup$", 90)
        r.shot("startup")
        r.click(startup, 112, 208)  # "Go", "Capture files" chosen
        select = r.window("^Select HDMI Video Source$")
        message = r.window("^Tidewick_HDMI$")
        r.shot("select_source_asked")
        r.x("windowfocus", "--sync", message)
        r.x("key", "Return")
        r.click(select, 570, 43)  # "Enumerate Video sources"
        time.sleep(1.0)
        r.click(select, 118, 53)  # the first row: the synthetic camera, format 0
        r.shot("source_selected")
        r.click(select, 570, 79)  # "Select Done"
        r.gone("^Select HDMI Video Source$")
        ini = open(os.path.join(r.work, "Tidewick_HDMI.ini"), encoding="latin-1").read()
        if "friendlyname=Synthetic HDMI" not in ini:
            return fail("the chosen source is not stored:\n" + ini)
        r.menu(startup, 2)  # Form > Exit
        r.answer("Tidewick Exit", ok=True)
        r.ended()

        # 2. The race day: capture.
        r.start()
        startup = r.window("^Tidewick Startup$", 90)
        r.click(startup, 112, 208)
        capture = r.window("^Tidewick Capture multi-file$", 60)
        time.sleep(1.5)
        r.shot("capture_window")

        # 3. The live preview: 6 lanes, the marks and the goal line placed.
        r.menu(capture, 1)  # Form > Video preview
        preview = r.window("^Tidewick Live Preview")
        for _ in range(5):
            r.click(preview, 551, 200)  # the up-down's upper arrow: 1 -> 6 lanes
        r.menu(preview, 2)  # Reset lane positions
        r.answer("Tidewick Exit", ok=True)
        r.menu(preview, 3)  # Reset Goal line
        r.answer("Tidewick Exit", ok=True)
        time.sleep(0.5)
        # Mark 6 (at 130, 130 in the frame, shown at 0.98 below the menu bar)
        # down the picture, the goal line's upper end (220, 108) to the left.
        # Step by step, each step given time: a busy machine merges moves,
        # and the mark stays where the last move it saw left it.
        r.drag(preview, [(127, 147), (127, 300), (127, 450), (127, 600)])
        r.drag(preview, [(216, 126), (210, 126), (200, 126)])
        time.sleep(1.0)
        r.shot("live_preview")
        r.click(preview, 531, 373)  # "Save options"
        ini_path = os.path.join(r.work, "Tidewick_HDMI.ini")
        r.wait_for("the saved lanes", lambda: "Lane_num=6" in open(ini_path, encoding="latin-1").read())
        saved = open(ini_path, encoding="latin-1").read()
        goal = re.search(r"Goalline=(\d+),(\d+),(\d+),(\d+)", saved)
        if not goal:
            return fail("no goal line saved:\n" + saved)
        goal = [int(v) for v in goal.groups()]
        r.click(preview, 531, 88)  # "Close"
        r.gone("^Tidewick Live Preview")

        # 4. Heat A: new file, start, capture held, finish.
        r.click(capture, 191, 55)
        r.x("type", "H7")
        r.click(capture, 79, 289)  # "New file"
        heat = r.wait_for("the heat file", lambda: [os.path.join(r.heats, f) for f in os.listdir(r.heats)
                                                    if f.endswith(".qf3")])[0]
        r.click(capture, 215, 289)  # "Start"
        size = os.path.getsize(heat)
        r.x("mousemove", "--window", capture, "148", "392", "mousedown", "1")
        r.wait_for("frames in the heat", lambda: os.path.getsize(heat) > size + 300000, 30)
        time.sleep(1.0)
        r.shot("capturing")
        r.x("mouseup", "1")
        time.sleep(0.5)
        r.click(capture, 215, 324)  # "Finish"
        r.shot("finished")

        # 5. Form > "View last Finished heat".
        r.menu(capture, 4)
        replay = r.window("^Tidewick Video Replay RegattaHeatH7")
        results = r.window("^Tidewick Results$")
        if r.windows("^Tidewick Capture multi-file$"):
            return fail("the capture window stays shown")
        time.sleep(1.0)
        r.shot("replay_of_the_heat")
        root = r.header(heat)
        stored_goal = [int(r.field(root, n)) for n in ("goal_x_1", "goal_y_1", "goal_x_2", "goal_y_2")]
        if stored_goal != goal:
            return fail("the heat's goal line %s is not the preview's %s" % (stored_goal, goal))
        if r.field(root, "num_lanes") != "6" or r.field(root, "b_lanes_visible") != "True":
            return fail("the heat's lanes: %s, shown %s" % (r.field(root, "num_lanes"),
                                                          r.field(root, "b_lanes_visible")))
        marks = [(int(r.field(root, "lane_x_%d" % i)), int(r.field(root, "lane_y_%d" % i))) for i in range(1, 7)]
        if marks[:5] != [(30 + 20 * i, 30 + 20 * i) for i in range(5)] or marks[5][1] < 400:
            return fail("the heat's lane marks %s are not the preview's" % marks)

        # 6. Times: lanes 1-4 by digits, lane 5 by F + click, lane 6 DNF, lane 4 DSQ.
        r.x("windowfocus", "--sync", replay)
        r.click(replay, 458, 54)  # the slider's handle
        for lane in "1234":
            r.x("key", "Right")
            time.sleep(0.2)
            r.x("key", "Right")
            time.sleep(0.2)
            r.x("key", lane)
            time.sleep(0.4)
        r.x("key", "Right", "Right")
        time.sleep(0.3)
        # Lane 5's mark at (110, 110) in the frame, the picture shown at 0.98.
        r.x("mousemove", "--window", replay, "108", "127", "keydown", "f", "click", "1", "keyup", "f")
        r.wait_for("five timed lanes", lambda: sum(1 for l in range(1, 6) if r.lane_results(heat)[l] > 0) == 5)
        r.shot("five_lanes_timed")
        # Lane 6's mark, dragged down the picture in the preview: right-click,
        # "Did not finish".
        y6 = round(marks[5][1] * 0.982) + 20
        r.click(replay, round(marks[5][0] * 0.982), y6, button="3")
        time.sleep(0.5)
        r.shot("result_menu")
        r.x("key", "Down", "Down", "Down", "Return")
        time.sleep(0.5)
        r.click(replay, 88, 108, button="3")  # lane 4: "Disqualified"
        time.sleep(0.5)
        r.x("key", "Down", "Down", "Return")
        override = r.window("^Tidewick_HDMI$")
        r.x("windowfocus", "--sync", override)
        r.x("key", "Return")  # "Override existing result?" OK
        codes = {4: 100000001, 6: 100000003}  # disqualified, did not finish
        lanes = r.wait_for("the codes", lambda: (lambda v: v if all(v[l] == c for l, c in codes.items()) else None)(
            r.lane_results(heat)))
        time.sleep(0.5)
        r.shot("ranked")

        # 7. Exports and the printed results.
        r.click(results, 54, 538)  # "Export", CSV chosen
        csv_path = os.path.join(r.export, "TW_Result_HeatH7.csv")
        r.wait_for("the CSV export", lambda: os.path.exists(csv_path))
        r.shot("exported_csv")
        r.click(results, 152, 427)  # the export message's OK
        r.click(results, 206, 545)  # "XML"
        r.click(results, 54, 538)
        xml_path = os.path.join(r.export, "TW_Result_HeatH7.xml")
        r.wait_for("the XML export", lambda: os.path.exists(xml_path))
        r.click(results, 152, 427)
        r.click(results, 123, 686)  # Printer "PDF"
        r.menu(results, 1)  # Form > Print results
        r.wait_for("the printed page", lambda: os.path.exists(r.pdf) and os.path.getsize(r.pdf) > 1000)
        time.sleep(1.0)
        r.shot("printed")
        r.menu(results, 7)  # Form > Exit
        r.answer("Tidewick Exit", ok=True)
        r.ended()
        r.shot("ended")

        # What left the program, read by outside readers.
        raw = open(csv_path, "rb").read()
        rows = list(csv.reader(io.StringIO(raw.decode("cp1252"), newline=""), delimiter=";"))
        print("CSV:", rows)
        ranked = [(row[0], row[1], row[2]) for row in rows[1:7]]
        if rows[0][:2] != ["Regatta", "H7"] or not re.fullmatch(r"\d{1,2}:\d\d:\d\d", rows[0][3]):
            return fail("CSV head %s" % rows[0])
        if [lane for _, lane, _ in ranked[:4]] != sorted([lane for _, lane, _ in ranked[:4]],
                                                          key=lambda l: lanes[int(l)]) \
                or sorted(lane for _, lane, _ in ranked[:4]) != ["1", "2", "3", "5"] \
                or ranked[4][1:] != ("4", "DSQ") or ranked[5][1:] != ("6", "DNF") or rows[7] != ["end"]:
            return fail("CSV ranking %s" % ranked)
        tree = ET.parse(xml_path).getroot()
        competitors = [(c.get("nbr"), c.findtext("elapsed_time"), c.findtext("place")) for c in tree.iter("competitor")]
        print("XML:", competitors)
        if [c[0] for c in competitors] != [row[1] for row in ranked] or tree.find(".//heat").get("id") != "H7":
            return fail("XML results %s" % competitors)
        text = subprocess.run(["pdftotext", "-layout", r.pdf, "-"], capture_output=True, text=True,
                              check=True).stdout
        print(text)
        for needed in ("Results for Heat: H7", "Disqualified", "Did not finish", "Regatta"):
            if needed not in text:
                return fail("the printed page lacks " + needed)
        return 0
    finally:
        if r.program:
            r.program.send_signal(signal.SIGTERM)
            try:
                r.program.wait(10)
            except subprocess.TimeoutExpired:
                r.program.kill()
        xvfb.terminate()
        xvfb.wait(10)


def main():
    bin_dir, source_dir = sys.argv[1], sys.argv[2]
    if not shutil.which("Xvfb") or not shutil.which("xdotool"):
        print("Xvfb or xdotool missing")
        return SKIP
    road = Road(bin_dir, source_dir)
    try:
        return run(road)
    finally:
        shutil.rmtree(road.work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
