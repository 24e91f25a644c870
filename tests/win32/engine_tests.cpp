// Every fatal error of the engine as a user meets it, on a real (Wine) file
// system: a step runs in a child (this program, with --step) whose platform
// calls may fail as a real system's seldom do; its box and exit code are read.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>

#include "engine.h"
#include "platform_calls.h"
#include "shortcut_paths.h"
#include "system_libraries.h"
#include "win32_support.h"
#include "wizard.h"

namespace {

// A platform call that fails with `error`, returning `Result{}`.
template <DWORD error, typename Result, typename... Arguments>
Result WINAPI fails(Arguments...)
{
    SetLastError(error);
    return Result{};
}
HANDLE WINAPI failCreate(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE)
{
    return SetLastError(ERROR_ACCESS_DENIED), INVALID_HANDLE_VALUE;
}
BOOL WINAPI shortWrite(HANDLE file, LPCVOID bytes, DWORD count, LPDWORD written, LPOVERLAPPED overlapped)
{
    BOOL wrote = WriteFile(file, bytes, count / 2, written, overlapped);
    return SetLastError(ERROR_HANDLE_DISK_FULL), wrote;
}
BOOL WINAPI dosType(LPCSTR, LPDWORD type) { return *type = SCS_DOS_BINARY, TRUE; }
void* noMemory(size_t, size_t) { return nullptr; }
// A machine of `count` processors, for the extraction's workers.
template <DWORD count>
void WINAPI processors(LPSYSTEM_INFO info)
{
    GetSystemInfo(info);
    info->dwNumberOfProcessors = count;
}

// The C runtime's calloc, as this program imports it (the decoder's
// allocation among its callers), made to fail: its slot in the import table
// pointed elsewhere.
void failAllocations()
{
    auto base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    auto headers = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    DWORD imports = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    for (auto dll = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports); dll->Name; dll++) {
        auto names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->OriginalFirstThunk);
        auto slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->FirstThunk);
        for (; names->u1.AddressOfData; names++, slots++) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal) ||
                strcmp(reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData)->Name, "calloc") != 0)
                continue;
            DWORD access;
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &access);
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(noMemory);
        }
    }
}
// The shell naming no folder, as Wine's for one not there: a path all the same.
HRESULT WINAPI noFolder(HWND, int, HANDLE, DWORD, LPWSTR path)
{
    wcscpy(path, L"C:\\nowhere");
    return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
}
// The folder browser finds COM initialised on its thread, apartment-threaded
// (exit code 3 if not), and is cancelled.
LPITEMIDLIST WINAPI browserChecksCom(LPBROWSEINFOW)
{
    if (CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED) != S_FALSE) ExitProcess(3);
    CoUninitialize();
    return nullptr;
}

