#pragma once
// An action request record as libupnp hands it to the device callback, its
// body a fixture document (the action element) whose argument texts a test
// may replace. No libupnp runtime is needed.
#include <gtest/gtest.h>
#include <upnp.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Xml.h"

using ArgumentTexts = std::vector<std::pair<std::string, std::string>>;

// The fixture at `path` with the text of each named element replaced.
inline UniqueXmlDocument LoadFixture(const std::string& path, const ArgumentTexts& replaced = {}) {
    UniqueXmlDocument doc(ixmlLoadDocument(path.c_str()));
    EXPECT_TRUE(doc) << path;
    if (!doc) return doc;
    for (const auto& [name, text] : replaced) {
        const auto found = xml::ElementsByTag(doc.get(), name);
        EXPECT_FALSE(found.empty()) << name << " in " << path;
        if (!found.empty()) xml::SetText(doc.get(), found.front(), text);
    }
    return doc;
}

class ActionRequest {
public:
    ActionRequest(const std::string& action, const std::string& fixture,
                  const ArgumentTexts& replaced = {})
        : request_(UpnpActionRequest_new()) {
        UpnpActionRequest_strcpy_ActionName(request_, action.c_str());
        UpnpActionRequest_strcpy_DevUDN(request_, "uuid:action-request-test");
        UpnpActionRequest_strcpy_ServiceID(request_, "urn:upnp-org:serviceId:test");
        UpnpActionRequest_set_ActionRequest(request_, LoadFixture(fixture, replaced).release());
    }
    ~ActionRequest() {
        // The record does not own its documents.
        ixmlDocument_free(UpnpActionRequest_get_ActionRequest(request_));
        ixmlDocument_free(UpnpActionRequest_get_ActionResult(request_));
        UpnpActionRequest_set_ActionRequest(request_, nullptr);
        UpnpActionRequest_set_ActionResult(request_, nullptr);
        UpnpActionRequest_delete(request_);
    }
    ActionRequest(const ActionRequest&) = delete;
    ActionRequest& operator=(const ActionRequest&) = delete;

    UpnpActionRequest* get() { return request_; }
    int ErrorCode() const { return UpnpActionRequest_get_ErrCode(request_); }
    bool Answered() const { return UpnpActionRequest_get_ActionResult(request_) != nullptr; }
    // An out-argument's text; nullopt when the response lacks it.
    std::optional<std::string> Result(const std::string& argument) const {
        const auto found =
            xml::ElementsByTag(UpnpActionRequest_get_ActionResult(request_), argument);
        if (found.empty()) return std::nullopt;
        return xml::AllText(found.front());
    }
    // All out-arguments in document order.
    ArgumentTexts Results() const {
        ArgumentTexts out;
        IXML_Document* result = UpnpActionRequest_get_ActionResult(request_);
        if (!result) return out;
        auto response = xml::ChildElements(xml::AsNode(result));
        if (response.empty()) return out;
        for (IXML_Element* argument : xml::ChildElements(xml::AsNode(response.front())))
            out.emplace_back(xml::LocalName(xml::AsNode(argument)), xml::AllText(argument));
        return out;
    }

private:
    UpnpActionRequest* request_;
};
