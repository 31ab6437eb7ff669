// dlna-renderer: a DLNA media renderer that plays through GStreamer, built on
// libDLNA's public header alone.
#include <gst/gst.h>
#include <signal.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "DLNA.h"
#include "Options.h"
#include "PortCheck.h"
#include "Player.h"
#include "RendererConfig.h"
#include "RendererHost.h"
#include "SinkFormats.h"

namespace {

int Fail(const std::string& message) {
    std::fprintf(stderr, "dlna-renderer: %s\n", message.c_str());
    return 1;
}

std::string DefaultDescription() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return (exe.parent_path() / ".." / "share" / "dlna" / "web" / "DMR.xml").lexically_normal();
}

std::string DefaultName() {
    char host[HOST_NAME_MAX + 1] = {};
    gethostname(host, sizeof host - 1);
    return std::string("dlna-renderer on ") + host;
}

// "http-get:*:FORMAT:INFO" for each format GStreamer can play.
int SetSinkList() {
    std::vector<SinkFormat> formats = PlayableFormats();
    std::string protocol = "http-get", any = "*";
    std::vector<DLNA_PROTOCOL_INFO> entries;
    for (SinkFormat& format : formats)
        entries.push_back({protocol.data(), any.data(), format.content_format.data(),
                           format.additional_info.data()});
    return DLNA_DMR_SetProtocolInfo(entries.data(), static_cast<unsigned>(entries.size()));
}

// Runs the renderer until a signal of `stop` arrives; the exit status.
int Serve(const Options& options, const std::string& description, const sigset_t& stop) {
    std::unique_ptr<Player> player;
    if (!options.null_host) {
        std::string why;
        player = Player::Create(options.audio_sink, options.video_sink, &why);
        if (!player) return Fail(why);
    }
    RendererHost host(std::move(player));

    if (DLNA_Initialize(options.address.c_str(), options.port) != DLNA_OK)
        return Fail("UPnP does not start on " +
                    (options.address.empty() ? std::string("any interface") : options.address) +
                    (options.port ? ":" + std::to_string(options.port) : std::string()) +
                    "; check that --ip names an address of this machine and --port is free");
    if (int rc = DLNA_CreateDevice(description.c_str()); rc != DLNA_OK) {
        DLNA_Finalize();
        return Fail("cannot create the renderer from " + description + " (" + DLNA_ResultText(rc) +
                    "); check the description and the files beside it");
    }
    DLNA_SetCallback(&RendererHost::Callback, &host);

    std::string name = options.name.empty() ? DefaultName() : options.name;
    DLNA_DEVICE_INFO identity{};
    identity.friendly_name = name.data();
    DLNA_DMR_SetDeviceInfo(&identity);
    // --null leaves the list as the library has it: empty.
    if (!options.null_host) SetSinkList();
    host.Attach();

    DLNA_DEVICE_INFO info{};
    if (DLNA_DMR_GetDeviceInfo(&info) == DLNA_OK) {
        std::printf("dlna-renderer: \"%s\" serving %s\n", info.friendly_name, info.location);
        DLNA_FreeDeviceInfo(&info);
    }
    std::fflush(stdout);

    int signal = 0;
    sigwait(&stop, &signal);
    std::printf("dlna-renderer: stopping (%s)\n", strsignal(signal));
    std::fflush(stdout);
    // Finalize waits for the library's threads; none may then wait on a store.
    host.Detach();
    DLNA_Finalize();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // The command line names the files to read, then goes over their values.
    int status = 0;
    Options given;
    if (!ParseOptions(argc, argv, &given, &status)) return status;
    const bool named = !given.config.empty();
    Options options;
    std::string error;
    for (const std::string& file : named ? std::vector{given.config} : DefaultRendererConfigs())
        if (!ReadRendererConfig(file, named, &options, &error)) return Fail(error);
    ParseOptions(argc, argv, &options, &status);

    const std::string description =
        options.description.empty() ? DefaultDescription() : options.description;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(description, ec))
        return Fail("no renderer description at " + description +
                    "; install the renderer's data or name it with --desc PATH");
    if (PortInUse(options.address, options.port))
        return Fail("port " + std::to_string(options.port) +
                    " is in use; choose another with --port (0 lets the system choose)");

    // Every thread started from here on inherits the mask; main waits for the signals.
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGTERM);
    sigaddset(&stop, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stop, nullptr);

    GError* gst_error = nullptr;
    if (!gst_init_check(&argc, &argv, &gst_error))
        return Fail(std::string("GStreamer does not start: ") +
                    (gst_error ? gst_error->message : "unknown error"));

    status = Serve(options, description, stop);
    // GStreamer's own memory goes back only once the player is gone.
    gst_deinit();
    return status;
}
