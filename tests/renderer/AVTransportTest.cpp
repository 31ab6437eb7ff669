// AVTransport requests through the library's bridge to a fake host, and the
// answers from the state the host stored.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "RendererTestSupport.h"

using testing::ElementsAre;
using testing::HasSubstr;
using testing::Pair;
using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

using AVTransport = RendererServices;

struct CommandCase {
    const char* action;
    ArgumentTexts arguments;
    HostEvent raised;
};

class AVTransportCommands : public RendererServices,
                            public testing::WithParamInterface<CommandCase> {};

const CommandCase kCommands[] = {
    {"Stop", {}, IdEvent(DLNA_DMR_STOP_EVENT, 0)},
    {"Pause", {}, IdEvent(DLNA_DMR_PAUSE_EVENT, 0)},
    {"Next", {}, IdEvent(DLNA_DMR_NEXT_EVENT, 0)},
    {"Previous", {}, IdEvent(DLNA_DMR_PREVIOUS_EVENT, 0)},
    {"Play", {{"Speed", "1"}}, {DLNA_DMR_PLAY_EVENT, 0, "1"}},
    {"Seek", {{"Unit", "TRACK_NR"}, {"Target", "3"}}, {DLNA_DMR_SEEK_EVENT, 0, "3", DLNA_TRACK_NR}},
    {"Seek", {{"Target", "0:1:2"}}, {DLNA_DMR_SEEK_EVENT, 0, "00:01:02", DLNA_REL_TIME}},
    {"Seek", {{"Target", "1:02:03.5"}}, {DLNA_DMR_SEEK_EVENT, 0, "01:02:03.500000", DLNA_REL_TIME}},
    {"SetAVTransportURI",
     {},
     {DLNA_DMR_SET_AV_TRANSPORT_URI_EVENT, 0, "http://198.51.100.1:8000/tone.wav"}},
    {"SetNextAVTransportURI",
     {},
     {DLNA_DMR_SET_NEXT_AV_TRANSPORT_URI_EVENT, 0, "http://198.51.100.1:8000/next.wav"}},
    // The URI goes to the host whatever the instance.
    {"SetAVTransportURI",
     {{"InstanceID", "1"}},
     {DLNA_DMR_SET_AV_TRANSPORT_URI_EVENT, 1, "http://198.51.100.1:8000/tone.wav"}},
};

TEST_P(AVTransportCommands, ReachTheHostAsTheirEvent) {
    auto request = Call(GetParam().action, GetParam().arguments);
    EXPECT_EQ(request->ErrorCode(), 0);
    EXPECT_TRUE(request->Answered());
    EXPECT_THAT(host.events, ElementsAre(GetParam().raised));
}

INSTANTIATE_TEST_SUITE_P(Each, AVTransportCommands, testing::ValuesIn(kCommands));

struct RefusedCase {
    const char* action;
    ArgumentTexts arguments;
    int error;
    const char* logged;
};

class AVTransportRefusals : public RendererServices,
                            public testing::WithParamInterface<RefusedCase> {};

const RefusedCase kRefusals[] = {
    {"Play", {{"Speed", ""}}, 402, ""},
    {"Seek", {{"Unit", "FRAME"}}, 402, "Invalid request content: FRAME"},
    {"Seek", {{"Target", "soon"}}, 402, "Invalid request content: soon"},
    {"Seek", {{"Target", ""}}, 402, "Invalid request content: "},
    {"Seek", {{"Target", "-0:01:02"}}, 402, "Invalid request content: -0:01:02"},
    {"Seek", {{"Target", "1:02"}}, 402, "Invalid request content: 1:02"},
    {"Seek", {{"Target", "0:01:02."}}, 402, "Invalid request content: 0:01:02."},
    // Found by fuzzing: long digit runs overflowed inside Boost's reader.
    {"Seek",
     {{"Target", "00:*00333.33333333333333333330001229782938247303441 0:02"}},
     402,
     "Invalid request content: 00:*00333.33333333333333333330001229782938247303441 0:02"},
    {"Seek", {{"Target", "0:00:01.3333333333333333333"}}, 402,
     "Invalid request content: 0:00:01.3333333333333333333"},
    {"Stop", {{"InstanceID", "1"}}, 718, "Invalid OnStop instance_id: 1"},
    {"Play", {{"InstanceID", "1"}}, 718, "Invalid OnPlay instance_id: 1"},
    {"Seek", {{"InstanceID", "1"}}, 718, "Invalid OnSeek instance_id: 1"},
    {"GetMediaInfo", {{"InstanceID", "1"}}, 718, "Invalid OnGetMediaInfo instance_id: 1"},
    {"GetTransportSettings",
     {{"InstanceID", "1"}},
     718,
     "Invalid OnGetTransportSettings instance_id: 1"},
};

