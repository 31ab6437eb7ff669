#pragma once
// The media server through the library, and the check of what a shared
// folder put into it. The only part of the application that calls DLNA_
// functions.
#include <stop_token>
#include <string>

class DLNAUnitTest {
public:
    // Starts the library and the server of the description at
    // `description_path`. A failure leaves the application without a
    // server (logged, nothing shown to the user).
    explicit DLNAUnitTest(const std::string& description_path);
    ~DLNAUnitTest();
    DLNAUnitTest(const DLNAUnitTest&) = delete;
    DLNAUnitTest& operator=(const DLNAUnitTest&) = delete;

    bool HasServer() const { return has_server_; }

    // A sharing thread's job: shares the files of `folder` (not its
    // sub-folders), reads every item back and checks it, names the server
    // after this host, then waits until `stop` is requested. `folder` is in
    // the file system's encoding.
    void ShareAndCheck(std::string folder, std::stop_token stop);

private:
    bool has_server_ = false;
};
