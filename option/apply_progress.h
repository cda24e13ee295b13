// What Option shows in the area under its pages: an apply while Monitor sends
// it (how far it is, as a bar, and the time left, from the pauses the mouse
// still needs), and a mouse that is plugged in but does not answer.
#pragma once

#include <string>

namespace kestra {

class ApplyProgressState {
public:
    // A progress message (UM_APPLY_PROGRESS); false when it makes no sense
    // (no reports, more sent than there are, a negative time), which leaves
    // the state as it was.
    bool Take(unsigned long packed, long remainingPauseMs);
    void Clear() { *this = ApplyProgressState(); }

    bool visible() const { return total_ > 0; }
    int sent() const { return sent_; }
    int total() const { return total_; }
    // The filled part of a bar `width` pixels wide.
    int FillWidth(int width) const;
    // "Sending to the mouse: 37 of 282 reports", and ", 12 s left" once more
    // than two seconds are left.
    std::string Text() const;

private:
    int sent_ = 0;
    int total_ = 0;
    long remainingMs_ = 0;
};

// The area's one line. An apply in view takes the place of the warning while
// it shows: it is what the user just asked for, and it ends; the warning
// comes back after it for as long as Monitor still says so.
class ProgressAreaState {
public:
    enum class Shows { kNothing, kProgress, kNotAnswering };

    // Monitor's DeviceStateWord (UM_DEVICE_STATE, or the answer to
    // UM_QUERY_DEVICE_STATE); false for an answer it does not define, which
    // leaves the state as it was.
    bool TakeDeviceState(unsigned long word);
    ApplyProgressState& progress() { return progress_; }
    const ApplyProgressState& progress() const { return progress_; }

    Shows shows() const;

private:
    ApplyProgressState progress_;
    bool notAnswering_ = false;
};

}  // namespace kestra
