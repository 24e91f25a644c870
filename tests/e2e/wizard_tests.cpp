// The real setup.exe, driven through its dialog as a person would, phase by
// phase, with what it leaves on the drive; a second product built from its
// own manifest; and damaged copies and planted DLLs, as a downloads folder
// may hold them. Each scenario starts from a machine without the product.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <sstream>
#include <vector>

#include "control_ids.h"
#include "win32_support.h"

namespace {

struct Product {
    const char* title;
    std::string folder, group, link, description;
    struct File {
        const char* name;
        std::string source;
        unsigned long long time;  // the stored time stamp; 0 for the source's own
    };
    std::vector<File> files;
};

const Product qrv = {"QRV Installation Wizard", "C:\\Arvendal\\QRV", "Arvendal", "QRV",
                     "Chart Studio && Data Sifter\nby Orvel K. Tamsin\nBrindlemoor, Wessex",
                     {{"QRV.EXE", QRV_STANDIN, 133143077820000000ull},
                      {"QRV.HLP", sourcePath("resources/payloads/QRV.HLP"), 132243532420000000ull},
                      {"DocReader.EXE", DOCREADER_STANDIN, 127005267040000000ull},
                      {"HELP.QRD", sourcePath("resources/payloads/HELP.QRD"), 132080257960000000ull},
                      {"SHAPES.QRD", sourcePath("resources/payloads/SHAPES.QRD"), 130129324680000000ull}}};

const std::string architecture = std::string("Architecture: ") + (getenv("EXPECTED_BITS") ? getenv("EXPECTED_BITS") : "64") + "-bit";

struct Scenario : ::testing::Test {
    void SetUp() override { removeTree("C:\\Arvendal"); }
    void TearDown() override { removeTree("C:\\Arvendal"); }
};

Wizard start(const std::string& profile, const std::string& program = SETUP_EXE, const char* title = qrv.title,
             const std::string& currentFolder = "")
{
    return Wizard(profile, program, [title](HWND window) { return windowText(window) == title; }, 50, currentFolder);
}

// The prompt as the phase table has it; complete once install has the focus.
void expectPrompt(const Wizard& wizard, const std::string& folder = qrv.folder)
{
    ASSERT_TRUE(wizard.started()) << "no wizard window";
    ASSERT_TRUE(wizard.waitUntilShown(IDC_INSTALL) && wizard.waitUntilFocused(IDC_INSTALL)) << wizard.describe();
    const std::pair<int, std::string> texts[] = {
        {IDC_STATUS_TEXT, "The files will be installed in the following folder:"}, {IDC_FOLDER_TEXT, folder},
        {IDC_PROMPT_TEXT, "Install in this folder or some other path of your choosing?"}, {IDC_EXIT, "Exit"}};
    for (const auto& [id, text] : texts) EXPECT_EQ(wizard.control(id).text, text) << wizard.describe();
    for (int id : {IDC_INSTALL, IDC_BROWSE, IDC_FOLDER_TEXT}) EXPECT_TRUE(wizard.control(id).visible) << id;
    for (int id : {IDC_EXIT, IDC_EXTRACT_PROGRESS, IDC_COPY_PROGRESS}) EXPECT_FALSE(wizard.control(id).visible) << id;
    EXPECT_TRUE(wizard.control(IDC_INSTALL).enabled);
}

// Every file in the folder with its bytes and its three times, and both links.
void expectInstalled(const Product& product, const std::string& folder, const std::string& profile = "")
{
    for (const Product::File& file : product.files) {
        std::string path = folder + "\\" + file.name;
        EXPECT_TRUE(!file.time || fileTimesText(path) == fileTimesText(file.time)) << path << ": " << fileTimesText(path);
        EXPECT_TRUE(fileExists(path) && readWholeFile(path) == readWholeFile(file.source)) << path << " differs";
    }
    std::string expected = upperCase(folder + "\\" + product.link + ".EXE") + "||" + product.description + "|" +
                           upperCase(folder) + "|" + std::to_string(SW_SHOWNORMAL);
    for (const std::string& link : {std::string("\\Desktop\\"), "\\Start Menu\\Programs\\" + product.group + "\\"})
        EXPECT_TRUE(profile.empty() || linkText(profile + link + product.link + ".lnk") == expected) << link;
}

// The paths an install may change: the folder and its parents, the files,
// and in the profile the links and the group folder that `links` names.
std::string installPaths(const std::string& profile = "", const std::vector<std::string>& links = {})
{
    DriveSnapshot paths = {{"C:\\ARVENDAL", {}}, {"C:\\ARVENDAL\\QRV", {}}};
    for (const Product::File& file : qrv.files) paths[upperCase(qrv.folder + "\\" + file.name)] = {};
    for (const std::string& link : links) paths[upperCase(profile + link)] = {};
    return changedPaths({}, paths);
}

// The corner of the logo on the screen: the logo is stretched over its control.
COLORREF logoCorner(const Wizard& wizard)
{
    RECT area;
    GetWindowRect(GetDlgItem(wizard.window(), IDC_LOGO), &area);
    Sleep(300);  // the first painting done
    HDC screen = GetDC(nullptr);
    COLORREF corner = GetPixel(screen, area.left + 2, area.bottom - 3);
    ReleaseDC(nullptr, screen);
    return corner;
}

// A bar's position and range, as "position of low..high". (Across processes
// PBM_GETRANGE answers one limit: TRUE asks for the low one.)
std::string bar(const Wizard& wizard, int id)
{
    HWND bar = GetDlgItem(wizard.window(), id);
    return std::to_string(SendMessageA(bar, PBM_GETPOS, 0, 0)) + " of " + std::to_string(SendMessageA(bar, PBM_GETRANGE, TRUE, 0)) +
           ".." + std::to_string(SendMessageA(bar, PBM_GETRANGE, FALSE, 0));
}

TEST_F(Scenario, TypicalRunInstallsEveryFileAndBothShortcutsAndNothingElse)
{
    TestProfile profile;
    DriveSnapshot before = snapshotTree("C:");
    {
        Wizard wizard = start(profile.path + "\\");  // one trailing backslash makes no difference
        ASSERT_NO_FATAL_FAILURE(expectPrompt(wizard));
        EXPECT_EQ(wizard.control(IDC_INFO_TEXT).text, "This program will install\nVersion 6.10 of QRV\n" + qrv.description + "\n");
        EXPECT_EQ(wizard.control(IDC_NOTICE_TEXT).text, "You may need to disable your antivirus before proceeding.");
        EXPECT_EQ(wizard.control(IDC_OS_TEXT).text, "Operating System: Windows-7");
        EXPECT_EQ(wizard.control(IDC_ARCH_TEXT).text, architecture);
        EXPECT_EQ(GetWindowLongA(GetDlgItem(wizard.window(), IDC_LOGO), GWL_STYLE) & 0xFFFF001F,
                  LONG(WS_CHILD | WS_VISIBLE | SS_OWNERDRAW));
        COLORREF corner = logoCorner(wizard);
        EXPECT_LT(GetRValue(corner) + GetGValue(corner) + GetBValue(corner), 3 * 128) << "no dark logo on the screen";
        RECT window;
        GetWindowRect(wizard.window(), &window);
        EXPECT_LE(abs(window.left + window.right - GetSystemMetrics(SM_CXSCREEN)), 1) << "centred";
        EXPECT_LE(abs(window.top + window.bottom - GetSystemMetrics(SM_CYSCREEN)), 1) << "centred";
        EXPECT_EQ(bar(wizard, IDC_EXTRACT_PROGRESS), "4 of 0..5") << "over five payloads, never showing 5";
        wizard.pressKey(VK_ESCAPE);
        wizard.pressKey(VK_RETURN);
        Sleep(500);
        ASSERT_NO_FATAL_FAILURE(expectPrompt(wizard)) << "Escape and Enter do nothing";

        ASSERT_TRUE(wizard.click(IDC_INSTALL));
        ASSERT_TRUE(wizard.waitUntilShown(IDC_EXIT) && wizard.waitUntilFocused(IDC_EXIT)) << wizard.describe();
        const std::pair<int, std::string> texts[] = {
            {IDC_STATUS_TEXT, "Files have been copied to the following folder:"}, {IDC_FOLDER_TEXT, qrv.folder},
            {IDC_PROMPT_TEXT, "The software has been successfully installed."}, {IDC_EXIT, "Exit"}};
        for (const auto& [id, text] : texts) EXPECT_EQ(wizard.control(id).text, text);
        for (int id : {IDC_INSTALL, IDC_BROWSE, IDC_COPY_PROGRESS}) EXPECT_FALSE(wizard.control(id).visible) << id;
        EXPECT_EQ(bar(wizard, IDC_COPY_PROGRESS), "4 of 0..5");
        ASSERT_TRUE(wizard.click(IDC_EXIT));
        EXPECT_EQ(wizard.waitForExit(), 0u);
    }
    expectInstalled(qrv, qrv.folder, profile.path);
    EXPECT_EQ(changedPaths(before, snapshotTree("C:")),
              installPaths(profile.path, {"\\Desktop\\QRV.lnk", "\\Start Menu\\Programs\\Arvendal",
                                          "\\Start Menu\\Programs\\Arvendal\\QRV.lnk"}));
}

TEST_F(Scenario, AnExistingInstallIsReplacedWithTheStoredTimes)
{
    CreateDirectoryA("C:\\Arvendal", nullptr);
    CreateDirectoryA(qrv.folder.c_str(), nullptr);
    for (const Product::File& file : qrv.files) writeWholeFile(qrv.folder + "\\" + file.name, std::string(20000, 'o'));
    TestProfile profile;
    Wizard wizard = start(profile.path);
    ASSERT_NO_FATAL_FAILURE(expectPrompt(wizard));
    ASSERT_TRUE(wizard.click(IDC_INSTALL));
    ASSERT_TRUE(wizard.waitUntilShown(IDC_EXIT)) << wizard.describe();
    expectInstalled(qrv, qrv.folder);
}

// A fatal error in the middle of the install: its box, exit code 1, and on
// the drive only what was done before it.
TEST_F(Scenario, FatalErrorsLeaveOnlyWhatWasDoneBeforeThem)
{
    TestProfile noPrograms(true, false), full;
    const std::pair<std::pair<std::string, std::string>, std::string> rows[] = {
        {{full.path, "212: can't delete file QRV.EXE\nWin Err Code 5"}, ""},  // a read-only QRV.EXE in the way
        {{noPrograms.path, "187: can't create folder in start menu\nWin Err Code 3"},
         installPaths(noPrograms.path, {"\\Desktop\\QRV.lnk"})},
        // 259 characters fit the variable but not the desktop link; 300 do not fit it.
        {{"C:\\" + std::string(256, 'p'), "176: can't create link on desktop\nWin Err Code 206"}, installPaths()},
        {{"C:\\" + std::string(297, 'p'), "162: can't get user profile\nWin Err Code 206"}, installPaths()},
    };
    for (const auto& [run, changed] : rows) {
        SCOPED_TRACE(run.second);
        removeTree("C:\\Arvendal");
        if (changed.empty()) {
            CreateDirectoryA("C:\\Arvendal", nullptr);
            CreateDirectoryA(qrv.folder.c_str(), nullptr);
            writeWholeFile(qrv.folder + "\\QRV.EXE", "locked");
            SetFileAttributesA((qrv.folder + "\\QRV.EXE").c_str(), FILE_ATTRIBUTE_READONLY);
        }
        DriveSnapshot before = snapshotTree("C:");
        Wizard wizard = start(run.first);
        ASSERT_NO_FATAL_FAILURE(expectPrompt(wizard));
        ASSERT_TRUE(wizard.click(IDC_INSTALL));
        EXPECT_EQ(wizard.dismissBox(), "Fatal Error Code " + run.second);
        EXPECT_EQ(wizard.waitForExit(), 1u);
        EXPECT_EQ(changedPaths(before, snapshotTree("C:")), changed);
        if (!changed.empty()) expectInstalled(qrv, qrv.folder);
    }
}

// ---- the folder browser, driven by keyboard as a person would ----------------

HWND openBrowser(const Wizard& wizard)
{
    if (!wizard.click(IDC_BROWSE)) return nullptr;
    return waitForWindowOf(wizard.processId(), [](HWND window) { return windowText(window) == "Browse for Folder"; }, 10);
}

// Keys, then type-ahead, in the browser's tree, given time to settle
// (type-ahead collects the letters typed within about a second).
void inTree(HWND browser, std::initializer_list<WORD> keys, const char* letters = "")
{
    HWND tree = GetDlgItem(browser, 14145);
    for (WORD key : keys) PostMessageA(tree, WM_KEYDOWN, key, 1), PostMessageA(tree, WM_KEYUP, key, 0xC0000001);
    Sleep(700);
    for (const char* letter = letters; *letter; letter++) PostMessageA(tree, WM_CHAR, (unsigned char)*letter, 1);
    Sleep(*letters ? 1500 : 0);
}

// From the tree's root to drive C: Desktop, its child "My Computer",
// expanded, and its first child.
void selectDriveC(HWND browser)
{
    inTree(browser, {VK_HOME, VK_RIGHT}, "My");
    inTree(browser, {VK_RIGHT, VK_RIGHT});
}

// Presses OK or Cancel; waits for the browser to go and the line to show `shown`.
void closeBrowser(const Wizard& wizard, HWND browser, int button, const std::string& shown)
{
    PostMessageA(GetDlgItem(browser, button), BM_CLICK, 0, 0);
    wizard.waitUntil([&] { return !IsWindow(browser) && wizard.control(IDC_FOLDER_TEXT).text == shown; }, 10);
    Sleep(300);  // the handler enables the install button after the line
}

TEST_F(Scenario, TheBrowserCancelledAtADrivesRootOrChoosingAFolder)
{
    const std::string chosen = "C:\\Arvendal\\Chosen Place";
    TestProfile profile;
    Wizard wizard = start(profile.path);
    ASSERT_NO_FATAL_FAILURE(expectPrompt(wizard));
    HWND browser = openBrowser(wizard);
    ASSERT_NE(browser, nullptr) << "no folder browser";
    EXPECT_EQ(windowText(GetDlgItem(browser, 14146)), "select a folder");
    EXPECT_FALSE(wizard.control(IDC_INSTALL).enabled) << "install is disabled while the browser is open";
    closeBrowser(wizard, browser, IDCANCEL, qrv.folder);
    ASSERT_NO_FATAL_FAILURE(expectPrompt(wizard)) << "cancelled: the default folder back";

    ASSERT_NE(browser = openBrowser(wizard), nullptr);
    selectDriveC(browser);
    closeBrowser(wizard, browser, IDOK, "C:\\");
    EXPECT_FALSE(wizard.click(IDC_INSTALL)) << "a drive's root leaves install disabled; " << wizard.describe();

    // The only folder in C:\Arvendal, chosen in the tree; while a file stands
    // in its place the install click silently does nothing.
    CreateDirectoryA("C:\\Arvendal", nullptr);
    CreateDirectoryA(chosen.c_str(), nullptr);
    ASSERT_NE(browser = openBrowser(wizard), nullptr);
    selectDriveC(browser);
    inTree(browser, {VK_RIGHT, VK_RIGHT}, "Arvendal");
    inTree(browser, {VK_RIGHT, VK_RIGHT});
    closeBrowser(wizard, browser, IDOK, chosen);
    RemoveDirectoryA(chosen.c_str());
    writeWholeFile(chosen, "a file, not a folder");
    ASSERT_TRUE(wizard.click(IDC_INSTALL)) << wizard.describe();
    Sleep(1000);
    ASSERT_NO_FATAL_FAILURE(expectPrompt(wizard, chosen));
    DeleteFileA(chosen.c_str());
    CreateDirectoryA(chosen.c_str(), nullptr);
    ASSERT_TRUE(wizard.click(IDC_INSTALL));
    ASSERT_TRUE(wizard.waitUntilShown(IDC_EXIT)) << wizard.describe();
    expectInstalled(qrv, chosen, profile.path);
    EXPECT_FALSE(folderExists(qrv.folder)) << "nothing in the default folder";
}

// Wine reports the Windows version its settings name. Without a manifest
// that declares Windows 10, the version query there reports 6.2, as on
// Windows 8 (Wine does the same). Closed at the prompt, nothing is written.
TEST_F(Scenario, OperatingSystemLineForEachWindowsVersion)
{
    HKEY wine;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &wine, nullptr), 0);
    for (const std::string version : {"winxp", "win10"}) {
        RegSetValueExA(wine, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version.c_str()), DWORD(version.size() + 1));
        TestProfile profile;
        Wizard wizard = start(profile.path);
        ASSERT_TRUE(wizard.waitUntilShown(IDC_INSTALL)) << version << ": " << wizard.describe();
        EXPECT_EQ(wizard.control(IDC_OS_TEXT).text, version == "winxp" ? "Operating System: Windows-XP" : "Operating System: Windows-8");
        EXPECT_EQ(wizard.control(IDC_ARCH_TEXT).text, architecture);
        wizard.close();
        EXPECT_EQ(wizard.waitForExit(), 0u) << version;
        EXPECT_FALSE(folderExists("C:\\Arvendal") || fileExists(profile.path + "\\Desktop\\QRV.lnk"));
    }
    RegDeleteValueA(wine, "Version");
    RegCloseKey(wine);
}

