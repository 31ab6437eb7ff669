#include <fcntl.h>
#include <gtest/gtest.h>
#include <libevdev/libevdev.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "InputInjector.h"
#include "ScopedEnv.h"
#include "UinputInjector.h"
#include "XTestInjector.h"
#include "XvfbServer.h"

using namespace platform;

namespace {

constexpr uint16_t kKeyA = 30;        // KEY_A
constexpr uint16_t kKeyS = 31;        // KEY_S
constexpr unsigned kXKeycodeA = 38;   // KEY_A + 8
constexpr unsigned kXKeycodeS = 39;

InputRecord Key(uint16_t scan, bool up = false) {
    InputRecord r{};
    r.type = kInputKeyboard;
    r.ki.wScan = scan;
    r.ki.dwFlags = kKeyEventScanCode | (up ? kKeyEventKeyUp : 0);
    return r;
}

InputRecord Mouse(uint32_t flags, int32_t dx = 0, int32_t dy = 0) {
    InputRecord r{};
    r.type = kInputMouse;
    r.mi.dx = dx;
    r.mi.dy = dy;
    r.mi.dwFlags = flags;
    return r;
}

InputRecord MoveTo(int32_t dx, int32_t dy) {
    return Mouse(kMouseEventMove | kMouseEventAbsolute, dx, dy);
}

bool SameRecord(const InputRecord& a, const InputRecord& b) {
    if (a.type != b.type)
        return false;
    if (a.type == kInputKeyboard)
        return a.ki.wScan == b.ki.wScan && a.ki.dwFlags == b.ki.dwFlags;
    return a.mi.dx == b.mi.dx && a.mi.dy == b.mi.dy && a.mi.dwFlags == b.mi.dwFlags;
}

bool UinputUsable() {
    const int fd = open("/dev/uinput", O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return false;
    close(fd);
    return true;
}

}  // namespace

TEST(RecordingInjector, KeepsCopiesOfEachBatchInOrder) {
    RecordingInjector injector;
    InputRecord pair[] = {MoveTo(100, 200), Mouse(kMouseEventLeftDown)};
    InputRecord key[] = {Key(kKeyA)};

    EXPECT_EQ(injector.Send(pair, 2), 2u);
    EXPECT_EQ(injector.Send(key, 1), 1u);
    pair[0].mi.dx = 7;  // the recording must not alias the caller's buffer

    ASSERT_EQ(injector.batches.size(), 2u);
    ASSERT_EQ(injector.batches[0].size(), 2u);
    EXPECT_TRUE(SameRecord(injector.batches[0][0], MoveTo(100, 200)));
    EXPECT_TRUE(SameRecord(injector.batches[0][1], Mouse(kMouseEventLeftDown)));
    ASSERT_EQ(injector.batches[1].size(), 1u);
    EXPECT_TRUE(SameRecord(injector.batches[1][0], Key(kKeyA)));
}

TEST(RecordingInjector, RefusesWhenToldButStillRecords) {
    RecordingInjector injector;
    injector.accept = false;
    const InputRecord key[] = {Key(kKeyA), Key(kKeyA, true)};

    EXPECT_EQ(injector.Send(key, 2), 0u);
    ASSERT_EQ(injector.batches.size(), 1u);
    EXPECT_EQ(injector.batches[0].size(), 2u);
}

TEST(InputRecords, OnlyScanCodeKeysAndKnownMouseFlagsAreSupported) {
    EXPECT_TRUE(IsSupportedRecord(Key(kKeyA)));
    EXPECT_TRUE(IsSupportedRecord(Key(kKeyA, true)));
    EXPECT_TRUE(IsSupportedRecord(Mouse(kMouseEventMove, -5, 3)));
    EXPECT_TRUE(IsSupportedRecord(MoveTo(0, 65535)));
    EXPECT_TRUE(IsSupportedRecord(Mouse(kMouseEventMiddleDown)));

    InputRecord virtualKey = Key(kKeyA);
    virtualKey.ki.dwFlags = 0;  // named by wVk, which has no mapping
    EXPECT_FALSE(IsSupportedRecord(virtualKey));
    InputRecord unicode = Key(kKeyA);
    unicode.ki.dwFlags |= 0x0004;
    EXPECT_FALSE(IsSupportedRecord(unicode));
    EXPECT_FALSE(IsSupportedRecord(Key(0)));
    EXPECT_FALSE(IsSupportedRecord(Mouse(0x0800)));  // wheel
    InputRecord hardware = Key(kKeyA);
    hardware.type = 2;
    EXPECT_FALSE(IsSupportedRecord(hardware));
}

TEST(CreateInputInjector, WithoutDisplayFallsBackAndExplains) {
    ScopedEnv noDisplay("DISPLAY", nullptr);
    std::string why;
    auto injector = CreateInputInjector(&why);
    ASSERT_NE(injector, nullptr);

    if (UinputUsable()) {
        EXPECT_STREQ(injector->Name(), "uinput");
        EXPECT_EQ(why.rfind("uinput: no X display", 0), 0u) << why;
        return;
    }
    EXPECT_STREQ(injector->Name(), "none");
    EXPECT_NE(why.find("no input backend"), std::string::npos) << why;
    EXPECT_NE(why.find("DISPLAY is not set"), std::string::npos) << why;
    EXPECT_NE(why.find("/dev/uinput cannot be opened ("), std::string::npos) << why;
    const InputRecord key[] = {Key(kKeyA)};
    EXPECT_EQ(injector->Send(key, 1), 0u);
}

TEST(XTestInjector, UnreachableDisplayIsNamedInTheReason) {
    ScopedEnv display("DISPLAY", ":1999");
    std::string why;
    EXPECT_EQ(XTestInjector::Open(&why), nullptr);
    EXPECT_NE(why.find(":1999"), std::string::npos) << why;
}

TEST(XTestInjector, DisplayWithoutXTestIsRefused) {
    if (!XvfbServer::Installed())
        GTEST_SKIP() << "Xvfb is not installed";
    XvfbServer server({"-extension", "XTEST"});
    ASSERT_TRUE(server.Running()) << server.Error();
    ScopedEnv display("DISPLAY", server.Display().c_str());
    std::string why;
    EXPECT_EQ(XTestInjector::Open(&why), nullptr);
    EXPECT_EQ(why, "X display " + server.Display() + " has no XTEST extension");
}

TEST(XTestInjector, LostServerRefusesBatchesInsteadOfEndingTheProcess) {
    if (!XvfbServer::Installed())
        GTEST_SKIP() << "Xvfb is not installed";
    auto server = std::make_unique<XvfbServer>();
    ASSERT_TRUE(server->Running()) << server->Error();
    ScopedEnv display("DISPLAY", server->Display().c_str());
    std::string why;
    auto injector = XTestInjector::Open(&why);
    ASSERT_NE(injector, nullptr) << why;
    InputRecord key{};
    key.type = kInputKeyboard;
    key.ki.wScan = 30;
    key.ki.dwFlags = kKeyEventScanCode;
    EXPECT_EQ(injector->Send(&key, 1), 1u);
    server.reset();
    EXPECT_EQ(injector->Send(&key, 1), 0u);
    EXPECT_EQ(injector->Send(&key, 1), 0u);
    injector.reset();
}

class XTestOnXvfb : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (XvfbServer::Installed())
            server_ = new XvfbServer;
    }
    static void TearDownTestSuite() {
        delete server_;
        server_ = nullptr;
    }

    void SetUp() override {
        if (!XvfbServer::Installed())
            GTEST_SKIP() << "Xvfb is not installed";
        ASSERT_TRUE(server_->Running()) << server_->Error();
        display_.emplace("DISPLAY", server_->Display().c_str());
        injector_ = XTestInjector::Open(&why_);
        ASSERT_NE(injector_, nullptr) << why_;
    }

    void TearDown() override {
        injector_.reset();  // releases anything a failed test left down
        display_.reset();
    }

    std::pair<int, int> Pointer() {
        int x = -1, y = -1;
        EXPECT_TRUE(server_->PointerPosition(&x, &y));
        return {x, y};
    }
    bool KeyIsDown(unsigned keycode) {
        bool down = false;
        EXPECT_TRUE(server_->KeyDown(keycode, &down));
        return down;
    }
    bool ButtonIsDown(unsigned button) {
        bool down = false;
        EXPECT_TRUE(server_->ButtonDown(button, &down));
        return down;
    }
    unsigned Send(std::vector<InputRecord> batch) {
        return injector_->Send(batch.data(), static_cast<unsigned>(batch.size()));
    }

    static XvfbServer* server_;
    std::optional<ScopedEnv> display_;
    std::unique_ptr<XTestInjector> injector_;
    std::string why_;
};

