#include "option/option_dlg_win.h"

#include <algorithm>
#include <ctime>

#include "option/button_menu_win.h"
#include "option/button_page_win.h"
#include "option/dpi_page_win.h"
#include "option/light_page_win.h"
#include "option/macro_manager_win.h"
#include "option/macro_page_win.h"
#include "option/performance_page_win.h"
#include "option/profile_dialog_win.h"
#include "settings/ipc_names.h"
#include "settings/system_mouse_win.h"
#include "skin/skin_menu_win.h"
#include "skin/start_clock_win.h"

namespace kestra {

const char kMakerWebAddress[] = "https://kestra-gaming.example/support/mouse";

namespace {

constexpr int kWindowIcon = 128;
constexpr int kTextWindow = 1000;
constexpr int kTextApplied = 1001;
constexpr int kTextNotAnswering = 1091;
constexpr int kPageAreaEntry = 42;
constexpr int kApplyProgressEntry = 48;
// The bar along the bottom of the progress area, and its colours: the skin's
// accent on a dark track.
constexpr int kProgressBarHeight = 4;
constexpr COLORREF kProgressTrack = RGB(18, 18, 20);
constexpr COLORREF kProgressTrackEdge = RGB(58, 58, 64);
constexpr COLORREF kProgressFill = RGB(230, 30, 30);
constexpr COLORREF kProgressText = RGB(150, 150, 156);
// A warning, not an error: a light tint of the accent, readable on the dark
// bottom bar where the accent itself would be too dark for small text.
constexpr COLORREF kNotAnsweringText = RGB(255, 118, 96);
constexpr int kFirstProfileEntry = 5;
constexpr int kFirstBoxEntry = 20;
constexpr int kFirstOrientationEntry = 35;
// How long Apply waits for Monitor to take the message. Its handler only
// queues the device work; a Monitor that does not take it in this time is
// hung, and Option must not hang with it.
constexpr UINT kMonitorSendTimeoutMs = 5000;
// Monitor answers the query from what it already knows; the start waits no
// longer than this for a Monitor that is busy or hung.
constexpr UINT kDeviceStateQueryTimeoutMs = 200;
constexpr char kCouldNotMap[] = "Could not map view of file.";
// Makes the pages not yet shown, one a tick, once the window has painted:
// a timer's tick comes only when no input and no painting wait, so the
// start is not delayed and a click goes first.
constexpr UINT_PTR kMakePagesTimer = TIMER_APPLY_WATCH + 1;
constexpr UINT kMakePagesMs = 1;
// The start-up bench's marks of a tab's click and of its page's first paint.
const char* const kClickMarks[] = {"click-buttons", "click-performance", "click-dpi",
                                   "click-lighting", "click-macros"};
const char* const kPaintedMarks[] = {"painted-buttons", "painted-performance", "painted-dpi",
                                     "painted-lighting", "painted-macros"};

HICON LoadWindowIcon(int width, int height) {
    return static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kWindowIcon),
                                         IMAGE_ICON, width, height, 0));
}

}  // namespace

const COptionDlg::Slot COptionDlg::kSlots[] = {
    {1, &COptionDlg::profileDialogEmpty_, &COptionDlg::OnProfileDialogEmpty},
    {2, &COptionDlg::import_, &COptionDlg::OnImport},
    {3, &COptionDlg::export_, &COptionDlg::OnExport},
    {4, &COptionDlg::profileDialogFilled_, &COptionDlg::OnProfileDialogFilled},
    {10, &COptionDlg::minimise_, &COptionDlg::OnMinimise},
    {11, &COptionDlg::close_, &COptionDlg::OnCloseButton},
    {12, &COptionDlg::ok_, &COptionDlg::OnOk},
    {13, &COptionDlg::cancel_, &COptionDlg::OnCloseButton},
    {14, &COptionDlg::apply_, &COptionDlg::OnApply},
    {37, &COptionDlg::macroTab_, &COptionDlg::OnTabMacro},
    {38, &COptionDlg::lightTab_, &COptionDlg::OnTabLight},
    {39, &COptionDlg::performanceTab_, &COptionDlg::OnTabPerformance},
    {40, &COptionDlg::dpiTab_, &COptionDlg::OnTabDpi},
    {43, &COptionDlg::manual_, &COptionDlg::OnManual},
    {44, &COptionDlg::resetCurrent_, &COptionDlg::OnResetCurrent},
    {45, &COptionDlg::resetAll_, &COptionDlg::OnResetAll},
    {46, &COptionDlg::web_, &COptionDlg::OnWeb},
    {47, &COptionDlg::buttonTab_, &COptionDlg::OnTabButton},
};

