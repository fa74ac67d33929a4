#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace mk843nb {

// The Pager menu items a link command enables and disables.
struct PagerMenuItems {
    bool read1 = true;    // "Read"
    bool write1 = false;  // "Write"
    bool verify1 = true;  // "Verify"

    bool operator==(const PagerMenuItems&) const = default;
};

enum class FrameDirection { Sent, Received };

struct LinkOutcome;

// What the link tells its user while it works. The window renders these on its
// widgets (status panel 1, PB1 in panel 0, edtVersion, cboPort, the Pager menu);
// the command-line tool prints the frames. Every method has a do-nothing default.
class LinkHooks {
public:
    virtual ~LinkHooks() = default;

    // Panel 1 of the status bar.
    virtual void SetStatusText(std::string_view /*text*/) {}
    // Panel 2 of the status bar (Write empties it).
    virtual void ClearStatusPanel2() {}
    // The whole main window.
    virtual void SetWindowEnabled(bool /*enabled*/) {}
    virtual void SetMenuItems(const PagerMenuItems& /*items*/) {}
    // PB1.
    virtual void SetProgressRange(int /*minimum*/, int /*maximum*/) {}
    virtual void SetProgress(int /*position*/) {}
    // PB1 is repainted at once before each read, write and query frame.
    virtual void RepaintProgress() {}
    // The firmware version text goes into edtVersion; edtVersion and lblVersion become visible.
    virtual void ShowVersion(std::string_view /*text*/) {}
    // The board search found the board on port table entry index: cboPort selects it.
    virtual void SelectPort(int /*index*/) {}
    // The command's outcome, before its closing (window enabled, PB1 emptied,
    // status " Ready"): the window shows its message box here, so the user reads
    // it beside the status and progress it refers to. Returns true when the
    // message was shown; otherwise the caller shows outcome.message itself.
    virtual bool ShowOutcome(const LinkOutcome& /*outcome*/) { return false; }
    // Every frame sent and every reply received (also a partial one), with the
    // link clock's time in milliseconds.
    virtual void TraceFrame(FrameDirection /*direction*/, std::span<const std::uint8_t> /*bytes*/,
                            std::int64_t /*timeMs*/) {}
    // The same frame with the port it went out on or came in from; the link
    // calls this one. A user that does not tell ports apart gets TraceFrame.
    virtual void TraceFrameOn(std::string_view /*port*/, FrameDirection direction,
                              std::span<const std::uint8_t> bytes, std::int64_t timeMs) {
        TraceFrame(direction, bytes, timeMs);
    }
};

}  // namespace mk843nb
