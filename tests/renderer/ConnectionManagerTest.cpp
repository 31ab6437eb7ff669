// ConnectionManager answers and keep-alive, for the renderer and the server.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "RendererTestSupport.h"

using testing::ElementsAre;
using testing::Pair;

namespace {

using ConnectionManager = RendererServices;

DLNA_PROTOCOL_INFO Entry(const char* protocol, const char* network, const char* format,
                         const char* info) {
    return {const_cast<char*>(protocol), const_cast<char*>(network), const_cast<char*>(format),
            const_cast<char*>(info)};
}

TEST_F(ConnectionManager, AFreshRendererReportsEmptyListsAfterItsEvent) {
    EXPECT_THAT(Call("GetProtocolInfo")->Results(),
                ElementsAre(Pair("Source", ""), Pair("Sink", "")));
    EXPECT_THAT(host.events, ElementsAre(IdEvent(DLNA_DMR_GET_PROTOCOL_INFO_EVENT, 0)));
}

TEST_F(ConnectionManager, TheRendererListIsItsSinkWithoutIncompleteOrRepeatedEntries) {
    const DLNA_PROTOCOL_INFO entries[] = {
        Entry("http-get", "*", "audio/mpeg", "*"),
        Entry("http-get", "*", "video/mp4", "*"),
        Entry("http-get", "*", "audio/mpeg", "*"),
        Entry("http-get", "", "audio/x-wav", "*"),
    };
    ASSERT_EQ(DLNA_DMR_SetProtocolInfo(entries, 4), 0);
    EXPECT_THAT(Call("GetProtocolInfo")->Results(),
                ElementsAre(Pair("Source", ""),
                            Pair("Sink", "http-get:*:audio/mpeg:*,http-get:*:video/mp4:*")));

    DLNA_PROTOCOL_INFO broken[] = {Entry("http-get", "*", "audio/flac", "*"),
                                   Entry("http-get", nullptr, "audio/ogg", "*")};
    EXPECT_EQ(DLNA_DMR_SetProtocolInfo(broken, 2), DLNA_E_INVALID_ARGUMENT);
    EXPECT_EQ(Call("GetProtocolInfo")->Result("Sink"),
              "http-get:*:audio/mpeg:*,http-get:*:video/mp4:*");

    EXPECT_EQ(DLNA_DMR_SetProtocolInfo(nullptr, 0), 0);
    EXPECT_EQ(Call("GetProtocolInfo")->Result("Sink"), "");
}

TEST_F(ConnectionManager, TheSingleConnectionIsAnsweredWithoutTheHost) {
    EXPECT_THAT(Call("GetCurrentConnectionIDs")->Results(),
                ElementsAre(Pair("ConnectionIDs", "0")));
    EXPECT_THAT(
        Call("GetCurrentConnectionInfo")->Results(),
        ElementsAre(Pair("RcsID", "0"), Pair("AVTransportID", "0"), Pair("ProtocolInfo", ":::"),
                    Pair("PeerConnectionManager", "/"), Pair("PeerConnectionID", "-1"),
                    Pair("Direction", "Input"), Pair("Status", "Unknown")));
    EXPECT_EQ(Call("GetCurrentConnectionInfo", {{"ConnectionID", "1"}})->ErrorCode(), 706);
    EXPECT_TRUE(host.events.empty());
}

TEST_F(ConnectionManager, KeepAliveHandsTheHostItsConnectionId) {
    EXPECT_EQ(Call("ConnectionKeepAlive", {{"ConnectionID", "42"}})->ErrorCode(), 0);
    HostEvent keep_alive = IdEvent(DLNA_DMR_KEEP_ALIVE_EVENT, 0);
    keep_alive.number = 42;
    EXPECT_THAT(host.events, ElementsAre(keep_alive));
    host.answer = 1;
    EXPECT_EQ(Call("ConnectionKeepAlive")->ErrorCode(), 501);
}

class ServerConnectionManager : public RendererServices {
protected:
    ServerConnectionManager() {
        services_ = {Make(kConnectionManagerType, "ConnectionManager.xml", kMediaServerType)};
    }
};

TEST_F(ServerConnectionManager, RaisesTheServerEventAndReportsItsSource) {
    const DLNA_PROTOCOL_INFO entry = Entry("http-get", "*", "image/jpeg", "*");
    ASSERT_EQ(DLNA_DMS_SetProtocolInfo(&entry, 1), 0);
    EXPECT_THAT(Call("GetProtocolInfo")->Results(),
                ElementsAre(Pair("Source", "http-get:*:image/jpeg:*"), Pair("Sink", "")));
    EXPECT_THAT(host.events, ElementsAre(IdEvent(DLNA_DMS_GET_PROTOCOL_INFO_EVENT, 0)));
}

}  // namespace
