// Every number and name by which the processes of the system, their windows,
// threads and menus find each other. These values are a format between
// programs built separately: change none of them. Nothing else in the code
// spells them again. Portable: no <windows.h> needed (WM_USER is 0x400).
#pragma once

namespace kestra {

// ---- Named kernel objects -------------------------------------------------

// Single instance of Monitor; created at start, opened by nobody.
constexpr char kMonitorInstanceMutexName[] = "QUORVEN_731_5082_Gaming_Mouse_Normal_Monitor_Mutex";
// Guards every copy into or out of the shared block. Created by Monitor with
// its window, opened by Option.
constexpr char kBlockMutexName[] = "QUORVEN_731_5082_Gaming_Mouse_Normal_Mutex_Object";
// The paging-file mapping that holds one SettingsStore.
constexpr char kSharedBlockName[] = "QUORVEN_731_5082_Gaming_Mouse_Normal_Share_Data";
// Single instance of Option.
constexpr char kOptionInstanceMutexName[] = "QUORVEN_731_5082_Gaming_Mouse_Normal_configure";

// ---- Window titles (found with FindWindowA by title only) ------------------

constexpr char kMonitorWindowTitle[] = "QUORVEN 731 5082 Gaming Mouse Monitor";
constexpr char kOptionWindowTitle[] = "QUORVEN 731 5082 Gaming Mouse Option";
constexpr char kOsdWindowTitle[] = "Kestra_620-5094_Gaming_Mouse_Normal_OSD";
constexpr char kMailAppletWindowTitle[] = "Kestra_620-5094 Gaming Mouse Pop3";
constexpr char kGaugeAppletWindowTitle[] = "Kestra_620-5094 Gaming Mouse CPU RAM OSD";
constexpr char kSkypeIndicatorWindowTitle[] = "Kestra_620-5094 Gaming Mouse OSD SKYPE";
constexpr char kMsnIndicatorWindowTitle[] = "Kestra_620-5094 Gaming Mouse OSD MSN";

// The four applet and indicator windows that Option notifies after an apply
// and Monitor closes at shut-down, in that order.
constexpr const char* kAppletWindowTitles[4] = {kMailAppletWindowTitle, kGaugeAppletWindowTitle,
                                                kSkypeIndicatorWindowTitle,
                                                kMsnIndicatorWindowTitle};

// ---- Window messages to Monitor's main window -----------------------------

constexpr unsigned UM_APPLY_SETTINGS = 0x4C8;          // sent by Option; also posted to the applets
constexpr unsigned UM_RELOAD_SETTINGS = 0x4CA;         // re-read the shared block
constexpr unsigned UM_RELOAD_SYSTEM_SETTINGS = 0x4CB;  // re-read, then apply pointer settings
constexpr unsigned UM_MONITOR_IGNORED = 0x4FA;         // accepted and ignored
constexpr unsigned UM_TRAY_NOTIFY = 0x40C;             // tray icon callback
constexpr unsigned UM_DEVICE_EVENT = 0x52D;            // from the HID access library
constexpr unsigned UM_DEVICE_PRESENCE = 0x52E;         // from the HID access library
// Private to Monitor (WM_APP + 1): its device thread selected profile wParam
// on the mouse; the window thread shows the indication.
constexpr unsigned UM_PROFILE_SELECTED = 0x8001;
// Private to Monitor (WM_APP + 2): its device thread found the mouse answering
// or not; wParam the DeviceStateWord. The window thread tells the tray and
// Option.
constexpr unsigned UM_DEVICE_STATE_CHANGED = 0x8002;
// Private to Monitor (WM_APP + 3): its device thread found a firmware other
// than the expected one; the window thread asks the user to update.
constexpr unsigned UM_WRONG_FIRMWARE = 0x8003;
// Sent (not posted) by another program: the result is Monitor's
// DeviceStateWord. Parameters are ignored, so nothing a sender puts there
// changes anything.
constexpr unsigned UM_QUERY_DEVICE_STATE = 0x4F2;
// Sent (not posted) by `Monitor.exe /status`, `/profile N` and `/level N`
// run beside the agent: wParam a ScriptRequest, lParam its number (1..5).
// The result is a ScriptAnswer; 0 comes from a Monitor that does not know
// the message. Every other wParam, and every number out of range, changes
// nothing.
constexpr unsigned UM_SCRIPT_REQUEST = 0x4F3;
enum ScriptRequest : unsigned {
    kScriptStatus = 1,         // what Monitor alone knows; see kScriptSelectedByProgram
    kScriptSelectProfile = 2,  // as the bound-program watch selects one
    kScriptSelectLevel = 3,    // the active level of the current profile
};
enum ScriptAnswer : unsigned {
    kScriptDone = 1,
    kScriptOutOfRange = 2,    // the number is not 1..5
    kScriptLevelOff = 3,      // that level of the current profile is switched off
    kScriptNotARequest = 4,   // an unknown request
};
// Or-ed into the answer to kScriptStatus: the current profile was selected
// by the bound-program watch, for the program its `GameFile` names.
constexpr unsigned long kScriptSelectedByProgram = 0x100;

// ---- Window messages to Option's main dialog ------------------------------

constexpr unsigned UM_BLOCK_REFRESH = 0x4E6;
constexpr unsigned UM_PROFILE_CHANGED = 0x4E7;
constexpr unsigned UM_APPLY_DONE = 0x4E8;
constexpr unsigned UM_DEVICE_VALUES_CHANGED = 0x4E9;
constexpr unsigned UM_OPTION_IGNORED_A = 0x4EA;  // accepted and ignored
constexpr unsigned UM_OPTION_IGNORED_B = 0x465;  // accepted and ignored
// Posted by Monitor's device thread after each report of an apply: wParam
// the reports sent (low word) and the apply's reports (high word), lParam
// the milliseconds of pause still to come. A window that does not know it
// ignores it.
constexpr unsigned UM_APPLY_PROGRESS = 0x4F0;
constexpr unsigned long PackApplyProgress(unsigned sent, unsigned total) {
    return (sent & 0xFFFFu) | ((total & 0xFFFFu) << 16);
}
constexpr unsigned ApplyProgressSent(unsigned long packed) { return packed & 0xFFFFu; }
constexpr unsigned ApplyProgressTotal(unsigned long packed) { return (packed >> 16) & 0xFFFFu; }
// Posted by Monitor whenever what it knows of the mouse changes: wParam the
// DeviceStateWord. Option shows a mouse that does not answer.
constexpr unsigned UM_DEVICE_STATE = 0x4F1;

// ---- What Monitor knows of the mouse ------------------------------------------

// Low byte of a DeviceStateWord.
enum DeviceAnswer : unsigned {
    kMouseAbsent = 0,        // not plugged in (or no Monitor to say otherwise)
    kMouseAnswering = 1,     // its firmware answered and it takes the reports
    kMouseNotAnswering = 2,  // found, but its version request or reports went unanswered
    kMouseNotChecked = 3,    // plugged in, its first check still to come
};
// The answer in bits 0..7, the firmware's major and minor version in bits
// 8..15 and 16..23, and bit 24 set when the version was read.
constexpr unsigned long PackDeviceState(unsigned answer, bool versionKnown, unsigned major,
                                        unsigned minor) {
    return (answer & 0xFFu) | ((major & 0xFFu) << 8) | ((minor & 0xFFu) << 16) |
           (versionKnown ? (1ul << 24) : 0ul);
}
constexpr unsigned DeviceStateAnswer(unsigned long word) { return word & 0xFFu; }
constexpr bool DeviceStateVersionKnown(unsigned long word) { return ((word >> 24) & 1u) != 0; }
constexpr unsigned DeviceStateMajor(unsigned long word) { return (word >> 8) & 0xFFu; }
constexpr unsigned DeviceStateMinor(unsigned long word) { return (word >> 16) & 0xFFu; }

// ---- Window messages to the on-screen display program ---------------------

constexpr unsigned UM_OSD_SHOW = 0x52C;
// Same number as UM_DEVICE_PRESENCE; the two go to different windows.
constexpr unsigned UM_OSD_SETTINGS = 0x52E;

// wParam values of UM_OSD_SHOW.
constexpr unsigned OSD_SHOW_PROFILE = 40;  // lParam = profile index << 16
constexpr unsigned OSD_SHOW_MESSAGE = 50;  // text in "OSDData"/"Message"
constexpr unsigned OSD_SHOW_MACRO = 70;    // macro named in "MacroOSD"

// Single instance of the on-screen display program Overlay.exe.
constexpr char kOsdInstanceMutexName[] = "Kestra_620-5094_Gaming_Mouse_Normal_OSD_Instance";

// The OSD text record that other programs send to Monitor with WM_COPYDATA.
constexpr unsigned kOsdTextRecordSize = 151;

// ---- Messages inside Option ------------------------------------------------

constexpr unsigned UM_HOOK_KEY = 0x40A;         // keyboard hook to the recording dialog
constexpr unsigned UM_SLIDER_CHANGED = 0x446;   // slider to its parent
constexpr unsigned UM_SPIN_CHANGED = 0x45A;     // spin field to its owner
constexpr unsigned UM_EDIT_ENTER = 0x45C;       // bitmap edit to its parent, wParam 13
constexpr unsigned UM_DPI_ROW_CHANGED = 0x468;  // DPI row to its page
constexpr unsigned UM_SWATCH_CLICKED = 0x46A;   // colour swatch popup to its owner
constexpr unsigned UM_SWATCH_HOVER = 0x46C;     // colour swatch popup to its owner
constexpr unsigned UM_LIST_EDIT_DONE = 0x5F4;   // skinned list: in-place edit committed
constexpr unsigned UM_LIST_RBUTTON = 0x6BC;     // skinned list: right button pressed

// lParam of UM_LIST_EDIT_DONE in the macro manager.
constexpr unsigned kMacroNameEditId = 4096;
constexpr unsigned kMacroDelayEditId = 4097;

// Registered with RegisterWindowMessageA.
constexpr char kBitmapEditKillFocusMessage[] = "BitmapEdit_KillFocus";
constexpr char kBitmapEditChangeMessage[] = "BitmapEdit_Change";

// ---- Thread messages in Monitor --------------------------------------------

constexpr unsigned TM_PLAY_MACRO = 0x670;  // to the MacroThread
constexpr unsigned TM_DEVICE_JOB = 0x671;  // to the DeviceThread, wParam = job

constexpr unsigned DEVICE_JOB_APPLY = 1;  // apply the changed settings
constexpr unsigned DEVICE_JOB_FIRMWARE_CHECK = 2;
constexpr unsigned DEVICE_JOB_SELECT_PROFILE = 3;
// The active level of the current profile alone, as an Apply of that one
// change sends it (a command line's `/level`).
constexpr unsigned DEVICE_JOB_SELECT_LEVEL = 4;

// ---- Timers of Monitor's window (id, period in ms) -------------------------

constexpr unsigned TIMER_VOLUME_REPEAT = 101;
constexpr unsigned kVolumeRepeatMs = 300;
constexpr unsigned TIMER_KEY_REPEAT = 102;
constexpr unsigned kKeyRepeatFirstMs = 1000;
constexpr unsigned kKeyRepeatNextMs = 100;
constexpr unsigned TIMER_APP_WATCH = 500;
constexpr unsigned kAppWatchMs = 2000;
constexpr unsigned TIMER_FIRMWARE_CHECK = 502;
constexpr unsigned kFirmwareCheckMs = 200;
// The pause between an arrival and talking to the mouse; a removal within it
// cancels the arrival, so a bouncing connection settles into one.
constexpr unsigned TIMER_ARRIVAL_SETTLE = 503;
constexpr unsigned kArrivalSettleMs = 1000;

// ---- Timers of Option's main window ------------------------------------------

// Watches a pending apply for Monitor's window going away or the time-out.
constexpr unsigned TIMER_APPLY_WATCH = 600;
constexpr unsigned kApplyWatchMs = 250;

// ---- Window properties ---------------------------------------------------------

// Set on Option's main window once it has painted for the first time (the
// start-up measurement waits for it).
constexpr char kFirstPaintProperty[] = "KestraPainted";

// ---- Menu commands ----------------------------------------------------------

// Monitor's tray menu; ID_TRAY_OPEN is also posted by a second Monitor.
constexpr unsigned ID_TRAY_OPEN = 6001;
constexpr unsigned ID_TRAY_EXIT = 6002;
constexpr unsigned kTrayIconId = 102;

// Owner-drawn menus: the id that stands for a separator.
constexpr unsigned ID_MENU_SEPARATOR = 0x800;

// Button popups: command ids 1000..4000.
constexpr unsigned ID_BUTTON_NOTHING = 1000;
constexpr unsigned ID_BUTTON_FUNCTION_FIRST = 1001;  // 1001..1044 choose a function
constexpr unsigned ID_BUTTON_KEY_COMBINATION = 1005;
constexpr unsigned ID_BUTTON_LAUNCH_PROGRAM = 1017;
constexpr unsigned ID_BUTTON_MEDIA_PLAYER = 1048;
constexpr unsigned ID_BUTTON_MACRO_MANAGER = 1049;
constexpr unsigned ID_BUTTON_MACRO_FIRST = 1050;  // main window: macro (id - 1050)
constexpr unsigned ID_BUTTON_PAGE_MACRO_CHOOSER = 1050;
constexpr unsigned ID_BUTTON_PAGE_LIGHT_SWITCH = 1076;
constexpr unsigned ID_BUTTON_LIST_MACRO_FIRST = 1100;  // button page: macro (id - 1100)
constexpr unsigned ID_BUTTON_LAST = 4000;

// Macro manager context menu.
constexpr unsigned ID_MACRO_RECORD_BEFORE = 1001;
constexpr unsigned ID_MACRO_RECORD_AFTER = 1002;
constexpr unsigned ID_MACRO_INSERT_DELAY = 1003;
constexpr unsigned ID_MACRO_EDIT = 1004;
constexpr unsigned ID_MACRO_DELETE = 1005;
// Mouse steps: 1020 + 3 x slot + (0 down, 1 up, 2 click); slots left, right,
// middle, X button 1, X button 2 (1020..1034).
constexpr unsigned ID_MACRO_MOUSE_FIRST = 1020;
constexpr unsigned ID_MACRO_MOUSE_LAST = 1034;

// Lighting page menus.
constexpr unsigned ID_LIGHT_EFFECT_FIRST = 1001;  // 1001..1020
constexpr unsigned ID_LIGHT_EFFECT_LAST = 1020;
constexpr unsigned ID_LIGHT_LEVEL_FIRST = 1021;  // 1021..1023 store 1..3
constexpr unsigned ID_LIGHT_LEVEL_LAST = 1023;
constexpr unsigned ID_LIGHT_DIRECTION_FIRST = 1031;  // 1031..1040
constexpr unsigned ID_LIGHT_DIRECTION_LAST = 1040;

// Media player chooser.
constexpr unsigned ID_PLAYER_FIRST = 1001;  // 1001..1004
constexpr unsigned ID_PLAYER_LAST = 1004;

}  // namespace kestra