const MessageEntry<COptionDlg> COptionDlg::kMessages[] = {
    {WM_CREATE, &COptionDlg::OnCreate},
    {WM_CLOSE, &COptionDlg::OnClose},
    {WM_DESTROY, &COptionDlg::OnDestroy},
    {WM_TIMER, &COptionDlg::OnTimer},
    {WM_PAINT, &COptionDlg::OnPaintMessage},
    {WM_SETCURSOR, &COptionDlg::OnSetCursor},
    {WM_LBUTTONDOWN, &COptionDlg::OnLeftButtonDown},
    {WM_QUERYDRAGICON, &COptionDlg::OnQueryDragIcon},
    {UM_BLOCK_REFRESH, &COptionDlg::OnBlockRefresh},
    {UM_PROFILE_CHANGED, &COptionDlg::OnProfileChanged},
    {UM_APPLY_DONE, &COptionDlg::OnApplyDone},
    {UM_APPLY_PROGRESS, &COptionDlg::OnApplyProgress},
    {UM_DEVICE_STATE, &COptionDlg::OnDeviceState},
    {UM_DEVICE_VALUES_CHANGED, &COptionDlg::OnDeviceValuesChanged},
    {UM_OPTION_IGNORED_A, &COptionDlg::OnIgnored},
    {UM_OPTION_IGNORED_B, &COptionDlg::OnIgnored},
};

COptionDlg::COptionDlg(std::string programFolder, OptionShell& shell)
    : SkinWindow("skin_main.ini"), programFolder_(std::move(programFolder)), shell_(shell) {
    logic_.reset(new OptionLogic(programFolder_, *this));
    context_.programFolder = programFolder_;
    context_.logic = logic_.get();
    context_.texts = &language_;
    context_.layout = &layout_;
    context_.refreshPages = [this](unsigned bits) { RefreshPageWindows(bits); };
    context_.refreshBoxTexts = [this] { RefreshBoxTexts(); };
    context_.clickWarning = [this] { shell_.Confirm(hwnd(), WarningKind::kClick); };
    context_.manageMacros = [this] { RunMacroManager(context_); };
}

COptionDlg::~COptionDlg() {
    // The pages go before the window they sit in.
    DestroyOwnWindow();
}

SkinButton& COptionDlg::tab(Page which) {
    switch (which) {
        case kPerformancePage:
            return performanceTab_;
        case kDpiPage:
            return dpiTab_;
        case kLightPage:
            return lightTab_;
        case kMacroPage:
            return macroTab_;
        default:
            return buttonTab_;
    }
}

// ---- creation ----------------------------------------------------------------

bool COptionDlg::Create() {
    if (hwnd() != nullptr) return true;
    StartPhaseScope phase(StartPhase::kWindows);
    ended_ = false;
    StartMark("creating");
    if (!CreatePopup(nullptr)) return false;
    // A window without caption still gets the system menu (Alt+Space,
    // Alt+F4) and can be minimised to the task bar.
    SetWindowLongPtrA(hwnd(), GWL_STYLE,
                      GetWindowLongPtrA(hwnd(), GWL_STYLE) | WS_SYSMENU | WS_MINIMIZEBOX);
    SetWindowLongPtrA(hwnd(), GWL_EXSTYLE,
                      GetWindowLongPtrA(hwnd(), GWL_EXSTYLE) | WS_EX_APPWINDOW);
    Initialise();
    return hwnd() != nullptr;
}