XvfbServer* XTestOnXvfb::server_ = nullptr;

TEST_F(XTestOnXvfb, FactoryPrefersXTestAndNamesTheDisplay) {
    EXPECT_EQ(why_, "XTest on display " + server_->Display());
    std::string why;
    auto injector = CreateInputInjector(&why);
    EXPECT_STREQ(injector->Name(), "xtest");
    EXPECT_EQ(why, "XTest on display " + server_->Display());
}

TEST_F(XTestOnXvfb, KeyPressAndReleaseUseEvdevKeycodes) {
    ASSERT_FALSE(KeyIsDown(kXKeycodeA));
    EXPECT_EQ(Send({Key(kKeyA)}), 1u);
    EXPECT_TRUE(KeyIsDown(kXKeycodeA));
    EXPECT_EQ(Send({Key(kKeyA, true)}), 1u);
    EXPECT_FALSE(KeyIsDown(kXKeycodeA));
}

TEST_F(XTestOnXvfb, AbsoluteMoveSpansTheWholeScreen) {
    EXPECT_EQ(Send({MoveTo(32767, 16383)}), 1u);
    auto [x, y] = Pointer();
    EXPECT_NEAR(x, XvfbServer::kWidth / 2, 1);
    EXPECT_NEAR(y, XvfbServer::kHeight / 4, 1);

    EXPECT_EQ(Send({MoveTo(0, 0)}), 1u);
    EXPECT_EQ(Pointer(), std::make_pair(0, 0));
    EXPECT_EQ(Send({MoveTo(kAbsoluteMax, kAbsoluteMax)}), 1u);
    EXPECT_EQ(Pointer(), std::make_pair(XvfbServer::kWidth - 1, XvfbServer::kHeight - 1));
}

