#include "HttpGet.h"

#include <poll.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>
#include <upnp.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <string_view>

#include "HttpConnect.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kMaxHeaderBytes = 16 * 1024;
constexpr std::chrono::milliseconds kCancelSlice{100};

class Connection {
public:
    Connection(int fd, Clock::time_point deadline, const std::atomic<bool>* cancel)
        : fd_(fd), deadline_(deadline), cancel_(cancel) {}
    ~Connection() { close(fd_); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    int SendAll(std::string_view data) {
        while (!data.empty()) {
            if (int rc = Wait(POLLOUT); rc != 0) return rc;
            const ssize_t sent = send(fd_, data.data(), data.size(), MSG_NOSIGNAL);
            if (sent < 0 && (errno == EAGAIN || errno == EINTR)) continue;
            if (sent <= 0) return UPNP_E_SOCKET_WRITE;
            data.remove_prefix(static_cast<size_t>(sent));
        }
        return 0;
    }

    // Appends what arrives next; 0 with `*closed` set at the end of the stream.
    int Receive(std::string* into, bool* closed) {
        char buffer[16 * 1024];
        for (;;) {
            if (int rc = Wait(POLLIN); rc != 0) return rc;
            const ssize_t got = recv(fd_, buffer, sizeof buffer, 0);
            if (got < 0 && (errno == EAGAIN || errno == EINTR)) continue;
            if (got < 0) return UPNP_E_SOCKET_READ;
            *closed = got == 0;
            into->append(buffer, static_cast<size_t>(got));
            return 0;
        }
    }

private:
    int Wait(short events) {
        pollfd wait{fd_, events, 0};
        for (;;) {
            if (cancel_ && cancel_->load()) return UPNP_E_CANCELED;
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - Clock::now());
            if (left.count() <= 0) return UPNP_E_TIMEDOUT;
            const int ready =
                poll(&wait, 1, static_cast<int>(std::min(left, kCancelSlice).count()));
            if (ready < 0 && errno != EINTR) return UPNP_E_SOCKET_READ;
            if (ready > 0) return 0;
        }
    }

    int fd_;
    Clock::time_point deadline_;
    const std::atomic<bool>* cancel_;
};

bool ParseSize(std::string_view text, int base, size_t* out) {
    size_t value = 0;
    if (text.empty() || text.size() > 12) return false;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        value = value * base + static_cast<size_t>(digit);
    }
    *out = value;
    return true;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

struct ResponseHead {
    int status = 0;
    std::string content_type;
    bool chunked = false;
    bool has_length = false;
    size_t length = 0;
};

bool ParseHead(std::string_view head, ResponseHead* out) {
    size_t end = head.find("\r\n");
    std::string_view status_line = head.substr(0, end);
    if (!status_line.starts_with("HTTP/1.") || status_line.size() < 12 || status_line[8] != ' ')
        return false;
    size_t status = 0;
    if (!ParseSize(status_line.substr(9, 3), 10, &status)) return false;
    out->status = static_cast<int>(status);
    while (end != std::string_view::npos) {
        head.remove_prefix(end + 2);
        end = head.find("\r\n");
        std::string_view line = head.substr(0, end);
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos) continue;
        std::string_view name = line.substr(0, colon);
        std::string_view value = Trim(line.substr(colon + 1));
        if (name.size() == 17 && strncasecmp(name.data(), "Transfer-Encoding", 17) == 0) {
            out->chunked = value.size() >= 7 &&
                           strncasecmp(value.data() + value.size() - 7, "chunked", 7) == 0;
        } else if (name.size() == 12 && strncasecmp(name.data(), "Content-Type", 12) == 0) {
            out->content_type = value;
        } else if (name.size() == 14 && strncasecmp(name.data(), "Content-Length", 14) == 0) {
            if (!ParseSize(value, 10, &out->length)) return false;
            out->has_length = true;
        }
    }
    return true;
}

