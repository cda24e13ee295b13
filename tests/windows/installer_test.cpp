// KestraSetup.exe as a user and a deployment script use it, in the scratch
// Wine prefix that tests/windows/run-installer-tests makes: silent installs
// into folders of the temporary folder, the installed programs started as
// logon and the Start menu start them, the virtual mouse plugged in, an
// upgrade and an uninstall while the programs run.
//
// Started with "--record-open FILE TARGET" the program only writes TARGET to
// FILE: it stands in for the PDF reader, so that the test sees exactly which
// file the shell was asked to open.
#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "settings/ipc_names.h"
#include "tests/windows/e2e_harness_win.h"
#include "vmouse/vmouse_wire.h"

namespace kestra {
namespace e2e {
namespace {

constexpr DWORD kSettle = 10000;
constexpr char kUninstallKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KestraGamingMouse";
constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kRunValue[] = "Kestra Gaming Mouse";
constexpr char kPdfClass[] = "KestraTestPdfReader";

std::string OwnPath() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

// The build folder, two levels above this program (build\win32\tests\...).
std::string BuildFolder() {
    std::string folder = OwnPath();
    for (int i = 0; i < 2; ++i) folder = folder.substr(0, folder.find_last_of('\\'));
    return folder + "\\";
}

std::string TempFolder(const std::string& name) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    std::string path = temp;
    if (path.back() != '\\') path += '\\';
    return path + name;
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Names in a folder, sub-folders with a trailing backslash.
std::set<std::string> Entries(const std::string& folder) {
    std::set<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        names.insert(name + ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? "\\" : ""));
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

void DeleteFolder(const std::string& folder) {
    for (const std::string& name : Entries(folder)) {
        if (name.back() == '\\') {
            DeleteFolder(folder + "\\" + name.substr(0, name.size() - 1));
        } else {
            DeleteFileA((folder + "\\" + name).c_str());
        }
    }
    RemoveDirectoryA(folder.c_str());
}

// A string value of the current user's registry; "<none>" when missing.
std::string UserValue(const char* key, const char* name) {
    char value[2048] = {};
    DWORD size = sizeof value - 1;
    if (RegGetValueA(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS) {
        return "<none>";
    }
    return value;
}

// The default value of a key of the file classes (Wine reads them from the
// machine's part only, so not the user's own classes).
bool SetClassValue(const std::string& key, const std::string& value) {
    HKEY handle = nullptr;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle,
                        nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const bool ok = RegSetValueExA(handle, nullptr, 0, REG_SZ,
                                   reinterpret_cast<const BYTE*>(value.c_str()),
                                   static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
    RegCloseKey(handle);
    return ok;
}

std::string StartMenuFolder() {
    char programs[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, 0, programs);
    return std::string(programs) + "\\Kestra Gaming Mouse";
}

// The target of a shortcut, as the shell resolves it.
std::string ShortcutTarget(const std::string& link) {
    std::string target;
    IShellLinkA* shellLink = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&shellLink)))) {
        return "<no shell link>";
    }
    IPersistFile* file = nullptr;
    if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        wchar_t wide[MAX_PATH] = {};
        MultiByteToWideChar(CP_ACP, 0, link.c_str(), -1, wide, MAX_PATH);
        char path[MAX_PATH] = {};
        if (SUCCEEDED(file->Load(wide, STGM_READ)) &&
            SUCCEEDED(shellLink->GetPath(path, MAX_PATH, nullptr, 0))) {
            target = path;
        }
        file->Release();
    }
    shellLink->Release();
    return target;
}

// Runs the installer (or uninstaller) to its end; its exit code, -1 when it
// did not end in time.
int RunSetup(const std::string& program, const std::string& arguments) {
    Process setup;
    if (!setup.Start(program, arguments) || !setup.Wait(60000)) return -1;
    return static_cast<int>(setup.exitCode());
}

// "/D=" takes the rest of the command line as the folder, blanks included.
int Install(const std::string& folder, const std::string& extra = std::string()) {
    return RunSetup(BuildFolder() + "KestraSetup.exe", "/S " + extra + " /D=" + folder);
}

// The uninstaller copies itself away and returns at once; it is done when
// its own file and its entry in "Add or remove programs" are gone.
bool UninstallSilently(const std::string& folder) {
    if (RunSetup(folder + "\\Uninstall.exe", "/S") != 0) return false;
    return WaitUntil(
        [&] {
            return !Exists(folder + "\\Uninstall.exe") &&
                   UserValue(kUninstallKey, "DisplayName") == "<none>";
        },
        30000);
}

// Ends Monitor through its tray menu's exit command, as a user would.
bool ExitMonitor() {
    HWND monitor = FindWindowA(nullptr, kMonitorWindowTitle);
    if (monitor == nullptr) return true;
    PostMessageA(monitor, WM_COMMAND, ID_TRAY_EXIT, 0);
    return WaitForNoWindow(kMonitorWindowTitle, kSettle);
}

