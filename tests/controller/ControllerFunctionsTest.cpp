// Each controller function against fake remote devices: the action and
// arguments it sends, and what it answers for each kind of reply.
#include <gtest/gtest.h>

#include <functional>

#include "FakeRemote.h"
#include "content/DidlLite.h"

namespace {

struct Handles {
    DLNA_DEVICE_HANDLE renderer;  // AVTransport, ConnectionManager, RenderingControl, extension
    DLNA_DEVICE_HANDLE server;    // ConnectionManager, ContentDirectory, Authentication
    DLNA_DEVICE_HANDLE bare;      // a server without the Authentication service
};

struct Row {
    const char* name;
    std::function<int(const Handles&)> call;
    Answer answer;
    int result;
    // The one request expected; an empty name: nothing may be sent.
    SentAction sent;
};

const char kAVT[] = "urn:schemas-upnp-org:service:AVTransport:1";
const char kRC[] = "urn:schemas-upnp-org:service:RenderingControl:1";
const char kRCEx[] = "urn:tundric-com:service:TundricRenderingControlExtension:1";
const char kCD[] = "urn:schemas-upnp-org:service:ContentDirectory:1";

class Controller : public FakeRemote {
protected:
    void SetUp() override {
        FakeRemote::SetUp();
        renderer = Add(MakeRemoteDevice(kMediaRendererType, "uuid:r", kRendererServices));
        server = Add(MakeRemoteDevice(kMediaServerType, "uuid:s", kServerServices));
        bare = Add(MakeRemoteDevice(kMediaServerType, "uuid:b",
                                    {kConnectionManagerType, kContentDirectoryType}));
    }
    Handles All() const { return {renderer.get(), server.get(), bare.get()}; }

    std::shared_ptr<UpnpClient> renderer, server, bare;
};

class Mapping : public Controller, public testing::WithParamInterface<Row> {};

TEST_P(Mapping, SendsTheActionAndAnswers) {
    const Row& row = GetParam();
    answer = row.answer;
    EXPECT_EQ(row.call(All()), row.result);
    if (row.sent.name.empty()) {
        EXPECT_TRUE(sent.empty()) << sent.front().name;
        return;
    }
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].name, row.sent.name);
    EXPECT_EQ(sent[0].service_type, row.sent.service_type);
    EXPECT_EQ(sent[0].arguments, row.sent.arguments);
}

const Arguments kInstance0{{"InstanceID", "0"}};
const Arguments kInstance7{{"InstanceID", "7"}};
const Answer kOk{};
const Answer kTimeout{-207, {}};
const Answer kFault{714, {}};

// Browse of the server, as the host would ask for all children of the root.
int BrowseRoot(DLNA_DEVICE_HANDLE device) {
    DLNA_CONTENT_ELEMENT* elements = nullptr;
    int32_t count = -1;
    const int result =
        DLNA_DMSC_Browse(device, nullptr, 1, nullptr, 0, 0, nullptr, &elements, &count);
    EXPECT_TRUE(count == 0 && elements == nullptr) << "nothing parsed here";
    return result;
}

const Arguments kBrowseRoot{{"ObjectID", "0"},       {"BrowseFlag", "BrowseDirectChildren"},
                            {"Filter", "*"},         {"StartingIndex", "0"},
                            {"RequestedCount", "0"}, {"SortCriteria", ""}};

