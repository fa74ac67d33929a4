// The link end to end: TCommPort on the emulator's pseudo-terminal, real time,
// real event loops.

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include "image/pager_image.h"
#include "image/write_preparation.h"
#include "link/comm_port.h"
#include "link/event_loop_clock.h"
#include "link/frames.h"
#include "link/link_session.h"
#include "link/programmer_link.h"
#include "qt_application.h"
#include "silent_ptys.h"
#include "sim_process.h"
#include "test_files.h"

namespace mk843nb::test {
namespace {

struct SimFixture : testing::Test {
    void SetUp() override { EnsureCoreApplication(); }

    std::unique_ptr<LinkSession> Session(const std::string& path) {
        auto session = std::make_unique<LinkSession>(&TCommPort::Create, clock, events);
        session->SetPortTable({{{path, ""}}, 0});
        return session;
    }
    LinkOutcome Run(LinkCommand command, const std::string& path, PagerImage& image) {
        auto session = Session(path);
        switch (command) {
            case LinkCommand::Read:
                return session->Read(image);
            case LinkCommand::Write:
                return session->Write(image);
            case LinkCommand::Verify:
                return session->Verify(image);
        }
        return {};
    }

    EventLoopClock clock;
    LinkEvents events;
    TempDir dir;
};

PagerImage SimImage(std::uint8_t major, std::uint8_t minor) {
    PagerImage image = DefaultImage();
    image[1] = major;
    image[2] = minor;
    StoreChecksum(image);
    return image;
}

TEST_F(SimFixture, ReadTakesThePagersImageWithTheExactRequests) {
    SimProcess sim({"--baud", "0", "--version", "1.86"});
    PagerImage image{};
    const LinkOutcome out = Run(LinkCommand::Read, sim.DevicePath(), image);
    EXPECT_EQ(out.message, ReadSuccessMessage());
    EXPECT_EQ(image, SimImage(1, 86));
    EXPECT_EQ(sim.Received(),
              (std::vector<Bytes>{BuildReadRequest(0, 0), BuildReadRequest(1, 2),
                                  BuildReadRequest(240, 14), BuildReadRequest(0, 128),
                                  BuildReadRequest(128, 128)}));
}

TEST_F(SimFixture, WrittenImageIsWhatThePagerHoldsAndVerifies) {
    const std::string saved = dir.File("pager.tbl");
    SimProcess sim({"--baud", "0", "--version", "1.86", "--save", saved});
    PagerImage image = DefaultImage();
    image[112] |= 0x80;  // GPriority1: copied into call slot 5 on 1.86
    const LinkOutcome out = Run(LinkCommand::Write, sim.DevicePath(), image);
    EXPECT_EQ(out.message, WriteSuccessMessage());
    EXPECT_EQ(image[104] & 0x80, 0x80);
    EXPECT_EQ(image[1], 1);
    EXPECT_EQ(image[2], 86);
    const auto held = ReadFileBytes(saved);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), held.begin(), held.end()));
    EXPECT_EQ(sim.Received().size(), 3u + 32u + 2u);

    EXPECT_EQ(Run(LinkCommand::Verify, sim.DevicePath(), image).message, VerifySuccessMessage());
    image[30] ^= 0x01;
    EXPECT_EQ(Run(LinkCommand::Verify, sim.DevicePath(), image).message, VerifyErrorMessage());
}

// One case per kind of fault the emulator injects, over the real line; the
// in-process board covers every fault against every command without waiting.
struct FaultCase {
    const char* what;
    LinkCommand command;
    std::vector<std::string> options;
    Message message;
    std::size_t requests;  // how many requests the board got
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const FaultCase& c, std::ostream* out) { *out << c.what; }

class FaultMatrix : public SimFixture, public testing::WithParamInterface<FaultCase> {};