LRESULT COptionDlg::OnCreate(WPARAM wParam, LPARAM lParam) {
    StartMark("created");
    SetSkinFolder(programFolder_ + "skins\\");
    {
        // Without the library every text is empty; nothing else depends on it.
        StartPhaseScope phase(StartPhase::kLanguage);
        language_.Load(programFolder_);
    }
    return SkinWindow::OnMessage(WM_CREATE, wParam, lParam);
}

void COptionDlg::PlaceControls(const SkinFile& file, const SkinStateImages& images) {
    for (const Slot& slot : kSlots)
        PlaceButton(this->*slot.button, file.ReadEntry(slot.entry), images);
    for (int i = 0; i < kProfileCount; ++i) {
        PlaceButton(profiles_[i], file.ReadEntry(kFirstProfileEntry + i), images);
    }
    for (int i = 0; i < kBoxCount; ++i) {
        PlaceButton(boxes_[i], file.ReadEntry(kFirstBoxEntry + i), images);
        if (boxes_[i].hwnd() != nullptr) {
            SetWindowLongPtrA(boxes_[i].hwnd(), GWLP_ID, kFirstBoxControlId + i);
        }
    }
    for (int i = 0; i < 2; ++i) {
        PlaceButton(orientation_[i], file.ReadEntry(kFirstOrientationEntry + i), images);
    }
    SkinRect progress;
    if (file.ReadArea(kApplyProgressEntry, progress) && progress.right > progress.left &&
        progress.bottom - progress.top > kProgressBarHeight) {
        progressArea_ = RECT{progress.left, progress.top, progress.right, progress.bottom};
    }
    CreatePages(file);
}

void COptionDlg::CreatePages(const SkinFile& file) {
    SkinRect area;
    if (!file.ReadArea(kPageAreaEntry, area)) {
        // Without a page area the pages sit at the window's origin, as any
        // skinned child does.
        area = SkinRect{0, 0, skinSize().cx, skinSize().cy};
    }
    pageArea_ = RECT{area.left, area.top, area.right, area.bottom};
    pages_[kButtonPage].reset(new CButtonPage(context_));
    pages_[kPerformancePage].reset(new CPerformancePage(context_));
    pages_[kDpiPage].reset(new CDpiPage(context_));
    pages_[kLightPage].reset(new CLightPage(context_));
    pages_[kMacroPage].reset(new CMacroPage(context_));
    for (int i = 0; i < kPageCount; ++i) pages_[i]->SetFirstPaintMark(kPaintedMarks[i]);
    // Only the page shown first is made before the first paint; the others,
    // with their controls and images, when their tabs are first clicked.
    shownPage_ = kButtonPage;
    MakePageWindow(kButtonPage);
    buttonTab_.SetCheck(1);
}