// --step [CALL] STEP [ARGUMENT...]: STEP is write NAME (in the current
// folder, as the copy pass writes), shortcuts (for
// USERPROFILE), browse, survey, resource NAME or extract NAME... (a table of
// those payloads); CALL names a platform call to fail first.
int runStep(int argc, char** argv)
{
    const std::pair<const char*, void (*)()> failures[] = {
        {"LoadResource", [] { platform.loadResource = fails<ERROR_NOT_ENOUGH_MEMORY, HGLOBAL, HMODULE, HRSRC>; }},
        {"LockResource", [] { platform.lockResource = fails<ERROR_INVALID_HANDLE, LPVOID, HGLOBAL>; }},
        {"CreateFileW", [] { platform.createFile = failCreate; }},
        {"WriteFile", [] { platform.writeFile = fails<ERROR_DISK_FULL, BOOL, HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED>; }},
        {"WriteFile-short", [] { platform.writeFile = shortWrite; }},
        {"SetFileTime", [] {
             platform.setFileTime = fails<ERROR_INVALID_PARAMETER, BOOL, HANDLE, const FILETIME*, const FILETIME*, const FILETIME*>;
         }},
        {"CloseHandle", [] { platform.closeHandle = fails<ERROR_INVALID_HANDLE, BOOL, HANDLE>; }},
        {"MoveFileExW", [] { platform.moveFileEx = fails<ERROR_SHARING_VIOLATION, BOOL, LPCWSTR, LPCWSTR, DWORD>; }},
        {"calloc", failAllocations},
        {"Processors1", [] { platform.getSystemInfo = processors<1>; }},
        {"Processors8", [] { platform.getSystemInfo = processors<8>; }},
        {"GetVersionExA", [] { platform.getVersionEx = fails<ERROR_INVALID_PARAMETER, BOOL, LPOSVERSIONINFOA>; }},
        {"GetBinaryTypeA", [] { platform.getBinaryType = fails<ERROR_FILE_NOT_FOUND, BOOL, LPCSTR, LPDWORD>; }},
        {"GetBinaryTypeA-dos", [] { platform.getBinaryType = dosType; }},
        {"SHGetFolderPathW", [] { shellCalls().folderPath = noFolder; }},
    };
    for (const auto& [call, fail] : failures)
        if (argc > 0 && strcmp(argv[0], call) == 0) fail(), argc--, argv++;
    std::string step = argc > 0 ? argv[0] : "", argument = argc > 1 ? argv[1] : "";
    appInstance = GetModuleHandleA(nullptr);
    if (step == "write") {
        static uint8_t bytes[] = "new bytes";
        writePayloadFile(argument.c_str(), PayloadEntry{"file", bytes, sizeof bytes - 1, {0, 0}, nullptr});
    } else if (step == "shortcuts") {
        joinPath(installFolder, installConfig.defaultFolder);
        createShortcuts();
    } else if (step == "browse") {
        // ... and leaves COM on the thread as it found it (exit code 4 if not).
        shellCalls().browseForFolder = browserChecksCom;
        chooseFolder(nullptr, L"select a folder");
        if (CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED) != S_OK) return 4;
    } else if (step == "survey") {
        detectOsVersion();
        detectArchitecture();
    } else if (step == "resource") {
        loadResourceData(argument.c_str(), 10);
    } else if (step == "extract") {
        if (argc - 1 > payloadCount()) return 2;  // no room in the table
        // Each found by its own name, without regard to ASCII letter case.
        for (int i = 1; i <= argc; i++) {
            const char* name = i < argc ? argv[i] : nullptr;
            payloadTable[i - 1] = PayloadEntry{name, nullptr, 0, {0, 0}, name};
        }
        extractPayloads();
    } else {
        return 2;
    }
    return 0;  // the step did not fail
}

