// Which mouse the library speaks for, and which presence message a change
// of its sources calls for. A running virtual mouse takes the place of the
// real one, so that its plugging alone decides what Monitor sees.
#pragma once

namespace kestra {
namespace devport {

struct MouseSources {
    bool virtualRunning = false;
    bool virtualPlugged = false;
    bool hidPresent = false;
};

bool MousePresent(const MouseSources& sources);

enum class PresenceMessage { kNone, kRemoval, kArrival };

// Reports only changes of the combined answer: the state at the start is
// what opening the channels already tells.
class PresenceReport {
public:
    explicit PresenceReport(const MouseSources& initial) : present_(MousePresent(initial)) {}
    PresenceMessage Update(const MouseSources& sources);
    bool Present() const { return present_; }

private:
    bool present_;
};

}  // namespace devport
}  // namespace kestra
