#!/usr/bin/env python3
"""make mutants: plants realistic faults in the sources, one at a time, and
says which of them the tests catch.

Each fault of the list (tests/mutants.txt) is planted in a scratch copy of
the tree (build/mutants/tree, never the working tree), which is rebuilt
incrementally; then only the tests that should catch it run. Every fault
gets one line: caught, missed, no longer applies (its text is not in the
file exactly once) or does not build; the summary says "caught K of N".

    mutants.py [--quick] [--only N,M-K,...] [--no-baseline]

--quick plants only the faults whose tests run natively (no Wine), and
builds only the native test programs, against this tree's own setup.exe
(build/win32, which make builds first): it is the run CI makes, and it
fails when a fault the list says is caught survives. A fault marked
"~ equivalent: WHY" changes nothing a test could see; a full run plants it
and expects it missed, the quick run leaves it out. Before the first fault
the chosen tests run once on the unchanged tree: a test that fails there
would make every fault look caught.
"""
import argparse
import os
import re
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
WORK = os.environ.get("MUTANTS_DIR", os.path.join(ROOT, "build", "mutants"))  # where the scratch tree lives
TREE = os.path.join(WORK, "tree")
LIST = os.path.join(ROOT, "tests", "mutants.txt")
TEST_TIMEOUT = 300  # seconds for one test; a planted fault may make one hang
SETUP_BUILD = os.path.join(ROOT, "build", "win32")  # whose setup.exe the quick run's tool tests read
# The native test programs, by the names of their tests ("Sanitized." the
# sanitized build's).
NATIVE_TARGETS = {"Codec": ["codec_tests"], "Word32": ["codec_tests_word32"], "Extraction": ["extraction_tests"], "Logic": ["logic_tests"], "LzariTool": ["tool_tests", "lzari"],
                  "ShippedSetupExe": ["tool_tests", "lzari"], "PayloadChecks": ["tool_tests"],
                  "ManifestRefusal": ["tool_tests"], "UnicodeText": ["tool_tests"], "Sanitized": ["sanitized_tests"]}


class Fault:
    def __init__(self, number, path, find, replace, meaning, layer, tests, equivalent):
        self.number, self.path, self.find, self.replace = number, path, find, replace
        self.meaning, self.layer, self.tests, self.equivalent = meaning, layer, tests, equivalent


def load_faults(path):
    """One line a fault: 'FILE :: TEXT :: FAULTY TEXT :: MEANING => LAYER
    TESTS [~ equivalent: WHY]' ({NL} for a line break; LAYER native or
    wine). '@NAME = PATTERN' defines a set of tests that TESTS may name as
    @NAME; '#' starts a comment line."""
    sets, faults = {}, []
    for line in open(path, encoding="utf-8"):
        line = line.rstrip("\n")
        if not line.strip() or line.startswith("#"):
            continue
        definition = re.match(r"^@(\w+) = (\S+)$", line)
        if definition:
            sets[definition.group(1)] = definition.group(2)
            continue
        parts = line.replace("{NL}", "\n").split(" :: ")
        what = re.match(r"^(.*\S)\s+=>\s+(native|wine)\s+(\S+)(?:\s+~ equivalent: (.+))?$", parts[-1])
        if len(parts) != 4 or not what:
            sys.exit(f"mutants: malformed entry in {path}:\n  {line}")
        meaning, layer, tests, equivalent = what.groups()
        tests = re.sub(r"@(\w+)", lambda m: sets[m.group(1)], tests)
        faults.append(Fault(len(faults) + 1, parts[0], parts[1], parts[2], meaning, layer, tests, equivalent))
    return faults


def sync_tree():
    """Copies the tree's files (tracked and new, as they are now) into the
    scratch tree, rewriting only those that differ, so that the scratch
    builds stay incremental."""
    files = subprocess.run(["git", "ls-files", "-co", "--exclude-standard", "-z"], cwd=ROOT, check=True,
                           capture_output=True).stdout.decode().split("\0")
    names = set(filter(None, files))
    for folder, subfolders, present in os.walk(TREE):
        if folder == TREE:
            subfolders[:] = [name for name in subfolders if name != "build"]
        for name in present:
            if os.path.relpath(os.path.join(folder, name), TREE) not in names:
                os.remove(os.path.join(folder, name))  # gone from the tree since the last run
    for name in names:
        source, target = os.path.join(ROOT, name), os.path.join(TREE, name)
        if not os.path.isfile(source):
            continue
        data = open(source, "rb").read()
        if os.path.exists(target) and open(target, "rb").read() == data:
            continue
        os.makedirs(os.path.dirname(target), exist_ok=True)
        with open(target, "wb") as out:
            out.write(data)
        os.chmod(target, os.stat(source).st_mode)


