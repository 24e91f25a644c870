// Drives the real setup.exe as a person would: starts it with a prepared
// user profile, finds its window, reads its controls, clicks its buttons,
// presses keys, reads its error boxes, and waits for its exit code.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "win32_support.h"

struct ControlState {
    bool visible;
    bool enabled;
    std::string text;
};

class Wizard {
public:
    // Starts setup.exe (or the copy of it that `program` names) with
    // USERPROFILE set to `profile`, in `currentFolder` if one is named, and
    // waits for its window.
    explicit Wizard(const std::string& profile, const std::string& program = "",
                    const std::string& currentFolder = "");
    // Starts another installer the same way and waits for its first window
    // that `isItsWindow`, looking every `intervalMs` (a timing looks often).
    Wizard(const std::string& profile, const std::string& program, const std::function<bool(HWND)>& isItsWindow,
           int intervalMs = 50, const std::string& currentFolder = "");
    ~Wizard();

    bool started() const { return window_ != nullptr; }
    HWND window() const { return window_; }
    DWORD processId() const { return process_.dwProcessId; }

    ControlState control(int id) const;
    HWND focused() const;            // the control with the keyboard focus
    void click(int id) const;        // as a mouse click on the button would
    void pressKey(WORD key) const;   // to the focused control
    void close() const;              // the title bar's close box

    // Waits until `done` holds, up to `seconds`, looking every `intervalMs`;
    // false if it does not, or if the process ends first.
    bool waitUntil(const std::function<bool()>& done, int seconds = 20, int intervalMs = 50) const;
    // Waits until `id` is shown (or hidden), up to `seconds`.
    bool waitUntilShown(int id, bool shown = true, int seconds = 20) const;
    // Waits until `id` has the keyboard focus, up to `seconds`: the last
    // thing a step does, so the step is then complete.
    bool waitUntilFocused(int id, int seconds = 20) const;
    // Waits for the process to end; its exit code, or STILL_ACTIVE.
    DWORD waitForExit(int seconds = 20);

    // Describes every control: for failure messages that name the phase.
    std::string describe() const;

private:
    PROCESS_INFORMATION process_ = {};
    HWND window_ = nullptr;
};

// A profile folder with Desktop and Start Menu\Programs (or without them),
// removed afterwards.
struct TestProfile {
    explicit TestProfile(bool desktop = true, bool programs = true);
    ScratchFolder folder;
    std::string path;
};