TEST_P(AVTransportRefusals, AnswerTheirFaultWithoutAnEvent) {
    CaptureStderr();
    auto request = Call(GetParam().action, GetParam().arguments);
    const std::string log = GetCapturedStderr();
    EXPECT_EQ(request->ErrorCode(), GetParam().error);
    EXPECT_THAT(log, HasSubstr(GetParam().logged));
    EXPECT_TRUE(host.events.empty());
}

INSTANTIATE_TEST_SUITE_P(Each, AVTransportRefusals, testing::ValuesIn(kRefusals));

TEST_F(AVTransport, AFailingOrMissingCallbackFailsTheRequestWith501) {
    host.answer = 1;
    CaptureStderr();
    EXPECT_EQ(Call("Stop")->ErrorCode(), 501);
    EXPECT_THAT(GetCapturedStderr(), HasSubstr("DLNACallback failed: event_id=3"));
    EXPECT_EQ(Call("GetPositionInfo")->ErrorCode(), 501);

    DLNA_SetCallback(nullptr, nullptr);
    EXPECT_EQ(Call("Pause")->ErrorCode(), 501);
}

TEST_F(AVTransport, AFreshInstanceAnswersItsDefaults) {
    EXPECT_THAT(
        Call("GetMediaInfo")->Results(),
        ElementsAre(Pair("NrTracks", "0"), Pair("MediaDuration", "00:00:00"),
                    Pair("CurrentURI", ""), Pair("CurrentURIMetaData", ""), Pair("NextURI", ""),
                    Pair("NextURIMetaData", ""), Pair("PlayMedium", "NOT_IMPLEMENTED"),
                    Pair("RecordMedium", "NOT_IMPLEMENTED"),
                    Pair("WriteStatus", "NOT_IMPLEMENTED")));
    EXPECT_THAT(
        Call("GetTransportInfo")->Results(),
        ElementsAre(Pair("CurrentTransportState", "NO_MEDIA_PRESENT"),
                    Pair("CurrentTransportStatus", "ERROR_OCCURRED"), Pair("CurrentSpeed", "0")));
    EXPECT_THAT(
        Call("GetPositionInfo")->Results(),
        ElementsAre(Pair("Track", "0"), Pair("TrackDuration", "00:00:00"),
                    Pair("TrackMetaData", ""), Pair("TrackURI", ""), Pair("RelTime", "00:00:00"),
                    Pair("AbsTime", "00:00:00"), Pair("RelCount", "0"), Pair("AbsCount", "0")));
    EXPECT_THAT(
        Call("GetDeviceCapabilities")->Results(),
        ElementsAre(Pair("PlayMedia", ""), Pair("RecMedia", ""), Pair("RecQualityModes", "")));
    EXPECT_THAT(Call("GetTransportSettings")->Results(),
                ElementsAre(Pair("PlayMode", "NORMAL"), Pair("RecQualityMode", "NOT_IMPLEMENTED")));
    EXPECT_THAT(host.events, ElementsAre(IdEvent(DLNA_DMR_GET_MEDIAINFO_EVENT, 0),
                                         IdEvent(DLNA_DMR_GET_TRANSPORT_INFO_EVENT, 0),
                                         IdEvent(DLNA_DMR_GET_POSITION_INFO_EVENT, 0),
                                         IdEvent(DLNA_DMR_GET_DEVICE_CAPABILITIES_EVENT, 0),
                                         IdEvent(DLNA_DMR_GET_TRANSPORT_SETTINGS_EVENT, 0)));
}

