#pragma once
// Serves what the virtual-file registry holds (shared media, covers) from an
// event-driven HTTP server (libmicrohttpd) on a port of its own. libupnp's
// web server answers from a small pool of threads, each blocked in a send
// for as long as its client does not read: eleven paused TVs held it, and
// with it every description and SOAP action. Here a stalled client costs its
// own connection, which is closed after `idle_seconds` without progress.
//
// Each request gets what libupnp's server gave it: the Host check, the
// registry's access guard (the password) and response headers (DLNA), one
// byte range, HEAD; files go out with sendfile.
#include <atomic>
#include <string>

struct MHD_Daemon;
struct MHD_Connection;

class MediaHttpServer {
public:
    struct Settings {
        std::string address;  // an IPv4 address of this machine, to listen on
        int port = 0;         // 0: any free port
        unsigned idle_seconds = 60;
        unsigned per_client = 64;  // open connections from one address
        unsigned connections = 512;
        unsigned threads = 4;  // 4 streams reach nginx's rate with 4, not with 2
    };

    MediaHttpServer() = default;
    ~MediaHttpServer();
    MediaHttpServer(const MediaHttpServer&) = delete;
    MediaHttpServer& operator=(const MediaHttpServer&) = delete;

    // False with one line in `error` when it cannot listen there.
    bool Start(const Settings& settings, std::string* error);
    void Stop();
    bool Running() const { return daemon_ != nullptr; }
    // The port it listens on; 0 when stopped.
    int Port() const { return port_; }
    const std::string& Address() const { return settings_.address; }

private:
    int Answer(MHD_Connection* connection, const char* url, const char* method);

    MHD_Daemon* daemon_ = nullptr;
    Settings settings_;
    int port_ = 0;
};
