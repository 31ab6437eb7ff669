#include "SendfileServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/sendfile.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

SendfileServer::SendfileServer(const std::string& address, int port, const std::string& file)
    : file_(file) {
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(static_cast<uint16_t>(port));
    inet_pton(AF_INET, address.c_str(), &where.sin_addr);
    if (bind(listener_, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0 ||
        listen(listener_, 16) != 0) {
        close(listener_);
        listener_ = -1;
        return;
    }
    acceptor_ = std::thread([this] {
        for (;;) {
            const int connection = accept(listener_, nullptr, nullptr);
            if (connection < 0 || stopping_) {
                if (connection >= 0) close(connection);
                return;
            }
            std::thread([this, connection] { Serve(connection); }).detach();
        }
    });
}

SendfileServer::~SendfileServer() {
    stopping_ = true;
    if (listener_ >= 0) {
        shutdown(listener_, SHUT_RDWR);
        close(listener_);
    }
    if (acceptor_.joinable()) acceptor_.join();
}

void SendfileServer::Serve(int connection) {
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos) {
        const ssize_t n = recv(connection, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        request.append(buffer, n);
    }
    const int file = open(file_.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (file >= 0 && fstat(file, &info) == 0) {
        const std::string head = "HTTP/1.1 200 OK\r\nContent-Type: video/mpeg\r\nContent-Length: " +
                                 std::to_string(info.st_size) + "\r\nConnection: close\r\n\r\n";
        if (send(connection, head.data(), head.size(), MSG_NOSIGNAL) ==
            static_cast<ssize_t>(head.size())) {
            off_t offset = 0;
            while (offset < info.st_size &&
                   sendfile(connection, file, &offset, static_cast<size_t>(info.st_size - offset)) >
                       0) {
            }
        }
    }
    if (file >= 0) close(file);
    close(connection);
}
