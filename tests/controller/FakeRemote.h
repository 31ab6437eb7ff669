#pragma once
// Remote devices that never touch the network: their services are the
// library's own, made as the control point makes them, and what they answer
// is set by the test. The controller functions reach them through the
// known-device list and the replaceable remote sender.
#include <gtest/gtest.h>
#include <upnp.h>
#include <upnptools.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "DLNA.h"
#include "UpnpClient.h"
#include "UpnpDeviceListener.h"
#include "Xml.h"
#include "api/DLNAContext.h"
#include "api/DLNAServiceFactory.h"
#include "common/DeviceTypes.h"
#include "controller/DLNADeviceListener.h"
#include "controller/RemoteAction.h"

using Arguments = std::vector<std::pair<std::string, std::string>>;

// One request as it would have gone over the wire.
struct SentAction {
    std::string name;
    std::string service_type;
    Arguments arguments;
};

// What the device answers: libupnp's code and, for 0, the out-arguments.
struct Answer {
    int code = 0;
    Arguments out;
};

// A fixture's bytes, as a device would send them.
inline std::string ReadFixture(const std::string& relative) {
    std::ifstream in(std::string(HALVORN_TEST_DATA) + "/" + relative, std::ios::binary);
    EXPECT_TRUE(in) << relative;
    return {std::istreambuf_iterator<char>(in), {}};
}

// The arguments of a renderer response fixture (tests/data/renderer/responses).
inline Arguments ResponseFixture(const std::string& action) {
    Arguments out;
    UniqueXmlDocument doc(ixmlLoadDocument(
        (std::string(HALVORN_TEST_DATA) + "/renderer/responses/" + action + ".xml").c_str()));
    EXPECT_TRUE(doc) << action;
    if (!doc) return out;
    auto response = xml::ChildElements(xml::AsNode(doc.get()));
    for (IXML_Element* argument : xml::ChildElements(xml::AsNode(response.front())))
        out.emplace_back(xml::LocalName(xml::AsNode(argument)), xml::AllText(argument));
    return out;
}

inline std::shared_ptr<UpnpClient> MakeRemoteDevice(const std::string& device_type,
                                                    const std::string& udn,
                                                    const std::vector<std::string>& service_types) {
    auto& context = DLNAContext::Instance();
    DLNAServiceFactory factory(&context.Renderer(), &context.Server(), nullptr, nullptr);
    std::vector<std::shared_ptr<UpnpService>> services;
    for (const auto& type : service_types) {
        const std::string id = "urn:upnp-org:serviceId:" + std::to_string(services.size());
        ServiceInfo info{type, id, "http://192.0.2.1:1/control", "http://192.0.2.1:1/event",
                         "http://192.0.2.1:1/scpd.xml"};
        // The control point passes no device: remote services get no listener.
        if (auto service = factory.CreateService(DeviceInfo{}, info)) services.push_back(service);
    }
    DeviceInfo info;
    info.deviceType = device_type;
    info.friendlyName = "Fake " + udn;
    info.UDN = udn;
    info.location = "http://192.0.2.1:1/" + udn + ".xml";
    info.address = "192.0.2.1";
    info.port = 1900;
    return std::make_shared<UpnpClient>(info, 0, std::move(services));
}

inline const std::vector<std::string> kRendererServices{kAVTransportType, kConnectionManagerType,
                                                        kRenderingControlType,
                                                        kTundricRenderingControlExType};
inline const std::vector<std::string> kServerServices{kConnectionManagerType, kContentDirectoryType,
                                                      kAuthenticationType};

class FakeRemote : public testing::Test {
protected:
    void SetUp() override {
        ReplaceRemoteSender([this](UpnpAction& action, const UpnpClient&) { return Send(action); });
    }
    void TearDown() override {
        ReplaceRemoteSender({});
        DLNA_Finalize();
    }

    // Reported by the control point, as the listener hears of it.
    std::shared_ptr<UpnpClient> Add(std::shared_ptr<UpnpClient> device) {
        DLNAContext::Instance().DeviceListener()->OnDeviceAdded(device);
        return device;
    }

    int Send(UpnpAction& action) {
        SentAction sent{action.Name(), action.Service().serviceType, {}};
        XmlDocumentPtr request = action.CreateRequest();
        for (IXML_Element* element : xml::ChildElements(xml::AsNode(request.get())))
            for (IXML_Element* argument : xml::ChildElements(xml::AsNode(element)))
                sent.arguments.emplace_back(xml::LocalName(xml::AsNode(argument)),
                                            xml::AllText(argument));
        this->sent.push_back(std::move(sent));
        if (answer.code != 0) return answer.code;
        IXML_Document* response = UpnpMakeActionResponse(
            action.Name().c_str(), action.Service().serviceType.c_str(), 0, nullptr);
        for (const auto& [name, value] : answer.out)
            UpnpAddToActionResponse(&response, action.Name().c_str(),
                                    action.Service().serviceType.c_str(), name.c_str(),
                                    value.c_str());
        action.BindResponse(ShareDocument(response));
        return 0;
    }

    Answer answer;
    std::vector<SentAction> sent;
};
