#pragma once
// The seven fixed actions of the tvcontrol service.
#include <memory>

#include "TvCommon.h"
#include "TvKeyControlControl.h"
#include "UpnpAction.h"

// An action that only leaves an Info record.
template <const char* kName, const char* kRecord>
class NoticeAction final : public UpnpAction {
public:
    explicit NoticeAction(const ServiceInfo& service) : UpnpAction(service, kName) {}
    int ProcessRequest(const std::string&, ActionResults&) override {
        LogLine(TvCommonLog(), LogLevel::Info) << kRecord;
        return 0;
    }
};

// An action that answers one text that TvKeyControlControl computes.
using ControlQuery = std::string (TvKeyControlControl::*)();

template <const char* kName, const char* kArgument, ControlQuery kQuery>
class ControlQueryAction final : public UpnpAction {
public:
    ControlQueryAction(const ServiceInfo& service, std::shared_ptr<TvKeyControlControl> control)
        : UpnpAction(service, kName), control_(std::move(control)) {
        AddOutput(kArgument, &value);
    }
    int ProcessRequest(const std::string&, ActionResults& results) override {
        value = ((*control_).*kQuery)();
        results.emplace_back(kArgument, value);
        return 0;
    }

    std::string value;

private:
    const std::shared_ptr<TvKeyControlControl> control_;
};

class SendStringAction : public UpnpAction {
public:
    SendStringAction(const ServiceInfo& service, std::shared_ptr<TvKeyControlControl> control);
    int ProcessRequest(const std::string& address, ActionResults& results) override;

    std::string string_value;

private:
    const std::shared_ptr<TvKeyControlControl> control_;
};

inline constexpr char kStartTVLive[] = "StartTVLive";
inline constexpr char kStartTVLiveRecord[] = "StartTVLiveAction";
inline constexpr char kStopTVLive[] = "StopTVLive";
inline constexpr char kStopTVLiveRecord[] = "StopTVLiveAction";
inline constexpr char kSendString[] = "SendString";
inline constexpr char kGetTVLiveAddr[] = "GetTVLiveAddr";
inline constexpr char kGetTVLiveNegotiatedAddr[] = "GetTVLiveNegotiatedAddr";
inline constexpr char kGetTVMode[] = "GetTVMode";
inline constexpr char kGetServiceList[] = "GetServiceList";
inline constexpr char kStringValue[] = "StringValue";
inline constexpr char kModeValue[] = "ModeValue";
inline constexpr char kReturnValue[] = "ReturnValue";

using StartTVLiveAction = NoticeAction<kStartTVLive, kStartTVLiveRecord>;
using StopTVLiveAction = NoticeAction<kStopTVLive, kStopTVLiveRecord>;
using GetTVLiveAddrAction =
    ControlQueryAction<kGetTVLiveAddr, kStringValue, &TvKeyControlControl::GetTVLiveAddress>;
using GetTVLiveNegotiatedAddressAction =
    ControlQueryAction<kGetTVLiveNegotiatedAddr, kStringValue,
                       &TvKeyControlControl::GetTVLiveNegotiatedAddress>;
using GetTVModeAction = ControlQueryAction<kGetTVMode, kModeValue, &TvKeyControlControl::GetTVMode>;
using GetServiceListAction =
    ControlQueryAction<kGetServiceList, kReturnValue, &TvKeyControlControl::ReadServiceList>;