// A second product, built from its own manifest by the same sources: its own
// title, texts, logo, files (one with its source's own time), links and a
// folder on drive D:.
TEST_F(Scenario, ASecondProductInstallsAsItsManifestSays)
{
    const Product notes = {"Brindle Notes Setup", "D:\\Brindle\\Notes", "Brindle", "Notes",
                           "Brindle Notes\nby the Brindlemoor Press",
                           {{"Notes.exe", QRV_STANDIN, 133536816000000000ull},  // 2024-02-29 12:00:00
                            {"README.TXT", std::string(SECOND_PRODUCT_DIR) + "\\README.TXT", 0}}};
    removeTree("D:\\Brindle");
    TestProfile profile;
    Wizard wizard = start(profile.path, SECOND_SETUP, notes.title);
    ASSERT_NO_FATAL_FAILURE(expectPrompt(wizard, notes.folder));
    EXPECT_EQ(wizard.control(IDC_INFO_TEXT).text, "This program will install\nVersion 2.0 of Notes\n" + notes.description + "\n");
    COLORREF corner = logoCorner(wizard);
    EXPECT_TRUE(GetGValue(corner) > GetRValue(corner) + 30 && GetGValue(corner) > GetBValue(corner) + 30) << std::hex << corner;
    ASSERT_TRUE(wizard.click(IDC_INSTALL));
    ASSERT_TRUE(wizard.waitUntilShown(IDC_EXIT)) << wizard.describe();
    expectInstalled(notes, notes.folder, profile.path);
    std::string installed = fileTimesText(notes.folder + "\\README.TXT"), source = fileTimesText(notes.files[1].source);
    EXPECT_EQ(installed.substr(installed.find("written")), source.substr(source.find("written")));
    removeTree("D:\\Brindle");
}

