#include "Commands.h"

#include <cstdio>
#include <cstdlib>

#include "Streams.h"

namespace {

std::string Text(const char* text) {
    return text ? text : "";
}

// "pause on "Living room": timed out"
int Failed(const std::string& what, const FoundDevice& device, int result) {
    std::string reason = DLNA_ResultText(result);
    if (result == DLNA_E_NO_ACTION) reason = "the device does not offer it";
    if (result == DLNA_E_INVALID_ARGUMENT)
        reason = "the device has gone, or its answer made no sense";
    return Fail(what + " on \"" + device.name + "\": " + reason);
}

std::string ProtocolText(const DLNA_PROTOCOL_INFO& info) {
    return Text(info.protocol) + ":" + Text(info.network) + ":" + Text(info.content_format) + ":" +
           Text(info.additional_info);
}

void PrintElement(const DLNA_CONTENT_ELEMENT& element) {
    if (element.type == DLNA_CONTENT_CONTAINER) {
        const auto& container = element.element.container;
        std::fprintf(Out(), "%s\tcontainer\t%s\n", Text(container.id).c_str(),
                     Text(container.title).c_str());
        return;
    }
    const auto& item = element.element.item;
    std::fprintf(Out(), "%s\titem\t%s", Text(item.id).c_str(), Text(item.title).c_str());
    if (item.res && item.res_count > 0)
        std::fprintf(Out(), "\t%s\t%s", Text(item.res[0].uri).c_str(),
                     ProtocolText(item.res[0].protocol_info).c_str());
    std::fprintf(Out(), "\n");
}

int BrowseOnce(const FoundDevice& server, const ControlOptions& options,
               DLNA_CONTENT_ELEMENT** elements, int32_t* count) {
    const std::string object = options.arguments.size() > 1 ? options.arguments[1] : "0";
    return DLNA_DMSC_Browse(server.handle, object.c_str(), options.metadata ? 0 : 1, "*",
                            options.start, options.count, "", elements, count);
}

int Status(const FoundDevice& renderer) {
    DLNA_TRANSPORT_INFO transport{};
    if (int result = DLNA_DMRC_GetTransportInfo(renderer.handle, 0, &transport))
        return Failed("status", renderer, result);
    static const char* const kStates[] = {"NO_MEDIA_PRESENT", "STOPPED", "PLAYING",
                                          "PAUSED_PLAYBACK", "TRANSITIONING"};
    const int state = transport.current_transport_state;
    std::fprintf(Out(), "state\t%s\n", state >= 0 && state < 5 ? kStates[state] : "UNKNOWN");
    DLNA_DMRC_FreeTransportInfo(&transport);

    DLNA_POSITION_INFO position{};
    if (int result = DLNA_DMRC_GetPositionInfo(renderer.handle, 0, &position))
        return Failed("status", renderer, result);
    std::fprintf(Out(), "position\t%s\nduration\t%s\n", Text(position.rel_time).c_str(),
                 Text(position.track_duration).c_str());
    std::string uri = Text(position.track_uri);
    DLNA_DMRC_FreePositionInfo(&position);
    // Some renderers name the track only in the media information.
    DLNA_MEDIA_INFO media{};
    if (uri.empty() && DLNA_DMRC_GetMediaInfo(renderer.handle, 0, &media) == DLNA_OK)
        uri = Text(media.current_uri);
    DLNA_DMRC_FreeMediaInfo(&media);
    std::fprintf(Out(), "uri\t%s\n", uri.c_str());
    return 0;
}

int Volume(const FoundDevice& renderer, const ControlOptions& options) {
    DLNA_VOLUME volume{0, 0};
    if (options.arguments.size() > 1) {
        volume.volume = static_cast<uint16_t>(std::atoi(options.arguments[1].c_str()));
        if (int result = DLNA_DMRC_SetVolume(renderer.handle, 0, &volume))
            return Failed("volume", renderer, result);
        return 0;
    }
    if (int result = DLNA_DMRC_GetVolume(renderer.handle, 0, &volume))
        return Failed("volume", renderer, result);
    std::fprintf(Out(), "volume\t%u\n", static_cast<unsigned>(volume.volume));
    return 0;
}

}  // namespace

int Fail(const std::string& message) {
    std::fprintf(Err(), "dlna-control: %s\n", message.c_str());
    return 1;
}

int ListDevices(const std::vector<FoundDevice>& devices) {
    for (const FoundDevice& device : devices)
        std::fprintf(Out(), "%s\t%s\t%s\t%s\t%s\n", KindName(device.kind), device.name.c_str(),
                     device.udn.c_str(), device.address.c_str(), device.location.c_str());
    return 0;
}

int Browse(const FoundDevice& server, const ControlOptions& options) {
    DLNA_CONTENT_ELEMENT* elements = nullptr;
    int32_t count = 0;
    int result = BrowseOnce(server, options, &elements, &count);
    if (result == DLNA_E_MISSING_AUTHENTICATION) {
        if (!options.password)
            return Fail("\"" + server.name + "\" wants a password: give it with --password");
        result = DLNA_DMSC_Authenticate(server.handle, options.password->c_str());
        if (result == DLNA_E_AUTHENTICATION_FAILED)
            return Fail("authentication to \"" + server.name + "\" failed: wrong password?");
        if (result != DLNA_OK) return Failed("authenticate", server, result);
        result = BrowseOnce(server, options, &elements, &count);
    }
    if (result != DLNA_OK) return Failed("browse", server, result);
    for (int32_t i = 0; i < count; ++i) PrintElement(elements[i]);
    DLNA_DMSC_FreeContentElement(elements, count);
    return 0;
}

int DriveRenderer(const FoundDevice& renderer, const ControlOptions& options) {
    const std::string& command = options.command;
    int result = DLNA_OK;
    if (command == "play") {
        if (options.arguments.size() > 1) {
            result = DLNA_DMRC_SetAVTransportURI(renderer.handle, 0, options.arguments[1].c_str(),
                                                 nullptr);
            if (result == DLNA_E_FAILED)
                return Fail("\"" + renderer.name + "\" refused " + options.arguments[1]);
        }
        if (result == DLNA_OK) result = DLNA_DMRC_Play(renderer.handle, 0, "1");
    } else if (command == "pause") {
        result = DLNA_DMRC_Pause(renderer.handle, 0);
    } else if (command == "stop") {
        result = DLNA_DMRC_Stop(renderer.handle, 0);
    } else if (command == "seek") {
        result = DLNA_DMRC_Seek(renderer.handle, 0, DLNA_REL_TIME, options.arguments[1].c_str());
    } else if (command == "volume") {
        return Volume(renderer, options);
    } else if (command == "status") {
        return Status(renderer);
    }
    return result == DLNA_OK ? 0 : Failed(command, renderer, result);
}