def build(with_wine, log, tests=None):
    """Builds what the tests matching `tests` (all when None) need."""
    if with_wine:
        result = subprocess.run(["make", "-C", TREE, "win32"], stdout=log, stderr=subprocess.STDOUT)
        return result.returncode == 0
    # The native test programs alone: the sanitized tests (clang), then the
    # host's, configured once; ninja rebuilds what a fault touches.
    host, sanitized = os.path.join(TREE, "build", "host"), os.path.join(TREE, "build", "sanitized")
    wanted = sorted({t for name, targets in NATIVE_TARGETS.items() if tests is None or name in tests for t in targets})
    steps = []
    if not os.path.exists(os.path.join(sanitized, "build.ninja")):
        steps.append(["cmake", "-S", TREE, "-B", sanitized, "-G", "Ninja", "-DCMAKE_CXX_COMPILER=clang++",
                      "-DLZARI_SANITIZED=ON", "-DCMAKE_BUILD_TYPE=RelWithDebInfo"])
    if "sanitized_tests" in wanted:
        steps.append(["cmake", "--build", sanitized, "--target", "sanitized_tests"])
    if not os.path.exists(os.path.join(host, "build.ninja")):
        steps.append(["cmake", "-S", TREE, "-B", host, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release",
                      "-DWIN32_BUILD_DIR=" + SETUP_BUILD, "-DWINE_TESTS_DIR=", "-DLZARI_SANITIZED_DIR=" + sanitized])
    host_targets = [t for t in wanted if t != "sanitized_tests"]
    if host_targets:
        steps.append(["cmake", "--build", host, "--target"] + host_targets)
    return all(subprocess.run(step, stdout=log, stderr=subprocess.STDOUT).returncode == 0 for step in steps)


def run_tests(regex, log):
    """Runs the matching tests; returns the names of those that failed (None
    when all passed)."""
    # A fault is caught by the first test that fails: the rest need not run.
    command = ["ctest", "--test-dir", os.path.join(TREE, "build", "host"), "-R", regex, "--no-tests=error",
               "--timeout", str(TEST_TIMEOUT), "-j", str(os.cpu_count() or 1), "--output-on-failure",
               "--stop-on-failure"]
    result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, errors="replace")
    log.write(result.stdout)
    if result.returncode == 0:
        return None
    # CTest's closing list names the failed tests and those that did not run
    # (skipped on purpose); only the first caught the fault.
    failed = re.findall(r"^\s*\d+ - (\S+) \((?!Skipped\)|Disabled\))", result.stdout, re.M)
    return failed or ["(ctest: " + result.stdout.strip().splitlines()[-1] + ")"]


def wine_server(action):
    subprocess.run(["bash", os.path.join(TREE, "scripts", "wine-run.sh"), action], stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)


def plant(fault, log):
    """Plants one fault, rebuilds, runs its tests and puts the file back."""
    path = os.path.join(TREE, fault.path)
    if not os.path.exists(path):
        return "no longer applies"
    original = open(path, encoding="utf-8").read()
    if original.count(fault.find) != 1:
        return "no longer applies"
    with open(path, "w", encoding="utf-8") as out:
        out.write(original.replace(fault.find, fault.replace))
    try:
        if not build(fault.layer == "wine", log, fault.tests):
            return "does not build"
        failed = run_tests(fault.tests, log)
        fault.caught_by = failed or []
        if fault.equivalent:
            return "caught, equivalent?" if failed else "equivalent"
        return "caught" if failed else "missed"
    finally:
        with open(path, "w", encoding="utf-8") as out:
            out.write(original)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--quick", action="store_true", help="only the faults caught without Wine")
    parser.add_argument("--only", help="fault numbers and ranges, comma-separated: 2,5-9")
    parser.add_argument("--no-baseline", action="store_true", help="skip the run on the unchanged tree")
    arguments = parser.parse_args()

    faults = load_faults(LIST)
    chosen = [f for f in faults if not arguments.quick or (f.layer == "native" and not f.equivalent)]
    if arguments.only:
        numbers = set()
        for part in arguments.only.split(","):  # 7 or 3-9
            first, _, last = part.partition("-")
            numbers.update(range(int(first), int(last or first) + 1))
        chosen = [f for f in chosen if f.number in numbers]
    with_wine = any(f.layer == "wine" for f in chosen)
    if not with_wine and not os.path.exists(os.path.join(SETUP_BUILD, "wizard", "setup.exe")):
        sys.exit("mutants: the native faults need this tree's setup.exe: run make first")
    os.makedirs(TREE, exist_ok=True)
    sync_tree()
    log_path = os.path.join(WORK, "log.txt")
    with open(log_path, "w") as log:
        print(f"building the scratch tree ({'with' if with_wine else 'without'} Wine); log: {log_path}", flush=True)
        if not build(with_wine, log):
            sys.exit("mutants: the unchanged tree does not build")
        if with_wine:
            wine_server("--start")
        try:
            if not arguments.no_baseline:
                union = "|".join(sorted({t for f in chosen for t in f.tests.split("|")}))
                if run_tests(union, log):
                    sys.exit("mutants: the tests fail on the unchanged tree; see " + log_path)
            counts = {}
            results = open(os.path.join(WORK, "results.txt"), "w")
            for fault in chosen:
                started = time.time()
                print(f"--- fault {fault.number}: {fault.path}: {fault.meaning}", file=log, flush=True)
                outcome = plant(fault, log)
                counts[outcome] = counts.get(outcome, 0) + 1
                print(f"{fault.number:3}  {outcome:17}  {fault.path}: {fault.meaning}  "
                      f"({time.time() - started:.0f} s)", flush=True)
                print(f"{fault.number} {outcome}: {' '.join(getattr(fault, 'caught_by', []))}", file=results, flush=True)
        finally:
            if with_wine:
                wine_server("--stop")
    others = ", ".join(f"{k} {v}" for k, v in sorted(counts.items()) if k != "caught")
    expected = counts.get("caught", 0) + counts.get("equivalent", 0)
    print(f"caught {counts.get('caught', 0)} of {len(chosen)}" + (f" ({others})" if others else ""))
    return 0 if expected == len(chosen) else 1


if __name__ == "__main__":
    sys.exit(main())
