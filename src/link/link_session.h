#pragma once

#include <functional>
#include <memory>
#include <string>

#include "image/pager_image.h"
#include "link/byte_channel.h"
#include "link/comm_error.h"
#include "link/link_clock.h"
#include "link/link_events.h"
#include "link/link_outcome.h"
#include "link/port_diagnosis.h"
#include "link/port_table.h"

namespace mk843nb {

// The program's one serial port with its port table, and the three Pager
// commands built on the board's frames. The window owns one session for the
// whole run; the command-line tool one per command.
//
//   EventLoopClock clock;                // waits inside the Qt event loop
//   MyWindowEvents events;               // renders stages, PB1, menus, edtVersion, the box
//   LinkSession link(&TCommPort::Create, clock, events);
//   link.SetPortTable(DiscoverPorts(userPorts));
//   if (!link.FindBoard()) ShowMessage(link.StartupWarning());
//   PagerImage image = model.Image();
//   LinkOutcome out = link.Read(image);  // events: Started ... Outcome, Closed
class LinkSession {
public:
    using ChannelFactory = std::function<std::unique_ptr<ByteChannel>()>;
    // Finds out why a port (a table entry's name) could not be opened.
    using Diagnoser = std::function<PortDiagnosis(const std::string& name)>;

    // factory makes the channel the session uses and, for the board search, one
    // more per port probed at the same time.
    LinkSession(ChannelFactory factory, LinkClock& clock, LinkEvents& events);
    ~LinkSession();

    void SetPortTable(PortTable table);
    // DiagnosePort over the running system unless replaced.
    void SetDiagnoser(Diagnoser diagnoser) { diagnoser_ = std::move(diagnoser); }
    const PortTable& Ports() const { return ports_; }
    // cboPort's selection; an index outside the table makes the next command fail to open.
    void SelectPort(int index) { ports_.selected = index; }

    ByteChannel& Port() { return *port_; }
    // Exit and closing the window close the port if it is open.
    void ClosePort();

    // Opens the selected port and pings the board; the port stays open. A serial
    // error closes the port and gives false.
    bool TestBoard();
    // What sits on the board of the selected port now, for a run that waits for
    // pagers to be placed and taken off: the port is opened if need be, the board
    // pinged and, when it answers, the pager asked for its version bytes. Every
    // reply may keep silent for replyLimitMs only (a board and a pager answer at
    // once or not at all). The port stays open; nothing is shown but the frames.
    enum class Cradle { NoBoard, Empty, PagerPresent };
    Cradle ProbeCradle(int replyLimitMs);

    // The start-up search: every port of the table is opened and pinged, all at
    // once, each with the same bytes and timing as TestBoard. The lowest-index
    // port that answers is selected (the events' BoardFound) and left open, and the
    // result is true; without an answer every port is closed and the selection
    // is unchanged. Costs about 3 s however many ports are silent.
    // alreadyTried: the entry TestBoard has just tried without an answer (the
    // remembered board's port); it is not pinged again, and why it could not be
    // opened, if it could not, still counts for StartupWarning.
    bool FindBoard(int alreadyTried = -1);
    // The warning when FindBoard found nothing. A second line names the first
    // port that another program holds or the user may not open, with the fix;
    // ports that merely do not exist are not worth a word at start.
    Message StartupWarning() const;

    // The Pager menu's commands. Read replaces image only when the whole read
    // succeeded (bytes 1 and 2 take the version as soon as the pager answers);
    // Write prepares image in place and sends it; Verify compares it. handling:
    // what runs on the outcome before the closing, and whether the events show it.
    LinkOutcome Read(PagerImage& image, const OutcomeHandling& handling = {});
    LinkOutcome Write(PagerImage& image, const OutcomeHandling& handling = {});
    LinkOutcome Verify(const PagerImage& image, const OutcomeHandling& handling = {});

private:
    // Open, the command's body, Close; a serial error inside the body ends it
    // with the command's serial failure message.
    LinkOutcome Run(LinkCommand command, const OutcomeHandling& handling,
                    const std::function<void(LinkOutcome&)>& body);
    bool Open(LinkCommand command, LinkOutcome& outcome, const OutcomeHandling& handling);
    void ConfigureEntry(ByteChannel& port, int index);
    void ReadBody(PagerImage& image, LinkOutcome& outcome);
    void WriteBody(PagerImage& image, LinkOutcome& outcome);
    void VerifyBody(const PagerImage& image, LinkOutcome& outcome);
    // The failure class of a verify that did not pass, None when both blocks
    // matched; readBack keeps what the pager answered.
    LinkFailure VerifyBoth(const PagerImage& image, VerifyReadBack& readBack);
    void Stage(LinkStage stage);
    void Progress(int position);
    // The caller's completion, then the outcome to the events, before the closing.
    void Announce(LinkOutcome& outcome, const OutcomeHandling& handling);
    // message, and on a second line why the port of the failed open cannot be used.
    Message WithDiagnosis(Message message) const;

    ChannelFactory factory_;
    std::unique_ptr<ByteChannel> port_;
    LinkClock& clock_;
    LinkEvents& events_;
    PortTable ports_;
    std::string modelText_;
    int progress_ = 0;
    Diagnoser diagnoser_ = [](const std::string& name) { return DiagnosePort(name); };
    // The ports whose open failed since the last board test or search, in order.
    std::vector<std::pair<std::string, ECommError>> openFailures_;
};

}  // namespace mk843nb