// Made hidden and placed first, so that nothing of the main window is
// uncovered and painted again on the way; shown when it is the page shown.
bool COptionDlg::MakePageWindow(Page which) {
    COptionPage* page = pages_[which].get();
    if (page == nullptr || hwnd() == nullptr) return false;
    if (page->hwnd() != nullptr) return true;
    CoolMenu::Pause pause;
    if (!page->CreateChild(hwnd(), false)) return false;
    // A page never covers more than the page area.
    const LONG width = std::min<LONG>(page->skinSize().cx, pageArea_.right - pageArea_.left);
    const LONG height = std::min<LONG>(page->skinSize().cy, pageArea_.bottom - pageArea_.top);
    SetWindowPos(page->hwnd(), nullptr, pageArea_.left, pageArea_.top, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    // Refreshes skipped it while it had no window: it shows the working copy
    // as it is now.
    page->Refresh();
    if (which == shownPage_) ShowWindow(page->hwnd(), SW_SHOW);
    return true;
}

void COptionDlg::MakeNextPage() {
    for (int i = 0; i < kPageCount; ++i) {
        const Page which = static_cast<Page>(i);
        if (pages_[which] && pages_[which]->hwnd() == nullptr && !pageFailed_[which]) {
            // A page whose window cannot be made is not tried again here.
            pageFailed_[which] = !MakePageWindow(which);
            return;
        }
    }
    KillTimer(hwnd(), kMakePagesTimer);
}

COptionPage& COptionDlg::page(Page which) {
    MakePageWindow(which);
    return *pages_[which];
}

void COptionDlg::Initialise() {
    bigIcon_.reset(LoadWindowIcon(GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)));
    smallIcon_.reset(LoadWindowIcon(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON)));
    if (bigIcon_)
        SendMessageA(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.get()));
    if (smallIcon_) {
        SendMessageA(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
    }
    context_.mainWindow = hwnd();
    SetWindowTextA(hwnd(), kOptionWindowTitle);
    {
        StartPhaseScope phase(StartPhase::kSettings);
        OpenSharedBlock();
        logic_->Start(block_.IsMapped());
    }
    windowText_ = language_.Text(kTextWindow);
    appliedText_ = language_.Text(kTextApplied);
    notAnsweringText_ = language_.Text(kTextNotAnswering);
    AskDeviceState();
}

void COptionDlg::OpenSharedBlock() {
    blockMutex_ = OpenBlockMutex();
    if (block_.Open() == SharedSettingsBlock::kViewFailed) {
        shell_.ShowMessage(hwnd(), kCouldNotMap);
    }
}

// Monitor creates the block with its window: when Option came first, the
// block is looked for again whenever it is needed, so that an apply reaches
// a Monitor started later.
bool COptionDlg::AttachBlock() {
    if (block_.IsMapped()) return true;
    if (block_.Open() != SharedSettingsBlock::kMapped) return false;
    blockMutex_ = OpenBlockMutex();
    return true;
}

// Monitor tells every later change of the mouse (UM_DEVICE_STATE); a mouse
// already silent when Option starts is known only by asking. The window has
// its title by now, so every change after the answer reaches it as a message.
void COptionDlg::AskDeviceState() {
    HWND monitor = FindWindowA(nullptr, kMonitorWindowTitle);
    DWORD_PTR word = 0;
    if (monitor == nullptr ||
        !SendMessageTimeoutA(monitor, UM_QUERY_DEVICE_STATE, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                             kDeviceStateQueryTimeoutMs, &word)) {
        return;
    }
    logic_->OnDeviceState(static_cast<unsigned long>(word));
}

// ---- running and ending ------------------------------------------------------

int COptionDlg::RunModal() {
    {
        // Nothing before the first paint needs the menus' hook.
        CoolMenu::Pause pause;
        if (!Create()) return -1;
        StartMark("window-made");
        ShowWindow(hwnd(), SW_SHOW);
        StartMark("shown");
        UpdateWindow(hwnd());
        StartMark("painted-all");
        WriteStartTimes();
    }
    SetForegroundWindow(hwnd());
    SetTimer(hwnd(), kMakePagesTimer, kMakePagesMs, nullptr);
    MSG msg;
    while (!ended_) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got == -1) break;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (hwnd() != nullptr) DestroyWindow(hwnd());
    return 0;
}

void COptionDlg::ReleaseMouse() {
    if (GetCapture() == hwnd()) {
        SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
        ReleaseCapture();
    }
}

void COptionDlg::RequestClose() {
    ReleaseMouse();
    PostMessageA(hwnd(), WM_CLOSE, 0, 0);
}

LRESULT COptionDlg::OnClose(WPARAM, LPARAM) {
    // Ends the dialog without saving: unapplied edits are dropped.
    ReleaseMouse();
    DestroyWindow(hwnd());
    return 0;
}

