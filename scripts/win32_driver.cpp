#include "win32_driver.h"

#include <shlobj.h>

#include <filesystem>

namespace fs = std::filesystem;

std::wstring wide(const std::string& utf8)
{
    std::wstring text(utf8.size() + 1, L'\0');
    text.resize(MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &text[0], int(text.size())) - 1);
    return text;
}

std::string utf8(const std::wstring& wide)
{
    std::string text(wide.size() * 3 + 1, '\0');
    text.resize(WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, &text[0], int(text.size()), nullptr, nullptr) - 1);
    return text;
}

void removeTree(const std::string& path)
{
    std::error_code ignored;
    for (const auto& entry : fs::recursive_directory_iterator(fs::u8path(path), ignored))
        SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);  // read-only files too
    fs::remove_all(fs::u8path(path), ignored);
}

ScratchFolder::ScratchFolder(const std::string& name)
{
    static int made = 0;
    path = (fs::temp_directory_path() / fs::u8path("setup-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                                                   std::to_string(++made) + name)).u8string();
    fs::create_directory(fs::u8path(path));
}

ScratchFolder::~ScratchFolder()
{
    SetCurrentDirectoryA("C:\\");  // a folder can't be removed while it is current
    removeTree(path);
}

TestProfile::TestProfile(bool desktop, bool programs, const std::string& name) : ScratchFolder(name)
{
    if (desktop) fs::create_directory(fs::u8path(*this / "Desktop"));
    if (programs) fs::create_directories(fs::u8path(*this / "Start Menu\\Programs"));
}

std::string shellFolder(int csidl)
{
    wchar_t path[MAX_PATH] = L"";
    return SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path) == S_OK ? utf8(path) : "";
}

bool folderExists(const std::string& path) { return fs::is_directory(fs::u8path(path)); }
bool fileExists(const std::string& path) { return fs::is_regular_file(fs::u8path(path)); }

HWND waitForWindowOf(DWORD processId, const std::function<bool(HWND)>& matches, int seconds, int intervalMs)
{
    for (int tries = 0;; tries++, Sleep(intervalMs)) {
        for (HWND window = FindWindowExA(nullptr, nullptr, nullptr, nullptr); window;
             window = FindWindowExA(nullptr, window, nullptr, nullptr)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == processId && IsWindowVisible(window) && matches(window)) return window;
        }
        if (tries >= seconds * 1000 / intervalMs) return nullptr;
    }
}

std::string windowText(HWND window)
{
    wchar_t text[2048] = L"";
    GetWindowTextW(window, text, 2048);
    return utf8(text);
}

// A message box: a dialog with the box's text control (the programs' own
// dialogs have no control of that identifier).
bool isMessageBox(HWND window)
{
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    return std::string(className) == "#32770" && GetDlgItem(window, 0xFFFF) != nullptr;
}

Wizard::Wizard(const std::string& profile, const std::string& command, const std::function<bool(HWND)>& isItsWindow,
               int intervalMs, const std::string& currentFolder)
{
    SetEnvironmentVariableW(L"USERPROFILE", profile.empty() ? nullptr : wide(profile).c_str());
    std::string line = command[0] == '"' ? command : "\"" + command + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                       currentFolder.empty() ? nullptr : currentFolder.c_str(), &startup, &process_))
        waitUntil([&] { return (window_ = waitForWindowOf(process_.dwProcessId, isItsWindow, 0)) != nullptr; }, 20,
                  intervalMs);
}

Wizard::~Wizard()
{
    if (!process_.hProcess) return;
    if (WaitForSingleObject(process_.hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(process_.hProcess, 99);
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
}

ControlState Wizard::control(int id) const
{
    HWND item = GetDlgItem(window_, id);
    return ControlState{IsWindowVisible(item) != 0, IsWindowEnabled(item) != 0, windowText(item)};
}

bool Wizard::click(int id) const
{
    ControlState state = control(id);
    return state.visible && state.enabled && PostMessageA(GetDlgItem(window_, id), BM_CLICK, 0, 0);
}

static HWND focusOf(HWND window)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}

void Wizard::pressKey(WORD key) const
{
    HWND target = focusOf(window_) ? focusOf(window_) : window_;
    PostMessageA(target, WM_KEYDOWN, key, 1);
    PostMessageA(target, WM_KEYUP, key, 1 | 0xC0000000);
}


bool Wizard::waitUntil(const std::function<bool()>& done, int seconds, int intervalMs) const
{
    for (int tries = 0; tries < seconds * 1000 / intervalMs; tries++) {
        if (done()) return true;
        if (WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0) return false;
        Sleep(intervalMs);
    }
    return false;
}

bool Wizard::waitUntilShown(int id, int seconds) const
{
    return waitUntil([&] { return control(id).visible; }, seconds);
}

bool Wizard::waitUntilFocused(int id, int seconds) const
{
    return waitUntil([&] { return focusOf(window_) == GetDlgItem(window_, id); }, seconds);
}

DWORD Wizard::waitForExit(int seconds)
{
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(process_.hProcess, DWORD(seconds) * 1000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process_.hProcess, &code);
    return code;
}

std::string Wizard::dismissBox(int seconds) const
{
    HWND box = nullptr;
    waitUntil([&] { return (box = waitForWindowOf(process_.dwProcessId, isMessageBox, 0)) != nullptr; }, seconds);
    if (!box) return "no box";
    std::string seen = windowText(box) + ": " + windowText(GetDlgItem(box, 0xFFFF));
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    return seen;
}

std::string Wizard::describe() const
{
    std::string text = "the wizard shows (control: shown, enabled, text):";
    for (int id = 1025; id <= 1037; id++)
        text += "\n  " + std::to_string(id) + ": " + std::to_string(control(id).visible) +
                std::to_string(control(id).enabled) + " '" + control(id).text + "'";
    return text;
}
