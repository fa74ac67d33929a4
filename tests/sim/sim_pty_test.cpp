// The emulator through a real pseudo-terminal, with plain POSIX reads and writes.
#include <gtest/gtest.h>

#include <poll.h>
#include <termios.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "frames.h"
#include "image/pager_image.h"
#include "sim_process.h"
#include "test_files.h"

namespace mk843nb::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

Bytes Request(std::initializer_list<std::uint8_t> afterPreamble) {
    Bytes frame(sim::kPreamble.begin(), sim::kPreamble.end());
    frame.insert(frame.end(), afterPreamble);
    return frame;
}

// The port as the program uses it: opened raw for one exchange, closed after.
class Port {
public:
    explicit Port(const std::string& path) : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY)) {
        if (fd_ < 0) return;
        termios settings{};
        ::tcgetattr(fd_, &settings);
        ::cfmakeraw(&settings);
        ::tcsetattr(fd_, TCSANOW, &settings);
        ::tcflush(fd_, TCIOFLUSH);
    }
    ~Port() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool IsOpen() const { return fd_ >= 0; }

    void Send(const Bytes& bytes) { ASSERT_EQ(::write(fd_, bytes.data(), bytes.size()), ssize_t(bytes.size())); }

    // Up to count bytes; stops early after `silence` without a byte or on a hang-up.
    Bytes Receive(std::size_t count, std::chrono::milliseconds silence = 1000ms) {
        Bytes got;
        while (got.size() < count) {
            pollfd fd{fd_, POLLIN, 0};
            if (::poll(&fd, 1, static_cast<int>(silence.count())) <= 0) break;
            std::uint8_t buffer[256];
            const ssize_t n = ::read(fd_, buffer, std::min(sizeof buffer, count - got.size()));
            if (n <= 0) break;
            got.insert(got.end(), buffer, buffer + n);
        }
        return got;
    }

private:
    int fd_;
};

Bytes Exchange(const std::string& device, const Bytes& request, std::size_t replySize) {
    Port port(device);
    EXPECT_TRUE(port.IsOpen());
    port.Send(request);
    return port.Receive(replySize);
}

const Bytes kPing = Request({0x33, 0x52, 0x03, 0x00, 0x00, 0x00, 0x00, 0x88});

TEST(SimProcessSmoke, AnswersAPingAndTracesIt) {
    SimProcess sim({"--baud", "0"});
    EXPECT_EQ(Exchange(sim.DevicePath(), kPing, 15),
              Request({0x33, 0x52, 0x00, 0x00, 0x85}));
    ASSERT_EQ(sim.Received().size(), 1u);
    EXPECT_EQ(sim.Received()[0], kPing);
    EXPECT_EQ(sim.Stop(), 0);
}

}  // namespace
}  // namespace mk843nb::test