// ---- copies of the program as a downloads folder may hold them ----------------

std::string resourceOf(const std::string& program, const char* name)
{
    HMODULE file = LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC found = file ? FindResourceA(file, name, MAKEINTRESOURCEA(10)) : nullptr;
    std::string bytes;
    if (found) bytes.assign(static_cast<const char*>(LockResource(LoadResource(file, found))), SizeofResource(file, found));
    if (file) FreeLibrary(file);
    return bytes;
}

TEST_F(Scenario, DamagedCopiesOfTheProgramInstallNothing)
{
    std::string container = resourceOf(SETUP_EXE, "QRV.HLP"), checks = resourceOf(SETUP_EXE, "PAYLOADCRC");
    std::string flipped = container, wrongMagic = container, hugeLength = container, changedCheck = checks;
    std::string cut = container.substr(0, container.size() / 2) + container.substr(container.size() - 12);
    flipped[container.size() / 2] ^= 0x5A;
    wrongMagic.replace(0, 4, "PK\x03\x04");
    hugeLength.replace(hugeLength.size() - 12, 4, "\xFF\xFF\xFF\xFF");
    changedCheck[0] ^= 1;  // the first payload's
    const std::string undecodable = "346: can't decode resource QRV.HLP", damaged = "348: resource QRV.HLP is damaged";
    // The resource changed, its new bytes, and the box it ends with (or the other).
    const std::pair<std::pair<const char*, std::string>, std::pair<std::string, std::string>> rows[] = {
        {{"QRV.HLP", container.substr(0, container.size() / 2)}, {undecodable, ""}},
        {{"QRV.HLP", cut}, {undecodable, ""}},  // half a stream, its fields kept
        {{"QRV.HLP", wrongMagic}, {"344: resource was compressed with the wrong version of LZARI", ""}},
        {{"QRV.HLP", hugeLength}, {undecodable, ""}},
        {{"QRV.HLP", resourceOf(SETUP_EXE, "HELP.QRD")}, {damaged, ""}},
        {{"PAYLOADCRC", changedCheck}, {"348: resource QRV.EXE is damaged", ""}},
        {{"PAYLOADCRC", checks.substr(0, 10)}, {"348: resource QRV.EXE is damaged", ""}},
        {{"QRV.HLP", flipped}, {undecodable, damaged}},  // refused one way or the other
    };
    for (const auto& [damage, box] : rows) {
        SCOPED_TRACE(box.first);
        ScratchFolder folder;
        std::string setup = folder / "setup.exe";
        HANDLE update = CopyFileA(SETUP_EXE, setup.c_str(), FALSE) ? BeginUpdateResourceA(setup.c_str(), FALSE) : nullptr;
        ASSERT_TRUE(update && UpdateResourceA(update, MAKEINTRESOURCEA(10), damage.first, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                                              const_cast<char*>(damage.second.data()), DWORD(damage.second.size())) &&
                    EndUpdateResourceA(update, FALSE) && resourceOf(setup, damage.first) == damage.second);
        TestProfile profile;
        DriveSnapshot before = snapshotTree("C:");
        {
            Wizard wizard(profile.path, setup, isMessageBox);
            std::string seen = wizard.dismissBox();
            EXPECT_TRUE(seen == "Fatal Error Code " + box.first || seen == "Fatal Error Code " + box.second) << seen;
            EXPECT_EQ(wizard.waitForExit(), 1u);
        }
        EXPECT_EQ(changedPaths(before, snapshotTree("C:")), "") << "nothing is written";
    }
}

