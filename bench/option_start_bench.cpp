// Option's start against an empty window program's, in one run:
//   option_start_bench [RUNS] [PAUSE_MS]
// Starts, alternately, Option.exe of a fresh copy of the staged program
// folder (default settings, no Monitor) and EmptyWindow.exe +shown (a
// visible 300 x 200 window built with the same compiler), RUNS times each
// (default 7) after one unmeasured start of each, and times each from
// CreateProcess to the "painted" property its window sets after its first
// finished paint, as `screenshot_tool start` does. Both are asked for the
// points of their start (KESTRA_START_TIMES): WinMain reached, window being
// made, its first message, made, shown, first paint, every control painted;
// Option also tells how long each kind of its own work took until its first
// paint. PAUSE_MS (default 500) after its first paint, the bench clicks
// Option's PERFORMANCE, DPI, LIGHTING and MACROS tabs in turn, each once
// the previous page has painted, and times each from sending the click to
// the page's first paint. Prints every run, the medians and the ratio.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "settings/ipc_names.h"
#include "skin/skin_file.h"
#include "tests/windows/e2e_harness_win.h"

namespace {

using kestra::e2e::ProgramFolder;

constexpr DWORD kTimeoutMs = 30000;
constexpr char kEmptyTitle[] = "Kestra empty window";

// The tabs clicked after the start, with the marks Option makes for them.
struct Tab {
    int entry;  // in skin_main.ini
    const char* name;
};
const Tab kTabs[] = {{39, "performance"}, {40, "dpi"}, {38, "lighting"}, {37, "macros"}};

const char* const kMarks[] = {"winmain", "creating",     "created",    "window-made",
                              "shown",   "painted-main", "painted-all"};
const char* const kPhases[] = {"language", "settings", "skin-files", "images",
                               "outlines", "windows",  "other"};

LONGLONG Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

double Ms(LONGLONG ticks) {
    static const LONGLONG frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f.QuadPart;
    }();
    return 1000.0 * static_cast<double>(ticks) / static_cast<double>(frequency);
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// What a program wrote about its start: marks in counter ticks, phases in ms.
struct Figures {
    std::map<std::string, LONGLONG> marks;
    std::map<std::string, double> phases;
};

Figures ReadFigures(const std::string& path) {
    Figures figures;
    std::ifstream file(path);
    std::string line;
    while (std::getline(file, line)) {
        std::istringstream in(line);
        std::string kind, name;
        in >> kind >> name;
        if (kind == "mark") {
            long long ticks = 0;
            if (in >> ticks) figures.marks[name] = ticks;
        } else if (kind == "phase") {
            double ms = 0;
            if (in >> ms) figures.phases[name] = ms;
        }
    }
    return figures;
}

// Waits until the program has written the mark, and returns its figures.
Figures WaitForMark(const std::string& path, const char* mark) {
    Figures figures;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 5000 && !(figures = ReadFigures(path)).marks.count(mark)) {
        Sleep(2);
    }
    return figures;
}

struct Started {
    PROCESS_INFORMATION process = {};
    LONGLONG at = 0;
    HWND window = nullptr;
    double paintedMs = -1;
};

// Starts the program and waits for its window's first finished paint.
bool StartAndWait(const std::string& commandLine, const char* title, Started& run) {
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    std::string command = commandLine;
    run.at = Now();
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &run.process)) {
        fprintf(stderr, "cannot start %s\n", commandLine.c_str());
        return false;
    }
    CloseHandle(run.process.hThread);
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < kTimeoutMs) {
        if (run.window == nullptr) {
            HWND found = FindWindowA(nullptr, title);
            if (found != nullptr && IsWindowVisible(found)) run.window = found;
        }
        if (run.window != nullptr && GetPropA(run.window, kestra::kFirstPaintProperty) != nullptr) {
            run.paintedMs = Ms(Now() - run.at);
            return true;
        }
        Sleep(1);
    }
    fprintf(stderr, "no painted window \"%s\"\n", title);
    return false;
}

bool Close(Started& run) {
    if (run.window != nullptr) PostMessageA(run.window, WM_CLOSE, 0, 0);
    const bool ended = WaitForSingleObject(run.process.hProcess, 10000) == WAIT_OBJECT_0;
    if (!ended) TerminateProcess(run.process.hProcess, 1);
    CloseHandle(run.process.hProcess);
    return ended;
}

