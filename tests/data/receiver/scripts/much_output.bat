# Far more than a pipe holds: the reader must drain it while the script writes.
yes 'rtsp://192.0.2.7:554/live' | head -n 50000
