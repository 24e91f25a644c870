// Times setup programs to their folder prompt, in alternating rounds, so
// that each meets the same moments of a shared machine's load: the same
// product with its extraction on every processor and on one worker, say.
//
//   prompt_timing REPETITIONS SETUP.EXE...
//
// Prints, for each program in turn, the median seconds from its start to
// the prompt (the install button shown and enabled: every payload decoded).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "control_ids.h"
#include "win32_driver.h"

namespace {

double secondsSince(const LARGE_INTEGER& start)
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return double(now.QuadPart - start.QuadPart) / double(frequency.QuadPart);
}

double toPrompt(const char* program)
{
    TestProfile profile;
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    Wizard wizard(profile.path, program, [](HWND window) { return windowText(window) == "QRV Installation Wizard"; }, 25);
    bool prompt = wizard.started() && wizard.waitUntil([&] {
        ControlState install = wizard.control(IDC_INSTALL);
        return install.visible && install.enabled;
    }, 120, 25);
    double seconds = secondsSince(start);
    if (!prompt) {
        fprintf(stderr, "prompt_timing: %s shows no prompt\n", program);
        exit(1);
    }
    PostMessageA(wizard.window(), WM_CLOSE, 0, 0);
    wizard.waitForExit(20);
    return seconds;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: prompt_timing REPETITIONS SETUP.EXE...\n");
        return 2;
    }
    int repetitions = std::max(1, atoi(argv[1]));
    int count = argc - 2;
    for (int i = 0; i < count; i++) toPrompt(argv[2 + i]);  // the first start reads the files from disk
    std::vector<std::vector<double>> seconds(count);
    for (int round = 0; round < repetitions; round++)
        for (int turn = 0; turn < count; turn++) {  // who goes first turns round too
            int which = (round + turn) % count;
            seconds[which].push_back(toPrompt(argv[2 + which]));
        }
    for (int i = 0; i < count; i++) {
        std::sort(seconds[i].begin(), seconds[i].end());
        printf("%.3f\n", seconds[i][seconds[i].size() / 2]);
    }
    return 0;
}
