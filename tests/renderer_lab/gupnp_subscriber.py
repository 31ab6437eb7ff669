#!/usr/bin/python3
"""A GUPnP control point that only listens: finds the media renderer with the
given friendly name, subscribes to its AVTransport and RenderingControl, and
prints one line per LastChange event it receives, until killed.

usage: gupnp_subscriber.py INTERFACE FRIENDLY_NAME
prints: "ready UDN" once subscribed (or "not found" and exit 1), then
        "event AVT|RCS VALUE" per event, with tabs, newlines and backslashes
        in the value written as \\t, \\n and \\\\.
"""
import os
import sys
import warnings

import gi

gi.require_version("GUPnP", "1.6")
from gi.repository import GLib, GObject  # noqa: E402

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from gupnp_context import find_device  # noqa: E402

warnings.simplefilter("ignore", DeprecationWarning)

RENDERER = "urn:schemas-upnp-org:device:MediaRenderer:1"
SERVICES = {"AVT": "urn:schemas-upnp-org:service:AVTransport:1",
            "RCS": "urn:schemas-upnp-org:service:RenderingControl:1"}


def escape(text):
    return (text or "").replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n")


def main():
    interface, name = sys.argv[1], sys.argv[2]
    device, keep = find_device(interface, RENDERER, friendly_name=name)
    if device is None:
        print("not found", flush=True)
        return 1
    services = []
    for short, service_type in SERVICES.items():
        service = device.get_service(service_type)

        def notified(_service, _variable, value, short=short):
            print("event", short, escape(value), flush=True)

        def lost(_service, error, short=short):
            print("lost", short, escape(error.message), flush=True)

        service.add_notify("LastChange", GObject.TYPE_STRING, notified)
        service.connect("subscription-lost", lost)
        service.set_subscribed(True)
        services.append(service)
    print("ready", device.get_udn(), flush=True)
    GLib.MainLoop().run()
    return 0


if __name__ == "__main__":
    sys.exit(main())
