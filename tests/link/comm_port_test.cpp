// TCommPort on a real pseudo-terminal opened by the test: the far end is a
// plain file descriptor, so what the port puts on the line is seen exactly.

#include "link/comm_port.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <array>
#include <cstdlib>
#include <thread>
#include <vector>

#include "qt_application.h"

namespace mk843nb::test {
namespace {

struct PtyFixture : testing::Test {
    void SetUp() override {
        EnsureCoreApplication();
        master = posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(master, 0);
        ASSERT_EQ(grantpt(master), 0);
        ASSERT_EQ(unlockpt(master), 0);
        slavePath = ptsname(master);
    }
    void TearDown() override {
        if (master >= 0) close(master);
    }
    std::string ReadMaster(std::size_t count) {
        std::string got;
        // Bounded, so a port that wrote too little fails the test instead of hanging it.
        pollfd fd{master, POLLIN, 0};
        for (int tries = 0; tries < 200 && got.size() < count && poll(&fd, 1, 2000) > 0; ++tries) {
            char buffer[256];
            const ssize_t n = read(master, buffer, sizeof buffer);
            if (n > 0) got.append(buffer, static_cast<std::size_t>(n));
        }
        return got;
    }

    int master = -1;
    std::string slavePath;
    TCommPort port;
};

TEST_F(PtyFixture, BytesCrossTheLineBothWaysUnchanged) {
    port.Configure(9600, slavePath, 1);
    ASSERT_TRUE(port.IsOpen());
    EXPECT_EQ(port.PortName(), slavePath);
    // Every byte value, the line-discipline specials included, passes untouched.
    std::array<std::uint8_t, 256> all{};
    for (std::size_t i = 0; i < all.size(); ++i) all[i] = static_cast<std::uint8_t>(i);
    port.Write(all);
    const std::string seen = ReadMaster(all.size());
    ASSERT_EQ(seen.size(), all.size());
    EXPECT_TRUE(
        std::equal(all.begin(), all.end(), reinterpret_cast<const std::uint8_t*>(seen.data())));

    ASSERT_EQ(write(master, all.data(), all.size()), 256);
    std::array<std::uint8_t, 256> back{};
    std::size_t got = 0;
    while (got < back.size()) {
        const std::size_t n = port.ReadNext(std::span(back).subspan(got), 1000);
        ASSERT_GT(n, 0u);
        got += n;
    }
    EXPECT_EQ(back, all);
}

TEST_F(PtyFixture, AWriteLargerThanTheLineBufferWaitsUntilItHasLeft) {
    port.Configure(9600, slavePath, 1);
    // More than the pseudo-terminal holds: it leaves in several pieces while the far end reads.
    std::vector<std::uint8_t> big(64 * 1024, 0x5A);
    std::string seen;
    std::thread reader([&] {
        pollfd fd{master, POLLIN, 0};
        while (seen.size() < big.size() && poll(&fd, 1, 2000) > 0) {
            char buffer[4096];
            const ssize_t n = read(master, buffer, sizeof buffer);
            if (n <= 0) break;
            seen.append(buffer, static_cast<std::size_t>(n));
        }
    });
    EXPECT_NO_THROW(port.Write(big));
    reader.join();
    EXPECT_EQ(seen.size(), big.size());

    // Nobody reads now: the write gives up after its 500 ms with code 9.
    QElapsedTimer timer;
    timer.start();
    try {
        port.Write(big);
        FAIL() << "a write nobody takes succeeded";
    } catch (const ECommError& error) {
        EXPECT_EQ(error.Code(), 9);
    }
    EXPECT_LT(timer.elapsed(), 1500);
}

TEST_F(PtyFixture, SilenceEndsAReadAfterItsTimeOutWithNothing) {
    port.Configure(9600, slavePath, 1);
    std::array<std::uint8_t, 4> buffer{};
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(port.ReadNext(buffer, 200), 0u);
    EXPECT_GE(timer.elapsed(), 190);
    EXPECT_LT(timer.elapsed(), 1000);
    EXPECT_EQ(port.ReadNext(buffer, 0), 0u) << "a zero time-out never waits";
}

TEST_F(PtyFixture, PurgeDropsWhatArrived) {
    port.Configure(9600, slavePath, 1);
    ASSERT_EQ(write(master, "abc", 3), 3);
    std::array<std::uint8_t, 1> one{};
    ASSERT_EQ(port.ReadNext(one, 1000), 1u);
    usleep(50000);
    port.Purge();
    EXPECT_EQ(port.ReadNext(one, 100), 0u);
}

TEST_F(PtyFixture, ErrorCodes) {
    auto codeOf = [](auto&& operation) -> int {
        try {
            operation();
        } catch (const ECommError& error) {
            return error.Code();
        }
        return 0;
    };
    std::array<std::uint8_t, 1> byte{};
    EXPECT_EQ(codeOf([&] { port.Write(byte); }), 7);
    EXPECT_EQ(codeOf([&] { port.BytesAvailable(); }), 7);
    EXPECT_EQ(codeOf([&] { port.Purge(); }), 7);
    EXPECT_EQ(codeOf([&] { port.ReadByte(); }), 7);
    EXPECT_EQ(codeOf([&] { port.Configure(9600, "/dev/mk843nb-no-such-port", 1); }), 8);
    EXPECT_FALSE(port.IsOpen());

    port.Configure(9600, slavePath, 1);
    EXPECT_EQ(codeOf([&] { port.SetPortName("ttyS1"); }), 6);
    EXPECT_EQ(port.PortName(), slavePath);
    EXPECT_EQ(codeOf([&] { port.Write({}); }), 0) << "an empty write writes nothing";

    TCommPort second;
    EXPECT_EQ(codeOf([&] { second.Configure(9600, slavePath, 1); }), 8) << "the port is in use";
    EXPECT_FALSE(second.IsOpen());
}

TEST_F(PtyFixture, HangUpWhileWaitingRaisesReadFailure) {
    port.Configure(9600, slavePath, 1);
    close(master);
    master = -1;
    std::array<std::uint8_t, 4> buffer{};
    try {
        port.ReadNext(buffer, 2000);
        FAIL() << "no error after the far end hung up";
    } catch (const ECommError& error) {
        EXPECT_EQ(error.Code(), 10);
        EXPECT_EQ(error.reason, "the device was unplugged or closed")
            << "the cause in words, not a stale system text";
    }
}

}  // namespace
}  // namespace mk843nb::test
