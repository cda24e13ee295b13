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
    CloseKey();
    const std::string full = base_.empty() ? std::string(path) : base_ + "\\" + path;
    HKEY key = nullptr;
    LONG result = RegOpenKeyExA(HKEY_CURRENT_USER, full.c_str(), 0, KEY_ALL_ACCESS, &key);
    if (result != ERROR_SUCCESS) {
        result = RegCreateKeyExA(HKEY_CURRENT_USER, full.c_str(), 0, nullptr,
                                 REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    }
    if (result != ERROR_SUCCESS) return false;
    key_ = key;
    return true;
}

int32_t CurrentUserRegistry::ReadNumber(const char* value) {
    if (!key_) return 0;
    char text[kValueBufferSize + 1] = {};
    DWORD type = 0;
    DWORD size = kValueBufferSize;
    if (RegQueryValueExA(key_, value, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) !=
        ERROR_SUCCESS)
        return 0;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return 0;
    // A text stored without its terminator still ends inside the buffer.
    text[size < kValueBufferSize ? size : kValueBufferSize] = 0;
    return LeadingDecimal(text);
}

void CurrentUserRegistry::CloseKey() {
    if (key_) RegCloseKey(key_);
    key_ = nullptr;
}

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
