#!/usr/bin/env python3
"""Reads a results CSV file the way a spreadsheet import would.

read_csv.py FILE checks that every line ends in CR LF (no bare LF or CR),
that the bytes are Windows-1252, and prints the rows as Python's csv module
reads them with ";" as the delimiter: one line per row, fields joined by "|".
"""
import csv
import io
import sys

data = open(sys.argv[1], "rb").read()
if not data.endswith(b"\r\n"):
    sys.exit("FAIL: the last line does not end in CR LF")
if data.replace(b"\r\n", b"").count(b"\n") or data.replace(b"\r\n", b"").count(b"\r"):
    sys.exit("FAIL: a line break that is not CR LF")
text = data.decode("cp1252")
for row in csv.reader(io.StringIO(text, newline=""), delimiter=";"):
    print("|".join(row))
