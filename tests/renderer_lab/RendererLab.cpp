#include "RendererLab.h"

#include <algorithm>
#include <cstdio>
#include <regex>

// A sanitizer build's renderer must not fail its exit on GLib's own memory.
StagedRenderer::StagedRenderer(const std::string& name, std::vector<std::string> arguments)
    : process_(
          std::string(RENDERER_STAGE) + "/bin/dlna-renderer",
          [&] {
              arguments.insert(arguments.begin(), {"--ip", kLabAddress, "--name", name});
              return arguments;
          }(),
          ChildProcess::Setup{{{"LSAN_OPTIONS", "suppressions=" LSAN_SUPPRESSIONS}}, {}, false}) {}

bool StagedRenderer::WaitUntilServing() {
    auto match = process_.WaitForOutput(R"(serving (http://([0-9.]+):(\d+)/\S+))", 30);
    if (match.empty()) return false;
    location_ = match[1];
    address_ = match[2];
    port_ = std::stoi(match[3]);
    return true;
}

GupnpRenderer::GupnpRenderer(const std::string& friendly_name)
    : process_("/usr/bin/python3", {PEER_SCRIPT, "lab0", friendly_name},
               ChildProcess::Setup{{}, {}, true}) {}

bool GupnpRenderer::WaitUntilFound() {
    return !process_.WaitForOutput(R"(ready uuid:\S+\n)", 30, 0, &read_).empty();
}

GupnpSubscriber::GupnpSubscriber(const std::string& friendly_name)
    : process_("/usr/bin/python3", {SUBSCRIBER_SCRIPT, "lab0", friendly_name},
               ChildProcess::Setup{{}, {}, true}) {}

bool GupnpSubscriber::WaitUntilSubscribed() {
    if (process_.WaitForOutput(R"(ready uuid:\S+\n)", 30, 0, &read_).empty()) return false;
    // The two first events may come in either order.
    const size_t start = read_;
    size_t end = start;
    for (const char* service : {"AVT", "RCS"}) {
        read_ = start;
        if (WaitForEvent(service, service == std::string("AVT") ? "<TransportState " : "<Volume ")
                .empty())
            return false;
        end = std::max(end, read_);
    }
    read_ = end;
    return true;
}

std::string GupnpSubscriber::WaitForEvent(const std::string& service, const std::string& text,
                                          int seconds) {
    static const std::regex kSpecial(R"([.^$|()\[\]{}*+?\\])");
    const std::string literal = std::regex_replace(text, kSpecial, R"(\$&)");
    auto match = process_.WaitForOutput("event " + service + " ([^\n]*" + literal + "[^\n]*)\n",
                                        seconds, read_, &read_);
    return match.empty() ? std::string() : match[1];
}

namespace {

std::string Unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[++i];
        out += next == 't' ? '\t' : next == 'n' ? '\n' : next;
    }
    return out;
}

}  // namespace

Reply GupnpRenderer::Call(const std::string& service_type, const std::string& action,
                          const std::vector<std::pair<std::string, std::string>>& arguments) {
    std::string line = service_type + " " + action;
    // An empty value is sent as an empty argument: "Name=".
    for (const auto& [name, value] : arguments) line += " " + name + "=" + value;
    Reply reply;
    if (!process_.Send(line)) {
        reply.text = "control point gone: " + process_.Output();
        return reply;
    }
    auto match = process_.WaitForOutput(R"(reply (ok|fault) ?([^\n]*)\n)", 30, read_, &read_);
    if (match.empty()) {
        reply.text = "no reply: " + process_.Output();
        return reply;
    }
    reply.text = match[2];
    if (match[1] == "fault") {
        reply.fault = std::atoi(reply.text.c_str());
        return reply;
    }
    reply.ok = true;
    size_t start = 0;
    while (start < reply.text.size()) {
        size_t tab = reply.text.find('\t', start);
        if (tab == std::string::npos) tab = reply.text.size();
        const std::string pair = reply.text.substr(start, tab - start);
        const size_t equals = pair.find('=');
        if (equals != std::string::npos)
            reply.out[pair.substr(0, equals)] = Unescape(pair.substr(equals + 1));
        start = tab + 1;
    }
    return reply;
}

void RendererLab::Start(const std::string& name, std::vector<std::string> arguments) {
    renderer = std::make_unique<StagedRenderer>(name, std::move(arguments));
    ASSERT_TRUE(renderer->WaitUntilServing()) << renderer->Process().Output();
    peer = std::make_unique<GupnpRenderer>(name);
    ASSERT_TRUE(peer->WaitUntilFound()) << renderer->Process().Output();
    ready = true;
}

int Seconds(const std::string& time) {
    unsigned hours = 0, minutes = 0, seconds = 0;
    if (std::sscanf(time.c_str(), "%u:%u:%u", &hours, &minutes, &seconds) != 3) return -1;
    return static_cast<int>(hours * 3600 + minutes * 60 + seconds);
}
