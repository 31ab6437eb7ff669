#!/usr/bin/env python3
# Prints the dc:title of every object in a Browse answer's Result, one per
# line in sorted order, as Python's ElementTree reads them: SOAP body on stdin.
import sys
import xml.etree.ElementTree as ET

DC = "{http://purl.org/dc/elements/1.1/}"
envelope = ET.fromstring(sys.stdin.buffer.read())
result = next(e for e in envelope.iter() if e.tag.split("}")[-1] == "Result")
didl = ET.fromstring(result.text.encode("utf-8"))
for title in sorted(t.text for t in didl.iter(DC + "title")):
    print(title)
