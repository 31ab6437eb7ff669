// RenderingControl presets and volume, and the picture commands of its
// vendor extension, through the bridge to a fake host.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "RendererTestSupport.h"

using testing::ElementsAre;
using testing::HasSubstr;
using testing::Pair;
using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

using RenderingControl = RendererServices;

TEST_F(RenderingControl, PresetsAreAnsweredWithoutTheHost) {
    EXPECT_THAT(Call("ListPresets")->Results(),
                ElementsAre(Pair("CurrentPresetNameList", "FactoryDefaults")));
    EXPECT_EQ(Call("ListPresets", {{"InstanceID", "1"}})->ErrorCode(), 702);
    const std::pair<const char*, int> presets[] = {
        {"FactoryDefaults", 0}, {"InstallationDefaults", 0}, {"Vivid", 402}};
    for (const auto& [preset, error] : presets)
        EXPECT_EQ(Call("SelectPreset", {{"PresetName", preset}})->ErrorCode(), error) << preset;
    EXPECT_TRUE(host.events.empty());
}

TEST_F(RenderingControl, SetVolumeOnAnyChannelIsStoredAndReadBackOnMaster) {
    EXPECT_EQ(Call("SetVolume", {{"Channel", "LF"}, {"DesiredVolume", "30"}})->ErrorCode(), 0);
    EXPECT_EQ(Call("GetVolume")->Result("CurrentVolume"), "30");
    HostEvent set{DLNA_DMR_SET_VOLUME_EVENT, 0, {}, -1, 30};
    HostEvent get{DLNA_DMR_GET_VOLUME_EVENT, 0, {}, 0};
    EXPECT_THAT(host.events, ElementsAre(set, get));
}

TEST_F(RenderingControl, AVolumeStoredInsideTheQueryEventIsTheAnswer) {
    host.inside = [](DLNA_EVENT event) {
        DLNA_VOLUME volume{0, 12};
        if (event == DLNA_DMR_GET_VOLUME_EVENT) {
            EXPECT_EQ(DLNA_DMR_SetVolume(0, &volume), 0);
        }
    };
    EXPECT_EQ(Call("GetVolume")->Result("CurrentVolume"), "12");
}

TEST_F(RenderingControl, AFailedSetVolumeLeavesTheVolume) {
    Call("SetVolume", {{"DesiredVolume", "40"}});
    host.answer = 1;
    EXPECT_EQ(Call("SetVolume", {{"DesiredVolume", "90"}})->ErrorCode(), 501);
    host.answer = 0;
    EXPECT_EQ(Call("GetVolume")->Result("CurrentVolume"), "40");
}

TEST_F(RenderingControl, VolumeRefusals) {
    CaptureStderr();
    EXPECT_EQ(Call("GetVolume", {{"Channel", "master"}})->ErrorCode(), 402);
    EXPECT_THAT(GetCapturedStderr(), HasSubstr("Invalid request parameter: master"));
    EXPECT_EQ(Call("GetVolume", {{"InstanceID", "1"}})->ErrorCode(), 702);
    EXPECT_EQ(Call("SetVolume", {{"InstanceID", "1"}})->ErrorCode(), 702);
    EXPECT_FALSE(Call("SetVolume", {{"DesiredVolume", "70000"}})->Answered());
    EXPECT_TRUE(host.events.empty());

    DLNA_VOLUME volume{0, 5};
    EXPECT_EQ(DLNA_DMR_SetVolume(5, &volume), DLNA_E_INVALID_INSTANCE);
    EXPECT_EQ(DLNA_DMR_SetVolume(0, nullptr), DLNA_E_INVALID_ARGUMENT);
}

TEST_F(RenderingControl, PictureCommandsReachTheHostWhateverTheInstance) {
    const std::pair<const char*, int> commands[] = {
        {"ZoomIn", DLNA_DMR_ZOOM_IN_EVENT},
        {"ZoomOut", DLNA_DMR_ZOOM_OUT_EVENT},
        {"RotateClockwise", DLNA_DMR_ROTATE_CLOCKWISE_EVENT},
        {"RotateCounterclockwise", DLNA_DMR_ROTATE_COUNTERCLOCKWISE_EVENT},
    };
    for (const auto& [action, event] : commands) {
        host.events.clear();
        EXPECT_EQ(Call(action, {{"InstanceID", "7"}})->ErrorCode(), 0) << action;
        EXPECT_THAT(host.events, ElementsAre(IdEvent(event, 7))) << action;
    }
}

}  // namespace