LRESULT COptionDlg::OnDestroy(WPARAM wParam, LPARAM lParam) {
    // Unapplied edits are dropped; the system's double-click time, which the
    // performance page changes at once, must go back with them.
    SetSystemDoubleClickTime(context_.doubleClickUndo.ToRestore());
    context_.doubleClickUndo.Applied();
    KillTimer(hwnd(), TIMER_APPLY_WATCH);
    KillTimer(hwnd(), kMakePagesTimer);
    ReleaseMouse();
    RemovePropA(hwnd(), kFirstPaintProperty);
    block_.Close();
    blockMutex_.Reset();
    logic_->macros().macros().clear();
    language_.Free();
    context_.mainWindow = nullptr;
    ended_ = true;
    // Wakes the modal loop should the window end from inside another call.
    PostThreadMessageA(GetCurrentThreadId(), WM_NULL, 0, 0);
    return SkinWindow::OnMessage(WM_DESTROY, wParam, lParam);
}

// ---- messages ------------------------------------------------------------------

LRESULT COptionDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (RouteMessage(this, kMessages, message, wParam, lParam, &result)) return result;
    return SkinWindow::OnMessage(message, wParam, lParam);
}

LRESULT COptionDlg::OnTimer(WPARAM wParam, LPARAM lParam) {
    if (wParam == TIMER_APPLY_WATCH) {
        logic_->OnApplyWatch();
        return 0;
    }
    if (wParam == kMakePagesTimer) {
        MakeNextPage();
        return 0;
    }
    return DefaultProc(WM_TIMER, wParam, lParam);
}

LRESULT COptionDlg::OnPaintMessage(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = SkinWindow::OnMessage(WM_PAINT, wParam, lParam);
    if (!painted_) {
        // Marks the first finished paint, for the start-up measurement; the
        // figures are written before the mark that the bench waits for.
        painted_ = true;
        StartMark("painted-main");
        WriteStartTimes();
        SetPropA(hwnd(), kFirstPaintProperty, reinterpret_cast<HANDLE>(1));
    }
    return result;
}

void COptionDlg::Paint(HDC dc, const RECT& client) {
    if (!IsIconic(hwnd())) {
        SkinWindow::Paint(dc, client);
        PaintProgressArea(dc);
        return;
    }
    if (!bigIcon_) return;
    const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, bigIcon_.get());
}

LRESULT COptionDlg::OnQueryDragIcon(WPARAM, LPARAM) {
    return reinterpret_cast<LRESULT>(bigIcon_.get());
}

LRESULT COptionDlg::OnSetCursor(WPARAM wParam, LPARAM lParam) {
    if (logic_->applyPending()) {
        SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
        return TRUE;
    }
    return DefaultProc(WM_SETCURSOR, wParam, lParam);
}

LRESULT COptionDlg::OnLeftButtonDown(WPARAM wParam, LPARAM lParam) {
    if (logic_->applyPending() && GetCapture() == hwnd()) {
        // While the window waits for Monitor it holds the mouse, so a press
        // on a close button arrives here; it still closes the window.
        // Anything else waits.
        POINT at = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        HWND under = ChildWindowFromPointEx(hwnd(), at, CWP_SKIPINVISIBLE | CWP_SKIPDISABLED);
        if (under != nullptr && (under == close_.hwnd() || under == cancel_.hwnd())) {
            RequestClose();
        }
        return 0;
    }
    return SkinWindow::OnMessage(WM_LBUTTONDOWN, wParam, lParam);
}

LRESULT COptionDlg::OnBlockRefresh(WPARAM, LPARAM) {
    logic_->OnBlockRefresh();
    return 0;
}

LRESULT COptionDlg::OnProfileChanged(WPARAM, LPARAM) {
    logic_->OnProfileChanged();
    return 0;
}

LRESULT COptionDlg::OnApplyDone(WPARAM, LPARAM) {
    logic_->OnApplyDone();
    return 0;
}

