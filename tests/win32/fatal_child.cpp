// Runs one engine step that is meant to fail, so that a test can watch the
// fatal error box and the exit code as a user would meet them.
//
//   fatal_child write FILE        write a payload over FILE
//   fatal_child shortcuts         create the shortcuts (for USERPROFILE)
//   fatal_child resource NAME     load the raw-data resource NAME
//   fatal_child extract NAME      extract a table of one payload, NAME
#include <windows.h>

#include <commctrl.h>
#include <cstring>

#include "engine.h"

namespace {

INT_PTR CALLBACK quietDialogProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) return 2;
    appInstance = GetModuleHandleA(nullptr);
    const char* scenario = argv[1];
    const char* argument = argc > 2 ? argv[2] : "";
    if (strcmp(scenario, "write") == 0) {
        static uint8_t bytes[] = "new bytes";
        writePayloadFile(argument, PayloadEntry{"file", bytes, sizeof bytes - 1, {0, 0}});
    } else if (strcmp(scenario, "shortcuts") == 0) {
        strcpy(installFolder, installConfig.defaultFolder);
        createShortcuts();
    } else if (strcmp(scenario, "resource") == 0) {
        loadResourceData(argument, 10);
    } else if (strcmp(scenario, "extract") == 0) {
        InitCommonControls();
        HWND dialog = CreateDialogParamA(appInstance, "SETUP", nullptr, quietDialogProc, 0);
        payloadTable[0].fileName = argument;
        payloadTable[1].fileName = nullptr;
        extractPayloads(dialog);
    } else {
        return 2;
    }
    return 0;  // the step did not fail
}
