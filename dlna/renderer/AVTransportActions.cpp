#include "renderer/AVTransportActions.h"

#include <exception>

#include "UpnpErrorMessages.h"
#include "common/DlnaLog.h"
#include "renderer/RendererTables.h"
#include "renderer/SeekTarget.h"
#include "renderer/UriMetadata.h"

AVTransportPlayAction::AVTransportPlayAction(const ServiceInfo& service,
                                             AVTransportListener* listener)
    : AVTransportAction(service, "Play", listener) {
    AddInput("Speed", &speed);
}

int AVTransportPlayAction::ProcessRequest(const std::string&, ActionResults&) {
    if (speed.empty()) return upnp_error::kInvalidArgs;
    if (!listener) return upnp_error::kActionFailed;
    DLNA_PLAY_EVENT event{instance_id, speed.c_str()};
    return listener->OnPlay(&event);
}

AVTransportSeekAction::AVTransportSeekAction(const ServiceInfo& service,
                                             AVTransportListener* listener)
    : AVTransportAction(service, "Seek", listener) {
    AddInput("Unit", &unit);
    AddInput("Target", &target);
}

int AVTransportSeekAction::ProcessRequest(const std::string&, ActionResults&) {
    const auto seek_unit = kSeekUnitTable.Value(unit);
    if (!seek_unit) {
        LogLine(DlnaLog(), LogLevel::Error) << "Invalid request content: " << LogSafe(unit);
        return upnp_error::kInvalidArgs;
    }
    std::string normalized = target;
    if (*seek_unit == DLNA_REL_TIME) {
        auto duration = NormalizeRelTime(target);
        if (!duration) {
            LogLine(DlnaLog(), LogLevel::Error) << "Invalid request content: " << LogSafe(target);
            return upnp_error::kInvalidArgs;
        }
        normalized = std::move(*duration);
    }
    if (!listener) return upnp_error::kActionFailed;
    DLNA_SEEK_EVENT event{instance_id, *seek_unit, normalized.c_str()};
    return listener->OnSeek(&event);
}

AVTransportUriAction::AVTransportUriAction(const ServiceInfo& service, const std::string& name,
                                           AVTransportListener* listener, const char* uri_argument,
                                           const char* metadata_argument, Operation operation,
                                           bool logged)
    : AVTransportAction(service, name, listener),
      uri_argument_(uri_argument),
      metadata_argument_(metadata_argument),
      operation_(operation),
      logged_(logged) {
    AddInput(uri_argument, &uri);
    AddInput(metadata_argument, &metadata);
}

int AVTransportUriAction::ProcessRequest(const std::string&, ActionResults&) {
    if (logged_)
        LogLine(DlnaLog(), LogLevel::Silent)
            << "InstanceID: " << instance_id << ", " << uri_argument_ << ": " << LogSafe(uri)
            << ", " << metadata_argument_ << ": " << LogSafe(metadata);
    if (!listener) return upnp_error::kActionFailed;
    // Freed when the host's callback has returned.
    ContentElementPtr element;
    try {
        element = MetadataElement(metadata);
    } catch (const std::exception& error) {
        LogLine(DlnaLog(), LogLevel::Error) << "URI metadata not read: " << error.what();
    }
    DLNA_URI_EVENT event{instance_id, uri.c_str(), element.get()};
    return (listener->*operation_)(&event);
}
