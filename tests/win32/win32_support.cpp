#include "win32_support.h"

#include <shlobj.h>
#include <shobjidl.h>

#include <cstdio>
#include <functional>

void removeTree(const std::string& path)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            std::string child = path + "\\" + name;
            SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) removeTree(child);
            else DeleteFileA(child.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

namespace {

struct WindowSearch {
    DWORD processId;
    const std::function<bool(HWND)>* matches;
    HWND found;
};

BOOL CALLBACK matchWindow(HWND window, LPARAM parameter)
{
    WindowSearch* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && IsWindowVisible(window) && (*search->matches)(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

HWND findWindowOf(DWORD processId, const std::function<bool(HWND)>& matches)
{
    WindowSearch search{processId, &matches, nullptr};
    EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND waitForWindowOf(DWORD processId, const std::function<bool(HWND)>& matches, int seconds, int intervalMs)
{
    for (int tries = 0; tries < seconds * 1000 / intervalMs; tries++) {
        if (HWND window = findWindowOf(processId, matches)) return window;
        Sleep(intervalMs);
    }
    return nullptr;
}

std::string windowText(HWND window)
{
    char text[2048] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// A message box: a dialog with the box's text control (the programs' own
// dialogs have no control of that identifier).
bool isMessageBox(HWND window)
{
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    return std::string(className) == "#32770" && GetDlgItem(window, 0xFFFF) != nullptr;
}

HWND findMessageBox(DWORD processId) { return findWindowOf(processId, isMessageBox); }


ScratchFolder::ScratchFolder()
{
    char temporary[MAX_PATH];
    GetTempPathA(sizeof temporary, temporary);
    static int made = 0;
    char name[64];
    snprintf(name, sizeof name, "setup-test-%lu-%d", GetCurrentProcessId(), ++made);
    path_ = std::string(temporary) + name;
    CreateDirectoryA(path_.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder()
{
    SetCurrentDirectoryA("C:\\");  // a folder can't be removed while it is current
    removeTree(path_);
}

std::vector<unsigned char> readWholeFile(const std::string& path)
{
    std::vector<unsigned char> bytes;
    FILE* file = fopen(path.c_str(), "rb");
    if (!file) return bytes;
    unsigned char chunk[65536];
    for (size_t count; (count = fread(chunk, 1, sizeof chunk, file)) > 0;) bytes.insert(bytes.end(), chunk, chunk + count);
    fclose(file);
    return bytes;
}

void writeWholeFile(const std::string& path, const std::string& bytes)
{
    FILE* file = fopen(path.c_str(), "wb");
    fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);
}

bool folderExists(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool fileExists(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool readFileTimes(const std::string& path, FileTimes* times)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool read = GetFileTime(file, &times->creation, &times->lastAccess, &times->lastWrite) != 0;
    CloseHandle(file);
    return read;
}

unsigned long long fileTimeValue(const FILETIME& time)
{
    return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FatalOutcome runFatalChild(const std::string& scenario, const std::string& argument)
{
    FatalOutcome outcome{false, "", "", 0};
    char command[1024];
    snprintf(command, sizeof command, "\"%s\" %s \"%s\"", FATAL_CHILD, scenario.c_str(), argument.c_str());
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return outcome;
    HWND box = nullptr;
    for (int tries = 0; tries < 300 && !box; tries++) {
        if (WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) break;  // ended without a box
        box = findMessageBox(process.dwProcessId);
        if (!box) Sleep(50);
    }
    if (box) {
        outcome.seenBox = true;
        outcome.title = windowText(box);
        outcome.text = windowText(GetDlgItem(box, 0xFFFF));  // the message box's text
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
    if (WaitForSingleObject(process.hProcess, 15000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 99);
    GetExitCodeProcess(process.hProcess, &outcome.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return outcome;
}

std::string sourcePath(const std::string& relative)
{
    std::string path = std::string("Z:") + SOURCE_DIR + "/" + relative;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

LinkFields readLink(const std::string& linkPath)
{
    LinkFields fields{false, "", "", "", "", 0};
    CoInitialize(nullptr);
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        WCHAR widePath[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, widePath, MAX_PATH);
        if (SUCCEEDED(file->Load(widePath, STGM_READ))) {
            char text[1024];
            fields.loaded = true;
            link->GetPath(text, sizeof text, nullptr, SLGP_RAWPATH);
            fields.path = text;
            link->GetArguments(text, sizeof text);
            fields.arguments = text;
            link->GetDescription(text, sizeof text);
            fields.description = text;
            link->GetWorkingDirectory(text, sizeof text);
            fields.workingDirectory = text;
            link->GetShowCmd(&fields.showCommand);
        }
    }
    if (file) file->Release();
    if (link) link->Release();
    CoUninitialize();
    return fields;
}