// Clicks each tab as BM_CLICK does, as soon as the previous page has
// painted, and waits until Option has written the page's first paint.
// Returns when each click was sent, in counter ticks.
std::map<std::string, LONGLONG> ClickTabs(HWND window, const std::string& skinFolder,
                                          const std::string& figuresPath) {
    std::map<std::string, LONGLONG> sent;
    const kestra::SkinFile skin(skinFolder + "skin_main.ini");
    for (const Tab& tab : kTabs) {
        const kestra::SkinRect r = skin.ReadEntry(tab.entry).rect;
        POINT centre = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        HWND button = ChildWindowFromPointEx(window, centre, CWP_SKIPINVISIBLE);
        if (button == nullptr || button == window) continue;
        sent[tab.name] = Now();
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
        WaitForMark(figuresPath, (std::string("painted-") + tab.name).c_str());
    }
    return sent;
}

std::string SelfFolder() {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const std::string path = self;
    return path.substr(0, path.find_last_of('\\') + 1);
}

// The program's marks in ms after its CreateProcess, collected per name.
void Collect(const Figures& figures, const Started& run,
             std::map<std::string, std::vector<double>>& into) {
    for (const char* name : kMarks) {
        auto found = figures.marks.find(name);
        if (found != figures.marks.end()) into[name].push_back(Ms(found->second - run.at));
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 7;
    const DWORD pauseMs = argc > 2 ? static_cast<DWORD>(std::max(0, atoi(argv[2]))) : 500;
    ProgramFolder folder;
    if (!folder.ok()) {
        fprintf(stderr, "no copy of the staged program folder\n");
        return 1;
    }
    const std::string figuresPath = folder.File("start_times.txt");
    SetEnvironmentVariableA("KESTRA_START_TIMES", figuresPath.c_str());
    const std::string option = "\"" + folder.File("Option.exe") + "\"";
    const std::string empty = "\"" + SelfFolder() + "EmptyWindow.exe\" +shown";

    std::vector<double> optionMs, emptyMs;
    std::map<std::string, std::vector<double>> optionMarks, emptyMarks, phases, pages;
    // Round 0 is not counted: Option's first start writes the default
    // profiles, and both programs' files come into the cache.
    for (int round = 0; round <= runs; ++round) {
        DeleteFileA(figuresPath.c_str());
        Started o;
        if (!StartAndWait(option, kestra::kOptionWindowTitle, o)) {
            Close(o);
            return 1;
        }
        // The phases as they were when every control had painted.
        const Figures atStart = WaitForMark(figuresPath, "painted-all");
        Sleep(pauseMs);
        const std::map<std::string, LONGLONG> sent =
            ClickTabs(o.window, folder.File("skins\\"), figuresPath);
        const Figures afterClicks = ReadFigures(figuresPath);
        Close(o);

        DeleteFileA(figuresPath.c_str());
        Started e;
        if (!StartAndWait(empty, kEmptyTitle, e)) {
            Close(e);
            return 1;
        }
        const Figures emptyFigures = WaitForMark(figuresPath, "painted-all");
        Close(e);
        if (round == 0) continue;

        optionMs.push_back(o.paintedMs);
        emptyMs.push_back(e.paintedMs);
        Collect(atStart, o, optionMarks);
        Collect(emptyFigures, e, emptyMarks);
        for (const char* name : kPhases) {
            auto found = atStart.phases.find(name);
            if (found != atStart.phases.end()) phases[name].push_back(found->second);
        }
        printf(
            "run %d: first paint Option %.0f ms, empty window %.0f ms; tab click to page "
            "painted:",
            round, o.paintedMs, e.paintedMs);
        for (const Tab& tab : kTabs) {
            auto click = sent.find(tab.name);
            auto painted = afterClicks.marks.find(std::string("painted-") + tab.name);
            if (click == sent.end() || painted == afterClicks.marks.end()) continue;
            const double ms = Ms(painted->second - click->second);
            pages[tab.name].push_back(ms);
            printf(" %s %.0f", tab.name, ms);
        }
        printf(" ms\n");
        fflush(stdout);
    }

    const double optionMedian = Median(optionMs);
    const double emptyMedian = Median(emptyMs);
    printf(
        "\nstart to first paint, median of %d: Option %.0f ms, empty window %.0f ms, "
        "ratio %.2f\n",
        runs, optionMedian, emptyMedian, emptyMedian > 0 ? optionMedian / emptyMedian : 0.0);
    printf("\nms after CreateProcess (medians)   Option   empty window\n");
    for (const char* name : kMarks) {
        printf("  %-30s %8.0f %8.0f\n", name, Median(optionMarks[name]), Median(emptyMarks[name]));
    }
    printf("\nOption's work until every control had painted, ms (medians):\n ");
    for (const char* name : kPhases) printf(" %s %.1f", name, Median(phases[name]));
    printf(
        "\n\ntab click to the page's first paint, %lu ms after the first paint, ms "
        "(medians):\n ",
        static_cast<unsigned long>(pauseMs));
    for (const Tab& tab : kTabs) printf(" %s %.0f", tab.name, Median(pages[tab.name]));
    printf("\n");
    return 0;
}
