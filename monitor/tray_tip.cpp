#include "monitor/tray_tip.h"

#include <cstring>

namespace kestra {
namespace {

std::u16string Digits(int value) {
    const std::string text = std::to_string(value);
    return std::u16string(text.begin(), text.end());
}

// The first `length` units of `text`, never ending between the two halves
// of a surrogate pair.
std::u16string Cut(const std::u16string& text, size_t length) {
    if (text.size() <= length) return text;
    if (length > 0 && text[length - 1] >= 0xD800 && text[length - 1] <= 0xDBFF) --length;
    return text.substr(0, length);
}

}  // namespace

TrayTipInfo TrayTipOf(const SettingsStore& store) {
    TrayTipInfo info;
    const int p = store.CurrentProfile;
    if (p < 0 || p >= kProfileCount) return info;
    const ProfileSettings& profile = store.profiles[p];
    info.profile = p;
    info.name.assign(profile.ProFileName, strnlen(profile.ProFileName, sizeof profile.ProFileName));
    info.cpi = ActiveCpi(profile);
    return info;
}

int ActiveCpi(const ProfileSettings& profile) {
    const int level = profile.CpiStep;
    if (level < 0 || level >= kCpiLevelCount) return 0;
    const int value = profile.CpiLevel_X[level];
    return value > 0 && value <= 1000 ? value * 100 : 0;
}

std::u16string TrayTipText(const std::u16string& product, const std::u16string& name,
                           const TrayTipInfo& info, const std::u16string& notAnswering) {
    // No product text: the language library is missing, and the programs
    // hold no texts of their own ("Profile", "CPI"), so the tip stays empty.
    if (product.empty()) return std::u16string();
    if (info.notAnswering) return Cut(product + u"\n" + notAnswering, kTrayTipLength);
    if (info.profile < 0) return Cut(product, kTrayTipLength);
    const std::u16string number = Digits(info.profile + 1);
    std::u16string shown = name.empty() ? u"Profile " + number : name;
    std::u16string tail = name.empty() ? u"" : u" (" + number + u")";
    if (info.cpi > 0) tail += u" \u00B7 " + Digits(info.cpi) + u" CPI";
    const std::u16string head = product + u"\n";
    const size_t fixed = head.size() + tail.size();
    if (fixed + shown.size() > kTrayTipLength) {
        // Shorten the name, keeping at least a few letters of it.
        const size_t room = fixed < kTrayTipLength ? kTrayTipLength - fixed : 0;
        if (room >= 4) {
            shown = Cut(shown, room - 1) + u"\u2026";
        } else {
            return Cut(head + shown + tail, kTrayTipLength);
        }
    }
    return head + shown + tail;
}

}  // namespace kestra
