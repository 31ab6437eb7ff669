#!/bin/sh
# Placeholder of the live-capture product: prints the address of its
# negotiating web server (returned by GetTVLiveNegotiatedAddr).
echo "http://127.0.0.1:8080/"