TEST_F(AVTransport, StateStoredInsideTheQueryEventIsTheAnswer) {
    char uri[] = "http://198.51.100.1:8000/tone.wav", rel[] = "0:00:03", dur[] = "0:00:05";
    host.inside = [&](DLNA_EVENT event) {
        if (event == DLNA_DMR_GET_POSITION_INFO_EVENT) {
            DLNA_POSITION_INFO position{1, dur, nullptr, uri, rel, rel, -1, 3};
            EXPECT_EQ(DLNA_DMR_SetPositionInfo(0, &position), 0);
        }
        if (event == DLNA_DMR_GET_TRANSPORT_INFO_EVENT) {
            char speed[] = "1";
            DLNA_TRANSPORT_INFO transport{DLNA_PAUSED_PLAYBACK, DLNA_STATUS_OK, speed};
            EXPECT_EQ(DLNA_DMR_SetTransportInfo(0, &transport), 0);
        }
    };
    EXPECT_THAT(
        Call("GetPositionInfo")->Results(),
        ElementsAre(Pair("Track", "1"), Pair("TrackDuration", "0:00:05"), Pair("TrackMetaData", ""),
                    Pair("TrackURI", uri), Pair("RelTime", "0:00:03"), Pair("AbsTime", "0:00:03"),
                    Pair("RelCount", "4294967295"), Pair("AbsCount", "3")));
    EXPECT_THAT(Call("GetTransportInfo")->Results(),
                ElementsAre(Pair("CurrentTransportState", "PAUSED_PLAYBACK"),
                            Pair("CurrentTransportStatus", "OK"), Pair("CurrentSpeed", "1")));
}

TEST_F(AVTransport, AStoredStateOutsideItsTableFailsTheAnswerInsteadOfReadingPastIt) {
    char speed[] = "1";
    DLNA_TRANSPORT_INFO transport{DLNA_PLAYING, DLNA_STATUS_OK, speed};
    // As a C host may store it: a value C++ could not hold in the enum.
    const int32_t seventeen = 17;
    std::memcpy(&transport.current_transport_state, &seventeen, sizeof seventeen);
    ASSERT_EQ(DLNA_DMR_SetTransportInfo(0, &transport), 0);
    CaptureStderr();
    auto request = Call("GetTransportInfo");
    EXPECT_THAT(GetCapturedStderr(), HasSubstr("Stored CurrentTransportState has no text form"));
    EXPECT_EQ(request->ErrorCode(), 501);
}

TEST_F(AVTransport, SettersRefuseWhatTheyCannotStore) {
    char text[] = "x";
    DLNA_POSITION_INFO position{1, text, text, nullptr, text, text, 0, 0};
    EXPECT_EQ(DLNA_DMR_SetPositionInfo(0, &position), DLNA_E_INVALID_ARGUMENT);
    EXPECT_EQ(DLNA_DMR_SetPositionInfo(0, nullptr), DLNA_E_INVALID_ARGUMENT);
    EXPECT_EQ(DLNA_DMR_SetMediaInfo(0, nullptr), DLNA_E_INVALID_ARGUMENT);
    EXPECT_EQ(DLNA_DMR_SetTransportInfo(0, nullptr), DLNA_E_INVALID_ARGUMENT);
    EXPECT_EQ(DLNA_DMR_SetTransportSettings(0, nullptr), DLNA_E_INVALID_ARGUMENT);

    char empty[] = "";
    DLNA_DEVICE_CAPABILITIES caps{text, empty, text};
    EXPECT_EQ(DLNA_DMR_SetDeviceCapabilities(0, &caps), 0);
    EXPECT_EQ(DLNA_DMR_SetDeviceCapabilities(5, &caps), DLNA_E_INVALID_ARGUMENT);
    caps.rec_media = nullptr;
    CaptureStderr();
    EXPECT_EQ(DLNA_DMR_SetDeviceCapabilities(0, &caps), DLNA_E_INVALID_ARGUMENT);
    EXPECT_THAT(GetCapturedStderr(), HasSubstr("Invalid DMR_SetDeviceCapabilities arguments."));
    EXPECT_THAT(
        Call("GetDeviceCapabilities")->Results(),
        ElementsAre(Pair("PlayMedia", "x"), Pair("RecMedia", ""), Pair("RecQualityModes", "x")));
}

