// The installation engine's steps that act on the platform. Each failure
// ends the run through reportFatal, except the folder steps, which answer
// true or false.
#pragma once

#include <windows.h>

#include <cstdint>

#include "install_config.h"

// ---- progress -----------------------------------------------------------
// Both passes: the status text, the bar shown with the range 0 .. `range`,
// positions set as the pass goes, the bar hidden at the end. The copy bar
// counts payload rows: the row's index is set before each row, so it never
// shows the full count. The extraction bar counts decoded bytes in
// thousandths and shows the full range once every payload is decoded.
constexpr int extractionRange = 1000;
void beginProgress(HWND dialog, const char* status, int bar, int range);
void showProgress(HWND dialog, int bar, int row);
void endProgress(HWND dialog, int bar);

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

// The bytes of the named resource of a type (RT_RCDATA, RT_BITMAP), found
// without regard to letter case; read in place, never copied or released.
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
// payload that fails and only records it; the dialog's thread reports it
// once the worker is done: codes as loadResourceData's (for the payloads and
// for the check resource), 344 (a container of another kind than version
// 1), 346 (a container that does not decode) and 348 (decoded bytes that do
// not match their recorded CRC-32).
void startExtraction();  // no-op once started
// Posts `message` with `step` to the dialog once the pass has ended (at
// once if it has).
void tellWhenExtracted(HWND dialog, UINT message, WPARAM step);
int extractionPosition();  // 0 .. extractionRange - 1 while it runs
void awaitExtraction();  // waits for the worker and reports its failure, if any
void finishExtraction(HWND dialog);  // once awaited: shows the bar at its end and hides it
// The whole pass at once, for a caller without the dialog's message loop:
// start (if not started yet), bar, wait, report.
void extractPayloads(HWND dialog);

// ---- folders ------------------------------------------------------------
// Creates `path` and every missing parent from the top down and makes it
// the current directory; `path` is cut and restored on the way.
bool createFolderPath(wchar_t* path);
bool createInstallFolder();

// ---- files --------------------------------------------------------------
// Writes one payload as the file `path` (replacing any file of that name)
// with the payload's time stamp as all three of its times. Codes 212, 218,
// 223, 228, 233, 238.
void writePayloadFile(const char* path, PayloadEntry entry);
bool copyPayloads(HWND dialog);

// ---- shortcuts ----------------------------------------------------------
bool createShortcuts();
// The paths in UTF-16, the product's texts (arguments, description, icon) in
// ASCII.
int createShellLink(const wchar_t* linkPath, const wchar_t* targetPath, const char* arguments, const char* description,
                    const wchar_t* workingDirectory);
HRESULT saveShellLink(const wchar_t* targetPath, const char* arguments, const wchar_t* linkPath, const char* description,
                      int showCommand, const wchar_t* workingDirectory, const char* iconPath, int iconIndex);

// ---- system survey ------------------------------------------------------
extern OSVERSIONINFOA osVersionInfo;
extern int32_t architectureBits;
void detectOsVersion();
void detectArchitecture();
const char* architectureText();
const char* osText();
