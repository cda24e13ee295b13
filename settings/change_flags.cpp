#include "settings/change_flags.h"

#include <cstring>

namespace kestra {

namespace {

struct ComparedField {
    size_t offset;
    size_t size;
    ChangeGroup group;
};

#define KESTRA_FIELD(member, group) \
    { offsetof(ProfileSettings, member), sizeof(ProfileSettings::member), ChangeGroup::group }

// Fields that are neither listed here nor buttons (names, system pointer
// settings, lift switch, media option...) set no flag: Monitor either does not
// send them or sends them through another path.
const ComparedField kComparedFields[] = {
    KESTRA_FIELD(TimeCloseFlag, kOtherFirst),
    KESTRA_FIELD(HDDKeyboard, kOtherFirst),
    KESTRA_FIELD(LiftLevel, kOtherFirst),
    KESTRA_FIELD(ColorChangeMode, kOtherFirst),
    KESTRA_FIELD(BTOption, kOtherFirst),
    KESTRA_FIELD(OTGSpeed, kOtherSecond),
    KESTRA_FIELD(PollingRate, kPolling),
    KESTRA_FIELD(CpiStep, kLevel),
    KESTRA_FIELD(LightIntensity, kBlock),
    KESTRA_FIELD(BreathSpeed, kBlock),
    KESTRA_FIELD(XYSynchronous, kBlock),
    KESTRA_FIELD(Sensitivity_X, kBlock),
    KESTRA_FIELD(Sensitivity_Y, kBlock),
    KESTRA_FIELD(XYCpiFlag, kBlock),
    KESTRA_FIELD(CpiLevel_X, kBlock),
    KESTRA_FIELD(CpiLevel_Y, kBlock),
    KESTRA_FIELD(dpiStepFlag, kBlock),
    KESTRA_FIELD(dpiIndicator, kBlock),
    KESTRA_FIELD(LightSwitch, kBlock),
    KESTRA_FIELD(LightType, kBlock),
    KESTRA_FIELD(ColorFlag, kBlock),
    KESTRA_FIELD(ColorOptions, kBlock),
    KESTRA_FIELD(DPIColor, kBlock),
    KESTRA_FIELD(LightEffectSwitch1, kBlock),
    KESTRA_FIELD(LightEffectSwitch2, kBlock),
    KESTRA_FIELD(LightEffectType1, kBlock),
    KESTRA_FIELD(LightEffectType2, kBlock),
    KESTRA_FIELD(ColorOptions1, kBlock),
    KESTRA_FIELD(ColorOptions2, kBlock),
    // The lighting-effect words, XuanCaiDirection through Direction.
    {offsetof(ProfileSettings, XuanCaiDirection),
     offsetof(ProfileSettings, Direction) + sizeof(int32_t) -
         offsetof(ProfileSettings, XuanCaiDirection),
     ChangeGroup::kBlock},
};

#undef KESTRA_FIELD

int32_t& FlagOf(ChangeFlags& flags, ChangeGroup group, int profile) {
    switch (group) {
        case ChangeGroup::kOtherFirst:
            return flags.otherFirst[profile];
        case ChangeGroup::kOtherSecond:
            return flags.otherSecond[profile];
        case ChangeGroup::kPolling:
            return flags.polling[profile];
        case ChangeGroup::kLevel:
            return flags.level[profile];
        case ChangeGroup::kBlock:
            break;
    }
    return flags.block[profile];
}

}  // namespace

void ComputeChangeFlags(const SettingsStore& applied, SettingsStore& working) {
    for (int p = 0; p < kProfileCount; ++p) {
        const auto* before = reinterpret_cast<const unsigned char*>(&applied.profiles[p]);
        const auto* after = reinterpret_cast<const unsigned char*>(&working.profiles[p]);
        bool changed[5] = {false, false, false, false, false};
        for (const ComparedField& field : kComparedFields) {
            if (memcmp(before + field.offset, after + field.offset, field.size) != 0)
                changed[static_cast<int>(field.group)] = true;
        }
        for (int g = 0; g < 5; ++g)
            FlagOf(working.flags, static_cast<ChangeGroup>(g), p) = changed[g] ? 1 : 0;
    }
    working.flags.currentProfile = applied.CurrentProfile != working.CurrentProfile ? 1 : 0;
}

void ClearHandedOverFlags(SettingsStore& store) {
    memset(store.flags.buttons, 0, sizeof store.flags.buttons);
    memset(store.flags.otherFirst, 0, sizeof store.flags.otherFirst);
    memset(store.flags.otherSecond, 0, sizeof store.flags.otherSecond);
}

}  // namespace kestra
