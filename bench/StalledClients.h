#pragma once
// Clients that stop half-way, kept open until closed: connections that ask
// for a file and never read it, and connections that send a request line and
// one header and nothing more. Whether the server still holds each one is
// read from the server's side of it in /proc/net/tcp (the lab's namespace):
// reading from a non-reader to see its end would let the server send more,
// which is progress and keeps it open.
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

class StalledClients {
public:
    // `non_readers` GET `path` with a 4 KiB receive buffer; `half_requests`
    // send "GET `half_path`" and a Host header. Connections that cannot be
    // made within 2 s are left out (see Opened).
    StalledClients(const std::string& host, int port, const std::string& path, int non_readers,
                   const std::string& half_path, int half_requests);
    ~StalledClients();
    StalledClients(const StalledClients&) = delete;
    StalledClients& operator=(const StalledClients&) = delete;

    int Opened() const { return static_cast<int>(connections_.size()); }
    // Connections whose server side is still established; `unsent` gets the
    // bytes the server has queued for them.
    int HeldByServer(uint64_t* unsent = nullptr) const;
    // Waits until the server has closed each one, at most until `limit`
    // seconds after the first was opened: per connection, the seconds from
    // its opening to its close, -1 for one still held.
    std::vector<double> WaitUntilClosed(double limit);

    struct Ending {
        int eof = 0, reset = 0, open = 0;
        uint64_t drained = 0;  // bytes read before the end
    };
    // Reads what each connection the server closed still holds, to its end
    // (EOF or reset); the others count as open and are not read.
    Ending Drain(int timeout_seconds);
    void Close();

private:
    struct Connection {
        int fd = -1;
        int port = 0;  // ours
        std::chrono::steady_clock::time_point opened;
        double closed_after = -1;
    };

    int port_;
    std::vector<Connection> connections_;
};

// A connection to host:port, or -1 when none is made within `timeout_ms`.
// A `receive_buffer` (bytes; 0 keeps the default) is set before connecting,
// so the window the server sees is small from the start.
int ConnectWithin(const std::string& host, int port, int timeout_ms, int receive_buffer = 0);
