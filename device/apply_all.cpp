#include "device/apply_all.h"

#include <algorithm>
#include <cstring>

namespace kestra {

DeviceApplier::DeviceApplier(ReportLink& link, Waiter& waiter)
    : link_(link), waiter_(waiter), lastApplied_(new SettingsStore) {
    memset(lastApplied_.get(), 0, sizeof(SettingsStore));
}

int DeviceApplier::Send(const FeatureReport& report) {
    return link_.SetFeature(report.data(), kFeatureReportSize);
}

void DeviceApplier::ClearMacros() {
    for (int p = 0; p < kProfileCount; ++p) {
        for (int b = 0; b < kButtonCount; ++b) {
            macros_[p][b].fill(0);
            marks_[p][b] = false;
        }
    }
}

void DeviceApplier::BuildButtonTable(const SettingsStore& store, int profile) {
    table_.fill(0);
    if (profile < 0 || profile >= kProfileCount) return;
    const ProfileSettings& p = store.profiles[profile];
    for (int b = 0; b < kButtonCount; ++b) {
        bool needsMacro = false;
        const ButtonCode code = EncodeButton(p, profile, b, &needsMacro);
        table_[4 * b] = code.kind;
        table_[4 * b + 1] = code.b1;
        table_[4 * b + 2] = code.b2;
        table_[4 * b + 3] = code.b3;
        if (needsMacro) {
            macros_[profile][b] = BuildDeviceMacro(p.buttons[b]);
            marks_[profile][b] = true;
        }
    }
}

bool DeviceApplier::SelectProfileStep(const SettingsStore& store, int* result) {
    *result = Send(SelectProfileReport(store.CurrentProfile));
    return PauseUnlessAborted(waiter_, 200);
}

int DeviceApplier::SelectProfile(const SettingsStore& store) {
    int result = 0;
    if (!SelectProfileStep(store, &result)) return 0;
    return result;
}

namespace {

void AddFeature(ApplyPlan& plan, const FeatureReport& report, int pauseMs) {
    ApplyStep step{false, {}, pauseMs};
    std::copy(report.begin(), report.end(), step.bytes.begin());
    plan.push_back(step);
}

// A feature report followed by its block in two output reports, each half
// given 100 ms; `pauseAfterMs` more follow the second half.
void AddWithBlock(ApplyPlan& plan, const FeatureReport& report, const DeviceBlock& block,
                  int pauseAfterMs) {
    AddFeature(plan, report, 0);
    for (int half = 0; half < 2; ++half) {
        ApplyStep step{true, {}, half == 0 ? 100 : 100 + pauseAfterMs};
        std::copy(block.begin() + half * kOutputReportSize,
                  block.begin() + (half + 1) * kOutputReportSize, step.bytes.begin());
        plan.push_back(step);
    }
}

}  // namespace

ApplyPlan DeviceApplier::Plan(const SettingsStore& store, ApplyMode mode) {
    const bool all = mode == ApplyMode::kAll;
    const ChangeFlags& flags = store.flags;
    ApplyPlan plan;
    AddFeature(plan, OpenApplyReport(), 200);
    for (int p = 0; p < kProfileCount; ++p) {
        if (all || flags.polling[p] == 1)
            AddFeature(plan, PollingRateReport(store.profiles[p], p), 200);
    }
    for (int p = 0; p < kProfileCount; ++p) {
        if (all || flags.level[p] == 1) AddFeature(plan, CpiLevelReport(store.profiles[p], p), 200);
    }
    for (int p = 0; p < kProfileCount; ++p) {
        if (!all && flags.block[p] != 1) continue;
        AddWithBlock(plan,
                     MakeFeatureReport(kCmdConfigBlock, static_cast<uint8_t>(p + 1), kBlockFollows),
                     BuildConfigBlock(store.profiles[p]), 200);
    }
    ClearMacros();
    for (int p = 0; p < kProfileCount; ++p) {
        bool changed = all;
        for (int b = 0; b < kButtonCount && !changed; ++b) changed = flags.buttons[p][b] == 1;
        if (!changed) continue;
        BuildButtonTable(store, p);
        AddWithBlock(plan,
                     MakeFeatureReport(kCmdButtonTable, static_cast<uint8_t>(p + 1), kBlockFollows),
                     table_, 100);
        for (int b = 0; b < kButtonCount; ++b) {
            if (marks_[p][b]) {
                AddWithBlock(plan, MakeFeatureReport(kCmdMacro, MacroSlot(p, b), kBlockFollows),
                             macros_[p][b], 0);
            }
        }
    }
    AddFeature(plan, SelectProfileReport(store.CurrentProfile), 200);
    return plan;
}

int DeviceApplier::ApplyAll(const SettingsStore& store, ApplyMode mode, ApplyProgress* progress) {
    const ApplyPlan plan = Plan(store, mode);
    int remainingMs = 0;
    for (const ApplyStep& step : plan) remainingMs += step.pauseMs;
    const int total = static_cast<int>(plan.size());
    int result = 0;
    refused_ = 0;
    for (int i = 0; i < total; ++i) {
        const ApplyStep& step = plan[i];
        // The last report selects the profile; its result is the apply's.
        if (step.output) {
            if (!link_.WriteReport(step.bytes.data(), kOutputReportSize)) ++refused_;
        } else {
            result = link_.SetFeature(step.bytes.data(), kFeatureReportSize);
            if (!result) ++refused_;
        }
        if (progress != nullptr) progress->ReportSent(i + 1, total, remainingMs);
        remainingMs -= step.pauseMs;
        if (step.pauseMs > 0 && !PauseUnlessAborted(waiter_, step.pauseMs)) return 0;
    }
    memcpy(lastApplied_.get(), &store, sizeof(SettingsStore));
    return result;
}

}  // namespace kestra
