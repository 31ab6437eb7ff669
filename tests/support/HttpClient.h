#pragma once
// A deliberately plain HTTP/1.1 client over a socket, independent of libupnp,
// so tests see exactly what goes over the wire.
#include <map>
#include <string>
#include <vector>

// Not HttpResponse: the framework has one of that name, and tests link both.
struct WireResponse {
    int status = 0;  // 0: no response at all
    std::map<std::string, std::string> headers;  // names lower-cased
    std::string body;

    std::string Header(const std::string& name) const;
};

WireResponse HttpRequest(const std::string& host, int port, const std::string& method,
                         const std::string& path,
                         const std::vector<std::pair<std::string, std::string>>& headers = {},
                         const std::string& body = {});

// Sends `request` byte for byte and reads the answer until the server closes
// the connection or `timeout_seconds` pass without data. `half_close` ends
// the sending side once the request is out, so a server waiting for more
// body than was announced sees the end at once.
WireResponse RawHttpExchange(const std::string& host, int port, const std::string& request,
                             int timeout_seconds = 10, bool half_close = false);

// POSTs a SOAP request for `action` of `service_type` with the given
// arguments (in order) to the control path.
WireResponse SoapCall(const std::string& host, int port, const std::string& control_path,
                      const std::string& service_type, const std::string& action,
                      const std::vector<std::pair<std::string, std::string>>& arguments);

// Text of the first element whose local name is `tag`, or empty.
std::string XmlElementText(const std::string& xml, const std::string& tag);
