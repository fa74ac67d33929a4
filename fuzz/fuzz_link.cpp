// The link against a board that misbehaves in every way the input can choose,
// reply by reply, during Read, Write and Verify (one to three commands on one
// session, as the window runs them). Whatever the board does, the command must
// end with a message, close the port, and never claim more than the line
// showed: a Read replaces the image only with what it read, a Write and a
// Verify succeed only on acknowledgements and read-backs that match.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <span>

#include "frames.h"
#include "image/pager_image.h"
#include "link/link_events.h"
#include "link/link_messages.h"
#include "link/link_session.h"
#include "pager_memory.h"
#include "played_board.h"

namespace {

using namespace mk843nb;
using fuzz::Bytes;
using fuzz::Exchange;

void Check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
}

struct Request {
    bool write = false;
    unsigned address = 0;
    unsigned count = 0;
};

Request Parse(const Bytes& request) {
    Request r;
    r.write = request[11] == sim::kWriteSub;
    r.address = static_cast<unsigned>(request[13] << 8 | request[14]);
    r.count = r.write ? request[12] - 2u : request[15];
    return r;
}

// The block read of count bytes at address whose reply, as the link took it,
// carries a right sum and exactly the image's bytes there. The frames are
// checked with the emulator's own frame code, not the link's.
bool ReadBackMatches(const Exchange& exchange, const PagerImage& image, unsigned address,
                     unsigned count) {
    const Request r = Parse(exchange.request);
    if (r.write || r.address != address || r.count != count) return false;
    const Bytes& reply = exchange.taken;
    if (reply.size() != sim::kHeaderSize + count + 2) return false;
    const std::uint16_t sum = sim::FrameSum(reply, reply.size() - 2);
    if (reply[reply.size() - 2] != (sum >> 8) || reply.back() != (sum & 0xFF)) return false;
    return std::equal(reply.begin() + sim::kHeaderSize, reply.end() - 2, image.begin() + address);
}

// The two read-backs that end a Write and make up a Verify.
bool VerifiedByReadBack(std::span<const Exchange> exchanges, const PagerImage& image) {
    return exchanges.size() >= 2 &&
           ReadBackMatches(exchanges[exchanges.size() - 2], image, 0, 128) &&
           ReadBackMatches(exchanges.back(), image, 128, 128);
}

// Every write frame of the image, in order, each acknowledged as the link took
// the reply, before the read-backs.
bool EveryFrameAcknowledged(std::span<const Exchange> exchanges, const PagerImage& image) {
    constexpr std::size_t kFrames = kImageSize / 8;
    if (exchanges.size() < kFrames + 2) return false;
    const auto writes = exchanges.subspan(exchanges.size() - 2 - kFrames, kFrames);
    for (std::size_t i = 0; i < kFrames; ++i) {
        const Request r = Parse(writes[i].request);
        if (!r.write || r.address != i * 8 || r.count != 8) return false;
        if (!std::equal(image.begin() + r.address, image.begin() + r.address + 8,
                        writes[i].request.begin() + 15))
            return false;
        if (writes[i].taken != sim::BuildAcknowledgement()) return false;
    }
    return true;
}

bool SameExceptVersion(const PagerImage& a, const PagerImage& b) {
    for (std::size_t i = 0; i < kImageSize; ++i)
        if (i != 1 && i != 2 && a[i] != b[i]) return false;
    return true;
}

// The window's image at start: the built-in default with a few fields changed,
// so that it differs from what the pager holds.
// The window as the events leave it: every command must give it back enabled,
// with its one outcome before its one closing.
class WindowEvents : public LinkEvents {
public:
    void Started(LinkCommand, std::string_view) override {
        windowEnabled = false;
        ++started;
    }
    bool Outcome(const LinkOutcome&) override {
        if (closed == started) outcomeAfterClosing = true;
        return false;
    }
    void Closed(const LinkClosing&) override {
        windowEnabled = true;
        ++closed;
    }
    bool windowEnabled = true;
    bool outcomeAfterClosing = false;
    int started = 0, closed = 0;
};

