#pragma once
// The three long-running programs as installed (the receiver, dlna-renderer
// --null, dlna-server), started inside the lab the way an operator would,
// with what a client needs to reach each: its address, its services, and
// one request that must always succeed.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ChildProcess.h"
#include "HttpClient.h"

// One service of a description, with the action that takes the most
// in-arguments (each set to "0").
struct ServiceEndpoint {
    std::string type;
    std::string control_path;
    std::string action;
    std::vector<std::pair<std::string, std::string>> arguments;
};

class StagedProgram {
public:
    enum class Kind { Receiver, Renderer, Server };

    using Environment = std::vector<std::pair<std::string, std::string>>;

    // `stage` is the install prefix (the receiver's: its folder). The server
    // shares `media`. The receiver should be given a private DISPLAY: it
    // would otherwise inject into whatever desktop the test inherited.
    StagedProgram(Kind kind, const std::string& stage, const std::string& media = {},
                  const Environment& environment = {});

    static const char* Name(Kind kind);
    Kind GetKind() const { return kind_; }

    // Waits (bounded) until it announced its address and answers GoodRequest.
    bool WaitUntilServing(int timeout_seconds = 60);
    bool Running() { return process_.Running(); }
    std::string Output() const { return process_.Output(); }
    const std::string& Address() const { return address_; }
    int Port() const { return port_; }
    pid_t Pid() const { return process_.Pid(); }
    long ResidentKiB() const { return process_.ResidentKiB(); }

    // The services its description lists, read over HTTP.
    std::vector<ServiceEndpoint> Services() const;
    // KeyPress-free requests that succeed whatever came before: GetTVMode,
    // GetTransportInfo, Browse of the root's children.
    WireResponse GoodRequest() const;
    bool AnswersGoodRequest() const;

private:
    Kind kind_;
    ChildProcess process_;
    std::string address_;
    int port_ = 0;
};
