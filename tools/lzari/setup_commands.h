// lzari's commands for looking inside a built setup program: what it
// carries, the files themselves, and whether a folder holds them as they
// are. Each judges the program as the installer would: whatever the
// installer would refuse is a problem, told with the code it would stop
// with. Each prints its report on stdout and each problem as one line on
// stderr ("lzari: ..."), and returns the exit status: 0 only when nothing
// was wrong. A program that cannot be read at all throws std::runtime_error
// with a one-line message, and nothing is written then.
#pragma once

#include <string>

// One line per payload: name, container version, packed and unpacked
// size, time stamp (UTC) and whether its CRC-32 matches PAYLOADCRC; each
// payload is decoded to check it.
int listPayloadFiles(const std::string& programPath);

// Writes each payload into `folder` (made if missing) under the name the
// installer writes, with its time stamp. A payload that does not decode or fails its
// CRC-32 leaves no file; the others are still written. A file that is there
// already is replaced only when `replace` says so (a symbolic link never),
// and a name beginning with a dot is refused: then nothing is written.
int extractPayloadFiles(const std::string& programPath, const std::string& folder, bool replace);

// Compares each decoded payload with the file of its name in `folder`,
// letter case aside, as Windows finds files: one line per difference
// (missing, size, first differing byte, time) and per file in the folder
// the program does not carry, then a summary.
int verifyPayloadFiles(const std::string& programPath, const std::string& folder);
