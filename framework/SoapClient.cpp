#include "SoapClient.h"

#include <strings.h>
#include <sys/utsname.h>
#include <upnp.h>
#include <upnpconfig.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "HttpGet.h"
#include "XmlStream.h"

namespace {

// libupnp's own header, so devices see the same client as before.
const std::string& UserAgent() {
    static const std::string agent = [] {
        utsname system{};
        uname(&system);
        return std::string(system.sysname) + "/" + system.release +
               ", UPnP/1.0, Portable SDK for UPnP devices/" UPNP_VERSION_STRING;
    }();
    return agent;
}

// "text/xml" with any parameters, as libupnp accepts it.
bool IsXmlType(std::string_view type) {
    auto skip_space = [&] {
        while (!type.empty() && (type.front() == ' ' || type.front() == '\t')) type.remove_prefix(1);
    };
    skip_space();
    if (type.size() < 4 || strncasecmp(type.data(), "text", 4) != 0) return false;
    type.remove_prefix(4);
    skip_space();
    if (type.empty() || type.front() != '/') return false;
    type.remove_prefix(1);
    skip_space();
    return type.size() >= 3 && strncasecmp(type.data(), "xml", 3) == 0;
}

// Envelope, its first Body, and there the first response element or the
// first Fault, each child found by local name as libupnp looks for it.
class EnvelopeReader : public XmlStreamHandler {
public:
    EnvelopeReader(std::string response_name, SoapAnswer* answer)
        : response_name_(std::move(response_name)), answer_(answer) {}

    bool OnStart(const XmlStartTag& tag) override {
        const size_t depth = ++depth_;
        if (depth == 1) {
            envelope_ = tag.local == "Envelope";
        } else if (depth == 2) {
            in_body_ = envelope_ && !body_seen_ && tag.local == "Body";
            body_seen_ = body_seen_ || in_body_;
        } else if (depth == 3 && in_body_) {
            in_response_ = !response_seen_ && tag.local == response_name_;
            response_seen_ = response_seen_ || in_response_;
            in_fault_ = !fault_seen_ && tag.local == "Fault";
            fault_seen_ = fault_seen_ || in_fault_;
        } else if (depth == 4 && in_response_) {
            answer_->arguments.emplace_back(std::string(tag.local), std::string());
            Collect(&answer_->arguments.back().second);
        } else if (depth == 4 && in_fault_) {
            in_detail_ = !detail_seen_ && tag.local == "detail";
            detail_seen_ = detail_seen_ || in_detail_;
        } else if (depth == 5 && in_detail_) {
            in_error_ = !error_seen_ && tag.local == "UPnPError";
            error_seen_ = error_seen_ || in_error_;
        } else if (depth == 6 && in_error_) {
            if (!code_seen_ && tag.local == "errorCode") {
                code_seen_ = true;
                Collect(&answer_->error_code);
            } else if (!description_seen_ && tag.local == "errorDescription") {
                description_seen_ = true;
                Collect(&answer_->error_description);
            }
        }
        return true;
    }

    // Only an element's own text is kept, not that of its children.
    bool OnText(std::string_view text, bool) override {
        if (text_ && depth_ == text_depth_) text_->append(text);
        return true;
    }

    bool OnEnd() override {
        const size_t depth = depth_--;
        if (depth == text_depth_) text_ = nullptr;
        if (depth == 2) in_body_ = false;
        if (depth == 3) in_response_ = in_fault_ = false;
        if (depth == 4) in_detail_ = false;
        if (depth == 5) in_error_ = false;
        return true;
    }

    bool Answered() const { return response_seen_; }
    bool Faulted() const { return code_seen_; }

private:
    void Collect(std::string* text) {
        text_ = text;
        text_depth_ = depth_;
    }

    std::string response_name_;
    SoapAnswer* answer_;
    size_t depth_ = 0;
    std::string* text_ = nullptr;
    size_t text_depth_ = 0;
    bool envelope_ = false;
    bool in_body_ = false, body_seen_ = false;
    bool in_response_ = false, response_seen_ = false;
    bool in_fault_ = false, fault_seen_ = false;
    bool in_detail_ = false, detail_seen_ = false;
    bool in_error_ = false, error_seen_ = false;
    bool code_seen_ = false, description_seen_ = false;
};

// A fault's code as atoi read it; only a positive one is an answer.
int ErrorCode(const std::string& text) {
    errno = 0;
    char* end = nullptr;
    const long code = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str() || errno != 0 || code <= 0 || code > INT_MAX)
        return UPNP_E_BAD_RESPONSE;
    return static_cast<int>(code);
}

}  // namespace

std::string SoapEnvelope(std::string_view action_xml) {
    constexpr std::string_view kStart =
        "<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\" "
        "s:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\">\r\n<s:Body>";
    constexpr std::string_view kEnd = "</s:Body>\r\n</s:Envelope>\r\n\r\n";
    std::string body;
    body.reserve(kStart.size() + action_xml.size() + kEnd.size());
    body.append(kStart).append(action_xml).append(kEnd);
    return body;
}

int ReadSoapResponse(int status, std::string_view content_type, std::string_view body,
                     std::string_view action, SoapAnswer* answer) {
    *answer = {};
    if ((status != 200 && status != 500) || !IsXmlType(content_type)) return UPNP_E_BAD_RESPONSE;
    EnvelopeReader reader(std::string(action) + "Response", answer);
    const bool read = ReadXmlStream(body, reader);
    int rc = UPNP_E_BAD_RESPONSE;
    if (read && reader.Answered())
        rc = 0;
    else if (read && reader.Faulted())
        rc = ErrorCode(answer->error_code);
    if (rc != 0) answer->arguments.clear();
    return rc;
}

int SendSoapAction(const std::string& control_url, const std::string& service_type,
                   const std::string& action, std::string_view action_xml,
                   const std::atomic<bool>* cancel, SoapAnswer* answer) {
    *answer = {};
    HttpRequest request;
    request.method = "POST";
    request.version = "HTTP/1.1";
    request.body = SoapEnvelope(action_xml);
    request.body_statuses = {200, 500};
    const std::string soap_action = "SOAPACTION: \"" + service_type + "#" + action + "\"\r\n";
    const std::string common = "CONTENT-LENGTH: " + std::to_string(request.body.size()) +
                               "\r\nCONTENT-TYPE: text/xml; charset=\"utf-8\"\r\nUSER-AGENT: " +
                               UserAgent() + "\r\nConnection: close\r\n";
    request.headers = common + soap_action;
    const HttpGetLimits limits{kMaxSoapContentLength, kSoapSeconds};
    HttpResponse response;
    int rc = HttpExchange(control_url, request, limits, cancel, &response);
    // Devices that refuse POST get M-POST, as libupnp retried.
    if (rc == 0 && response.status == 405) {
        request.method = "M-POST";
        request.headers =
            common + "MAN: \"http://schemas.xmlsoap.org/soap/envelope/\"; ns=01\r\n01-" + soap_action;
        rc = HttpExchange(control_url, request, limits, cancel, &response);
    }
    if (rc != 0) return rc;
    return ReadSoapResponse(response.status, response.content_type, response.body, action, answer);
}