INSTANTIATE_TEST_SUITE_P(
    Renderer, Mapping,
    testing::Values(
        Row{"Pause",
            [](auto& h) { return DLNA_DMRC_Pause(h.renderer, 7); },
            kOk,
            0,
            {"Pause", kAVT, kInstance7}},
        Row{"Stop",
            [](auto& h) { return DLNA_DMRC_Stop(h.renderer, 0); },
            kOk,
            0,
            {"Stop", kAVT, kInstance0}},
        Row{"Next",
            [](auto& h) { return DLNA_DMRC_Next(h.renderer, 0); },
            kFault,
            5,
            {"Next", kAVT, kInstance0}},
        Row{"Previous",
            [](auto& h) { return DLNA_DMRC_Previous(h.renderer, 0); },
            kTimeout,
            5,
            {"Previous", kAVT, kInstance0}},
        Row{"Play",
            [](auto& h) { return DLNA_DMRC_Play(h.renderer, 0, "1"); },
            kOk,
            0,
            {"Play", kAVT, {{"InstanceID", "0"}, {"Speed", "1"}}}},
        Row{"PlayWithoutSpeed",
            [](auto& h) { return DLNA_DMRC_Play(h.renderer, 0, nullptr); },
            kOk,
            2,
            {}},
        Row{"PlayOnAServer", [](auto& h) { return DLNA_DMRC_Play(h.server, 0, "1"); }, kOk, 7, {}},
        Row{"PlayOnNoDevice",
            [](auto& h) { return DLNA_DMRC_Play(static_cast<char*>(h.renderer) + 1, 0, "1"); },
            kOk,
            2,
            {}},
        Row{"Seek",
            [](auto& h) { return DLNA_DMRC_Seek(h.renderer, 0, DLNA_REL_TIME, "0:01:30"); },
            kOk,
            0,
            {"Seek", kAVT, {{"InstanceID", "0"}, {"Unit", "REL_TIME"}, {"Target", "0:01:30"}}}},
        Row{"SeekTrack",
            [](auto& h) { return DLNA_DMRC_Seek(h.renderer, 2, DLNA_TRACK_NR, "3"); },
            kOk,
            0,
            {"Seek", kAVT, {{"InstanceID", "2"}, {"Unit", "TRACK_NR"}, {"Target", "3"}}}},
        Row{"SeekUnknownUnit",
            [](auto& h) {
                return DLNA_DMRC_Seek(h.renderer, 0, static_cast<DLNA_SEEK_UNIT>(7), "1");
            },
            kOk,
            2,
            {}},
        Row{"SeekWithoutTarget",
            [](auto& h) { return DLNA_DMRC_Seek(h.renderer, 0, DLNA_REL_TIME, nullptr); },
            kOk,
            2,
            {}},
        Row{"SetURI",
            [](auto& h) {
                return DLNA_DMRC_SetAVTransportURI(h.renderer, 0, "http://x/a.mp3", nullptr);
            },
            kOk,
            0,
            {"SetAVTransportURI",
             kAVT,
             {{"InstanceID", "0"}, {"CurrentURI", "http://x/a.mp3"}, {"CurrentURIMetaData", ""}}}},
        Row{"SetURIRefused",
            [](auto& h) { return DLNA_DMRC_SetAVTransportURI(h.renderer, 0, "u", "<m/>"); },
            Answer{501, {}},
            -1,
            {"SetAVTransportURI",
             kAVT,
             {{"InstanceID", "0"}, {"CurrentURI", "u"}, {"CurrentURIMetaData", "<m/>"}}}},
        Row{"SetURIOtherFault",
            [](auto& h) { return DLNA_DMRC_SetAVTransportURI(h.renderer, 0, "u", ""); },
            kFault,
            5,
            {"SetAVTransportURI",
             kAVT,
             {{"InstanceID", "0"}, {"CurrentURI", "u"}, {"CurrentURIMetaData", ""}}}},
        Row{"SetURIWithoutURI",
            [](auto& h) { return DLNA_DMRC_SetAVTransportURI(h.renderer, 0, nullptr, ""); },
            kOk,
            2,
            {}},
        Row{"ZoomIn",
            [](auto& h) { return DLNA_DMRC_ZoomIn(h.renderer, 0); },
            kOk,
            0,
            {"ZoomIn", kRCEx, kInstance0}},
        Row{"ZoomOut",
            [](auto& h) { return DLNA_DMRC_ZoomOut(h.renderer, 0); },
            kOk,
            0,
            {"ZoomOut", kRCEx, kInstance0}},
        Row{"RotateClockwise",
            [](auto& h) { return DLNA_DMRC_RotateClockwise(h.renderer, 0); },
            kOk,
            0,
            {"RotateClockwise", kRCEx, kInstance0}},
        Row{"RotateCounterClockwise",
            [](auto& h) { return DLNA_DMRC_RotateCounterClockwise(h.renderer, 7); },
            kOk,
            0,
            {"RotateCounterclockwise", kRCEx, kInstance7}},
        Row{"ZoomOnAServer", [](auto& h) { return DLNA_DMRC_ZoomIn(h.server, 0); }, kOk, 7, {}},
        Row{"SetVolume",
            [](auto& h) {
                const DLNA_VOLUME volume{0, 30};
                return DLNA_DMRC_SetVolume(h.renderer, 9, &volume);
            },
            kOk,
            0,
            {"SetVolume",
             kRC,
             {{"InstanceID", "0"}, {"Channel", "Master"}, {"DesiredVolume", "30"}}}},
        Row{"SetVolumeOtherChannel",
            [](auto& h) {
                const DLNA_VOLUME volume{1, 30};
                return DLNA_DMRC_SetVolume(h.renderer, 0, &volume);
            },
            kOk,
            2,
            {}},
        Row{"SetVolumeNull",
            [](auto& h) { return DLNA_DMRC_SetVolume(h.renderer, 0, nullptr); },
            kOk,
            2,
            {}},
        Row{"GetVolumeNull",
            [](auto& h) { return DLNA_DMRC_GetVolume(h.renderer, 0, nullptr); },
            kOk,
            2,
            {}},
        Row{"GetVolumeNotANumber",
            [](auto& h) {
                DLNA_VOLUME volume{0, 5};
                return DLNA_DMRC_GetVolume(h.renderer, 0, &volume);
            },
            Answer{0, {{"CurrentVolume", "loud"}}},
            2,
            {"GetVolume", kRC, {{"InstanceID", "0"}, {"Channel", "Master"}}}},
        Row{"QueryNullRecord",
            [](auto& h) { return DLNA_DMRC_GetMediaInfo(h.renderer, 0, nullptr); },
            kOk,
            2,
            {}},
        Row{"QueryNotANumber",
            [](auto& h) {
                DLNA_POSITION_INFO info{};
                const int result = DLNA_DMRC_GetPositionInfo(h.renderer, 0, &info);
                EXPECT_EQ(info.track_uri, nullptr);
                return result;
            },
            Answer{0, {{"Track", "one"}}},
            2,
            {"GetPositionInfo", kAVT, kInstance0}},
        Row{"QueryFault",
            [](auto& h) {
                DLNA_TRANSPORT_INFO info{};
                return DLNA_DMRC_GetTransportInfo(h.renderer, 0, &info);
            },
            kFault,
            5,
            {"GetTransportInfo", kAVT, kInstance0}},
        Row{"ProtocolInfoNullArray",
            [](auto& h) {
                int32_t count = 0;
                return DLNA_DMRC_GetProtocolInfo(h.renderer, nullptr, &count);
            },
            kOk,
            2,
            {}}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Server, Mapping,
    testing::Values(
        Row{"BrowseEmptyDidl",
            [](auto& h) { return BrowseRoot(h.server); },
            Answer{0, {{"Result", ReadFixture("controller/empty.xml")}}},
            0,
            {"Browse", kCD, kBrowseRoot}},
        Row{"BrowseMetadataWithArguments",
            [](auto& h) {
                DLNA_CONTENT_ELEMENT* elements = nullptr;
                int32_t count = 0;
                return DLNA_DMSC_Browse(h.server, "64$0", 0, "dc:title", 3, 10, "+dc:title",
                                        &elements, &count);
            },
            Answer{0, {{"Result", ReadFixture("controller/empty.xml")}}},
            0,
            {"Browse",
             kCD,
             {{"ObjectID", "64$0"},
              {"BrowseFlag", "BrowseMetadata"},
              {"Filter", "dc:title"},
              {"StartingIndex", "3"},
              {"RequestedCount", "10"},
              {"SortCriteria", "+dc:title"}}}},
        Row{"BrowseNeedsAuthentication",
            [](auto& h) { return BrowseRoot(h.server); },
            Answer{801, {}},
            10,
            {"Browse", kCD, kBrowseRoot}},
        Row{"BrowseAccessDenied",
            [](auto& h) { return BrowseRoot(h.bare); },
            Answer{801, {}},
            9,
            {"Browse", kCD, kBrowseRoot}},
        Row{"BrowseTimedOut",
            [](auto& h) { return BrowseRoot(h.server); },
            kTimeout,
            8,
            {"Browse", kCD, kBrowseRoot}},
        Row{"BrowseNoSuchObject",
            [](auto& h) { return BrowseRoot(h.server); },
            Answer{701, {}},
            5,
            {"Browse", kCD, kBrowseRoot}},
        Row{"BrowseMalformedResult",
            [](auto& h) { return BrowseRoot(h.server); },
            Answer{0, {{"Result", ReadFixture("content/mismatched-tags.xml")}}},
            7,
            {"Browse", kCD, kBrowseRoot}},
        Row{"BrowseTruncatedResult",
            [](auto& h) { return BrowseRoot(h.server); },
            Answer{0, {{"Result", ReadFixture("content/truncated-response.xml")}}},
            7,
            {"Browse", kCD, kBrowseRoot}},
        Row{"BrowseNoResult",
            [](auto& h) { return BrowseRoot(h.server); },
            kOk,
            7,
            {"Browse", kCD, kBrowseRoot}},
        Row{"BrowseHugeResult",
            [](auto& h) { return BrowseRoot(h.server); },
            Answer{0, {{"Result", "<DIDL-Lite>" + std::string(5 << 20, ' ') + "</DIDL-Lite>"}}},
            7,
            {"Browse", kCD, kBrowseRoot}},
        Row{"BrowseOnARenderer", [](auto& h) { return BrowseRoot(h.renderer); }, kOk, 7, {}},
        Row{"BrowseNullOutputs",
            [](auto& h) {
                DLNA_CONTENT_ELEMENT* elements = nullptr;
                int32_t count = 0;
                return DLNA_DMSC_Browse(h.server, "0", 1, "*", 0, 0, "", nullptr, &count) +
                       DLNA_DMSC_Browse(h.server, "0", 1, "*", 0, 0, "", &elements, nullptr);
            },
            kOk,
            4,
            {}},
        Row{"ServerProtocolInfoFault",
            [](auto& h) {
                DLNA_PROTOCOL_INFO* infos = nullptr;
                int32_t count = 0;
                return DLNA_DMSC_GetProtocolInfo(h.server, &infos, &count);
            },
            kTimeout,
            5,
            {"GetProtocolInfo", kConnectionManagerType, {}}}),
    [](const auto& info) { return std::string(info.param.name); });

// --- What the answers become ---

TEST_F(Controller, QueriesFillTheRecordsFromTheAnswer) {
    answer.out = ResponseFixture("GetPositionInfo");
    DLNA_POSITION_INFO position{};
    position.track_uri = const_cast<char*>("not the library's");  // cleared, never freed
    ASSERT_EQ(DLNA_DMRC_GetPositionInfo(renderer.get(), 0, &position), 0);
    EXPECT_EQ(position.track, 1);
    EXPECT_STREQ(position.track_uri, "http://198.51.100.1:8000/tone.wav");
    EXPECT_STREQ(position.rel_time, "0:00:02");
    EXPECT_EQ(position.abs_count, 2147483647);
    EXPECT_EQ(DLNA_DMRC_FreePositionInfo(&position), 0);

    answer.out = ResponseFixture("GetTransportInfo");
    DLNA_TRANSPORT_INFO transport{};
    ASSERT_EQ(DLNA_DMRC_GetTransportInfo(renderer.get(), 0, &transport), 0);
    EXPECT_EQ(transport.current_transport_state, DLNA_PLAYING);
    EXPECT_EQ(transport.current_transport_status, DLNA_STATUS_OK);
    EXPECT_STREQ(transport.current_speed, "1");
    EXPECT_EQ(DLNA_DMRC_FreeTransportInfo(&transport), 0);

    answer.out = ResponseFixture("GetMediaInfo");
    DLNA_MEDIA_INFO media{};
    ASSERT_EQ(DLNA_DMRC_GetMediaInfo(renderer.get(), 0, &media), 0);
    EXPECT_EQ(media.nr_tracks, 1u);
    EXPECT_STREQ(media.current_uri, "http://198.51.100.1:8000/tone.wav");
    EXPECT_STREQ(media.play_medium, "NETWORK");
    EXPECT_EQ(DLNA_DMRC_FreeMediaInfo(&media), 0);

    answer.out = ResponseFixture("GetDeviceCapabilities");
    DLNA_DEVICE_CAPABILITIES caps{};
    ASSERT_EQ(DLNA_DMRC_GetDeviceCapabilities(renderer.get(), 0, &caps), 0);
    EXPECT_STREQ(caps.play_media, "NETWORK");
    EXPECT_EQ(DLNA_DMRC_FreeDeviceCapabilities(&caps), 0);

    answer.out = ResponseFixture("GetTransportSettings");
    DLNA_TRANSPORT_SETTINGS settings{DLNA_SHUFFLE, DLNA_REC_QUALITY_HIGH};
    ASSERT_EQ(DLNA_DMRC_GetTransportSettings(renderer.get(), 0, &settings), 0);
    EXPECT_EQ(settings.play_mode, DLNA_NORMAL);
    EXPECT_EQ(settings.rec_quality_mode, DLNA_REC_QUALITY_NOT_IMPLEMENTED);

    answer.out = {{"CurrentVolume", "42"}};
    DLNA_VOLUME volume{0, 0};
    ASSERT_EQ(DLNA_DMRC_GetVolume(renderer.get(), 3, &volume), 0);
    EXPECT_EQ(volume.volume, 42);
}

TEST_F(Controller, ProtocolListsAreParsedFromTheirSide) {
    answer.out = {{"Source", "http-get:*:audio/mpeg:*"},
                  {"Sink", "http-get:*:audio/mpeg:*,http-get:*:video/mp4:DLNA.ORG_PN=AVC,bad"}};
    DLNA_PROTOCOL_INFO* infos = nullptr;
    int32_t count = 0;
    ASSERT_EQ(DLNA_DMRC_GetProtocolInfo(renderer.get(), &infos, &count), 0);
    ASSERT_EQ(count, 2);
    EXPECT_STREQ(infos[1].content_format, "video/mp4");
    EXPECT_STREQ(infos[1].additional_info, "DLNA.ORG_PN=AVC");
    EXPECT_EQ(DLNA_FreeProtocolInfo(infos, count), 0);

    ASSERT_EQ(DLNA_DMSC_GetProtocolInfo(server.get(), &infos, &count), 0);
    ASSERT_EQ(count, 1);
    EXPECT_STREQ(infos[0].protocol, "http-get");
    EXPECT_EQ(DLNA_FreeProtocolInfo(infos, count), 0);

    answer.out = {{"Sink", ""}};
    ASSERT_EQ(DLNA_DMRC_GetProtocolInfo(renderer.get(), &infos, &count), 0);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(infos, nullptr);
}

TEST_F(Controller, BrowseListsContainersThenItemsWithTheirResources) {
    const std::string album = ReadFixture("content/minidlna-album.xml");
    answer.out = {{"Result", ReadFixture("content/item-before-container.xml")}};
    DLNA_CONTENT_ELEMENT* elements = nullptr;
    int32_t count = 0;
    ASSERT_EQ(DLNA_DMSC_Browse(server.get(), "0", 1, "*", 0, 0, "", &elements, &count), 0);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(elements[0].type, DLNA_CONTENT_CONTAINER);
    EXPECT_EQ(elements[1].type, DLNA_CONTENT_ITEM);
    EXPECT_EQ(DLNA_DMSC_FreeContentElement(elements, count), 0);

    answer.out = {{"Result", album}, {"NumberReturned", "1"}, {"TotalMatches", "1"}};
    ASSERT_EQ(DLNA_DMSC_Browse(server.get(), "64$0", 1, "*", 0, 0, "", &elements, &count), 0);
    ASSERT_EQ(count, 1);
    const auto& item = elements[0].element.item;
    EXPECT_STREQ(item.id, "64$0$0");
    EXPECT_STREQ(item.title, "Tön & Co");
    ASSERT_EQ(item.res_count, 1);
    EXPECT_STREQ(item.res[0].uri, "http://198.51.100.2:8200/MediaItems/23.mp3");
    EXPECT_STREQ(item.res[0].protocol_info.content_format, "audio/mpeg");
    EXPECT_EQ(item.res[0].size, 4866u);
    EXPECT_NE(std::string(item.didl).find("64$0$0"), std::string::npos);
    EXPECT_EQ(DLNA_DMSC_FreeContentElement(elements, count), 0);
}

TEST_F(Controller, BrowseTakesResultsFarBeyondSixteenThousandBytes) {
    std::string didl(kDidlHeader);
    for (int i = 0; i < 3000; ++i)
        didl += "<item id=\"i" + std::to_string(i) +
                "\" parentID=\"0\" restricted=\"1\"><dc:title>Track " + std::to_string(i) +
                "</dc:title><upnp:class>object.item.audioItem</upnp:class><res "
                "protocolInfo=\"http-get:*:audio/mpeg:*\" size=\"1000\">http://192.0.2.1/" +
                std::to_string(i) + ".mp3</res></item>";
    didl += "</DIDL-Lite>";
    ASSERT_GT(didl.size(), 16000u * 20);
    answer.out = {{"Result", didl}};
    DLNA_CONTENT_ELEMENT* elements = nullptr;
    int32_t count = 0;
    ASSERT_EQ(DLNA_DMSC_Browse(server.get(), "0", 1, "*", 0, 0, "", &elements, &count), 0);
    ASSERT_EQ(count, 3000);
    EXPECT_STREQ(elements[2999].element.item.res[0].uri, "http://192.0.2.1/2999.mp3");
    EXPECT_EQ(DLNA_DMSC_FreeContentElement(elements, count), 0);
}

TEST_F(Controller, FreeFunctionsAcceptNull) {
    EXPECT_EQ(DLNA_DMRC_FreeDeviceCapabilities(nullptr), 0);
    EXPECT_EQ(DLNA_DMRC_FreeMediaInfo(nullptr), 0);
    EXPECT_EQ(DLNA_DMRC_FreeTransportInfo(nullptr), 0);
    EXPECT_EQ(DLNA_DMRC_FreePositionInfo(nullptr), 0);
    EXPECT_EQ(DLNA_DMSC_FreeContentElement(nullptr, 3), 0);
}

}  // namespace
