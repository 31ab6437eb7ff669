# Prints an answer, then never ends, nor does the child it started.
echo "rtsp://192.0.2.7:554/live"
sleep 1000 &
echo "$$ $!" > "${HALVORN_SCRIPT_PIDS:-/dev/null}"
wait
