// The library frame as a host sees it, without the runtime.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "DLNA.h"
#include "api/DLNAContext.h"

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

struct Recorded {
    std::vector<int> events;
    int answer = 0;
    bool finalize_inside = false;
};

int Record(DLNA_EVENT event, void*, void* user_data) {
    auto* recorded = static_cast<Recorded*>(user_data);
    recorded->events.push_back(event);
    if (recorded->finalize_inside) DLNA_Finalize();
    return recorded->answer;
}

class Frame : public testing::Test {
protected:
    void TearDown() override { DLNA_Finalize(); }
};

}  // namespace

TEST_F(Frame, VersionIsThereBeforeAnythingStarts) {
    EXPECT_STREQ(DLNA_GetVersion(), "12.12.35");
    EXPECT_EQ(DLNA_AsyncSearchDevice(), 0);
}

TEST_F(Frame, FinalizeWithoutAContextOrTwiceDoesNothing) {
    DLNA_Finalize();
    DLNA_Finalize();
    DLNAContext::Instance();
    DLNA_Finalize();
    DLNA_Finalize();
}

TEST_F(Frame, CreateDeviceRefusesANullPathAndWhatIsNotAFile) {
    CaptureStderr();
    EXPECT_EQ(DLNA_CreateDevice(nullptr), DLNA_E_INVALID_ARGUMENT);
    EXPECT_EQ(DLNA_CreateDevice(std::filesystem::temp_directory_path().c_str()),
              DLNA_E_INVALID_ARGUMENT);
    EXPECT_EQ(DLNA_CreateDevice("/nonexistent/DMS.xml"), DLNA_E_INVALID_ARGUMENT);
    const std::string log = GetCapturedStderr();
    EXPECT_NE(log.find("xml_path is NULL."), std::string::npos);
    EXPECT_NE(log.find("xml_path is not exists."), std::string::npos);
}

TEST_F(Frame, EventsFailQuietlyWithoutACallbackAndLoudlyWhenItFails) {
    auto& context = DLNAContext::Instance();
    CaptureStderr();
    EXPECT_EQ(context.RaiseEvent(DLNA_DMR_STOP_EVENT, nullptr), 501);
    EXPECT_EQ(GetCapturedStderr(), "");

    Recorded recorded;
    DLNA_SetCallback(Record, &recorded);
    EXPECT_EQ(context.RaiseEvent(DLNA_DMR_STOP_EVENT, nullptr), 0);
    recorded.answer = 1;
    CaptureStderr();
    EXPECT_EQ(context.RaiseEvent(DLNA_DMR_STOP_EVENT, nullptr), 501);
    EXPECT_NE(GetCapturedStderr().find("DLNACallback failed: event_id=3"), std::string::npos);
    // An action-specific UPnP error of the host's goes through as it is.
    for (const int code : {710, 599, 900}) {
        recorded.answer = code;
        CaptureStderr();
        EXPECT_EQ(context.RaiseEvent(DLNA_DMR_SEEK_EVENT, nullptr), code == 710 ? 710 : 501);
        GetCapturedStderr();
    }
    EXPECT_EQ(recorded.events, (std::vector<int>{3, 3, 5, 5, 5}));

    DLNA_SetCallback(nullptr, nullptr);
    EXPECT_EQ(context.RaiseEvent(DLNA_DMR_STOP_EVENT, nullptr), 501);
}

TEST_F(Frame, FinalizeFromInsideTheCallbackIsRefused) {
    // Ending the runtime waits for the thread that runs the callback.
    Recorded recorded;
    recorded.finalize_inside = true;
    DLNA_SetCallback(Record, &recorded);
    CaptureStderr();
    EXPECT_EQ(DLNAContext::Instance().RaiseEvent(DLNA_DMR_PLAY_EVENT, nullptr), 0);
    EXPECT_NE(GetCapturedStderr().find("DLNA_Finalize refused"), std::string::npos);
    EXPECT_FALSE(DLNAContext::InCallback());
    // Still the same context: the callback is kept.
    recorded.finalize_inside = false;
    EXPECT_EQ(DLNAContext::Instance().RaiseEvent(DLNA_DMR_PLAY_EVENT, nullptr), 0);
}

TEST_F(Frame, FinalizeForgetsTheCallback) {
    Recorded recorded;
    DLNA_SetCallback(Record, &recorded);
    DLNA_Finalize();
    EXPECT_EQ(DLNAContext::Instance().RaiseEvent(DLNA_DMR_STOP_EVENT, nullptr), 501);
    EXPECT_TRUE(recorded.events.empty());
}

// Calls on other threads either finish before Finalize tears the context
// down or start afresh after it; two Finalize calls never tear down twice.
TEST_F(Frame, FinalizeRacingOtherCallsAndItselfIsSafe) {
    std::atomic<bool> stop{false};
    std::vector<std::thread> threads;
    for (int i = 0; i < 3; ++i)
        threads.emplace_back([&] {
            Recorded recorded;
            DLNA_VOLUME volume{};
            volume.channel = 0;
            volume.volume = 10;
            while (!stop) {
                DLNA_SetCallback(Record, &recorded);
                DLNA_DMR_SetVolume(0, &volume);
                DLNA_DMS_SetPassword("secret");
                DLNA_DEVICE_HANDLE list[4];
                uint32_t count = 4;
                DLNA_DMSC_GetDMSControllerList(list, &count);
            }
        });
    CaptureStderr();
    for (int i = 0; i < 2; ++i)
        threads.emplace_back([] {
            for (int round = 0; round < 100; ++round) DLNA_Finalize();
        });
    for (size_t i = 3; i < threads.size(); ++i) threads[i].join();
    stop = true;
    for (size_t i = 0; i < 3; ++i) threads[i].join();
    GetCapturedStderr();
    DLNA_Finalize();
    DLNA_DEVICE_INFO info{};
    EXPECT_EQ(DLNA_DMR_GetDeviceInfo(&info), DLNA_E_INVALID_ARGUMENT);
}

TEST_F(Frame, FreeFunctionsAcceptNullAndFreeWhatTheLibraryAllocated) {
    EXPECT_EQ(DLNA_FreeDeviceInfo(nullptr), 0);
    EXPECT_EQ(DLNA_FreeProtocolInfo(nullptr, 5), 0);
    DLNA_DEVICE_INFO info{};
    info.friendly_name = strdup("name");
    info.udn = strdup("uuid:x");
    EXPECT_EQ(DLNA_FreeDeviceInfo(&info), 0);
    EXPECT_EQ(info.friendly_name, nullptr);
    EXPECT_EQ(info.udn, nullptr);
    EXPECT_EQ(DLNA_FreeDeviceInfo(&info), 0);

    auto* infos = static_cast<DLNA_PROTOCOL_INFO*>(std::calloc(2, sizeof(DLNA_PROTOCOL_INFO)));
    infos[0].protocol = strdup("http-get");
    infos[1].content_format = strdup("audio/mpeg");
    EXPECT_EQ(DLNA_FreeProtocolInfo(infos, 2), 0);  // leak-checked under ASan
}
