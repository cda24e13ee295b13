// What Option shows of an apply while Monitor sends it: how far it is, as a
// bar, and the time left, from the pauses the mouse still needs.
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

}  // namespace kestra
