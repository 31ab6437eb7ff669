# As hangs.bat, but deaf to SIGTERM, and so is its child.
trap '' TERM
echo "rtsp://192.0.2.7:554/live"
sleep 1000 &
echo "$$ $!" > "${HALVORN_SCRIPT_PIDS:-/dev/null}"
wait
