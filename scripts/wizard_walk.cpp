// Walks the wizard through a typical install one step per call, so that a
// script can take a picture between the steps (make run does, without a
// display).
//
//   wizard_walk start SETUP.EXE   start it, freeze it as soon as its window is
//                                 there, and print its thread's id
//   wizard_walk extracting SETUP.EXE
//                                 the same, frozen once its extraction bar
//                                 stands between a fifth and four fifths
//   wizard_walk launch SETUP.EXE  start it and leave it running, marking the
//                                 moment for a trace (bench/installer/startup_trace.sh)
//   wizard_walk resume TID        let it go on
//   wizard_walk prompt            wait for the folder prompt
//   wizard_walk install           press "install in this folder"; wait for Exit
//   wizard_walk exit              press "Exit"; wait until the wizard is gone
//   wizard_walk close             close it with its title bar's box
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "control_ids.h"

namespace {

// Waits up to 60 seconds for `done`.
template <typename Done>
bool waitFor(Done done)
{
    for (int tries = 0; tries < 1200 && !done(); tries++) Sleep(50);
    return done();
}

// The wizard, whatever its product's title: the visible dialog that has
// the information text.
BOOL CALLBACK isWizard(HWND window, LPARAM result)
{
    if (!IsWindowVisible(window) || !GetDlgItem(window, IDC_INFO_TEXT) || !GetDlgItem(window, IDC_INSTALL)) return TRUE;
    *reinterpret_cast<HWND*>(result) = window;
    return FALSE;
}

HWND wizard()
{
    HWND found = nullptr;
    EnumWindows(isWizard, reinterpret_cast<LPARAM>(&found));
    return found;
}

bool extractionMidway()
{
    HWND bar = GetDlgItem(wizard(), IDC_EXTRACT_PROGRESS);
    LRESULT position = SendMessageA(bar, PBM_GETPOS, 0, 0);
    return IsWindowVisible(bar) && position >= 200 && position <= 800;
}

bool clickAndWaitFor(int button, int shown)
{
    return waitFor(wizard) && PostMessageA(GetDlgItem(wizard(), button), BM_CLICK, 0, 0) &&
           (!shown || waitFor([=] { return IsWindowVisible(GetDlgItem(wizard(), shown)); }));
}

bool startProgram(const char* path, PROCESS_INFORMATION* process)
{
    std::string command = "\"" + std::string(path) + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    return CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, process);
}

}  // namespace

int main(int argc, char** argv)
{
    std::string step = argc > 1 ? argv[1] : "";
    PROCESS_INFORMATION process = {};
    if (step == "launch" && argc > 2) {
        OutputDebugStringA("walk: launching");
        if (startProgram(argv[2], &process)) return 0;
    } else if ((step == "start" || step == "extracting") && argc > 2) {
        if (startProgram(argv[2], &process) &&
            (step == "start" ? waitFor(wizard) : waitFor(extractionMidway)) && SuspendThread(process.hThread) != DWORD(-1))
            return printf("%lu\n", process.dwThreadId), 0;
    } else if (step == "resume" && argc > 2) {
        HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, strtoul(argv[2], nullptr, 10));
        if (thread && ResumeThread(thread) != DWORD(-1)) return 0;
    } else if (step == "prompt") {
        if (waitFor([] { return wizard() && IsWindowVisible(GetDlgItem(wizard(), IDC_INSTALL)); })) return 0;
    } else if (step == "close") {
        if (PostMessageA(wizard(), WM_CLOSE, 0, 0) && waitFor([] { return !wizard(); })) return 0;
    } else if (step == "install") {
        if (clickAndWaitFor(IDC_INSTALL, IDC_EXIT)) return 0;
    } else if (step == "exit") {
        // Gone, not just clicked: Wine may keep a closing window for a
        // moment, and the next step must not take it for the next wizard.
        if (clickAndWaitFor(IDC_EXIT, 0) && waitFor([] { return !wizard(); })) return 0;
    }
    fprintf(stderr, "wizard_walk: %s failed\n", argc > 1 ? argv[1] : "usage: wizard_walk launch|start|extracting|resume|prompt|install|exit|close");
    return 1;
}
