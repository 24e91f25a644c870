// Walks the wizard through a typical install one step per call, so that a
// script can take a picture between the steps (make run does, without a
// display).
//
//   wizard_walk start SETUP.EXE   start it; freeze it as soon as its window
//                                 is there; print its process and thread ids
//   wizard_walk resume TID        let it go on
//   wizard_walk prompt            wait for the folder prompt
//   wizard_walk install           press "install in this folder"; wait for Exit
//   wizard_walk exit              press "Exit"
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "control_ids.h"

namespace {

HWND wizardWindow(int seconds)
{
    for (int tries = 0; tries < seconds * 50; tries++) {
        if (HWND window = FindWindowA(nullptr, "QRV Installation Wizard")) return window;
        Sleep(20);
    }
    return nullptr;
}

bool waitUntilShown(HWND window, int id, int seconds)
{
    for (int tries = 0; tries < seconds * 20; tries++) {
        if (IsWindowVisible(GetDlgItem(window, id))) return true;
        Sleep(50);
    }
    return false;
}

int fail(const char* what)
{
    fprintf(stderr, "wizard_walk: %s\n", what);
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) return fail("usage: wizard_walk start|resume|prompt|install|exit");
    const char* step = argv[1];
    if (strcmp(step, "start") == 0 && argc > 2) {
        char command[MAX_PATH + 2];
        snprintf(command, sizeof command, "\"%s\"", argv[2]);
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        if (!CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
            return fail("can't start setup.exe");
        if (!wizardWindow(30)) return fail("no wizard window");
        SuspendThread(process.hThread);
        printf("%lu\n", process.dwThreadId);
        return 0;
    }
    if (strcmp(step, "resume") == 0 && argc > 2) {
        HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, strtoul(argv[2], nullptr, 10));
        if (!thread || ResumeThread(thread) == DWORD(-1)) return fail("can't resume setup.exe");
        return 0;
    }
    HWND window = wizardWindow(30);
    if (!window) return fail("no wizard window");
    if (strcmp(step, "prompt") == 0) return waitUntilShown(window, IDC_INSTALL, 60) ? 0 : fail("no prompt");
    if (strcmp(step, "install") == 0) {
        PostMessageA(GetDlgItem(window, IDC_INSTALL), BM_CLICK, 0, 0);
        return waitUntilShown(window, IDC_EXIT, 60) ? 0 : fail("the install did not finish");
    }
    if (strcmp(step, "exit") == 0) {
        PostMessageA(GetDlgItem(window, IDC_EXIT), BM_CLICK, 0, 0);
        return 0;
    }
    return fail("unknown step");
}
