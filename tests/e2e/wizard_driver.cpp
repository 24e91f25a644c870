#include "wizard_driver.h"


#include "control_ids.h"
#include "win32_support.h"

Wizard::Wizard(const std::string& profile, const std::string& program, const std::string& currentFolder)
    : Wizard(profile, program.empty() ? SETUP_EXE : program,
             [](HWND window) { return windowText(window) == "QRV Installation Wizard"; }, 50, currentFolder)
{
}

Wizard::Wizard(const std::string& profile, const std::string& program, const std::function<bool(HWND)>& isItsWindow,
               int intervalMs, const std::string& currentFolder)
{
    SetEnvironmentVariableA("USERPROFILE", profile.c_str());
    std::string command = "\"" + program + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                        currentFolder.empty() ? nullptr : currentFolder.c_str(), &startup, &process_))
        return;
    window_ = waitForWindowOf(process_.dwProcessId, isItsWindow, 20, intervalMs);
}

Wizard::~Wizard()
{
    if (process_.hProcess) {
        if (WaitForSingleObject(process_.hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(process_.hProcess, 99);
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }
}

ControlState Wizard::control(int id) const
{
    HWND item = GetDlgItem(window_, id);
    char text[1024] = "";
    GetWindowTextA(item, text, sizeof text);
    return ControlState{IsWindowVisible(item) != 0, IsWindowEnabled(item) != 0, text};
}

HWND Wizard::focused() const
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(window_, nullptr), &info);
    return info.hwndFocus;
}

void Wizard::click(int id) const { PostMessageA(GetDlgItem(window_, id), BM_CLICK, 0, 0); }

void Wizard::pressKey(WORD key) const
{
    HWND target = focused() ? focused() : window_;
    PostMessageA(target, WM_KEYDOWN, key, 1);
    PostMessageA(target, WM_KEYUP, key, 1 | 0xC0000000);
}

void Wizard::close() const { PostMessageA(window_, WM_CLOSE, 0, 0); }

bool Wizard::waitUntil(const std::function<bool()>& done, int seconds, int intervalMs) const
{
    for (int tries = 0; tries < seconds * 1000 / intervalMs; tries++) {
        if (done()) return true;
        if (WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0) return false;
        Sleep(intervalMs);
    }
    return false;
}

bool Wizard::waitUntilShown(int id, bool shown, int seconds) const
{
    return waitUntil([&] { return control(id).visible == shown; }, seconds);
}

bool Wizard::waitUntilFocused(int id, int seconds) const
{
    return waitUntil([&] { return focused() == GetDlgItem(window_, id); }, seconds);
}

DWORD Wizard::waitForExit(int seconds)
{
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(process_.hProcess, DWORD(seconds) * 1000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process_.hProcess, &code);
    return code;
}

std::string Wizard::describe() const
{
    static const std::pair<int, const char*> controls[] = {
        {IDC_INFO_TEXT, "info"},     {IDC_NOTICE_TEXT, "notice"}, {IDC_OS_TEXT, "os"},
        {IDC_ARCH_TEXT, "arch"},     {IDC_STATUS_TEXT, "status"}, {IDC_FOLDER_TEXT, "folder"},
        {IDC_PROMPT_TEXT, "prompt"}, {IDC_INSTALL, "install"},    {IDC_BROWSE, "browse"},
        {IDC_EXIT, "exit"},          {IDC_EXTRACT_PROGRESS, "extract bar"}, {IDC_COPY_PROGRESS, "copy bar"}};
    std::string text = "the wizard shows:";
    for (const auto& [id, name] : controls) {
        ControlState state = control(id);
        text += std::string("\n  ") + name + (state.visible ? " shown" : " hidden") +
                (state.enabled ? "" : ", disabled") + ": '" + state.text + "'";
    }
    return text;
}

TestProfile::TestProfile(bool desktop, bool programs) : path(folder.path())
{
    if (desktop) CreateDirectoryA((folder / "Desktop").c_str(), nullptr);
    if (programs) {
        CreateDirectoryA((folder / "Start Menu").c_str(), nullptr);
        CreateDirectoryA((folder / "Start Menu\\Programs").c_str(), nullptr);
    }
}
