#include "CommandLine.h"

#include <getopt.h>

#include <charconv>

const char kUsage[] =
    "usage: dlna-server [--name NAME] [--password PW] [--port N] [--ip ADDR]\n"
    "                   [--desc PATH] [--recursive] [--watch] [DIR...]\n"
    "Shares the media files of each DIR as a UPnP/DLNA media server until\n"
    "SIGTERM or SIGINT. Without DIR: your music, videos and pictures folders\n"
    "(XDG user dirs), with their sub-folders, followed as they change.\n"
    "  --name NAME      friendly name shown by clients\n"
    "  --password PW    clients must authenticate before they browse\n"
    "  --port N         HTTP port (default: any free port)\n"
    "  --ip ADDR        IPv4 address to serve on (default: first usable interface)\n"
    "  --desc PATH      server description (default: <prefix>/share/dlna/web/DMS.xml)\n"
    "  --recursive      share sub-folders too\n"
    "  --watch          follow files added to and removed from the folders\n";

namespace {

bool ParsePort(const char* text, int* port) {
    const std::string_view view(text);
    int value = -1;
    auto [end, error] = std::from_chars(view.data(), view.data() + view.size(), value);
    if (error != std::errc() || end != view.data() + view.size() || value < 0 || value > 65535)
        return false;
    *port = value;
    return true;
}

}  // namespace

bool ParseCommandLine(int argc, char** argv, const std::string& default_description,
                      ServerOptions* options, std::string* error) {
    static const option kOptions[] = {
        {"name", required_argument, nullptr, 'n'},
        {"password", required_argument, nullptr, 'p'},
        {"port", required_argument, nullptr, 'P'},
        {"ip", required_argument, nullptr, 'i'},
        {"desc", required_argument, nullptr, 'd'},
        {"recursive", no_argument, nullptr, 'r'},
        {"watch", no_argument, nullptr, 'w'},
        {"help", no_argument, nullptr, 'h'},
        {nullptr, 0, nullptr, 0},
    };
    *options = ServerOptions{};
    options->description = default_description;
    opterr = 0;
    optind = 1;
    for (int c; (c = getopt_long(argc, argv, ":h", kOptions, nullptr)) != -1;) {
        switch (c) {
            case 'n':
                options->name = optarg;
                break;
            case 'p':
                options->password = optarg;
                break;
            case 'i':
                options->ip = optarg;
                break;
            case 'd':
                options->description = optarg;
                break;
            case 'r':
                options->recursive = true;
                break;
            case 'w':
                options->watch = true;
                break;
            case 'h':
                options->help = true;
                return true;
            case 'P':
                if (!ParsePort(optarg, &options->port)) {
                    *error =
                        std::string("--port wants a number from 0 to 65535, not '") + optarg + "'";
                    return false;
                }
                break;
            case ':':
                *error = std::string(argv[optind - 1]) + " needs a value";
                return false;
            default:
                *error = std::string("unknown option ") + argv[optind - 1];
                return false;
        }
    }
    for (int i = optind; i < argc; ++i) options->folders.emplace_back(argv[i]);
    return true;
}
