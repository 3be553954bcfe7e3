#!/usr/bin/env python3
"""Describes a results XML file's tree, read with Python's own XML parser.

describe_xml.py FILE prints, after checking that the bytes are UTF-8 and
declared so, one line per top-level node; an element is written as
name[attr=value,...]{children} (attributes in document order), a line-break
text node as /, any other text as "text", a comment as <!--text-->. Line breaks are checked to be CR LF in
the bytes, since the parser reports them as LF.
"""
import sys
import xml.dom.minidom as minidom

data = open(sys.argv[1], "rb").read()
decl = b'<?xml version="1.0" encoding="utf-8"?>'
if not data.startswith(decl):
    sys.exit("FAIL: the file does not begin with " + decl.decode())
data.decode("utf-8")
body = data[len(decl):].replace(b"\r\n", b"")
if b"\n" in body or b"\r" in body:
    sys.exit("FAIL: a line break that is not CR LF")


def describe(node):
    if node.nodeType == node.TEXT_NODE:
        # Adjacent line-break nodes come back as one text of several.
        return "/" * len(node.data) if set(node.data) == {"\n"} else '"' + node.data + '"'
    if node.nodeType == node.COMMENT_NODE:
        return "<!--" + node.data + "-->"
    attrs = ",".join(a + "=" + node.getAttribute(a) for a in node.attributes.keys())
    inner = "".join(describe(c) for c in node.childNodes)
    return node.tagName + ("[" + attrs + "]" if attrs else "") + "{" + inner + "}"


doc = minidom.parseString(data)
for top in doc.childNodes:
    print(describe(top))
