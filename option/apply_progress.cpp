#include "option/apply_progress.h"

#include <cstdio>

#include "settings/ipc_names.h"

namespace kestra {

bool ApplyProgressState::Take(unsigned long packed, long remainingPauseMs) {
    const int sent = static_cast<int>(ApplyProgressSent(packed));
    const int total = static_cast<int>(ApplyProgressTotal(packed));
    if (total == 0 || sent > total || remainingPauseMs < 0) return false;
    sent_ = sent;
    total_ = total;
    remainingMs_ = remainingPauseMs;
    return true;
}

int ApplyProgressState::FillWidth(int width) const {
    if (total_ <= 0 || width <= 0) return 0;
    return static_cast<int>(static_cast<long long>(width) * sent_ / total_);
}

std::string ApplyProgressState::Text() const {
    if (!visible()) return "";
    char text[96];
    int length = snprintf(text, sizeof text, "Sending to the mouse: %d of %d reports", sent_, total_);
    // Below two seconds a countdown only flickers; the bar says enough.
    if (remainingMs_ > 2000 && length > 0 && length < static_cast<int>(sizeof text)) {
        snprintf(text + length, sizeof text - length, ", %ld s left", (remainingMs_ + 500) / 1000);
    }
    return text;
}

bool ProgressAreaState::TakeDeviceState(unsigned long word) {
    const unsigned answer = DeviceStateAnswer(word);
    if (answer > kMouseNotChecked) return false;
    notAnswering_ = answer == kMouseNotAnswering;
    return true;
}

ProgressAreaState::Shows ProgressAreaState::shows() const {
    if (progress_.visible()) return Shows::kProgress;
    return notAnswering_ ? Shows::kNotAnswering : Shows::kNothing;
}

}  // namespace kestra
