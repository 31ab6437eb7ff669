// The renderer's records on the controller side: remote responses read into
// them, handed to a host as plain records and released; the enumeration
// tables both ways.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "RendererTestSupport.h"
#include "common/DeviceTypes.h"
#include "renderer/AVTransportActions.h"
#include "renderer/RendererTables.h"

using testing::HasSubstr;
using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

const ServiceInfo kRemote{kAVTransportType, "urn:upnp-org:serviceId:AVTransport", "", "", ""};

// Reads a response fixture (some arguments replaced) the way a controller
// does: bound into the action, then read into the record.
template <class Action>
int Read(typename Action::Record& out, const ArgumentTexts& replaced = {}) {
    Action action(kRemote, nullptr);
    const std::string fixture = RendererFixture("responses/" + action.Name() + ".xml");
    action.BindResponse(ShareDocument(LoadFixture(fixture, replaced).release()));
    return action.ReadResponse(out);
}

TEST(Records, ResponsesReadIntoTheirRecords) {
    MediaInfo media;
    EXPECT_EQ(Read<GetMediaInfoAction>(media), 0);
    EXPECT_EQ(media.nr_tracks, 1u);
    EXPECT_EQ(media.current_uri, "http://198.51.100.1:8000/tone.wav");
    EXPECT_EQ(media.play_medium, "NETWORK");

    PositionInfo position;
    EXPECT_EQ(Read<GetPositionInfoAction>(position, {{"RelCount", "-3"}}), 0);
    EXPECT_EQ(position.rel_time, "0:00:02");
    EXPECT_EQ(position.rel_count, -3);
    EXPECT_EQ(position.abs_count, 2147483647);
}

TEST(Records, NumbersMustConvertWhole) {
    const std::pair<const char*, const char*> nr_tracks[] = {{" 5", "nr_tracks_= 5"},
                                                             {"5a", "nr_tracks_=5a"},
                                                             {"", "nr_tracks_="},
                                                             {"-1", "nr_tracks_=-1"}};
    for (const auto& [text, logged] : nr_tracks) {
        MediaInfo media;
        media.current_uri = "untouched";
        CaptureStderr();
        EXPECT_EQ(Read<GetMediaInfoAction>(media, {{"NrTracks", text}}), 2) << text;
        EXPECT_THAT(GetCapturedStderr(), HasSubstr(std::string("Invalid parameters: ") + logged));
        EXPECT_EQ(media.current_uri, "untouched");
    }
    PositionInfo position;
    CaptureStderr();
    EXPECT_EQ(Read<GetPositionInfoAction>(position, {{"AbsCount", "many"}}), 2);
    EXPECT_THAT(GetCapturedStderr(),
                HasSubstr("Invalid parameters: track_=1, rel_count_=2147483647, abs_count_=many"));
}

TEST(Records, EnumerationTextsOutsideTheirTablesReadAsTheirFallback) {
    struct Case {
        const char* state;
        DLNA_TRANSPORT_STATE expected;
        const char* logged;
    } states[] = {
        {"PAUSED_PLAYBACK", DLNA_PAUSED_PLAYBACK, ""},
        {"TRANSITIONING", DLNA_TRANSITIONING, ""},
        {"RECORDING", DLNA_NO_MEDIA_PRESENT,
         "Invalid parameter: current_transport_state_=RECORDING"},
        {"playing", DLNA_NO_MEDIA_PRESENT, "Invalid parameter: current_transport_state_=playing"},
    };
    for (const Case& c : states) {
        TransportInfo transport;
        CaptureStderr();
        EXPECT_EQ(Read<GetTransportInfoAction>(transport, {{"CurrentTransportState", c.state}}), 0);
        EXPECT_THAT(GetCapturedStderr(), HasSubstr(c.logged));
        EXPECT_EQ(transport.current_transport_state, c.expected) << c.state;
    }

    const std::pair<const char*, DLNA_REC_QUALITY_MODE> qualities[] = {
        {"1:LP", DLNA_REC_QUALITY_LP},
        {"2:HIGH", DLNA_REC_QUALITY_HIGH},
        {"3:ULTRA", DLNA_REC_QUALITY_NOT_IMPLEMENTED}};
    for (const auto& [text, expected] : qualities) {
        TransportSettings settings;
        settings.rec_quality_mode = DLNA_REC_QUALITY_EP;
        EXPECT_EQ(Read<GetTransportSettingsAction>(settings, {{"RecQualityMode", text}}), 0);
        EXPECT_EQ(settings.rec_quality_mode, expected) << text;
    }
    TransportSettings settings;
    settings.play_mode = DLNA_SHUFFLE;
    EXPECT_EQ(Read<GetTransportSettingsAction>(settings, {{"PlayMode", "RANDOM"}}), 0);
    EXPECT_EQ(settings.play_mode, DLNA_NORMAL);
}

TEST(Records, PlainRecordsAreFilledWithCopiesAndFreedByTheirFunctions) {
    MediaInfo media;
    ASSERT_EQ(Read<GetMediaInfoAction>(media), 0);
    DLNA_MEDIA_INFO record{};
    CopyToRecord(media, record);
    EXPECT_STREQ(record.current_uri, "http://198.51.100.1:8000/tone.wav");
    EXPECT_STREQ(record.next_uri, "");
    EXPECT_EQ(FromRecord<MediaInfo>(record).play_medium, "NETWORK");
    EXPECT_EQ(DLNA_DMRC_FreeMediaInfo(&record), 0);  // leak-checked under ASan

    DLNA_TRANSPORT_INFO transport{};
    CopyToRecord(TransportInfo{}, transport);
    EXPECT_EQ(DLNA_DMRC_FreeTransportInfo(&transport), 0);
    DLNA_POSITION_INFO position{};
    CopyToRecord(PositionInfo{}, position);
    EXPECT_EQ(DLNA_DMRC_FreePositionInfo(&position), 0);
    DLNA_DEVICE_CAPABILITIES caps{};
    CopyToRecord(DeviceCapabilities{}, caps);
    EXPECT_EQ(DLNA_DMRC_FreeDeviceCapabilities(&caps), 0);

    EXPECT_EQ(DLNA_DMRC_FreeMediaInfo(nullptr), 0);
    EXPECT_EQ(DLNA_DMRC_FreeTransportInfo(nullptr), 0);
    EXPECT_EQ(DLNA_DMRC_FreePositionInfo(nullptr), 0);
    EXPECT_EQ(DLNA_DMRC_FreeDeviceCapabilities(nullptr), 0);
}

template <class Table>
void ExpectBothWays(const Table& table) {
    for (const auto& [value, text] : table.Entries()) {
        EXPECT_EQ(table.Value(text), value) << text;
        EXPECT_EQ(table.Text(value), text) << text;
    }
}

TEST(Records, TablesWorkBothWaysAndFindNothingOutsideTheirEntries) {
    ExpectBothWays(kTransportStateTable);
    ExpectBothWays(kTransportStatusTable);
    ExpectBothWays(kPlayModeTable);
    ExpectBothWays(kRecQualityModeTable);
    ExpectBothWays(kSeekUnitTable);
    ExpectBothWays(kChannelTable);
    EXPECT_EQ(kTransportStateTable.Entries().size(), 5u);
    for (int32_t outside : {-1, 5, 17}) {
        EnumValue<DLNA_TRANSPORT_STATE> stored;
        stored.raw = outside;
        EXPECT_FALSE(kTransportStateTable.Text(stored)) << outside;
    }
    EXPECT_FALSE(kSeekUnitTable.Value("rel_time"));
    EXPECT_FALSE(kChannelTable.Text(1));
}

}  // namespace
