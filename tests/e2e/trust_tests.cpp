// What makes the setup program safe to run from a downloads folder: no
// planted DLL is loaded, no elevation is asked for, nothing outside its
// work changes on the drive, and a damaged or hostile copy of it never
// installs anything.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "control_ids.h"
#include "drive_snapshot.h"
#include "scenarios.h"
#include "win32_support.h"
#include "wizard_driver.h"

namespace {

std::vector<std::string> plantedDllNames()
{
    std::vector<std::string> names;
    std::stringstream list(PLANTED_DLLS);
    for (std::string name; std::getline(list, name, ',');) names.push_back(name);
    return names;
}

// The DLLs planted in `folder`, with the markers they leave when loaded
// cleared.
void plantDlls(const std::string& folder)
{
    for (const std::string& name : plantedDllNames()) {
        std::string dll = folder + "\\" + name + ".dll";
        CopyFileA((std::string(PLANTED_DLL_FOLDER) + "\\" + name + ".dll").c_str(), dll.c_str(), FALSE);
        DeleteFileA((dll + ".loaded").c_str());
    }
}

std::vector<std::string> loadedDlls(const std::string& folder)
{
    std::vector<std::string> loaded;
    for (const std::string& name : plantedDllNames())
        if (fileExists(folder + "\\" + name + ".dll.loaded")) loaded.push_back(folder + "\\" + name + ".dll");
    return loaded;
}

// Runs a program in `folder` and waits for it.
DWORD runProgram(const std::string& commandLine, const std::string& folder)
{
    std::string command = commandLine;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup, &process))
        return ~0u;
    WaitForSingleObject(process.hProcess, 30000);
    DWORD code = ~0u;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

std::string joined(const std::vector<std::string>& paths)
{
    std::string text;
    for (const std::string& path : paths) text += " " + path;
    return text;
}