// Starts the Run entry's command line from the system folder, as logon does.
bool StartAsLogonDoes(const std::string& runCommand) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION logon = {};
    char systemFolder[MAX_PATH] = {};
    GetSystemDirectoryA(systemFolder, MAX_PATH);
    std::string commandLine = runCommand;
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        systemFolder, &startup, &logon)) {
        return false;
    }
    CloseHandle(logon.hThread);
    CloseHandle(logon.hProcess);
    return true;
}

class InstallerTest : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitialize(nullptr);
        ASSERT_TRUE(Exists(BuildFolder() + "KestraSetup.exe")) << BuildFolder();
        ASSERT_TRUE(mouse.Start());
    }
    void TearDown() override {
        ExitMonitor();
        CoUninitialize();
    }
    // The staged folder's virtual mouse: the installer ships none.
    VirtualMouse mouse{StagedProgramFolder() + "vmouse.exe"};
};

// A folder with a blank and letters beyond ASCII (in the ANSI code page,
// which the programs' file names use).
TEST_F(InstallerTest, SilentInstallStartsAtLogonFindsTheMouseAppliesAndOpensItsManual) {
    const std::string folder = TempFolder("Kestra M\xE4us \xD6sterreich");
    DeleteFolder(folder);
    ASSERT_EQ(0, Install(folder));

    ProgramFolder installed(folder);
    ASSERT_TRUE(installed.ok());
    for (const char* file : {"Monitor.exe", "Option.exe", "Overlay.exe", "devport.dll",
                             "uitext.dll", "skins\\skin_main.ini", "wave\\double_click.wav",
                             "Uninstall.exe"}) {
        EXPECT_TRUE(installed.Has(file)) << file;
    }
    EXPECT_EQ("%PDF", ReadFileBytes(installed.File("User Manual.pdf")).substr(0, 4));
    EXPECT_FALSE(installed.Has("vmouse.exe"));

    const std::string runCommand = UserValue(kRunKey, kRunValue);
    EXPECT_EQ("\"" + installed.File("Monitor.exe") + "\"", runCommand);
    EXPECT_EQ(folder, UserValue(kUninstallKey, "InstallLocation"));
    EXPECT_EQ("\"" + installed.File("Uninstall.exe") + "\"",
              UserValue(kUninstallKey, "UninstallString"));
    EXPECT_EQ("Kestra Gaming Mouse", UserValue(kUninstallKey, "DisplayName"));
    const std::string menu = StartMenuFolder();
    EXPECT_EQ(installed.File("Option.exe"),
              ShortcutTarget(menu + "\\Kestra Gaming Mouse Settings.lnk"));
    EXPECT_EQ(installed.File("Monitor.exe"),
              ShortcutTarget(menu + "\\Kestra Gaming Mouse Monitor.lnk"));
    EXPECT_EQ(installed.File("User Manual.pdf"), ShortcutTarget(menu + "\\User Manual.lnk"));

    // The installer started Monitor at its end, and it found the mouse.
    ASSERT_NE(nullptr, WaitForWindow(kMonitorWindowTitle, kSettle));
    ASSERT_TRUE(WaitUntil([&] { return LogHas(mouse, "get 80"); }, kSettle))
        << Observed(installed, mouse);

    // Logon runs the Run entry's command line, from the system folder. A
    // user's logon never asks for the virtual mouse: that Monitor leaves it
    // alone and takes the real mouse's path, where there is none.
    ASSERT_TRUE(ExitMonitor());
    ASSERT_TRUE(mouse.ClearLog());
    DeleteFileA(installed.File("config.ini").c_str());
    const int subscriptions = mouse.LibrarySubscriptions();
    {
        WithoutEnvironmentVariable notAsked(vmouse::kVirtualMouseVariable);
        ASSERT_TRUE(StartAsLogonDoes(runCommand));
    }
    ASSERT_NE(nullptr, WaitForWindow(kMonitorWindowTitle, kSettle));
    EXPECT_TRUE(WaitUntil([&] { return ReadConfigInt(installed, "Device", -1) == 0; }, kSettle))
        << Observed(installed, mouse);
    EXPECT_EQ(subscriptions, mouse.LibrarySubscriptions()) << Observed(installed, mouse);
    EXPECT_TRUE(mouse.Log().empty());

    // A developer's session, which asks for it, finds the virtual mouse.
    ASSERT_TRUE(ExitMonitor());
    DeleteFileA(installed.File("config.ini").c_str());
    ASSERT_TRUE(StartAsLogonDoes(runCommand));
    ASSERT_TRUE(WaitUntil([&] { return LogHas(mouse, "get 80"); }, kSettle))
        << Observed(installed, mouse);
    EXPECT_TRUE(WaitUntil([&] { return ReadConfigInt(installed, "Device", -1) == 1; }, kSettle))
        << Observed(installed, mouse);

    // Option from its Start-menu entry; Apply reaches the mouse through the
    // installed Monitor.
    Process option;
    ASSERT_TRUE(option.Start(ShortcutTarget(menu + "\\Kestra Gaming Mouse Settings.lnk")));
    HWND window = WaitForWindow(kOptionWindowTitle, 15000);
    ASSERT_NE(nullptr, window);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(window) != 0; }, kSettle));
    SetForegroundWindow(window);
    SettleInput(300);
    ASSERT_TRUE(mouse.ClearLog());
    ClickSkinEntry(installed, "skin_main.ini", 14, {window, {0, 0}});
    EXPECT_TRUE(WaitUntil([&] { return LogHas(mouse, "set 02"); }, 20000))
        << Observed(installed, mouse);
    // Option holds the pointer until Monitor reports the apply done.
    EXPECT_TRUE(WaitUntil(
        [&] {
            GUITHREADINFO gui = {};
            gui.cbSize = sizeof gui;
            return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &gui) &&
                   gui.hwndCapture == nullptr;
        },
        kSettle));

    // The manual button: the shell is asked to open exactly the installed
    // manual, through the reader registered for PDF files.
    const std::string record = TempFolder("kestra-opened.txt");
    DeleteFileA(record.c_str());
    ASSERT_TRUE(SetClassValue(".pdf", kPdfClass));
    ASSERT_TRUE(SetClassValue(std::string(kPdfClass) + "\\shell\\open\\command",
                             "\"" + OwnPath() + "\" --record-open \"" + record + "\" \"%1\""));
    ClickSkinEntry(installed, "skin_main.ini", 43, {window, {0, 0}});
    EXPECT_TRUE(WaitUntil([&] { return Exists(record); }, kSettle));
    SettleInput(300);
    EXPECT_EQ(installed.File("User Manual.pdf"), ReadFileBytes(record));

    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(option.Wait(kSettle));
    ASSERT_TRUE(ExitMonitor());
    EXPECT_TRUE(UninstallSilently(folder));
    DeleteFolder(folder);
}