LRESULT COptionDlg::OnApplyProgress(WPARAM wParam, LPARAM lParam) {
    logic_->OnApplyProgress(static_cast<unsigned long>(wParam), static_cast<long>(lParam));
    return 0;
}

LRESULT COptionDlg::OnDeviceState(WPARAM wParam, LPARAM) {
    logic_->OnDeviceState(static_cast<unsigned long>(wParam));
    return 0;
}

LRESULT COptionDlg::OnDeviceValuesChanged(WPARAM, LPARAM) {
    logic_->OnDeviceValuesChanged();
    return 0;
}

LRESULT COptionDlg::OnIgnored(WPARAM, LPARAM) {
    return 0;
}

// ---- clicks --------------------------------------------------------------------

LRESULT COptionDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
    const HWND from = reinterpret_cast<HWND>(lParam);
    if (from != nullptr && HIWORD(wParam) == BN_CLICKED) {
        for (const Slot& slot : kSlots) {
            if (from == (this->*slot.button).hwnd()) {
                (this->*slot.click)();
                return 0;
            }
        }
        for (int i = 0; i < kProfileCount; ++i) {
            if (from == profiles_[i].hwnd()) {
                logic_->SelectProfile(i);
                return 0;
            }
        }
        for (int i = 0; i < kBoxCount; ++i) {
            if (from == boxes_[i].hwnd()) {
                OnBoxClicked(i);
                return 0;
            }
        }
        for (int i = 0; i < 2; ++i) {
            if (from == orientation_[i].hwnd()) {
                OnOrientation(i);
                return 0;
            }
        }
    }
    return SkinWindow::OnCommand(wParam, lParam);
}

// The profile dialog writes straight into the current profile of the
// working copy; the next Apply saves it and hands it to Monitor.
void COptionDlg::OnProfileDialogEmpty() {
    CProfileDialog dialog(hwnd(), logic_->currentSettings(), CProfileDialog::kEmpty);
    dialog.RunModal();
}

void COptionDlg::OnProfileDialogFilled() {
    CProfileDialog dialog(hwnd(), logic_->currentSettings(), CProfileDialog::kFilled);
    dialog.RunModal();
}

void COptionDlg::OnBoxClicked(int box) {
    if (box < 0 || box >= kBoxCount || boxes_[box].hwnd() == nullptr) return;
    openBox_ = box;
    const std::vector<FunctionMenuItem> items = BoxMenu(
        BoxEditor::kMainWindow, box, logic_->currentSettings().buttons[box], logic_->macros());
    const int32_t command = TrackBoxMenu(hwnd(), boxes_[box].hwnd(), items, &language_);
    boxes_[box].SetHover(false);
    InvalidateRect(boxes_[box].hwnd(), nullptr, FALSE);
    SetFocus(hwnd());
    openBox_ = -1;
    if (command == 0) return;

    EditorDialogs dialogs(hwnd(), logic_->macros(), &language_, context_.clickWarning,
                          context_.manageMacros);
    const CommandOutcome outcome = RunButtonCommand(logic_->working(), logic_->macros(),
                                                    BoxEditor::kMainWindow, box, command, dialogs);
    if (outcome.refreshBoxTexts) {
        RefreshBoxTexts();
        RefreshPageWindows(kButtonPageBit);
    }
}

void COptionDlg::OnOrientation(int orientation) {
    logic_->SetOrientation(orientation);
    for (int i = 0; i < 2; ++i) orientation_[i].SetCheck(i == orientation ? 1 : 0);
}

void COptionDlg::OnImport() {
    std::string chosen;
    if (!shell_.ChooseImportFile(hwnd(), ProfileDialogInitialName(programFolder_), chosen)) return;
    logic_->Import(chosen);
}

void COptionDlg::OnExport() {
    std::string chosen;
    if (!shell_.ChooseExportFile(hwnd(), ProfileDialogInitialName(programFolder_), chosen)) return;
    logic_->Export(chosen);
}

void COptionDlg::OnMinimise() {
    ShowWindow(hwnd(), SW_MINIMIZE);
}

