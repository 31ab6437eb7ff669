#pragma once
// The staged receiver driving a private Xvfb, with the pointer ranges that
// span the whole screen: the set-up of every end-to-end receiver test.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "LabGuard.h"
#include "ReceiverProcess.h"
#include "XvfbServer.h"

class ReceiverOnXvfb : public testing::Test {
protected:
    explicit ReceiverOnXvfb(std::string stage) : stage_(std::move(stage)) {}

    void SetUp() override {
        HALVORN_REQUIRE_LAB();
        xvfb = std::make_unique<XvfbServer>();
        ASSERT_TRUE(xvfb->Running()) << xvfb->Error();
        receiver = std::make_unique<ReceiverProcess>(
            stage_, std::vector<std::string>{"--max-x", "65536", "--max-y", "65536"},
            std::vector<std::pair<std::string, std::string>>{{"DISPLAY", xvfb->Display()}});
        ASSERT_TRUE(receiver->WaitUntilServing()) << receiver->Output();
    }
    void TearDown() override {
        receiver.reset();  // before the X server it injects into
        xvfb.reset();
    }

    std::unique_ptr<XvfbServer> xvfb;
    std::unique_ptr<ReceiverProcess> receiver;

private:
    std::string stage_;
};
