#include "device/report_link.h"

namespace kestra {

bool PauseUnlessAborted(Waiter& waiter, int ms) {
    while (ms > 0) {
        if (waiter.AbortRequested()) return false;
        const int slice = ms < kWaitSliceMs ? ms : kWaitSliceMs;
        waiter.Sleep(slice);
        ms -= slice;
    }
    return !waiter.AbortRequested();
}

}  // namespace kestra