void COptionDlg::OnCloseButton() {
    RequestClose();
}

void COptionDlg::OnOk() {
    logic_->Apply(kApplyComputed);
    context_.doubleClickUndo.Applied();
    PostMessageA(hwnd(), WM_CLOSE, 0, 0);
}

void COptionDlg::OnApply() {
    logic_->Apply(kApplyComputed);
    context_.doubleClickUndo.Applied();
}

void COptionDlg::OnManual() {
    std::string folder = programFolder_;
    if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
    shell_.Open(folder + "\\User Manual.pdf");
}

void COptionDlg::OnWeb() {
    shell_.Open(kMakerWebAddress);
}

void COptionDlg::OnResetCurrent() {
    if (shell_.Confirm(hwnd(), WarningKind::kResetCurrent)) logic_->ResetCurrent();
}

void COptionDlg::OnResetAll() {
    if (shell_.Confirm(hwnd(), WarningKind::kResetAll)) logic_->ResetAll();
}

void COptionDlg::ShowPage(Page which) {
    if (which == shownPage_ || !pages_[which]) return;
    StartMark(kClickMarks[which]);
    // Painted before this returns, while the menus' hook is out of the way.
    CoolMenu::Pause pause;
    // A page made now has just been refreshed.
    const bool made = pages_[which]->hwnd() == nullptr && MakePageWindow(which);
    if (pages_[shownPage_] && pages_[shownPage_]->hwnd()) {
        ShowWindow(pages_[shownPage_]->hwnd(), SW_HIDE);
    }
    if (pages_[which]->hwnd()) ShowWindow(pages_[which]->hwnd(), SW_SHOW);
    shownPage_ = which;
    for (int i = 0; i < kPageCount; ++i) tab(static_cast<Page>(i)).SetCheck(i == which ? 1 : 0);
    if (!made && (which == kLightPage || which == kDpiPage)) pages_[which]->Refresh();
    if (pages_[which]->hwnd()) UpdateWindow(pages_[which]->hwnd());
}

// ---- OptionEffects -----------------------------------------------------------

bool COptionDlg::ReadBlock(SettingsStore& store) {
    return AttachBlock() && block_.Read(blockMutex_.Get(), store);
}

bool COptionDlg::WriteBlock(const SettingsStore& store) {
    return AttachBlock() && block_.Write(blockMutex_.Get(), store);
}

void COptionDlg::ReadSystemSettings(ProfileSettings& profile) {
    ReadSystemSettingsFromRegistry(profile);
}

bool COptionDlg::SendApplyToMonitor(int mode) {
    HWND monitor = FindWindowA(nullptr, kMonitorWindowTitle);
    if (monitor == nullptr) return false;
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(monitor, UM_APPLY_SETTINGS, static_cast<WPARAM>(mode), 0,
                        SMTO_NORMAL | SMTO_ABORTIFHUNG, kMonitorSendTimeoutMs, &answer);
    return true;
}

bool COptionDlg::MonitorWindowExists() {
    return FindWindowA(nullptr, kMonitorWindowTitle) != nullptr;
}

void COptionDlg::NotifyApplets() {
    for (const char* title : kAppletWindowTitles) {
        if (HWND applet = FindWindowA(nullptr, title)) {
            PostMessageA(applet, UM_APPLY_SETTINGS, 0, 0);
        }
    }
}

void COptionDlg::ReplaceWithCopy(const std::string& source, const std::string& target) {
    DeleteFileA(target.c_str());
    CopyFileA(source.c_str(), target.c_str(), FALSE);
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
}

uint32_t COptionDlg::TickCount() {
    return GetTickCount();
}

uint32_t COptionDlg::SecondsSince1970() {
    return static_cast<uint32_t>(time(nullptr));
}

