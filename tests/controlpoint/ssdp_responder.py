#!/usr/bin/python3
"""A minimal UPnP root device for the control point's lab tests: answers
M-SEARCH and serves one description document, either as it is or spoiled
in one of the ways a broken or hostile device might spoil it.

usage: ssdp_responder.py --address IP --port PORT --description FILE
                         [--mode MODE] [--max-age SECONDS]
Prints "ready" once listening and "GET <path>" for every request; sends
ssdp:alive at start and ssdp:byebye on SIGTERM. On SIGUSR1 it stops
accepting connections without closing its port: connection attempts then
hang until their time-out, as for a device that froze ("stalled").
"""
import argparse
import re
import signal
import socket
import sys
import threading
import time

GROUP = "239.255.255.250"
PORT = 1900
HUGE = 20 * 1024 * 1024

# How the description is answered; each is one way a device goes wrong.
MODES = ["normal", "huge-length", "huge-chunked", "huge-close", "wide", "deep",
         "truncated", "not-http", "not-found", "slow", "long-name"]


def log(text):
    print(text, flush=True)


def spoil(mode, document):
    """The body to send for `mode`, or None for the modes that are not a body."""
    if mode == "wide":
        # Far below the size limit, far above what the parser should see.
        return document.replace(b"</device>", b"<x/>" * 50000 + b"</device>", 1)
    if mode == "deep":
        return document.replace(b"</device>", b"<x>" * 5000 + b"</x>" * 5000 + b"</device>", 1)
    if mode == "truncated":
        return document[: len(document) // 2]
    if mode == "long-name":
        return re.sub(rb"<friendlyName>[^<]*", b"<friendlyName>" + b"n" * 5000, document, count=1)
    if mode.startswith("huge"):
        return document.replace(b"</friendlyName>", b"x" * HUGE + b"</friendlyName>", 1)
    return document


class Responder:
    def __init__(self, options):
        self.address = options.address
        self.port = options.port
        self.mode = options.mode
        self.max_age = options.max_age
        with open(options.description, "rb") as f:
            self.document = f.read()
        self.body = spoil(self.mode, self.document)
        self.location = "http://%s:%d/description.xml" % (self.address, self.port)
        text = self.document.decode("utf-8", "replace")
        self.udns = re.findall(r"<UDN>\s*([^<\s]+)\s*</UDN>", text)
        self.types = re.findall(r"<deviceType>\s*([^<\s]+)\s*</deviceType>", text)
        self.running = True

    # --- SSDP ---

    def targets(self):
        """(NT or ST, USN) pairs this root device announces."""
        pairs = [("upnp:rootdevice", self.udns[0] + "::upnp:rootdevice")]
        for udn, device_type in zip(self.udns, self.types):
            pairs.append((udn, udn))
            pairs.append((device_type, udn + "::" + device_type))
        return pairs

    def sender(self):
        s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        s.bind((self.address, 0))
        s.setsockopt(socket.IPPROTO_IP, socket.IP_MULTICAST_IF, socket.inet_aton(self.address))
        s.setsockopt(socket.IPPROTO_IP, socket.IP_MULTICAST_TTL, 2)
        return s

    def notify(self, kind):
        s = self.sender()
        for nt, usn in self.targets():
            lines = ["NOTIFY * HTTP/1.1", "HOST: %s:%d" % (GROUP, PORT),
                     "CACHE-CONTROL: max-age=%d" % self.max_age, "LOCATION: " + self.location,
                     "NT: " + nt, "NTS: ssdp:" + kind, "SERVER: Linux/1 UPnP/1.0 responder/1",
                     "USN: " + usn]
            s.sendto(("\r\n".join(lines) + "\r\n\r\n").encode(), (GROUP, PORT))
        s.close()

    def answer(self, request, to):
        headers = {}
        for line in request.split("\r\n")[1:]:
            name, _, value = line.partition(":")
            headers[name.strip().upper()] = value.strip()
        st = headers.get("ST", "")
        s = self.sender()
        for target, usn in self.targets():
            if st not in ("ssdp:all", target):
                continue
            lines = ["HTTP/1.1 200 OK", "CACHE-CONTROL: max-age=%d" % self.max_age, "EXT:",
                     "LOCATION: " + self.location, "SERVER: Linux/1 UPnP/1.0 responder/1",
                     "ST: " + target, "USN: " + usn]
            s.sendto(("\r\n".join(lines) + "\r\n\r\n").encode(), to)
        s.close()

    def listen_ssdp(self):
        s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        s.bind(("", PORT))
        s.setsockopt(socket.IPPROTO_IP, socket.IP_ADD_MEMBERSHIP,
                     socket.inet_aton(GROUP) + socket.inet_aton(self.address))
        while self.running:
            data, sender = s.recvfrom(4096)
            text = data.decode("utf-8", "replace")
            if text.startswith("M-SEARCH"):
                self.answer(text, sender)

    # --- HTTP ---

    def serve(self, connection):
        with connection:
            request = b""
            while b"\r\n\r\n" not in request and len(request) < 16384:
                chunk = connection.recv(4096)
                if not chunk:
                    return
                request += chunk
            path = request.split(b" ")[1].decode() if b" " in request else "?"
            log("GET " + path)
            try:
                self.respond(connection, path)
            except OSError:
                pass  # the control point gave up, as it should

    def respond(self, connection, path):
        head = "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nConnection: close\r\n"
        body = self.body
        if path != "/description.xml" or self.mode == "not-found":
            connection.sendall(b"HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n")
        elif self.mode == "not-http":
            connection.sendall(b"SSH-2.0-OpenSSH_9.2\r\n\r\n")
        elif self.mode == "slow":
            connection.sendall((head + "Content-Length: %d\r\n\r\n" % len(body)).encode())
            for i in range(len(body)):
                connection.sendall(body[i:i + 1])
                time.sleep(0.5)
        elif self.mode == "huge-chunked":
            connection.sendall((head + "Transfer-Encoding: chunked\r\n\r\n").encode())
            for i in range(0, len(body), 65536):
                part = body[i:i + 65536]
                connection.sendall(b"%x\r\n" % len(part) + part + b"\r\n")
            connection.sendall(b"0\r\n\r\n")
        elif self.mode == "huge-close":
            connection.sendall(head.encode() + b"\r\n" + body)
        else:
            connection.sendall((head + "Content-Length: %d\r\n\r\n" % len(body)).encode() + body)

    def listen_http(self, server):
        while self.running:
            try:
                connection, _ = server.accept()
            except OSError:
                return  # stalled
            threading.Thread(target=self.serve, args=(connection,), daemon=True).start()

    def stall(self, server):
        """Keeps the port with a full accept queue, so new SYNs are dropped."""
        server.shutdown(socket.SHUT_RDWR)
        server.close()
        self.frozen = socket.socket()
        self.frozen.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.frozen.bind((self.address, self.port))
        self.frozen.listen(0)
        self.fillers = []
        for _ in range(2):
            filler = socket.socket()
            filler.setblocking(False)
            filler.connect_ex((self.address, self.port))
            self.fillers.append(filler)
        log("stalled")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--address", required=True)
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--description", required=True)
    parser.add_argument("--mode", choices=MODES, default="normal")
    parser.add_argument("--max-age", type=int, default=1800)
    responder = Responder(parser.parse_args())

    server = socket.socket()
    server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    server.bind((responder.address, responder.port))
    server.listen(16)

    def stop(_signum, _frame):
        responder.running = False
        responder.notify("byebye")
        sys.exit(0)

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGUSR1, lambda _signum, _frame: responder.stall(server))
    threading.Thread(target=responder.listen_ssdp, daemon=True).start()
    threading.Thread(target=responder.listen_http, args=(server,), daemon=True).start()
    responder.notify("alive")
    log("ready")
    while True:
        time.sleep(3600)


if __name__ == "__main__":
    main()
