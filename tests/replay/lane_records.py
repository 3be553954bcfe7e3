#!/usr/bin/env python3
"""Prints the lane records of heat 1 stored in a QF3 file's header block.

lane_records.py FILE -> one line "lane result click goal" per lane 0..15,
read from the bytes with Python's own XML parser.
"""
import struct
import sys
import xml.etree.ElementTree as ET

data = open(sys.argv[1], "rb").read()
length = struct.unpack_from("<i", data, 8)[0]
root = ET.fromstring(data[12:12 + length].decode("latin-1"))
heat = [h for h in root.iter("heat_record") if h.get("id") == "1"][0]
lanes = {l.get("id"): l for l in heat.iter("lane_record")}
for lane in range(16):
    rec = lanes[str(lane)]
    print(lane, rec.find("heat_time_mill").text, rec.find("click_time_mill").text, rec.find("goal_field").text)
