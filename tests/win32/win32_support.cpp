#include "win32_support.h"

#include <shlobj.h>
#include <shobjidl.h>

#include <filesystem>
#include <fstream>
#include <set>

namespace fs = std::filesystem;

// Desktop's or Programs' value (where SHGetFolderPath reads them, on
// Windows and under Wine) set to `path`; what it held.
static std::wstring swapShellFolder(int which, const std::wstring& path)
{
    const wchar_t *key = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
                  *value = which == 0 ? L"Desktop" : L"Programs";
    wchar_t old[1024] = L"";
    DWORD size = sizeof old;
    RegGetValueW(HKEY_CURRENT_USER, key, value, RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, old, &size);
    RegSetKeyValueW(HKEY_CURRENT_USER, key, value, REG_EXPAND_SZ, path.c_str(), DWORD((path.size() + 1) * sizeof(wchar_t)));
    return old;
}

ShellFolders::ShellFolders(const std::string& desktop, const std::string& programs)
    : saved{swapShellFolder(0, wide(desktop)), swapShellFolder(1, wide(programs))}
{
}

ShellFolders::~ShellFolders() { swapShellFolder(0, saved[0]), swapShellFolder(1, saved[1]); }

std::string readWholeFile(const std::string& path)
{
    std::ifstream in(fs::u8path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeWholeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(fs::u8path(path), std::ios::binary) << bytes;
}
std::string upperCase(std::string text)
{
    for (char& c : text) c = char(toupper((unsigned char)c));
    return text;
}

std::string sourcePath(const std::string& relative)
{
    std::string path = std::string("Z:") + SOURCE_DIR + "/" + relative;
    for (char& c : path) c = c == '/' ? '\\' : c;
    return path;
}

static std::string timesText(const FILETIME& created, const FILETIME& accessed, const FILETIME& written)
{
    std::string text;
    for (const FILETIME* time : {&created, &accessed, &written})
        text += " " + std::to_string((unsigned long long)time->dwHighDateTime << 32 | time->dwLowDateTime);
    return text;
}


std::string fileTimesText(const std::string& path)
{
    HANDLE file = CreateFileW(wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    FILETIME created, accessed, written;
    bool read = file != INVALID_HANDLE_VALUE && GetFileTime(file, &created, &accessed, &written);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return read ? timesText(created, accessed, written) : "";
}

std::string linkText(const std::string& linkPath)
{
    std::string bytes = readWholeFile(linkPath), text = "no link";
    CoInitialize(nullptr);
    IShellLinkW* link = nullptr;
    IPersistFile* file = nullptr;
    if (bytes.size() >= 76 &&
        SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        SUCCEEDED(file->Load(wide(linkPath).c_str(), STGM_READ))) {
        wchar_t path[1024], arguments[1024], description[1024], folder[1024];
        // The target as the shell resolves it, from the link's item list
        // (Wine keeps the path beside it in the ANSI code page only).
        LPITEMIDLIST target = nullptr;
        if (FAILED(link->GetIDList(&target)) || !SHGetPathFromIDListW(target, path)) path[0] = 0;
        CoTaskMemFree(target);
        link->GetArguments(arguments, 1024);
        link->GetDescription(description, 1024);
        link->GetWorkingDirectory(folder, 1024);
        int showCommand;  // the header's ShowCommand field
        memcpy(&showCommand, &bytes[60], 4);
        text = upperCase(utf8(path)) + "|" + utf8(arguments) + "|" + utf8(description) + "|" + upperCase(utf8(folder)) +
               "|" + std::to_string(showCommand);
    }
    if (file) file->Release();
    if (link) link->Release();
    CoUninitialize();
    return text;
}

DriveSnapshot snapshotTree(const std::string& root)
{
    DriveSnapshot snapshot;
    std::error_code error;
    for (fs::recursive_directory_iterator at(fs::u8path(root + "\\"), error), end; at != end; at.increment(error)) {
        WIN32_FILE_ATTRIBUTE_DATA file = {};
        std::string path = at->path().u8string();
        GetFileAttributesExW(at->path().c_str(), GetFileExInfoStandard, &file);
        bool folder = file.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
        snapshot[upperCase(path)] = folder ? "folder" : std::to_string(file.nFileSizeLow) +
                                                        timesText(file.ftCreationTime, {}, file.ftLastWriteTime);
        if (file.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) at.disable_recursion_pending();  // a link elsewhere
    }
    return snapshot;
}

std::string changedPaths(const DriveSnapshot& before, const DriveSnapshot& after)
{
    std::set<std::string> changed;
    for (const auto& [path, entry] : before)
        if (!after.count(path) || after.at(path) != entry) changed.insert(path);
    for (const auto& [path, entry] : after)
        if (!before.count(path)) changed.insert(path);
    std::string listed;
    for (const std::string& path : changed) listed += "\n  " + path;
    return listed;
}

std::string versionStrings(const std::string& programPath)
{
    std::wstring path = wide(programPath);
    DWORD size = GetFileVersionInfoSizeW(path.c_str(), nullptr);
    std::string block(size, '\0'), text;
    if (!size || !GetFileVersionInfoW(path.c_str(), 0, size, &block[0])) return "no version information";
    for (const char* key : {"CompanyName", "FileDescription", "FileVersion", "LegalCopyright", "ProductName", "ProductVersion"}) {
        wchar_t* value = nullptr;
        UINT length = 0;
        std::wstring query = L"\\StringFileInfo\\040904B0\\" + wide(key);
        if (VerQueryValueW(&block[0], query.c_str(), reinterpret_cast<void**>(&value), &length) && value)
            text += std::string(key) + "=" + utf8(value) + "|";
    }
    return text;
}
