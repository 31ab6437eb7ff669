"""GUPnP context creation shared by the lab's GUPnP peers.

GUPnP 1.6 picks its HTTP port itself when asked for port 0, and with other
programs busy in the same lab namespace that port is sometimes already taken
("Could not create HTTP server on port N"); another try picks another port.
"""
import time

import gi

gi.require_version("GUPnP", "1.6")
from gi.repository import GLib, GUPnP  # noqa: E402


def new_context(interface, tries=5):
    for attempt in range(tries):
        try:
            return GUPnP.Context.new(interface, 0)
        except GLib.Error as error:
            if attempt + 1 == tries or "HTTP server" not in error.message:
                raise
            time.sleep(0.1)
