#include "UpnpErrorMessages.h"

const std::map<int, std::string>& UpnpErrorMessages() {
    static const std::map<int, std::string> messages = {
        {-911, "Internal error"},
        {-111, "Invalid service"},
        {-110, "Invalid device"},
        {402, "Invalid soap param"},
        {501, "Soap action failed"},
        {701, "Invalid parameter"},
        {702, "Invalid Rendering Control ID"},
        {703, "Read error"},
        {704, "Format not supported for playback"},
        {705, "Transport is locked"},
        {706, "Invalid connection"},
        {714, "Illegal MIME-type"},
        {715, "Content 'BUSY'"},
        {716, "Resource not found"},
        {718, "Invalid InstanceID"},
        {719, "DRM error"},
        {720, "Expired content"},
        {721, "Disallowed content"},
        {722, "Unverified content"},
        {723, "Exhausted allowed use"},
        {724, "Device authentication failure"},
        {725, "Device revocation"},
        {800, "Live capture unavailable"},
        {801, "Unauthenticated access"},
    };
    return messages;
}

std::string UpnpErrorText(int code) {
    const auto& messages = UpnpErrorMessages();
    auto it = messages.find(code);
    return it == messages.end() ? "Invalid parameter." : it->second;
}
