#include "CommandLine.h"

#include <getopt.h>

#include <charconv>
#include <cmath>
#include <string_view>

const char kUsage[] =
    "usage: dlna-control [--ip ADDR] [--port N] [--wait SECONDS] [-v] COMMAND [ARGUMENTS]\n"
    "Finds UPnP/DLNA media renderers and servers on the network and drives them.\n"
    "  list                             the renderers and servers found\n"
    "  browse SERVER [OBJECT_ID]        the children of an object (default the root \"0\")\n"
    "         [--start N] [--count N]   from the Nth child, at most N of them\n"
    "         [--metadata]              the object itself instead\n"
    "         [--password PW]           answer the server's password challenge\n"
    "  play RENDERER [URL]              play URL, or resume without one\n"
    "  pause RENDERER\n"
    "  stop RENDERER\n"
    "  seek RENDERER H:MM:SS\n"
    "  volume RENDERER [0-100]          show or set the volume\n"
    "  status RENDERER                  transport state, position, duration, URI\n"
    "SERVER and RENDERER are a UDN or a unique prefix of a friendly name.\n"
    "  --ip ADDR       IPv4 address to use (default: first usable interface)\n"
    "  --port N        UPnP port (default: any free port)\n"
    "  --wait SECONDS  how long to look for devices (default 4)\n"
    "  -v, --verbose   show the library's log on standard error\n";

namespace {

template <class T>
bool ParseNumber(std::string_view text, T low, T high, T* out) {
    T value{};
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < low ||
        value > high)
        return false;
    *out = value;
    return true;
}

struct Shape {
    const char* command;
    size_t least;
    size_t most;
    const char* arguments;
};

constexpr Shape kShapes[] = {
    {"list", 0, 0, ""},
    {"browse", 1, 2, " SERVER [OBJECT_ID]"},
    {"play", 1, 2, " RENDERER [URL]"},
    {"pause", 1, 1, " RENDERER"},
    {"stop", 1, 1, " RENDERER"},
    {"seek", 2, 2, " RENDERER H:MM:SS"},
    {"volume", 1, 2, " RENDERER [0-100]"},
    {"status", 1, 1, " RENDERER"},
};

// H:MM:SS, as AVTransport takes a REL_TIME target.
bool IsTime(std::string_view text) {
    const size_t first = text.find(':');
    if (first == 0 || first == std::string_view::npos || text.size() != first + 6 ||
        text[first + 3] != ':')
        return false;
    for (size_t i = 0; i < text.size(); ++i)
        if (i != first && i != first + 3 && (text[i] < '0' || text[i] > '9')) return false;
    return text[first + 1] < '6' && text[first + 4] < '6';
}

bool CheckArguments(const ControlOptions& options, std::string* error) {
    for (const Shape& shape : kShapes) {
        if (options.command != shape.command) continue;
        const size_t given = options.arguments.size();
        if (given < shape.least || given > shape.most) {
            *error = std::string("usage: dlna-control ") + shape.command + shape.arguments;
            return false;
        }
        if (options.command == "seek" && !IsTime(options.arguments[1])) {
            *error = "seek wants a time as H:MM:SS, not '" + options.arguments[1] + "'";
            return false;
        }
        int volume = 0;
        if (options.command == "volume" && given == 2 &&
            !ParseNumber(std::string_view(options.arguments[1]), 0, 100, &volume)) {
            *error = "volume wants a number from 0 to 100, not '" + options.arguments[1] + "'";
            return false;
        }
        return true;
    }
    *error =
        options.command.empty() ? "no command given" : "unknown command '" + options.command + "'";
    return false;
}

}  // namespace

bool ParseCommandLine(int argc, char** argv, ControlOptions* options, std::string* error) {
    static const option kOptions[] = {
        {"ip", required_argument, nullptr, 'i'},       {"port", required_argument, nullptr, 'P'},
        {"wait", required_argument, nullptr, 'w'},     {"start", required_argument, nullptr, 's'},
        {"count", required_argument, nullptr, 'c'},    {"metadata", no_argument, nullptr, 'm'},
        {"password", required_argument, nullptr, 'p'}, {"verbose", no_argument, nullptr, 'v'},
        {"help", no_argument, nullptr, 'h'},           {nullptr, 0, nullptr, 0},
    };
    *options = ControlOptions{};
    opterr = 0;
    optind = 1;
    for (int c; (c = getopt_long(argc, argv, ":hv", kOptions, nullptr)) != -1;) {
        const std::string_view value = optarg ? optarg : "";
        switch (c) {
            case 'i':
                options->ip = value;
                break;
            case 'P':
                if (!ParseNumber(value, 0, 65535, &options->port)) {
                    *error =
                        "--port wants a number from 0 to 65535, not '" + std::string(value) + "'";
                    return false;
                }
                break;
            case 'w': {
                double seconds = -1;
                auto [end, failed] =
                    std::from_chars(value.data(), value.data() + value.size(), seconds);
                if (failed != std::errc() || end != value.data() + value.size() ||
                    !(seconds >= 0 && seconds <= 3600)) {
                    *error =
                        "--wait wants seconds from 0 to 3600, not '" + std::string(value) + "'";
                    return false;
                }
                options->wait_ms = static_cast<int>(std::lround(seconds * 1000));
                break;
            }
            case 's':
            case 'c': {
                uint32_t* out = c == 's' ? &options->start : &options->count;
                if (!ParseNumber(value, uint32_t{0}, UINT32_MAX, out)) {
                    *error = std::string(c == 's' ? "--start" : "--count") +
                             " wants a number of objects, not '" + std::string(value) + "'";
                    return false;
                }
                break;
            }
            case 'm':
                options->metadata = true;
                break;
            case 'p':
                options->password = std::string(value);
                break;
            case 'v':
                options->verbose = true;
                break;
            case 'h':
                options->help = true;
                return true;
            case ':':
                *error = std::string("option ") + argv[optind - 1] + " wants a value";
                return false;
            default:
                *error = std::string("unknown option ") + argv[optind - 1];
                return false;
        }
    }
    if (optind < argc) options->command = argv[optind++];
    for (; optind < argc; ++optind) options->arguments.push_back(argv[optind]);
    return CheckArguments(*options, error);
}
