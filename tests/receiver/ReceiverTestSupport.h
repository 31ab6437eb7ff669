#pragma once
// Receiver test helpers: fixture paths, log capture, and action requests built
// as libupnp hands them over (no libupnp runtime is started).
#include <gtest/gtest.h>
#include <unistd.h>
#include <upnp.h>

#include <climits>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <tuple>

#include "InputInjector.h"
#include "TvInputControl.h"
#include "Xml.h"

inline std::string ReceiverData(const std::string& relative) {
    return std::string(HALVORN_TEST_DATA) + "/receiver/" + relative;
}

inline UniqueXmlDocument LoadScpd(const std::string& name) {
    UniqueXmlDocument doc(ixmlLoadDocument(ReceiverData("scpd/" + name).c_str()));
    EXPECT_TRUE(doc) << name;
    return doc;
}

struct CapturedLog {
    std::string out;  // Info and Silent
    std::string err;  // Warning and Error
};

inline CapturedLog CaptureLog(const std::function<void()>& body) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    body();
    CapturedLog log;
    log.err = testing::internal::GetCapturedStderr();
    log.out = testing::internal::GetCapturedStdout();
    return log;
}

inline void InDirectory(const std::string& directory, const std::function<void()>& body) {
    char previous[PATH_MAX];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(directory.c_str()), 0) << directory;
    body();
    ASSERT_EQ(chdir(previous), 0);
}

// An action request whose body is a fixture of requests/.
class ActionCall {
public:
    ActionCall(const std::string& action, const std::string& fixture)
        : request_(UpnpActionRequest_new()) {
        UpnpActionRequest_strcpy_ActionName(request_, action.c_str());
        UpnpActionRequest_strcpy_DevUDN(request_, "uuid:receiver-test");
        UpnpActionRequest_strcpy_ServiceID(request_, "urn:tundric-com:serviceId:test");
        IXML_Document* body = ixmlLoadDocument(ReceiverData("requests/" + fixture).c_str());
        EXPECT_NE(body, nullptr) << fixture;
        UpnpActionRequest_set_ActionRequest(request_, body);
    }
    ~ActionCall() {
        // The record does not own its documents.
        ixmlDocument_free(UpnpActionRequest_get_ActionRequest(request_));
        ixmlDocument_free(UpnpActionRequest_get_ActionResult(request_));
        UpnpActionRequest_set_ActionRequest(request_, nullptr);
        UpnpActionRequest_set_ActionResult(request_, nullptr);
        UpnpActionRequest_delete(request_);
    }
    ActionCall(const ActionCall&) = delete;
    ActionCall& operator=(const ActionCall&) = delete;

    UpnpActionRequest* get() { return request_; }
    int ErrorCode() const { return UpnpActionRequest_get_ErrCode(request_); }
    std::string ErrorText() const { return UpnpActionRequest_get_ErrStr_cstr(request_); }
    bool Answered() const { return UpnpActionRequest_get_ActionResult(request_) != nullptr; }
    // An out-argument's text; nullopt when the response lacks it.
    std::optional<std::string> Result(const std::string& argument) const {
        const auto found =
            xml::ElementsByTag(UpnpActionRequest_get_ActionResult(request_), argument);
        if (found.empty()) return std::nullopt;
        return xml::Text(found.front());
    }

private:
    UpnpActionRequest* request_;
};

// The fields a test compares, as one value.
using MouseFields = std::tuple<uint32_t, uint32_t, int32_t, int32_t>;  // type, flags, dx, dy
inline MouseFields Mouse(const platform::InputRecord& r) {
    return {r.type, r.mi.dwFlags, r.mi.dx, r.mi.dy};
}
using KeyFields = std::tuple<uint32_t, uint16_t, uint16_t, uint32_t>;  // type, wVk, wScan, flags
inline KeyFields Key(const platform::InputRecord& r) {
    return {r.type, r.ki.wVk, r.ki.wScan, r.ki.dwFlags};
}

// A TvInputControl on a recorder and a 1920x1080 screen.
class RecordingInjectionTest : public testing::Test {
protected:
    platform::RecordingInjector* recorder = new platform::RecordingInjector;
    const std::shared_ptr<TvInputControl> control = std::make_shared<TvInputControl>(
        std::unique_ptr<platform::InputInjector>(recorder), 1919, 1079);
};
