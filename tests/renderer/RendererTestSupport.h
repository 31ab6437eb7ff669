#pragma once
// The renderer's services as the factory makes them for a MediaRenderer
// device, with the shipped SCPDs, driven by fixture requests; a fake host
// callback records every event and may call the library from inside it.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ActionRequest.h"
#include "DLNA.h"
#include "UpnpService.h"
#include "api/DLNAContext.h"
#include "api/DLNAServiceFactory.h"
#include "common/DeviceTypes.h"
#include "renderer/MediaRenderer.h"
#include "server/MediaServer.h"

inline std::string RendererFixture(const std::string& relative) {
    return std::string(HALVORN_TEST_DATA) + "/renderer/" + relative;
}

// One event as the host saw it, with the data decoded while it was valid.
struct HostEvent {
    HostEvent(int event = -1, uint32_t id = 0, std::string text = {}, int32_t number = 0,
              uint16_t volume = 0)
        : event(event), id(id), text(std::move(text)), number(number), volume(volume) {}

    int event;
    uint32_t id;       // the instance, from the data pointer or the record
    std::string text;  // URI, speed or seek target
    int32_t number;    // seek unit, channel, or keep-alive connection id
    uint16_t volume;   // SetVolume's desired volume
    bool metadata = false;
    std::string title;  // the metadata item's

    bool operator==(const HostEvent&) const = default;
};

inline void PrintTo(const HostEvent& e, std::ostream* os) {
    *os << "{event " << e.event << ", id " << e.id << ", \"" << e.text << "\", " << e.number
        << ", vol " << e.volume << ", metadata " << e.metadata << "}";
}

class FakeHost {
public:
    FakeHost() { DLNA_SetCallback(&FakeHost::Callback, this); }

    std::vector<HostEvent> events;
    int answer = 0;
    // Runs inside the callback, before it answers.
    std::function<void(DLNA_EVENT)> inside;

private:
    static int Callback(DLNA_EVENT event, void* data, void* user_data) {
        auto* host = static_cast<FakeHost*>(user_data);
        host->events.push_back(Decode(event, data));
        if (host->inside) host->inside(event);
        return host->answer;
    }

    static HostEvent Decode(DLNA_EVENT event, void* data) {
        HostEvent e;
        e.event = event;
        switch (event) {
            case DLNA_DMR_SET_AV_TRANSPORT_URI_EVENT:
            case DLNA_DMR_SET_NEXT_AV_TRANSPORT_URI_EVENT: {
                const auto* uri = static_cast<DLNA_URI_EVENT*>(data);
                e.id = uri->id;
                e.text = uri->uri;
                e.metadata = uri->metadata != nullptr;
                if (uri->metadata && uri->metadata->type == DLNA_CONTENT_ITEM)
                    e.title = uri->metadata->element.item.title;
                break;
            }
            case DLNA_DMR_PLAY_EVENT: {
                const auto* play = static_cast<DLNA_PLAY_EVENT*>(data);
                e.id = play->id;
                e.text = play->speed;
                break;
            }
            case DLNA_DMR_SEEK_EVENT: {
                const auto* seek = static_cast<DLNA_SEEK_EVENT*>(data);
                e.id = seek->id;
                e.number = seek->unit;
                e.text = seek->target;
                break;
            }
            case DLNA_DMR_GET_VOLUME_EVENT: {
                const auto* channel = static_cast<DLNA_CHANNEL_EVENT*>(data);
                e.id = channel->id;
                e.number = channel->channel;
                break;
            }
            case DLNA_DMR_SET_VOLUME_EVENT: {
                const auto* volume = static_cast<DLNA_VOLUME_EVENT*>(data);
                e.id = volume->id;
                e.number = volume->channel;
                e.volume = volume->volume;
                break;
            }
            case DLNA_DMR_KEEP_ALIVE_EVENT:
                e.number = *static_cast<int32_t*>(data);
                break;
            case DLNA_DMR_GET_PROTOCOL_INFO_EVENT:
            case DLNA_DMS_GET_PROTOCOL_INFO_EVENT:
                e.metadata = data != nullptr;
                break;
            default:
                e.id = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(data));
                break;
        }
        return e;
    }
};

// Events built in a table.
inline HostEvent IdEvent(int event, uint32_t id) {
    return {event, id};
}

// The five renderer services of the shipped description, answering through
// the library's own bridge to a FakeHost.
class RendererServices : public testing::Test {
protected:
    RendererServices() {
        const std::pair<const char*, const char*> services[] = {
            {kAVTransportType, "AVTransport.xml"},
            {kRenderingControlType, "RenderingControl.xml"},
            {kTundricRenderingControlExType, "RenderingControlExtension.xml"},
            {kConnectionManagerType, "ConnectionManager.xml"},
            {kTundricConnectionManagerExType, "ConnectionManagerExtension.xml"},
        };
        for (const auto& [type, scpd] : services)
            services_.push_back(Make(type, scpd, device_type));
    }
    ~RendererServices() override { DLNA_Finalize(); }

public:
    static std::shared_ptr<UpnpService> Make(const std::string& type, const std::string& scpd,
                                             const std::string& device_type) {
        DLNAContext& context = DLNAContext::Instance();
        DLNAServiceFactory factory(&context.Renderer(), &context.Server(), nullptr, nullptr);
        DeviceInfo device;
        device.deviceType = device_type;
        auto service =
            factory.CreateService(device, {type, "urn:upnp-org:serviceId:test", "", "", ""});
        EXPECT_TRUE(service) << type;
        if (!service) return service;
        UniqueXmlDocument doc(
            ixmlLoadDocument((std::string(HALVORN_SOURCE_DIR) + "/data/dlna/web/" + scpd).c_str()));
        EXPECT_TRUE(service->LoadActionsFrom(doc.get())) << scpd;
        return service;
    }

protected:
    // `action` with the arguments of its fixture, some replaced.
    std::unique_ptr<ActionRequest> Call(const std::string& action,
                                        const ArgumentTexts& replaced = {}) {
        auto request = std::make_unique<ActionRequest>(
            action, RendererFixture("requests/" + action + ".xml"), replaced);
        bool taken = false;
        for (const auto& service : services_)
            if ((taken = service->Dispatch(request->get()))) break;
        EXPECT_TRUE(taken) << action;
        return request;
    }

    std::string device_type = kMediaRendererType;
    FakeHost host;
    std::vector<std::shared_ptr<UpnpService>> services_;
};
