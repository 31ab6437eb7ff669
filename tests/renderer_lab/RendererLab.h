#pragma once
// The staged dlna-renderer inside the lab, and a GUPnP control point that
// drives it one request at a time.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "LabGuard.h"

inline constexpr char kLabAddress[] = "198.51.100.1";
inline constexpr char kAVTransport[] = "urn:schemas-upnp-org:service:AVTransport:1";
inline constexpr char kRenderingControl[] = "urn:schemas-upnp-org:service:RenderingControl:1";
inline constexpr char kConnectionManager[] = "urn:schemas-upnp-org:service:ConnectionManager:1";

// dlna-renderer from the test's private staged install, on the lab address.
class StagedRenderer {
public:
    StagedRenderer(const std::string& name, std::vector<std::string> arguments);
    // Until it printed its description URL; false when it exited first.
    bool WaitUntilServing();
    ChildProcess& Process() { return process_; }
    const std::string& Location() const { return location_; }
    const std::string& Address() const { return address_; }
    int Port() const { return port_; }

private:
    ChildProcess process_;
    std::string location_, address_;
    int port_ = 0;
};

struct Reply {
    bool ok = false;
    int fault = 0;  // the UPnP error code of a fault
    std::string text;
    std::map<std::string, std::string> out;

    std::string operator[](const std::string& argument) const {
        auto found = out.find(argument);
        return found == out.end() ? std::string("<missing ") + argument + ">" : found->second;
    }
};

class GupnpRenderer {
public:
    explicit GupnpRenderer(const std::string& friendly_name);
    bool WaitUntilFound();
    Reply Call(const std::string& service_type, const std::string& action,
               const std::vector<std::pair<std::string, std::string>>& arguments = {});

private:
    ChildProcess process_;
    size_t read_ = 0;
};

// A GUPnP control point that only listens: subscribed to AVTransport and
// RenderingControl, it reads their LastChange events in order.
class GupnpSubscriber {
public:
    explicit GupnpSubscriber(const std::string& friendly_name);
    // Until both services' first events (the whole state) have arrived.
    bool WaitUntilSubscribed();
    // The next event of "AVT" or "RCS" whose value holds `text`, read past
    // the events before it; empty when none comes within `seconds`.
    std::string WaitForEvent(const std::string& service, const std::string& text,
                             int seconds = 15);
    ChildProcess& Process() { return process_; }

private:
    ChildProcess process_;
    size_t read_ = 0;
};

// Both, started and found; a test asserts `ready`.
class RendererLab : public testing::Test {
protected:
    void Start(const std::string& name, std::vector<std::string> arguments);

    std::unique_ptr<StagedRenderer> renderer;
    std::unique_ptr<GupnpRenderer> peer;
    bool ready = false;
};

// "H:MM:SS" in seconds; -1 when it is no such text.
int Seconds(const std::string& time);
