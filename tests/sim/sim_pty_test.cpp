// The emulator through a real pseudo-terminal, with plain POSIX reads and writes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "frames.h"
#include "image/pager_image.h"
#include "silent_ptys.h"
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

    void Send(const Bytes& bytes) {
        ASSERT_EQ(::write(fd_, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    }

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

Bytes Exchange(const std::string& device, const Bytes& request, std::size_t replySize,
               std::chrono::milliseconds silence = 1000ms) {
    Port port(device);
    EXPECT_TRUE(port.IsOpen()) << device;
    if (!port.IsOpen()) return {};
    port.Send(request);
    return port.Receive(replySize, silence);
}

const Bytes kPing = Request({0x33, 0x52, 0x03, 0x00, 0x00, 0x00, 0x00, 0x88});

const Bytes kVersion = Request({0x33, 0x52, 0x03, 0x00, 0x01, 0x02, 0x00, 0x8B});
const Bytes kModel = Request({0x33, 0x52, 0x03, 0x00, 0xF0, 0x0E, 0x01, 0x86});
const Bytes kBlock0 = Request({0x33, 0x52, 0x03, 0x00, 0x00, 0x80, 0x01, 0x08});
const Bytes kBlock128 = Request({0x33, 0x52, 0x03, 0x00, 0x80, 0x80, 0x01, 0x88});
const Bytes kAck = Request({0x33, 0x53, 0x01, 0x06, 0x00, 0x8D});

Bytes WriteRequest(const PagerImage& image, std::size_t address) {
    Bytes frame = Request({0x33, 0x53, 0x0A, 0x00, static_cast<std::uint8_t>(address)});
    frame.insert(frame.end(), image.begin() + address, image.begin() + address + 8);
    unsigned sum = 0;
    for (std::size_t i = 10; i < frame.size(); ++i) sum += frame[i];
    frame.push_back(static_cast<std::uint8_t>(sum >> 8));
    frame.push_back(static_cast<std::uint8_t>(sum));
    return frame;
}

// The n data bytes of a read reply (13-byte header, data, 2-byte sum).
Bytes Data(const Bytes& reply) {
    if (reply.size() < 15) return {};
    return Bytes(reply.begin() + 13, reply.end() - 2);
}

PagerImage PatternImage(std::uint8_t seed) {
    PagerImage image;
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i * 7 + seed);
    StampModelTag(image);
    StoreChecksum(image);
    return image;
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

TEST(SimThroughAPty, ServesARead_OneOpenOfThePortPerExchange) {
    TempDir dir;
    const PagerImage pager = PatternImage(3);
    WriteFileBytes(dir.File("pager.tbl"), pager);
    SimProcess sim({"--image", dir.File("pager.tbl"), "--version", "1.82", "--baud", "0"});

    EXPECT_EQ(Exchange(sim.DevicePath(), kPing, 15), Request({0x33, 0x52, 0x00, 0x00, 0x85}));
    EXPECT_EQ(Data(Exchange(sim.DevicePath(), kVersion, 17)), (Bytes{1, 82}));
    EXPECT_EQ(Data(Exchange(sim.DevicePath(), kModel, 29)),
              Bytes(pager.begin() + 240, pager.begin() + 254));
    Bytes image = Data(Exchange(sim.DevicePath(), kBlock0, 143));
    const Bytes second = Data(Exchange(sim.DevicePath(), kBlock128, 143));
    image.insert(image.end(), second.begin(), second.end());

    PagerImage expected = pager;
    expected[1] = 1;
    expected[2] = 82;
    EXPECT_EQ(image, Bytes(expected.begin(), expected.end()));

    const auto frames = sim.Frames();
    ASSERT_EQ(frames.size(), 10u);
    const Bytes* requests[] = {&kPing, &kVersion, &kModel, &kBlock0, &kBlock128};
    for (unsigned i = 0; i < 5; ++i) {
        EXPECT_EQ(frames[2 * i].direction, SimFrame::Direction::Received);
        EXPECT_EQ(frames[2 * i].number, i + 1);
        EXPECT_EQ(frames[2 * i].bytes, *requests[i]);
        EXPECT_EQ(frames[2 * i + 1].direction, SimFrame::Direction::Sent);
        EXPECT_EQ(frames[2 * i + 1].number, i + 1);
        EXPECT_LE(frames[2 * i].seconds, frames[2 * i + 1].seconds);
    }
}

TEST(SimThroughAPty, FirmwareVersionComesFromFirmwareOrItsOlderName) {
    struct Case {
        std::vector<std::string> options;
        Bytes version;
    };
    const Case cases[] = {
        {{}, {1, 86}},
        {{"--firmware", "1.80"}, {1, 80}},
        {{"--version", "1.82"}, {1, 82}},
        {{"--firmware", "1.5"}, {1, 5}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> options = c.options;
        options.insert(options.end(), {"--baud", "0"});
        SimProcess sim(options);
        EXPECT_EQ(Data(Exchange(sim.DevicePath(), kVersion, 17)), c.version)
            << (c.options.empty() ? "default" : c.options[0]);
    }
}

TEST(SimThroughAPty, StoresAWriteReadsItBackAndSavesIt) {
    TempDir dir;
    const std::string saved = dir.File("saved.tbl");
    SimProcess sim({"--baud", "0", "--save", saved});
    PagerImage initial = DefaultImage();
    initial[1] = 1;
    initial[2] = 86;
    StoreChecksum(initial);
    ASSERT_TRUE(std::filesystem::exists(saved));
    EXPECT_EQ(ReadFileBytes(saved), Bytes(initial.begin(), initial.end()));

    PagerImage image = PatternImage(11);
    image[1] = 1;
    image[2] = 86;
    {
        Port port(sim.DevicePath());
        for (std::size_t address = 0; address < 256; address += 8) {
            port.Send(WriteRequest(image, address));
            ASSERT_EQ(port.Receive(16), kAck) << "address " << address;
            // Whoever has the acknowledgement finds the bytes in the save file.
            const Bytes file = ReadFileBytes(saved);
            ASSERT_EQ(file.size(), 256u);
            EXPECT_TRUE(std::equal(image.begin() + address, image.begin() + address + 8,
                                   file.begin() + address));
        }
        port.Send(kBlock0);
        EXPECT_EQ(Data(port.Receive(143)), Bytes(image.begin(), image.begin() + 128));
        port.Send(kBlock128);
        EXPECT_EQ(Data(port.Receive(143)), Bytes(image.begin() + 128, image.end()));
    }
    EXPECT_EQ(ReadFileBytes(saved), Bytes(image.begin(), image.end()));
    EXPECT_EQ(sim.Stop(), 0);
    EXPECT_EQ(ReadFileBytes(saved), Bytes(image.begin(), image.end()));
}

TEST(SimThroughAPty, PacesTheLineAndWaitsItsTurnaround) {
    // Lower bounds only: a paced line can never be faster than its baud rate.
    SimProcess paced({"--baud", "9600"});
    auto start = Clock::now();
    EXPECT_EQ(Exchange(paced.DevicePath(), kBlock0, 143).size(), 143u);
    EXPECT_GE(Seconds(Clock::now() - start), (18 + 143) * 10 / 9600.0 - 0.002);

    SimProcess slow({"--baud", "0", "--turnaround", "250"});
    start = Clock::now();
    EXPECT_EQ(Exchange(slow.DevicePath(), kPing, 15).size(), 15u);
    EXPECT_GE(Seconds(Clock::now() - start), 0.245);
}

TEST(SimThroughAPty, GapFaultHoldsBackTheRestOfTheReply) {
    SimProcess sim({"--baud", "0", "--fault", "gap:2:1500:5"});
    Port port(sim.DevicePath());
    port.Send(kPing);
    EXPECT_EQ(port.Receive(15, 700ms).size(), 15u);  // frame 1 is untouched
    port.Send(kVersion);
    EXPECT_EQ(port.Receive(17, 700ms).size(), 5u);    // then 1.5 s of silence
    EXPECT_EQ(port.Receive(12, 3000ms).size(), 12u);  // and the rest
}

TEST(SimThroughAPty, ContentFaultsReachTheWire) {
    SimProcess sim({"--baud", "0", "--fault", "no-answer:1", "--fault", "bad-checksum:2", "--fault",
                    "bad-ack:3"});
    Port port(sim.DevicePath());
    port.Send(kPing);
    EXPECT_TRUE(port.Receive(15, 300ms).empty());
    port.Send(kPing);
    const Bytes badSum = port.Receive(15);
    ASSERT_EQ(badSum.size(), 15u);
    EXPECT_NE(Bytes(badSum.end() - 2, badSum.end()), (Bytes{0x00, 0x85}));
    port.Send(WriteRequest(PatternImage(0), 0));
    Bytes refused = kAck;
    refused[13] = 0x15;
    EXPECT_EQ(port.Receive(16), refused);
    EXPECT_NE(sim.Trace().find("#3 fault bad-ack"), std::string::npos);
}

TEST(SimThroughAPty, HangUpClosesThePortAndEndsTheEmulator) {
    TempDir dir;
    const std::string link = dir.File("ttyPAGER");
    SimProcess sim({"--baud", "0", "--fault", "hangup:2", "--link", link});
    ASSERT_EQ(std::filesystem::read_symlink(link), sim.DevicePath());
    Port port(link);
    port.Send(kPing);
    EXPECT_EQ(port.Receive(15).size(), 15u);
    port.Send(kPing);
    EXPECT_EQ(port.Receive(15).size(), 15u);  // frame 2 is answered, then the line drops
    port.Send(kPing);
    EXPECT_TRUE(port.Receive(15, 500ms).empty());
    EXPECT_EQ(sim.WaitForExit(5s), std::optional<int>(0));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
}

TEST(SimThroughAPty, EndsCleanlyOnSigtermAndSigint) {
    for (const int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        TempDir dir;
        SimProcess sim({"--link", dir.File("port"), "--save", dir.File("saved.tbl")});
        ASSERT_EQ(Exchange(sim.DevicePath(), kPing, 15).size(), 15u);
        ::kill(sim.Pid(), signal);
        EXPECT_EQ(sim.WaitForExit(5s), std::optional<int>(0));
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(dir.File("port"))));
        EXPECT_EQ(ReadFileBytes(dir.File("saved.tbl")).size(), 256u);
    }
}

TEST(SimThroughAPty, ReplyNobodyReadsIsLostLikeOnALineAndServingGoesOn) {
    SimProcess sim({"--baud", "0"});
    {
        Port careless(sim.DevicePath());
        for (int i = 0; i < 60; ++i) careless.Send(kBlock0);  // 60 x 143 reply bytes, never read
        ASSERT_TRUE(sim.WaitForTrace("rx #60 ", 5s));
    }
    const auto start = Clock::now();
    EXPECT_EQ(Exchange(sim.DevicePath(), kPing, 15), Request({0x33, 0x52, 0x00, 0x00, 0x85}));
    EXPECT_LT(Seconds(Clock::now() - start), 2.0);
}

TEST(SimThroughAPty, RefusesBadOptionsWithAMessage) {
    struct Case {
        std::vector<std::string> options;
        const char* message;
    };
    const Case cases[] = {
        {{"--fault", "gap:3"}, "gap:FRAME:MS"},
        {{"--version", "1.300"}, "bad firmware version"},
        {{"--model", "A MODEL TEXT TOO LONG"}, "longer than 14"},
        {{"--image", "/nonexistent/pager.tbl"}, "pager.tbl"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        try {
            SimProcess sim(c.options);
            ADD_FAILURE() << "started on " << sim.DevicePath();
        } catch (const std::runtime_error& error) {
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
        }
    }
}

TEST(SilentPtys, OpenAndTakeRequestsButNeverAnswer) {
    SilentPtys ports(3);
    ASSERT_EQ(ports.Paths().size(), 3u);
    for (const auto& path : ports.Paths()) {
        for (int open = 0; open < 2; ++open)
            EXPECT_TRUE(Exchange(path, kPing, 15, 100ms).empty()) << path;
    }
}

}  // namespace
}  // namespace mk843nb::test
