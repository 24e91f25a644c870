// What the tests that run under Wine share: scratch folders and profiles,
// files with their times, shortcuts read back, drive snapshots, and the
// driver that starts a program and works its windows as a person would.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>

// Paths and texts are UTF-8 throughout, as the system's UTF-16 converts to
// and from it without loss: a profile or folder may be named in any
// alphabet.
std::wstring wide(const std::string& utf8);
std::string utf8(const std::wstring& wide);

// A fresh folder under the temporary folder (its name ending in `name`),
// removed with all it holds (read-only files too) when the test ends.
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

// The shell's Desktop and Programs folders (the user's registry settings, on
// Windows and in Wine) pointed elsewhere for a test, and back; none is made.
struct ShellFolders {
    ShellFolders(const std::string& desktop, const std::string& programs);
    ~ShellFolders();
    std::wstring saved[2];  // what they were
};
std::string shellFolder(int csidl);  // where the shell says the folder is now, or ""

std::string readWholeFile(const std::string& path);
void writeWholeFile(const std::string& path, const std::string& bytes);
bool folderExists(const std::string& path);
bool fileExists(const std::string& path);
std::string upperCase(std::string text);
std::string sourcePath(const std::string& relative);  // a file of the source tree, as Wine sees it
// " CREATED ACCESSED WRITTEN" (64-bit values), or "" for no file.
std::string fileTimesText(const std::string& path);

// A shortcut as "TARGET|ARGUMENTS|DESCRIPTION|WORKING FOLDER|SHOW COMMAND", paths upper-cased, read
// by the shell's link object but the show command (from the file: Wine's object always says 1).
std::string linkText(const std::string& linkPath);

// What a drive holds under a root: every folder and file (upper-cased
// paths), with the files' sizes and times. What changed between two
// snapshots is a "\n  PATH" for each path added, removed or changed (a
// folder by its presence alone: its times change with every file made in it).
using DriveSnapshot = std::map<std::string, std::string>;
DriveSnapshot snapshotTree(const std::string& root);
std::string changedPaths(const DriveSnapshot& before, const DriveSnapshot& after);

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
