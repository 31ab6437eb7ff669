#!/usr/bin/python3
"""A UPnP control point built on GUPnP (not on this project's code): finds the
TV receiver on the given interface, lists its services and drives it.

usage: gupnp_control_point.py INTERFACE list
       gupnp_control_point.py INTERFACE call SERVICE_TYPE ACTION [NAME=VALUE ...]
Prints one line per finding; exits 1 when the device is not found or a call
fails.
"""
import os
import sys
import warnings

import gi

gi.require_version("GUPnP", "1.6")
gi.require_version("GSSDP", "1.6")
from gi.repository import GLib, GObject, GUPnP  # noqa: E402

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from gupnp_context import new_context  # noqa: E402

warnings.simplefilter("ignore", DeprecationWarning)

DEVICE_TYPE = "urn:tundric-com:device:tvdevice:1"


def find_device(interface, timeout=20):
    context = new_context(interface)
    control_point = GUPnP.ControlPoint.new(context, DEVICE_TYPE)
    loop = GLib.MainLoop()
    found = []

    def available(_cp, proxy):
        found.append(proxy)
        loop.quit()

    control_point.connect("device-proxy-available", available)
    control_point.set_active(True)
    GLib.timeout_add_seconds(timeout, loop.quit)
    loop.run()
    # Keep the context and control point alive with the proxy.
    return (found[0] if found else None), (context, control_point)


def value(text):
    v = GObject.Value()
    v.init(GObject.TYPE_STRING)
    v.set_string(text)
    return v


def main():
    interface, command = sys.argv[1], sys.argv[2]
    device, _keep = find_device(interface)
    if device is None:
        print("device not found")
        return 1
    print("device", device.get_device_type(), device.get_udn())
    if command == "list":
        for service in device.list_services():
            print("service", service.get_service_type())
        return 0
    service_type, action_name = sys.argv[3], sys.argv[4]
    arguments = [a.split("=", 1) for a in sys.argv[5:]]
    service = device.get_service(service_type)
    if service is None:
        print("service not found", service_type)
        return 1
    action = GUPnP.ServiceProxyAction.new_from_list(
        action_name, [n for n, _ in arguments], [value(v) for _, v in arguments])
    try:
        service.call_action(action, None)
        ok, = action.get_result_list([], [])[:1]
    except GLib.Error as error:
        print("call failed", error.message)
        return 1
    print("called", action_name, "ok" if ok else "failed")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
