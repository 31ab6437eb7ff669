"""What the lab's GUPnP peers share: a context on an interface, the device
they look for, and string arguments for actions.

GUPnP 1.6 picks its HTTP port itself when asked for port 0, and with other
programs busy in the same lab namespace that port is sometimes already taken
("Could not create HTTP server on port N"); another try picks another port.
"""
import time

import gi

gi.require_version("GUPnP", "1.6")
from gi.repository import GLib, GObject, GUPnP  # noqa: E402


def new_context(interface, tries=5):
    for attempt in range(tries):
        try:
            return GUPnP.Context.new(interface, 0)
        except GLib.Error as error:
            if attempt + 1 == tries or "HTTP server" not in error.message:
                raise
            time.sleep(0.1)


def find_device(interface, device_type, timeout=20, friendly_name=None):
    """The first device of the type (with that friendly name, when given)
    within the time-out, or None; and what must stay alive with its proxy."""
    context = new_context(interface)
    control_point = GUPnP.ControlPoint.new(context, device_type)
    loop = GLib.MainLoop()
    found = []

    def available(_cp, proxy):
        if friendly_name is None or proxy.get_friendly_name() == friendly_name:
            found.append(proxy)
            loop.quit()

    control_point.connect("device-proxy-available", available)
    control_point.set_active(True)
    GLib.timeout_add_seconds(timeout, loop.quit)
    loop.run()
    return (found[0] if found else None), (context, control_point)


def string_value(text):
    value = GObject.Value()
    value.init(GObject.TYPE_STRING)
    value.set_string(text)
    return value
