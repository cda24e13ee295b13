// COptionDlg: Option's skinned main window. It holds the profile selector,
// the page tabs and the five pages, the fifteen button boxes and the Apply,
// OK, close, import and export, reset, manual and web buttons, owns the
// shared block's view and mutex, and carries out what OptionLogic decides.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "keys/key_names_win.h"
#include "option/option_logic.h"
#include "option/option_page_win.h"
#include "option/option_shell_win.h"
#include "settings/language_text_win.h"
#include "settings/shared_block_win.h"
#include "skin/gdi_win.h"
#include "skin/skin_button_win.h"
#include "skin/skin_window_win.h"

namespace kestra {

// The maker's web site, opened by the web button.
extern const char kMakerWebAddress[];

class COptionDlg : public SkinWindow, private OptionEffects {
public:
    static constexpr int kBoxCount = 15;
    static constexpr int kFirstBoxControlId = 200;

    enum Page { kButtonPage, kPerformancePage, kDpiPage, kLightPage, kMacroPage, kPageCount };

    // `programFolder` ends in a backslash; every file is found from it.
    COptionDlg(std::string programFolder, OptionShell& shell);
    ~COptionDlg() override;

    // Creates the window and runs the dialog initialisation; false when the
    // window could not be made.
    bool Create();
    // Shows the window and runs its messages until it ends (creating it
    // first when needed).
    int RunModal();
    bool ended() const { return ended_; }

    OptionLogic& logic() { return *logic_; }
    Page shownPage() const { return shownPage_; }
    // The page; its window is made now when it has none yet (a page's window
    // is made when the page is first shown). Only once the window exists.
    COptionPage& page(Page which);
    // The boxes' and the other controls' windows, for tests and screenshots.
    SkinButton& profileButton(int index) { return profiles_[index]; }
    SkinButton& box(int index) { return boxes_[index]; }
    SkinButton& tab(Page which);
    SkinButton& okButton() { return ok_; }
    SkinButton& applyButton() { return apply_; }
    SkinButton& closeButton() { return close_; }
    SkinButton& cancelButton() { return cancel_; }
    SkinButton& minimiseButton() { return minimise_; }
    SkinButton& importButton() { return import_; }
    SkinButton& exportButton() { return export_; }
    SkinButton& resetCurrentButton() { return resetCurrent_; }
    SkinButton& resetAllButton() { return resetAll_; }
    SkinButton& orientationButton(int index) { return orientation_[index]; }
    SkinButton& manualButton() { return manual_; }
    SkinButton& webButton() { return web_; }
    // The page area of the skin, in client coordinates.
    const RECT& pageArea() const { return pageArea_; }
    // The line the progress area ("48") shows now: an apply's progress, the
    // warning of a mouse that does not answer, or nothing.
    std::string ProgressAreaLine() const;

protected:
    void PlaceControls(const SkinFile& file, const SkinStateImages& images) override;
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam) override;
    void Paint(HDC dc, const RECT& client) override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    struct Slot {
        int entry;
        SkinButton COptionDlg::*button;
        void (COptionDlg::*click)();
    };
    static const Slot kSlots[];
    static const MessageEntry<COptionDlg> kMessages[];

    // Window creation and dialog initialisation.
    LRESULT OnCreate(WPARAM wParam, LPARAM lParam);
    void CreatePages(const SkinFile& file);
    bool MakePageWindow(Page which);
    void MakeNextPage();
    void Initialise();
    void OpenSharedBlock();
    bool AttachBlock();
    void AskDeviceState();

