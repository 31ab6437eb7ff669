#include <gmock/gmock.h>

#include "KeyMapAction.h"
#include "MouseButtonAction.h"
#include "MouseMoveAction.h"
#include "ReceiverTestSupport.h"
#include "TvKeyControlControl.h"
#include "TvKeyControlService.h"
#include "TvMouseControlControl.h"
#include "TvMouseControlService.h"

namespace {

using testing::ElementsAre;
using testing::HasSubstr;
using Map = std::map<std::string, std::string>;

std::vector<std::string> ActionNames(const UpnpService& service) {
    std::vector<std::string> names;
    for (const auto& action : service.Actions()) names.push_back(action->Name());
    return names;
}

template <class Action>
Action* Find(const UpnpService& service, const std::string& name) {
    for (const auto& action : service.Actions())
        if (action->Name() == name) return dynamic_cast<Action*>(action.get());
    return nullptr;
}

class KeyMapServices : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(keys.LoadKeyMap(ReceiverData("keymaps/tvos_ir_keys.xml")));
        ASSERT_TRUE(mouse.LoadKeyMap(ReceiverData("keymaps/tvos_ir_keys.xml")));
    }
    TvKeyControlService keys{{"urn:tundric-com:service:tvcontrol:1", "tc", "", "", ""},
                             std::make_shared<TvKeyControlControl>("", "")};
    const std::shared_ptr<TvMouseControlControl> mouse_control =
        std::make_shared<TvMouseControlControl>("");
    TvMouseControlService mouse{{"urn:qelvar-com:service:TvMouseControl:1", "mc", "", "", ""},
                                mouse_control};
};

TEST_F(KeyMapServices, EachCollectsItsElementFirstEntryWinning) {
    EXPECT_EQ(keys.KeyMap(), (Map{{"Power", "116"},
                                  {"VolumeUp", "115"},
                                  {"Lonely", ""},
                                  {"Words", "abc"},
                                  {"Channel", "402"},
                                  {"GetTVMode", "55"},
                                  {"StartTVLive", "56"},
                                  {"Deep", "7"}}));
    EXPECT_EQ(mouse.KeyMap(), (Map{{"WheelUp", "WU"}, {"LeftClick", "LC"}, {"MouseMove", "MM"}}));
}

TEST_F(KeyMapServices, MapEntriesComeBeforeFixedActions) {
    keys.LoadActionsFrom(LoadScpd("tvcontrol.xml").get());
    EXPECT_THAT(ActionNames(keys),
                ElementsAre("Power", "Lonely", "Words", "Channel", "Deep", "StartTVLive",
                            "StopTVLive", "SendString", "GetTVLiveAddr", "GetTVLiveNegotiatedAddr",
                            "GetTVMode", "GetServiceList"));
    ASSERT_TRUE(Find<KeyMapAction>(keys, "GetTVMode"));
    EXPECT_EQ(Find<KeyMapAction>(keys, "GetTVMode")->key_value, "55");
    EXPECT_TRUE(Find<KeyMapAction>(keys, "StartTVLive"));
    EXPECT_FALSE(Find<KeyMapAction>(keys, "StopTVLive"));

    mouse.LoadActionsFrom(LoadScpd("TvMouseControl.xml").get());
    EXPECT_THAT(ActionNames(mouse),
                ElementsAre("LeftClick", "WheelUp", "MouseMove", "MouseMoveEx"));
    ASSERT_TRUE(Find<MouseButtonAction>(mouse, "MouseMove"));
    EXPECT_EQ(Find<MouseButtonAction>(mouse, "MouseMove")->key_value, "MM");
}

TEST_F(KeyMapServices, MappedKeysAreReportedOnly) {
    keys.LoadActionsFrom(LoadScpd("tvcontrol.xml").get());
    ActionCall call("Power", "Power.xml");
    ActionResults results;
    const CapturedLog log = CaptureLog([&] {
        keys.Dispatch(call.get());
        EXPECT_EQ(Find<KeyMapAction>(keys, "Lonely")->ProcessRequest("", results), 0);
        EXPECT_EQ(Find<KeyMapAction>(keys, "Words")->ProcessRequest("", results), 0);
    });
    EXPECT_TRUE(call.Answered());
    EXPECT_THAT(log.out, HasSubstr("SI_IRReceiver: action=Power, key=116, ret=0\n"));
    EXPECT_THAT(log.err, HasSubstr("SendKey failed: action=Lonely, key=\n"));
    EXPECT_THAT(log.err, HasSubstr("SendKey failed: action=Words, key=abc\n"));
}

TEST_F(KeyMapServices, MouseActionsHandTheirTextToSendKey) {
    mouse.LoadActionsFrom(LoadScpd("TvMouseControl.xml").get());
    MouseMoveAction move(mouse.Info(), mouse_control);
    move.x = 3;
    move.y = -4;
    ActionResults results;
    const CapturedLog log = CaptureLog([&] {
        for (const auto& action : mouse.Actions()) action->ProcessRequest("", results);
        move.ProcessRequest("", results);
    });
    for (const char* text : {"LC", "WU", "MM", "MO:0,0,0", "MO:3,-4"})
        EXPECT_THAT(log.out,
                    HasSubstr("TvMouseControlControl::SendKey: " + std::string(text) + "\n"));
}

TEST(KeyMapLoading, UnparsableFileFailsBeforeTheScpdIsFetched) {
    const std::string broken = ReceiverData("keymaps/broken.xml");
    TvKeyControlService service({"urn:tundric-com:service:tvcontrol:1", "tc", "", "", ""},
                                std::make_shared<TvKeyControlControl>(broken, ""));
    const CapturedLog log = CaptureLog([&] { EXPECT_FALSE(service.LoadActions()); });
    EXPECT_THAT(log.err, HasSubstr("Cant't parse xml: " + broken + "\n"));
}

}  // namespace