TEST_F(XTestOnXvfb, RelativeMoveAddsToThePosition) {
    ASSERT_EQ(Send({MoveTo(32767, 32767)}), 1u);
    const auto [x0, y0] = Pointer();
    EXPECT_EQ(Send({Mouse(kMouseEventMove, 40, -30)}), 1u);
    EXPECT_EQ(Pointer(), std::make_pair(x0 + 40, y0 - 30));
    // Without the move flag the coordinates are ignored.
    EXPECT_EQ(Send({Mouse(0, 50, 50)}), 1u);
    EXPECT_EQ(Pointer(), std::make_pair(x0 + 40, y0 - 30));
}

TEST_F(XTestOnXvfb, MoveAndButtonBatchesPressAndRelease) {
    EXPECT_EQ(Send({MoveTo(16383, 16383), Mouse(kMouseEventLeftDown)}), 2u);
    auto [x, y] = Pointer();
    EXPECT_NEAR(x, XvfbServer::kWidth / 4, 1);
    EXPECT_NEAR(y, XvfbServer::kHeight / 4, 1);
    EXPECT_TRUE(ButtonIsDown(1));
    EXPECT_EQ(Send({MoveTo(16383, 16383), Mouse(kMouseEventLeftUp)}), 2u);
    EXPECT_FALSE(ButtonIsDown(1));

    EXPECT_EQ(Send({Mouse(kMouseEventRightDown)}), 1u);
    EXPECT_TRUE(ButtonIsDown(3));
    EXPECT_FALSE(ButtonIsDown(2));
    EXPECT_EQ(Send({Mouse(kMouseEventRightUp)}), 1u);
    EXPECT_FALSE(ButtonIsDown(3));

    EXPECT_EQ(Send({Mouse(kMouseEventMiddleDown)}), 1u);
    EXPECT_TRUE(ButtonIsDown(2));
    EXPECT_FALSE(ButtonIsDown(3));
    EXPECT_EQ(Send({Mouse(kMouseEventMiddleUp)}), 1u);
    EXPECT_FALSE(ButtonIsDown(2));
}

TEST_F(XTestOnXvfb, RefusedBatchInjectsNothing) {
    InputRecord unknown = Key(kKeyA);
    unknown.type = 7;
    EXPECT_EQ(Send({Key(kKeyA), unknown}), 0u);
    EXPECT_FALSE(KeyIsDown(kXKeycodeA));

    ASSERT_EQ(Send({MoveTo(0, 0)}), 1u);
    EXPECT_EQ(Send({MoveTo(32767, 32767), Mouse(0x0800)}), 0u);
    EXPECT_EQ(Pointer(), std::make_pair(0, 0));

    EXPECT_EQ(injector_->Send(nullptr, 1), 0u);
}

TEST_F(XTestOnXvfb, KeysBeyondTheKeycodeRangeBorrowAFreeKeycode) {
    // SI_KEY_RED (398) and SI_KEY_FN_F5 (470) have no keycode of their own.
    const unsigned long red = 0x10081000 + 398, fn_f5 = 0x10081000 + 470;
    ASSERT_EQ(server_->KeycodeOf(red), 0u);
    ASSERT_EQ(Send({Key(398)}), 1u);
    const unsigned red_keycode = server_->KeycodeOf(red);
    ASSERT_NE(red_keycode, 0u);
    EXPECT_TRUE(KeyIsDown(red_keycode));
    ASSERT_EQ(Send({Key(470), Key(398, true)}), 2u);
    EXPECT_FALSE(KeyIsDown(red_keycode));
    const unsigned f5_keycode = server_->KeycodeOf(fn_f5);
    EXPECT_NE(f5_keycode, 0u);
    EXPECT_NE(f5_keycode, red_keycode);
    EXPECT_TRUE(KeyIsDown(f5_keycode));
    // Closing releases the key and gives the keycodes back.
    injector_.reset();
    EXPECT_FALSE(KeyIsDown(f5_keycode));
    EXPECT_EQ(server_->KeycodeOf(red), 0u);
    EXPECT_EQ(server_->KeycodeOf(fn_f5), 0u);
}

