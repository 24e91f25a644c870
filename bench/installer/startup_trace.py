#!/usr/bin/env python3
"""Where a setup program's start-up time goes, from Wine's traces of runs.

    startup_trace.py TRACE...

Each TRACE is the standard error of one run under
WINEDEBUG=+timestamp,+pid,+tid,+loaddll,+debugstr, started by
`wizard_walk launch` (which marks "walk: launching" just before it creates
the process) and closed at the folder prompt. The setup program marks its
own moments (traceMark): "setup: started" (WinMain), "setup: decoding" and
"setup: decoded" (the worker), "setup: dialog made" (WM_INITDIALOG),
"setup: extracting" (the first step, with the dialog on the screen) and
"setup: prompt". Prints the median of each moment and phase in
milliseconds after the launch, and when each DLL the process loaded came.
"""
import re
import statistics
import sys

LINE = re.compile(r"^(\d+\.\d+):([0-9a-f]+):([0-9a-f]+):\w+:(\w+):(.*)$")
MARK = re.compile(r'OutputDebugStringA "(walk|setup): ([^"]+)"')
LOADED = re.compile(r'Loaded L"[^"]*\\\\([^"\\]+)"')
MOMENTS = ["started", "decoding", "dialog made", "extracting", "decoded", "prompt"]


def read_run(path):
    """The moments of one run, and its DLL loads, in ms after the launch."""
    moments, dlls, launch, setup_pid = {}, {}, None, None
    with open(path, errors="replace") as trace:
        for line in trace:
            match = LINE.match(line.strip())
            if not match:
                continue
            seconds, pid, _, channel, text = match.groups()
            ms = float(seconds) * 1000
            mark = MARK.search(text) if channel == "debugstr" else None
            if mark and mark.group(1) == "walk":
                launch = ms
            elif launch is None:
                continue
            elif mark:
                moments.setdefault(mark.group(2), ms - launch)
            elif channel == "loaddll" and (loaded := LOADED.search(text)):
                name = loaded.group(1).lower()
                if setup_pid is None and name.endswith(".exe"):
                    setup_pid, moments["mapped"] = pid, ms - launch
                elif pid == setup_pid:
                    dlls.setdefault(name, ms - launch)
    missing = [m for m in ["mapped"] + MOMENTS if m not in moments]
    if missing:
        sys.exit(f"{path}: no {', '.join(missing)} in the trace")
    return moments, dlls


def main():
    runs = [read_run(path) for path in sys.argv[1:]]
    median = lambda values: statistics.median(values) if values else float("nan")
    phase = lambda f: median([f(run) for run, _ in runs])
    print(f"Where the start-up goes (ms after the launch, median of {len(runs)} traced runs):")
    print()
    print("| phase | from | to | ms |")
    print("|---|---|---|---|")
    rows = [
        ("process creation: Wine starts the process and maps the program", "launch", "mapped",
         lambda r: r["mapped"]),
        ("imports and the C runtime's start-up", "mapped", "WinMain", lambda r: r["started"] - r["mapped"]),
        ("DLL limits, preloads, logo, common controls, survey", "WinMain", "worker starts",
         lambda r: r["decoding"] - r["started"]),
        ("dialog creation (its window and 13 controls)", "worker starts", "WM_INITDIALOG",
         lambda r: r["dialog made"] - r["decoding"]),
        ("dialog initialised and put on the screen", "WM_INITDIALOG", "first step",
         lambda r: r["extracting"] - r["dialog made"]),
        ("decoding, on the worker beside the three before", "worker starts", "worker ends",
         lambda r: r["decoded"] - r["decoding"]),
        ("waiting for the worker with the dialog up", "first step", "worker ends",
         lambda r: max(0, r["decoded"] - r["extracting"])),
        ("end of extraction and the prompt's controls", "later of the two", "prompt",
         lambda r: r["prompt"] - max(r["decoded"], r["extracting"])),
    ]
    for what, start, end, f in rows:
        print(f"| {what} | {start} | {end} | {phase(f):.0f} |")
    print(f"| **start to the prompt** | launch | prompt | **{phase(lambda r: r['prompt']):.0f}** |")
    print()
    loaded = {name: median([d[name] for _, d in runs if name in d]) for _, dlls in runs for name in dlls}
    loads = [f"{name} {ms:.0f}" for name, ms in sorted(loaded.items(), key=lambda item: item[1])]
    print("DLLs the process loaded, ms after the launch: " + ", ".join(loads))


if __name__ == "__main__":
    main()
