echo "rtsp://192.0.2.7:554/live"