TEST_F(XTestOnXvfb, ClosingReleasesWhatItHeld) {
    ASSERT_EQ(Send({Key(kKeyS), Mouse(kMouseEventLeftDown)}), 2u);
    ASSERT_TRUE(KeyIsDown(kXKeycodeS));
    ASSERT_TRUE(ButtonIsDown(1));
    injector_.reset();
    EXPECT_FALSE(KeyIsDown(kXKeycodeS));
    EXPECT_FALSE(ButtonIsDown(1));
}

// Reads what the virtual device reports, waiting at most a bounded time.
class EvdevReader {
public:
    explicit EvdevReader(const std::string& node) {
        fd_ = open(node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ >= 0 && libevdev_new_from_fd(fd_, &dev_) < 0)
            dev_ = nullptr;
        // Exclusive: the keys and clicks must not reach this machine's desktop.
        grabbed_ = dev_ != nullptr && libevdev_grab(dev_, LIBEVDEV_GRAB) == 0;
    }
    ~EvdevReader() {
        libevdev_free(dev_);
        if (fd_ >= 0)
            close(fd_);
    }
    bool Ok() const { return grabbed_; }

    // The next event other than SYN_REPORT, if one comes within two seconds.
    std::optional<input_event> Next() {
        for (int polls = 0; polls < 20;) {
            input_event ev{};
            const int rc = libevdev_next_event(dev_, LIBEVDEV_READ_FLAG_NORMAL, &ev);
            if (rc == LIBEVDEV_READ_STATUS_SUCCESS) {
                if (ev.type != EV_SYN)
                    return ev;
                continue;
            }
            if (rc != -EAGAIN)
                return std::nullopt;
            pollfd pfd{fd_, POLLIN, 0};
            poll(&pfd, 1, 100);
            ++polls;
        }
        return std::nullopt;
    }

private:
    int fd_ = -1;
    libevdev* dev_ = nullptr;
    bool grabbed_ = false;
};

TEST(UinputInjector, DeliversKeysAndPointerThroughOneDevice) {
    if (access("/dev/uinput", F_OK) != 0)
        GTEST_SKIP() << "/dev/uinput does not exist here";
    std::string why;
    auto injector = UinputInjector::Open(&why);
    if (!injector)
        GTEST_SKIP() << why;
    ASSERT_FALSE(injector->DevNode().empty());
    EvdevReader reader(injector->DevNode());
    ASSERT_TRUE(reader.Ok()) << "cannot open and grab " << injector->DevNode();

    auto expect = [&reader](unsigned type, unsigned code, int value) {
        auto ev = reader.Next();
        ASSERT_TRUE(ev.has_value()) << "no event, wanted " << type << "/" << code;
        EXPECT_EQ(ev->type, type);
        EXPECT_EQ(ev->code, code);
        EXPECT_EQ(ev->value, value);
    };

    const InputRecord press[] = {Key(kKeyA), Key(kKeyA, true)};
    ASSERT_EQ(injector->Send(press, 2), 2u);
    expect(EV_KEY, KEY_A, 1);
    expect(EV_KEY, KEY_A, 0);

    // A remote-control key beyond the classic keyboard range.
    const InputRecord red[] = {Key(KEY_RED), Key(KEY_RED, true)};
    ASSERT_EQ(injector->Send(red, 2), 2u);
    expect(EV_KEY, KEY_RED, 1);
    expect(EV_KEY, KEY_RED, 0);

    const InputRecord click[] = {MoveTo(32767, 16383), Mouse(kMouseEventLeftDown)};
    ASSERT_EQ(injector->Send(click, 2), 2u);
    expect(EV_ABS, ABS_X, 32767);
    expect(EV_ABS, ABS_Y, 16383);
    expect(EV_KEY, BTN_LEFT, 1);

    const InputRecord release[] = {Mouse(kMouseEventMove, 5, -4), Mouse(kMouseEventLeftUp)};
    ASSERT_EQ(injector->Send(release, 2), 2u);
    expect(EV_REL, REL_X, 5);
    expect(EV_REL, REL_Y, -4);
    expect(EV_KEY, BTN_LEFT, 0);

    // A button code is not a keyboard key.
    const InputRecord buttonAsKey[] = {Key(BTN_LEFT)};
    EXPECT_EQ(injector->Send(buttonAsKey, 1), 0u);
}
