#include "CommandLine.h"

#include <getopt.h>

#include "ConfigFile.h"

const char kUsage[] =
    "usage: dlna-server [--config PATH] [--name NAME] [--password PW] [--port N]\n"
    "                   [--ip ADDR] [--desc PATH] [--recursive] [--watch] [DIR...]\n"
    "Shares the media files of each DIR as a UPnP/DLNA media server until\n"
    "SIGTERM or SIGINT. Without DIR (nor folder in the configuration file):\n"
    "your music, videos and pictures folders (XDG user dirs), with their\n"
    "sub-folders, followed as they change. Options override the file's keys,\n"
    "and DIRs replace its folders.\n"
    "  --config PATH    configuration file (default: /etc/dlna-server.conf if present)\n"
    "  --name NAME      friendly name shown by clients\n"
    "  --password PW    clients must authenticate before they browse\n"
    "  --port N         HTTP port (default: any free port)\n"
    "  --ip ADDR        IPv4 address to serve on (default: first usable interface)\n"
    "  --desc PATH      server description (default: <prefix>/share/dlna/web/DMS.xml)\n"
    "  --recursive      share sub-folders too\n"
    "  --watch          follow files added to and removed from the folders\n";

bool ParseCommandLine(int argc, char** argv, ServerOptions* options, std::string* error) {
    static const option kOptions[] = {
        {"config", required_argument, nullptr, 'c'},
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
    opterr = 0;
    optind = 1;
    for (int c; (c = getopt_long(argc, argv, ":h", kOptions, nullptr)) != -1;) {
        switch (c) {
            case 'c':
                options->config = optarg;
                break;
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
            case 'P': {
                uint16_t port = 0;
                if (!config_value::Port(optarg, &port)) {
                    *error =
                        std::string("--port wants a number from 0 to 65535, not '") + optarg + "'";
                    return false;
                }
                options->port = port;
                break;
            }
            case ':':
                *error = std::string(argv[optind - 1]) + " needs a value";
                return false;
            default:
                *error = std::string("unknown option ") + argv[optind - 1];
                return false;
        }
    }
    if (optind < argc) options->folders.clear();
    for (int i = optind; i < argc; ++i) options->folders.push_back({argv[i]});
    return true;
}
