// What a run leaves on a drive: every folder and file under a root, with
// the sizes and times of the files, taken before and after and compared.
#pragma once

#include <map>
#include <set>
#include <string>

struct SnapshotEntry {
    bool folder;
    unsigned long long size, creation, lastWrite;
};

// Keyed by the upper-cased full path.
using DriveSnapshot = std::map<std::string, SnapshotEntry>;

DriveSnapshot snapshotTree(const std::string& root);

// The paths added, removed, or (files only) changed in size or time.
// A folder counts by its presence alone: its own times change with every
// file made in it.
std::set<std::string> changedPaths(const DriveSnapshot& before, const DriveSnapshot& after);

std::string upperCase(std::string text);
