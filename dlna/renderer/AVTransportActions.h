#pragma once
// The thirteen AVTransport actions. Device side each turns a request into
// one listener call; controller side they carry the in-arguments
// (InstanceID first) and, for the queries, read the answer back into the
// record (ReadResponse).
#include <cstdint>
#include <string>

#include "UpnpErrorMessages.h"
#include "renderer/AVTransportListener.h"
#include "renderer/AVTransportRecords.h"
#include "renderer/InstanceAction.h"

using AVTransportAction = InstanceAction<AVTransportListener>;

using AVTransportStopAction =
    InstanceCommandAction<AVTransportListener, "Stop", &AVTransportListener::OnStop>;
using AVTransportPauseAction =
    InstanceCommandAction<AVTransportListener, "Pause", &AVTransportListener::OnPause>;
using AVTransportNextAction =
    InstanceCommandAction<AVTransportListener, "Next", &AVTransportListener::OnNext>;
using AVTransportPreviousAction =
    InstanceCommandAction<AVTransportListener, "Previous", &AVTransportListener::OnPrevious>;

class AVTransportPlayAction : public AVTransportAction {
public:
    AVTransportPlayAction(const ServiceInfo& service, AVTransportListener* listener);
    int ProcessRequest(const std::string& address, ActionResults& results) override;

private:
    std::string speed;
};

class AVTransportSeekAction : public AVTransportAction {
public:
    AVTransportSeekAction(const ServiceInfo& service, AVTransportListener* listener);
    int ProcessRequest(const std::string& address, ActionResults& results) override;

private:
    std::string unit;
    std::string target;
};

// SetAVTransportURI and SetNextAVTransportURI: the same request under other
// argument names, reported to another operation.
class AVTransportUriAction : public AVTransportAction {
public:
    using Operation = int (AVTransportListener::*)(DLNA_URI_EVENT*);
    int ProcessRequest(const std::string& address, ActionResults& results) override;

protected:
    AVTransportUriAction(const ServiceInfo& service, const std::string& name,
                         AVTransportListener* listener, const char* uri_argument,
                         const char* metadata_argument, Operation operation, bool logged);

private:
    const char* uri_argument_;
    const char* metadata_argument_;
    Operation operation_;
    bool logged_;
    std::string uri;
    std::string metadata;
};

class SetAVTransportURIAction : public AVTransportUriAction {
public:
    SetAVTransportURIAction(const ServiceInfo& service, AVTransportListener* listener)
        : AVTransportUriAction(service, "SetAVTransportURI", listener, "CurrentURI",
                               "CurrentURIMetaData", &AVTransportListener::OnSetAVTransportURI,
                               true) {}
};

class SetNextAVTransportURIAction : public AVTransportUriAction {
public:
    SetNextAVTransportURIAction(const ServiceInfo& service, AVTransportListener* listener)
        : AVTransportUriAction(service, "SetNextAVTransportURI", listener, "NextURI",
                               "NextURIMetaData", &AVTransportListener::OnSetNextAVTransportURI,
                               false) {}
};

// A query: the listener fills a copy of one state group, which becomes the
// out-arguments.
template <ActionName kName, class R, int (AVTransportListener::*Operation)(uint32_t, R*)>
class AVTransportQueryAction : public AVTransportAction {
public:
    using Record = R;

    AVTransportQueryAction(const ServiceInfo& service, AVTransportListener* listener)
        : AVTransportAction(service, kName.text, listener) {}

    int ProcessRequest(const std::string&, ActionResults& results) override {
        if (!listener) return upnp_error::kActionFailed;
        R record;
        if (int result = (listener->*Operation)(instance_id, &record)) return result;
        std::string unwritable;
        if (!ToArguments(record, results, &unwritable)) {
            results.clear();
            LogLine(DlnaLog(), LogLevel::Error)
                << "Stored " << unwritable << " has no text form; InstanceID: " << instance_id;
            return upnp_error::kActionFailed;
        }
        // The line is dropped under the default threshold: build it only when kept.
        if (static_cast<int>(LogLevel::Info) >= DlnaLog().Threshold())
            LogLine(DlnaLog(), LogLevel::Info)
                << "InstanceID: " << instance_id << LogFields(record);
        return 0;
    }

    // Controller side, after the answer was bound: 0 or 2 (FromResponse).
    int ReadResponse(R& out) const { return FromResponse(*this, out); }
};

using GetMediaInfoAction =
    AVTransportQueryAction<"GetMediaInfo", MediaInfo, &AVTransportListener::OnGetMediaInfo>;
using GetTransportInfoAction = AVTransportQueryAction<"GetTransportInfo", TransportInfo,
                                                      &AVTransportListener::OnGetTransportInfo>;
using GetPositionInfoAction = AVTransportQueryAction<"GetPositionInfo", PositionInfo,
                                                     &AVTransportListener::OnGetPositionInfo>;
using GetDeviceCapabilitiesAction =
    AVTransportQueryAction<"GetDeviceCapabilities", DeviceCapabilities,
                           &AVTransportListener::OnGetDeviceCapabilities>;
using GetTransportSettingsAction =
    AVTransportQueryAction<"GetTransportSettings", TransportSettings,
                           &AVTransportListener::OnGetTransportSettings>;
