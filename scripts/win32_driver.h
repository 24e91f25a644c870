// What drives a Win32 program as a person would, for the tests under Wine,
// the installer benchmark and whoever else: a program started in a scratch
// profile, its windows found, its controls read and clicked, its error box
// read; and the folders and files such a run looks at.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

// Paths and texts are UTF-8 throughout, as the system's UTF-16 converts to
// and from it without loss: a profile or folder may be named in any
// alphabet.
std::wstring wide(const std::string& utf8);
std::string utf8(const std::wstring& wide);

// A fresh folder under the temporary folder (its name ending in `name`),
// removed with all it holds (read-only files too) when it goes.
struct ScratchFolder {
    explicit ScratchFolder(const std::string& name = "");
    ~ScratchFolder();
    std::string operator/(const std::string& name) const { return path + "\\" + name; }
    std::string path;
};
void removeTree(const std::string& path);

// A profile folder with Desktop and Start Menu\Programs (or without them).
struct TestProfile : ScratchFolder {
    explicit TestProfile(bool desktop = true, bool programs = true, const std::string& name = "");
};

std::string shellFolder(int csidl);  // where the shell says the folder is now, or ""

bool folderExists(const std::string& path);
bool fileExists(const std::string& path);

// The first visible top-level window of a process that `matches`, within
// `seconds` (looking every `intervalMs`); null if there is none.
HWND waitForWindowOf(DWORD processId, const std::function<bool(HWND)>& matches, int seconds, int intervalMs = 50);
std::string windowText(HWND window);
bool isMessageBox(HWND window);

struct ControlState {
    bool visible, enabled;
    std::string text;
};

// A program started (`command`: a path, or a quoted path and arguments)
// with USERPROFILE set to `profile` (none when empty), in `currentFolder`
// if one is named, and its first window that `isItsWindow`, looked for
// every `intervalMs` until the program ends.
class Wizard {
public:
    Wizard(const std::string& profile, const std::string& command, const std::function<bool(HWND)>& isItsWindow,
           int intervalMs = 50, const std::string& currentFolder = "");
    Wizard(const Wizard&) = delete;
    ~Wizard();
    bool started() const { return window_ != nullptr; }
    HWND window() const { return window_; }
    DWORD processId() const { return process_.dwProcessId; }

    ControlState control(int id) const;
    // Clicks a button as a mouse would. A hidden or disabled button cannot
    // be clicked: then nothing is sent, and false says so.
    [[nodiscard]] bool click(int id) const;
    void pressKey(WORD key) const;  // to the control with the keyboard focus

    // Waits until `done` holds, up to `seconds`; false if it does not, or
    // if the process ends first. A step ends by focusing a button.
    bool waitUntil(const std::function<bool()>& done, int seconds = 20, int intervalMs = 50) const;
    bool waitUntilShown(int id, int seconds = 20) const;
    bool waitUntilFocused(int id, int seconds = 20) const;
    DWORD waitForExit(int seconds = 20);  // the exit code, or STILL_ACTIVE
    // The process's error box, read and dismissed: "TITLE: TEXT", or "no box".
    std::string dismissBox(int seconds = 20) const;
    std::string describe() const;  // every control, for failure messages

private:
    PROCESS_INFORMATION process_ = {};
    HWND window_ = nullptr;
};
