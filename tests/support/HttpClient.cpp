#include "HttpClient.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <regex>

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    return text;
}

std::string Dechunk(const std::string& body) {
    std::string out;
    size_t at = 0;
    while (at < body.size()) {
        size_t eol = body.find("\r\n", at);
        if (eol == std::string::npos) break;
        size_t size = std::stoul(body.substr(at, eol - at), nullptr, 16);
        if (size == 0) break;
        out += body.substr(eol + 2, size);
        at = eol + 2 + size + 2;
    }
    return out;
}

}  // namespace

std::string WireResponse::Header(const std::string& name) const {
    auto it = headers.find(Lower(name));
    return it == headers.end() ? std::string() : it->second;
}

WireResponse HttpRequest(const std::string& host, int port, const std::string& method,
                         const std::string& path,
                         const std::vector<std::pair<std::string, std::string>>& headers,
                         const std::string& body) {
    std::string request = method + " " + path + " HTTP/1.1\r\nHost: " + host + ":" +
                          std::to_string(port) + "\r\nConnection: close\r\n";
    for (const auto& [name, value] : headers) request += name + ": " + value + "\r\n";
    if (!body.empty() || method == "POST")
        request += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    request += "\r\n" + body;
    return RawHttpExchange(host, port, request);
}

WireResponse RawHttpExchange(const std::string& host, int port, const std::string& request,
                             int timeout_seconds, bool half_close) {
    WireResponse response;
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return response;
    timeval timeout{timeout_seconds, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    inet_pton(AF_INET, host.c_str(), &address.sin_addr);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return response;
    }
    for (size_t sent = 0; sent < request.size();) {
        ssize_t n = send(fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) break;
        sent += static_cast<size_t>(n);
    }
    if (half_close) shutdown(fd, SHUT_WR);
    std::string raw;
    char buffer[8192];
    for (ssize_t n; (n = recv(fd, buffer, sizeof buffer, 0)) > 0;) raw.append(buffer, n);
    close(fd);

    size_t head_end = raw.find("\r\n\r\n");
    if (head_end == std::string::npos) return response;
    std::string head = raw.substr(0, head_end);
    response.body = raw.substr(head_end + 4);
    size_t line_end = head.find("\r\n");
    std::string status_line = head.substr(0, line_end);
    auto space = status_line.find(' ');
    if (space != std::string::npos) response.status = std::atoi(status_line.c_str() + space + 1);
    for (size_t at = line_end; at != std::string::npos && at < head.size();) {
        size_t next = head.find("\r\n", at + 2);
        std::string line = head.substr(at + 2, next == std::string::npos ? std::string::npos
                                                                          : next - at - 2);
        auto colon = line.find(':');
        if (colon != std::string::npos) {
            std::string value = line.substr(colon + 1);
            value.erase(0, value.find_first_not_of(' '));
            response.headers[Lower(line.substr(0, colon))] = value;
        }
        at = next;
    }
    if (Lower(response.Header("Transfer-Encoding")) == "chunked")
        response.body = Dechunk(response.body);
    return response;
}

WireResponse SoapCall(const std::string& host, int port, const std::string& control_path,
                      const std::string& service_type, const std::string& action,
                      const std::vector<std::pair<std::string, std::string>>& arguments) {
    std::string body =
        "<?xml version=\"1.0\"?>\r\n"
        "<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\" "
        "s:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\">"
        "<s:Body><u:" + action + " xmlns:u=\"" + service_type + "\">";
    for (const auto& [name, value] : arguments) body += "<" + name + ">" + value + "</" + name + ">";
    body += "</u:" + action + "></s:Body></s:Envelope>";
    return HttpRequest(host, port, "POST", control_path,
                       {{"Content-Type", "text/xml; charset=\"utf-8\""},
                        {"SOAPACTION", "\"" + service_type + "#" + action + "\""}},
                       body);
}

std::string XmlElementText(const std::string& xml, const std::string& tag) {
    std::regex pattern("<(?:[A-Za-z0-9_]+:)?" + tag + "(?:\\s[^>]*)?>([^<]*)</");
    std::smatch match;
    return std::regex_search(xml, match, pattern) ? match[1].str() : std::string();
}