void COptionDlg::ShowApplyPending(bool pending) {
    if (pending) {
        SetCapture(hwnd());
        SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
        SetTimer(hwnd(), TIMER_APPLY_WATCH, kApplyWatchMs, nullptr);
    } else {
        KillTimer(hwnd(), TIMER_APPLY_WATCH);
        ReleaseMouse();
    }
    ok_.Enable(!pending);
    apply_.Enable(!pending);
    if (ok_.hwnd()) UpdateWindow(ok_.hwnd());
    if (apply_.hwnd()) UpdateWindow(apply_.hwnd());
}

void COptionDlg::ShowProgressArea(const ProgressAreaState& area) {
    area_ = area;
    if (hwnd() != nullptr && progressArea_.right > progressArea_.left) {
        InvalidateRect(hwnd(), &progressArea_, FALSE);
    }
}

std::string COptionDlg::ProgressAreaLine() const {
    switch (area_.shows()) {
        case ProgressAreaState::Shows::kProgress:
            return area_.progress().Text();
        case ProgressAreaState::Shows::kNotAnswering:
            return notAnsweringText_;
        default:
            return "";
    }
}

void COptionDlg::PaintProgressArea(HDC dc) {
    const ProgressAreaState::Shows shows = area_.shows();
    if (shows == ProgressAreaState::Shows::kNothing || progressArea_.right <= progressArea_.left) {
        return;
    }
    RECT bar = progressArea_;
    bar.top = bar.bottom - kProgressBarHeight;
    if (shows == ProgressAreaState::Shows::kProgress) {
        Brush track(CreateSolidBrush(kProgressTrack));
        Brush edge(CreateSolidBrush(kProgressTrackEdge));
        Brush fill(CreateSolidBrush(kProgressFill));
        FillRect(dc, &bar, track.get());
        FrameRect(dc, &bar, edge.get());
        RECT done = bar;
        done.right = bar.left + area_.progress().FillWidth(bar.right - bar.left);
        if (done.right > done.left) FillRect(dc, &done, fill.get());
    }

    // The warning sits where the progress text does, so the two never
    // look like different places to watch.
    if (!progressFont_) progressFont_ = CreateSkinFont(SkinFontKind::kMessage);
    RECT text = progressArea_;
    text.bottom = bar.top - 2;
    const std::string line = ProgressAreaLine();
    ScopedSelectObject selectFont(dc, progressFont_.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc,
                 shows == ProgressAreaState::Shows::kProgress ? kProgressText : kNotAnsweringText);
    DrawTextA(dc, line.c_str(), static_cast<int>(line.size()), &text,
              DT_LEFT | DT_BOTTOM | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
}

void COptionDlg::RefreshBoxTexts() {
    const ProfileSettings& profile = logic_->currentSettings();
    for (int i = 0; i < kBoxCount; ++i) {
        boxes_[i].SetCaption(
            BoxText(profile.buttons[i], BoxEditor::kMainWindow, &language_, layout_));
        if (boxes_[i].hwnd()) InvalidateRect(boxes_[i].hwnd(), nullptr, FALSE);
    }
}

void COptionDlg::RefreshPages(unsigned pages) {
    StartPhaseScope phase(StartPhase::kWindows);
    const int current = logic_->currentProfile();
    for (int i = 0; i < kProfileCount; ++i) profiles_[i].SetCheck(i == current ? 1 : 0);
    const int orientation = logic_->currentSettings().Orientation;
    for (int i = 0; i < 2; ++i) orientation_[i].SetCheck(i == orientation ? 1 : 0);
    RefreshBoxTexts();
    RefreshPageWindows(pages);
}

void COptionDlg::RefreshPageWindows(unsigned pages) {
    static const unsigned kBits[kPageCount] = {kButtonPageBit, kPerformancePageBit, kDpiPageBit,
                                               kLightPageBit, kMacroPageBit};
    for (int i = 0; i < kPageCount; ++i) {
        // A page without its window yet is refreshed when it is made.
        if ((pages & kBits[i]) && pages_[i] && pages_[i]->hwnd()) pages_[i]->Refresh();
    }
}

}  // namespace kestra
