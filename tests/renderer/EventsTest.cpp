// What subscribers of the renderer's services get: the LastChange document
// built from the state the host stores, and its moderation.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "common/LastChange.h"
#include "common/ModeratedEvents.h"
#include "connection/ConnectionManagerChannel.h"
#include "renderer/AVTransportChannel.h"
#include "renderer/AVTransportService.h"
#include "renderer/RenderingControlChannel.h"

using namespace std::chrono_literals;

namespace {

// Publishes into a list; the first event may be held until released.
class Published {
public:
    ModeratedEvents::Publish Sink() {
        return [this](const EventValues& values) {
            std::unique_lock<std::mutex> lock(mutex_);
            events_.push_back(values);
            changed_.notify_all();
            changed_.wait(lock, [this] { return !hold_first_ || events_.size() > 1 || released_; });
        };
    }
    void HoldFirst() { hold_first_ = true; }
    void Release() {
        std::lock_guard<std::mutex> guard(mutex_);
        released_ = true;
        changed_.notify_all();
    }
    // Waits (bounded) for `count` events; the values of the last.
    EventValues WaitFor(size_t count) {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait_for(lock, 5s, [&] { return events_.size() >= count; });
        return events_.size() >= count ? events_[count - 1] : EventValues{};
    }
    size_t Count() {
        std::lock_guard<std::mutex> guard(mutex_);
        return events_.size();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<EventValues> events_;
    bool hold_first_ = false;
    bool released_ = false;
};

std::string LastChangeOf(const EventValues& values) {
    return values.size() == 1 && values[0].first == "LastChange" ? values[0].second : "";
}

TransportInfo Transport(DLNA_TRANSPORT_STATE state) {
    TransportInfo info;
    info.current_transport_state = state;
    info.current_transport_status = DLNA_STATUS_OK;
    info.current_speed = "1";
    return info;
}

}  // namespace

TEST(LastChange, ChangesAreModeratedAndEachEventCarriesAllSinceTheLast) {
    AVTransportChannel channel;
    Published published;
    published.HoldFirst();
    auto watcher = std::make_shared<ModeratedEvents>(published.Sink(),
                                                     kAVTransportEventNamespace, 200ms);
    channel.Watch(watcher);

    ASSERT_EQ(channel.SetTransportInfo(0, Transport(DLNA_TRANSITIONING)), 0);
    EXPECT_EQ(LastChangeOf(published.WaitFor(1)),
              "<Event xmlns=\"urn:schemas-upnp-org:metadata-1-0/AVT/\"><InstanceID val=\"0\">"
              "<TransportState val=\"TRANSITIONING\"/><TransportStatus val=\"OK\"/>"
              "<TransportPlaySpeed val=\"1\"/><CurrentTransportActions val=\"Stop\"/>"
              "</InstanceID></Event>");

    // Ten changes while the first event is still going out: one more event.
    MediaInfo media;
    media.current_uri = "http://198.51.100.2/a&b.mp3";
    media.current_uri_metadata = "<DIDL-Lite><item><dc:title>\"A\" & B</dc:title></item></DIDL-Lite>";
    media.media_duration = "0:03:00";
    ASSERT_EQ(channel.SetMediaInfo(0, media), 0);
    for (const auto state : {DLNA_PLAYING, DLNA_PAUSED_PLAYBACK, DLNA_PLAYING, DLNA_PAUSED_PLAYBACK,
                             DLNA_PLAYING, DLNA_STOPPED, DLNA_PLAYING, DLNA_PAUSED_PLAYBACK})
        ASSERT_EQ(channel.SetTransportInfo(0, Transport(state)), 0);
    ASSERT_EQ(channel.SetTransportInfo(0, Transport(DLNA_PLAYING)), 0);
    ASSERT_EQ(channel.SetTransportInfo(0, Transport(DLNA_PLAYING)), 0);  // no change at all
    published.Release();
    const std::string second = LastChangeOf(published.WaitFor(2));
    EXPECT_EQ(second,
              "<Event xmlns=\"urn:schemas-upnp-org:metadata-1-0/AVT/\"><InstanceID val=\"0\">"
              "<CurrentMediaDuration val=\"0:03:00\"/>"
              "<AVTransportURI val=\"http://198.51.100.2/a&amp;b.mp3\"/>"
              "<AVTransportURIMetaData val=\"&lt;DIDL-Lite&gt;&lt;item&gt;&lt;dc:title&gt;"
              "&quot;A&quot; &amp; B&lt;/dc:title&gt;&lt;/item&gt;&lt;/DIDL-Lite&gt;\"/>"
              "<TransportState val=\"PLAYING\"/>"
              "<CurrentTransportActions val=\"Play,Stop,Pause,Seek,Next,Previous\"/>"
              "</InstanceID></Event>");
    watcher.reset();  // stops the moderator: nothing was left to send
    EXPECT_EQ(published.Count(), 2u);
}

TEST(LastChange, ANewSubscriberGetsEveryVariableAndVolumeIsPerChannel) {
    AVTransportChannel transport;
    AVTransportService service({"urn:schemas-upnp-org:service:AVTransport:1",
                                "urn:upnp-org:serviceId:AVTransport", "", "", ""},
                               &transport);
    const std::string initial = LastChangeOf(service.InitialEvent());
    for (const char* variable :
         {"<TransportState val=\"NO_MEDIA_PRESENT\"/>", "<TransportStatus val=\"ERROR_OCCURRED\"/>",
          "<CurrentTransportActions val=\"\"/>", "<NumberOfTracks val=\"0\"/>",
          "<AVTransportURI val=\"\"/>", "<NextAVTransportURI val=\"\"/>",
          "<CurrentTrackURI val=\"\"/>", "<CurrentTrackMetaData val=\"\"/>",
          "<CurrentTrackDuration val=\"00:00:00\"/>", "<CurrentMediaDuration val=\"00:00:00\"/>",
          "<CurrentPlayMode val=\"NORMAL\"/>"})
        EXPECT_NE(initial.find(variable), std::string::npos) << variable;
    EXPECT_EQ(initial.find("RelativeTimePosition"), std::string::npos);

    RenderingControlChannel rendering;
    Published published;
    auto watcher =
        std::make_shared<ModeratedEvents>(published.Sink(), kRenderingControlEventNamespace);
    rendering.Watch(watcher);
    EXPECT_EQ(LastChangeDocument(kRenderingControlEventNamespace, rendering.EventState()),
              "<Event xmlns=\"urn:schemas-upnp-org:metadata-1-0/RCS/\"><InstanceID val=\"0\">"
              "<Volume channel=\"Master\" val=\"100\"/><Mute channel=\"Master\" val=\"0\"/>"
              "<PresetNameList val=\"FactoryDefaults\"/></InstanceID></Event>");
    ASSERT_EQ(rendering.SetVolume(0, DLNA_VOLUME{0, 30}), 0);
    EXPECT_EQ(LastChangeOf(published.WaitFor(1)),
              "<Event xmlns=\"urn:schemas-upnp-org:metadata-1-0/RCS/\"><InstanceID val=\"0\">"
              "<Volume channel=\"Master\" val=\"30\"/></InstanceID></Event>");
}

TEST(LastChange, ConnectionManagerEventsItsListsAsPlainVariables) {
    ConnectionManagerChannel channel;
    Published published;
    auto watcher = std::make_shared<ModeratedEvents>(published.Sink(), std::string());
    channel.Watch(watcher);
    channel.SetSinkList(ProtocolInfoList::Parse("http-get:*:audio/mpeg:*"));
    EXPECT_EQ(published.WaitFor(1),
              (EventValues{{"SinkProtocolInfo", "http-get:*:audio/mpeg:*"}}));
    EXPECT_EQ(channel.EventState(), (EventValues{{"SourceProtocolInfo", ""},
                                                 {"SinkProtocolInfo", "http-get:*:audio/mpeg:*"},
                                                 {"CurrentConnectionIDs", "0"}}));
}