TEST_F(AVTransport, AnUnknownInstanceIsLoggedAndLeavesInstanceZeroAlone) {
    char uri[] = "http://elsewhere/";
    DLNA_MEDIA_INFO media{2, nullptr, uri, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
    CaptureStderr();
    EXPECT_EQ(DLNA_DMR_SetMediaInfo(5, &media), 0);
    EXPECT_THAT(GetCapturedStderr(), HasSubstr("Invalid SetMediaInfo instance_id: 5"));
    EXPECT_EQ(Call("GetMediaInfo")->Result("CurrentURI"), "");

    // NULL strings are stored as empty ones.
    EXPECT_EQ(DLNA_DMR_SetMediaInfo(0, &media), 0);
    EXPECT_THAT(
        Call("GetMediaInfo")->Results(),
        ElementsAre(Pair("NrTracks", "2"), Pair("MediaDuration", ""), Pair("CurrentURI", uri),
                    Pair("CurrentURIMetaData", ""), Pair("NextURI", ""),
                    Pair("NextURIMetaData", ""), Pair("PlayMedium", ""), Pair("RecordMedium", ""),
                    Pair("WriteStatus", "")));
}

std::string FileText(const std::string& path) {
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST_F(AVTransport, TheHostGetsTheMetadataItemOnlyWhenItHoldsNoContainer) {
    const std::pair<const char*, const char*> cases[] = {{"item.xml", "Tone"},
                                                         {"container.xml", nullptr},
                                                         {"container_and_item.xml", nullptr},
                                                         {"not_didl.xml", nullptr}};
    for (const auto& [fixture, title] : cases) {
        host.events.clear();
        const std::string didl = FileText(RendererFixture(std::string("metadata/") + fixture));
        EXPECT_EQ(Call("SetAVTransportURI", {{"CurrentURIMetaData", didl}})->ErrorCode(), 0);
        ASSERT_EQ(host.events.size(), 1u) << fixture;
        EXPECT_EQ(host.events[0].metadata, title != nullptr) << fixture;
        EXPECT_EQ(host.events[0].title, title ? title : "") << fixture;
    }
}

TEST_F(AVTransport, SetAVTransportURIIsLoggedWithItsArguments) {
    testing::internal::CaptureStdout();
    Call("SetAVTransportURI", {{"CurrentURIMetaData", "<DIDL-Lite/>"}});
    EXPECT_THAT(testing::internal::GetCapturedStdout(),
                HasSubstr("InstanceID: 0, CurrentURI: http://198.51.100.1:8000/tone.wav, "
                          "CurrentURIMetaData: <DIDL-Lite/>"));
}

TEST(AVTransportRemote, ServicesWithoutABridgeAnswer501) {
    auto service = RendererServices::Make(kAVTransportType, "AVTransport.xml", "");
    for (const char* action : {"Stop", "Play", "Seek", "SetAVTransportURI", "GetMediaInfo"}) {
        ActionRequest request(action, RendererFixture(std::string("requests/") + action + ".xml"));
        ASSERT_TRUE(service->Dispatch(request.get())) << action;
        EXPECT_EQ(request.ErrorCode(), 501) << action;
    }
    DLNA_Finalize();
}

}  // namespace
