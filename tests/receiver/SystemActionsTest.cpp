#include <gmock/gmock.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

#include "BatchFile.h"
#include "ReceiverTestSupport.h"
#include "TvKeyControlControl.h"
#include "TvKeyControlService.h"

namespace {

using namespace std::chrono_literals;
using testing::HasSubstr;

// Gone, or a zombie that only its new parent can reap.
bool Ended(pid_t pid) {
    for (int attempt = 0; attempt < 200; ++attempt) {
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string skip, state;
        if (!(stat >> skip >> skip >> state) || state == "Z") return true;
        std::this_thread::sleep_for(10ms);
    }
    return false;
}

TEST(BatchFile, OutputIsJoinedUnchanged) {
    std::ifstream expected_file(ReceiverData("scripts/long_line.expected"));
    const std::string expected{std::istreambuf_iterator<char>(expected_file), {}};
    ASSERT_EQ(expected.size(), 601u);
    EXPECT_EQ(RunBatchFile(ReceiverData("scripts/long_line.bat")), expected);
    EXPECT_EQ(RunBatchFile(ReceiverData("scripts/briskengethttpserverurl.bat")),
              "http://192.0.2.7:8080/\nsecond line without end");
    CaptureLog([] { EXPECT_EQ(RunBatchFile(ReceiverData("scripts/missing.bat")), ""); });

    const std::string much = RunBatchFile(ReceiverData("scripts/much_output.bat"));
    EXPECT_EQ(much.size(), 50000u * 26);
    EXPECT_EQ(std::count(much.begin(), much.end(), '\n'), 50000);
}

// A script that never ends holds the request lock: it is killed with what it
// started, reaped, and answers nothing, even when it printed something first.
TEST(BatchFile, ScriptPastTheDeadlineIsKilledWithItsChildren) {
    const std::string pids_file = testing::TempDir() + "batch_file_pids";
    setenv("HALVORN_SCRIPT_PIDS", pids_file.c_str(), 1);
    for (const char* script : {"scripts/hangs.bat", "scripts/hangs_ignoring_sigterm.bat"}) {
        SCOPED_TRACE(script);
        std::remove(pids_file.c_str());
        std::string output = "not run";
        const auto start = std::chrono::steady_clock::now();
        const CapturedLog log =
            CaptureLog([&] { output = RunBatchFile(ReceiverData(script), 300ms); });
        EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
        EXPECT_EQ(output, "");
        EXPECT_THAT(log.err, HasSubstr("[ERROR] "));
        EXPECT_THAT(log.err, HasSubstr(" Script did not end within 300 ms, killed it: " +
                                       ReceiverData(script) + "\n"));

        std::ifstream pids(pids_file);
        pid_t shell = 0, child = 0;
        ASSERT_TRUE(pids >> shell >> child);
        errno = 0;
        EXPECT_EQ(waitpid(shell, nullptr, WNOHANG), -1) << "left unreaped";
        EXPECT_EQ(errno, ECHILD);
        EXPECT_TRUE(Ended(child)) << "the script's sleep survived";
    }
    unsetenv("HALVORN_SCRIPT_PIDS");
}

class SystemActions : public testing::Test {
protected:
    // GetServiceList answers the file at `service_list`.
    static std::unique_ptr<TvKeyControlService> Service(const std::string& service_list) {
        auto made = std::make_unique<TvKeyControlService>(
            ServiceInfo{"urn:tundric-com:service:tvcontrol:1", "tc", "", "", ""},
            std::make_shared<TvKeyControlControl>("", service_list));
        made->LoadActionsFrom(LoadScpd("tvcontrol.xml").get());
        return made;
    }

    CapturedLog Run(ActionCall& call) {
        return CaptureLog([&] { EXPECT_TRUE(service->Dispatch(call.get())); });
    }

    std::unique_ptr<TvKeyControlService> service = Service("");
};

TEST_F(SystemActions, LiveAddressesRelayTheScriptsOfTheWorkingDirectory) {
    ActionCall address("GetTVLiveAddr", "GetTVLiveAddr.xml");
    ActionCall negotiated("GetTVLiveNegotiatedAddr", "GetTVLiveNegotiatedAddr.xml");
    ActionCall missing("GetTVLiveAddr", "GetTVLiveAddr.xml");
    std::string log;
    InDirectory(ReceiverData("scripts"), [&] { log = Run(address).out + Run(negotiated).out; });
    InDirectory(ReceiverData("servicelists"), [&] { Run(missing); });
    EXPECT_EQ(address.Result("StringValue"), "rtsp://192.0.2.7:554/live\n");
    EXPECT_EQ(negotiated.Result("StringValue"), "http://192.0.2.7:8080/\nsecond line without end");
    EXPECT_EQ(missing.Result("StringValue"), "");
    EXPECT_THAT(log, HasSubstr("GetTVLiveAddress: rtsp://192.0.2.7:554/live\n"));
    EXPECT_THAT(log, HasSubstr("GetTVLiveNegotiatedAddress: http://192.0.2.7:8080/\n"));
}

TEST_F(SystemActions, ClientTextIsLoggedOnOneLineEscapedAndCut) {
    ActionCall call("SendString", "SendString_hostile.xml");
    const std::string out = Run(call).out;
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
    EXPECT_THAT(out, HasSubstr("Unhandled SendString: hello\\n[ERROR] 2011-Mar-07 14:05:09.123456 "
                               "forged\\tline\\\\0123456789"));
    EXPECT_THAT(out, HasSubstr("...(354 bytes)\n"));
    EXPECT_LT(out.size(), 400u);
}

TEST_F(SystemActions, TvModeIsConstant) {
    ActionCall call("GetTVMode", "GetTVMode.xml");
    EXPECT_THAT(Run(call).out, HasSubstr("GetTVMode: TvMode\n"));
    EXPECT_EQ(call.Result("ModeValue"), "TvMode");
}

TEST_F(SystemActions, ServiceListIsReturnedWhole) {
    service = Service(ReceiverData("servicelists/ServiceList.xml"));
    ActionCall call("GetServiceList", "GetServiceList.xml");
    Run(call);
    const std::string text = call.Result("ReturnValue").value_or("");
    const UniqueXmlDocument reparsed(ixmlParseBuffer(text.c_str()));
    ASSERT_TRUE(reparsed) << text;
    EXPECT_EQ(xml::ElementsByTag(reparsed.get(), "Service").size(), 2u);
    EXPECT_THAT(text, HasSubstr("password=\"secret\""));
    EXPECT_THAT(text, HasSubstr("rtsp://192.0.2.7:554/live"));
}

TEST_F(SystemActions, BadServiceListAnswersEmptyText) {
    for (const auto& [file, record] :
         {std::pair{"absent.xml", "Invalid service_list_: "},
          std::pair{"malformed.xml", "Cant't parse service_list_: "}}) {
        const std::string path = ReceiverData(std::string("servicelists/") + file);
        service = Service(path);
        ActionCall call("GetServiceList", "GetServiceList.xml");
        EXPECT_THAT(Run(call).err, HasSubstr(record + path + "\n"));
        EXPECT_EQ(call.ErrorCode(), 0) << file;
        EXPECT_EQ(call.Result("ReturnValue"), "") << file;
    }
}

}  // namespace
