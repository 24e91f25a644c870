// Helpers for the tests that run under Wine: scratch folders, whole-file
// reads, file times, and a child process whose fatal error box is read as a
// user would read it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// A fresh folder under the temporary folder, removed with its contents
// when the test ends.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

// Removes a folder with everything in it (read-only files too).
void removeTree(const std::string& path);

std::vector<unsigned char> readWholeFile(const std::string& path);
void writeWholeFile(const std::string& path, const std::string& bytes);
bool folderExists(const std::string& path);
bool fileExists(const std::string& path);

struct FileTimes {
    FILETIME creation, lastAccess, lastWrite;
};
bool readFileTimes(const std::string& path, FileTimes* times);
unsigned long long fileTimeValue(const FILETIME& time);

// What a user sees of a fatal error: the box's title and text, and the
// exit code after dismissing it. `seenBox` is false when no box came.
struct FatalOutcome {
    bool seenBox;
    std::string title;
    std::string text;
    DWORD exitCode;
};

// Runs the fatal child program with `scenario` (and the environment of this
// process), waits for its error box, reads it, presses OK and waits for the
// exit.
FatalOutcome runFatalChild(const std::string& scenario, const std::string& argument = "");

// A shortcut's fields, read back through the shell's link object.
struct LinkFields {
    bool loaded;
    std::string path, arguments, description, workingDirectory;
    int showCommand;
};
LinkFields readLink(const std::string& linkPath);

// The first visible top-level window of a process that `matches`, now or
// within `seconds` (looking every `intervalMs`); null if there is none.
HWND findWindowOf(DWORD processId, const std::function<bool(HWND)>& matches);
HWND waitForWindowOf(DWORD processId, const std::function<bool(HWND)>& matches, int seconds, int intervalMs = 50);

// Whether a window is a message box, and a process's visible one (or null).
bool isMessageBox(HWND window);
HWND findMessageBox(DWORD processId);
std::string windowText(HWND window);

// The path of a file of the source tree as Wine sees it (drive Z:).
std::string sourcePath(const std::string& relative);
