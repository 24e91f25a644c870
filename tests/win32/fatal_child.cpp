// Runs one engine step that is meant to fail, so that a test can watch the
// fatal error box and the exit code as a user would meet them.
//
//   fatal_child write FILE        write a payload over FILE
//   fatal_child shortcuts         create the shortcuts (for USERPROFILE)
//   fatal_child resource NAME     load the raw-data resource NAME
//   fatal_child extract NAME      extract a table of one payload, NAME
//   fatal_child CALL STEP [ARG]   the same STEP with the platform call CALL
//                                 failing (see failures below)
#include <windows.h>

#include <commctrl.h>
#include <cstring>

#include "engine.h"
#include "platform_calls.h"

namespace {

INT_PTR CALLBACK quietDialogProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

// Platform calls failing as a real system seldom would, each leaving a
// last-error value the test expects to see.
HGLOBAL WINAPI failLoad(HMODULE, HRSRC)
{
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
}
LPVOID WINAPI failLock(HGLOBAL)
{
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
}
HANDLE WINAPI failCreate(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE)
{
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
}
BOOL WINAPI failWrite(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED)
{
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
}
BOOL WINAPI shortWrite(HANDLE file, LPCVOID bytes, DWORD count, LPDWORD written, LPOVERLAPPED overlapped)
{
    BOOL wrote = WriteFile(file, bytes, count / 2, written, overlapped);
    SetLastError(ERROR_HANDLE_DISK_FULL);
    return wrote;
}
BOOL WINAPI failTime(HANDLE, const FILETIME*, const FILETIME*, const FILETIME*)
{
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}
BOOL WINAPI failClose(HANDLE)
{
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}
BOOL WINAPI failVersion(LPOSVERSIONINFOA)
{
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}
BOOL WINAPI failType(LPCSTR, LPDWORD)
{
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
}
BOOL WINAPI dosType(LPCSTR, LPDWORD type)
{
    *type = SCS_DOS_BINARY;
    return TRUE;
}

// Makes the named call fail; false when the name is not a call.
bool failCall(const char* call)
{
    if (strcmp(call, "LoadResource") == 0) platform.loadResource = failLoad;
    else if (strcmp(call, "LockResource") == 0) platform.lockResource = failLock;
    else if (strcmp(call, "CreateFileA") == 0) platform.createFile = failCreate;
    else if (strcmp(call, "WriteFile") == 0) platform.writeFile = failWrite;
    else if (strcmp(call, "WriteFile-short") == 0) platform.writeFile = shortWrite;
    else if (strcmp(call, "SetFileTime") == 0) platform.setFileTime = failTime;
    else if (strcmp(call, "CloseHandle") == 0) platform.closeHandle = failClose;
    else if (strcmp(call, "GetVersionExA") == 0) platform.getVersionEx = failVersion;
    else if (strcmp(call, "GetBinaryTypeA") == 0) platform.getBinaryType = failType;
    else if (strcmp(call, "GetBinaryTypeA-dos") == 0) platform.getBinaryType = dosType;
    else return false;
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) return 2;
    appInstance = GetModuleHandleA(nullptr);
    int first = failCall(argv[1]) ? 2 : 1;
    if (argc <= first) return 2;
    const char* scenario = argv[first];
    const char* argument = argc > first + 1 ? argv[first + 1] : "";
    if (strcmp(scenario, "write") == 0) {
        static uint8_t bytes[] = "new bytes";
        writePayloadFile(argument, PayloadEntry{"file", bytes, sizeof bytes - 1, {0, 0}});
    } else if (strcmp(scenario, "shortcuts") == 0) {
        strcpy(installFolder, installConfig.defaultFolder);
        createShortcuts();
    } else if (strcmp(scenario, "survey") == 0) {
        detectOsVersion();
        detectArchitecture();
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
