#include "device/apply_all.h"

#include <cstring>

namespace kestra {

DeviceApplier::DeviceApplier(ReportLink& link, Waiter& waiter)
    : link_(link), waiter_(waiter), lastApplied_(new SettingsStore) {
    memset(lastApplied_.get(), 0, sizeof(SettingsStore));
}

int DeviceApplier::Send(const FeatureReport& report) {
    return link_.SetFeature(report.data(), kFeatureReportSize);
}

bool DeviceApplier::SendWithBlock(const FeatureReport& report, const DeviceBlock& block) {
    Send(report);
    link_.WriteReport(block.data(), kOutputReportSize);
    if (!PauseUnlessAborted(waiter_, 100)) return false;
    link_.WriteReport(block.data() + kOutputReportSize, kOutputReportSize);
    return PauseUnlessAborted(waiter_, 100);
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

int DeviceApplier::ApplyAll(const SettingsStore& store, ApplyMode mode) {
    const bool all = mode == ApplyMode::kAll;
    const ChangeFlags& flags = store.flags;

    Send(OpenApplyReport());
    if (!PauseUnlessAborted(waiter_, 200)) return 0;

    for (int p = 0; p < kProfileCount; ++p) {
        if (!all && flags.polling[p] != 1) continue;
        Send(PollingRateReport(store.profiles[p], p));
        if (!PauseUnlessAborted(waiter_, 200)) return 0;
    }
    for (int p = 0; p < kProfileCount; ++p) {
        if (!all && flags.level[p] != 1) continue;
        Send(CpiLevelReport(store.profiles[p], p));
        if (!PauseUnlessAborted(waiter_, 200)) return 0;
    }
    for (int p = 0; p < kProfileCount; ++p) {
        if (!all && flags.block[p] != 1) continue;
        const FeatureReport report =
            MakeFeatureReport(kCmdConfigBlock, static_cast<uint8_t>(p + 1), kBlockFollows);
        if (!SendWithBlock(report, BuildConfigBlock(store.profiles[p]))) return 0;
        if (!PauseUnlessAborted(waiter_, 200)) return 0;
    }

    ClearMacros();
    for (int p = 0; p < kProfileCount; ++p) {
        bool changed = all;
        for (int b = 0; b < kButtonCount && !changed; ++b) changed = flags.buttons[p][b] == 1;
        if (!changed) continue;
        BuildButtonTable(store, p);
        const FeatureReport report =
            MakeFeatureReport(kCmdButtonTable, static_cast<uint8_t>(p + 1), kBlockFollows);
        if (!SendWithBlock(report, table_)) return 0;
        if (!PauseUnlessAborted(waiter_, 100)) return 0;
        for (int b = 0; b < kButtonCount; ++b) {
            if (!marks_[p][b]) continue;
            const FeatureReport macro =
                MakeFeatureReport(kCmdMacro, MacroSlot(p, b), kBlockFollows);
            if (!SendWithBlock(macro, macros_[p][b])) return 0;
        }
    }

    int result = 0;
    if (!SelectProfileStep(store, &result)) return 0;
    memcpy(lastApplied_.get(), &store, sizeof(SettingsStore));
    return result;
}

}  // namespace kestra
