// The device listener and the known-device list as a host sees them:
// classification, event order, handles during and after the disappeared
// event, and the list a host reads back.
#include <gtest/gtest.h>

#include "FakeRemote.h"

namespace {

struct Event {
    int event;
    DLNA_DEVICE_HANDLE handle;
    // What DLNA_DMSC_GetDeviceInfo answered inside the callback.
    int info_result;
    bool operator==(const Event&) const = default;
};

std::vector<Event> recorded;

int Record(DLNA_EVENT event, void* data, void*) {
    DLNA_DEVICE_INFO info{};
    const int result = DLNA_DMSC_GetDeviceInfo(data, &info);
    DLNA_FreeDeviceInfo(&info);
    recorded.push_back({event, data, result});
    return 0;
}

class DeviceListener : public FakeRemote {
protected:
    void SetUp() override {
        FakeRemote::SetUp();
        recorded.clear();
        DLNA_SetCallback(Record, nullptr);
    }
    UpnpDeviceListener& Listener() { return *DLNAContext::Instance().DeviceListener(); }
};

struct KindRow {
    const char* name;
    std::string device_type;
    std::vector<std::string> services;
    int discovered;  // -1: none
    int disappeared;
};

class Classification : public DeviceListener, public testing::WithParamInterface<KindRow> {};

TEST_P(Classification, DecidesTheEventsAndKeepsEveryDevice) {
    const KindRow& row = GetParam();
    auto device = Add(MakeRemoteDevice(row.device_type, "uuid:kind", row.services));
    Listener().OnDeviceRemoved(device);
    std::vector<Event> expected;
    if (row.discovered >= 0) expected.push_back({row.discovered, device.get(), 0});
    if (row.disappeared >= 0) expected.push_back({row.disappeared, device.get(), 0});
    EXPECT_EQ(recorded, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, Classification,
    testing::Values(
        KindRow{"Renderer", kMediaRendererType, kRendererServices, 25, 26},
        KindRow{"Server", kMediaServerType, kServerServices, 23, 24},
        KindRow{"RendererWithoutRenderingControl",
                kMediaRendererType,
                {kAVTransportType, kConnectionManagerType},
                -1,
                -1},
        KindRow{
            "ServerWithoutContentDirectory", kMediaServerType, {kConnectionManagerType}, -1, -1},
        KindRow{"ServerServicesOnARendererType",
                kMediaRendererType,
                {kConnectionManagerType, kContentDirectoryType},
                -1,
                -1},
        KindRow{"Other", "urn:schemas-upnp-org:device:Basic:1", kRendererServices, -1, -1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DeviceListener, ADeviceOfNeitherKindIsKnownAndItsHandleAccepted) {
    auto device = Add(MakeRemoteDevice(kMediaRendererType, "uuid:partial", {kAVTransportType}));
    DLNA_DEVICE_INFO info{};
    ASSERT_EQ(DLNA_DMRC_GetDeviceInfo(device.get(), &info), 0);
    EXPECT_STREQ(info.udn, "uuid:partial");
    EXPECT_STREQ(info.location, "http://192.0.2.1:1/uuid:partial.xml");
    EXPECT_STREQ(info.address, "192.0.2.1");
    EXPECT_EQ(info.port, 1900);
    DLNA_FreeDeviceInfo(&info);
    EXPECT_EQ(DLNA_DMRC_Stop(device.get(), 0), DLNA_OK);
    EXPECT_TRUE(recorded.empty());
}

TEST_F(DeviceListener, TheHandleIsValidDuringTheDisappearedEventAndRefusedAfterIt) {
    auto server = Add(MakeRemoteDevice(kMediaServerType, "uuid:s", kServerServices));
    auto renderer = Add(MakeRemoteDevice(kMediaRendererType, "uuid:r", kRendererServices));
    Listener().OnDeviceRemoved(server);
    // Not known (any more): nothing happens.
    Listener().OnDeviceRemoved(server);
    Listener().OnDeviceRemoved(MakeRemoteDevice(kMediaServerType, "uuid:x", kServerServices));
    EXPECT_EQ(recorded,
              (std::vector<Event>{
                  {23, server.get(), 0}, {25, renderer.get(), 0}, {24, server.get(), 0}}));
    DLNA_DEVICE_INFO info{};
    EXPECT_EQ(DLNA_DMSC_GetDeviceInfo(server.get(), &info), DLNA_E_INVALID_ARGUMENT);
    EXPECT_EQ(DLNA_DMSC_GetDeviceInfo(renderer.get(), nullptr), DLNA_E_INVALID_ARGUMENT);
    EXPECT_EQ(DLNA_DMRC_Play(server.get(), 0, "1"), DLNA_E_INVALID_ARGUMENT);
    EXPECT_TRUE(sent.empty());
}

TEST_F(DeviceListener, AReplayedDeviceIsListedOnceAndAnnouncedAgain) {
    auto server = Add(MakeRemoteDevice(kMediaServerType, "uuid:s", kServerServices));
    Add(server);
    DLNA_DEVICE_HANDLE list[4];
    uint32_t count = 4;
    ASSERT_EQ(DLNA_DMSC_GetDMSControllerList(list, &count), 0);
    EXPECT_EQ(count, 1u);
    // Once gone, it is gone: no second entry keeps the handle alive.
    Listener().OnDeviceRemoved(server);
    EXPECT_EQ(DLNA_DMRC_GetDeviceInfo(server.get(), nullptr), DLNA_E_INVALID_ARGUMENT);
    EXPECT_EQ(recorded, (std::vector<Event>{
                            {23, server.get(), 0}, {23, server.get(), 0}, {24, server.get(), 0}}));
}

TEST_F(DeviceListener, SetCallbackReplaysInDiscoveryOrder) {
    auto a = Add(MakeRemoteDevice(kMediaServerType, "uuid:a", kServerServices));
    auto b = Add(MakeRemoteDevice(kMediaRendererType, "uuid:b", kRendererServices));
    Add(MakeRemoteDevice("urn:other", "uuid:c", kRendererServices));
    auto d = Add(MakeRemoteDevice(kMediaServerType, "uuid:d", kServerServices));
    recorded.clear();
    DLNA_SetCallback(Record, nullptr);
    EXPECT_EQ(recorded, (std::vector<Event>{{23, a.get(), 0}, {25, b.get(), 0}, {23, d.get(), 0}}));
}

struct ListRow {
    const char* name;
    int devices;
    uint32_t capacity;
    int result;
    uint32_t count;
};

class ControllerList : public DeviceListener, public testing::WithParamInterface<ListRow> {};

TEST_P(ControllerList, WritesHandlesInOrderOrAsksForMoreRoom) {
    const ListRow& row = GetParam();
    std::vector<std::shared_ptr<UpnpClient>> devices;
    for (int i = 0; i < row.devices; ++i)
        devices.push_back(Add(MakeRemoteDevice(i % 2 ? kMediaRendererType : kMediaServerType,
                                               "uuid:" + std::to_string(i),
                                               i % 2 ? kRendererServices : kServerServices)));
    std::vector<DLNA_DEVICE_HANDLE> list(8, nullptr);
    uint32_t count = row.capacity;
    testing::internal::CaptureStderr();
    EXPECT_EQ(DLNA_DMSC_GetDMSControllerList(list.data(), &count), row.result);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(count, row.count);
    EXPECT_EQ(log.find("Not enough device list allocation.") != std::string::npos,
              row.result == DLNA_E_LIST_TOO_SMALL);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(list[i], row.result == 0 && i < row.devices ? devices[i].get() : nullptr) << i;
}

INSTANTIATE_TEST_SUITE_P(Capacities, ControllerList,
                         testing::Values(ListRow{"NoneKnown", 0, 0, 0, 0},
                                         ListRow{"TwoInOne", 2, 1, 1, 2},
                                         ListRow{"TwoInTwo", 2, 2, 0, 2},
                                         ListRow{"TwoInFive", 2, 5, 0, 2},
                                         ListRow{"ThreeInNone", 3, 0, 1, 3}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DeviceListener, TheListNeedsAListAndACount) {
    uint32_t count = 3;
    DLNA_DEVICE_HANDLE list[3];
    EXPECT_EQ(DLNA_DMSC_GetDMSControllerList(nullptr, &count), DLNA_E_INVALID_ARGUMENT);
    EXPECT_EQ(DLNA_DMSC_GetDMSControllerList(list, nullptr), DLNA_E_INVALID_ARGUMENT);
}

}  // namespace
