#pragma once
// The four activity states of the main window (news page, links page, remote pane, transfer
// worker). Each is one byte, written whole, so that worker threads may read it at any time.
#include <cstdint>

namespace pw {

enum class ActivityState : std::uint8_t { Busy = 0, Connected = 1, Idle = 2 };

struct ActivityStates {
    ActivityState News = ActivityState::Idle;
    ActivityState Links = ActivityState::Idle;
    ActivityState FTP = ActivityState::Idle;
    ActivityState Transfer = ActivityState::Idle;

    bool AllIdle() const {
        return News == ActivityState::Idle && Links == ActivityState::Idle &&
               FTP == ActivityState::Idle && Transfer == ActivityState::Idle;
    }
    bool AnyBusy() const { return Any(ActivityState::Busy); }
    bool AnyConnected() const { return Any(ActivityState::Connected); }

private:
    bool Any(ActivityState s) const { return News == s || Links == s || FTP == s || Transfer == s; }
};

// What a close request does: refused while anything is busy, confirmed by the user while
// anything is connected, otherwise granted.
enum class CloseDecision { Refuse, Ask, Close };

inline CloseDecision DecideClose(const ActivityStates& states) {
    if (states.AnyBusy()) return CloseDecision::Refuse;
    if (states.AnyConnected()) return CloseDecision::Ask;
    return CloseDecision::Close;
}

} // namespace pw
