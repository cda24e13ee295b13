#include "settings/system_mouse_win.h"

namespace kestra {

static_assert(kSpiSetMouse == SPI_SETMOUSE, "");
static_assert(kSpiSetDoubleClickTime == SPI_SETDOUBLECLICKTIME, "");
static_assert(kSpiSetWheelScrollLines == SPI_SETWHEELSCROLLLINES, "");
static_assert(kSpiSetMouseSpeed == SPI_SETMOUSESPEED, "");
static_assert(kSpiUpdateAndBroadcast == (SPIF_UPDATEINIFILE | SPIF_SENDCHANGE), "");

namespace {

// The registry text is read into a buffer of this size, terminator included.
constexpr DWORD kValueBufferSize = 80;

}  // namespace

CurrentUserRegistry::CurrentUserRegistry(std::string base) : base_(std::move(base)) {}

CurrentUserRegistry::~CurrentUserRegistry() {
    CloseKey();
}

bool CurrentUserRegistry::OpenKey(const char* path) {
    const std::string full = base_.empty() ? std::string(path) : base_ + "\\" + path;
    // The pointer keys are the user's own: opened with full access, created
    // when missing.
    return key_.Open("HKEY_CURRENT_USER\\" + full, KEY_ALL_ACCESS, true);
}

int32_t CurrentUserRegistry::ReadNumber(const char* value) {
    if (!key_.isOpen()) return 0;
    return LeadingDecimal(key_.ReadString(value, kValueBufferSize).c_str());
}

void CurrentUserRegistry::CloseKey() { key_.Close(); }

void SystemPointerWriter::Write(const PointerWrite& write) {
    if (write.call == PointerWrite::kSetDoubleClickTime) {
        SetDoubleClickTime(write.uiParam);
        return;
    }
    int triple[3] = {write.pvTriple[0], write.pvTriple[1], write.pvTriple[2]};
    void* pv = nullptr;
    if (write.pvKind == PointerWrite::kPvInteger)
        pv = reinterpret_cast<void*>(static_cast<INT_PTR>(write.pvInteger));
    else if (write.pvKind == PointerWrite::kPvTriple)
        pv = triple;
    SystemParametersInfoA(write.action, write.uiParam, pv, write.flags);
}

void ReadSystemSettingsFromRegistry(ProfileSettings& profile) {
    CurrentUserRegistry registry;
    ReadSystemSettings(registry, profile);
}

}  // namespace kestra