TEST_F(InstallerTest, UpgradeAndUninstallWhileTheProgramsRunKeepTheSettings) {
    const std::string folder = TempFolder("Kestra upgrade");
    DeleteFolder(folder);
    ASSERT_EQ(0, Install(folder, "/NOLAUNCH"));
    ProgramFolder installed(folder);
    EXPECT_EQ(nullptr, FindWindowA(nullptr, kMonitorWindowTitle));

    // The programs run; a profile file carries a change of the user's.
    MonitorProgram monitor(installed);
    ASSERT_TRUE(monitor.Start());
    ASSERT_TRUE(WaitUntil([&] { return installed.Has("config\\Default1.gmp"); }, kSettle))
        << Observed(installed, mouse);
    const std::string profilePath = installed.File("config\\Default1.gmp");
    {
        std::ofstream out(profilePath, std::ios::binary | std::ios::app);
        out << "[Kept]\r\nByUpgrade=\xE9t\xE9\r\n";
    }
    const std::string profile = ReadFileBytes(profilePath);
    Process option;
    ASSERT_TRUE(option.Start(installed.File("Option.exe")));
    ASSERT_NE(nullptr, WaitForWindow(kOptionWindowTitle, 15000));

    // The same version installed over it: both programs asked to close by
    // their titles, and they end on their own (a terminated one ends with 1).
    ASSERT_EQ(0, Install(folder));
    EXPECT_TRUE(option.Wait(kSettle));
    EXPECT_EQ(0u, option.exitCode());
    EXPECT_TRUE(monitor.process().Wait(kSettle));
    EXPECT_EQ(0u, monitor.process().exitCode());
    EXPECT_EQ(profile, ReadFileBytes(profilePath));
    EXPECT_EQ("%PDF", ReadFileBytes(installed.File("User Manual.pdf")).substr(0, 4));
    // And Monitor is started again.
    ASSERT_NE(nullptr, WaitForWindow(kMonitorWindowTitle, kSettle));
    ASSERT_TRUE(WaitUntil([&] { return installed.Has("config.ini"); }, kSettle));

    // The silent uninstall, with Monitor running, leaves the settings only.
    ASSERT_TRUE(UninstallSilently(folder));
    EXPECT_TRUE(WaitForNoWindow(kMonitorWindowTitle, kSettle));
    EXPECT_EQ((std::set<std::string>{"config.ini", "config\\"}), Entries(folder));
    EXPECT_EQ(profile, ReadFileBytes(profilePath));
    EXPECT_EQ("<none>", UserValue(kRunKey, kRunValue));
    EXPECT_FALSE(Exists(StartMenuFolder()));
    DeleteFolder(folder);
}

}  // namespace
}  // namespace e2e
}  // namespace kestra

int main(int argc, char** argv) {
    if (argc == 4 && strcmp(argv[1], "--record-open") == 0) {
        FILE* out = fopen(argv[2], "wb");
        if (out == nullptr) return 1;
        fputs(argv[3], out);
        return fclose(out) == 0 ? 0 : 1;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