PagerImage WindowImageAtStart() {
    PagerImage image = DefaultImage();
    image[70] = 60;
    image[100] ^= 0x5A;
    image[200] ^= 0xA5;
    return image;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Set FUZZ_LINK_SHOW=1 to see how each command of an input ended.
    static const bool showOutcomes = std::getenv("FUZZ_LINK_SHOW") != nullptr;
    fuzz::ReplyScript script({data, size});
    // Bits 0-1: how many commands (1 to 3); then two bits a command: Read,
    // Write, Verify, or Read.
    const std::uint8_t commands = script.Next();
    const int count = 1 + commands % 4 % 3;

    fuzz::FakeClock clock;
    int openChannels = 0;
    fuzz::PlayedBoard board(sim::MakePagerMemory({}), script, clock);
    WindowEvents events;
    {
        LinkSession session(
            [&] { return std::make_unique<fuzz::PlayedChannel>(board, clock, openChannels); },
            clock, events);
        session.SetPortTable({{{"/dev/played", ""}}, 0});
        PagerImage window = WindowImageAtStart();

        for (int i = 0; i < count; ++i) {
            board.Restart();
            fuzz::PlayedChannel::waits = 0;
            const std::size_t first = board.Exchanges().size();
            const int kind = (commands >> (2 + 2 * i)) & 3;
            const PagerImage before = window;
            LinkOutcome outcome;
            if (kind == 0 || kind == 3) {
                outcome = session.Read(window);
                Check(outcome.imageReplaced == outcome.success, "Read replaced the image");
                Check(outcome.success || SameExceptVersion(window, before),
                      "a failed Read changed the image beyond the version");
            } else if (kind == 1) {
                const PagerImage pagerBefore = board.Memory();
                outcome = session.Write(window);
                const auto writes = static_cast<int>(
                    std::count_if(board.Exchanges().begin() + static_cast<std::ptrdiff_t>(first),
                                  board.Exchanges().end(),
                                  [](const Exchange& e) { return Parse(e.request).write; }));
                // A frame counts as sent once the link tried; the port may fail under it.
                Check(outcome.writeFramesSent >= writes && outcome.writeFramesSent <= writes + 1,
                      "Write miscounted the frames it sent");
                Check(outcome.writeFramesSent > 0 || board.Memory() == pagerBefore,
                      "Write says no frame went out, but the pager changed");
            } else {
                outcome = session.Verify(window);
                Check(window == before, "Verify changed the image");
            }
            const std::span<const Exchange> mine = std::span(board.Exchanges()).subspan(first);

            Check(outcome.message.has_value(), "the command ended without a message");
            if (showOutcomes)
                std::fprintf(stderr, "command %d (%s): %s, %zu exchanges, %s board\n", i,
                             kind == 1   ? "Write"
                             : kind == 2 ? "Verify"
                                         : "Read",
                             outcome.message->text.c_str(), mine.size(),
                             board.Honest() ? "honest" : "lying");
            Check(openChannels == 0, "the port was left open");
            Check(events.windowEnabled, "the window was left disabled");
            Check(events.started == i + 1 && events.closed == i + 1,
                  "a command did not start and close exactly once");
            Check(!events.outcomeAfterClosing, "the outcome came after the closing");
            if (!outcome.success) continue;
            if (kind == 0 || kind == 3) {
                Check(outcome.message == ReadSuccessMessage(), "Read success message");
                Check(mine.size() >= 2 && ReadBackMatches(mine[mine.size() - 2], window, 0, 128) &&
                          ReadBackMatches(mine.back(), window, 128, 128),
                      "Read took an image the line did not carry");
            } else if (kind == 1) {
                Check(outcome.message == WriteSuccessMessage(), "Write success message");
                Check(EveryFrameAcknowledged(mine, window),
                      "Write succeeded without every frame acknowledged");
                Check(VerifiedByReadBack(mine, window), "Write succeeded without its verify");
            } else {
                Check(outcome.message == VerifySuccessMessage(), "Verify success message");
                Check(VerifiedByReadBack(mine, window), "Verify succeeded on a difference");
            }
            // A board that sent nothing but its own answers cannot fool the link:
            // on success the pager holds the window's image.
            if (board.Honest())
                Check(board.Memory() == window, "success, but the pager holds another image");
        }
    }
    Check(openChannels == 0, "the port was left open at the end");
    return 0;
}
