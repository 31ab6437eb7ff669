#include "Options.h"

#include <getopt.h>

#include <cstdio>

#include "ConfigFile.h"

namespace {

constexpr char kUsage[] =
    "usage: dlna-renderer [options]\n"
    "A DLNA media renderer that plays what a control point sends it through GStreamer.\n"
    "Options override the configuration files' keys.\n"
    "  --config PATH       the one configuration file to read (default: each of\n"
    "                      /etc/dlna-renderer.conf, ~/.config/dlna-renderer.conf present)\n"
    "  --desc PATH         renderer description (default <exe dir>/../share/dlna/web/DMR.xml)\n"
    "  --name NAME         friendly name (default \"dlna-renderer on <host name>\")\n"
    "  --ip ADDR           address to serve on (default: the first usable interface)\n"
    "  --port N            port to serve on (default: any free port)\n"
    "  --audio-sink DESC   GStreamer audio sink, gst-launch syntax (default autoaudiosink)\n"
    "  --video-sink DESC   GStreamer video sink, gst-launch syntax (default autovideosink)\n"
    "  --null              play nothing: answer every request, store no state,\n"
    "                      announce no Sink formats\n"
    "  --help              this text\n";

enum Option { kConfig = 1, kDesc, kName, kIp, kPort, kAudioSink, kVideoSink, kNull, kHelp };

}  // namespace

bool ParseOptions(int argc, char** argv, Options* options, int* exit_status) {
    static const option kLong[] = {
        {"config", required_argument, nullptr, kConfig},
        {"desc", required_argument, nullptr, kDesc},
        {"name", required_argument, nullptr, kName},
        {"ip", required_argument, nullptr, kIp},
        {"port", required_argument, nullptr, kPort},
        {"audio-sink", required_argument, nullptr, kAudioSink},
        {"video-sink", required_argument, nullptr, kVideoSink},
        {"null", no_argument, nullptr, kNull},
        {"help", no_argument, nullptr, kHelp},
        {nullptr, 0, nullptr, 0},
    };
    opterr = 0;
    optind = 1;
    for (int option; (option = getopt_long(argc, argv, "", kLong, nullptr)) != -1;) {
        switch (option) {
            case kConfig:
                options->config = optarg;
                break;
            case kDesc:
                options->description = optarg;
                break;
            case kName:
                options->name = optarg;
                break;
            case kIp:
                options->address = optarg;
                break;
            case kPort:
                if (!config_value::Port(optarg, &options->port)) {
                    std::fprintf(
                        stderr,
                        "dlna-renderer: --port needs a number from 0 to 65535, not \"%s\"\n",
                        optarg);
                    *exit_status = 1;
                    return false;
                }
                break;
            case kAudioSink:
                options->audio_sink = optarg;
                break;
            case kVideoSink:
                options->video_sink = optarg;
                break;
            case kNull:
                options->null_host = true;
                break;
            case kHelp:
                std::fputs(kUsage, stdout);
                *exit_status = 0;
                return false;
            default:
                std::fprintf(stderr, "dlna-renderer: unknown option or missing value: %s\n%s",
                             argv[optind - 1], kUsage);
                *exit_status = 1;
                return false;
        }
    }
    if (optind < argc) {
        std::fprintf(stderr, "dlna-renderer: unexpected argument: %s\n%s", argv[optind], kUsage);
        *exit_status = 1;
        return false;
    }
    return true;
}
