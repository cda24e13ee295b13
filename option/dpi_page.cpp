#include "option/dpi_page.h"

#include <cstdio>

namespace kestra {
namespace {

int ActiveLevel(const ProfileSettings& p) {
    return p.CpiStep >= 0 && p.CpiStep < kCpiLevelCount ? p.CpiStep : -1;
}

int ChannelShift(int controlId) {
    switch (controlId) {
        case kRedControlId:
            return 0;
        case kGreenControlId:
            return 8;
        case kBlueControlId:
            return 16;
        default:
            return -1;
    }
}

}  // namespace

std::string LevelText(int value) {
    char text[24];
    snprintf(text, sizeof text, "%lld", static_cast<long long>(value) * 100);
    return text;
}

DpiView ViewDpi(const ProfileSettings& p) {
    DpiView v;
    const int active = ActiveLevel(p);
    for (int i = 0; i < kCpiLevelCount; ++i) {
        DpiRowView& row = v.rows[i];
        row.value = p.CpiLevel_X[i];
        row.enabled = p.dpiStepFlag[i] != 0;
        row.active = i == active;
        row.enableCheckUsable = !row.active;
        row.text = LevelText(row.value);
        v.colours[i] = static_cast<uint32_t>(p.DPIColor[i]) & 0x00FFFFFF;
    }
    v.xSlider = p.Sensitivity_X;
    v.ySlider = p.Sensitivity_Y;
    v.separate = p.XYSynchronous != 0;
    return v;
}

DpiRowOutcome OnDpiRowMessage(ProfileSettings& p, uintptr_t wParam, intptr_t lParam) {
    if (lParam < kDpiRowFirstId || lParam >= kDpiRowFirstId + kCpiLevelCount) {
        return DpiRowOutcome::kIgnored;
    }
    const int level = static_cast<int>(lParam - kDpiRowFirstId);
    const int kind = static_cast<int>((wParam >> 16) & 0xFFFF);
    const int value = static_cast<int>(wParam & 0xFFFF);
    switch (kind) {
        case kDpiRowEnable:
            // The level in use cannot be switched off, whatever asks for it.
            if (value == 0 && level == ActiveLevel(p)) return DpiRowOutcome::kIgnored;
            p.dpiStepFlag[level] = value != 0 ? 1 : 0;
            return DpiRowOutcome::kStored;
        case kDpiRowValue:
            p.CpiLevel_X[level] = value;
            return DpiRowOutcome::kStored;
        case kDpiRowSelect:
            p.CpiStep = level;
            return DpiRowOutcome::kActiveLevelChanged;
        default:
            return DpiRowOutcome::kIgnored;
    }
}

bool OnSensitivitySlider(ProfileSettings& p, int sliderId, int position) {
    const bool together = p.XYSynchronous == 0;
    if (sliderId == kXSensitivitySliderId) {
        p.Sensitivity_X = position;
        if (together) p.Sensitivity_Y = position;
        return true;
    }
    if (sliderId == kYSensitivitySliderId) {
        p.Sensitivity_Y = position;
        if (together) p.Sensitivity_X = position;
        return true;
    }
    return false;
}

void OnXYCheck(ProfileSettings& p, bool separate) {
    p.XYSynchronous = separate ? 1 : 0;
    if (!separate && p.Sensitivity_X != p.Sensitivity_Y) p.Sensitivity_Y = p.Sensitivity_X;
}

bool SetLevelColour(ProfileSettings& p, int level, uint32_t colour) {
    if (level < 0 || level >= kCpiLevelCount) return false;
    p.DPIColor[level] = static_cast<int32_t>(colour & 0x00FFFFFF);
    return true;
}

uint32_t WithChannel(uint32_t colour, int controlId, int value) {
    const int shift = ChannelShift(controlId);
    if (shift < 0) return colour;
    const uint32_t byte = static_cast<uint32_t>(value < 0 ? 0 : value > 255 ? 255 : value);
    return (colour & ~(0xFFu << shift)) | (byte << shift);
}

int Channel(uint32_t colour, int controlId) {
    const int shift = ChannelShift(controlId);
    return shift < 0 ? 0 : static_cast<int>((colour >> shift) & 0xFF);
}

}  // namespace kestra
