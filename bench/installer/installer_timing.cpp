// Times two installers of the same five files as a person meets them:
// ours (setup.exe) and an NSIS one. For each: from starting the program to
// its folder prompt being ready to take the click, and from the click on
// install to the install being done. Repetitions alternate between the two,
// each with a fresh profile and no install folder, so that both share the
// machine's moments of load; each figure is a median.
//
//   installer_timing SETUP.EXE NSIS-SETUP.EXE [REPETITIONS]
//
// Prints, in seconds, for make bench-installer's table:
//   shown OURS NSIS    (from the start to its first window on the screen)
//   prompt OURS NSIS
//   done OURS NSIS
//   memory OURS NSIS   (the process's peak private bytes at the prompt, in bytes)
// and on stderr each run, and where each put its shortcuts.
#include <windows.h>
#include <psapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "control_ids.h"
#include "win32_driver.h"

namespace {

// Both install into C:\Arvendal\QRV; removing the parent before each run
// makes every run create both folders, as on a machine without the product.
const char installRoot[] = "C:\\Arvendal";

// Short enough to resolve a difference of a few hundredths of a second,
// long enough that the looking does not take the installers' processor.
const int intervalMs = 5;

// What sets one installer apart from the other in a run.
struct Installer {
    const char* name;
    std::string program;
    bool (*isItsWindow)(HWND);
    bool (*promptReady)(const Wizard&);
    int installButton;
    bool (*done)(const Wizard&);
    int closeButton;
};

bool isOurWindow(HWND window) { return windowText(window) == "QRV Installation Wizard"; }

// The install button shown and enabled: the prompt can take the click.
bool ourPromptReady(const Wizard& wizard)
{
    ControlState install = wizard.control(IDC_INSTALL);
    return install.visible && install.enabled;
}

// "Exit" is shown only after the files and both shortcuts are written.
bool ourInstallDone(const Wizard& wizard) { return wizard.control(IDC_EXIT).visible; }

// NSIS names its window after the page: "QRV Setup: Installation Folder",
// then "QRV Setup: Installing", "QRV Setup: Completed".
bool isNsisWindow(HWND window) { return windowText(window).rfind("QRV Setup", 0) == 0; }

// NSIS keeps its page buttons on the outer window; the next button (IDOK)
// reads "&Install" on the directory page, the last before the install.
bool nsisPromptReady(const Wizard& wizard)
{
    ControlState next = wizard.control(IDOK);
    return next.visible && next.enabled && next.text == "&Install";
}

// On the install page the next button reads "&Close" from the start, and
// may be enabled for a moment before the install disables it: the caption
// is what says that the install has ended.
bool nsisInstallDone(const Wizard& wizard)
{
    ControlState next = wizard.control(IDOK);
    return windowText(wizard.window()) == "QRV Setup: Completed" && next.enabled && next.text == "&Close";
}

double secondsSince(const LARGE_INTEGER& start)
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return double(now.QuadPart - start.QuadPart) / double(frequency.QuadPart);
}

[[noreturn]] void fail(const Installer& installer, const char* what, const Wizard* wizard = nullptr)
{
    fprintf(stderr, "installer_timing: %s: %s\n", installer.name, what);
    if (wizard && wizard->started()) fprintf(stderr, "window: '%s'\n", windowText(wizard->window()).c_str());
    exit(1);
}

struct Timing {
    double shown, prompt, done, memory;
    std::string desktopLink, groupLink;  // where the shortcuts went
};

// Where a shortcut went: into the profile given as USERPROFILE, as ours
// puts it, or into the shell's folder, which NSIS asks for and which under
// Wine need not follow USERPROFILE. One in the shell's folder is removed
// (with the group folder it may be in), so that every run starts without.
std::string findLink(const std::string& profileLink, int shellFolder, const char* name)
{
    if (fileExists(profileLink)) return profileLink;
    char folder[MAX_PATH] = "";
    if (SHGetFolderPathA(nullptr, shellFolder, nullptr, 0, folder) != S_OK) return "nowhere";
    std::string shellLink = std::string(folder) + "\\" + name;
    if (!fileExists(shellLink)) return "nowhere";
    DeleteFileA(shellLink.c_str());
    if (shellFolder == CSIDL_PROGRAMS) RemoveDirectoryA(shellLink.substr(0, shellLink.rfind('\\')).c_str());
    return shellLink;
}

