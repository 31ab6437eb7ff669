#pragma once
// Server test helpers: action requests built as libupnp hands them over, from
// a client address, without starting libupnp.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <upnp.h>

#include <optional>
#include <string>

#include "NeighbourTable.h"
#include "Xml.h"

inline std::string ServerData(const std::string& relative) {
    return std::string(HALVORN_TEST_DATA) + "/server/" + relative;
}

inline std::string ShippedData(const std::string& name) {
    return std::string(HALVORN_SOURCE_DIR) + "/data/dlna/web/" + name;
}

inline in_addr Ipv4(const char* text) {
    in_addr address{};
    inet_pton(AF_INET, text, &address);
    return address;
}

// An action request whose body is a fixture of server/requests/ (or a
// document the caller made), sent from `client`.
class ServerCall {
public:
    ServerCall(const std::string& action, const std::string& fixture,
               const std::string& client = "198.51.100.1")
        : ServerCall(action, ixmlLoadDocument(ServerData("requests/" + fixture).c_str()), client) {
        EXPECT_NE(UpnpActionRequest_get_ActionRequest(request_), nullptr) << fixture;
    }
    ServerCall(const std::string& action, IXML_Document* body, const std::string& client)
        : request_(UpnpActionRequest_new()) {
        UpnpActionRequest_strcpy_ActionName(request_, action.c_str());
        UpnpActionRequest_strcpy_DevUDN(request_, "uuid:server-test");
        UpnpActionRequest_strcpy_ServiceID(request_, "urn:upnp-org:serviceId:test");
        UpnpActionRequest_set_ActionRequest(request_, body);
        sockaddr_storage storage{};
        auto* in = reinterpret_cast<sockaddr_in*>(&storage);
        in->sin_family = AF_INET;
        in->sin_addr = Ipv4(client.c_str());
        UpnpActionRequest_set_CtrlPtIPAddr(request_, &storage);
    }
    ~ServerCall() {
        // The record does not own its documents.
        ixmlDocument_free(UpnpActionRequest_get_ActionRequest(request_));
        ixmlDocument_free(UpnpActionRequest_get_ActionResult(request_));
        UpnpActionRequest_set_ActionRequest(request_, nullptr);
        UpnpActionRequest_set_ActionResult(request_, nullptr);
        UpnpActionRequest_delete(request_);
    }
    ServerCall(const ServerCall&) = delete;
    ServerCall& operator=(const ServerCall&) = delete;

    UpnpActionRequest* get() { return request_; }
    int ErrorCode() const { return UpnpActionRequest_get_ErrCode(request_); }
    std::string ErrorText() const { return UpnpActionRequest_get_ErrStr_cstr(request_); }
    IXML_Document* Response() const { return UpnpActionRequest_get_ActionResult(request_); }
    // An out-argument's text (CDATA included), with the character references
    // a Result carries for non-ASCII text read back as a client's XML parser
    // reads them; nullopt when the response lacks it.
    std::optional<std::string> Result(const std::string& argument) const {
        const auto found = xml::ElementsByTag(Response(), argument);
        if (found.empty()) return std::nullopt;
        const std::string text = xml::AllText(found.front());
        std::string out;
        for (size_t i = 0; i < text.size(); ++i) {
            const size_t end = text.compare(i, 3, "&#x") == 0 ? text.find(';', i) : std::string::npos;
            if (end == std::string::npos) {
                out += text[i];
                continue;
            }
            const uint32_t code = std::stoul(text.substr(i + 3, end - i - 3), nullptr, 16);
            if (code < 0x800) {
                out += static_cast<char>(0xC0 | (code >> 6));
            } else if (code < 0x10000) {
                out += static_cast<char>(0xE0 | (code >> 12));
                out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            } else {
                out += static_cast<char>(0xF0 | (code >> 18));
                out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
                out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            }
            out += static_cast<char>(0x80 | (code & 0x3F));
            i = end;
        }
        return out;
    }

private:
    UpnpActionRequest* request_;
};