// Decodes as much of a chunked body as `raw` holds and drops what it used.
// 1 when complete, 0 when more is needed, or an error code.
int Dechunk(std::string* raw, std::string* body, size_t max_body) {
    size_t at = 0;
    int result = 0;
    for (;;) {
        const size_t line_end = raw->find("\r\n", at);
        if (line_end == std::string::npos) {
            if (raw->size() - at > 64) result = UPNP_E_BAD_HTTPMSG;
            break;
        }
        std::string_view size_text = std::string_view(*raw).substr(at, line_end - at);
        size_text = Trim(size_text.substr(0, size_text.find(';')));
        size_t size = 0;
        if (!ParseSize(size_text, 16, &size)) {
            result = UPNP_E_BAD_HTTPMSG;
            break;
        }
        if (size > max_body || body->size() + size > max_body) {
            result = UPNP_E_OUTOF_BOUNDS;
            break;
        }
        if (size == 0) {  // trailers are not needed
            result = 1;
            break;
        }
        if (raw->size() < line_end + 2 + size + 2) break;
        body->append(*raw, line_end + 2, size);
        at = line_end + 2 + size + 2;
    }
    raw->erase(0, at);
    return result;
}

}  // namespace

int HttpExchange(const std::string& url, const HttpRequest& request, const HttpGetLimits& limits,
                 const std::atomic<bool>* cancel, HttpResponse* response) {
    *response = {};
    std::string* body = &response->body;
    HttpUrl target;
    if (!ParseHttpUrl(url, &target)) return UPNP_E_INVALID_URL;
    const auto deadline = Clock::now() + std::chrono::seconds(std::max(limits.seconds, 0));
    const int fd = ConnectHttpHost(target, deadline, cancel);
    if (fd < 0) {
        if (cancel && cancel->load()) return UPNP_E_CANCELED;
        return UPNP_E_SOCKET_CONNECT;
    }
    Connection connection(fd, deadline, cancel);

    const bool v6 = target.host.find(':') != std::string::npos;
    const std::string host = (v6 ? "[" + target.host + "]" : target.host) + ":" + target.port;
    // One write: a body sent apart from its head could wait on a delayed ACK.
    const std::string out = request.method + " " + target.path + " " + request.version +
                            "\r\nHost: " + host + "\r\n" + request.headers + "\r\n" +
                            request.body;
    if (int rc = connection.SendAll(out); rc != 0) return rc;

    std::string raw;
    bool closed = false;
    size_t head_end = std::string::npos;
    while (head_end == std::string::npos) {
        if (closed) return UPNP_E_BAD_HTTPMSG;
        if (raw.size() > kMaxHeaderBytes) return UPNP_E_BAD_HTTPMSG;
        if (int rc = connection.Receive(&raw, &closed); rc != 0) return rc;
        head_end = raw.find("\r\n\r\n");
    }
    ResponseHead head;
    if (!ParseHead(std::string_view(raw).substr(0, head_end), &head)) return UPNP_E_BAD_HTTPMSG;
    response->status = head.status;
    response->content_type = std::move(head.content_type);
    if (std::find(request.body_statuses.begin(), request.body_statuses.end(), head.status) ==
        request.body_statuses.end())
        return 0;
    raw.erase(0, head_end + 4);
    if (!head.chunked && head.has_length && head.length > limits.max_body)
        return UPNP_E_OUTOF_BOUNDS;

    for (;;) {
        if (head.chunked) {
            const int rc = Dechunk(&raw, body, limits.max_body);
            if (rc == 1) return 0;
            if (rc < 0) return rc;
        } else {
            body->append(raw);
            raw.clear();
            if (head.has_length && body->size() >= head.length) {
                body->resize(head.length);
                return 0;
            }
            if (body->size() > limits.max_body) return UPNP_E_OUTOF_BOUNDS;
        }
        if (closed) {
            // Without a length the end of the stream ends the body; with
            // one, or chunked, it means the body was cut short.
            return head.chunked || head.has_length ? UPNP_E_SOCKET_READ : 0;
        }
        if (raw.size() > limits.max_body + 64) return UPNP_E_OUTOF_BOUNDS;
        if (int rc = connection.Receive(&raw, &closed); rc != 0) return rc;
    }
}

int HttpGet(const std::string& url, const HttpGetLimits& limits, const std::atomic<bool>* cancel,
            std::string* body) {
    body->clear();
    // HTTP/1.0 with close: most peers then answer with a length or until close.
    HttpRequest request;
    request.headers = "Connection: close\r\nAccept: text/xml\r\n";
    HttpResponse response;
    if (int rc = HttpExchange(url, request, limits, cancel, &response); rc != 0) return rc;
    if (response.status != 200) return UPNP_E_BAD_RESPONSE;
    *body = std::move(response.body);
    return 0;
}
