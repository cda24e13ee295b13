#include "monitor/macro_player.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace kestra {
namespace {

constexpr int kLongHoldStart = 500;   // ms before a held key starts repeating
constexpr int kRepeatInterval = 33;   // ms between repeats of a held key
constexpr int kCancelReleasePause = 50;
// Waits run against absolute deadlines so that sleep overshoots do not add up.
// When an injection itself stalls (the system busy, a hook slow to answer) by
// more than this, the deadline moves to the moment the event went out: the
// delay after a late event is kept whole instead of being cut short.
constexpr int64_t kMaxLag = 4;

bool IsMouseKey(uint8_t key) { return key >= 240 && key <= 244; }

}  // namespace

MacroPlayer::MacroPlayer(InputInjector& injector, MacroClock& clock, const KeyboardLayout& layout)
    : injector_(injector), clock_(clock), layout_(layout) {}

bool MacroPlayer::Start(const ButtonAssignment& button) {
    if (button.function != 16 || button.stepCount == 0) return false;
    // Playing from here on, not from when the macro thread gets to it: a
    // second press in between cancels, and never loads other steps under a
    // playback already handed over or hands over a second one.
    int idle = 0;
    if (!playing_.compare_exchange_strong(idle, 1)) {
        Cancel();
        return false;
    }
    memcpy(steps_, button.steps, sizeof steps_);
    stepCount_ = std::min<int>(button.stepCount, kMacroStepSlots);
    repeatCount_ = button.repeatCount <= 0 ? 1 : button.repeatCount;
    // A cancel that came after the last playback had ended is spent.
    cancel_.store(0);
    clock_.Rearm();
    currentStep_ = 0;
    return true;
}

void MacroPlayer::Cancel() {
    cancel_.store(1);
    clock_.Interrupt();
}

void MacroPlayer::Wait(int milliseconds, bool interruptible) {
    const int64_t now = clock_.NowMs();
    if (deadline_ < now - kMaxLag) deadline_ = now;
    deadline_ += milliseconds;
    if (!interruptible) {
        clock_.WaitUntilMs(deadline_);
        return;
    }
    clock_.WaitUntilMsOrInterrupt(deadline_);
    // Cut short by a cancel: what follows (the releases) starts now, not
    // when the step would have ended.
    deadline_ = std::min(deadline_, clock_.NowMs());
}

void MacroPlayer::InjectKey(uint8_t key, bool up) {
    uint32_t virtualKey = 0;
    KeyIndexToVirtualKey(key, layout_, virtualKey);
    injector_.Key(virtualKey, layout_.VirtualKeyToScanCode(virtualKey), up);
}

void MacroPlayer::ReleaseHeld(int limit) {
    for (int released = 0; released < limit && !held_.empty(); ++released) {
        const uint8_t key = held_.back();
        held_.pop_back();
        if (IsMouseKey(key)) injector_.MouseButton(key, false);
        else InjectKey(key, true);
        Wait(kCancelReleasePause, false);
    }
}

void MacroPlayer::Play() {
    held_.clear();
    deadline_ = clock_.NowMs();
    const int start = currentStep_, end = stepCount_;
    bool cancelled = false;
    if (end - start > 0) {
        for (int repetition = 0; repetition < repeatCount_ && !cancelled; ++repetition) {
            for (int j = start; j < end; ++j) {
                currentStep_ = j;
                if (cancel_.load()) {
                    cancelled = true;
                    break;
                }
                const uint8_t key = steps_[j].key, action = steps_[j].action;
                const int delay = steps_[j].delay == 0 ? 1 : steps_[j].delay;
                if (action == 1) {
                    held_.push_back(key);
                } else if (action == 2) {
                    auto last = std::find(held_.rbegin(), held_.rend(), key);
                    if (last != held_.rend()) held_.erase(std::next(last).base());
                }
                if (!IsMouseKey(key)) {
                    InjectKey(key, action == 2);
                    if (action == 2 || (action == 1 && delay <= kLongHoldStart)) {
                        Wait(delay);
                    } else if (action == 1) {
                        // A long hold repeats like a held keyboard key.
                        Wait(kLongHoldStart);
                        for (int left = delay - kLongHoldStart; left > 0; left -= kRepeatInterval) {
                            InjectKey(key, true);
                            InjectKey(key, false);
                            if (cancel_.load()) break;
                            Wait(kRepeatInterval);
                        }
                    }
                } else {
                    if (action == 1) injector_.MouseButton(key, true);
                    else if (action == 2) injector_.MouseButton(key, false);
                    Wait(delay);
                }
            }
            if (cancel_.load()) cancelled = true;
        }
    }
    char line[96];
    snprintf(line, sizeof line, "g_iCurAction= %d,start=%d,end=%d\n", currentStep_, start, end);
    injector_.Debug(line);
    if (cancelled && currentStep_ > start && currentStep_ < end) ReleaseHeld(currentStep_ - start);
    playing_.store(0);
}

}  // namespace kestra
