#include "OutputCapture.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

OutputCapture::OutputCapture() {
    char pattern[] = "/tmp/halvorn-output-XXXXXX";
    const int fd = mkstemp(pattern);
    path_ = pattern;
    std::fflush(stdout);
    std::fflush(stderr);
    saved_out_ = dup(1);
    saved_err_ = dup(2);
    dup2(fd, 1);
    dup2(fd, 2);
    close(fd);
}

OutputCapture::~OutputCapture() {
    std::fflush(stdout);
    std::fflush(stderr);
    dup2(saved_out_, 1);
    dup2(saved_err_, 2);
    close(saved_out_);
    close(saved_err_);
    if (testing::Test::HasFailure()) std::fprintf(stderr, "--- output ---\n%s", Text().c_str());
    unlink(path_.c_str());
}

std::string OutputCapture::Text() const {
    std::ifstream in(path_);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool OutputCapture::WaitFor(const std::string& text, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        if (Text().find(text) != std::string::npos) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return Text().find(text) != std::string::npos;
}

size_t OutputCapture::Count(const std::string& text) const {
    const std::string all = Text();
    size_t count = 0;
    for (size_t at = all.find(text); at != std::string::npos; at = all.find(text, at + 1)) ++count;
    return count;
}
