#include "devport/presence_choice.h"

namespace kestra {
namespace devport {

bool MousePresent(const MouseSources& s) {
    return s.virtualRunning ? s.virtualPlugged : s.hidPresent;
}

PresenceMessage PresenceReport::Update(const MouseSources& sources) {
    const bool present = MousePresent(sources);
    if (present == present_) return PresenceMessage::kNone;
    present_ = present;
    return present ? PresenceMessage::kArrival : PresenceMessage::kRemoval;
}

}  // namespace devport
}  // namespace kestra
