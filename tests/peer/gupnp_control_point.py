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
from gi.repository import GLib, GUPnP  # noqa: E402

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from gupnp_context import find_device, string_value  # noqa: E402

warnings.simplefilter("ignore", DeprecationWarning)

DEVICE_TYPE = "urn:tundric-com:device:tvdevice:1"


def main():
    interface, command = sys.argv[1], sys.argv[2]
    device, _keep = find_device(interface, DEVICE_TYPE)
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
        action_name, [n for n, _ in arguments], [string_value(v) for _, v in arguments])
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
