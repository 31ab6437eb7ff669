#!/usr/bin/python3
"""Serves one directory over HTTP on the given address and port, with byte
ranges (python3 -m http.server has none, and a renderer seeks with them).

usage: media_server.py ADDRESS PORT DIRECTORY [--no-ranges]
--no-ranges answers as python3 -m http.server does: the whole file to every
request, Range or not, and no Accept-Ranges header.
Prints "serving" once listening.
"""
import http.server
import os
import re
import sys


class RangeHandler(http.server.SimpleHTTPRequestHandler):
    ranges = True

    def send_head(self):
        path = self.translate_path(self.path)
        if not os.path.isfile(path):
            self.send_error(404)
            return None
        size = os.path.getsize(path)
        start, end = 0, size - 1
        match = self.ranges and re.fullmatch(r"bytes=(\d*)-(\d*)", self.headers.get("Range", ""))
        if match and (match.group(1) or match.group(2)):
            if match.group(1):
                start = int(match.group(1))
                end = int(match.group(2)) if match.group(2) else end
            else:
                start = max(0, size - int(match.group(2)))
            if start >= size:
                self.send_error(416)
                return None
            self.send_response(206)
            self.send_header("Content-Range", "bytes %d-%d/%d" % (start, end, size))
        else:
            self.send_response(200)
        self.send_header("Content-Type", self.guess_type(path))
        if self.ranges:
            self.send_header("Accept-Ranges", "bytes")
        self.send_header("Content-Length", str(end - start + 1))
        self.end_headers()
        body = open(path, "rb")
        body.seek(start)
        self.remaining = end - start + 1
        return body

    def copyfile(self, source, destination):
        while self.remaining > 0:
            chunk = source.read(min(65536, self.remaining))
            if not chunk:
                break
            destination.write(chunk)
            self.remaining -= len(chunk)

    def log_message(self, *args):
        pass


def main():
    address, port, directory = sys.argv[1], int(sys.argv[2]), sys.argv[3]
    RangeHandler.ranges = "--no-ranges" not in sys.argv[4:]
    os.chdir(directory)
    server = http.server.ThreadingHTTPServer((address, port), RangeHandler)
    print("serving", flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