// Wine must be told to prefer a DLL found on the search path over its own
// (WINEDLLOVERRIDES, set for this test's own run by CTest): otherwise no
// planted DLL could be loaded at all.
TEST_F(WizardScenario, PlantedDllsAreNotLoadedThroughTheWholeInstall)
{
    const char* overrides = getenv("WINEDLLOVERRIDES");
    if (!overrides || !strstr(overrides, "=n,b")) GTEST_SKIP() << "runs with WINEDLLOVERRIDES, as its own test";
    ScratchFolder downloads, current;
    std::string setup = downloads / "setup.exe", probe = "\"" + (downloads / "dll_probe.exe") + "\"";
    ASSERT_TRUE(CopyFileA(SETUP_EXE, setup.c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(DLL_PROBE, (downloads / "dll_probe.exe").c_str(), FALSE));
    plantDlls(downloads.path());
    plantDlls(current.path());

    // What the loader itself takes from beside a GUI program before any
    // of its code runs is beyond any program's reach (under Wine, its own
    // user32 imports version.dll; Windows' does not).
    runProgram(probe, current.path());
    std::vector<std::string> beforeAnyCode = loadedDlls(downloads.path());
    plantDlls(downloads.path());
    // A program that loads DLLs by name, as it comes, picks up every one:
    // the planted DLLs would be loaded if the search allowed it.
    std::string names;
    for (const std::string& name : plantedDllNames()) names += " " + name + ".dll";
    runProgram(probe + names, current.path());
    ASSERT_EQ(loadedDlls(downloads.path()).size(), plantedDllNames().size()) << "loadable:" << joined(loadedDlls(downloads.path()));
    ASSERT_LT(beforeAnyCode.size(), plantedDllNames().size());
    plantDlls(downloads.path());

    TestProfile profile;
    {
        Wizard wizard(profile.path, setup, current.path());
        ASSERT_NO_FATAL_FAILURE(expectPrompt(wizard));
        HWND browser = openBrowser(wizard);
        ASSERT_NE(browser, nullptr) << "no folder browser";
        selectDriveC(browser);
        cancelBrowser(wizard, browser);
        wizard.click(IDC_INSTALL);
        ASSERT_TRUE(wizard.waitUntilShown(IDC_EXIT)) << wizard.describe();
        wizard.click(IDC_EXIT);
        EXPECT_EQ(wizard.waitForExit(), 0u);
    }
    expectInstalledFiles();
    EXPECT_EQ(loadedDlls(current.path()).size(), 0u) << joined(loadedDlls(current.path()));
    EXPECT_EQ(joined(loadedDlls(downloads.path())), joined(beforeAnyCode))
        << "loaded beside the program, beyond what the loader takes before any code runs";
}

TEST(Manifest, AsksForTheInvokersRightsAndDeclaresNoOperatingSystem)
{
    HMODULE file = LoadLibraryExA(SETUP_EXE, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(file, nullptr);
    HRSRC found = FindResourceA(file, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_NE(found, nullptr) << "no application manifest";
    std::string manifest(static_cast<const char*>(LockResource(LoadResource(file, found))), SizeofResource(file, found));
    FreeLibrary(file);
    EXPECT_NE(manifest.find("<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>"), std::string::npos)
        << manifest;
    EXPECT_EQ(manifest.find("supportedOS"), std::string::npos) << "the version query must answer as without one";
    EXPECT_EQ(manifest.find("dependentAssembly"), std::string::npos) << "the classic common controls";
}

// ---- nothing outside its work -------------------------------------------

// The paths an install may change: the install folder and its parents, the
// files, and with a profile the group folder and the two links.
std::set<std::string> installPaths(const TestProfile* profile = nullptr)
{
    std::set<std::string> paths = {"C:\\ARVENDAL", "C:\\ARVENDAL\\QRV"};
    for (const PayloadFile& payload : payloads) paths.insert(upperCase(installFolder + "\\" + payload.name));
    if (profile) {
        paths.insert(upperCase(profile->path + "\\Desktop\\QRV.lnk"));
        paths.insert(upperCase(profile->path + "\\Start Menu\\Programs\\Arvendal"));
        paths.insert(upperCase(profile->path + "\\Start Menu\\Programs\\Arvendal\\QRV.lnk"));
    }
    return paths;
}

std::string listed(const std::set<std::string>& paths)
{
    std::string text;
    for (const std::string& path : paths) text += "\n  " + path;
    return text;
}

TEST_F(WizardScenario, InstallChangesNothingOnTheDriveButItsFoldersFilesAndLinks)
{
    TestProfile profile;
    DriveSnapshot before = snapshotTree("C:");
    {
        Wizard wizard(profile.path);
        ASSERT_NO_FATAL_FAILURE(expectPrompt(wizard));
        wizard.click(IDC_INSTALL);
        ASSERT_TRUE(wizard.waitUntilShown(IDC_EXIT)) << wizard.describe();
        wizard.click(IDC_EXIT);
        EXPECT_EQ(wizard.waitForExit(), 0u);
    }
    EXPECT_EQ(listed(changedPaths(before, snapshotTree("C:"))), listed(installPaths(&profile)));
}

TEST_F(WizardScenario, FatalErrorsLeaveOnlyWhatWasDoneBeforeThem)
{
    // No Start-Menu programs folder: the files and the desktop link stay.
    TestProfile noPrograms(true, false);
    DriveSnapshot before = snapshotTree("C:");
    {
        Wizard wizard(noPrograms.path);
        ASSERT_NO_FATAL_FAILURE(expectPrompt(wizard));
        wizard.click(IDC_INSTALL);
        expectFatalBox(wizard, 187, "can't create folder in start menu\nWin Err Code 3");
    }
    std::set<std::string> expected = installPaths();
    expected.insert(upperCase(noPrograms.path + "\\Desktop\\QRV.lnk"));
    EXPECT_EQ(listed(changedPaths(before, snapshotTree("C:"))), listed(expected));

    // A read-only file in the way of the first file: nothing changes.
    removeTree("C:\\Arvendal");
    CreateDirectoryA("C:\\Arvendal", nullptr);
    CreateDirectoryA(installFolder.c_str(), nullptr);
    writeWholeFile(installFolder + "\\QRV.EXE", "locked");
    SetFileAttributesA((installFolder + "\\QRV.EXE").c_str(), FILE_ATTRIBUTE_READONLY);
    TestProfile profile;
    before = snapshotTree("C:");
    {
        Wizard wizard(profile.path);
        ASSERT_NO_FATAL_FAILURE(expectPrompt(wizard));
        wizard.click(IDC_INSTALL);
        expectFatalBox(wizard, 212, "can't delete file QRV.EXE\nWin Err Code 5");
    }
    EXPECT_EQ(listed(changedPaths(before, snapshotTree("C:"))), "");
}

// ---- damaged copies of the program ----------------------------------------

std::string resourceOf(const char* exe, const char* name)
{
    HMODULE file = LoadLibraryExA(exe, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC found = file ? FindResourceA(file, name, MAKEINTRESOURCEA(10)) : nullptr;
    std::string bytes;
    if (found) bytes.assign(static_cast<const char*>(LockResource(LoadResource(file, found))), SizeofResource(file, found));
    if (file) FreeLibrary(file);
    return bytes;
}

// A copy of setup.exe whose RCDATA resource `name` holds `bytes`.
std::string patchedSetup(const ScratchFolder& folder, const char* name, const std::string& bytes)
{
    std::string copy = folder / "setup.exe";
    if (!CopyFileA(SETUP_EXE, copy.c_str(), FALSE)) return "";
    HANDLE update = BeginUpdateResourceA(copy.c_str(), FALSE);
    if (!update) return "";
    BOOL done = UpdateResourceA(update, MAKEINTRESOURCEA(10), name, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                                const_cast<char*>(bytes.data()), DWORD(bytes.size()));
    return EndUpdateResourceA(update, !done) && done ? copy : "";
}

struct Damage {
    const char* what;
    const char* resource;
    std::string bytes;  // the resource's new bytes
    int code;
    const char* text;
};

std::vector<Damage> damages()
{
    std::string container = resourceOf(SETUP_EXE, "QRV.HLP");
    std::string flipped = container, truncated = container.substr(0, container.size() / 2);
    flipped[container.size() / 2] ^= 0x5A;
    std::string wrongMagic = container, hugeLength = container;
    wrongMagic.replace(0, 4, "PK\x03\x04");
    hugeLength.replace(hugeLength.size() - 12, 4, "\xFF\xFF\xFF\xFF");
    std::string checks = resourceOf(SETUP_EXE, "PAYLOADCRC"), changedCheck = checks;
    changedCheck[0] ^= 1;  // the first payload's
    return {
        {"a truncated container", "QRV.HLP", truncated, 346, "can't decode resource QRV.HLP"},
        {"a container with another magic", "QRV.HLP", wrongMagic, 344,
         "resource was compressed with the wrong version of LZARI"},
        {"a length field of 4 GB", "QRV.HLP", hugeLength, 346, "can't decode resource QRV.HLP"},
        {"another file's whole container", "QRV.HLP", resourceOf(SETUP_EXE, "HELP.QRD"), 348,
         "resource QRV.HLP is damaged"},
        {"a changed check value", "PAYLOADCRC", changedCheck, 348, "resource QRV.EXE is damaged"},
        {"check values cut short", "PAYLOADCRC", checks.substr(0, 10), 348, "resource QRV.EXE is damaged"},
        // A flipped byte in the stream: refused one way or the other.
        {"a flipped byte in the stream", "QRV.HLP", flipped, 0, nullptr},
    };
}

TEST_F(WizardScenario, DamagedCopiesOfTheProgramInstallNothing)
{
    for (const Damage& damage : damages()) {
        SCOPED_TRACE(damage.what);
        ScratchFolder folder;
        std::string setup = patchedSetup(folder, damage.resource, damage.bytes);
        ASSERT_NE(setup, "") << "could not patch a copy of setup.exe";
        ASSERT_EQ(resourceOf(setup.c_str(), damage.resource), damage.bytes) << "patched";
        TestProfile profile;
        DriveSnapshot before = snapshotTree("C:");
        {
            Wizard wizard(profile.path, setup);
            HWND box = waitForWindowOf(wizard.processId(), isMessageBox, 20);
            ASSERT_NE(box, nullptr) << "no error box";
            std::string title = windowText(box), text = windowText(GetDlgItem(box, 0xFFFF));
            if (damage.text) {
                EXPECT_EQ(title, "Fatal Error Code " + std::to_string(damage.code));
                EXPECT_EQ(text, damage.text);
            } else {
                EXPECT_TRUE(text == "can't decode resource QRV.HLP" || text == "resource QRV.HLP is damaged") << text;
            }
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            EXPECT_EQ(wizard.waitForExit(), 1u);
        }
        EXPECT_EQ(listed(changedPaths(before, snapshotTree("C:"))), "") << "nothing is written";
    }
}

// ---- a profile at the edge of the path limit -----------------------------

TEST_F(WizardScenario, ProfilePathsBeyondTheLimitAreRefusedNotCut)
{
    // 259 characters: the variable fits its buffer, the desktop link does
    // not. 300: the variable itself does not fit. Either way the files are
    // written and no link is made anywhere.
    const std::pair<std::string, std::pair<int, const char*>> cases[] = {
        {"C:\\" + std::string(256, 'p'), {176, "can't create link on desktop\nWin Err Code 206"}},
        {"C:\\" + std::string(297, 'p'), {162, "can't get user profile\nWin Err Code 206"}},
    };
    for (const auto& [profile, outcome] : cases) {
        SCOPED_TRACE(outcome.second);
        removeTree("C:\\Arvendal");
        DriveSnapshot before = snapshotTree("C:");
        {
            Wizard wizard(profile);
            ASSERT_NO_FATAL_FAILURE(expectPrompt(wizard));
            wizard.click(IDC_INSTALL);
            expectFatalBox(wizard, outcome.first, outcome.second);
        }
        expectInstalledFiles();
        EXPECT_EQ(listed(changedPaths(before, snapshotTree("C:"))), listed(installPaths()));
    }
}

}  // namespace
