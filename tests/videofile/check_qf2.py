#!/usr/bin/env python3
"""Checks a "qf1"/"qf2" file against its layout, on its own reading of the bytes.

Layout: a 20-byte record ("QFN1", header length, 0, XML length, 0, all
little-endian 32-bit), the XML text from offset 20, the marker "hdrend" at
offset 99999, then per sample one DV frame of 144000 bytes per stream from
the header length on.

usage: check_qf2.py FILE [--dv SOURCE.dv] [--frames N]
Prints what it found; exits 1 with the first mismatch.
"""
import struct
import sys
import xml.etree.ElementTree as ET

DV = 144000


def fail(msg):
    print("MISMATCH: " + msg)
    sys.exit(1)


def main():
    args = sys.argv[1:]
    path = args[0]
    source = None
    frames_expected = None
    if "--dv" in args:
        source = open(args[args.index("--dv") + 1], "rb").read()
    if "--frames" in args:
        frames_expected = int(args[args.index("--frames") + 1])
    data = open(path, "rb").read()
    if len(data) < 100005:
        fail("file shorter than the header block: %d" % len(data))
    magic, header_len, r1, xml_len, r2 = struct.unpack_from("<4siiii", data, 0)
    print("magic", magic.decode("latin-1"))
    print("header_len", header_len)
    print("xml_len", xml_len)
    if magic != b"QFN1":
        fail("magic %r" % magic)
    if header_len != 100005:
        fail("header length %d" % header_len)
    if r1 != 0 or r2 != 0:
        fail("reserved fields %d %d" % (r1, r2))
    if not 0 < xml_len <= 99979:
        fail("xml length %d" % xml_len)
    text = data[20:20 + xml_len].decode("latin-1")
    root = ET.fromstring(text)
    marker = data[99999:100005]
    print("marker", marker.decode("latin-1"))
    if marker != b"hdrend":
        fail("marker %r" % marker)

    def field(name):
        node = root.find(".//" + name)
        return None if node is None else (node.text or "")

    streams = int(field("num_streams") or 0)
    frames = int(field("num_frames") or 0)
    print("num_streams", streams)
    print("num_frames", frames)
    if streams < 1:
        fail("no streams")
    body = len(data) - header_len
    if body % (DV * streams) != 0:
        fail("samples do not fill the file: %d bytes" % body)
    samples = body // (DV * streams)
    print("samples", samples)
    if samples != frames:
        fail("header says %d frames, file holds %d" % (frames, samples))
    if frames_expected is not None and frames != frames_expected:
        fail("expected %d frames" % frames_expected)
    for n in range(samples):
        frame = data[header_len + n * DV * streams: header_len + (n + 1) * DV * streams]
        if frame[0] != 0x1F or frame[1] != 0x07:
            fail("frame %d has no DIF header block" % (n + 1))
        if source is not None and frame[:DV] != source[n * DV:(n + 1) * DV]:
            fail("frame %d differs from the source DV frame" % (n + 1))
    print("OK")


if __name__ == "__main__":
    main()
