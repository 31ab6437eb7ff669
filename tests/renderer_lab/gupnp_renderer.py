#!/usr/bin/python3
"""A UPnP control point built on GUPnP (not on this project's code): finds the
media renderer with the given friendly name on the interface, then answers
one line per request read from standard input.

usage: gupnp_renderer.py INTERFACE FRIENDLY_NAME
request: SERVICE_TYPE ACTION [NAME=VALUE ...]
replies: "ready UDN" once found (or "not found" and exit 1), then per request
         "reply ok NAME=VALUE<TAB>..." with every out-argument, or
         "reply fault CODE MESSAGE". Tabs, newlines and backslashes in values
         are written as \\t, \\n and \\\\.
"""
import os
import sys
import warnings

import gi

gi.require_version("GUPnP", "1.6")
gi.require_version("GSSDP", "1.6")
from gi.repository import GLib, GObject, GUPnP  # noqa: E402

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from gupnp_context import find_device, string_value  # noqa: E402

warnings.simplefilter("ignore", DeprecationWarning)

RENDERER = "urn:schemas-upnp-org:device:MediaRenderer:1"


def out_arguments(service, action_name, cache):
    """The action's out-argument names, from the service's own SCPD."""
    if service not in cache:
        loop = GLib.MainLoop()
        result = {}

        def done(proxy, res):
            result["i"] = proxy.introspect_finish(res)
            loop.quit()

        service.introspect_async(None, done)
        loop.run()
        cache[service] = result["i"]
    info = cache[service].get_action(action_name)
    if info is None:
        return []
    return [a.name for a in info.arguments if a.direction == GUPnP.ServiceActionArgDirection.OUT]


def escape(text):
    return (text or "").replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n")


def answer(device, line, cache):
    words = line.split()
    service_type, action_name = words[0], words[1]
    arguments = [w.split("=", 1) for w in words[2:]]
    service = device.get_service(service_type)
    if service is None:
        return "fault 0 no service " + service_type
    action = GUPnP.ServiceProxyAction.new_from_list(
        action_name, [n for n, _ in arguments], [string_value(v) for _, v in arguments])
    names = out_arguments(service, action_name, cache)
    try:
        service.call_action(action, None)
        ok, values = action.get_result_list(names, [GObject.TYPE_STRING] * len(names))
    except GLib.Error as error:
        return "fault %d %s" % (error.code, error.message)
    if not ok:
        return "fault 0 unreadable answer"
    return "ok " + "\t".join("%s=%s" % (n, escape(v)) for n, v in zip(names, values))


def main():
    interface, name = sys.argv[1], sys.argv[2]
    device, _keep = find_device(interface, RENDERER, friendly_name=name)
    if device is None:
        print("not found", flush=True)
        return 1
    print("ready", device.get_udn(), flush=True)
    cache = {}
    for line in sys.stdin:
        if line.strip():
            print("reply", answer(device, line.strip(), cache), flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
