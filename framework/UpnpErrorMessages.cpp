#include "UpnpErrorMessages.h"

const std::map<int, std::string>& UpnpErrorMessages() {
    using namespace upnp_error;
    static const std::map<int, std::string> messages = {
        {kInternalError, "Internal error"},
        {kInvalidService, "Invalid service"},
        {kInvalidDevice, "Invalid device"},
        {kInvalidArgs, "Invalid soap param"},
        {kActionFailed, "Soap action failed"},
        {kNoSuchObject, "Invalid parameter"},
        {kInvalidRenderingControlInstance, "Invalid Rendering Control ID"},
        {kReadError, "Read error"},
        {kFormatNotSupported, "Format not supported for playback"},
        {kTransportLocked, "Transport is locked"},
        {kInvalidConnection, "Invalid connection"},
        {kInvalidSearchCriteria, "Unsupported or invalid search criteria"},
        {kInvalidSortCriteria, "Unsupported or invalid sort criteria"},
        {kIllegalMimeType, "Illegal MIME-type"},
        {kContentBusy, "Content 'BUSY'"},
        {kResourceNotFound, "Resource not found"},
        {kInvalidTransportInstance, "Invalid InstanceID"},
        {kDrmError, "DRM error"},
        {kExpiredContent, "Expired content"},
        {kDisallowedContent, "Disallowed content"},
        {kUnverifiedContent, "Unverified content"},
        {kExhaustedAllowedUse, "Exhausted allowed use"},
        {kDeviceAuthenticationFailure, "Device authentication failure"},
        {kDeviceRevocation, "Device revocation"},
        {kLiveCaptureUnavailable, "Live capture unavailable"},
        {kUnauthenticated, "Unauthenticated access"},
    };
    return messages;
}

std::string UpnpErrorText(int code) {
    const auto& messages = UpnpErrorMessages();
    auto it = messages.find(code);
    return it == messages.end() ? "Invalid parameter." : it->second;
}
