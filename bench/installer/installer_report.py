#!/usr/bin/env python3
"""make bench-installer's table: setup.exe against the NSIS installer.

    installer_report.py SETUP.EXE NSIS.EXE PAYLOAD-LIST TIMING REPETITIONS STRIPPED-SETUP.EXE

Sizes are read from the files: setup.exe's payloads are the RCDATA
resources that the build's payload list names (any other resource, such as a
checksum, is the program's own), its logo the BITMAP "LOGO", its icons every
ICON and GROUP_ICON resource. TIMING holds installer_timing's medians.
STRIPPED-SETUP.EXE is setup.exe without its debugging sections.
"""
import os
import re
import struct
import sys

RT_BITMAP, RT_ICON, RT_RCDATA, RT_GROUP_ICON = 2, 3, 10, 14
TARGET = 64 * 1024  # the program without payloads, logo and icons


def resource_sizes(path):
    """Every resource of a PE file as (type, name, size in bytes)."""
    data = open(path, "rb").read()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        sys.exit(f"{path}: not a PE file")
    section_count = struct.unpack_from("<H", data, pe + 6)[0]
    optional_size = struct.unpack_from("<H", data, pe + 20)[0]
    optional = pe + 24
    is_pe32 = struct.unpack_from("<H", data, optional)[0] == 0x10B
    directories = optional + (96 if is_pe32 else 112)
    resources_rva = struct.unpack_from("<I", data, directories + 2 * 8)[0]  # entry 2: resources
    sections = optional + optional_size

    def file_offset(rva):
        for index in range(section_count):
            virtual_size, address, raw_size, raw_offset = struct.unpack_from("<IIII", data, sections + 40 * index + 8)
            if address <= rva < address + max(virtual_size, raw_size):
                return rva - address + raw_offset
        sys.exit(f"{path}: address {rva:#x} is in no section")

    base = file_offset(resources_rva)

    def entry_name(value):
        if value & 0x80000000:  # a counted UTF-16 string
            at = base + (value & 0x7FFFFFFF)
            length = struct.unpack_from("<H", data, at)[0]
            return data[at + 2:at + 2 + 2 * length].decode("utf-16-le")
        return value

    def entries(directory):
        named, numbered = struct.unpack_from("<HH", data, base + directory + 12)
        for index in range(named + numbered):
            name, target = struct.unpack_from("<II", data, base + directory + 16 + 8 * index)
            yield entry_name(name), target & 0x7FFFFFFF

    found = []
    for kind, names in entries(0):
        for name, languages in entries(names):
            for _, leaf in entries(languages):
                found.append((kind, name, struct.unpack_from("<II", data, base + leaf)[1]))
    return found


def content_size(path):
    """The bytes of a PE file that hold something: its headers up to the end
    of the section table and each section's data, without the padding that
    aligns each section in the file."""
    data = open(path, "rb").read()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    section_count = struct.unpack_from("<H", data, pe + 6)[0]
    sections = pe + 24 + struct.unpack_from("<H", data, pe + 20)[0]
    size = sections + 40 * section_count
    for index in range(section_count):
        virtual_size, _, raw_size = struct.unpack_from("<III", data, sections + 40 * index + 8)
        size += min(virtual_size, raw_size)
    return size


def payload_names(manifest):
    with open(manifest) as text:
        return {match.group(1).upper() for match in re.finditer(r'^payload\("([^"]+)"', text.read(), re.M)}


def read_timing(path):
    medians = {}
    with open(path) as text:
        for line in text:
            words = line.split()
            if len(words) == 3:
                medians[words[0]] = (float(words[1]), float(words[2]))
    return medians


def measure(setup, names):
    """setup.exe's file size, its payloads' bytes, its logo's and icons' bytes,
    and its bytes of code and data beside those (padding not counted)."""
    resources = resource_sizes(setup)
    found = {name.upper() for kind, name, _ in resources if kind == RT_RCDATA and isinstance(name, str)}
    if not names <= found:
        sys.exit(f"{setup} lacks the payloads {sorted(names - found)}")
    payloads = sum(size for kind, name, size in resources
                   if kind == RT_RCDATA and isinstance(name, str) and name.upper() in names)
    art = sum(size for kind, name, size in resources
              if (kind == RT_BITMAP and name == "LOGO") or kind in (RT_ICON, RT_GROUP_ICON))
    return os.path.getsize(setup), payloads, art, content_size(setup) - payloads - art


def main():
    setup, nsis, manifest, timing, repetitions, stripped = sys.argv[1:7]
    names = payload_names(manifest)
    ours, payloads, art, code_and_data = measure(setup, names)
    theirs = os.path.getsize(nsis)
    without_payloads = ours - payloads
    medians = read_timing(timing)
    shown, prompt, done = medians["shown"], medians["prompt"], medians["done"]

    rows = [
        ("installer file size", f"{ours:,} B", f"{theirs:,} B", ours / theirs),
        (f"time to the dialog on the screen (median of {repetitions})", f"{shown[0]:.3f} s", f"{shown[1]:.3f} s",
         shown[0] / shown[1]),
        (f"time to the folder prompt (median of {repetitions})", f"{prompt[0]:.3f} s", f"{prompt[1]:.3f} s",
         prompt[0] / prompt[1]),
        (f"click on install to done (median of {repetitions})", f"{done[0]:.3f} s", f"{done[1]:.3f} s",
         done[0] / done[1]),
        ("peak private memory at the prompt (median)", f"{medians['memory'][0]:,.0f} B", f"{medians['memory'][1]:,.0f} B",
         medians["memory"][0] / medians["memory"][1]),
    ]
    print("| | ours | NSIS | ratio |")
    print("|---|---|---|---|")
    for what, a, b, ratio in rows:
        print(f"| {what} | {a} | {b} | {ratio:.2f} |")
    print(f"| ours without its {len(names)} payloads ({payloads:,} B) | {without_payloads:,} B | | |")
    verdict = "met" if code_and_data <= TARGET else "not met"
    print(f"| ours' code and data beside logo and icons ({art:,} B) | {code_and_data:,} B "
          f"({code_and_data / 1024:.1f} KiB) | target <= 64 KiB: {verdict} | |")
    print()
    print(f"code and data <= 64 KiB: {verdict}; "
          f"dialog shown no later than NSIS's first page: {'met' if shown[0] <= shown[1] else 'not met'}; "
          f"time to the folder prompt <= NSIS's: {'met' if prompt[0] <= prompt[1] else 'not met'}; "
          f"click to done <= 0.5 x NSIS's: {'met' if done[0] <= 0.5 * done[1] else 'not met'}")
    # The build links setup.exe with its debugging sections, which Windows
    # never loads: what a stripped copy would weigh.
    size, _, _, stripped_code = measure(stripped, names)
    print(f"setup.exe stripped of its debugging sections ({ours - size:,} B): {size:,} B, "
          f"{size / theirs:.2f} times NSIS's; code and data beside logo and icons {stripped_code:,} B "
          f"({stripped_code / 1024:.1f} KiB, target {'met' if stripped_code <= TARGET else 'not met'})")


if __name__ == "__main__":
    main()
