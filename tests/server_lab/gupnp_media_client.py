#!/usr/bin/python3
"""A media client built on GUPnP (not on this project's code): finds a media
server (or renderer) on the given interface and drives it.

usage: gupnp_media_client.py IFACE browse OBJECT_ID FLAG START COUNT
       gupnp_media_client.py IFACE call SERVICE_TYPE ACTION OUT[,OUT...] [NAME=VALUE ...]
       gupnp_media_client.py IFACE authenticate PASSWORD [DIGEST_B64]
       gupnp_media_client.py IFACE play URL MIME
Prints one "name value" line per finding; a SOAP fault prints
"fault CODE MESSAGE" and exits 2; anything else that goes wrong exits 1.
"""
import base64
import hashlib
import hmac
import os
import sys
import time
import warnings

import gi

gi.require_version("GUPnP", "1.6")
gi.require_version("GSSDP", "1.6")
from gi.repository import GLib, GObject, GUPnP  # noqa: E402

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from gupnp_context import find_device, string_value  # noqa: E402

warnings.simplefilter("ignore", DeprecationWarning)

SERVER = "urn:schemas-upnp-org:device:MediaServer:1"
RENDERER = "urn:schemas-upnp-org:device:MediaRenderer:1"
CDS = "urn:schemas-upnp-org:service:ContentDirectory:1"
AUTH = "urn:tundric-com:service:Authentication:1"
AVT = "urn:schemas-upnp-org:service:AVTransport:1"


class Fault(Exception):
    pass


def call(device, service_type, action_name, arguments, outputs):
    service = device.get_service(service_type)
    if service is None:
        raise RuntimeError("service not found " + service_type)
    action = GUPnP.ServiceProxyAction.new_from_list(
        action_name, [n for n, _ in arguments], [string_value(v) for _, v in arguments])
    try:
        service.call_action(action, None)
        result = action.get_result_list(outputs, [GObject.TYPE_STRING] * len(outputs))
    except GLib.Error as error:
        raise Fault(f"{error.code} {error.message}")
    ok, values = result[0], result[1]
    if not ok:
        raise RuntimeError("no result")
    return dict(zip(outputs, values))


def browse(device, object_id, flag, start, count):
    return call(device, CDS, "Browse",
                [("ObjectID", object_id), ("BrowseFlag", flag), ("Filter", "*"),
                 ("StartingIndex", start), ("RequestedCount", count), ("SortCriteria", "")],
                ["Result", "NumberReturned", "TotalMatches", "UpdateID"])


def authenticate(device, password, digest=None):
    challenge = call(device, AUTH, "GetChallenge", [], ["Challenge"])["Challenge"]
    print("challenge", challenge)
    if digest is None:
        raw = hmac.new(password.encode(), base64.b64decode(challenge), hashlib.md5).digest()
        digest = base64.b64encode(raw).decode()
    call(device, AUTH, "Authenticate", [("Digest", digest)], [])
    print("authenticated")


def play(device, url, mime):
    metadata = (
        '<DIDL-Lite xmlns="urn:schemas-upnp-org:metadata-1-0/DIDL-Lite/" '
        'xmlns:dc="http://purl.org/dc/elements/1.1/" '
        'xmlns:upnp="urn:schemas-upnp-org:metadata-1-0/upnp/">'
        '<item id="1" parentID="0" restricted="1"><dc:title>test</dc:title>'
        '<upnp:class>object.item.audioItem</upnp:class>'
        f'<res protocolInfo="http-get:*:{mime}:*">{url}</res></item></DIDL-Lite>')
    call(device, AVT, "SetAVTransportURI",
         [("InstanceID", "0"), ("CurrentURI", url), ("CurrentURIMetaData", metadata)], [])
    call(device, AVT, "Play", [("InstanceID", "0"), ("Speed", "1")], [])
    deadline = time.time() + 15
    while time.time() < deadline:
        state = call(device, AVT, "GetTransportInfo", [("InstanceID", "0")],
                     ["CurrentTransportState", "CurrentTransportStatus"])
        media = call(device, AVT, "GetMediaInfo", [("InstanceID", "0")], ["CurrentURI"])
        print("state", state["CurrentTransportState"], state["CurrentTransportStatus"],
              media["CurrentURI"], flush=True)
        if state["CurrentTransportState"] == "PLAYING":
            return
        time.sleep(0.2)
    raise RuntimeError("never playing")


def main():
    interface, command, args = sys.argv[1], sys.argv[2], sys.argv[3:]
    device_type = RENDERER if command == "play" else SERVER
    device, _keep = find_device(interface, device_type)
    if device is None:
        print("device not found")
        return 1
    print("device", device.get_device_type(), device.get_udn())
    print("friendlyName", device.get_friendly_name())
    try:
        if command == "browse":
            for name, value in browse(device, *args).items():
                print(name, value)
        elif command == "call":
            service_type, action_name, outputs = args[0], args[1], args[2]
            arguments = [a.split("=", 1) for a in args[3:]]
            outs = [o for o in outputs.split(",") if o]
            for name, value in call(device, service_type, action_name, arguments, outs).items():
                print(name, value)
        elif command == "authenticate":
            authenticate(device, *args)
        elif command == "play":
            play(device, *args)
        else:
            print("unknown command", command)
            return 1
    except Fault as fault:
        print("fault", fault)
        return 2
    except RuntimeError as error:
        print("error", error)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