TEST(Engine, FatalErrorsAsTheUserMeetsThem)
{
    // The install folder: an older file that each failing write leaves as
    // it is, a read-only one and a folder in a file's place, and one that a
    // write replaces.
    ScratchFolder scratch;
    writeWholeFile(scratch / "QRV.EXE", "an older QRV.EXE");
    writeWholeFile(scratch / "LOCKED.EXE", "locked");
    SetFileAttributesA((scratch / "LOCKED.EXE").c_str(), FILE_ATTRIBUTE_READONLY);
    CreateDirectoryA((scratch / "FOLDER.EXE").c_str(), nullptr);
    writeWholeFile(scratch / "REPLACED.EXE", "replace me");
    DriveSnapshot before = snapshotTree(scratch.path);
    TestProfile noDesktop(false, true), groupIsFile;
    writeWholeFile(groupIsFile.path + "\\Start Menu\\Programs\\Arvendal", "a file");
    TestProfile noPrograms(true, false);
    ScratchFolder shellUser;  // the shell's desktop folder is not there, its programs folder is
    CreateDirectoryA((shellUser / "Programs").c_str(), nullptr);
    ShellFolders shell(shellUser / "Desktop", shellUser / "Programs");
    // The step, the profile it runs with, and the box it ends with ("" for
    // none and exit code 0); a box ending in "Code " takes any error.
    // A payload's every verdict is tested natively; here each code's box.
    const std::vector<std::pair<std::pair<std::string, std::string>, std::string>> rows = {
        {{"resource NO.SUCH.FILE", ""}, "321: can't find resource NO.SUCH.FILE\nWin Err Code 1814"},
        {{"LoadResource resource QRV.EXE", ""}, "324: can't load resource QRV.EXE\nWin Err Code 8"},
        {{"LockResource resource QRV.EXE", ""}, "326: can't lock resource QRV.EXE\nWin Err Code 6"},
        {{"extract VERSION0.LZ", ""}, "344: resource was compressed with the wrong version of LZARI"},
        {{"extract TRUNCATED.LZ", ""}, "346: can't decode resource TRUNCATED.LZ"},
        {{"extract WRONGBYTES.LZ", ""}, "348: resource WRONGBYTES.LZ is damaged"},
        {{"calloc extract QRV.HLP", ""}, "347: not enough memory to decode resource QRV.HLP"},
        {{"extract QRV.HLP", ""}, ""},
        {{"extract EMPTY.LZ", ""}, ""},
        // Every row checked against its CRC-32, and the first damaged one in
        // table order reported, on one worker, two (this machine's) or eight.
        {{"Processors8 extract QRV.HLP QRV.EXE SHAPES.QRD EMPTY.LZ DOCREADER.EXE", ""}, ""},
        {{"Processors1 extract QRV.EXE WRONGBYTES.LZ QRV.HLP TRUNCATED.LZ", ""}, "348: resource WRONGBYTES.LZ is damaged"},
        {{"extract QRV.HLP TRUNCATED.LZ QRV.EXE WRONGBYTES.LZ", ""}, "346: can't decode resource TRUNCATED.LZ"},
        {{"Processors8 extract SHAPES.QRD VERSION0.LZ QRV.EXE TRUNCATED.LZ", ""},
         "344: resource was compressed with the wrong version of LZARI"},
        {{"write LOCKED.EXE", ""}, "212: can't delete file LOCKED.EXE\nWin Err Code 5"},
        {{"write FOLDER.EXE", ""}, "212: can't delete file FOLDER.EXE\nWin Err Code 5"},
        {{"CreateFileW write QRV.EXE", ""}, "218: can't create file QRV.EXE\nWin Err Code 5"},
        {{"WriteFile write QRV.EXE", ""}, "223: can't write file QRV.EXE\nWin Err Code 112"},
        {{"WriteFile-short write CUT.EXE", ""}, "228: file write error CUT.EXE\nWin Err Code 39"},
        {{"SetFileTime write QRV.EXE", ""}, "233: can't set file time QRV.EXE\nWin Err Code 87"},
        {{"CloseHandle write QRV.EXE", ""}, "238: file close error QRV.EXE\nWin Err Code 6"},
        {{"MoveFileExW write QRV.EXE", ""}, "212: can't delete file QRV.EXE\nWin Err Code 32"},
        {{"write REPLACED.EXE", ""}, ""},
        {{"GetVersionExA survey", ""}, "72: can't get windows version\nWin Err Code 87"},
        {{"GetBinaryTypeA survey", ""}, "79: can't get architecture\nWin Err Code 2"},
        {{"GetBinaryTypeA-dos survey", ""}, "85: unsupported architecture"},
        // The profile's own folders where the shell names none, or one.
        {{"SHGetFolderPathW shortcuts", ""}, "162: can't get user profile\nWin Err Code "},
        {{"SHGetFolderPathW shortcuts", noDesktop.path}, "176: can't create link on desktop\nWin Err Code "},
        {{"SHGetFolderPathW shortcuts", groupIsFile.path}, "197: can't create link on start menu\nWin Err Code "},
        {{"SHGetFolderPathW shortcuts", noPrograms.path}, "187: can't create folder in start menu\nWin Err Code 3"},
        // 259 characters fit the variable but not the desktop folder; 300 do not fit it.
        {{"SHGetFolderPathW shortcuts", "C:\\" + std::string(256, 'p')}, "176: can't create link on desktop\nWin Err Code 206"},
        {{"SHGetFolderPathW shortcuts", "C:\\" + std::string(297, 'p')}, "162: can't get user profile\nWin Err Code 206"},
        {{"shortcuts", ""}, "162: can't get user profile\nWin Err Code "},
        {{"shortcuts", noPrograms.path}, ""},
        {{"browse", ""}, ""},
    };
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    for (const auto& [run, box] : rows) {
        Wizard child(run.second, "\"" + std::string(self) + "\" --step " + run.first, isMessageBox, 50, scratch.path);
        std::string seen = child.dismissBox(box.empty() ? 0 : 20), expected = box.empty() ? "no box" : "Fatal Error Code " + box;
        if (expected.size() > 5 && expected.substr(expected.size() - 5) == "Code ") seen = seen.substr(0, expected.size());
        EXPECT_EQ(seen, expected) << run.first;
        EXPECT_EQ(child.waitForExit(), box.empty() ? 0u : 1u) << run.first;
    }
    // Every failed write left the old file (or none) and no temporary one.
    EXPECT_EQ(changedPaths(before, snapshotTree(scratch.path)), "\n  " + upperCase(scratch / "REPLACED.EXE"));
    EXPECT_EQ(readWholeFile(scratch / "REPLACED.EXE"), "new bytes");
    EXPECT_FALSE(folderExists(noDesktop.path + "\\Start Menu\\Programs\\Arvendal")) << "nothing after the desktop link";
    EXPECT_TRUE(fileExists(noPrograms / "Desktop\\QRV.lnk") && fileExists(shellUser / "Programs\\Arvendal\\QRV.lnk"));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && strcmp(argv[1], "--step") == 0) return runStep(argc - 2, argv + 2);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
