#!/usr/bin/python3
"""A UPnP control point built on GUPnP (not on this project's code) for the
screen-cast server: browses its media server, or reads the receiver's
service list.

usage: gupnp_cast_peer.py INTERFACE browse
       gupnp_cast_peer.py INTERFACE servicelist
browse prints "server FRIENDLY_NAME", then "item TITLE SIZE MIME" for every
item reachable from the root, depth first; servicelist prints the
"ReturnValue" of GetServiceList as it came. Exits 1 when the device is not
found or a call fails.
"""
import os
import sys
import warnings
import xml.etree.ElementTree as ET

import gi

gi.require_version("GUPnP", "1.6")
gi.require_version("GSSDP", "1.6")
from gi.repository import GLib, GObject, GUPnP  # noqa: E402

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from gupnp_context import find_device, string_value  # noqa: E402

warnings.simplefilter("ignore", DeprecationWarning)

MEDIA_SERVER = "urn:schemas-upnp-org:device:MediaServer:1"
CONTENT_DIRECTORY = "urn:schemas-upnp-org:service:ContentDirectory:1"
TV_DEVICE = "urn:tundric-com:device:tvdevice:1"
TV_CONTROL = "urn:tundric-com:service:tvcontrol:1"
DIDL = {"didl": "urn:schemas-upnp-org:metadata-1-0/DIDL-Lite/",
        "dc": "http://purl.org/dc/elements/1.1/"}


def call(service, name, arguments, outputs):
    action = GUPnP.ServiceProxyAction.new_from_list(
        name, [n for n, _ in arguments], [string_value(v) for _, v in arguments])
    service.call_action(action, None)
    ok, values = action.get_result_list([n for n, _ in outputs], [t for _, t in outputs])
    if not ok:
        raise RuntimeError(name + " failed")
    return values


def browse(directory, object_id):
    result, = call(directory, "Browse",
                   [("ObjectID", object_id), ("BrowseFlag", "BrowseDirectChildren"),
                    ("Filter", "*"), ("StartingIndex", "0"), ("RequestedCount", "0"),
                    ("SortCriteria", "")],
                   [("Result", GObject.TYPE_STRING)])
    root = ET.fromstring(result)
    for item in root.findall("didl:item", DIDL):
        res = item.find("didl:res", DIDL)
        size = res.get("size") if res is not None else "-"
        mime = res.get("protocolInfo", "").split(":")[2] if res is not None else "-"
        print("item", item.findtext("dc:title", "", DIDL), size, mime)
    for container in root.findall("didl:container", DIDL):
        browse(directory, container.get("id"))


def main():
    interface, command = sys.argv[1], sys.argv[2]
    device_type = MEDIA_SERVER if command == "browse" else TV_DEVICE
    device, _keep = find_device(interface, device_type)
    if device is None:
        print("device not found", device_type)
        return 1
    try:
        if command == "browse":
            print("server", device.get_friendly_name())
            browse(device.get_service(CONTENT_DIRECTORY), "0")
        else:
            value, = call(device.get_service(TV_CONTROL), "GetServiceList", [],
                          [("ReturnValue", GObject.TYPE_STRING)])
            sys.stdout.write(value)
    except (GLib.Error, RuntimeError, AttributeError, ET.ParseError) as error:
        print("call failed", error)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