// DLLs planted beside a copy of the program and in its current folder are
// not loaded through the whole install. Wine must be told to prefer a DLL on
// the search path over its own (WINEDLLOVERRIDES, set for this test's own
// run by CTest): otherwise none could be loaded at all.
TEST_F(Scenario, PlantedDllsAreNotLoaded)
{
    const char* overrides = getenv("WINEDLLOVERRIDES");
    if (!overrides || !strstr(overrides, "=n,b")) GTEST_SKIP() << "runs with WINEDLLOVERRIDES, as its own test";
    std::vector<std::string> names;
    std::string all;
    std::stringstream list(PLANTED_DLLS);
    for (std::string name; std::getline(list, name, ',');) names.push_back(name + ".dll"), all += " " + name + ".dll";
    ScratchFolder downloads, current;
    auto plant = [&] {
        for (const ScratchFolder* folder : {&downloads, &current})
            for (const std::string& name : names) {
                CopyFileA((std::string(PLANTED_DLL_FOLDER) + "\\" + name).c_str(), (*folder / name).c_str(), FALSE);
                DeleteFileA((*folder / name + ".loaded").c_str());
            }
    };
    auto loaded = [&](const ScratchFolder& folder) {
        std::string found;
        for (const std::string& name : names) found += fileExists(folder / name + ".loaded") ? " " + name : "";
        return found;
    };
    auto probe = [&](const std::string& arguments) {
        Wizard("", "\"" + (downloads / "dll_probe.exe") + "\"" + arguments, [](HWND) { return false; }, 50, current.path)
            .waitForExit();
        std::string found = loaded(downloads);
        plant();
        return found;
    };
    ASSERT_TRUE(CopyFileA(SETUP_EXE, (downloads / "setup.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(DLL_PROBE, (downloads / "dll_probe.exe").c_str(), FALSE));
    // What the loader takes from beside a GUI program before any of its code
    // runs is beyond any program's reach (under Wine, its own user32 imports
    // version.dll; Windows' does not). A program that loads DLLs by name
    // picks up every planted one: they would be loaded if the search allowed.
    plant();
    std::string beforeAnyCode = probe("");
    ASSERT_EQ(probe(all), all);
    ASSERT_NE(beforeAnyCode, all);
    TestProfile profile;
    {
        Wizard wizard = start(profile.path, downloads / "setup.exe", qrv.title, current.path);
        ASSERT_NO_FATAL_FAILURE(expectPrompt(wizard));
        HWND browser = openBrowser(wizard);
        ASSERT_NE(browser, nullptr) << "no folder browser";
        selectDriveC(browser);
        closeBrowser(wizard, browser, IDCANCEL, qrv.folder);
        ASSERT_TRUE(wizard.click(IDC_INSTALL));
        ASSERT_TRUE(wizard.waitUntilShown(IDC_EXIT)) << wizard.describe();
    }
    expectInstalled(qrv, qrv.folder, profile.path);
    EXPECT_EQ(loaded(current), "");
    EXPECT_EQ(loaded(downloads), beforeAnyCode) << "loaded beside the program, beyond what the loader takes first";
}

}  // namespace
