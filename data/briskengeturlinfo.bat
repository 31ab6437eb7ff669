#!/bin/sh
# Placeholder of the live-capture product: prints the TV-live stream address
# (returned by the tvcontrol action GetTVLiveAddr).
echo "rtsp://127.0.0.1:8554/live"
