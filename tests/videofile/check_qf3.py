#!/usr/bin/env python3
"""Checks a heat file against the QF3 byte layout, reading only the bytes.

check_qf3.py FILE [--frames N] [--slot S] [--segments K] [--dump DIR]
             [--start-pc MILL] [--start-local MILL] [--start-events N]
Prints one line per fact ("size=...", "sample3=...") and exits non-zero with
the reason on the first byte that is not where the layout puts it.
"""
import os
import struct
import sys
import xml.etree.ElementTree as ET

BLOCK = 32016


def fail(msg):
    print("FAIL: " + msg)
    sys.exit(1)


def main():
    args = sys.argv[1:]
    path = args[0]
    opts = {}
    i = 1
    while i < len(args):
        opts[args[i].lstrip("-")] = args[i + 1]
        i += 2
    data = open(path, "rb").read()
    print("size=%d" % len(data))
    if len(data) < BLOCK:
        fail("shorter than the header block")
    if data[0:4] != b"QFN3":
        fail("no QFN3 at 0")
    if struct.unpack_from("<i", data, 4)[0] != BLOCK:
        fail("block length at 4 is not 32016")
    if data[32012:32016] != b"QFNX":
        fail("no QFNX at 32012")
    xml_len = struct.unpack_from("<i", data, 8)[0]
    if not 0 < xml_len <= 32000:
        fail("XML length %d" % xml_len)
    text = data[12:12 + xml_len]
    if b"\0" in text:
        fail("zero byte inside the XML text")
    if any(data[12 + xml_len:32012]):
        fail("bytes after the XML text are not zero")
    root = ET.fromstring(text.decode("latin-1"))

    def field(name):
        node = root.find(".//" + name)
        return None if node is None else node.text

    def heat1(name):
        node = root.find(".//heat_record[@id='1']/" + name)
        return None if node is None or node.text is None else int(node.text)

    start = {"pc": heat1("start_pc_mill"), "local": heat1("start_local_mill"),
             "events": heat1("start_hdmi_events")}
    print("start_pc=%s start_local=%s start_events=%s" % (start["pc"], start["local"], start["events"]))
    for key in ("pc", "local", "events"):
        want = opts.get("start-" + key)
        if want is not None and start[key] != int(want):
            fail("heat 1 start %s %s, expected %s" % (key, start[key], want))

    frames = int(field("num_frames"))
    segments = int(field("num_segments"))
    sample_size = int(field("RGB_sample_size"))
    print("xml_len=%d frames=%d segments=%d sample_size=%d" % (xml_len, frames, segments, sample_size))
    if "frames" in opts and frames != int(opts["frames"]):
        fail("header frames %d, expected %s" % (frames, opts["frames"]))
    if "segments" in opts and segments != int(opts["segments"]):
        fail("header segments %d, expected %s" % (segments, opts["segments"]))
    if frames == 0:
        if len(data) != BLOCK:
            fail("a file of no frames is %d bytes" % len(data))
        return
    slot = struct.unpack_from("<i", data, BLOCK + 44)[0]
    record = slot + 56
    if "slot" in opts and slot != int(opts["slot"]):
        fail("slot %d, expected %s" % (slot, opts["slot"]))
    if frames > 1 and sample_size != record:
        fail("header sample size %d, records of %d" % (sample_size, record))
    if len(data) != BLOCK + frames * record:
        fail("file of %d bytes for %d records of %d" % (len(data), frames, record))
    last_mill = None
    dump = opts.get("dump")
    for n in range(1, frames + 1):
        at = BLOCK + (n - 1) * record
        r = data[at:at + record]
        if r[0:4] != b"RGBS" or r[38:42] != b"RGBE" or r[52 + slot:56 + slot] != b"RGBF":
            fail("markers of sample %d" % n)
        res1, mill, delta, local, res2 = struct.unpack_from("<iiiii", r, 4)
        (quality,) = struct.unpack_from("<h", r, 24)
        res3, jlen, events = struct.unpack_from("<iii", r, 26)
        dims, count, lbound = struct.unpack_from("<hii", r, 42)
        if res1 or res2 or res3:
            fail("reserved fields of sample %d" % n)
        if (dims, count, lbound) != (1, slot, 1):
            fail("slot descriptor of sample %d: %r" % (n, (dims, count, lbound)))
        if not 0 < jlen <= slot:
            fail("JPEG length %d of sample %d" % (jlen, n))
        jpeg = r[52:52 + jlen]
        if jpeg[:2] != b"\xff\xd8" or jpeg[-2:] != b"\xff\xd9":
            fail("sample %d holds no whole JPEG" % n)
        if last_mill is not None and mill <= last_mill:
            fail("capture time of sample %d does not rise" % n)
        last_mill = mill
        if n == 3 or n == frames:
            print("sample%d=%d mill=%d local=%d delta=%d quality=%d jpeg=%d events=%d" %
                  (n, at, mill, local, delta, quality, jlen, events))
        if dump:
            with open(os.path.join(dump, "sample%04d.jpg" % n), "wb") as f:
                f.write(jpeg)
    print("records=%d slot=%d" % (frames, slot))


main()