Timing timeOnce(const Installer& installer)
{
    removeTree(installRoot);
    TestProfile profile;
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    Wizard wizard(profile.path, installer.program, installer.isItsWindow, intervalMs);
    if (!wizard.started()) fail(installer, "no window");
    Timing timing;
    timing.shown = secondsSince(start);
    if (!wizard.waitUntil([&] { return installer.promptReady(wizard); }, 60, intervalMs))
        fail(installer, "no folder prompt", &wizard);
    timing.prompt = secondsSince(start);
    // Every payload is decoded by the prompt: the peak there is the run's
    // peak before any file is written.
    PROCESS_MEMORY_COUNTERS counters = {};
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, wizard.processId());
    if (process && GetProcessMemoryInfo(process, &counters, sizeof counters)) {
        timing.memory = double(counters.PeakPagefileUsage);
        fprintf(stderr, "  %s at its prompt: peak private bytes %lu, peak working set %lu\n", installer.name,
                (unsigned long)counters.PeakPagefileUsage, (unsigned long)counters.PeakWorkingSetSize);
    }
    if (process) CloseHandle(process);

    QueryPerformanceCounter(&start);
    if (!wizard.click(installer.installButton)) fail(installer, "its install button cannot be clicked", &wizard);
    if (!wizard.waitUntil([&] { return installer.done(wizard); }, 60, intervalMs))
        fail(installer, "the install did not finish", &wizard);
    timing.done = secondsSince(start);

    if (!wizard.click(installer.closeButton)) fail(installer, "its close button cannot be clicked", &wizard);
    if (wizard.waitForExit(20) != 0) fail(installer, "did not end with exit code 0");
    if (!fileExists("C:\\Arvendal\\QRV\\QRV.EXE")) fail(installer, "no C:\\Arvendal\\QRV\\QRV.EXE");
    timing.desktopLink = findLink(profile.path + "\\Desktop\\QRV.lnk", CSIDL_DESKTOPDIRECTORY, "QRV.lnk");
    timing.groupLink = findLink(profile.path + "\\Start Menu\\Programs\\Arvendal\\QRV.lnk", CSIDL_PROGRAMS,
                                "Arvendal\\QRV.lnk");
    if (timing.desktopLink == "nowhere" || timing.groupLink == "nowhere") fail(installer, "a shortcut is missing");
    return timing;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: installer_timing SETUP.EXE NSIS-SETUP.EXE [REPETITIONS]\n");
        return 2;
    }
    const Installer installers[2] = {
        {"ours", argv[1], isOurWindow, ourPromptReady, IDC_INSTALL, ourInstallDone, IDC_EXIT},
        {"NSIS", argv[2], isNsisWindow, nsisPromptReady, IDOK, nsisInstallDone, IDOK},
    };
    int repetitions = argc > 3 ? atoi(argv[3]) : 5;
    if (repetitions < 1) repetitions = 1;

    // One untimed run each first: the first start of a program pays for
    // reading it and its DLLs from disk.
    for (const Installer& installer : installers) {
        Timing timing = timeOnce(installer);
        fprintf(stderr, "%s put its shortcuts at %s and %s\n", installer.name, timing.desktopLink.c_str(),
                timing.groupLink.c_str());
    }

    std::vector<double> shown[2], prompt[2], done[2], memory[2];
    for (int round = 0; round < repetitions; round++) {
        // Who goes first alternates too: neither always follows the other.
        for (int turn = 0; turn < 2; turn++) {
            int which = (round + turn) % 2;
            Timing timing = timeOnce(installers[which]);
            fprintf(stderr, "  %-4s run %d: shown %.3f s, prompt %.3f s, click to done %.3f s\n", installers[which].name,
                    round + 1, timing.shown, timing.prompt, timing.done);
            shown[which].push_back(timing.shown);
            memory[which].push_back(timing.memory);
            prompt[which].push_back(timing.prompt);
            done[which].push_back(timing.done);
        }
    }
    removeTree(installRoot);
    printf("shown %.3f %.3f\n", median(shown[0]), median(shown[1]));
    printf("prompt %.3f %.3f\n", median(prompt[0]), median(prompt[1]));
    printf("done %.3f %.3f\n", median(done[0]), median(done[1]));
    printf("memory %.0f %.0f\n", median(memory[0]), median(memory[1]));
    return 0;
}
