// dlna-control: a command-line control point. It finds the renderers and
// servers on the network, then lists them, browses a server or drives a
// renderer, and exits. Written against DLNA.h alone.
#include <chrono>
#include <cstdio>
#include <string>

#include "CommandLine.h"
#include "Commands.h"
#include "DLNA.h"
#include "DeviceDirectory.h"
#include "Streams.h"

namespace {

// The library for the program's lifetime.
class Library {
public:
    explicit Library(const ControlOptions& options)
        : started_(DLNA_Initialize(options.ip.empty() ? nullptr : options.ip.c_str(),
                                   static_cast<uint16_t>(options.port)) == DLNA_OK) {}
    ~Library() { DLNA_Finalize(); }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
    bool Started() const { return started_; }

private:
    bool started_;
};

int Run(const ControlOptions& options) {
    Library library(options);
    if (!library.Started())
        return Fail("cannot start UPnP" + (options.ip.empty() ? "" : " on " + options.ip) +
                    " (--ip must name an IPv4 address of this machine, --port a free port)");
    DeviceDirectory directory;
    DLNA_StartControlPoint(3);
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(options.wait_ms);

    if (options.command == "list") {
        directory.WaitUntil(deadline, [](const auto&) { return false; });
        return ListDevices(directory.Devices());
    }

    const DeviceKind kind = options.command == "browse" ? DeviceKind::Server : DeviceKind::Renderer;
    const std::string& name = options.arguments[0];
    directory.WaitUntil(deadline,
                        [&](const auto& devices) { return NamesExactly(devices, kind, name); });
    const auto found = Candidates(directory.Devices(), kind, name);
    if (found.size() != 1) {
        Fail(std::string(found.empty() ? "no " : "more than one ") + KindName(kind) +
             " matches \"" + name + "\"");
        const auto others = found.empty() ? directory.Devices() : found;
        for (const FoundDevice& device : others)
            if (device.kind == kind)
                std::fprintf(Err(), "  %s\t%s\n", device.name.c_str(), device.udn.c_str());
        return 1;
    }
    return kind == DeviceKind::Server ? Browse(found[0], options)
                                      : DriveRenderer(found[0], options);
}

}  // namespace

int main(int argc, char** argv) {
    ControlOptions options;
    std::string error;
    if (!ParseCommandLine(argc, argv, &options, &error)) {
        std::fprintf(stderr, "dlna-control: %s\n%s", error.c_str(), kUsage);
        return 1;
    }
    if (options.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    SeparateLibraryLog(options.verbose);
    const int status = Run(options);
    std::fflush(Out());
    return status;
}