TEST_P(FaultMatrix, EachFaultEndsInItsMessage) {
    const auto& c = GetParam();
    std::vector<std::string> options = {"--baud", "0"};
    options.insert(options.end(), c.options.begin(), c.options.end());
    SimProcess sim(options);
    PagerImage image = DefaultImage();
    const PagerImage before = image;
    const LinkOutcome out = Run(c.command, sim.DevicePath(), image);
    EXPECT_EQ(out.message, c.message) << c.what;
    EXPECT_FALSE(out.success);
    EXPECT_EQ(sim.Received().size(), c.requests) << c.what;
    if (c.command == LinkCommand::Read) {
        EXPECT_TRUE(std::equal(image.begin() + 3, image.end(), before.begin() + 3))
            << c.what << ": image kept";
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultMatrix,
                         testing::Values(FaultCase{"bad block sum",
                                                   LinkCommand::Read,
                                                   {"--fault", "bad-checksum:5"},
                                                   ReadErrorMessage(),
                                                   5},
                                         FaultCase{"write not acknowledged",
                                                   LinkCommand::Write,
                                                   {"--fault", "bad-ack:9"},
                                                   WriteErrorMessage(),
                                                   9}),
                         [](const auto& info) {
                             std::string name = info.param.what;
                             for (char& ch : name)
                                 ch = std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
                             return name;
                         });

TEST_F(SimFixture, GapShorterThanTheSilenceLimitIsWaitedOut) {
    SimProcess sim({"--baud", "0", "--fault", "gap:4:400:60"});
    PagerImage image{};
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(Run(LinkCommand::Read, sim.DevicePath(), image).message, ReadSuccessMessage());
    EXPECT_GE(timer.elapsed(), 400);
    EXPECT_EQ(image, SimImage(1, 86));
}

TEST_F(SimFixture, ImageChecksumRulesFollowTheFirmware) {
    PagerImage bad = SimImage(1, 80);
    bad[255] ^= 0x01;
    const std::string file = dir.File("bad.tbl");
    WriteFileBytes(file, bad);
    {
        SimProcess sim({"--baud", "0", "--image", file, "--version", "1.80", "--model", ""});
        PagerImage image{};
        EXPECT_EQ(Run(LinkCommand::Read, sim.DevicePath(), image).message, ReadSuccessMessage());
        EXPECT_EQ(image[255], bad[255]) << "older firmware without model text: taken as it is";
    }
    {
        SimProcess sim(
            {"--baud", "0", "--image", file, "--version", "1.80", "--model", "MK842 V3.8.5"});
        PagerImage image{};
        EXPECT_EQ(Run(LinkCommand::Read, sim.DevicePath(), image).message, ChecksumErrorMessage());
    }
}

TEST_F(SimFixture, HangUpMidTransferStopsWithTheSystemsReason) {
    SimProcess sim({"--baud", "0", "--fault", "hangup:4"});
    PagerImage image = DefaultImage();
    auto session = Session(sim.DevicePath());
    QElapsedTimer timer;
    timer.start();
    const LinkOutcome out = session->Read(image);
    ASSERT_TRUE(out.message);
    EXPECT_EQ(out.message->kind, MessageKind::Stop);
    // Whether the hang-up shows as a device error or as silence depends on when
    // the program notices it; either way the command stops cleanly.
    if (out.message != ReadErrorMessage()) {
        EXPECT_EQ(out.message->text.rfind("Read stopped: the serial port failed", 0), 0u)
            << out.message->text;
    }
    EXPECT_LT(timer.elapsed(), 5000);
    EXPECT_FALSE(session->Port().IsOpen());
    EXPECT_FALSE(out.imageReplaced);
}

// The search's three seconds are what this measures, so it waits them for real;
// one of the silent ports is an emulator told never to answer.
TEST_F(SimFixture, BoardSearchOverSilentPortsTakesAboutThreeSeconds) {
    SilentPtys silent(2);
    SimProcess mute({"--baud", "0", "--fault", "no-answer"});
    SimProcess sim({"--baud", "0"});
    PortTable table;
    for (const auto& path : silent.Paths()) table.entries.push_back({path, ""});
    table.entries.insert(table.entries.begin() + 1, {mute.DevicePath(), ""});
    table.entries.insert(table.entries.begin() + 3, {sim.DevicePath(), ""});
    LinkSession session(&TCommPort::Create, clock, events);
    session.SetPortTable(table);
    QElapsedTimer timer;
    timer.start();
    EXPECT_TRUE(session.FindBoard());
    EXPECT_EQ(session.Ports().selected, 3);
    EXPECT_TRUE(session.Port().IsOpen());
    EXPECT_GE(timer.elapsed(), kSilenceLimitMs) << "the ports before it had to stay silent first";
    EXPECT_LT(timer.elapsed(), 3500);
    EXPECT_EQ(mute.Received(), std::vector<Bytes>{BuildReadRequest(0, 0)});
    EXPECT_EQ(sim.Received(), std::vector<Bytes>{BuildReadRequest(0, 0)});
}

}  // namespace
}  // namespace mk843nb::test
