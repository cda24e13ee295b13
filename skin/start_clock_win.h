// Where a program's start goes, for the start-up bench: points in time
// (marks) and the time spent in each kind of work (phases, each counted
// without the phases nested in it). Nothing is written unless the
// environment variable KESTRA_START_TIMES names a file; then the figures go
// there once, when the program calls WriteStartTimes (after its first
// paint). Only the thread that made the first mark is timed; a phase
// costs two clock reads.
#pragma once

#include <windows.h>

namespace kestra {

enum class StartPhase {
    kOther,      // whatever no phase below covers
    kLanguage,   // the language library
    kSettings,   // settings files, shared block, macro library
    kSkinFiles,  // skin files read and parsed
    kImages,     // skin images read and decoded
    kOutlines,   // window outlines made from masks
    kWindows,    // windows and controls created, their state images cut
    kCount
};

// Records that the start has reached `name` now (a string literal).
void StartMark(const char* name);

class StartPhaseScope {
public:
    explicit StartPhaseScope(StartPhase phase);
    ~StartPhaseScope();
    StartPhaseScope(const StartPhaseScope&) = delete;
    StartPhaseScope& operator=(const StartPhaseScope&) = delete;

private:
    bool counted_;
};

// Writes the marks (performance-counter ticks, which every process of the
// machine shares) and the phases (milliseconds) so far to the requested
// file, replacing what an earlier call wrote. Lines:
//   frequency TICKS_PER_SECOND
//   mark NAME TICKS
//   phase NAME MILLISECONDS
void WriteStartTimes();

}  // namespace kestra
