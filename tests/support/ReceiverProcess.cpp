#include "ReceiverProcess.h"

#include "HttpClient.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

ReceiverProcess::ReceiverProcess(const std::string& directory,
                                 const std::vector<std::string>& arguments,
                                 const std::vector<std::pair<std::string, std::string>>& environment) {
    char pattern[] = "/tmp/halvorn-receiver-XXXXXX";
    int log = mkstemp(pattern);
    log_path_ = pattern;
    pid_ = fork();
    if (pid_ == 0) {
        // Standard input stays open and silent, as for a child of another
        // program; output goes to the log file.
        int null = open("/dev/null", O_RDONLY);
        dup2(null, 0);
        dup2(log, 1);
        dup2(log, 2);
        if (chdir(directory.c_str()) != 0) _exit(126);
        for (const auto& [name, value] : environment) setenv(name.c_str(), value.c_str(), 1);
        std::vector<char*> argv;
        std::string exe = directory + "/Halvorn";
        argv.push_back(exe.data());
        std::vector<std::string> copies = arguments;
        for (auto& argument : copies) argv.push_back(argument.data());
        argv.push_back(nullptr);
        execv(exe.c_str(), argv.data());
        _exit(127);
    }
    close(log);
}

ReceiverProcess::~ReceiverProcess() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    unlink(log_path_.c_str());
}

std::string ReceiverProcess::Output() {
    std::ifstream in(log_path_);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool ReceiverProcess::WaitUntilServing(int timeout_seconds) {
    const std::regex pattern(R"(Initialize address: ([0-9.]+):(\d+))");
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeout_seconds);
    while (std::chrono::steady_clock::now() < deadline) {
        std::string output = Output();
        std::smatch match;
        if (std::regex_search(output, match, pattern)) {
            address_ = match[1].str();
            port_ = std::stoi(match[2].str());
            // Serving once the device answers control requests.
            if (SoapCall(address_, port_, "/control/tvcontrol",
                         "urn:tundric-com:service:tvcontrol:1", "GetTVMode", {})
                    .status == 200)
                return true;
        }
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

int ReceiverProcess::Stop(int signal, int timeout_seconds) {
    if (pid_ <= 0) return -1;
    kill(pid_, signal);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeout_seconds);
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return status;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return -1;
}
