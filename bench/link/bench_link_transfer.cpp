// Whole-transfer figures against mk843nb-sim pacing at 9600 baud with no
// turnaround: each command's wall time against the wire time of the bytes its
// sequence puts on the line, the process's CPU share while it runs, and the
// start-up board search over four silent pseudo-terminals, and the walk through
// /proc that looks for other programs on a port before it is opened.

#include <time.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "image/pager_image.h"
#include "link/comm_port.h"
#include "link/event_loop_clock.h"
#include "link/link_session.h"
#include "link/port_users.h"
#include "silent_ptys.h"
#include "sim_process.h"

namespace {

using namespace mk843nb;

constexpr double kBaud = 9600;
constexpr double kByteMs = 10.0 * 1000.0 / kBaud;  // 10 bits a byte
constexpr int kRuns = 3;

// Request and reply sizes of each exchange in the command's sequence.
constexpr int kPing = 18 + 15, kVersion = 18 + 17, kModel = 18 + 29, kBlock = 18 + 143,
              kWriteFrame = 25 + 16;

double CpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

bool Measure(const char* name, double wireMs, const std::function<bool()>& command) {
    double worstRatio = 0, worstShare = 0, totalWall = 0;
    bool ok = true;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer wall;
        const double cpu0 = CpuMs();
        wall.start();
        ok = command() && ok;
        const double wallMs = static_cast<double>(wall.nsecsElapsed()) / 1e6;
        const double cpuMs = CpuMs() - cpu0;
        totalWall += wallMs;
        worstRatio = std::max(worstRatio, wallMs / wireMs);
        worstShare = std::max(worstShare, cpuMs / wallMs);
    }
    const bool pass = ok && worstRatio <= 1.10 && worstShare < 0.10;
    std::printf(
        "%-8s wire %7.1f ms  wall %7.1f ms (mean of %d)  worst ratio %.3f (goal <= 1.10)  "
        "worst CPU share %4.1f %% (goal < 10 %%)  %s\n",
        name, wireMs, totalWall / kRuns, kRuns, worstRatio, worstShare * 100,
        pass ? "ok" : "MISSED");
    return pass;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    EventLoopClock clock;
    LinkEvents events;
    bool allMet = true;

    {
        test::SimProcess sim({"--baud", "9600", "--turnaround", "0"});
        LinkSession session(&TCommPort::Create, clock, events);
        session.SetPortTable({{{sim.DevicePath(), ""}}, 0});
        PagerImage image = DefaultImage();

        const double readWire = (kPing + kVersion + kModel + 2 * kBlock) * kByteMs;
        const double verifyWire = (kPing + 2 * kBlock) * kByteMs;
        const double writeWire =
            (kPing + kVersion + kModel + 32 * kWriteFrame + 2 * kBlock) * kByteMs + 32 * 10.0;

        allMet &= Measure("Read", readWire, [&] { return session.Read(image).success; });
        allMet &= Measure("Write", writeWire, [&] { return session.Write(image).success; });
        allMet &= Measure("Verify", verifyWire, [&] { return session.Verify(image).success; });
    }
    {
        // Every open first looks for other programs on the port: one walk through
        // /proc (the board search makes one for all its ports).
        constexpr int kWalks = 20;
        QElapsedTimer wall;
        wall.start();
        for (int i = 0; i < kWalks; ++i) (void)PortUsers::Scan();
        const double walkMs = static_cast<double>(wall.nsecsElapsed()) / 1e6 / kWalks;
        int processes = 0;
        for (const auto& entry : std::filesystem::directory_iterator("/proc"))
            processes +=
                std::isdigit(static_cast<unsigned char>(entry.path().filename().string()[0]));
        std::printf("One walk through /proc for other users of a port: %.2f ms over %d processes\n",
                    walkMs, processes);
    }
    {
        test::SilentPtys silent(4);
        LinkSession session(&TCommPort::Create, clock, events);
        PortTable table;
        for (const auto& path : silent.Paths()) table.entries.push_back({path, ""});
        session.SetPortTable(table);
        QElapsedTimer wall;
        const double cpu0 = CpuMs();
        wall.start();
        const bool found = session.FindBoard();
        const double wallMs = static_cast<double>(wall.nsecsElapsed()) / 1e6;
        const double share = (CpuMs() - cpu0) / wallMs;
        const bool pass = !found && wallMs < 3500;
        std::printf(
            "FindBoard over 4 silent ports: %.1f ms (goal < 3500 ms; one port costs about 3000 ms) "
            " "
            "CPU share %.1f %%  %s\n",
            wallMs, share * 100, pass ? "ok" : "MISSED");
        allMet &= pass;
    }
    std::printf("%s\n", allMet ? "All link goals met." : "Some link goals missed.");
    return allMet ? 0 : 1;
}
