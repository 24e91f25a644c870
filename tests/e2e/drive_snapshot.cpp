#include "drive_snapshot.h"

#include <windows.h>

#include <cctype>

namespace {

unsigned long long value(const FILETIME& time) { return (unsigned long long)time.dwHighDateTime << 32 | time.dwLowDateTime; }

void addFolder(const std::string& folder, DriveSnapshot& snapshot)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        std::string path = folder + "\\" + name;
        bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        snapshot[upperCase(path)] = SnapshotEntry{isFolder, (unsigned long long)found.nFileSizeHigh << 32 | found.nFileSizeLow,
                                                  value(found.ftCreationTime), value(found.ftLastWriteTime)};
        // Links to folders elsewhere (Wine's profile folders may be some)
        // are listed but not entered.
        if (isFolder && !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) addFolder(path, snapshot);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

}  // namespace

std::string upperCase(std::string text)
{
    for (char& c : text) c = char(toupper((unsigned char)c));
    return text;
}

DriveSnapshot snapshotTree(const std::string& root)
{
    DriveSnapshot snapshot;
    addFolder(root, snapshot);
    return snapshot;
}

std::set<std::string> changedPaths(const DriveSnapshot& before, const DriveSnapshot& after)
{
    std::set<std::string> changed;
    for (const auto& [path, entry] : before) {
        auto now = after.find(path);
        if (now == after.end() || now->second.folder != entry.folder) changed.insert(path);
        else if (!entry.folder && (now->second.size != entry.size || now->second.creation != entry.creation ||
                                   now->second.lastWrite != entry.lastWrite))
            changed.insert(path);
    }
    for (const auto& [path, entry] : after)
        if (!before.count(path)) changed.insert(path);
    return changed;
}
