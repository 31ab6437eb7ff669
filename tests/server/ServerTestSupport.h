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
    // An out-argument's text; nullopt when the response lacks it.
    std::optional<std::string> Result(const std::string& argument) const {
        const auto found = xml::ElementsByTag(Response(), argument);
        if (found.empty()) return std::nullopt;
        return xml::Text(found.front());
    }

private:
    UpnpActionRequest* request_;
};
