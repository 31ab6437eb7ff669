#pragma once
// The yardstick for file downloads: a plain HTTP server that answers every
// GET with one file through a sendfile loop, one thread per connection.
#include <atomic>
#include <string>
#include <thread>

class SendfileServer {
public:
    SendfileServer(const std::string& address, int port, const std::string& file);
    ~SendfileServer();
    bool ok() const { return listener_ >= 0; }

private:
    void Serve(int connection);

    std::string file_;
    int listener_ = -1;
    std::atomic<bool> stopping_{false};
    std::thread acceptor_;
};