    // Messages.
    LRESULT OnClose(WPARAM wParam, LPARAM lParam);
    LRESULT OnDestroy(WPARAM wParam, LPARAM lParam);
    LRESULT OnTimer(WPARAM wParam, LPARAM lParam);
    LRESULT OnPaintMessage(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetCursor(WPARAM wParam, LPARAM lParam);
    LRESULT OnLeftButtonDown(WPARAM wParam, LPARAM lParam);
    LRESULT OnQueryDragIcon(WPARAM wParam, LPARAM lParam);
    LRESULT OnBlockRefresh(WPARAM wParam, LPARAM lParam);
    LRESULT OnProfileChanged(WPARAM wParam, LPARAM lParam);
    LRESULT OnApplyDone(WPARAM wParam, LPARAM lParam);
    LRESULT OnApplyProgress(WPARAM wParam, LPARAM lParam);
    LRESULT OnDeviceState(WPARAM wParam, LPARAM lParam);
    LRESULT OnDeviceValuesChanged(WPARAM wParam, LPARAM lParam);
    LRESULT OnIgnored(WPARAM wParam, LPARAM lParam);

    // Clicks.
    void OnProfileDialogEmpty();
    void OnProfileDialogFilled();
    void OnImport();
    void OnExport();
    void OnMinimise();
    void OnCloseButton();
    void OnOk();
    void OnApply();
    void OnTabMacro() { ShowPage(kMacroPage); }
    void OnTabLight() { ShowPage(kLightPage); }
    void OnTabPerformance() { ShowPage(kPerformancePage); }
    void OnTabDpi() { ShowPage(kDpiPage); }
    void OnTabButton() { ShowPage(kButtonPage); }
    void OnManual();
    void OnResetCurrent();
    void OnResetAll();
    void OnWeb();
    void OnBoxClicked(int box);
    void OnOrientation(int orientation);

    void ShowPage(Page which);
    void RequestClose();
    void ReleaseMouse();
    void RefreshBoxTexts();
    void RefreshPageWindows(unsigned pages);

    // OptionEffects.
    bool ReadBlock(SettingsStore& store) override;
    bool WriteBlock(const SettingsStore& store) override;
    void ReadSystemSettings(ProfileSettings& profile) override;
    bool SendApplyToMonitor(int mode) override;
    bool MonitorWindowExists() override;
    void NotifyApplets() override;
    void ReplaceWithCopy(const std::string& source, const std::string& target) override;
    uint32_t TickCount() override;
    uint32_t SecondsSince1970() override;
    void ShowApplyPending(bool pending) override;
    void ShowProgressArea(const ProgressAreaState& area) override;
    void PaintProgressArea(HDC dc);
    void RefreshPages(unsigned pages) override;

    std::string programFolder_;
    OptionShell& shell_;
    LanguageLibrary language_;
    SystemKeyboardLayout layout_;
    OptionContext context_;
    std::unique_ptr<OptionLogic> logic_;
    KernelHandle blockMutex_;
    SharedSettingsBlock block_;
    Icon bigIcon_;
    Icon smallIcon_;
    std::string windowText_;        // language text 1000
    std::string appliedText_;       // language text 1001
    std::string notAnsweringText_;  // language text 1091

    SkinButton profileDialogEmpty_;       // "1"
    SkinButton import_;                   // "2"
    SkinButton export_;                   // "3"
    SkinButton profileDialogFilled_;      // "4"
    SkinButton profiles_[kProfileCount];  // "5".."9"
    SkinButton minimise_;                 // "10"
    SkinButton close_;                    // "11"
    SkinButton ok_;                       // "12"
    SkinButton cancel_;                   // "13"
    SkinButton apply_;                    // "14"
    SkinButton boxes_[kBoxCount];         // "20".."34"
    SkinButton orientation_[2];           // "35", "36"
    SkinButton macroTab_;                 // "37"
    SkinButton lightTab_;                 // "38"
    SkinButton performanceTab_;           // "39"
    SkinButton dpiTab_;                   // "40"
    SkinButton manual_;                   // "43"
    SkinButton resetCurrent_;             // "44"
    SkinButton resetAll_;                 // "45"
    SkinButton web_;                      // "46"
    SkinButton buttonTab_;                // "47"

    std::unique_ptr<COptionPage> pages_[kPageCount];
    bool pageFailed_[kPageCount] = {};
    Page shownPage_ = kButtonPage;
    RECT pageArea_ = {0, 0, 0, 0};
    RECT progressArea_ = {0, 0, 0, 0};  // "48": the text over a thin bar
    ProgressAreaState area_;
    Font progressFont_;
    int openBox_ = -1;  // the box whose popup is open
    bool ended_ = false;
    bool painted_ = false;
};

}  // namespace kestra
