// ApplyAll: brings the mouse in line with a settings store, sending only what
// the change flags mark or everything. Runs on the device thread.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "device/device_commands.h"
#include "device/report_link.h"
#include "settings/settings_record.h"

namespace kestra {

enum class ApplyMode { kChangedOnly, kAll };

// One report of an apply and the pause the mouse needs after it.
struct ApplyStep {
    bool output;  // an output report of 64 bytes; otherwise a feature report of 8
    std::array<uint8_t, kOutputReportSize> bytes;
    int pauseMs;
};
using ApplyPlan = std::vector<ApplyStep>;

// Told after each report of an apply: how many of the plan's reports are
// sent and the pauses still to come, the one after this report included.
class ApplyProgress {
public:
    virtual ~ApplyProgress() = default;
    virtual void ReportSent(int sent, int total, int remainingPauseMs) = 0;
};

class DeviceApplier {
public:
    DeviceApplier(ReportLink& link, Waiter& waiter);
    DeviceApplier(const DeviceApplier&) = delete;
    DeviceApplier& operator=(const DeviceApplier&) = delete;

    // Returns 0 when stopped by an abort, otherwise the result of the final
    // select-profile command. Only a run that reaches its end updates the
    // last-applied copy.
    int ApplyAll(const SettingsStore& store, ApplyMode mode, ApplyProgress* progress = nullptr);
    // Every report ApplyAll sends for `store`, in order, with its pauses;
    // builds the button tables and macros on the way.
    ApplyPlan Plan(const SettingsStore& store, ApplyMode mode);
    // Makes `CurrentProfile` active on the mouse; 0 when aborted in its pause,
    // otherwise the result of the feature report.
    int SelectProfile(const SettingsStore& store);
    // Fills the button table of one profile and the macros of its buttons.
    void BuildButtonTable(const SettingsStore& store, int profile);
    void ClearMacros();

    // Reports of the last ApplyAll that the mouse refused (a call that
    // returned 0): a mouse that is there but does not take its settings.
    int refusedReports() const { return refused_; }

    const SettingsStore& LastApplied() const { return *lastApplied_; }
    const DeviceBlock& ButtonTable() const { return table_; }
    bool HasMacro(int profile, int button) const { return marks_[profile][button]; }
    const DeviceBlock& Macro(int profile, int button) const { return macros_[profile][button]; }

private:
    int Send(const FeatureReport& report);
    // False when aborted in the pause after the report.
    bool SelectProfileStep(const SettingsStore& store, int* result);

    ReportLink& link_;
    Waiter& waiter_;
    std::unique_ptr<SettingsStore> lastApplied_;
    DeviceBlock table_{};
    DeviceBlock macros_[kProfileCount][kButtonCount]{};
    bool marks_[kProfileCount][kButtonCount]{};
    int refused_ = 0;
};

}  // namespace kestra
