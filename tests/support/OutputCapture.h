#pragma once
// Sends this process's standard output and error to a file while it lives,
// so a test can read what was logged so far while threads keep writing.
// gtest's own capture can only be read once, at its end.
#include <chrono>
#include <string>

class OutputCapture {
public:
    OutputCapture();
    ~OutputCapture();  // restores both streams; replays the text on failure
    OutputCapture(const OutputCapture&) = delete;
    OutputCapture& operator=(const OutputCapture&) = delete;

    std::string Text() const;
    // True once `text` has appeared, within the time-out.
    bool WaitFor(const std::string& text, std::chrono::milliseconds timeout);
    size_t Count(const std::string& text) const;

private:
    std::string path_;
    int saved_out_ = -1;
    int saved_err_ = -1;
};
