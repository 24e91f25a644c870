// The installation engine's steps that act on the platform. Each failure
// ends the run through fail or reportFatal, except the folder steps, which
// answer true or false. What the steps do is told through installReport.
#pragma once

#include <windows.h>

#include <cstdint>

#include "install_config.h"
#include "install_report.h"

// ---- reporting ----------------------------------------------------------
// The extraction bar counts decoded bytes in thousandths and reaches its
// end once every payload is decoded; the copy bar counts payload rows, the
// row's index given before each row, so that it never shows the full count.
constexpr int extractionRange = 1000;

// ---- tracing --------------------------------------------------------------
// Marks a moment of the run for whoever traces it: a debugger's output,
// DebugView on Windows, WINEDEBUG=+timestamp,+debugstr under Wine
// (bench/installer/startup_trace.sh). Unheard, it costs microseconds.
inline void traceMark(const char* moment) { OutputDebugStringA(moment); }

// ---- resources and extraction ------------------------------------------
extern HINSTANCE appInstance;       // the program's module, recorded first at start-up
extern const BITMAPINFO* logoDib;   // the "LOGO" bitmap: a 40-byte header and 24-bit rows

struct ResourceData {
    const uint8_t* data;
    uint32_t size;
};

// The bytes of the named resource (UTF-8) of a type (RT_RCDATA, RT_BITMAP),
// found without regard to ASCII letter case; read in place, never copied or
// released.
// Codes 321 (not found), 324 (not loaded), 326 (not locked).
ResourceData loadResourceData(const char* name, WORD type);
// The same without the report: 0, or the code, with the system's error left
// for GetLastError; and the report of such a code, or of a payload's.
int findResourceData(const char* name, WORD type, ResourceData* resource);
[[noreturn]] void reportResourceFailure(int code, const char* name, DWORD error);

void loadLogo();

// Decodes every payload resource into its row, in table order, on a worker
// thread started as early as start-up allows, so that the dialog is made,
// painted and kept answering while it runs. The worker stops at the first
// payload that fails and only records it; the caller's thread reports it
// once the worker is done: codes as loadResourceData's (for the payloads and
// for the check resource), 344 (a container of another kind than version
// 1), 346 (a container that does not decode), 347 (no memory for its bytes)
// and 348 (decoded bytes that do not match their recorded CRC-32).
void startExtraction();  // no-op once started
// installReport.extractionEnded once the pass has ended (at once if it has).
void tellWhenExtracted();
int extractionPosition();  // 0 .. extractionRange - 1 while it runs
void awaitExtraction();  // waits for the worker and reports its failure, if any
void finishExtraction();  // once awaited: the bar at its end, and the pass's end
// The whole pass at once, for a caller without a message loop: start (if
// not started yet), begin, wait, report, end.
void extractPayloads();

// ---- folders ------------------------------------------------------------
// Creates `path` and every missing parent from the top down and makes it
// the current directory; `path` is cut and restored on the way.
bool createFolderPath(wchar_t* path);
// The install folder, once validated (validateInstallFolder), created.
bool createInstallFolder();

// ---- files --------------------------------------------------------------
// Writes one payload as the file `path` (UTF-8) in the current folder (replacing
// any file of that name, whole or not at all) with the payload's time stamp
// as all three of its times. Codes 212, 218, 223, 228, 233, 238.
void writePayloadFile(const char* path, PayloadEntry entry);
void copyPayloads();

// ---- shortcuts ----------------------------------------------------------
void createShortcuts();
// Saves a link at `linkPath` that starts `targetPath` in `workingDirectory`,
// described by `description`; false when it could not be saved.
bool createShellLink(const wchar_t* linkPath, const wchar_t* targetPath, const wchar_t* description,
                     const wchar_t* workingDirectory);

// ---- system survey ------------------------------------------------------
extern OSVERSIONINFOA osVersionInfo;
extern int32_t architectureBits;
void detectOsVersion();
void detectArchitecture();
// The results as the dialog's lines show them after their words: "64-bit",
// "Windows-XP"; null for what the survey does not know.
const char* architectureValue();
const char* osValue();
